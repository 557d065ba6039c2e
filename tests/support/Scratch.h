#pragma once

#include <QString>

// A folder that exists for the whole test run and is removed afterwards. The
// per-user config, data and runtime folders point into it.
QString scratchDir();

// Creates the scratch folders under root and points the per-user folders there.
void PointUserFoldersAt(const QString& root);
