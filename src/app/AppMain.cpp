#include "Main.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("1Quillon"));
    QApplication::setQuitOnLastWindowClosed(false);

    // One copy per user: a second one ends before it opens a window or touches any
    // stored file.
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) runtime = QDir::tempPath();
    QLockFile lock(runtime + QStringLiteral("/1Quillon.lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) return 0;

    TMainform window;
    window.FormCreate();
    window.CreateDialogs();
    return app.exec();
}
