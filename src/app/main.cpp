#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("1Quillon"));
    QApplication::setOrganizationName(QStringLiteral("1Quillon"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("1Quillon "));
    window.resize(1280, 800);
    window.show();
    return app.exec();
}
