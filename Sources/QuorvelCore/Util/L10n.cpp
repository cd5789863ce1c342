#include "Util/L10n.h"

#include "Util/LanguageChoice.h"
#include "Util/Notices.h"

namespace quorvel::L10n {
namespace {

std::string resolvedLocale() {
    const LanguageChoice choice =
        LanguageChoice::choose(availableLocales(), LanguageChoice::processEnvironment());
    if (choice.warning) noteOnce(*choice.warning);
    return choice.code;
}

} // namespace

const Localizer &shared() {
    static const Localizer localizer(resolvedLocale());
    return localizer;
}

const std::vector<std::string> &availableLocales() {
    return Localizer::installedLocales();
}

} // namespace quorvel::L10n
