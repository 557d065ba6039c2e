#include "TransferText.h"

#include <QLocale>

namespace TransferText {

namespace {

constexpr double kMiB = 1048576.0;

// Two decimals with the locale's thousands separators, at most digits significant
// digits (larger numbers keep their integer digits).
QString decimal(double value, int digits) {
    QString text = QLocale().toString(value, 'f', 2);
    int significant = 0;
    for (QChar c : text) {
        if (c.isDigit()) ++significant;
    }
    if (significant > digits && value >= 1) {
        // Drop decimals beyond the significant digits, as the platform's format does.
        const int integerDigits = QString::number(qint64(value)).size();
        const int decimals = std::max(0, digits - integerDigits);
        text = QLocale().toString(value, 'f', decimals);
    }
    return text;
}

QString amount(qint64 bytes) {
    if (bytes >= 1048576) return decimal(double(bytes) / kMiB, 9) + QStringLiteral("MB");
    if (bytes >= 1024) return decimal(double(bytes) / 1024.0, 9) + QStringLiteral("KB");
    return decimal(double(bytes), 9) + QStringLiteral("Byte(s)");
}

} // namespace

double Percent(qint64 count, qint64 expected) {
    return expected == 0 ? 100.0 : double(count) / double(expected) * 100.0;
}

QString ProgressLine(qint64 count, qint64 expected, qint64 restartOffset, qint64 seconds) {
    const double rate = seconds > 0 ? double(count - restartOffset) / double(seconds) : 0.0;
    const qint64 left = rate > 0 ? qint64(double(expected - count) / rate) : 0;
    QString rateText;
    if (rate >= kMiB) {
        rateText = decimal(rate / kMiB, 5) + QStringLiteral("MB/Sec");
    } else if (rate >= 1024) {
        rateText = decimal(rate / 1024.0, 5) + QStringLiteral("KB/Sec");
    } else {
        rateText = decimal(rate, 5) + QStringLiteral(" Byte(s)/Sec");
    }
    const qint64 shown = std::max<qint64>(left, 0);
    const QString time =
        QStringLiteral("%1:%2:%3").arg(shown / 3600).arg((shown % 3600) / 60).arg(shown % 60);
    return amount(count) + QStringLiteral(" of ") + amount(expected) + QStringLiteral(" Done at ") +
           rateText + QStringLiteral(" TimeLeft=") + time;
}

bool IsAscii(const QString& path, const QStringList& asciiExtensions) {
    const QString ext = Extension(path);
    for (const QString& e : asciiExtensions) {
        if (e.compare(ext, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

QString FileName(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString Folder(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0) return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString Extension(const QString& path) {
    // Only a dot of the file name counts: "a.d/file" has no extension.
    const QString name = FileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString NumberedName(const QString& path, int n) {
    const QString ext = Extension(path);
    return path.left(path.size() - ext.size()) + QString::number(n) + ext;
}

bool IsPlainName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    for (QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
    }
    return true;
}

QString Printable(const QString& name) {
    QString out;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return u'"' + out + u'"';
}

SiteAddress ParseSite(const QString& site) {
    SiteAddress a;
    a.host = site;
    if (site.startsWith(u'[')) {
        const qsizetype close = site.indexOf(u']');
        if (close > 0) {
            a.host = site.mid(1, close - 1);
            if (site.mid(close + 1).startsWith(u':')) a.port = site.mid(close + 2);
        }
    } else if (site.count(u':') == 1) {
        const qsizetype colon = site.indexOf(u':');
        a.host = site.left(colon);
        a.port = site.mid(colon + 1);
    }
    bool ok = false;
    const int port = a.port.toInt(&ok);
    if (!ok || port < 1 || port > 65535) a.port = QStringLiteral("21");
    return a;
}

QString SiteText(const QString& host, const QString& port) {
    if (port.isEmpty() || port == QLatin1String("21")) return host;
    return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + port;
}

} // namespace TransferText
