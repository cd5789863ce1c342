// Holds the tray on the bus at the address given, as a panel does: owns
// org.kde.StatusNotifierWatcher, says "ready" and runs until a signal ends it.
#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLocal8Bit(argv[1]), "tray");
    if (!bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) return 3;
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
