// Lists a folder of 100,000 entries from pyftpdlib on loopback the way the remote pane
// does and prints the time from the start of "LIST -L" to the rows being shown, split
// into transfer (the listing into the cache file), parse and display.
#include "AppPaths.h"
#include "Ftpcli.h"
#include "Listing.h"
#include "RealServers.h"
#include "RemoteListing.h"
#include "RemotePaneWidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path()));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("1Quillon"));

    RealFtpServer server = StartPyftpdlib();
    if (!server.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.failure));
        return 1;
    }
    constexpr int kEntries = 100000;
    const QString big = server.root + QStringLiteral("/big");
    QDir().mkpath(big);
    for (int i = 0; i < kEntries; ++i) {
        QFile f(big + QStringLiteral("/file_%1.dat").arg(i, 6, 10, QLatin1Char('0')));
        f.open(QIODevice::WriteOnly);
    }

    RemotePaneWidget pane;
    pane.resize(1200, 800);
    pane.show();
    auto* list = pane.findChild<QTreeWidget*>(QStringLiteral("remoteListView"));

    TFtpClient client;
    client.SetHostName(QStringLiteral("127.0.0.1"));
    client.SetPort(QString::number(server.port));
    client.SetUserName(server.user);
    client.SetPassWord(server.password);
    client.SetTimeout(120);
    client.SetHostDirName(QStringLiteral("/big"));
    if (!client.Connect() || !client.Cwd() || !client.TypeAscii()) return 1;
    const QString file =
        RemoteListing::cacheFile(AppPaths::programDir(), QStringLiteral("127.0.0.1"),
                                 QString::number(server.port), server.user, QStringLiteral("/big"));
    QDir().mkpath(QFileInfo(file).path());
    client.SetLocalFileName(file);

    QElapsedTimer timer;
    timer.start();
    if (!client.Dir()) return 1;
    const double transfer = double(timer.nsecsElapsed()) / 1e9;
    timer.restart();
    ListingColumns columns;
    ReadListingFile(file, columns);
    const double parse = double(timer.nsecsElapsed()) / 1e9;
    timer.restart();
    pane.ShowRows(RemoteListing::rows(columns));
    QApplication::processEvents();
    const double display = double(timer.nsecsElapsed()) / 1e9;
    if (list->topLevelItemCount() != kEntries) {
        std::fprintf(stderr, "%d rows shown\n", list->topLevelItemCount());
        return 1;
    }
    client.Quit();
    std::printf("remote_listing_entries: %d entries\n", kEntries);
    std::printf("remote_listing_transfer_time: %.3f s\n", transfer);
    std::printf("remote_listing_parse_time: %.3f s\n", parse);
    std::printf("remote_listing_display_time: %.3f s\n", display);
    std::printf("remote_listing_total_time: %.3f s\n", transfer + parse + display);
    return 0;
}
