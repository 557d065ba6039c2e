#include "NaturalOrder.h"

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

int naturalCompare(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    const qsizetype n = a.size(), m = b.size();
    while (i < n && j < m) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Leading zeros do not count; then the longer run is the bigger number.
            while (i < n && a[i] == u'0' && i + 1 < n && isDigit(a[i + 1]))
                ++i;
            while (j < m && b[j] == u'0' && j + 1 < m && isDigit(b[j + 1]))
                ++j;
            qsizetype ei = i, ej = j;
            while (ei < n && isDigit(a[ei]))
                ++ei;
            while (ej < m && isDigit(b[ej]))
                ++ej;
            if (ei - i != ej - j) return ei - i < ej - j ? -1 : 1;
            for (; i < ei; ++i, ++j) {
                if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
            }
            continue;
        }
        const QChar x = a[i].toCaseFolded(), y = b[j].toCaseFolded();
        if (x != y) return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < n || j < m) return i < n ? 1 : -1;
    return a.compare(b, Qt::CaseSensitive) < 0 ? -1 : (a == b ? 0 : 1);
}
