#pragma once

#include "Ftpcli.h"
#include "TestLoop.h"

#include <QList>
#include <QStringList>

// Collects what an FTP client reports, for assertions.
struct FtpRecorder {
    QStringList display;
    int responses = 0;
    QList<QPair<TFtpRequest, int>> done;
    QList<qint64> progress;
    bool abortAtFirstProgress = false;

    void attach(TCustomFtpCli& c) {
        c.OnDisplay = [this](TCustomFtpCli*, QString& m) { display << m; };
        c.OnResponse = [this](TCustomFtpCli*) { ++responses; };
        c.OnRequestDone = [this](TCustomFtpCli*, TFtpRequest r, uint16_t e) {
            done << qMakePair(r, int(e));
        };
        c.OnProgress = [this](TCustomFtpCli*, qint64 count, bool& abort) {
            progress << count;
            if (abortAtFirstProgress && progress.size() == 2) abort = true;
        };
    }
    // Waits for the next report and returns its error (-1 when none came).
    int waitDone(int timeoutMs = 10000) {
        const qsizetype before = done.size();
        if (!waitFor([&] { return done.size() > before; }, timeoutMs)) return -1;
        return done.last().second;
    }
};

inline void PrintTo(TFtpRequest r, std::ostream* os) {
    *os << FtpRequestName(r);
}
