// Saves and loads a queue-shaped tree of 100,000 items (1,000 folders of 99 files,
// eight column texts each) through the tree item stream, and prints the times.
#include "TreeItemStream.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

TreeRecord item(const QByteArray& name, int state) {
    TreeRecord r;
    r.text = name;
    r.state.imageIndex = state;
    r.columns = {
        "download",  "/home/user/downloads/" + name, "1048576", "waiting", "0", "ftp.example.org",
        "anonymous", "\xf2\xef\xf6\xe5\xf2\xc0"};
    return r;
}

} // namespace

int main() {
    TreeRecord root;
    for (int f = 0; f < 1000; ++f) {
        TreeRecord folder = item("/pub/folder_" + QByteArray::number(f), 9);
        for (int i = 0; i < 99; ++i)
            folder.children.push_back(item("file_" + QByteArray::number(i) + ".dat", 1));
        root.children.push_back(std::move(folder));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("queue.uque"));

    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!treestream::SaveFile(root, path, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double saveSeconds = double(timer.nsecsElapsed()) / 1e9;

    TreeRecord back;
    timer.restart();
    if (!treestream::LoadFile(back, path, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double loadSeconds = double(timer.nsecsElapsed()) / 1e9;
    if (!(back == root)) {
        std::fprintf(stderr, "the loaded tree differs from the saved one\n");
        return 1;
    }
    std::printf("queue_items: 100000 items\n");
    std::printf("queue_file_size: %lld bytes\n", QFileInfo(path).size());
    std::printf("queue_save_time: %.3f s\n", saveSeconds);
    std::printf("queue_load_time: %.3f s\n", loadSeconds);
    return 0;
}
