// Entry point of the window tests: an application with widgets on the offscreen
// platform, and scratch folders for every per-user file the program writes.
#include "Scratch.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QTemporaryDir* g_scratch = nullptr;
}

QString scratchDir() {
    return g_scratch->path();
}

int main(int argc, char** argv) {
    QTemporaryDir scratch;
    g_scratch = &scratch;
    for (const char* sub : {"config", "data", "runtime"})
        QDir(scratch.path()).mkpath(QLatin1String(sub));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/data")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(scratch.path() + QStringLiteral("/runtime")));
    QFile::setPermissions(scratch.path() + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("1Quillon"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
