#include "UI/RuleCard.h"

#include <QMenu>
#include <QPainter>

#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "UI/PillChrome.h"
#include "UI/Theme.h"
#include "UI/Toolkit/Describable.h"
#include "UI/Toolkit/Divider.h"
#include "UI/Toolkit/PopupMenu.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/Shapes.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/SwitchToggle.h"
#include "UI/Toolkit/SymbolView.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr std::size_t kOfferedLimit = 12;
constexpr double kBytesPerGB = 1073741824.0;
constexpr double kCardRadius = 12;

TextView *clause(const char *key, QWidget *parent) {
    return new TextView(qtText(L10n::t(key)), systemFont(12.5, FontWeight::regular),
                        Theme::inkDim(), parent);
}

ButtonStyle actionStyle(bool current) {
    ButtonStyle style;
    style.font = systemFont(12, current ? FontWeight::semibold : FontWeight::regular);
    style.labelColor = current ? Theme::onGreen() : Theme::inkDim();
    style.fill = current ? Theme::green() : QColor(Qt::transparent);
    style.cornerRadius = 8;
    style.insets = QMargins(10, 6, 10, 6);
    return style;
}

ButtonStyle trashStyle() {
    ButtonStyle style = labelOnly(systemFont(12, FontWeight::regular), Theme::inkDim());
    style.insets = QMargins(2, 2, 2, 2);
    return style;
}

// The action buttons' dark track.
class SegmentTrack : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        Shapes::fill(painter, Shapes::roundedRect(rect(), 10), Theme::panelBottom());
        Shapes::strokeInside(painter, rect(), 10, Theme::hairline(), 1);
    }
};

StyledButton *picker(QWidget *parent, QMenu **menu) {
    auto *button = new StyledButton(PillChrome(), QString(), {}, parent);
    *menu = new QMenu(button);
    attachPopupMenu(button, *menu);
    return button;
}

} // namespace

std::string statusLine(const ThresholdRule &rule, bool isMasterOn) {
    if (!rule.isEnabled) return L10n::t("pro.rules.status.off");
    if (!isMasterOn) return L10n::t("pro.rules.status.masterOff");
    if (rule.action == RuleAction::notify) return L10n::t("pro.rules.status.armedNotify");
    return L10n::t("pro.rules.status.armedAction");
}

std::vector<OfferedApplication> offeredApplications(const std::vector<AppGroup> &candidates) {
    std::vector<OfferedApplication> offered;
    for (const AppGroup &group : candidates) {
        if (offered.size() == kOfferedLimit) break;
        // Quorvel never acts on itself, so a rule for it could only mislead.
        const std::vector<int32_t> pids = group.pids();
        if (std::ranges::find(pids, static_cast<int32_t>(::getpid())) != pids.end()) continue;
        offered.push_back({group.key, group.displayName});
    }
    return offered;
}

RuleCard::RuleCard(std::function<void(const ThresholdRule &)> onChange,
                   std::function<void()> onDelete, QWidget *parent)
    : CardBackground(kCardRadius, parent)
    , onChange_(std::move(onChange)) {
    application_ = picker(this, &applicationMenu_);
    application_->setTruncates(true);
    limit_ = picker(this, &limitMenu_);
    sustained_ = picker(this, &sustainedMenu_);
    buildValuePickers();
    switch_ = new SwitchToggle(Theme::green(), this);
    switch_->setCheckable(true);
    stateWord_ =
        new TextView(QString(), systemFont(10, FontWeight::semibold, FontDesign::monospaced),
                     Theme::inkFaint(), this);
    delete_ = new StyledButton(trashStyle(), QString(), "trash", this);
    status_ = new TextView(QString(), systemFont(11, FontWeight::regular), Theme::inkFaint(), this);
    status_->setWrapping(true);
    connect(switch_, &QAbstractButton::clicked, this,
            [this](bool on) { change([on](ThresholdRule &rule) { rule.isEnabled = on; }); });
    connect(delete_, &QAbstractButton::clicked, this,
            [onDelete = std::move(onDelete)] { onDelete(); });

    auto *stack = vstack(10, this, Insets::all(14));
    auto *condition = hstack(8);
    condition->addWidget(clause("pro.rules.clause.when", this), 0, Qt::AlignVCenter);
    condition->addWidget(application_, 0, Qt::AlignVCenter);
    condition->addWidget(clause("pro.rules.clause.usesMoreThan", this), 0, Qt::AlignVCenter);
    condition->addWidget(limit_, 0, Qt::AlignVCenter);
    condition->addStretch();
    stack->addLayout(condition);

    auto *duration = hstack(8);
    duration->addWidget(clause("pro.rules.clause.for", this), 0, Qt::AlignVCenter);
    duration->addWidget(sustained_, 0, Qt::AlignVCenter);
    addFlexibleSpace(duration);
    duration->addWidget(stateWord_, 0, Qt::AlignVCenter);
    duration->addWidget(switch_, 0, Qt::AlignVCenter);
    duration->addWidget(delete_, 0, Qt::AlignVCenter);
    stack->addLayout(duration);

    auto *actionRow = hstack(8);
    actionRow->addWidget(clause("pro.rules.clause.then", this), 0, Qt::AlignVCenter);
    auto *track = new SegmentTrack(this);
    auto *segments = hstack(0, track, Insets::all(2));
    for (std::size_t i = 0; i < kAllRuleActions.size(); ++i) {
        const RuleAction action = kAllRuleActions[i];
        actions_[i] =
            new StyledButton(actionStyle(false), qtText(L10n::t(displayKey(action))), {}, track);
        // The card keeps its padding where a language's three words are long.
        actions_[i]->setTruncates(true);
        // One choice of three, read as such.
        actions_[i]->setCheckable(true);
        actions_[i]->setAutoExclusive(true);
        connect(actions_[i], &QAbstractButton::clicked, this, [this, action] {
            change([action](ThresholdRule &rule) { rule.action = action; });
        });
        segments->addWidget(actions_[i]);
    }
    actionRow->addWidget(track, 0, Qt::AlignVCenter);
    actionRow->addStretch();
    stack->addLayout(actionRow);

    stack->addWidget(new Divider(Theme::hairline(), this));
    auto *statusRow = hstack(6);
    statusRow->addWidget(new SymbolView("info.circle", 10.5, Theme::inkFaint(), this), 0,
                         Qt::AlignTop);
    statusRow->addWidget(status_, 1);
    stack->addLayout(statusRow);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

std::vector<QWidget *> RuleCard::controls() const {
    std::vector<QWidget *> controls{application_, limit_, sustained_, switch_, delete_};
    controls.insert(controls.end(), actions_.begin(), actions_.end());
    return controls;
}

void RuleCard::show(const ThresholdRule &rule, const std::vector<AppGroup> &candidates,
                    bool isMasterOn) {
    rule_ = rule;
    application_->setText(qtText(rule.appName));
    // Names for driving the panel from outside (see WidgetMap).
    const QString name = QStringLiteral("rule:") + qtText(rule.appName);
    switch_->setObjectName(name + QStringLiteral(":switch"));
    status_->setObjectName(name + QStringLiteral(":status"));
    delete_->setObjectName(name + QStringLiteral(":delete"));
    setSpokenName(switch_, qtText(L10n::t("a11y.rule.switch", rule.appName)));
    setSpokenName(delete_, qtText(L10n::t("a11y.rule.delete", rule.appName)));
    limit_->setText(qtText(Format::bytes(rule.limitBytes)));
    setPickerValue(limitChoices_, QVariant::fromValue<qulonglong>(rule.limitBytes));
    sustained_->setText(qtText(rule.sustainedLabel()));
    setPickerValue(sustainedChoices_, rule.sustainedSeconds);
    for (std::size_t i = 0; i < kAllRuleActions.size(); ++i) {
        actions_[i]->setButtonStyle(actionStyle(kAllRuleActions[i] == rule.action));
        actions_[i]->setChecked(kAllRuleActions[i] == rule.action);
    }
    switch_->setChecked(rule.isEnabled);
    stateWord_->setText(qtText(L10n::t(rule.isEnabled ? "pro.rules.on" : "pro.rules.off")));
    stateWord_->setColor(rule.isEnabled ? Theme::greenText() : Theme::inkFaint());
    status_->setText(qtText(statusLine(rule, isMasterOn)));
    showOffered(offeredApplications(candidates));
}

void RuleCard::change(const std::function<void(ThresholdRule &)> &edit) {
    ThresholdRule copy = rule_;
    edit(copy);
    onChange_(copy);
}

void RuleCard::showOffered(std::vector<OfferedApplication> offered) {
    // Rebuilt only when what it lists changes, which a sample does and a
    // choice in it does not; so an open menu survives a redraw.
    if (applicationMenuBuilt_ && offered == offeredShown_) return;
    applicationMenuBuilt_ = true;
    offeredShown_ = std::move(offered);
    applicationMenu_->clear();
    for (const OfferedApplication &application : offeredShown_) {
        applicationMenu_->addAction(qtText(application.name), this, [this, application] {
            change([&](ThresholdRule &rule) {
                rule.appKey = application.key;
                rule.appName = application.name;
            });
        });
    }
}

void RuleCard::buildValuePickers() {
    std::vector<PickerChoice> limits;
    for (double gigabytes : ThresholdRule::kLimitChoicesGB) {
        const auto bytes = static_cast<uint64_t>(gigabytes * kBytesPerGB);
        limits.push_back({qtText(Format::bytes(bytes)), QVariant::fromValue<qulonglong>(bytes)});
    }
    limitChoices_ =
        addPicker(limitMenu_, QString(), limits, QVariant(), [this](const QVariant &bytes) {
            change([&](ThresholdRule &rule) { rule.limitBytes = bytes.toULongLong(); });
        });

    std::vector<PickerChoice> times;
    for (double minutes : ThresholdRule::kSustainedChoicesMinutes) {
        times.push_back({qtText(L10n::plural("pro.rules.minutes", static_cast<int64_t>(minutes))),
                         minutes * 60});
    }
    sustainedChoices_ =
        addPicker(sustainedMenu_, QString(), times, QVariant(), [this](const QVariant &seconds) {
            change([&](ThresholdRule &rule) { rule.sustainedSeconds = seconds.toDouble(); });
        });
}

} // namespace quorvel
