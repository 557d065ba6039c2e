// Parses a generated Unix listing of 1,000,000 lines from a file, as the remote pane
// does, and prints the rate (median of three runs).
#include "Listing.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main() {
    constexpr int kLines = 1'000'000;
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    QByteArray text;
    text.reserve(qsizetype(kLines) * 70);
    for (int i = 0; i < kLines; ++i) {
        const bool folder = i % 10 == 0;
        text += folder ? "drwxr-xr-x   2 " : "-rw-r--r--   1 ";
        text += "owner    users    ";
        text += QByteArray::number(qint64(i) * 37 % 100000000).rightJustified(10, ' ');
        text += ' ';
        text += kMonths[i % 12];
        text += ' ';
        text += QByteArray::number(i % 28 + 1).rightJustified(2, ' ');
        text += (i % 3 == 0) ? "  2019 " : " 12:34 ";
        text += "file_" + QByteArray::number(i) + (folder ? "" : ".dat");
        text += "\r\n";
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("listing.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return 1;
    file.close();

    // The median of three runs, each from the file to the filled columns.
    std::vector<double> runs;
    for (int round = 0; round < 3; ++round) {
        ListingColumns columns;
        QElapsedTimer timer;
        timer.start();
        ReadListingFile(path, columns);
        runs.push_back(double(timer.nsecsElapsed()) / 1e9);
        if (columns.count() != size_t(kLines)) {
            std::fprintf(stderr, "parsed %zu entries, expected %d\n", columns.count(), kLines);
            return 1;
        }
    }
    std::sort(runs.begin(), runs.end());
    const double seconds = runs[1];
    std::printf("unix_listing_lines: %d lines\n", kLines);
    std::printf("unix_listing_parse_time: %.3f s\n", seconds);
    std::printf("unix_listing_rate: %.0f lines/s\n", kLines / seconds);
    return 0;
}
