// Takes a picture of an X screen, or of one window on it, as PNG: for the desktop tests and the
// README's screenshots, without an image tool on the machine.
//   tavrin-screenshot OUTPUT.png [WINDOW-ID | X,Y,WIDTH,HEIGHT]
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [WINDOW-ID | X,Y,WIDTH,HEIGHT]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "no screen to take a picture of\n");
        return 1;
    }
    WId window = 0;
    int x = 0, y = 0, width = -1, height = -1;
    if (argc == 3) {
        char rest = 0;
        if (std::sscanf(argv[2], "%d,%d,%d,%d%c", &x, &y, &width, &height, &rest) != 4) {
            x = y = 0;
            width = height = -1;
            char* end = nullptr;
            window = static_cast<WId>(std::strtoull(argv[2], &end, 0));
            if (!end || *end != '\0') {
                std::fprintf(stderr, "neither a window id nor a rectangle: %s\n", argv[2]);
                return 2;
            }
        }
    }
    const QPixmap picture = screen->grabWindow(window, x, y, width, height);
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "could not take or save the picture\n");
        return 1;
    }
    return 0;
}
