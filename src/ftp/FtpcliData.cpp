// Data connections: PORT/PASV, downloads (RETR, LIST -L, NLST), uploads (STOR, APPE),
// the local file, progress and the statistics line.
//
// A transfer completes only when both its final reply and the close of its data
// connection have happened, in either order.
#include "Ftpcli.h"

#include "FtpReply.h"

#include <QFileInfo>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QString kHiddenListing = QStringLiteral("LIST -aL");
}

// ---------------------------------------------------------------------------------
// Port step

void TCustomFtpCli::PortAsync() {
    m_lastStep = ftpFctPort;
    if (!CheckReady()) return;
    if (!m_sessionOpen) return HandleError(QStringLiteral("FTP component not connected"));
    if (m_dataSocket->State() != wsClosed) m_dataSocket->Abort();
    m_dataSocket->OnSessionAvailable = nullptr;
    m_dataSocket->OnSessionClosed = nullptr;
    m_dataSocket->OnDataAvailable = nullptr;
    m_dataSocket->OnSessionConnected = nullptr;
    m_dataSocket->OnDataSent = nullptr;
    m_dataSocket->SetProto(QStringLiteral("tcp"));
    m_dataSocket->SetAddr(QStringLiteral("0.0.0.0"));
    m_dataSocket->SetPort(QStringLiteral("0"));
    QString command = QStringLiteral("PASV");
    if (!m_passive) {
        m_dataSocket->SetLingerOnOff(wsLingerOn);
        m_dataSocket->SetLingerTimeout(10);
        m_dataSocket->Listen();
        const int port = m_dataSocket->GetXPort().toInt();
        sockaddr_in local{};
        m_controlSocket->GetSockName(local);
        if (m_controlSocket->Addr() == QLatin1String("127.0.0.1")) {
            command = QStringLiteral("PORT 127,0,0,1,%1,%2").arg(port >> 8).arg(port & 0xff);
        } else {
            const auto* b = reinterpret_cast<const unsigned char*>(&local.sin_addr.s_addr);
            command = QStringLiteral("PORT %1,%2,%3,%4,%5,%6")
                          .arg(b[0])
                          .arg(b[1])
                          .arg(b[2])
                          .arg(b[3])
                          .arg(port >> 8)
                          .arg(port & 0xff);
        }
    }
    m_transferredBytes = 0;
    ExecAsync(ftpPortAsync, command, {200, 227});
}

bool TCustomFtpCli::ConnectPassive(const std::function<void(int)>& connected, QString* failure) {
    int port = 0;
    if (!FtpReply::passivePort(m_passiveReply, port)) {
        *failure =
            QStringLiteral("425 Cannot read the data port from the reply: ") + m_passiveReply;
        return false;
    }
    m_dataSocket->SetPort(QString::number(port));
    m_dataSocket->SetAddr(m_controlSocket->Addr());
    m_dataSocket->SetLingerOnOff(wsLingerOff);
    m_dataSocket->SetLingerTimeout(0);
    ApplySocksSettings(*m_dataSocket);
    m_dataSocket->OnSessionConnected = [connected](TCustomWSocket*, uint16_t e) { connected(e); };
    m_dataSocket->Connect();
    return true;
}

// ---------------------------------------------------------------------------------
// Local file

QIODevice* TCustomFtpCli::Local() const {
    return m_callerStream ? m_callerStream : static_cast<QIODevice*>(m_localFile.get());
}

// Opens the transfer's local side: a caller's stream is only positioned, a file is
// opened in the given mode; both start at RestartOffset when it is positive.
bool TCustomFtpCli::OpenLocal(QIODevice::OpenMode mode) {
    m_pendingCR = false;
    if (m_callerStream) {
        if (m_restartOffset > 0) m_callerStream->seek(m_restartOffset);
        m_localOpen = true;
        return true;
    }
    m_localFile = std::make_unique<QFile>(m_localFileName);
    if (!m_localFile->open(mode) || (m_restartOffset > 0 && !m_localFile->seek(m_restartOffset))) {
        m_localFile.reset();
        return false;
    }
    m_localOpen = true;
    return true;
}

bool TCustomFtpCli::OpenLocalForDownload() {
    return OpenLocal(m_restartOffset > 0 ? QIODevice::ReadWrite
                                         : (QIODevice::WriteOnly | QIODevice::Truncate));
}

bool TCustomFtpCli::OpenLocalForUpload() {
    return OpenLocal(QIODevice::ReadOnly);
}

void TCustomFtpCli::CloseLocal() {
    if (m_localFile) {
        // An ASCII download that ended on a lone CR keeps it.
        if (m_pendingCR && m_localFile->isWritable()) m_localFile->write("\r", 1);
        m_localFile->close();
        m_localFile.reset();
    }
    m_pendingCR = false;
    m_localOpen = false;
}

bool TCustomFtpCli::WriteDownloaded(const char* data, int n) {
    QIODevice* out = Local();
    if (!out) return false;
    if (Binary()) return out->write(data, n) == n;
    // ASCII: the wire's CR LF becomes LF in the local file.
    QByteArray text;
    text.reserve(n + 1);
    int i = 0;
    if (m_pendingCR) {
        m_pendingCR = false;
        if (n > 0 && data[0] == '\n') {
            text += '\n';
            i = 1;
        } else {
            text += '\r';
        }
    }
    for (; i < n; ++i) {
        if (data[i] != '\r') {
            text += data[i];
        } else if (i + 1 == n) {
            m_pendingCR = true;
        } else if (data[i + 1] == '\n') {
            text += '\n';
            ++i;
        } else {
            text += '\r';
        }
    }
    return out->write(text) == text.size();
}

// ---------------------------------------------------------------------------------
// Progress and statistics

bool TCustomFtpCli::Progress() {
    bool abort = false;
    if (OnProgress) OnProgress(this, m_transferredBytes + m_restartOffset, abort);
    if (!abort) return true;
    TriggerDisplay(QStringLiteral("! Abort requested"));
    m_dataSocket->Close();
    return false;
}

void TCustomFtpCli::TransfertStats() {
    m_transferStop = Now();
    const qint64 ms = m_transferStop - m_transferStart;
    QString text = QStringLiteral("%1 bytes received/sent in %2 seconds")
                       .arg(m_transferredBytes)
                       .arg(ms / 1000);
    if (ms != 0) {
        const qint64 rate = m_transferredBytes < 32768 ? m_transferredBytes * 1000 / ms
                                                       : (m_transferredBytes / ms) * 1000;
        text += QStringLiteral(" (%1 Bytes/sec)").arg(rate);
    }
    TriggerDisplay(QStringLiteral("! ") + text);
}

void TCustomFtpCli::TransferEndCheck() {
    if (!m_transferReplyDone || !m_dataLinkClosed) return;
    TransfertStats();
    const qint64 offset = m_restartOffset;
    m_restartOffset = 0;
    if (m_dataLinkError != 0) {
        // The server may well have said 226: the data did not all arrive.
        return EndRequest(m_dataLinkError, 426,
                          QStringLiteral("426 Data connection lost: %1 (error #%2)")
                              .arg(WSocketErrorDesc(m_dataLinkError))
                              .arg(m_dataLinkError));
    }
    if (m_expectedBytes >= 0 && m_transferredBytes < m_expectedBytes) {
        return EndRequest(426, 426,
                          QStringLiteral("426 Transfer incomplete: %1 of %2 bytes received")
                              .arg(m_transferredBytes)
                              .arg(m_expectedBytes));
    }
    // A download that brought no byte at all made nothing yet: an empty file (or an
    // empty listing) is made now that the server has said it is complete.
    if (Downloading() && !m_localStarted && !m_displayFileFlag && !m_callerStream) {
        m_localStarted = true;
        m_restartOffset = offset; // a resumed file is opened, never truncated
        const bool opened = OpenLocalForDownload();
        m_restartOffset = 0;
        if (!opened)
            return EndRequest(550, 550,
                              QStringLiteral("550 Unable to open local file ") + m_localFileName);
        CloseLocal();
    }
    EndRequest(0);
}

void TCustomFtpCli::DataClosed(int error) {
    CloseLocal();
    m_dataLinkClosed = true;
    m_dataLinkError = error;
    TransferEndCheck();
}

// ---------------------------------------------------------------------------------
// Downloads

void TCustomFtpCli::ExecGetAsync() {
    StartDownload(ftpFctGet, ftpGetAsync, QStringLiteral("RETR"));
}
void TCustomFtpCli::ExecDirAsync() {
    StartDownload(ftpFctDir, ftpDirAsync,
                  m_listHidden && !m_hiddenRefused ? kHiddenListing : QStringLiteral("LIST -L"));
}
void TCustomFtpCli::ExecLsAsync() {
    StartDownload(ftpFctLs, ftpLsAsync, QStringLiteral("NLST"));
}

void TCustomFtpCli::StartDownload(TFtpFct step, TFtpRequest request, const QString& command) {
    m_lastStep = step;
    if (!m_sessionOpen) return HandleError(command + QStringLiteral(": not connected"));
    if (m_localFileName.isEmpty() && !m_displayFileFlag && !m_callerStream) {
        return HandleError(QStringLiteral("LocalFileName empty"));
    }
    if (!m_inSequence) m_currentRequest = request;
    m_transferCommand = command;
    m_transferReplyDone = false;
    m_dataLinkClosed = false;
    m_requestDoneSent = false;
    m_transferredBytes = 0;
    m_dataLinkError = 0;
    // Checked before the local file is touched, so a hostile name truncates nothing.
    if (HoldsControlCharacter(m_hostFileName)) return FailOperation(501, kControlCharacterReply);
    m_replyPending = true;
    m_dataSocket->OnSessionAvailable = [this](TCustomWSocket*, uint16_t) { DownloadAccept(); };
    auto fail550 = [this](const QString& reply) { EndRequest(550, 550, reply); };
    // The local file is opened (and truncated) only once the server sends the file, so
    // a transfer that never starts leaves what was there; here it is only checked.
    CloseLocal();
    m_localStarted = false;
    m_expectedBytes = -1;
    m_announcedBytes = -1;
    m_resumeIgnored = false;
    if (!m_displayFileFlag && !m_callerStream && !LocalTargetWritable())
        return fail550(QStringLiteral("Unable to open local file ") + m_localFileName);
    if (m_passive) {
        try {
            QString failure;
            if (!ConnectPassive([this](int e) { DownloadConnected(e); }, &failure)) {
                return FailOperation(425, failure);
            }
        } catch (const ESocketException& e) {
            return fail550(QStringLiteral("550 ESocketException: ") + e.message());
        }
    }
    SetState(ftpWaitingResponse);
    m_replyHandler = &TCustomFtpCli::DownloadFirstReply;
    SendCommand(m_hostFileName.isEmpty() ? command : command + u' ' + m_hostFileName);
}

void TCustomFtpCli::BindDownloadHandlers() {
    m_dataSocket->OnSessionClosed = [this](TCustomWSocket*, uint16_t e) { DataClosed(e); };
    m_dataSocket->OnDataAvailable = [this](TCustomWSocket*, uint16_t) { DownloadData(); };
    m_dataSocket->OnDataSent = nullptr;
}

bool TCustomFtpCli::AcceptFromServer(TSocket& handle) {
    handle = m_dataSocket->Accept();
    if (handle == INVALID_SOCKET) return false;
    sockaddr_in from{};
    socklen_t length = sizeof from;
    sockaddr_in server{};
    const bool known = ::getpeername(handle, reinterpret_cast<sockaddr*>(&from), &length) == 0 &&
                       m_controlSocket->GetPeerName(server) == 0;
    if (known && from.sin_family == AF_INET && from.sin_addr.s_addr == server.sin_addr.s_addr)
        return true;
    // Someone else reached the port first: whatever it sends is not the server's data.
    // The port stays open for the server until the time-out.
    ::close(handle);
    handle = INVALID_SOCKET;
    TriggerDisplay(QStringLiteral("! Data connection from %1 refused: it is not the server")
                       .arg(known ? WSocketDottedAddr(from.sin_addr.s_addr)
                                  : QStringLiteral("an unknown address")));
    return false;
}

void TCustomFtpCli::DownloadAccept() {
    TSocket handle = INVALID_SOCKET;
    if (!AcceptFromServer(handle)) return;
    m_dataSocket->Close();
    BindDownloadHandlers();
    m_dataSocket->Dup(handle);
    m_transferStart = Now();
}

void TCustomFtpCli::DownloadConnected(int error) {
    BindDownloadHandlers();
    m_transferStart = Now();
    if (error != 0) DataConnectFailed(error);
}

void TCustomFtpCli::DownloadData() {
    if (!Progress()) return;
    NoteActivity();
    char buffer[kReceiveBlock];
    const int n = m_dataSocket->Receive(buffer, kReceiveBlock);
    if (n > 0) {
        if (EndIfResumeIgnored(n)) return;
        // The local side is opened (and a new file truncated) only now that the server
        // has sent a byte: a close, a reset or a refusal leaves what was there.
        if (!StartLocalDownload()) return;
        m_transferredBytes += n;
        if (m_displayFileFlag) {
            if (m_displayFileMode == ftpBinary) {
                TriggerDisplayFile(QString::fromUtf8(buffer, n));
            } else {
                int start = 0;
                for (int i = 0; i <= n; ++i) {
                    if (i == n || buffer[i] == '\r' || buffer[i] == '\n') {
                        if (i > start)
                            TriggerDisplayFile(QString::fromUtf8(buffer + start, i - start));
                        start = i + 1;
                    }
                }
            }
        } else if (m_listingLimit > 0 && (m_lastStep == ftpFctDir || m_lastStep == ftpFctLs) &&
                   m_transferredBytes > m_listingLimit) {
            const qint64 limit = m_listingLimit;
            EndRequest(552, 552,
                       QStringLiteral("552 Listing larger than %1 MiB: stopped by 1Quillon")
                           .arg(limit >> 20));
            DiscardPartial();
        } else if (!WriteDownloaded(buffer, n)) {
            TriggerDisplay(QStringLiteral("! Error writing local file"));
            m_dataSocket->Shutdown(2);
        }
    } else if (n < 0 && m_dataSocket->State() == wsConnected &&
               m_dataSocket->LastError() != WSAEWOULDBLOCK) {
        TriggerDisplay(QStringLiteral("! Data: Receive error %1").arg(m_dataSocket->LastError()));
        m_dataSocket->Shutdown(2);
    }
}

bool TCustomFtpCli::EndIfResumeIgnored(int n) {
    if (m_restartOffset <= 0 || m_lastStep != ftpFctGet || !Binary()) return false;
    // The most a server that resumed can send: the rest of the file by its SIZE, else
    // what its 150 reply announced.
    qint64 most = -1;
    if (!m_sizedFile.isEmpty() && m_sizedFile == m_hostFileName)
        most = std::max<qint64>(0, m_remoteSize - m_restartOffset);
    else if (m_announcedBytes >= 0)
        most = m_announcedBytes;
    if (most < 0 || m_transferredBytes + n <= most) return false;
    // The server sends the file from its start: what was appended goes again, so the
    // local file is as it was before the attempt.
    const qint64 offset = m_restartOffset;
    if (m_localFile && m_localFile->isOpen()) {
        m_localFile->flush();
        m_localFile->resize(offset);
    }
    m_resumeIgnored = true;
    EndRequest(451, 451,
               QStringLiteral("451 The server did not resume the transfer at byte %1: it sent "
                              "more than the rest of the file")
                   .arg(offset));
    return true;
}

void TCustomFtpCli::DiscardPartial() {
    if (m_displayFileFlag || m_callerStream || m_localFileName.isEmpty()) return;
    if (m_localStarted && m_restartOffset <= 0) QFile::remove(m_localFileName);
}

// The data command was refused: the transfer never started.
void TCustomFtpCli::RefuseTransfer() {
    m_restartOffset = 0;
    EndRequest(m_replyCode);
}

// The final reply of a transfer was not a success.
void TCustomFtpCli::FailTransfer(const QString& note) {
    EndRequest(m_replyCode, -1, {}, note);
}

void TCustomFtpCli::DataConnectFailed(int error) {
    EndRequest(550, 550,
               QStringLiteral("Unable to establish data connection, error #%1").arg(error));
}

void TCustomFtpCli::DownloadFirstReply() {
    DisplayLastResponse();
    m_replyCode = m_lineCode;
    if (m_replyCode >= 500 && m_lastStep == ftpFctDir && m_inSequence &&
        m_transferCommand == kHiddenListing) {
        // The server does not take the option: the listing is asked again in the plain
        // form, on a new data connection.
        m_hiddenRefused = true;
        TriggerDisplay(QStringLiteral("! The server refuses \"LIST -aL\": listing without it"));
        m_replyPending = false;
        m_replyHandler = nullptr;
        m_pendingSteps |= FctBit(ftpFctPort) | FctBit(ftpFctDir);
        SetState(ftpInternalReady);
        return DoHighLevelAsync();
    }
    if (m_replyCode != 150 && m_replyCode != 125) return RefuseTransfer();
    m_replyHandler = &TCustomFtpCli::DownloadSecondReply;
    m_replyPending = true;
    if (m_lastStep == ftpFctGet && Binary()) {
        // What the file should bring: the 150 reply's count, else a SIZE of this file.
        // A resumed transfer may announce the whole file (vsftpd) or what is left: only
        // the smaller count is sure.
        const qint64 announced = FtpReply::announcedSize(m_lastReply);
        m_announcedBytes = announced;
        if (announced >= 0) {
            m_expectedBytes =
                m_restartOffset > 0 ? std::max<qint64>(0, announced - m_restartOffset) : announced;
        } else if (m_remoteSize >= 0 && !m_sizedFile.isEmpty() && m_sizedFile == m_hostFileName) {
            m_expectedBytes = std::max<qint64>(0, m_remoteSize - m_restartOffset);
        }
    }
}

bool TCustomFtpCli::StartLocalDownload() {
    if (m_localStarted || m_displayFileFlag) return true;
    m_localStarted = true;
    if (OpenLocalForDownload()) return true;
    // The server is sending already: its reply to the cut transfer is consumed later.
    EndRequest(550, 550, QStringLiteral("550 Unable to open local file ") + m_localFileName);
    return false;
}

bool TCustomFtpCli::LocalTargetWritable() const {
    const QFileInfo target(m_localFileName);
    if (target.exists()) return target.isFile() && target.isWritable();
    const QFileInfo folder(target.absolutePath());
    return folder.isDir() && folder.isWritable();
}

void TCustomFtpCli::DownloadSecondReply() {
    DisplayLastResponse();
    m_replyCode = m_lineCode;
    if (m_replyCode != 125 && m_replyCode != 226 && m_replyCode != 250) {
        return FailTransfer(QStringLiteral("! RETR/LIST/NLST Failed"));
    }
    m_transferReplyDone = true;
    TransferEndCheck();
}

// ---------------------------------------------------------------------------------
// Uploads

void TCustomFtpCli::ExecPutAsync() {
    StartUpload(false);
}
void TCustomFtpCli::ExecAppendAsync() {
    StartUpload(true);
}

void TCustomFtpCli::StartUpload(bool append) {
    m_lastStep = append ? ftpFctAppend : ftpFctPut;
    if (!m_sessionOpen) return HandleError(QStringLiteral("STOR/APPE: not connected"));
    if (m_localFileName.isEmpty() && !m_callerStream)
        return HandleError(QStringLiteral("LocalFileName empty"));
    m_appendMode = append;
    m_expectedBytes = -1; // only downloads are checked against a size
    m_currentRequest = append ? ftpAppendAsync : ftpPutAsync;
    m_transferReplyDone = false;
    m_dataLinkClosed = false;
    m_requestDoneSent = false;
    m_dataLinkOpen = false;
    m_storeAccepted = false;
    m_transferStart = 0;
    m_transferredBytes = 0;
    m_dataLinkError = 0;
    if (HoldsControlCharacter(m_hostFileName)) return FailOperation(501, kControlCharacterReply);
    // A refusal on this side: shown as a note (the last reply stays the server's), or,
    // for a socket failure, recorded as the reply.
    auto fail426 = [this](const QString& message, bool display) {
        if (!display) return EndRequest(426, 426, message);
        m_errorMessage = message;
        EndRequest(426, 426, {}, QStringLiteral("! ") + message);
    };
    bool cancel = false;
    TriggerReadyToTransmit(cancel);
    if (cancel) return fail426(QStringLiteral("426 Transmit cancelled by application"), true);
    m_replyPending = true;
    m_dataSocket->OnSessionAvailable = [this](TCustomWSocket*, uint16_t) { UploadAccept(); };
    CloseLocal();
    if (!OpenLocalForUpload())
        return fail426(QStringLiteral("426 Unable to open local file ") + m_localFileName, true);
    m_sourceExhausted = false;
    if (m_passive) {
        // Busy from here on, not only once STOR is sent: the data connection comes
        // first, and a caller waiting for the engine to be ready must keep waiting.
        SetState(ftpWaitingResponse);
        try {
            QString failure;
            if (!ConnectPassive([this](int e) { UploadConnected(e); }, &failure))
                return FailOperation(425, failure);
        } catch (const ESocketException& e) {
            fail426(QStringLiteral("426 ESocketException: ") + e.message(), false);
        }
        return;
    }
    SetState(ftpWaitingResponse);
    m_replyHandler = &TCustomFtpCli::UploadFirstReply;
    SendStoreCommand();
}

void TCustomFtpCli::SendStoreCommand() {
    SendCommand((m_appendMode ? QStringLiteral("APPE ") : QStringLiteral("STOR ")) +
                m_hostFileName);
}

void TCustomFtpCli::UploadConnected(int error) {
    m_dataSocket->OnSessionClosed = [this](TCustomWSocket*, uint16_t e) { DataClosed(e); };
    m_dataSocket->OnDataAvailable = nullptr;
    m_dataSocket->OnDataSent = nullptr;
    m_dataLinkOpen = true;
    m_transferStart = Now();
    if (error != 0) return DataConnectFailed(error);
    SetState(ftpWaitingResponse);
    m_replyHandler = &TCustomFtpCli::UploadFirstReply;
    SendStoreCommand();
}

void TCustomFtpCli::UploadAccept() {
    TSocket handle = INVALID_SOCKET;
    if (!AcceptFromServer(handle)) return;
    m_dataSocket->Close();
    m_dataSocket->OnSessionClosed = [this](TCustomWSocket*, uint16_t e) { DataClosed(e); };
    m_dataSocket->OnDataAvailable = [](TCustomWSocket* s, uint16_t) {
        char discard[2048];
        s->Receive(discard, sizeof discard);
    };
    m_dataSocket->OnDataSent = [this](TCustomWSocket*, uint16_t e) { UploadPump(e); };
    m_dataSocket->SetLingerOnOff(wsLingerOff);
    m_dataSocket->SetLingerTimeout(10);
    m_dataSocket->Dup(handle);
    m_dataLinkOpen = true;
    if (m_storeAccepted && m_transferStart == 0) QueueSendData();
}

void TCustomFtpCli::QueueSendData() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            Guarded([this] {
                m_transferStart = Now();
                UploadPump(0);
            });
        },
        Qt::QueuedConnection);
}

void TCustomFtpCli::UploadPump(int error) {
    if (!m_localOpen) return;
    if (!Progress()) return;
    if (error != 0) {
        TriggerDisplay(QStringLiteral("! Error #%1 sending data").arg(error));
        m_dataSocket->Close();
        return;
    }
    if (m_sourceExhausted || !m_storeAccepted || !m_dataLinkOpen) return;
    NoteActivity(); // the server takes the data
    char block[kSendBlock];
    const qint64 n = Local()->read(block, kSendBlock);
    if (n < 0) {
        TriggerDisplay(QStringLiteral("! Error reading file"));
        m_dataSocket->Close();
        return;
    }
    if (n == 0) {
        // The last block has left the socket's queue for the kernel, which delivers it
        // before the FIN of a close without lingering: the data connection is closed
        // from the loop at once, with no pause that would hold up the window.
        m_sourceExhausted = true;
        m_dataSocket->CloseDelayed();
        return;
    }
    if (Binary()) {
        m_transferredBytes += n;
        m_dataSocket->Send(block, int(n));
        return;
    }
    // ASCII: a local LF goes out as CR LF.
    QByteArray wire;
    wire.reserve(int(n) * 2);
    for (qint64 i = 0; i < n; ++i) {
        if (block[i] == '\n' && !m_pendingCR) wire += '\r';
        wire += block[i];
        m_pendingCR = block[i] == '\r';
    }
    m_transferredBytes += wire.size();
    m_dataSocket->Send(wire.constData(), int(wire.size()));
}

void TCustomFtpCli::UploadFirstReply() {
    DisplayLastResponse();
    m_replyCode = m_lineCode;
    if (m_replyCode != 150 && m_replyCode != 125) return RefuseTransfer();
    m_storeAccepted = true;
    m_replyHandler = &TCustomFtpCli::UploadSecondReply;
    m_replyPending = true;
    if (m_passive) {
        m_dataSocket->OnDataSent = [this](TCustomWSocket*, uint16_t e) { UploadPump(e); };
        UploadPump(0);
    } else if (m_dataLinkOpen && m_transferStart == 0) {
        QueueSendData();
    }
}

void TCustomFtpCli::UploadSecondReply() {
    DisplayLastResponse();
    m_replyCode = m_lineCode;
    if (m_replyCode != 226 && m_replyCode != 250)
        return FailTransfer(QStringLiteral("! STOR Failed"));
    m_transferReplyDone = true;
    TransferEndCheck();
}
