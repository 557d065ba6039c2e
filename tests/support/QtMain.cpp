// Test entry point: a core application, and scratch folders for every per-user file
// the program writes, so tests never touch the user's own settings or data.
#include "Scratch.h"

#include <QCoreApplication>
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
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
