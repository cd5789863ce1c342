#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "Model/AppGroup.h"
#include "UI/Toolkit/Describable.h"

class QMenu;

namespace quorvel {

class AppIconView;
class Badge;
class StyledButton;
class TextView;
class UsageBar;

// One application of the list: icon, name, badge and footprint over a usage
// bar with the peak, and a menu of what may be done to it. Updated in place
// on every sample, so an open menu stays open. The keyboard stops on the
// row as a whole: Enter, Space or the menu key open its menu, the arrows move
// to the row above or below.
class GroupRow : public QWidget, public Describable {
    Q_OBJECT
public:
    // Each is handed the group as the row shows it at the moment of the click.
    struct Actions {
        std::function<void(const AppGroup &)> onSuspend;
        std::function<void(const AppGroup &)> onResume;
        std::function<void(const AppGroup &)> onRestart;
    };

    GroupRow(Actions actions, QWidget *parent = nullptr);

    void show(const AppGroup &group, uint64_t maxValue, std::optional<std::string> blockReason);

    // The caption's natural width; and the bar shortened as far as the
    // widest caption of the list needs, so that every row's bar is as long.
    int captionWidth() const;
    void alignBar(int widestCaption);

    // The bar's fraction: the footprint over the largest one, where a largest
    // of 0 or 1 counts as 1.
    static double fraction(uint64_t current, uint64_t maxValue);

    // Read as one sentence: name, footprint, peak, processes and badge.
    QAccessible::Role accessibleRole() const override { return QAccessible::ListItem; }
    QString accessibleText() const override { return sentence_; }

    const AppGroup &group() const { return group_; }
    AppIconView *icon() const { return icon_; }
    TextView *name() const { return name_; }
    // Hidden when the group earns no badge.
    Badge *badge() const { return badge_; }
    TextView *footprint() const { return footprint_; }
    UsageBar *bar() const { return bar_; }
    TextView *caption() const { return caption_; }
    StyledButton *menuButton() const { return menuButton_; }
    QMenu *menu() const { return menu_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void rebuildMenu();

    Actions actions_;
    AppGroup group_;
    std::optional<std::string> blockReason_;
    // What the menu was last built for: stopped, and the block reason.
    std::optional<std::pair<bool, std::optional<std::string>>> menuBuiltFor_;
    AppIconView *icon_;
    TextView *name_;
    Badge *badge_;
    TextView *footprint_;
    UsageBar *bar_;
    TextView *caption_;
    StyledButton *menuButton_;
    QMenu *menu_;
    QWidget *barLine_;
    QString sentence_;
    // The badge the sentence ends with, empty without one.
    QString shownBadge_;
};

} // namespace quorvel
