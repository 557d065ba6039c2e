// The rules of the CHMOD dialog that need no window: a permission field such as
// -rwxr-xr-x read into nine boxes and three digits, the mode shown for several rows, a
// box click applied to its column's digit, and the three-digit mode handed back.
#pragma once

#include <QString>
#include <QStringList>

namespace ChmodMode {

// Owner, group, others; read, write, execute.
struct Boxes {
    bool checked[3][3] = {};
    int digit[3] = {};
};
inline constexpr int kValues[3] = {4, 2, 1};
inline const QString kNoMode = QStringLiteral("----------");

// Characters 2-4, 5-7 and 8-10: "r", "w" and "x" in their places check the box; any
// other character ("s", "t", "-") leaves it unchecked.
Boxes read(const QString& mode);
// The mode the dialog opens with for the attributes of the selected rows: one row's own
// ("----------" when it has none), the common one of several, "----------" when they
// differ.
QString forRows(const QStringList& attributes);
// The edit's text after a click on a box of `value` that left it `checked`: the digit
// plus or minus the value; an empty edit stays empty.
QString afterClick(const QString& edit, bool checked, int value);
// One digit from 0 to 7.
bool validDigit(const QString& edit);
// The three edits together ("755"); empty unless each holds one valid digit.
QString modeOut(const QString& owner, const QString& group, const QString& others);

} // namespace ChmodMode
