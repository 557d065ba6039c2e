// Single command steps and the fixed-order sequences built from them.
#include "Ftpcli.h"

#include <QFileInfo>

const char* FtpRequestName(TFtpRequest request) {
    static const char* names[] = {
        "ftpNone",         "ftpOpenAsync",      "ftpUserAsync",    "ftpPassAsync",
        "ftpCwdAsync",     "ftpConnectAsync",   "ftpReceiveAsync", "ftpDirAsync",
        "ftpLsAsync",      "ftpPortAsync",      "ftpGetAsync",     "ftpDirectoryAsync",
        "ftpListAsync",    "ftpSystemAsync",    "ftpSystAsync",    "ftpQuitAsync",
        "ftpSizeAsync",    "ftpPutAsync",       "ftpAppendAsync",  "ftpFileSizeAsync",
        "ftpRqAbort",      "ftpMkdAsync",       "ftpRmdAsync",     "ftpRenameAsync",
        "ftpDeleAsync",    "ftpRenAsync",       "ftpRenToAsync",   "ftpRenFromAsync",
        "ftpDeleteAsync",  "ftpMkdirAsync",     "ftpRmdirAsync",   "ftpPwdAsync",
        "ftpQuoteAsync",   "ftpCDupAsync",      "ftpDoQuoteAsync", "ftpTransmitAsync",
        "ftpTypeSetAsync", "ftpRestAsync",      "ftpRestGetAsync", "ftpRestartGetAsync",
        "ftpRestPutAsync", "ftpRestartPutAsync"};
    return (request >= ftpNone && request <= ftpRestartPutAsync) ? names[request] : "?";
}

const char* FtpFctName(TFtpFct fct) {
    static const char* names[] = {"ftpFctNone",    "ftpFctOpen",  "ftpFctUser",    "ftpFctPass",
                                  "ftpFctCwd",     "ftpFctSize",  "ftpFctMkd",     "ftpFctRmd",
                                  "ftpFctRenFrom", "ftpFctRenTo", "ftpFctGet",     "ftpFctDir",
                                  "ftpFctQuit",    "ftpFctSyst",  "ftpFctDele",    "ftpFctPwd",
                                  "ftpFctQuote",   "ftpFctPut",   "ftpFctTypeSet", "ftpFctRest",
                                  "ftpFctCDup",    "ftpFctLs",    "ftpFctAppend",  "ftpFctPort"};
    return (fct >= ftpFctNone && fct <= ftpFctPort) ? names[fct] : "?";
}

// ---------------------------------------------------------------------------------
// Single steps

void TCustomFtpCli::UserAsync() {
    m_lastStep = ftpFctUser;
    if (m_userName.isEmpty()) return HandleError(QStringLiteral("UserName emtpy"));
    QString command = QStringLiteral("USER ") + m_userName;
    if (m_connectionType == ftpProxy) {
        command += u'@' + m_hostName;
        if (m_port.compare(QLatin1String("ftp"), Qt::CaseInsensitive) != 0 &&
            m_port != QLatin1String("21")) {
            command += u':' + m_port;
        }
    }
    ExecAsync(ftpUserAsync, command, {331, 230});
}

void TCustomFtpCli::PassAsync() {
    m_lastStep = ftpFctPass;
    if (m_passWord.isEmpty()) return HandleError(QStringLiteral("Password emtpy"));
    ExecAsync(ftpPassAsync, QStringLiteral("PASS ") + m_passWord, {230});
}

void TCustomFtpCli::CwdAsync() {
    m_lastStep = ftpFctCwd;
    if (m_hostDirName.isEmpty()) return HandleError(QStringLiteral("HostDirName emtpy"));
    ExecAsync(ftpCwdAsync, QStringLiteral("CWD ") + m_hostDirName, {200, 250, 257});
}

void TCustomFtpCli::PwdAsync() {
    m_lastStep = ftpFctPwd;
    ExecAsync(ftpPwdAsync, QStringLiteral("PWD"), {250, 257});
}

void TCustomFtpCli::CDupAsync() {
    m_lastStep = ftpFctCDup;
    ExecAsync(ftpCDupAsync, QStringLiteral("CDUP"), {250});
}

void TCustomFtpCli::TypeSetAsync() {
    m_lastStep = ftpFctTypeSet;
    ExecAsync(ftpTypeSetAsync, QStringLiteral("TYPE ") + m_transferType, {200});
}

void TCustomFtpCli::TypeBinaryAsync() {
    SetBinary(true);
    TypeSetAsync();
}

void TCustomFtpCli::TypeAsciiAsync() {
    SetBinary(false);
    TypeSetAsync();
}

void TCustomFtpCli::SystAsync() {
    m_lastStep = ftpFctSyst;
    ExecAsync(ftpSystAsync, QStringLiteral("SYST"), {215});
}

void TCustomFtpCli::SizeAsync() {
    m_lastStep = ftpFctSize;
    m_remoteSize = 0;
    m_sizedFile.clear();
    ExecAsync(ftpSizeAsync, QStringLiteral("SIZE ") + m_hostFileName, {213});
}

void TCustomFtpCli::MkdAsync() {
    m_lastStep = ftpFctMkd;
    ExecAsync(ftpMkdAsync, QStringLiteral("MKD ") + m_hostFileName, {257});
}

void TCustomFtpCli::RmdAsync() {
    m_lastStep = ftpFctRmd;
    ExecAsync(ftpRmdAsync, QStringLiteral("RMD ") + m_hostFileName, {250, 257});
}

void TCustomFtpCli::DeleAsync() {
    m_lastStep = ftpFctDele;
    ExecAsync(ftpDeleAsync, QStringLiteral("DELE ") + m_hostFileName, {250, 257});
}

void TCustomFtpCli::RenFromAsync() {
    m_lastStep = ftpFctRenFrom;
    ExecAsync(ftpRenFromAsync, QStringLiteral("RNFR ") + m_hostFileName, {350});
}

void TCustomFtpCli::RenToAsync() {
    m_lastStep = ftpFctRenTo;
    ExecAsync(ftpRenToAsync, QStringLiteral("RNTO ") + m_localFileName, {200, 250, 257});
}

void TCustomFtpCli::QuoteAsync() {
    m_lastStep = ftpFctQuote;
    ExecAsync(ftpQuoteAsync, m_localFileName, {});
}

void TCustomFtpCli::RestAsync() {
    m_lastStep = ftpFctRest;
    if (m_currentRequest != ftpRestPutAsync && m_currentRequest != ftpRestartPutAsync &&
        !(m_options & ftpNoAutoResumeAt)) {
        const QFileInfo local(m_localFileName);
        m_restartOffset = local.exists() ? local.size() : -1;
    }
    if (m_restartOffset <= 0) {
        if (!m_inSequence) m_currentRequest = ftpRestAsync;
        m_requestDoneSent = false;
        m_replyHandler = &TCustomFtpCli::StandardReplyHandler;
        m_commandDone = nullptr;
        m_requestError = 0;
        EndRequest(0);
        return;
    }
    ExecAsync(ftpRestAsync, QStringLiteral("REST %1").arg(m_restartOffset), {});
}

// ---------------------------------------------------------------------------------
// Sequences

void TCustomFtpCli::HighLevelAsync(TFtpRequest request, TFtpFctSet steps) {
    if (m_sessionOpen && (steps & FctBit(ftpFctOpen))) {
        return HandleError(QStringLiteral("FTP component already connected"));
    }
    if (!CheckReady()) return;
    m_savedReply = m_lastReply;
    m_savedReplyCode = -1;
    m_currentRequest = request;
    m_requestError = 0;
    m_pendingSteps = steps;
    m_lastStep = ftpFctNone;
    m_sequenceError = 0;
    m_inSequence = true;
    m_lastReply.clear();
    m_errorMessage.clear();
    DoHighLevelAsync();
}

void TCustomFtpCli::DoHighLevelAsync() {
    if (m_state == ftpAbort) {
        m_pendingSteps = 0;
        m_sequenceError = 426;
        m_errorMessage = QStringLiteral("426 Operation aborted.");
    }
    m_sequenceStep = true;
    const TFtpFct previous = m_lastStep;
    auto take = [this](TFtpFct f) {
        if (!(m_pendingSteps & FctBit(f))) return false;
        m_pendingSteps &= ~FctBit(f);
        return true;
    };
    // A step that cannot even start (an empty user name, a lost connection) ends the
    // sequence with a report, so the caller is never left waiting.
    try {
        if (take(ftpFctOpen)) return OpenAsync();
        if (take(ftpFctUser)) return UserAsync();
        if (take(ftpFctPass) && (previous != ftpFctUser || m_replyCode == 331)) return PassAsync();
        if (take(ftpFctCwd) && !m_hostDirName.isEmpty()) return CwdAsync();
        if (take(ftpFctCDup)) return CDupAsync();
        if (take(ftpFctTypeSet)) return TypeSetAsync();
        if (take(ftpFctPort)) return PortAsync();
        if (take(ftpFctRest)) return RestAsync();
        if (take(ftpFctGet)) {
            if (!(previous == ftpFctRest && m_restartOffset >= 0 && m_replyCode == 350))
                m_restartOffset = 0;
            return ExecGetAsync();
        }
        if (take(ftpFctPut)) return ExecPutAsync();
        if (take(ftpFctAppend)) return ExecAppendAsync();
        if (take(ftpFctDir)) return ExecDirAsync();
        if (take(ftpFctLs)) return ExecLsAsync();
        if (take(ftpFctSyst)) return SystAsync();
        if (take(ftpFctMkd)) return MkdAsync();
        if (take(ftpFctRmd)) return RmdAsync();
        if (take(ftpFctRenFrom)) return RenFromAsync();
        if (take(ftpFctRenTo)) return RenToAsync();
        if (take(ftpFctSize)) return SizeAsync();
        if (take(ftpFctDele)) return DeleAsync();
        if (take(ftpFctPwd)) return PwdAsync();
        if (take(ftpFctQuote)) return QuoteAsync();
        if (take(ftpFctQuit)) {
            m_savedReply = m_lastReply;
            m_savedReplyCode = m_replyCode;
            return QuitAsync();
        }
    } catch (const std::exception& e) {
        const QString message = dynamic_cast<const FtpException*>(&e)
                                    ? static_cast<const FtpException&>(e).message()
                                    : QString::fromUtf8(e.what());
        m_savedReplyCode = -1;
        m_requestDoneSent = false; // the step never started: this sequence still owes its report
        return FailOperation(500, QStringLiteral("500 ") + message);
    }
    m_pendingSteps = 0;
    m_sequenceStep = false;
    m_requestDoneSent = false;
    EndRequest(m_sequenceError);
}

namespace {
constexpr TFtpFctSet kLogin = FctBit(ftpFctOpen) | FctBit(ftpFctUser) | FctBit(ftpFctPass);
constexpr TFtpFctSet bits(std::initializer_list<TFtpFct> steps) {
    TFtpFctSet set = 0;
    for (TFtpFct f : steps)
        set |= FctBit(f);
    return set;
}
} // namespace

void TCustomFtpCli::ConnectAsync() {
    HighLevelAsync(ftpConnectAsync, kLogin);
}
void TCustomFtpCli::ReceiveAsync() {
    HighLevelAsync(ftpReceiveAsync,
                   kLogin | bits({ftpFctCwd, ftpFctTypeSet, ftpFctPort, ftpFctGet, ftpFctQuit}));
}
void TCustomFtpCli::RestartGetAsync() {
    HighLevelAsync(ftpRestartGetAsync, kLogin | bits({ftpFctCwd, ftpFctTypeSet, ftpFctPort,
                                                      ftpFctRest, ftpFctGet, ftpFctQuit}));
}
void TCustomFtpCli::GetAsync() {
    HighLevelAsync(ftpGetAsync, bits({ftpFctPort, ftpFctGet}));
}
void TCustomFtpCli::RestGetAsync() {
    HighLevelAsync(ftpRestGetAsync, bits({ftpFctPort, ftpFctRest, ftpFctGet}));
}
void TCustomFtpCli::TransmitAsync() {
    HighLevelAsync(ftpTransmitAsync,
                   kLogin | bits({ftpFctCwd, ftpFctTypeSet, ftpFctPort, ftpFctPut, ftpFctQuit}));
}
void TCustomFtpCli::RestartPutAsync() {
    HighLevelAsync(ftpRestartPutAsync, kLogin | bits({ftpFctCwd, ftpFctTypeSet, ftpFctPort,
                                                      ftpFctRest, ftpFctPut, ftpFctQuit}));
}
void TCustomFtpCli::PutAsync() {
    HighLevelAsync(ftpPutAsync, bits({ftpFctPort, ftpFctPut}));
}
void TCustomFtpCli::RestPutAsync() {
    HighLevelAsync(ftpRestPutAsync, bits({ftpFctPort, ftpFctRest, ftpFctPut}));
}
void TCustomFtpCli::AppendAsync() {
    HighLevelAsync(ftpAppendAsync, bits({ftpFctPort, ftpFctAppend}));
}
void TCustomFtpCli::AppendFileAsync() {
    HighLevelAsync(ftpTransmitAsync,
                   kLogin | bits({ftpFctCwd, ftpFctTypeSet, ftpFctPort, ftpFctAppend, ftpFctQuit}));
}
void TCustomFtpCli::DirAsync() {
    HighLevelAsync(ftpDirAsync, bits({ftpFctPort, ftpFctDir}));
}
void TCustomFtpCli::DirectoryAsync() {
    HighLevelAsync(ftpDirectoryAsync,
                   kLogin | bits({ftpFctCwd, ftpFctPort, ftpFctDir, ftpFctQuit}));
}
void TCustomFtpCli::LsAsync() {
    HighLevelAsync(ftpLsAsync, bits({ftpFctPort, ftpFctLs}));
}
void TCustomFtpCli::ListAsync() {
    HighLevelAsync(ftpListAsync, kLogin | bits({ftpFctCwd, ftpFctPort, ftpFctLs, ftpFctQuit}));
}
void TCustomFtpCli::SystemAsync() {
    HighLevelAsync(ftpSystemAsync, kLogin | bits({ftpFctSyst, ftpFctQuit}));
}
void TCustomFtpCli::FileSizeAsync() {
    HighLevelAsync(ftpSizeAsync, kLogin | bits({ftpFctCwd, ftpFctSize, ftpFctQuit}));
}
void TCustomFtpCli::MkdirAsync() {
    HighLevelAsync(ftpMkdirAsync, kLogin | bits({ftpFctCwd, ftpFctMkd, ftpFctQuit}));
}
void TCustomFtpCli::RmdirAsync() {
    HighLevelAsync(ftpRmdirAsync, kLogin | bits({ftpFctCwd, ftpFctRmd, ftpFctQuit}));
}
void TCustomFtpCli::DeleteAsync() {
    HighLevelAsync(ftpDeleteAsync, kLogin | bits({ftpFctCwd, ftpFctDele, ftpFctQuit}));
}
void TCustomFtpCli::DoQuoteAsync() {
    HighLevelAsync(ftpDoQuoteAsync, kLogin | bits({ftpFctCwd, ftpFctQuote, ftpFctQuit}));
}
void TCustomFtpCli::RenameAsync() {
    HighLevelAsync(ftpRenameAsync,
                   kLogin | bits({ftpFctCwd, ftpFctRenFrom, ftpFctRenTo, ftpFctQuit}));
}
void TCustomFtpCli::RenAsync() {
    HighLevelAsync(ftpRenAsync, bits({ftpFctRenFrom, ftpFctRenTo}));
}
