// Packs 1 GiB of mixed files (text that compresses, random bytes that do not, in files of
// many sizes) with the upload's packer and with "zip -r -6" in the same run, at the same
// compression level; prints both times, their ratio, and the longest time the event loop
// went without a turn while packing.
#include "ZipPacker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

#include <unistd.h>

namespace {

double seconds(qint64 ns) {
    return double(ns) / 1e9;
}

// Half text-like (compressible), half random, in files from 4 KiB to 64 MiB.
qint64 makeTree(const QString& root) {
    QRandomGenerator random(42);
    QByteArray text;
    while (text.size() < (1 << 20))
        text += "line " + QByteArray::number(text.size()) + " of a log file with some words\n";
    qint64 total = 0;
    int n = 0;
    const qint64 sizes[] = {4 << 10, 64 << 10, 1 << 20, 8 << 20, 64 << 20};
    while (total < (qint64(1) << 30)) {
        const qint64 size = sizes[n % 5];
        const QString folder = root + QStringLiteral("/d%1").arg(n % 7);
        QDir().mkpath(folder);
        QFile f(folder + QStringLiteral("/f%1.bin").arg(n));
        f.open(QIODevice::WriteOnly);
        QByteArray block(1 << 20, '\0');
        for (qint64 left = size; left > 0;) {
            const qint64 part = std::min<qint64>(left, block.size());
            if (n % 2 == 0) {
                f.write(text.constData(), part);
            } else {
                random.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
                f.write(block.constData(), part);
            }
            left -= part;
        }
        total += size;
        ++n;
    }
    return total;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString tree = scratch.path() + QStringLiteral("/tree");
    const qint64 bytes = makeTree(tree);

    // Both runs start with the tree's pages written out, so neither pays for the other.
    ::sync();
    QElapsedTimer timer, sinceTurn;
    qint64 longest = 0;
    timer.start();
    sinceTurn.start();
    const ZipPacker::Result r =
        ZipPacker::pack({tree}, scratch.path() + QStringLiteral("/ours.zip"), 6, [&](double) {
            longest = std::max(longest, sinceTurn.nsecsElapsed());
            QCoreApplication::processEvents();
            sinceTurn.restart();
            return true;
        });
    const double ours = seconds(timer.nsecsElapsed());
    if (!r.ok) {
        std::fprintf(stderr, "packing failed: %s\n", qPrintable(r.error));
        return 1;
    }

    QProcess zip;
    zip.setWorkingDirectory(scratch.path());
    ::sync();
    timer.restart();
    zip.start(QStringLiteral("zip"),
              {QStringLiteral("-r"), QStringLiteral("-6"), QStringLiteral("-q"),
               QStringLiteral("theirs.zip"), QStringLiteral("tree")});
    if (!zip.waitForFinished(600000) || zip.exitCode() != 0) {
        std::fprintf(stderr, "zip failed: %s\n", zip.readAllStandardError().constData());
        return 1;
    }
    const double theirs = seconds(timer.nsecsElapsed());

    std::printf("zip_input: %.0f MiB\n", double(bytes) / (1 << 20));
    std::printf("zip_pack_time: %.2f s\n", ours);
    std::printf("zip_tool_time: %.2f s\n", theirs);
    std::printf("zip_pack_vs_zip_ratio: %.2f\n", ours / theirs);
    std::printf("zip_pack_size: %.0f MiB\n",
                double(QFileInfo(scratch.path() + QStringLiteral("/ours.zip")).size()) / (1 << 20));
    std::printf("zip_tool_size: %.0f MiB\n",
                double(QFileInfo(scratch.path() + QStringLiteral("/theirs.zip")).size()) /
                    (1 << 20));
    std::printf("zip_pack_longest_stall: %.0f ms\n", double(longest) / 1e6);
    return 0;
}
