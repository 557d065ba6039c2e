// One copy of the program per user. The first copy holds a lock file and listens on a
// local socket beside it; a later copy asks it to come to the front and ends before
// it creates a window or touches any stored file.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <functional>

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // folder: where the lock and the socket live (the user's runtime folder).
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);

    // True when this is the first copy; otherwise the running copy has been asked to
    // show its window.
    bool claim();
    // Runs whenever a later copy starts.
    std::function<void()> onLaterCopy;

private:
    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer m_server;
};
