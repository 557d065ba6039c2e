// What the window keeps between runs beyond the settings record: the splitters' sizes,
// the log's time stamps, the quick bar's last host, port and user name (never its
// password) and the last ten servers connected to. Stored in the settings file, group
// "Window"; a value that is missing or unreadable reads as nothing.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

struct RecentServer {
    QString host, port, user;
    bool operator==(const RecentServer&) const = default;
};

class WindowMemory {
public:
    static constexpr int kRecentServers = 10;
    static const QStringList kSplitters;

    QMap<QString, QByteArray> splitters; // by object name: QSplitter::saveState()
    bool logTimes = false;
    RecentServer last;
    QList<RecentServer> recent; // the newest first

    void load();
    bool save(QString* error = nullptr) const;
    // A server connected to: the last one, at the front of the list (once).
    void noteServer(const RecentServer& server);
};
