// What the transfer commands of the panes turn into: one queue item per selected row or
// dropped path, then one scan. Uploads go into a remote folder of the browsing session's
// server, downloads into a local folder, each item carrying the session's site, user
// and password.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class queue_manager;
class QueueScheduler;
class TCustomFtpCli;

// The site, user and password every new item carries: the browsing session's.
struct TransferAccount {
    QString site; // "host", or "host:port" when the port is not 21
    QString user;
    QString password;
};

// A remote row as the remote pane lists it.
struct RemoteSource {
    QString name;
    QString size; // "Size(KB)" text
    bool folder = false;
    QString bytes; // the exact size when the listing gave it; the estimate stands in else
};

class TransferRequests {
public:
    TransferRequests(queue_manager& queues, QueueScheduler& scheduler)
        : m_queues(queues), m_scheduler(scheduler) {}

    static TransferAccount AccountOf(const TCustomFtpCli& client);

    // The "Size(KB)" text × 1024, rounded up: "1.50" gives "1536", "0.01" gives "11".
    static QString SizeEstimate(const QString& kilobytes);

    // Local paths (folders ending in "/") uploaded into the remote folder `target`, in
    // the order given. Paths that no longer exist are left out and returned.
    QStringList Upload(const QStringList& localPaths, const QString& target,
                       const TransferAccount& account);
    // Remote rows of the remote folder `displayed` downloaded into the local folder
    // `target`. Rows whose names cannot be local file names are left out and returned.
    QStringList Download(const QList<RemoteSource>& rows, const QString& displayed,
                         const QString& target, const TransferAccount& account);

private:
    queue_manager& m_queues;
    QueueScheduler& m_scheduler;
};
