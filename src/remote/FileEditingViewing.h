// "View", "Open" and "Edit" of remote files: a viewer with an FTP connection of its own,
// so the browsing session is not disturbed, fetches each file into a temporary copy and
// hands it to the editor or the desktop's default program without waiting. After Edit
// it asks "Save File?" and sends the copy back on Yes; it keeps watching the copy and asks
// again each time the editor saves it. The connection is closed with QUIT once the files
// are done; a later upload opens it again.
#pragma once

#include "Ftpcli.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>

// What the viewer asks of the windows.
class ViewerHost {
public:
    virtual ~ViewerHost() = default;
    // Each starts a program on the file without waiting; the error text for the user, or
    // "" once it runs.
    virtual QString OpenInEditor(const QString& path) = 0;
    virtual QString OpenWithDefault(const QString& path) = 0;
    // "Save File?" about remotePath, answered whenever the user likes: answer(true) on Yes.
    virtual void AskSaveFile(const QString& remotePath, std::function<void(bool)> answer) = 0;
    virtual void ShowMessage(const QString& text) = 0;
};

class File_Editing_Viewing : public QObject {
    Q_OBJECT
public:
    enum Mode { View = 1, Open = 2, Edit = 3 };
    struct FileJob {
        QString directory; // at most 254 characters
        QString name;      // at most 256 characters
        int mode = View;
        bool upload = false; // sends the temporary copy back
    };
    // Connections opened again in a row before a job gives up.
    static constexpr int kRetries = 3;

    File_Editing_Viewing(ViewerHost& host, QObject* parent = nullptr);

    // The session's server, account, proxy and SOCKS settings and data connection mode.
    void CopyConnection(const TFtpClient& session);
    void AddFileJob(const QString& name, const QString& directory, int mode);
    void StartNextFileJob();

    // "/" + name in the root, directory + "/" + name elsewhere.
    static QString RemotePath(const FileJob& job);
    // The job's temporary copy: a folder per server and remote folder inside the per-run
    // folder, holding the file under its own name made safe; "" when no folder can be
    // made.
    QString TemporaryCopy(const FileJob& job) const;
    // This run's folder for temporary copies, under the user's runtime folder (the temp
    // folder when there is none), owner-only, made on first use; "" when it cannot be.
    static QString TemporaryFolder();
    // The file name a copy is stored under: never a path, never "." or "..".
    static QString SafeName(const QString& name);

    TFtpClient& Client() { return m_client; }
    bool Watching() const { return !m_watched.isEmpty(); }

signals:
    // The viewer has no more files and watches none; it deletes itself next.
    void finished();
    // An edited copy was sent back into the remote folder `directory`.
    void saved(const QString& directory, const QString& name);

private:
    void Bind(int mode);
    void ViewRequestDone(TFtpRequest request, int error);
    void OpenRequestDone(TFtpRequest request, int error);
    void EditRequestDone(TFtpRequest request, int error);
    // The steps the three share; true when the request was one of them.
    bool CommonStep(TFtpRequest request, int error);
    void Retry();
    void BeginTransfer();
    void Transfer();
    void Downloaded();
    void NextFile();
    void Done();
    void Finished();
    void Ask(const QString& copy);
    void Upload(const FileJob& job);
    void CopyChanged(const QString& copy);
    void SettledChanges();
    static QByteArray Fingerprint(const QString& path);

    ViewerHost& m_host;
    QList<FileJob> m_jobs; // last in, first out
    TFtpClient m_client;
    QString m_hostName, m_user, m_password, m_port, m_proxyServer;
    QString m_socksPassword, m_socksPort, m_socksServer, m_socksUser;
    TFtpConnectionType m_connectionType = ftpDirect;
    bool m_passive = false;
    int m_inactivityTimeout = 0;

    FileJob m_current;
    bool m_running = false; // a job holds the connection
    bool m_typeSet = false; // TYPE I sent on this connection
    bool m_quitting = false;
    int m_retries = 0;

    // Edited copies, with the job they came from and their content when last sent or
    // answered, and whether "Save File?" is open for them.
    struct Watched {
        FileJob job;
        QByteArray fingerprint;
        bool asking = false;
    };
    QHash<QString, Watched> m_watched;
    QFileSystemWatcher m_watcher;
    QSet<QString> m_changed;
    QTimer m_settle;
};
