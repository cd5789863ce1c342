#include "UI/Toolkit/LinkButton.h"

#include <QDesktopServices>

namespace quorvel {

LinkButton::LinkButton(ButtonStyle style, const QString &text, std::string symbol,
                       const QUrl &address, QWidget *parent)
    : StyledButton(std::move(style), text, std::move(symbol), parent)
    , address_(address) {
    setToolTip(address_.toDisplayString());
    connect(this, &QAbstractButton::clicked, this, [this] { QDesktopServices::openUrl(address_); });
}

} // namespace quorvel
