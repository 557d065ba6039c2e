#pragma once

#include <QString>

// Compares two names as a person reads them: runs of digits by their value ("file_2"
// before "file_10"), letters without regard to case; names equal so far by case last.
// Below zero, zero or above zero, as QString::compare.
int naturalCompare(const QString& a, const QString& b);
