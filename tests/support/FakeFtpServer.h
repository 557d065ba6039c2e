// A scripted FTP server inside the test process: it records every command line the
// client sends and answers with canned replies, running data connections for RETR,
// LIST, NLST, STOR and APPE in passive and active mode.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

class FakeFtpServer : public QObject {
    Q_OBJECT
public:
    FakeFtpServer();

    QString port() const { return QString::number(m_control.serverPort()); }

    // Sent when a client connects; empty sends nothing.
    QByteArray banner = "220 fake server ready\r\n";
    // Replies by command verb (upper case) that replace the built-in ones.
    QMap<QString, QByteArray> replies;
    // Called for every command line; returning true means it was answered.
    std::function<bool(FakeFtpServer&, const QString& line)> intercept;
    // Host numbers put in the 227 reply.
    QString pasvHost = QStringLiteral("127,0,0,1");
    // The data a download sends (from the REST offset on).
    QByteArray downloadData;
    // Sends the data and closes the data connection before the 150 reply.
    bool dataBeforePreliminary = false;
    // Leaves the download's data connection open for the client to close.
    bool keepDataOpen = false;
    // Sent once the download's data connection has closed.
    QByteArray finalDownloadReply = "226 Transfer complete\r\n";
    // The preliminary reply of a download.
    QByteArray preliminaryReply = "150 Opening data connection\r\n";
    // REST is answered 350 and then ignored: the whole file is sent.
    bool ignoreRest = false;
    // A download's data connection is reset as soon as it is up, and this reply sent
    // instead of the preliminary one (a server refusing a file it cannot open).
    QByteArray refuseAfterDataReset;
    // A download sends this many bytes and then keeps sending them, never ending.
    qsizetype endlessChunk = 0;
    // An upload's data connection is reset at once, and 226 sent all the same.
    bool resetUpload = false;
    // PWD names the folder of the last CWD (an absolute path) instead of /home/test.
    bool followCwd = false;
    QString cwd = QStringLiteral("/home/test");
    // With followCwd: the listing lines of each folder (LIST of the current folder sends
    // them); DELE and RMD of an absolute path take its line out of its folder's listing,
    // MKD adds a folder line, CDUP goes to the parent folder.
    QMap<QString, QStringList> folders;

    QStringList transcript;
    // The transcript without the PORT lines of the data connections.
    QStringList commands() const;
    QByteArray uploaded;
    qint64 restOffset = 0;
    int dataConnections = 0;

    // The port the last PORT command named.
    quint16 portTarget() const { return m_portTarget; }

    // Answers a command line as the server does when nothing intercepts it.
    void answer(const QString& line);

    void send(const QByteArray& raw);
    void closeControl();
    QTcpSocket* connection() const { return m_conn; }

private:
    void onCommand(const QString& line);
    void startDownload();
    void startUpload();
    // Runs then() once a data connection is up (accepted or made).
    void withData(const std::function<void(QTcpSocket*)>& then);

    QTcpServer m_control;
    QTcpServer m_pasv;
    QTcpSocket* m_conn = nullptr;
    QTcpSocket* m_data = nullptr;
    QByteArray m_pending;
    bool m_passive = false;
    quint16 m_portTarget = 0;
    std::function<void(QTcpSocket*)> m_waitingForData;
};
