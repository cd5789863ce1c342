#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

#include "UI/Toolkit/Describable.h"

namespace quorvel {

// A confirmation shown inside the panel, over its content, while a request is
// pending: a title, a message and buttons by role. Any button, and Escape for
// the cancel role, ends it. It takes the keyboard while shown: the first
// button has the focus, Tab stays among its buttons, and the focus goes back
// where it was when it ends.
class ConfirmationDialog : public QWidget, public Describable {
    Q_OBJECT
public:
    enum class Role { normal, destructive, cancel };
    struct Button {
        QString label;
        Role role = Role::normal;
        std::function<void()> action;
    };

    // Covers `panel` and follows its size.
    explicit ConfirmationDialog(QWidget *panel);

    void present(const QString &title, const QString &message, std::vector<Button> buttons);
    void dismiss();
    bool isPresented() const { return !isHidden(); }

    QAccessible::Role accessibleRole() const override { return QAccessible::Dialog; }
    QString accessibleText() const override { return title_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void choose(const Button &button);

    QWidget *card_;
    std::vector<Button> buttons_;
    std::vector<QWidget *> controls_;
    QString title_;
    QPointer<QWidget> returnFocus_;
};

} // namespace quorvel
