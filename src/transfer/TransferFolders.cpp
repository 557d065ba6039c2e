// The folder steps of a worker: a remote folder listed into the cache and its entries
// added as children, and a local folder's entries added after the remote folder was
// made.
#include "GlobalTask.h"
#include "RemoteListing.h"
#include "TransferManager.h"
#include "TransferText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace TransferText;

namespace {

QString withSlash(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString TooDeep() {
    return QStringLiteral("Not transferred: folders nested more than %1 levels deep are not "
                          "followed (a link to a folder above?)")
        .arg(Transfer_Manager::kMaxFolderDepth);
}

} // namespace

int Transfer_Manager::Depth() const {
    int depth = 0;
    for (const QueueItem* p = Item(); p && p->parent && p->parent->parent; p = p->parent)
        ++depth;
    return depth;
}

void Transfer_Manager::LeaveOut(const QString& name, const QString& why) {
    // The entry is not transferred; the failed queue says which and why.
    QueueItem* folder = Item();
    auto entry = std::make_unique<QueueItem>();
    const QByteArray path = queue_manager::GetField(folder, QStringLiteral("remote_path"));
    entry->text = path + (path.endsWith('/') ? "" : "/") + name.toUtf8();
    entry->columns = folder->columns.mid(0, 8);
    while (entry->columns.size() < 8)
        entry->columns.append(QByteArray());
    entry->columns[1] = QByteArray(); // nowhere to write it
    entry->columns[2] = QByteArray();
    entry->columns.append(why.toUtf8());
    entry->block.imageIndex = FileWaiting;
    m_task.Queues().FailQueue().append(nullptr, std::move(entry));
}

void Transfer_Manager::StartFolderDownload() {
    Bind(&Transfer_Manager::FolderListingEvent);
    m_client.OnProgress = nullptr;
    AttachPanel();
    QueueItem* item = Item();
    const QString remote =
        QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("remote_path")));
    const QString local =
        QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("local_path")));
    m_client.SetHostDirName(remote);
    if (!QDir().mkpath(local)) {
        Fail(QStringLiteral("Cannot create the local folder \"%1\"").arg(local));
        return;
    }
    if (LoggedInAsItem()) {
        FolderListingEvent(ftpPassAsync, 0);
        return;
    }
    if (m_client.Connected() || m_client.State() != ftpReady) m_client.AbortAsync();
    Open();
}

void Transfer_Manager::FolderListingEvent(TFtpRequest request, int error) {
    if (!m_client.Connected() || (error != 0 && request != ftpSizeAsync)) {
        // A folder that cannot be listed is tried again like a file, then goes to the
        // failed queue with the server's reply.
        Fail(FailureText());
        return;
    }
    if (LoginStep(request)) return;
    switch (request) {
    case ftpPassAsync:
        if (Run(&TCustomFtpCli::CwdAsync)) ShowStep(ftpCwdAsync);
        break;
    case ftpCwdAsync:
        if (!Ready()) return Reopen();
        m_client.SetBinary(false);
        Run(&TCustomFtpCli::TypeSetAsync);
        break;
    case ftpTypeSetAsync: {
        if (!Ready()) return Reopen();
        m_client.SetHostFileName(QString());
        const QString cache = RemoteListing::cacheFile(m_task.ProgramDir(), m_host, m_port, m_user,
                                                       m_client.HostDirName());
        QDir().mkpath(QFileInfo(cache).path());
        // Into a part file first: only a complete listing becomes the cache.
        m_listingPart = cache + QStringLiteral(".part");
        m_client.SetLocalFileName(m_listingPart);
        m_client.SetListHidden(true); // a folder comes down whole, hidden entries too
        if (Run(&TCustomFtpCli::DirAsync)) ShowStep(ftpDirAsync);
        break;
    }
    case ftpDirAsync:
    case ftpLsAsync:
    case ftpDirectoryAsync:
    case ftpListAsync:
        ListingArrived();
        break;
    default:
        break;
    }
}

void Transfer_Manager::ListingArrived() {
    const QString cache = RemoteListing::cacheFile(m_task.ProgramDir(), m_host, m_port, m_user,
                                                   m_client.HostDirName());
    QFile::remove(cache);
    QFile::rename(m_listingPart, cache);
    m_listingPart.clear();
    ReadListingFile(cache, m_columns);
    QueueItem* item = Item();
    const QString local =
        withSlash(QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("local_path"))));
    const bool tooDeep = Depth() >= kMaxFolderDepth;
    QueueModel& queue = m_task.Queue();
    for (size_t i = 0; i < m_columns.count(); ++i) {
        const QString name = QString::fromUtf8(m_columns.names[i]);
        if (name == QLatin1String(".") || name == QLatin1String("..")) continue;
        const bool folder = !m_columns.types[i].empty();
        if (!IsPlainName(name)) {
            LeaveOut(name, QStringLiteral("Not transferred: the server listed the name %1, which "
                                          "cannot be a file name in the local folder")
                               .arg(Printable(name)));
            continue;
        }
        if (folder && tooDeep) {
            LeaveOut(name, TooDeep());
            continue;
        }
        if (folder) {
            m_task.Queues().AddChild(queue, item, local + name + u'/', name, QString(), true);
        } else {
            m_task.Queues().AddChild(queue, item, local + name, name,
                                     QString::fromStdString(m_columns.sizes[i]), false);
        }
    }
    m_columns.clear();
    Finish(QueueEvent::ExpansionDone);
}

void Transfer_Manager::FolderUpload() {
    // The remote folder is made first (an existing one is fine), on the login the
    // worker holds or a new one, then the local folder's entries become children.
    Bind(&Transfer_Manager::FolderUploadEvent);
    m_client.OnProgress = nullptr;
    if (LoggedInAsItem()) {
        FolderUploadEvent(ftpPassAsync, 0);
        return;
    }
    if (m_client.Connected() || m_client.State() != ftpReady) m_client.AbortAsync();
    Open();
}

void Transfer_Manager::FolderUploadEvent(TFtpRequest request, int error) {
    if (request == ftpMkdAsync) return AddLocalEntries();
    if (!Guard(request, error) || LoginStep(request)) return;
    switch (request) {
    case ftpPassAsync:
        m_client.SetHostFileName(
            QString::fromUtf8(queue_manager::GetField(Item(), QStringLiteral("remote_path"))));
        m_client.SetHostDirName(QString());
        Run(&TCustomFtpCli::MkdAsync);
        break;
    default:
        break;
    }
}

void Transfer_Manager::AddLocalEntries() {
    QueueItem* item = Item();
    const QString local =
        withSlash(QString::fromUtf8(queue_manager::GetField(item, QStringLiteral("local_path"))));
    if (!QFileInfo(local).isDir()) {
        Fail(QStringLiteral("The local folder \"%1\" cannot be read").arg(local));
        return;
    }
    const bool tooDeep = Depth() >= kMaxFolderDepth;
    QueueModel& queue = m_task.Queue();
    const QFileInfoList entries = QDir(local).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (entry.isDir()) {
            if (tooDeep) {
                LeaveOut(name, TooDeep());
                continue;
            }
            m_task.Queues().AddChild(queue, item, local + name + u'/', name, QString(), true);
        } else {
            m_task.Queues().AddChild(queue, item, local + name, name, QString::number(entry.size()),
                                     false);
        }
    }
    Finish(QueueEvent::ExpansionDone);
}
