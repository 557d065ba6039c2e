#pragma once

#include <QString>

// A folder that exists for the whole test run and is removed afterwards. The
// per-user config and data folders point into it.
QString scratchDir();
