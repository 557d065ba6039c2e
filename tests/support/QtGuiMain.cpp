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
    PointUserFoldersAt(scratch.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("1Quillon"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
