#include "Main.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("1Quillon"));
    QApplication::setQuitOnLastWindowClosed(false);

    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) runtime = QDir::tempPath();
    SingleInstance instance(runtime);
    if (!instance.claim()) return 0;

    TMainform window;
    instance.onLaterCopy = [&window] { window.BringToFront(); };
    window.FormCreate();
    window.CreateDialogs();
    return app.exec();
}
