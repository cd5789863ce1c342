#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "Support/IsolatedRun.h"
#include "Support/QuorvelRun.h"
#include "TerminalReadout.h"
#include "Util/Format.h"

namespace quorvel {
namespace {

TEST(ReadoutText, HelpBeginsWithTheProgramsName) {
    const auto environment = QProcessEnvironment::systemEnvironment();
    EXPECT_EQ(test::runQuorvel({"--help"}, environment).out.rfind("Usage: quorvel ", 0), 0u);
}

// LANGUAGE, ours or the user's, asks for no regional format: LC_ALL, LC_MESSAGES or LANG does.
TEST(ReadoutText, AmountsFollowTheRegionOnlyOfTheLanguageTheLocaleAsksFor) {
    const test::IsolatedRun run;
    QProcessEnvironment base = run.environment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "QUORVEL_LOCALE"})
        base.remove(QString::fromLatin1(name));
    const test::Finished json = test::runQuorvel({QStringLiteral("--json")}, base);
    const uint64_t installed = nlohmann::json::parse(json.out)["pressure"]["vm"]["totalBytes"];
    const std::pair<QStringList, const char *> cases[] = {
        {{"LANG=en_US.UTF-8", "QUORVEL_LOCALE=de"}, "de"},
        {{"LANG=en_US.UTF-8", "LANGUAGE=de"}, "de"},
        {{"LANG=de_CH.UTF-8", "QUORVEL_LOCALE=de"}, "de_CH"}};
    for (const auto &[variables, format] : cases) {
        QProcessEnvironment environment = base;
        for (const QString &variable : variables)
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        const std::string out = test::runQuorvel({"--print"}, environment).out;
        const std::string expected = Format::bytes(installed, QLocale(QString::fromLatin1(format)));
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    }
}

TEST(ReadoutText, ControlCharactersInNamesAreShownNotObeyed) {
    const std::pair<std::string, std::string> cases[] = {{"\x1b[2J\x1b]0;x\x07", "␛[2J␛]0;x␇"},
                                                         {"a\nb\r", "a␊b␍"},
                                                         {"d\x7f", "d␡"},
                                                         {"c\u009B1m", "c\uFFFD1m"}};
    for (const auto &[name, shown] : cases) {
        MemoryReading reading;
        reading.groups.emplace_back().displayName = name;
        const std::string text = terminalReadout(reading, false);
        EXPECT_NE(text.find(shown), std::string::npos) << text;
        for (const char c : text) EXPECT_FALSE(c > 0 && c < 0x20 && c != '\n') << text;
    }
}

} // namespace
} // namespace quorvel
