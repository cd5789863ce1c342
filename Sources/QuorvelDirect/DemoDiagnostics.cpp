#include "DemoDiagnostics.h"

#include <QSaveFile>

#include "Util/ShortestDecimal.h"

namespace quorvel::DemoDiagnostics {

std::string text(const QRect &frame, const QString &diagnostics) {
    std::string text;
    for (int value : {frame.x(), frame.y(), frame.width(), frame.height()}) {
        if (!text.empty()) text += ' ';
        text += shortestDecimal(value);
    }
    text += '\n';
    text += diagnostics.toStdString();
    text += '\n';
    return text;
}

void write(const QString &file, const std::string &text) {
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return;
    // Left uncommitted, a short write leaves the previous file as it was.
    if (out.write(text.data(), static_cast<qint64>(text.size())) ==
        static_cast<qint64>(text.size())) {
        out.commit();
    }
}

} // namespace quorvel::DemoDiagnostics
