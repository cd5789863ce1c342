// Opens one top-level window with the Qt platform the environment names
// (QT_QPA_PLATFORM=wayland for a native Wayland window) and the app id given
// as the first argument, then waits. Exits with 0 when the window is closed
// from outside, with 0 on SIGTERM as well. With a second argument, writes
// its pid to that file once the window is shown.
#include <QFile>
#include <QGuiApplication>
#include <QRasterWindow>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv) {
    if (argc < 2) return 2;
    std::signal(SIGTERM, [](int) { ::_exit(0); });
    QGuiApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QString::fromLocal8Bit(argv[1]));
    QRasterWindow window;
    window.setTitle(QStringLiteral("Quorvel test window"));
    window.resize(200, 120);
    window.show();
    if (argc > 2) {
        const QString path = QString::fromLocal8Bit(argv[2]);
        QTimer::singleShot(0, [path] {
            QFile partial(path + QStringLiteral(".partial"));
            if (!partial.open(QIODevice::WriteOnly)) std::exit(3);
            partial.write(QByteArray::number(static_cast<int>(::getpid())) + '\n');
            partial.close();
            if (!partial.rename(path)) std::exit(3);
        });
    }
    return QGuiApplication::exec();
}
