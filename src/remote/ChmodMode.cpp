#include "ChmodMode.h"

namespace ChmodMode {

Boxes read(const QString& mode) {
    static const char letters[3] = {'r', 'w', 'x'};
    Boxes b;
    for (int column = 0; column < 3; ++column) {
        for (int bit = 0; bit < 3; ++bit) {
            const qsizetype at = 1 + 3 * column + bit;
            if (at < mode.size() && mode[at] == QLatin1Char(letters[bit])) {
                b.checked[column][bit] = true;
                b.digit[column] += kValues[bit];
            }
        }
    }
    return b;
}

QString forRows(const QStringList& attributes) {
    if (attributes.isEmpty()) return kNoMode;
    if (attributes.size() == 1) return attributes.first().isEmpty() ? kNoMode : attributes.first();
    for (const QString& a : attributes) {
        if (a != attributes.first()) return kNoMode;
    }
    return attributes.first();
}

QString afterClick(const QString& edit, bool checked, int value) {
    if (edit.isEmpty()) return edit;
    bool number = false;
    const int n = edit.toInt(&number);
    if (!number) return edit;
    return QString::number(checked ? n + value : n - value);
}

bool validDigit(const QString& edit) {
    return edit.size() == 1 && edit[0] >= u'0' && edit[0] <= u'7';
}

QString modeOut(const QString& owner, const QString& group, const QString& others) {
    if (!validDigit(owner) || !validDigit(group) || !validDigit(others)) return {};
    return owner + group + others;
}

} // namespace ChmodMode
