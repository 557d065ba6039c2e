// The control connection: opening, reading and judging replies, running one command,
// reporting completion, the closing path, abort and QUIT.
#include "Ftpcli.h"

#include "FtpReply.h"

#include <QCoreApplication>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcFtpState, "quillon.ftp.state", QtWarningMsg)

bool HoldsControlCharacter(const QString& text) {
    for (QChar c : text) {
        if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7f) return true;
    }
    return false;
}

static QString LineTooLongReply() {
    return QStringLiteral("421 Reply line longer than %1 bytes: connection closed by 1Quillon")
        .arg(FtpReplyReader::kBufferSize - 1);
}

const QString kControlCharacterReply =
    QStringLiteral("501 Command not sent: it holds a control character");

const char* FtpStateName(TFtpState state) {
    static const char* names[] = {"ftpNotConnected",  "ftpReady",         "ftpInternalReady",
                                  "ftpDnsLookup",     "ftpConnected",     "ftpAbort",
                                  "ftpInternalAbort", "ftpWaitingBanner", "ftpWaitingResponse"};
    return (state >= ftpNotConnected && state <= ftpWaitingResponse) ? names[state] : "?";
}

TCustomFtpCli::TCustomFtpCli(QObject* parent) : QObject(parent) {
    m_clock.start();
    m_controlSocket = new TWSocket(this);
    m_dataSocket = new TWSocket(this);
    m_controlSocket->OnDnsLookupDone = [this](TCustomWSocket*, uint16_t e) {
        ControlDnsLookupDone(e);
    };
    m_controlSocket->OnSessionConnected = [this](TCustomWSocket*, uint16_t e) {
        ControlSessionConnected(e);
    };
    m_controlSocket->OnDataAvailable = [this](TCustomWSocket*, uint16_t) {
        ControlDataAvailable();
    };
    m_controlSocket->OnSessionClosed = [this](TCustomWSocket*, uint16_t e) {
        ControlSessionClosed(e);
    };
    m_inactivity.setSingleShot(true);
    connect(&m_inactivity, &QTimer::timeout, this,
            [this] { Guarded([this] { InactivityTimedOut(); }); });
}

TCustomFtpCli::~TCustomFtpCli() {
    // The sockets go with this object; nothing they report may reach it any more.
    for (TWSocket* s : {m_controlSocket, m_dataSocket}) {
        s->OnDnsLookupDone = s->OnSessionConnected = s->OnDataAvailable = s->OnSessionClosed =
            nullptr;
        s->OnSessionAvailable = s->OnDataSent = nullptr;
    }
    CloseLocal();
}

// ---------------------------------------------------------------------------------
// Properties

void TCustomFtpCli::SetLocalFileName(const QString& v) {
    m_localFileName = v;
    if (!v.isEmpty()) m_callerStream = nullptr;
}

void TCustomFtpCli::SetLocalStream(QIODevice* stream) {
    m_callerStream = stream;
    if (stream) m_localFileName.clear();
}

TFtpShareMode TCustomFtpCli::ShareMode() const {
    switch (m_shareFlag) {
    case 0:
        return ftpShareCompat;
    case 32:
        return ftpShareDenyWrite;
    case 48:
        return ftpShareDenyRead;
    case 64:
        return ftpShareDenyNone;
    default:
        return ftpShareExclusive;
    }
}

void TCustomFtpCli::SetShareMode(int mode) {
    static const int flags[] = {0, 16, 32, 48, 64};
    m_shareFlag = (mode >= ftpShareCompat && mode <= ftpShareDenyNone) ? flags[mode] : 16;
}

void TCustomFtpCli::SetConnectionType(int type) {
    if (m_sessionOpen) return HandleError(QStringLiteral("FTP component connected"));
    switch (type) {
    case ftpProxy:
        m_connectionType = ftpProxy;
        m_passive = true;
        break;
    case ftpSocks4:
    case ftpSocks4A:
    case ftpSocks5:
        m_connectionType = TFtpConnectionType(type);
        m_passive = true;
        break;
    default:
        m_connectionType = ftpDirect;
        break;
    }
    for (TWSocket* s : {m_controlSocket, m_dataSocket}) {
        if (m_connectionType == ftpSocks4 || m_connectionType == ftpSocks4A ||
            m_connectionType == ftpSocks5) {
            if (s->State() == wsClosed) {
                s->SetSocksLevel(m_connectionType == ftpSocks4    ? QStringLiteral("4")
                                 : m_connectionType == ftpSocks4A ? QStringLiteral("4A")
                                                                  : QStringLiteral("5"));
            }
            s->SetSocksAuthentication(socksAuthenticateUsercode);
        } else {
            s->SetSocksAuthentication(socksNoAuthentication);
        }
    }
}

void TCustomFtpCli::SetPassive(bool b) {
    m_passive = m_connectionType == ftpDirect ? b : true;
}

void TCustomFtpCli::SetSocksServer(const QString& v) {
    m_socksServer = v;
    m_controlSocket->SetSocksServer(v);
    m_dataSocket->SetSocksServer(v);
}

void TCustomFtpCli::SetSocksPort(const QString& v) {
    m_socksPort = v;
    m_controlSocket->SetSocksPort(v);
    m_dataSocket->SetSocksPort(v);
}

void TCustomFtpCli::SetSocksUserCode(const QString& v) {
    m_socksUserCode = v;
    m_controlSocket->SetSocksUsercode(v);
    m_dataSocket->SetSocksUsercode(v);
}

void TCustomFtpCli::SetSocksPassword(const QString& v) {
    m_socksPassword = v;
    m_controlSocket->SetSocksPassword(v);
    m_dataSocket->SetSocksPassword(v);
}

// A socket forgets its SOCKS server, port and level whenever it closes; every new
// connection of a SOCKS engine gets them again, so that each one goes through the
// SOCKS server.
void TCustomFtpCli::ApplySocksSettings(TCustomSocksWSocket& socket) {
    if (m_connectionType != ftpSocks4 && m_connectionType != ftpSocks4A &&
        m_connectionType != ftpSocks5)
        return;
    if (m_socksServer.isEmpty() || socket.State() != wsClosed) return;
    socket.SetSocksServer(m_socksServer);
    socket.SetSocksPort(m_socksPort);
    socket.SetSocksLevel(m_connectionType == ftpSocks4    ? QStringLiteral("4")
                         : m_connectionType == ftpSocks4A ? QStringLiteral("4A")
                                                          : QStringLiteral("5"));
    socket.SetSocksUsercode(m_socksUserCode);
    socket.SetSocksPassword(m_socksPassword);
    // Offering only the username/password method to a server that wants none makes
    // it refuse the connection; without a SOCKS user there is nothing to offer.
    socket.SetSocksAuthentication(m_socksUserCode.isEmpty() ? socksNoAuthentication
                                                            : socksAuthenticateUsercode);
}

// ---------------------------------------------------------------------------------
// Helpers

void TCustomFtpCli::SetState(TFtpState state) {
    if (state == m_state) return;
    qCDebug(lcFtpState, "%s -> %s", FtpStateName(m_state), FtpStateName(state));
    m_state = state;
    if (OnStateChange) OnStateChange(this);
}

bool TCustomFtpCli::CheckReady() {
    if (m_state == ftpReady || m_state == ftpInternalReady) return true;
    HandleError(QStringLiteral("FTP component not ready"));
    return false;
}

void TCustomFtpCli::HandleError(const QString& msg) {
    throw FtpException(msg);
}

void TCustomFtpCli::TriggerError(const QString& msg) {
    HandleError(msg);
}

void TCustomFtpCli::SetErrorMessage() {
    if (m_errorMessage.isEmpty()) m_errorMessage = m_lastReply;
}

void TCustomFtpCli::TriggerDisplay(const QString& msg) {
    if (!OnDisplay) return;
    QString text = msg;
    OnDisplay(this, text);
}

void TCustomFtpCli::TriggerDisplayFile(const QString& msg) {
    if (!OnDisplayFile) return;
    QString text = msg;
    OnDisplayFile(this, text);
}

void TCustomFtpCli::TriggerReadyToTransmit(bool& cancel) {
    if (OnReadyToTransmit) OnReadyToTransmit(this, cancel);
}

void TCustomFtpCli::DisplayLastResponse() {
    TriggerDisplay(QStringLiteral("< ") + m_lastReply);
}

void TCustomFtpCli::Guarded(const std::function<void()>& call) {
    // The handler may have deleted the engine before it threw.
    QPointer<TCustomFtpCli> self(this);
    try {
        call();
    } catch (const std::exception& e) {
        if (self) HandleBackGroundException(e);
    } catch (...) {
        if (self) HandleBackGroundException(FtpException(QStringLiteral("Unknown exception")));
    }
}

void TCustomFtpCli::HandleBackGroundException(const std::exception& e) {
    bool canClose = true;
    if (!OnBgException) return;
    try {
        OnBgException(this, e, canClose);
    } catch (...) {
    }
}

void TCustomFtpCli::SendCommand(QString cmd) {
    if (OnCommand) OnCommand(this, cmd);
    // A line break inside a command would let a file name from a listing, or a typed
    // command, smuggle further commands to the server; other control characters (a
    // NUL from a reply's path) have no place in a command either.
    if (HoldsControlCharacter(cmd)) {
        TriggerDisplay(QStringLiteral("! Command not sent: it holds a control character"));
        return FailOperation(501, kControlCharacterReply);
    }
    QString shown = cmd;
    if (shown.startsWith(QLatin1String("PASS "), Qt::CaseInsensitive))
        shown = shown.left(5) + QStringLiteral("*******");
    TriggerDisplay(QStringLiteral("> ") + shown);
    if (m_controlSocket->State() != wsConnected) return;
    m_reader.commandSent();
    ++m_unanswered;
    m_controlSocket->SendStr((cmd + QStringLiteral("\r\n")).toUtf8());
    NoteActivity();
}

void TCustomFtpCli::FailOperation(int code, const QString& reply) {
    EndRequest(code, code, reply);
}

void TCustomFtpCli::EndRequest(int report, int code, const QString& reply, const QString& note) {
    if (m_requestDoneSent) return;
    m_requestDoneSent = true;
    // Commands of this request still unanswered: their replies are not the next one's.
    m_stale = m_unanswered;
    if (!note.isEmpty()) TriggerDisplay(note);
    if (!reply.isEmpty()) m_lastReply = reply;
    if (code >= 0) m_replyCode = code;
    if (report != 0) {
        m_requestError = code >= 0 ? code : report;
        SetErrorMessage();
        // A failure ends the sequence it belongs to, and nothing of the request may
        // still be waiting for the server.
        m_replyPending = false;
        m_replyHandler = nullptr;
        m_commandDone = nullptr;
        m_sequenceStep = false;
    } else if (m_sequenceStep) {
        if (m_state != ftpAbort) SetState(ftpInternalReady);
        DoHighLevelAsync();
        return;
    }
    if (report != 0 && m_errorMessage.isEmpty())
        m_errorMessage = QStringLiteral("Request failed, error #%1 (%2)")
                             .arg(report)
                             .arg(WSocketErrorDesc(report));
    m_inactivity.stop();
    SetState(ftpReady);
    if (m_dataSocket->State() != wsClosed) m_dataSocket->Close();
    CloseLocal();
    if (m_inSequence && m_savedReplyCode >= 0) {
        m_lastReply = m_savedReply;
        m_replyCode = m_savedReplyCode;
    }
    m_inSequence = false;
    m_sequenceStep = false;
    m_pendingSteps = 0;
    const int error = report;
    ++m_reportsQueued;
    QMetaObject::invokeMethod(
        this,
        [this, error] {
            --m_reportsQueued;
            Guarded([this, error] {
                if (OnRequestDone) OnRequestDone(this, m_currentRequest, uint16_t(error));
            });
        },
        Qt::QueuedConnection);
}

void TCustomFtpCli::ExecAsync(TFtpRequest request, const QString& command,
                              std::initializer_list<int> accepted, Handler done) {
    const bool anyTime = command == QLatin1String("ABOR") || command == QLatin1String("STAT") ||
                         command == QLatin1String("QUIT");
    if (!anyTime) {
        if (!CheckReady()) return;
        if (!m_sessionOpen) return HandleError(QStringLiteral("FTP component not connected"));
    }
    if (!m_inSequence) m_currentRequest = request;
    m_acceptedCodes.fill(0);
    size_t i = 0;
    for (int code : accepted) {
        if (i + 1 < m_acceptedCodes.size()) m_acceptedCodes[i++] = code;
    }
    m_requestDoneSent = false;
    m_replyHandler = &TCustomFtpCli::StandardReplyHandler;
    m_commandDone = done;
    m_errorMessage.clear();
    SetState(ftpWaitingResponse);
    m_replyPending = true;
    SendCommand(command);
}

// ---------------------------------------------------------------------------------
// Opening

void TCustomFtpCli::OpenAsync() {
    if (!CheckReady()) return;
    if (m_sessionOpen) return HandleError(QStringLiteral("FTP component already connected"));
    m_lastStep = ftpFctOpen;
    if (!m_inSequence) m_currentRequest = ftpOpenAsync;
    m_requestDoneSent = false;
    m_reader.clear();
    m_partialLineSince = -1;
    m_hiddenRefused = false; // perhaps another server
    m_unanswered = m_stale = 0;
    m_requestError = 0;
    m_errorMessage.clear(); // a failure of this attempt is reported as its own
    SetState(ftpDnsLookup);
    m_replyPending = true;
    NoteActivity();
    try {
        m_controlSocket->DnsLookup(m_connectionType == ftpProxy ? m_proxyServer : m_hostName);
    } catch (const ESocketException& e) {
        m_replyPending = false;
        m_requestDoneSent = true;
        SetState(ftpReady);
        HandleError(e.message());
    }
}

void TCustomFtpCli::ConnectionFailed(int error, const QString& reply) {
    EndRequest(error, 500, reply);
}

QString TCustomFtpCli::ConnectFailureReply(int error) const {
    const bool proxy = m_connectionType == ftpProxy;
    QString target = (proxy ? m_proxyServer : m_hostName) + u':' +
                     (proxy && !m_proxyControlPort.isEmpty() ? m_proxyControlPort : m_port);
    const bool socks = (m_connectionType == ftpSocks4 || m_connectionType == ftpSocks4A ||
                        m_connectionType == ftpSocks5) &&
                       !m_controlSocket->SocksServer().isEmpty();
    if (socks) {
        const char* level = m_connectionType == ftpSocks5    ? "SOCKS5"
                            : m_connectionType == ftpSocks4A ? "SOCKS4A"
                                                             : "SOCKS4";
        const QString server = QStringLiteral("%1 server %2:%3")
                                   .arg(QLatin1String(level), m_controlSocket->SocksServer(),
                                        m_controlSocket->SocksPort());
        // The SOCKS server answered, and refused: it says what it did.
        QString phrase = WSocketSocksErrorPhrase(error);
        if (!phrase.isEmpty()) {
            return QStringLiteral("500 %1 %2 (%3, error #%4)")
                .arg(server, phrase.replace(QLatin1String("the FTP server"), target), target)
                .arg(error);
        }
        // The SOCKS server itself could not be reached.
        target = server;
    }
    if (error == 10061)
        return QStringLiteral("500 Connection refused by %1 (Winsock error #%2)")
            .arg(target)
            .arg(error);
    return QStringLiteral("500 %1 connecting to %2 (Winsock error #%3)")
        .arg(WSocketErrorDesc(error), target)
        .arg(error);
}

static QString socketFailureReply(int error) {
    return QStringLiteral("500 %1 (Winsock error #%2)").arg(WSocketErrorDesc(error)).arg(error);
}

void TCustomFtpCli::ControlDnsLookupDone(int error) {
    if (m_state != ftpDnsLookup && m_state != ftpAbort) return;
    if (error != 0) return ConnectionFailed(error, socketFailureReply(error));
    try {
        ApplySocksSettings(*m_controlSocket);
        m_controlSocket->SetAddr(m_controlSocket->DnsResult());
        m_controlSocket->SetProto(QStringLiteral("tcp"));
        m_controlSocket->SetPort(m_connectionType == ftpProxy && !m_proxyControlPort.isEmpty()
                                     ? m_proxyControlPort
                                     : m_port);
        SetState(ftpWaitingBanner);
        m_controlSocket->Connect();
    } catch (const ESocketException& e) {
        ConnectionFailed(500, QStringLiteral("500 ESocketException: ") + e.message());
    }
}

void TCustomFtpCli::ControlSessionConnected(int error) {
    if (error != 0) {
        ConnectionFailed(error, ConnectFailureReply(error));
        m_controlSocket->Close();
        SetState(ftpReady);
        return;
    }
    m_sessionOpen = true;
}

// ---------------------------------------------------------------------------------
// Replies

void TCustomFtpCli::ControlDataAvailable() {
    QPointer<TCustomFtpCli> self(this);
    if (m_reader.room() <= 0) {
        return ControlOutOfStep(LineTooLongReply());
    }
    char chunk[kReplyBufferSize];
    const int n = m_controlSocket->Receive(chunk, m_reader.room());
    if (n == 0) return m_controlSocket->Close(); // the server closed
    if (n < 0) return;
    m_reader.setAcceptLF(m_options & ftpAcceptLF);
    m_reader.append(chunk, n);
    for (;;) {
        FtpReplyReader::Line line;
        switch (m_reader.next(line)) {
        case FtpReplyReader::Result::NeedMore:
            // A line must be whole within the time-out from its first byte: a server
            // that drips it does not hold the request open for ever.
            if (m_reader.buffered() == 0) {
                m_partialLineSince = -1;
            } else if (m_partialLineSince < 0) {
                m_partialLineSince = Now();
            }
            NoteActivity();
            return;
        case FtpReplyReader::Result::LineTooLong:
            return ControlOutOfStep(LineTooLongReply());
        case FtpReplyReader::Result::ReplyTooLong:
            return ControlOutOfStep(
                QStringLiteral("421 Reply longer than %1 lines: connection closed by 1Quillon")
                    .arg(FtpReplyReader::kMaxReplyLines));
        case FtpReplyReader::Result::Line:
            break;
        }
        LineArrived(line);
        if (!self || m_controlSocket->State() != wsConnected) return;
    }
}

void TCustomFtpCli::LineArrived(const FtpReplyReader::Line& line) {
    m_lineCode = line.code;
    m_lineFinal = line.final;
    // Every final line but a preliminary 1xx ends its command's reply, whatever its code.
    const bool completion = line.final && !(line.code >= 100 && line.code < 200);
    // Replies come in the order the commands went out: the first completions belong to
    // commands of requests that have already ended.
    if (m_stale > 0) {
        if (completion) {
            --m_stale;
            m_unanswered = std::max(0, m_unanswered - 1);
        }
        if (line.final) TriggerDisplay(QStringLiteral("< ") + line.text);
        return;
    }
    const bool waiting = m_state == ftpWaitingBanner || m_state == ftpWaitingResponse;
    if (line.early || !waiting) {
        // No request is waiting for it, or it was on its way before the command went
        // out: shown, never taken as a request's reply.
        TriggerDisplay(QStringLiteral("< ") + line.text);
        return;
    }
    if (completion) m_unanswered = std::max(0, m_unanswered - 1);
    m_lastReply = line.text;
    QPointer<TCustomFtpCli> self(this);
    if (OnResponse) OnResponse(this);
    if (!self) return;
    HandleReplyLine();
}

void TCustomFtpCli::ControlOutOfStep(const QString& reply) {
    EndRequest(421, 421, reply, QStringLiteral("! ") + reply);
    m_reader.clear();
    m_partialLineSince = -1;
    if (m_controlSocket->State() != wsClosed) m_controlSocket->Close();
}

void TCustomFtpCli::SetInactivityTimeout(int seconds) {
    m_inactivityTimeout = std::max(0, seconds);
    if (m_inactivityTimeout == 0) m_inactivity.stop();
}

void TCustomFtpCli::NoteActivity() {
    if (m_inactivityTimeout <= 0 || m_requestDoneSent) return;
    qint64 ms = qint64(m_inactivityTimeout) * 1000;
    if (m_partialLineSince >= 0) ms = std::max<qint64>(0, ms - (Now() - m_partialLineSince));
    m_inactivity.start(int(ms));
}

void TCustomFtpCli::InactivityTimedOut() {
    if (m_requestDoneSent) return;
    // Whatever the server still sends for this request would arrive out of step: the
    // connection goes, and the engine can be opened again.
    const bool lookingUp = m_state == ftpDnsLookup;
    QPointer<TCustomFtpCli> self(this); // the close may reach an owner that deletes us
    const bool dripped = m_partialLineSince >= 0;
    m_partialLineSince = -1;
    ControlOutOfStep(dripped
                         ? QStringLiteral("421 Timeout: the server's reply did not end within %1 s")
                               .arg(m_inactivityTimeout)
                         : QStringLiteral("421 Timeout: no reply from the server for %1 s")
                               .arg(m_inactivityTimeout));
    if (self && lookingUp) m_controlSocket->CancelDnsLookup();
}

void TCustomFtpCli::HandleReplyLine() {
    if (m_state == ftpWaitingBanner) return BannerLine();
    if (!m_lineFinal) return;
    if (m_lineCode < 100 || m_lineCode > 599) {
        // It ends the reply all the same (the next command's reply is not this one),
        // but it answers nothing.
        DisplayLastResponse();
        m_replyPending = false;
        return EndRequest(500, m_lineCode,
                          QStringLiteral("500 Reply with an unknown code: ") + m_lastReply);
    }
    if (!m_replyHandler) return HandleError(QStringLiteral("Program error: FNext is nil"));
    m_replyPending = false;
    (this->*m_replyHandler)();
}

void TCustomFtpCli::BannerLine() {
    DisplayLastResponse();
    if (!m_lineFinal) return;
    m_replyCode = m_lineCode;
    m_replyPending = false;
    if (m_replyCode == 220) {
        SetState(ftpConnected);
        QPointer<TCustomFtpCli> self(this);
        if (OnSessionConnected) OnSessionConnected(this, 0);
        if (!self) return;
        EndRequest(0);
        return;
    }
    SetErrorMessage();
    m_requestError = m_replyCode;
    m_controlSocket->Close();
}

void TCustomFtpCli::StandardReplyHandler() {
    DisplayLastResponse();
    m_replyCode = m_lineCode;
    if (m_acceptedCodes[0] != 0) {
        m_requestError = m_replyCode;
        for (int code : m_acceptedCodes) {
            if (code == 0) break;
            if (code == m_replyCode) {
                m_requestError = 0;
                break;
            }
        }
    } else {
        m_requestError = m_replyCode < 500 ? 0 : m_replyCode;
    }
    if (m_passive && m_replyCode == 227) m_passiveReply = m_lastReply;
    if (m_requestError == 0) {
        if (m_lastStep == ftpFctSize) {
            // A size that is no sound number is unknown, and the request says so: it
            // would otherwise become a resume offset.
            const qint64 size = FtpReply::size(m_lastReply);
            m_remoteSize = std::max<qint64>(size, 0);
            m_sizedFile = size >= 0 ? m_hostFileName : QString();
            if (size < 0) {
                m_requestError = 501;
                m_lastReply = QStringLiteral("501 Size not understood: ") + m_lastReply;
                m_replyCode = 501;
            }
        } else if (m_lastStep == ftpFctCwd || m_lastStep == ftpFctMkd || m_lastStep == ftpFctPwd ||
                   m_lastStep == ftpFctCDup) {
            m_quotedPath = FtpReply::quotedPath(m_lastReply);
        }
    }
    if (m_commandDone) {
        const Handler done = m_commandDone;
        m_commandDone = nullptr;
        (this->*done)();
    } else {
        EndRequest(m_requestError);
    }
}

// ---------------------------------------------------------------------------------
// Closing

void TCustomFtpCli::ControlSessionClosed(int error) {
    QPointer<TCustomFtpCli> self(this);
    if (m_sessionOpen) {
        m_sessionOpen = false;
        if (m_state != ftpAbort) SetState(ftpNotConnected);
        if (OnSessionClosed) OnSessionClosed(this, uint16_t(error));
        if (!self) return;
    }
    if (m_state != ftpAbort) SetState(ftpInternalReady);
    int result = m_requestError;
    // An operation still waiting for its reply did not succeed, whatever the last
    // judged reply said: it is reported as aborted, or as cut off by the server.
    if (!m_requestDoneSent && result == 0 && (m_replyPending || m_aborting)) {
        result = m_aborting ? 426 : 421;
        m_lastReply = m_aborting ? QStringLiteral("426 Operation aborted.")
                                 : QStringLiteral("421 Control connection closed.");
        m_replyCode = result;
        m_requestError = result;
        SetErrorMessage();
        m_sequenceStep = false;
    }
    m_replyPending = false;
    m_replyHandler = nullptr;
    EndRequest(result);
}

void TCustomFtpCli::AbortAsync() {
    const TFtpState was = m_state;
    m_aborting = true;
    SetState(ftpAbort);
    CloseLocal();
    if (was == ftpDnsLookup) m_controlSocket->CancelDnsLookup();
    if (m_controlSocket->State() != wsClosed) m_controlSocket->Close();
    if (m_dataSocket->State() != wsClosed) m_dataSocket->Close();
    CloseLocal();
    m_sessionOpen = false;
    m_replyPending = false;
    m_aborting = false;
    SetState(ftpReady);
}

void TCustomFtpCli::QuitAsync() {
    CloseLocal();
    m_lastStep = ftpFctQuit;
    ExecAsync(ftpQuitAsync, QStringLiteral("QUIT"), {221}, &TCustomFtpCli::QuitDone);
}

void TCustomFtpCli::QuitDone() {
    m_controlSocket->Close();
}
