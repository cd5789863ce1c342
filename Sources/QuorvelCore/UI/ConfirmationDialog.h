#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

namespace quorvel {

// A confirmation shown inside the panel, over its content, while a request is
// pending: a title, a message and buttons by role. Any button, and Escape for
// the cancel role, ends it.
class ConfirmationDialog : public QWidget {
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void choose(const Button &button);

    QWidget *card_;
    std::vector<Button> buttons_;
};

} // namespace quorvel
