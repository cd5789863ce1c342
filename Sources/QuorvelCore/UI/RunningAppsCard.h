#pragma once

#include <QWidget>

#include <cstddef>

namespace quorvel {

class LinkButton;
class TextView;

// How many applications are running, and why this edition does no more
// with them, on a rounded surface.
class RunningAppsCard : public QWidget {
    Q_OBJECT
public:
    explicit RunningAppsCard(QWidget *parent = nullptr);

    void setCount(std::size_t count);

    TextView *count() const { return count_; }
    LinkButton *learnMore() const { return learnMore_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TextView *count_;
    LinkButton *learnMore_;
};

} // namespace quorvel
