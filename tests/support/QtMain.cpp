// Test entry point: an application (with widgets for the window tests, built with
// QUILLON_GUI_TESTS), and scratch folders for every per-user file the program writes,
// so tests never touch the user's own settings or data.
#include "Scratch.h"

#include <QTemporaryDir>

#ifdef QUILLON_GUI_TESTS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

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
#ifdef QUILLON_GUI_TESTS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
    TestApplication::setApplicationName(QStringLiteral("1Quillon"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
