#pragma once

#include <QWidget>

#include <optional>
#include <string>

namespace quorvel {

// An application's icon in a square frame with rounded corners, optionally
// faded.
class AppIconView : public QWidget {
    Q_OBJECT
public:
    AppIconView(int side, double cornerRadius, QWidget *parent = nullptr);

    void setApplication(const std::optional<std::string> &appPath);
    void setIconOpacity(double opacity);
    double iconOpacity() const { return opacity_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double cornerRadius_;
    double opacity_ = 1.0;
    std::optional<std::string> appPath_;
    bool known_ = false;
};

} // namespace quorvel
