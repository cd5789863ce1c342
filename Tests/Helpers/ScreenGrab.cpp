#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

// Saves a picture of the whole X screen of $DISPLAY to the file named by its
// one argument; exits with 1 when it cannot.
int main(int argc, char **argv) {
    if (argc != 2) return 1;
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) return 1;
    return screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
