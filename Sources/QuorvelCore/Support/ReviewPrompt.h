#pragma once

#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Defaults/DefaultsStore.h"
#include "Engine/ReviewPromptEngine.h"

class QTimer;
class QWidget;

namespace quorvel {

// Keeps the review prompt's usage record, measures how long the panel stays
// open and, once the policy says so, records a request and makes it. The
// record lives in the defaults under `kSettingsKey` as UTF-8 JSON bytes.
// Main thread only.
class ReviewPrompt final : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<Date()>;
    // Makes the platform's review request, anchored to a view when given.
    using Request = std::function<void(QWidget *anchor)>;

    static constexpr char kSettingsKey[] = "dev.quorvel.reviewPrompt.v1";
    // The panel must stay open this much longer than the policy's minimum,
    // so the check after the wait always sees a long enough dwell.
    static constexpr double kDwellMargin = 0.25;

    // Loads the stored record when `persists` (a missing or unreadable one
    // starts afresh) and records the first launch at once.
    ReviewPrompt(std::shared_ptr<platform::DefaultsStore> defaults,
                 ReviewPromptEngine::Policy policy, std::string version = bundleVersion(),
                 Clock now = systemClock, bool persists = true, Request performRequest = {},
                 QObject *parent = nullptr);
    ~ReviewPrompt() override;

    // The short version and the build number, as in "1.4 (27)".
    static std::string bundleVersion();
    static Date systemClock() { return std::chrono::system_clock::now(); }
    static QUrl writeReviewURL();

    void notePressure(PressureLevel level);
    void panelDidOpen();
    void panelDidClose();
    // Asks the policy and, when it says so, records the request, saves and
    // then makes the request.
    void consider(double dwellSeconds);

    const ReviewPromptState &snapshot() const { return state_; }
    PressureLevel level() const { return level_; }
    // The pending wait after the panel opened; inactive while none is.
    QTimer *dwellTimer() const { return dwellTimer_; }
    // Supplies the view a request is anchored to.
    std::function<QWidget *()> presentingController;

private:
    void load();
    void save();
    void dwellCheck();

    std::shared_ptr<platform::DefaultsStore> defaults_;
    bool persists_;
    ReviewPromptEngine::Policy policy_;
    std::string version_;
    Clock now_;
    ReviewPromptState state_;
    PressureLevel level_ = PressureLevel::normal;
    std::optional<Date> openedAt_;
    QTimer *dwellTimer_;
    Request performRequest_;
};

} // namespace quorvel
