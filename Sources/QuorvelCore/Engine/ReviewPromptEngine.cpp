#include "Engine/ReviewPromptEngine.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <ctime>

namespace quorvel {
namespace {

using json = nlohmann::json;
using Seconds = std::chrono::duration<double>;

// 2001-01-01 00:00:00 UTC as seconds of the Unix epoch.
constexpr double kReferenceEpoch = 978307200;
// About 140 years either side of the reference: far beyond any real record,
// well inside what the clock's nanosecond count can hold.
constexpr double kFarthestSeconds = 4.4e9;

double referenceSeconds(Date date) {
    const auto whole = std::chrono::floor<std::chrono::seconds>(date.time_since_epoch());
    return static_cast<double>(whole.count() - static_cast<int64_t>(kReferenceEpoch)) +
           Seconds(date.time_since_epoch() - whole).count();
}

std::optional<Date> dateFromReference(double seconds) {
    if (!std::isfinite(seconds) || std::fabs(seconds) > kFarthestSeconds) return std::nullopt;
    // Whole seconds and the fraction apart, so the fraction keeps its precision.
    const double whole = std::floor(seconds);
    const auto since = std::chrono::seconds(static_cast<int64_t>(whole + kReferenceEpoch));
    return Date(std::chrono::duration_cast<Date::duration>(since) +
                std::chrono::duration_cast<Date::duration>(Seconds(seconds - whole)));
}

// An optional member: absent or null is none; anything else must be a date.
bool readDate(const json &object, const char *name, std::optional<Date> &date) {
    const auto found = object.find(name);
    if (found == object.end() || found->is_null()) return true;
    if (!found->is_number()) return false;
    date = dateFromReference(found->get<double>());
    return date.has_value();
}

bool readRequired(const json &object, ReviewPromptState &state) {
    const auto opens = object.find("panelOpens");
    const auto days = object.find("activeDays");
    const auto strain = object.find("sawStrain");
    if (opens == object.end() || days == object.end() || strain == object.end()) return false;
    if (opens->is_number_unsigned()) {
        if (opens->get<uint64_t>() > static_cast<uint64_t>(INT64_MAX)) return false;
    } else if (!opens->is_number_integer()) {
        return false;
    }
    if (!days->is_array() || !strain->is_boolean()) return false;
    for (const json &day : *days) {
        if (!day.is_string()) return false;
        state.activeDays.push_back(day.get<std::string>());
    }
    state.panelOpens = opens->get<int64_t>();
    state.sawStrain = strain->get<bool>();
    return true;
}

} // namespace

std::optional<std::string> ReviewPromptState::toJSON() const {
    json object = {
        {"panelOpens", panelOpens}, {"activeDays", activeDays}, {"sawStrain", sawStrain}};
    if (firstLaunch) object["firstLaunch"] = referenceSeconds(*firstLaunch);
    if (lastRequestVersion) object["lastRequestVersion"] = *lastRequestVersion;
    if (lastRequestDate) object["lastRequestDate"] = referenceSeconds(*lastRequestDate);
    try {
        return object.dump();
    } catch (const json::exception &) {
        return std::nullopt; // text that is not UTF-8
    }
}

std::optional<ReviewPromptState> ReviewPromptState::fromJSON(std::string_view text) {
    const json object = json::parse(text, nullptr, false);
    if (!object.is_object()) return std::nullopt;
    ReviewPromptState state;
    if (!readRequired(object, state)) return std::nullopt;
    if (!readDate(object, "firstLaunch", state.firstLaunch)) return std::nullopt;
    if (!readDate(object, "lastRequestDate", state.lastRequestDate)) return std::nullopt;
    if (const auto version = object.find("lastRequestVersion");
        version != object.end() && !version->is_null()) {
        if (!version->is_string()) return std::nullopt;
        state.lastRequestVersion = version->get<std::string>();
    }
    return state;
}

std::string dayKey(Date date) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(date);
    std::tm local{};
    if (!::localtime_r(&seconds, &local)) return "0000-00-00";
    char key[16];
    std::strftime(key, sizeof key, "%Y-%m-%d", &local);
    return key;
}

namespace ReviewPromptEngine {

Outcome evaluate(const ReviewPromptState &state, std::string_view version, PressureLevel level,
                 double dwellSeconds, Date now, const Policy &policy) {
    if (!state.firstLaunch) return Outcome::holding(Hold::noFirstLaunchRecorded);
    if (state.lastRequestVersion && *state.lastRequestVersion == version)
        return Outcome::holding(Hold::alreadyAskedThisVersion);
    if (state.lastRequestDate && Seconds(now - *state.lastRequestDate).count() <
                                     policy.minDaysBetweenRequests * kSecondsPerDay)
        return Outcome::holding(Hold::askedRecently);
    if (level != PressureLevel::normal) return Outcome::holding(Hold::memoryUnderStrain);
    // Written so that a dwell that is not a number holds as well.
    if (!(dwellSeconds >= policy.minDwellSeconds))
        return Outcome::holding(Hold::panelNotReadLongEnough);

    const bool strain = state.sawStrain;
    const double minDays = strain ? policy.strainMinDaysInstalled : policy.habitMinDaysInstalled;
    const int64_t minActiveDays = strain ? policy.strainMinActiveDays : policy.habitMinActiveDays;
    const int64_t minOpens = strain ? policy.strainMinPanelOpens : policy.habitMinPanelOpens;
    const double daysInstalled = Seconds(now - *state.firstLaunch).count() / kSecondsPerDay;
    if (daysInstalled < minDays) return Outcome::holding(Hold::tooSoonAfterInstall);
    if (static_cast<int64_t>(state.activeDays.size()) < minActiveDays ||
        state.panelOpens < minOpens)
        return Outcome::holding(Hold::notEnoughUse);
    return Outcome::ask();
}

} // namespace ReviewPromptEngine
} // namespace quorvel
