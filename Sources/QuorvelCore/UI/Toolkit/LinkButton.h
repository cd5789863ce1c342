#pragma once

#include <QUrl>

#include "UI/Toolkit/StyledButton.h"

namespace quorvel {

// A button that opens an address in the desktop's browser.
class LinkButton : public StyledButton {
    Q_OBJECT
public:
    LinkButton(ButtonStyle style, const QString &text, std::string symbol, const QUrl &address,
               QWidget *parent = nullptr);

    const QUrl &address() const { return address_; }

private:
    QUrl address_;
};

} // namespace quorvel
