// The FTP engine: one control connection run as a state machine on socket events,
// single commands and fixed-order sequences of them, and data connections (PORT or
// PASV) for listings, downloads and uploads.
//
// Every operation is started by a call ending in Async and reported exactly once, later,
// from the event loop, through OnRequestDone. TFtpClient adds blocking forms that pump
// the event loop until the report or a time-out.
//
// The engine never sends a command argument that holds a control character (TAB
// aside), and never shows a password through OnDisplay. It keeps the control
// connection in step: a reply that answers no waiting request is shown and dropped, and
// the replies still owed to a request that ended early are consumed as they arrive. A
// request with no byte from the server for InactivityTimeout seconds ends with a
// time-out, and so does a reply that never ends.
#pragma once

#include "FtpReply.h"
#include "Wsocket.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

enum TFtpState {
    ftpNotConnected,
    ftpReady,
    ftpInternalReady,
    ftpDnsLookup,
    ftpConnected,
    ftpAbort,
    ftpInternalAbort,
    ftpWaitingBanner,
    ftpWaitingResponse
};
const char* FtpStateName(TFtpState state);

enum TFtpRequest {
    ftpNone,
    ftpOpenAsync,
    ftpUserAsync,
    ftpPassAsync,
    ftpCwdAsync,
    ftpConnectAsync,
    ftpReceiveAsync,
    ftpDirAsync,
    ftpLsAsync,
    ftpPortAsync,
    ftpGetAsync,
    ftpDirectoryAsync,
    ftpListAsync,
    ftpSystemAsync,
    ftpSystAsync,
    ftpQuitAsync,
    ftpSizeAsync,
    ftpPutAsync,
    ftpAppendAsync,
    ftpFileSizeAsync,
    ftpRqAbort,
    ftpMkdAsync,
    ftpRmdAsync,
    ftpRenameAsync,
    ftpDeleAsync,
    ftpRenAsync,
    ftpRenToAsync,
    ftpRenFromAsync,
    ftpDeleteAsync,
    ftpMkdirAsync,
    ftpRmdirAsync,
    ftpPwdAsync,
    ftpQuoteAsync,
    ftpCDupAsync,
    ftpDoQuoteAsync,
    ftpTransmitAsync,
    ftpTypeSetAsync,
    ftpRestAsync,
    ftpRestGetAsync,
    ftpRestartGetAsync,
    ftpRestPutAsync,
    ftpRestartPutAsync
};
const char* FtpRequestName(TFtpRequest request);

enum TFtpFct {
    ftpFctNone,
    ftpFctOpen,
    ftpFctUser,
    ftpFctPass,
    ftpFctCwd,
    ftpFctSize,
    ftpFctMkd,
    ftpFctRmd,
    ftpFctRenFrom,
    ftpFctRenTo,
    ftpFctGet,
    ftpFctDir,
    ftpFctQuit,
    ftpFctSyst,
    ftpFctDele,
    ftpFctPwd,
    ftpFctQuote,
    ftpFctPut,
    ftpFctTypeSet,
    ftpFctRest,
    ftpFctCDup,
    ftpFctLs,
    ftpFctAppend,
    ftpFctPort
};
const char* FtpFctName(TFtpFct fct);

// A set of steps, bit n for step n.
using TFtpFctSet = uint32_t;
constexpr TFtpFctSet FctBit(TFtpFct f) {
    return TFtpFctSet(1) << f;
}

enum TFtpConnectionType { ftpDirect, ftpProxy, ftpSocks4, ftpSocks4A, ftpSocks5 };
enum TFtpOption : unsigned { ftpAcceptLF = 1, ftpNoAutoResumeAt = 2 };
using TFtpOptions = unsigned;
enum TFtpShareMode {
    ftpShareCompat,
    ftpShareExclusive,
    ftpShareDenyWrite,
    ftpShareDenyRead,
    ftpShareDenyNone
};
enum TFtpDisplayFileMode { ftpLineByLine, ftpBinary };

class FtpException : public std::runtime_error {
public:
    explicit FtpException(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// True when text holds a character that may not be sent in a command: any control
// character but TAB.
bool HoldsControlCharacter(const QString& text);
extern const QString kControlCharacterReply;

class TCustomFtpCli;
using TFtpDisplay = std::function<void(TCustomFtpCli* sender, QString& msg)>;
using TFtpCommand = std::function<void(TCustomFtpCli* sender, QString& cmd)>;
using TFtpNotify = std::function<void(TCustomFtpCli* sender)>;
using TFtpProgress = std::function<void(TCustomFtpCli* sender, qint64 count, bool& abort)>;
using TFtpSessionEvent = std::function<void(TCustomFtpCli* sender, uint16_t error)>;
using TFtpRequestDone =
    std::function<void(TCustomFtpCli* sender, TFtpRequest rqType, uint16_t error)>;
using TFtpReadyToTransmit = std::function<void(TCustomFtpCli* sender, bool& cancel)>;
using TFtpBgException =
    std::function<void(TCustomFtpCli* sender, const std::exception& e, bool& canClose)>;

class TCustomFtpCli : public QObject {
    Q_OBJECT
public:
    // Bytes moved per step of a transfer. Blocks of 4096 (receive) and 1460 (send)
    // bytes cost one event-loop round each and held transfers on loopback to about
    // 300-450 MB/s, well behind curl; 64 KiB blocks keep up with it while memory stays
    // one block per direction.
    static constexpr int kReceiveBlock = 65536;
    static constexpr int kSendBlock = 65536;
    static constexpr int kReplyBufferSize = FtpReplyReader::kBufferSize;
    static constexpr int kDefaultInactivityTimeout = 30;

    explicit TCustomFtpCli(QObject* parent = nullptr);
    ~TCustomFtpCli() override;

    // Published properties.
    QString HostName() const { return m_hostName; }
    void SetHostName(const QString& v) { m_hostName = v; }
    QString Port() const { return m_port; }
    void SetPort(const QString& v) { m_port = v; }
    QString UserName() const { return m_userName; }
    void SetUserName(const QString& v) { m_userName = v; }
    QString PassWord() const { return m_passWord; }
    void SetPassWord(const QString& v) { m_passWord = v; }
    QString HostDirName() const { return m_hostDirName; }
    void SetHostDirName(const QString& v) { m_hostDirName = v; }
    QString HostFileName() const { return m_hostFileName; }
    void SetHostFileName(const QString& v) { m_hostFileName = v; }
    QString LocalFileName() const { return m_localFileName; }
    void SetLocalFileName(const QString& v);
    bool DisplayFileFlag() const { return m_displayFileFlag; }
    void SetDisplayFileFlag(bool v) { m_displayFileFlag = v; }
    bool Binary() const { return m_transferType == QLatin1String("I"); }
    void SetBinary(bool b) { m_transferType = b ? QStringLiteral("I") : QStringLiteral("A"); }
    QString ErrorMessage() const { return m_errorMessage; }
    TFtpShareMode ShareMode() const;
    void SetShareMode(int mode);
    TFtpOptions Options() const { return m_options; }
    void SetOptions(TFtpOptions o) { m_options = o; }
    TFtpConnectionType ConnectionType() const { return m_connectionType; }
    void SetConnectionType(int type);
    QString ProxyServer() const { return m_proxyServer; }
    void SetProxyServer(const QString& v) { m_proxyServer = v; }
    QString SocksServer() const { return m_controlSocket->SocksServer(); }
    void SetSocksServer(const QString& v);
    QString SocksPort() const { return m_controlSocket->SocksPort(); }
    void SetSocksPort(const QString& v);
    QString SocksUserCode() const { return m_controlSocket->SocksUsercode(); }
    void SetSocksUserCode(const QString& v);
    QString SocksPassword() const { return m_controlSocket->SocksPassword(); }
    void SetSocksPassword(const QString& v);

    // Public, not published.
    TFtpState State() const { return m_state; }
    bool Connected() const { return m_controlSocket->State() != wsClosed; }
    int ReplyCode() const { return m_replyCode; }
    QString LastReply() const { return m_lastReply; }
    QString QuotedPath() const { return m_quotedPath; }
    qint64 RemoteSize() const { return m_remoteSize; }
    qint64 RestartOffset() const { return m_restartOffset; }
    void SetRestartOffset(qint64 v) { m_restartOffset = v; }
    bool Passive() const { return m_passive; }
    void SetPassive(bool b);
    TFtpDisplayFileMode DisplayFileMode() const { return m_displayFileMode; }
    void SetDisplayFileMode(int m) {
        m_displayFileMode = m == ftpBinary ? ftpBinary : ftpLineByLine;
    }
    void SetLocalStream(QIODevice* stream);
    QIODevice* LocalStream() const { return m_callerStream; }
    QString ProxyControlPort() const { return m_proxyControlPort; }
    void SetProxyControlPort(const QString& v) { m_proxyControlPort = v; }
    qint64 TransferredBytes() const { return m_transferredBytes; }
    TFtpRequest CurrentRequest() const { return m_currentRequest; }
    int RequestError() const { return m_requestError; }
    // A request has ended and its report has not reached OnRequestDone yet: the client
    // is ready, but whoever waits for that report has not had it.
    bool ReportPending() const { return m_reportsQueued > 0; }
    TWSocket* ControlSocket() const { return m_controlSocket; }
    // Seconds without a byte from the server after which a request ends; 0 never.
    int InactivityTimeout() const { return m_inactivityTimeout; }
    void SetInactivityTimeout(int seconds);
    TWSocket* DataSocket() const { return m_dataSocket; }
    // Bytes a listing (LIST, NLST) may bring before it is stopped and its file removed;
    // 0 no limit.
    qint64 ListingLimit() const { return m_listingLimit; }
    void SetListingLimit(qint64 bytes) { m_listingLimit = std::max<qint64>(0, bytes); }
    // Listings (DirAsync) ask for hidden entries too ("LIST -aL"); a server that refuses
    // that form is asked "LIST -L" from then on.
    bool ListHidden() const { return m_listHidden; }
    void SetListHidden(bool on) { m_listHidden = on; }
    // The last resumed download failed because the server sent the file from its start
    // (it took REST and ignored it); the local file was cut back to the offset.
    bool ResumeIgnored() const { return m_resumeIgnored; }

    // Events.
    TFtpDisplay OnDisplay;
    TFtpDisplay OnDisplayFile;
    TFtpCommand OnCommand;
    TFtpNotify OnResponse;
    TFtpProgress OnProgress;
    TFtpSessionEvent OnSessionConnected;
    TFtpSessionEvent OnSessionClosed;
    TFtpRequestDone OnRequestDone;
    TFtpNotify OnStateChange;
    TFtpReadyToTransmit OnReadyToTransmit;
    TFtpBgException OnBgException;

    // Operations.
    virtual void OpenAsync();
    virtual void UserAsync();
    virtual void PassAsync();
    virtual void ConnectAsync();
    virtual void QuitAsync();
    virtual void AbortAsync();
    virtual void GetAsync();
    virtual void ExecGetAsync();
    virtual void ReceiveAsync();
    virtual void PutAsync();
    virtual void ExecPutAsync();
    virtual void TransmitAsync();
    virtual void AppendAsync();
    virtual void ExecAppendAsync();
    virtual void AppendFileAsync();
    virtual void ExecDirAsync();
    virtual void DirAsync();
    virtual void ExecLsAsync();
    virtual void LsAsync();
    virtual void TypeSetAsync();
    virtual void TypeBinaryAsync();
    virtual void TypeAsciiAsync();
    virtual void PwdAsync();
    virtual void CwdAsync();
    virtual void CDupAsync();
    virtual void DirectoryAsync();
    virtual void ListAsync();
    virtual void SystAsync();
    virtual void SystemAsync();
    virtual void SizeAsync();
    virtual void FileSizeAsync();
    virtual void MkdAsync();
    virtual void MkdirAsync();
    virtual void RmdAsync();
    virtual void RmdirAsync();
    virtual void DeleAsync();
    virtual void DeleteAsync();
    virtual void RenFromAsync();
    virtual void RenToAsync();
    virtual void RenAsync();
    virtual void RenameAsync();
    virtual void QuoteAsync();
    virtual void DoQuoteAsync();
    virtual void RestAsync();
    virtual void RestGetAsync();
    virtual void RestartGetAsync();
    virtual void RestPutAsync();
    virtual void RestartPutAsync();
    virtual void PortAsync();

protected:
    using Handler = void (TCustomFtpCli::*)();

    virtual void SendCommand(QString cmd);
    virtual void TriggerDisplay(const QString& msg);
    virtual void TriggerReadyToTransmit(bool& cancel);
    virtual void TriggerDisplayFile(const QString& msg);
    virtual void TriggerError(const QString& msg);
    // Before each data block; false when the handler asked to abort.
    virtual bool Progress();
    virtual void TransfertStats();
    virtual void HandleBackGroundException(const std::exception& e);

    void SetState(TFtpState state);
    bool CheckReady();
    void HandleError(const QString& msg);
    void SetErrorMessage();
    void DisplayLastResponse();
    // The one place where a request ends: a success moves a sequence on to its next
    // step; anything else closes what the request opened and reports once, later,
    // from the loop. A request that has been reported is not ended again.
    // report: the error the report carries (0 for success); code: the reply code that
    // decided it (-1: the reply judged last); reply: the engine's own reply text where
    // no server reply decided it; note: a display line for the trace.
    void EndRequest(int report, int code = -1, const QString& reply = {}, const QString& note = {});
    // Runs one command with its accepted codes (empty: everything below 500).
    void ExecAsync(TFtpRequest request, const QString& command, std::initializer_list<int> accepted,
                   Handler done = nullptr);
    void HighLevelAsync(TFtpRequest request, TFtpFctSet steps);
    void DoHighLevelAsync();
    // Fails the operation at hand with an engine-made reply.
    void FailOperation(int code, const QString& reply);

    // Reply handlers.
    void StandardReplyHandler();
    void QuitDone();
    void DownloadFirstReply();
    void DownloadSecondReply();
    void UploadFirstReply();
    void UploadSecondReply();
    void RefuseTransfer();
    void FailTransfer(const QString& note);
    void DataConnectFailed(int error);
    // The connection could not be made (lookup, connect or SOCKS failure).
    void ConnectionFailed(int error, const QString& reply);
    // The reply of a connection that could not be made, in words that name who failed:
    // the server (or proxy), or the SOCKS server on the way.
    QString ConnectFailureReply(int error) const;

    // Control socket events.
    void ControlDnsLookupDone(int error);
    void ControlSessionConnected(int error);
    void ControlDataAvailable();
    void ControlSessionClosed(int error);
    void LineArrived(const FtpReplyReader::Line& line);
    void HandleReplyLine();
    void BannerLine();
    // The server can no longer be followed: the request fails with the reason and the
    // control connection is closed.
    void ControlOutOfStep(const QString& reply);
    // Something came from the server (or a request started): the time-out starts over.
    void NoteActivity();
    void InactivityTimedOut();

    // Data transfers.
    void StartDownload(TFtpFct step, TFtpRequest request, const QString& command);
    void StartUpload(bool append);
    bool OpenLocal(QIODevice::OpenMode mode);
    bool OpenLocalForDownload();
    // Opens the download's local side the first time the server sends (its 150, or
    // data before it); false, with the request ended, when it cannot be opened.
    bool StartLocalDownload();
    bool LocalTargetWritable() const;
    bool OpenLocalForUpload();
    void CloseLocal();
    QIODevice* Local() const;
    bool ConnectPassive(const std::function<void(int)>& connected, QString* failure);
    // Accepts a connection on the active-mode port; true only when it comes from the
    // control connection's peer (anyone else's is closed at once).
    bool AcceptFromServer(TSocket& handle);
    // True (with the request ended) when a resumed download brings more than the rest
    // of the file.
    bool EndIfResumeIgnored(int n);
    // The transfer at hand brings data to the local side (RETR, LIST, NLST).
    bool Downloading() const {
        return m_lastStep == ftpFctGet || m_lastStep == ftpFctDir || m_lastStep == ftpFctLs;
    }
    // Removes the file a failed download made from nothing.
    void DiscardPartial();
    void DownloadAccept();
    void DownloadConnected(int error);
    void BindDownloadHandlers();
    void DownloadData();
    void DataClosed(int error);
    void UploadAccept();
    void UploadConnected(int error);
    void SendStoreCommand();
    void UploadPump(int error);
    void QueueSendData();
    void TransferEndCheck();
    bool WriteDownloaded(const char* data, int n);
    void ApplySocksSettings(TCustomSocksWSocket& socket);
    // Runs an engine callback from the loop; exceptions go to OnBgException.
    void Guarded(const std::function<void()>& call);

    TWSocket* m_controlSocket = nullptr;
    TWSocket* m_dataSocket = nullptr;

    QString m_hostName, m_port = QStringLiteral("ftp"), m_userName, m_passWord;
    QString m_hostDirName, m_hostFileName, m_localFileName;
    bool m_displayFileFlag = false;
    QString m_transferType = QStringLiteral("I");
    QString m_errorMessage;
    int m_shareFlag = 16;
    TFtpOptions m_options = ftpAcceptLF;
    TFtpConnectionType m_connectionType = ftpDirect;
    QString m_proxyServer, m_proxyControlPort = QStringLiteral("ftp");
    QString m_socksServer, m_socksPort, m_socksUserCode, m_socksPassword;
    bool m_passive = false;
    TFtpDisplayFileMode m_displayFileMode = ftpLineByLine;

    TFtpState m_state = ftpReady;
    int m_replyCode = 0;
    QString m_lastReply;
    QString m_quotedPath;
    qint64 m_remoteSize = 0;
    qint64 m_restartOffset = 0;

    bool m_sessionOpen = false;
    TFtpRequest m_currentRequest = ftpNone;
    int m_requestError = 0;
    bool m_requestDoneSent = true;
    // Reports of ended requests still on their way to OnRequestDone.
    int m_reportsQueued = 0;
    TFtpFctSet m_pendingSteps = 0;
    TFtpFct m_lastStep = ftpFctNone;
    int m_sequenceError = 0;
    bool m_inSequence = false;
    QString m_savedReply;
    int m_savedReplyCode = -1;
    std::array<int, 17> m_acceptedCodes{};
    Handler m_replyHandler = nullptr;
    Handler m_commandDone = nullptr;
    bool m_sequenceStep = false;
    // A command was sent and its final reply has not been judged yet.
    bool m_replyPending = false;
    bool m_aborting = false;
    FtpReplyReader m_reader;
    // The code of the line read last, parsed once, and whether it ends a reply.
    int m_lineCode = -1;
    bool m_lineFinal = false;
    // Commands sent whose completion (a reply of 200 or more) has not arrived, and how
    // many of those belong to requests that have ended: their replies are dropped.
    int m_unanswered = 0;
    int m_stale = 0;
    QTimer m_inactivity;
    int m_inactivityTimeout = kDefaultInactivityTimeout;

    // Transfer state.
    bool m_appendMode = false;
    QString m_passiveReply;
    QString m_transferCommand;
    qint64 m_transferredBytes = 0;
    qint64 m_transferStart = 0;
    qint64 m_transferStop = 0;
    int m_dataLinkError = 0;
    bool m_transferReplyDone = false;
    bool m_dataLinkClosed = false;
    bool m_storeAccepted = false;
    bool m_dataLinkOpen = false;
    bool m_sourceExhausted = false;
    QIODevice* m_callerStream = nullptr;
    std::unique_ptr<QFile> m_localFile;
    bool m_localOpen = false;
    bool m_pendingCR = false; // an ASCII download block ended on CR
    // What a download is to receive (binary only, -1 unknown): from the 150 reply or
    // from a SIZE of the same file.
    qint64 m_expectedBytes = -1;
    QString m_sizedFile; // the file the last sound SIZE reply was for
    bool m_localStarted = false;
    qint64 m_announcedBytes = -1; // the count of the 150 reply, -1 none
    bool m_resumeIgnored = false;
    qint64 m_listingLimit = 0;
    bool m_listHidden = false;
    bool m_hiddenRefused = false; // this server refused "LIST -aL"
    // When the reply line that has begun to arrive began (-1: none has).
    qint64 m_partialLineSince = -1;
    QElapsedTimer m_clock;
    qint64 Now() const { return m_clock.elapsed(); }
};

class TFtpClient : public TCustomFtpCli {
    Q_OBJECT
public:
    explicit TFtpClient(QObject* parent = nullptr) : TCustomFtpCli(parent) {}

    int Timeout() const { return m_timeout; }
    void SetTimeout(int seconds) { m_timeout = seconds; }
    bool MultiThreaded() const { return m_multiThreaded; }
    void SetMultiThreaded(bool on) { m_multiThreaded = on; }

    bool Open() { return Synchronize(&TCustomFtpCli::OpenAsync); }
    bool User() { return Synchronize(&TCustomFtpCli::UserAsync); }
    bool Pass() { return Synchronize(&TCustomFtpCli::PassAsync); }
    bool Connect() { return Synchronize(&TCustomFtpCli::ConnectAsync); }
    bool Cwd() { return Synchronize(&TCustomFtpCli::CwdAsync); }
    bool Pwd() { return Synchronize(&TCustomFtpCli::PwdAsync); }
    bool CDup() { return Synchronize(&TCustomFtpCli::CDupAsync); }
    bool TypeSet() { return Synchronize(&TCustomFtpCli::TypeSetAsync); }
    bool TypeBinary() { return Synchronize(&TCustomFtpCli::TypeBinaryAsync); }
    bool TypeAscii() { return Synchronize(&TCustomFtpCli::TypeAsciiAsync); }
    bool Get() { return Synchronize(&TCustomFtpCli::GetAsync); }
    bool Put() { return Synchronize(&TCustomFtpCli::PutAsync); }
    bool RestPut() { return Synchronize(&TCustomFtpCli::RestPutAsync); }
    bool RestartPut() { return Synchronize(&TCustomFtpCli::RestartPutAsync); }
    bool Append() { return Synchronize(&TCustomFtpCli::AppendAsync); }
    bool Quit() { return Synchronize(&TCustomFtpCli::QuitAsync); }
    bool Abort() { return Synchronize(&TCustomFtpCli::AbortAsync); }
    bool Receive() { return Synchronize(&TCustomFtpCli::ReceiveAsync); }
    bool Transmit() { return Synchronize(&TCustomFtpCli::TransmitAsync); }
    bool AppendFile() { return Synchronize(&TCustomFtpCli::AppendFileAsync); }
    bool Dir() { return Synchronize(&TCustomFtpCli::DirAsync); }
    bool Directory() { return Synchronize(&TCustomFtpCli::DirectoryAsync); }
    bool Ls() { return Synchronize(&TCustomFtpCli::LsAsync); }
    bool List() { return Synchronize(&TCustomFtpCli::ListAsync); }
    bool Mkd() { return Synchronize(&TCustomFtpCli::MkdAsync); }
    bool Mkdir() { return Synchronize(&TCustomFtpCli::MkdirAsync); }
    bool Ren() { return Synchronize(&TCustomFtpCli::RenAsync); }
    bool Rename() { return Synchronize(&TCustomFtpCli::RenameAsync); }
    bool Dele() { return Synchronize(&TCustomFtpCli::DeleAsync); }
    bool Delete() { return Synchronize(&TCustomFtpCli::DeleteAsync); }
    bool Rmd() { return Synchronize(&TCustomFtpCli::RmdAsync); }
    bool Rmdir() { return Synchronize(&TCustomFtpCli::RmdirAsync); }
    bool Syst() { return Synchronize(&TCustomFtpCli::SystAsync); }
    bool System() { return Synchronize(&TCustomFtpCli::SystemAsync); }
    bool Size() { return Synchronize(&TCustomFtpCli::SizeAsync); }
    bool FileSize() { return Synchronize(&TCustomFtpCli::FileSizeAsync); }
    bool Quote() { return Synchronize(&TCustomFtpCli::QuoteAsync); }
    bool DoQuote() { return Synchronize(&TCustomFtpCli::DoQuoteAsync); }
    bool RestGet() { return Synchronize(&TCustomFtpCli::RestGetAsync); }
    bool RestartGet() { return Synchronize(&TCustomFtpCli::RestartGetAsync); }

protected:
    bool Progress() override;
    virtual bool Synchronize(void (TCustomFtpCli::*operation)());
    virtual bool WaitUntilReady();

private:
    int m_timeout = 15;
    bool m_multiThreaded = false;
    qint64 m_deadline = 0;
};
