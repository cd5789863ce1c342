#include "UI/HistoryView.h"

#include <QDateTime>

#include "UI/PanelOutlineButton.h"
#include "UI/Theme.h"
#include "UI/Toolkit/Describable.h"
#include "UI/Toolkit/Divider.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/ScrollArea.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/SymbolView.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

// One record: outcome mark, what was done to which application, the detail
// and the time; a hairline below.
class RecordRow : public QWidget, public Describable {
public:
    explicit RecordRow(QWidget *parent)
        : QWidget(parent)
        , mark_(new SymbolView("checkmark.circle.fill", 14, Theme::green(), this))
        , title_(new TextView(QString(), systemFont(13, FontWeight::regular), Theme::ink(), this))
        , detail_(
              new TextView(QString(), systemFont(11, FontWeight::regular), Theme::inkDim(), this))
        , time_(new TextView(QString(), systemFont(11, FontWeight::regular), Theme::inkFaint(),
                             this)) {
        detail_->setWrapping(true);
        title_->setTruncates(true);
        auto *stack = vstack(0, this);
        auto *row = hstack(9, nullptr, Insets{16, 8, 16, 8});
        row->addWidget(mark_, 0, Qt::AlignVCenter);
        // The time stands on the title's line, so that the detail sentence
        // has the row's whole width and does not leave its last words on a
        // line of their own.
        auto *text = vstack(2);
        auto *titleLine = hstack(9);
        titleLine->addWidget(title_, 1);
        titleLine->addWidget(time_, 0, Qt::AlignVCenter);
        text->addLayout(titleLine);
        text->addWidget(detail_);
        row->addLayout(text, 1);
        stack->addLayout(row);
        stack->addWidget(new Divider(Theme::hairline(), this));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    void show(const ActionRecord &record) {
        mark_->setSymbol(record.success ? "checkmark.circle.fill" : "xmark.circle.fill");
        mark_->setColor(record.success ? Theme::green() : Theme::red());
        title_->setText(qtText(L10n::t(
            "pro.history.row", displayName(record.action, L10n::shared()), record.appName)));
        // An amount is never split between its number and its unit.
        detail_->setText(qtText(record.detail)
                             .replace(QStringLiteral(" MB"), QStringLiteral("\u00a0MB"))
                             .replace(QStringLiteral(" GB"), QStringLiteral("\u00a0GB")));
        time_->setText(HistoryView::timeOfDay(record.timestamp, Format::locale()));
        describedNameChanged(this);
    }

    // One sentence: what was done to which app, when, and how it went.
    QAccessible::Role accessibleRole() const override { return QAccessible::ListItem; }
    QString accessibleText() const override {
        const std::string when = L10n::t("a11y.row.withBadge", title_->text().toStdString(),
                                         time_->text().toStdString());
        return qtText(L10n::t("a11y.row.withBadge", when, detail_->text().toStdString()));
    }

private:
    SymbolView *mark_;
    TextView *title_;
    TextView *detail_;
    TextView *time_;
};

} // namespace

HistoryView::HistoryView(std::function<void()> onClose, QWidget *parent)
    : QWidget(parent) {
    auto *stack = vstack(0, this);
    auto *header = hstack(0, nullptr, Insets{16, 12, 16, 12});
    header->addWidget(new TextView(qtText(L10n::t("pro.history.title")),
                                   systemFont(15, FontWeight::semibold), Theme::ink(), this),
                      0, Qt::AlignVCenter);
    addFlexibleSpace(header);
    auto *close =
        new StyledButton(PanelOutlineButton(), qtText(L10n::t("pro.history.close")), {}, this);
    close->setObjectName(QStringLiteral("history:close"));
    connect(close, &QAbstractButton::clicked, this, [onClose = std::move(onClose)] { onClose(); });
    header->addWidget(close, 0, Qt::AlignVCenter);
    stack->addLayout(header);
    stack->addWidget(new Divider(Theme::hairline(), this));

    empty_ = new TextView(qtText(L10n::t("pro.history.empty")), systemFont(12, FontWeight::regular),
                          Theme::inkDim(), this);
    empty_->setWrapping(true);
    stack->addWidget(inset(empty_, Insets::all(22)));

    auto *content = new QWidget;
    auto *column = vstack(0, content);
    column->setAlignment(Qt::AlignTop);
    list_ = new ScrollArea(content, kMaximumListHeight, this);
    stack->addWidget(list_);

    rows_ = std::make_unique<KeyedRows<ActionRecord, Key>>(
        column,
        [](const ActionRecord &record) {
            return Key{record.id.high, record.id.low};
        },
        [content](const ActionRecord &record) {
            auto *row = new RecordRow(content);
            row->show(record);
            return row;
        },
        [](QWidget *row, const ActionRecord &record) {
            static_cast<RecordRow *>(row)->show(record);
        });
    setHistory({});
}

void HistoryView::setHistory(const std::vector<ActionRecord> &history) {
    history_ = history;
    empty_->parentWidget()->setVisible(history.empty());
    list_->setVisible(!history.empty());
    rows_->show(history);
    list_->updateGeometry();
}

std::vector<QWidget *> HistoryView::rows() const {
    std::vector<QWidget *> rows;
    for (const ActionRecord &record : history_)
        rows.push_back(rows_->row({record.id.high, record.id.low}));
    return rows;
}

QString HistoryView::timeOfDay(ActionRecord::Clock::time_point timestamp, const QLocale &locale) {
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(timestamp.time_since_epoch());
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(milliseconds.count());
    return locale.toString(local.time(), QLocale::ShortFormat);
}

} // namespace quorvel
