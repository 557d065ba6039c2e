// Writes the program's icon as PNG files of the hicolor theme sizes, for installing:
// quillon-icon-writer FOLDER writes FOLDER/NxN.png.
#include "AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const QIcon icon = AppIcon();
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral("%1/%2x%2.png").arg(folder).arg(size);
        if (!icon.pixmap(size, size).save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
