// Takes the README's screenshots of the real window: quillon-tour HOST PORT FOLDER logs in
// to the FTP server at HOST:PORT (anonymous), queues every file of its folder "big" for
// download, and writes PNG files into FOLDER: the transfer queue with its progress panels,
// the site manager with a site and a bookmark, and the local pane. It drives the window by
// its controls' object names, as a user would click them.
#include "AppPaths.h"
#include "LocalPane.h"
#include "Main.h"
#include "NavigationManager.h"
#include "QueueModel.h"
#include "SiteTree.h"
#include "TestLoop.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>

namespace {

template <typename T> T* control(QWidget* w, const char* name) {
    return w->findChild<T*>(QLatin1String(name));
}

bool shoot(QWidget* w, const QString& file) {
    const bool ok = w->grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "Usage: %s HOST PORT FOLDER\n", argv[0]);
        return 2;
    }
    const QString host = QString::fromLocal8Bit(argv[1]), port = QString::fromLocal8Bit(argv[2]);
    const QString out = QString::fromLocal8Bit(argv[3]);
    QDir().mkpath(out);
    {
        // A few saved sites and a bookmark, as a user would have them.
        SiteTree sites(AppPaths::programDir() + SiteTree::kFileName);
        sites.load();
        const int work = sites.addFolder(QStringLiteral("Work"), 0);
        const int demo = sites.addEntry(QStringLiteral("Demo server"), work, host,
                                        QStringLiteral("anonymous"), QStringLiteral("demo@"), port,
                                        QDir::homePath(), QStringLiteral("/"), true);
        sites.addEntry(QStringLiteral("Big files"), demo, host, QStringLiteral("anonymous"),
                       QStringLiteral("demo@"), port, QDir::homePath(), QStringLiteral("/big"),
                       false);
        const int personal = sites.addFolder(QStringLiteral("Personal"), 0);
        sites.addEntry(QStringLiteral("Photo archive"), personal, QStringLiteral("ftp.example.org"),
                       QStringLiteral("me"), QStringLiteral("x"), QStringLiteral("21"),
                       QDir::homePath(), QStringLiteral("/photos"), true);
    }
    TMainform w;
    w.FormCreate();
    w.CreateDialogs();
    w.showNormal();
    w.resize(1400, 900);
    w.Queues().Queue().clear();
    w.Queues().FailQueue().clear();

    // Logged in through the quick bar.
    control<QAction>(&w, "QuickBar1")->trigger();
    control<QLineEdit>(&w, "Quickhost")->setText(host);
    control<QLineEdit>(&w, "quickport")->setText(port);
    control<QToolButton>(&w, "quick_connect")->click();
    auto* remote = control<QTreeWidget>(&w, "remoteListView");
    if (!waitFor([&] { return w.Navigation()->IsIdle() && remote->topLevelItemCount() > 0; },
                 15000)) {
        std::fprintf(stderr, "no listing from %s:%s\n", argv[1], argv[2]);
        return 1;
    }
    const QString local = QDir::homePath() + QStringLiteral("/Downloads/1Quillon tour");
    QDir().mkpath(local);
    auto* pane = w.findChild<LocalPane*>(QStringLiteral("local_pane"));
    pane->ListFolder(local);

    // Into "big", everything selected and downloaded: the thread panel shows the workers.
    w.Navigation()->ChangeDirectory(QStringLiteral("/big"), true);
    waitFor(
        [&] { return w.Navigation()->IsIdle() && w.Navigation()->DisplayedDirectory() == "/big"; },
        15000);
    remote->setFocus();
    remote->selectAll();
    control<QAction>(&w, "Download_Button")->trigger();
    control<QTabWidget>(&w, "thread_panel")->setCurrentIndex(1);
    spinFor(2500);
    shoot(&w, out + QStringLiteral("/transfer-queue.png"));

    // The local pane with what arrived, once the queue is done.
    waitFor(
        [&] {
            for (const auto& item : w.Queues().Queue().root()->children) {
                if (item->state() != DownloadDone) return false;
            }
            return true;
        },
        120000);
    control<QTabWidget>(&w, "thread_panel")->setCurrentIndex(0);
    pane->ListFolder(local);
    spinFor(1500);
    shoot(&w, out + QStringLiteral("/local-pane.png"));

    // The site manager, with the sites saved before the start.
    control<QTabWidget>(&w, "thread_panel")->setCurrentIndex(2);
    spinFor(500);
    shoot(&w, out + QStringLiteral("/site-manager.png"));
    w.Navigation()->CloseSession();
    QDir(local).removeRecursively();
    return 0;
}
