#include "TransferRequests.h"

#include "Ftpcli.h"
#include "QueueManager.h"
#include "QueueScheduler.h"
#include "RemoteListing.h"
#include "TransferText.h"

#include <QFileInfo>

#include <cmath>

namespace {

QString nameOf(const QString& path) {
    QString bare = path;
    while (bare.size() > 1 && bare.endsWith(u'/'))
        bare.chop(1);
    return bare.mid(bare.lastIndexOf(u'/') + 1);
}

} // namespace

QString TransferRequests::SizeEstimate(const QString& kilobytes) {
    bool ok = false;
    const double kb = kilobytes.trimmed().toDouble(&ok);
    if (!ok || kb <= 0) return QStringLiteral("0");
    // 0.01 × 1024 = 10.24 → 11; the texts carry two decimals, so a product that is whole
    // up to rounding noise stays whole.
    const double bytes = kb * 1024.0;
    const double whole = std::round(bytes);
    const qint64 value = std::abs(bytes - whole) < 1e-6 ? qint64(whole) : qint64(std::ceil(bytes));
    return QString::number(value);
}

TransferAccount TransferRequests::AccountOf(const TCustomFtpCli& client) {
    return {TransferText::SiteText(client.HostName(), client.Port()), client.UserName(),
            client.PassWord()};
}

QStringList TransferRequests::Upload(const QStringList& localPaths, const QString& target,
                                     const TransferAccount& account) {
    QStringList missing;
    for (const QString& path : localPaths) {
        const QFileInfo info(path);
        if (!info.exists()) {
            missing.append(path);
            continue;
        }
        const bool folder = info.isDir();
        QString local = path;
        if (folder && !local.endsWith(u'/')) local += u'/';
        const QString remote = RemoteListing::join(target, nameOf(path));
        m_queues.AddItem(m_queues.Queue(), QStringLiteral("upload"), local, remote,
                         folder ? QString() : QString::number(info.size()), account.site,
                         account.user, account.password, folder);
    }
    m_scheduler.ScanQueue();
    return missing;
}

QStringList TransferRequests::Download(const QList<RemoteSource>& rows, const QString& displayed,
                                       const QString& target, const TransferAccount& account) {
    QStringList refused;
    QString folder = target;
    if (!folder.endsWith(u'/')) folder += u'/';
    for (const RemoteSource& row : rows) {
        // A listed name such as "../x" would place the file outside the folder.
        if (!TransferText::IsPlainName(row.name)) {
            refused.append(TransferText::Printable(row.name));
            continue;
        }
        const QString local = folder + row.name + (row.folder ? QStringLiteral("/") : QString());
        m_queues.AddItem(m_queues.Queue(), QStringLiteral("download"), local,
                         RemoteListing::join(displayed, row.name),
                         row.folder            ? QString()
                         : row.bytes.isEmpty() ? SizeEstimate(row.size)
                                               : row.bytes,
                         account.site, account.user, account.password, row.folder);
    }
    m_scheduler.ScanQueue();
    return refused;
}
