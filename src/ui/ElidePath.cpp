#include "ElidePath.h"

QString ElidePath(const QString& path, const std::function<bool(const QString&)>& fits) {
    if (fits(path)) return path;
    // "/a/b/c/f" → ".../b/c/f" → ".../c/f" → ".../f".
    QString rest = path;
    while (true) {
        const qsizetype slash = rest.indexOf(u'/', rest.startsWith(u'/') ? 1 : 0);
        if (slash < 0) return QStringLiteral("...") + (rest.startsWith(u'/') ? rest : u'/' + rest);
        rest = rest.mid(slash);
        const QString text = QStringLiteral("...") + rest;
        if (fits(text) || rest.indexOf(u'/', 1) < 0) return text;
    }
}
