// Deletes a remote tree of 2,000 files in 50 folders on vsftpd on loopback with the
// browsing session's recursive delete, and the same tree with lftp's "rm -r" in the same
// run; prints both times and their ratio.
#include "AppPaths.h"
#include "NavigationManager.h"
#include "RealServers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The session's view, doing nothing.
struct QuietPane : RemotePane, SessionControls {
    QStringList messages;
    bool AskBreakConnection() override { return true; }
    void ShowMessage(const QString& text) override { messages << text; }
    void ClearAddressBox() override {}
    void AddToAddressHistory(const QString&) override {}
    void SetAddressText(const QString&) override {}
    void ShowRows(const QList<RemoteRow>&) override {}
    void ClearRows() override {}
    void SetPaneEnabled(bool) override {}
    void SetIdle(bool) override {}
    void SetSessionControls(bool) override {}
    void SetIdleControls(bool) override {}
    void ShowStatus(const QString&) override {}
};

constexpr int kTopFolders = 10, kSubFolders = 4, kFilesPerFolder = 40;

void writable(const QString& folder) {
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
}

// 10 folders of 4 subfolders each: 50 folders of 40 small files.
void makeTree(const QString& root) {
    writable(root);
    for (int t = 0; t < kTopFolders; ++t) {
        const QString top = root + QStringLiteral("/top%1").arg(t);
        QStringList folders{top};
        for (int s = 0; s < kSubFolders; ++s)
            folders << top + QStringLiteral("/sub%1").arg(s);
        for (const QString& folder : folders) {
            writable(folder);
            for (int f = 0; f < kFilesPerFolder; ++f) {
                QFile file(folder + QStringLiteral("/file%1.txt").arg(f));
                file.open(QIODevice::WriteOnly);
                file.write("some bytes\n");
            }
        }
    }
}

double seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir scratch;
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path()));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("1Quillon"));
    RealFtpServer server = StartVsftpd();
    if (!server.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.failure));
        return 1;
    }
    const QString tree = server.root + QStringLiteral("/tree");
    QFile::setPermissions(server.root, QFileDevice::Permissions(0x7777));

    // 1Quillon: the tree's row selected and deleted, until the folder is listed again.
    makeTree(tree);
    QuietPane pane;
    SessionLog log;
    SettingsSource settings;
    Navigation_Manager session(pane, pane, log, settings, AppPaths::programDir());
    session.QuickConnect(QStringLiteral("127.0.0.1"), server.user, server.password,
                         QString::number(server.port));
    const auto waitIdle = [&](int ms) {
        QElapsedTimer t;
        t.start();
        while (!(session.IsIdle() && !session.Deleting()) && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return session.IsIdle();
    };
    if (!waitIdle(15000)) {
        std::fprintf(stderr, "no session\n");
        return 1;
    }
    RemoteRow row;
    row.name = QStringLiteral("tree");
    row.type = RemoteListing::kFolderType;
    row.folder = true;
    QElapsedTimer timer;
    timer.start();
    session.DeleteRows({row});
    if (!waitIdle(600000) || QFileInfo::exists(tree)) {
        std::fprintf(stderr, "the tree is still there: %s\n", qPrintable(pane.messages.join(' ')));
        return 1;
    }
    const double ours = seconds(timer);
    session.CloseSession();

    // lftp on the same server and tree.
    makeTree(tree);
    QProcess lftp;
    timer.restart();
    lftp.start(QStringLiteral("lftp"),
               {QStringLiteral("-u"), server.user + u',' + server.password, QStringLiteral("-p"),
                QString::number(server.port), QStringLiteral("-e"),
                QStringLiteral("set cmd:fail-exit yes; rm -r %1; quit").arg(tree),
                QStringLiteral("127.0.0.1")});
    if (!lftp.waitForFinished(600000) || lftp.exitCode() != 0 || QFileInfo::exists(tree)) {
        std::fprintf(stderr, "lftp failed: %s\n", lftp.readAllStandardError().constData());
        return 1;
    }
    const double theirs = seconds(timer);

    const int files = kTopFolders * (1 + kSubFolders) * kFilesPerFolder;
    std::printf("remote_delete_files: %d files\n", files);
    std::printf("remote_delete_folders: %d folders\n", kTopFolders * (1 + kSubFolders));
    std::printf("remote_delete_time: %.3f s\n", ours);
    std::printf("remote_delete_lftp_time: %.3f s\n", theirs);
    std::printf("remote_delete_vs_lftp_ratio: %.2f\n", ours / theirs);
    return 0;
}
