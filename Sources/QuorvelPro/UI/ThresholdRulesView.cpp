#include "UI/ThresholdRulesView.h"

#include <QMenu>

#include "Engine/ThresholdController.h"
#include "UI/CardBackground.h"
#include "UI/PanelOutlineButton.h"
#include "UI/RuleCard.h"
#include "UI/Theme.h"
#include "UI/Toolkit/Divider.h"
#include "UI/Toolkit/Keyboard.h"
#include "UI/Toolkit/PopupMenu.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/ScrollArea.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/SwitchToggle.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr double kCardRadius = 12;

ButtonStyle addStyle() {
    return labelOnly(systemFont(12.5, FontWeight::medium), Theme::greenText());
}

} // namespace

ThresholdRulesView::ThresholdRulesView(ThresholdController &controller,
                                       std::function<void()> onClose, QWidget *parent)
    : QWidget(parent)
    , controller_(&controller) {
    auto *stack = vstack(0, this);
    auto *header = hstack(0, nullptr, Insets{16, 12, 16, 12});
    header->addWidget(new TextView(qtText(L10n::t("pro.rules.title")),
                                   systemFont(15, FontWeight::semibold), Theme::ink(), this),
                      0, Qt::AlignVCenter);
    addFlexibleSpace(header);
    done_ = new StyledButton(PanelOutlineButton(), qtText(L10n::t("pro.rules.done")), {}, this);
    done_->setObjectName(QStringLiteral("rules:done"));
    connect(done_, &QAbstractButton::clicked, this, [onClose = std::move(onClose)] { onClose(); });
    header->addWidget(done_, 0, Qt::AlignVCenter);
    stack->addLayout(header);
    stack->addWidget(new Divider(Theme::hairline(), this));

    auto *content = new QWidget;
    auto *column = vstack(12, content, Insets::all(16));
    column->setAlignment(Qt::AlignTop);

    // Said once, above everything, for the whole run.
    const auto addNotice = [&](const std::string &title, const std::string &notice,
                               const QString &name) {
        auto *card = new CardBackground(kCardRadius, content);
        auto *text = vstack(3, card, Insets::all(14));
        if (!title.empty())
            text->addWidget(new TextView(qtText(title), systemFont(13.5, FontWeight::semibold),
                                         Theme::amber(), card));
        auto *body = new TextView(qtText(notice), systemFont(11.5, FontWeight::regular),
                                  title.empty() ? Theme::amber() : Theme::inkDim(), card);
        body->setWrapping(true);
        body->setObjectName(name);
        text->addWidget(body);
        column->addWidget(card);
        return body;
    };
    // No rule acts until the user makes new ones.
    if (const std::string notice = controller.unreadableRulesNotice(); !notice.empty())
        unreadableNote_ = addNotice(L10n::t("pro.rules.unreadable.title"), notice,
                                    QStringLiteral("rules:unreadable"));
    // Until then, no rule freezes or restarts anything.
    if (const std::string notice = controller.shellExtensionNotice(); !notice.empty())
        addNotice({}, notice, QStringLiteral("rules:shellExtension"));

    auto *masterCard = new CardBackground(kCardRadius, content);
    auto *masterRow = hstack(8, masterCard, Insets::all(14));
    auto *masterText = vstack(3);
    masterText->addWidget(new TextView(qtText(L10n::t("pro.rules.automatic.title")),
                                       systemFont(13.5, FontWeight::semibold), Theme::ink(),
                                       masterCard));
    auto *note = new TextView(qtText(L10n::t("pro.rules.automatic.note")),
                              systemFont(11.5, FontWeight::regular), Theme::inkDim(), masterCard);
    note->setWrapping(true);
    masterText->addWidget(note);
    masterRow->addLayout(masterText, 1);
    masterWord_ =
        new TextView(QString(), systemFont(10, FontWeight::semibold, FontDesign::monospaced),
                     Theme::inkFaint(), masterCard);
    masterRow->addWidget(masterWord_, 0, Qt::AlignVCenter);
    master_ = new SwitchToggle(Theme::green(), masterCard);
    master_->setCheckable(true);
    master_->setObjectName(QStringLiteral("rules:master"));
    master_->setAccessibleName(qtText(L10n::t("pro.rules.automatic.title")));
    masterRow->addWidget(master_, 0, Qt::AlignVCenter);
    connect(master_, &QAbstractButton::clicked, this, [this](bool on) {
        if (controller_) controller_->setAutomaticGovernanceOn(on);
    });
    column->addWidget(masterCard);

    cardBox_ = new QWidget(content);
    auto *cardStack = vstack(12, cardBox_);
    column->addWidget(cardBox_);

    add_ =
        new StyledButton(addStyle(), qtText(L10n::t("pro.rules.add")), "plus.circle.fill", content);
    add_->setLabelSpacing(7);
    add_->setObjectName(QStringLiteral("rules:add"));
    addMenu_ = new QMenu(add_);
    attachPopupMenu(add_, addMenu_);
    column->addWidget(add_, 0, Qt::AlignLeft);

    empty_ = new TextView(qtText(L10n::t("pro.rules.empty")), systemFont(11.5, FontWeight::regular),
                          Theme::inkDim(), content);
    empty_->setWrapping(true);
    column->addWidget(empty_);
    stack->addWidget(new ScrollArea(content, kMaximumHeight, this));

    cards_ = std::make_unique<KeyedRows<ThresholdRule, Uuid>>(
        cardStack, [](const ThresholdRule &rule) { return rule.id; },
        [this](const ThresholdRule &rule) {
            auto *card = new RuleCard(
                [this](const ThresholdRule &edited) {
                    if (controller_) controller_->update(edited);
                },
                [this, id = rule.id] {
                    if (controller_) controller_->removeRule(id);
                },
                cardBox_);
            card->show(rule, candidates_, controller_->isAutomaticGovernanceOn());
            return card;
        },
        [this](QWidget *card, const ThresholdRule &rule) {
            static_cast<RuleCard *>(card)->show(rule, candidates_,
                                                controller_->isAutomaticGovernanceOn());
        });

    connect(&controller, &ThresholdController::rulesChanged, this, &ThresholdRulesView::refresh);
    connect(&controller, &ThresholdController::automaticGovernanceChanged, this,
            &ThresholdRulesView::refresh);
    refresh();
}

void ThresholdRulesView::setCandidates(const std::vector<AppGroup> &candidates) {
    candidates_ = candidates;
    refresh();
}

std::vector<RuleCard *> ThresholdRulesView::cards() const {
    std::vector<RuleCard *> cards;
    if (!controller_) return cards;
    for (const ThresholdRule &rule : controller_->rules())
        cards.push_back(static_cast<RuleCard *>(cards_->row(rule.id)));
    return cards;
}

void ThresholdRulesView::refresh() {
    if (!controller_) return;
    const bool on = controller_->isAutomaticGovernanceOn();
    master_->setChecked(on);
    masterWord_->setText(qtText(L10n::t(on ? "pro.rules.on" : "pro.rules.off")));
    masterWord_->setColor(on ? Theme::greenText() : Theme::inkFaint());
    const std::vector<ThresholdRule> &rules = controller_->rules();
    cards_->show(rules);
    // Tab reads the screen top down: cards come and go between the switch
    // above them and the add button below.
    std::vector<QWidget *> order{done_, master_};
    for (const RuleCard *card : cards()) {
        const std::vector<QWidget *> controls = card->controls();
        order.insert(order.end(), controls.begin(), controls.end());
    }
    order.push_back(add_);
    chainTabOrder(order);
    cardBox_->setVisible(!rules.empty());
    empty_->setVisible(rules.empty());
    rebuildAddMenu();
}

void ThresholdRulesView::rebuildAddMenu() {
    std::vector<OfferedApplication> offered = offeredApplications(candidates_);
    // Rebuilt only when what it lists changes, so an open menu survives a
    // sample.
    if (addMenuBuilt_ && offered == addMenuShows_) return;
    addMenuBuilt_ = true;
    addMenuShows_ = std::move(offered);
    addMenu_->clear();
    if (addMenuShows_.empty()) {
        addMenu_->addAction(qtText(L10n::t("pro.rules.sampling")))->setEnabled(false);
        return;
    }
    for (const OfferedApplication &application : addMenuShows_) {
        addMenu_->addAction(qtText(application.name), this, [this, application] {
            if (controller_) controller_->addRule(application.key, application.name);
        });
    }
}

} // namespace quorvel
