#include "LocalBrowse.h"

#include "FileTypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QStandardPaths>
#include <QStorageInfo>

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// File systems that hold no user files: kernel interfaces, containers' plumbing.
bool isPseudoFileSystem(const QByteArray& type) {
    static const QList<QByteArray> pseudo = {
        "proc",       "sysfs",     "devtmpfs", "devpts",  "cgroup",      "cgroup2",
        "securityfs", "pstore",    "debugfs",  "tracefs", "configfs",    "fusectl",
        "mqueue",     "hugetlbfs", "bpf",      "autofs",  "binfmt_misc", "rpc_pipefs",
        "nsfs",       "efivarfs",  "squashfs", "ramfs",   "fuse.portal", "fuse.gvfsd-fuse"};
    return pseudo.contains(type);
}

bool isSystemFolder(const QString& root) {
    for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot/efi"}) {
        const QString p = QLatin1String(prefix);
        if (root == p || root.startsWith(p + u'/')) {
            // Removable media mounted by the desktop live under /run/media.
            return !root.startsWith(QStringLiteral("/run/media/"));
        }
    }
    return false;
}

} // namespace

QList<LocalEntry> Local_Browse::ListDrives() {
    m_current.clear();
    QList<LocalEntry> drives;
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || !volume.isReady() || roots.contains(root)) continue;
        if (root != QLatin1String("/") && (isPseudoFileSystem(volume.fileSystemType()) ||
                                           isSystemFolder(root) || !QFileInfo(root).isDir()))
            continue;
        roots.append(root);
    }
    if (!roots.contains(QStringLiteral("/"))) roots.append(QStringLiteral("/"));
    std::sort(roots.begin(), roots.end(), [](const QString& a, const QString& b) {
        if (a == QLatin1String("/") || b == QLatin1String("/"))
            return a == QLatin1String("/") && b != a;
        return a < b;
    });
    m_volumeRoots = roots;
    for (const QString& root : roots) {
        const QStorageInfo volume(root);
        LocalEntry e;
        e.kind = LocalEntry::Volume;
        e.path = WithTrailingSlash(root);
        e.name = root == QLatin1String("/") ? QStringLiteral("/") : volume.displayName();
        if (e.name.isEmpty()) e.name = root;
        const QString fs = QString::fromLatin1(volume.fileSystemType());
        e.type =
            fs.isEmpty() ? QStringLiteral("Local Disk") : QStringLiteral("Local Disk (%1)").arg(fs);
        e.iconName = QStringLiteral("drive-harddisk");
        drives.append(e);
    }
    return drives;
}

QList<LocalEntry> Local_Browse::ListFolder(const QString& path, bool asCurrent) {
    const QString folder = WithTrailingSlash(path);
    if (asCurrent) m_current = folder;
    QList<LocalEntry> entries;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) return entries;
    const int fd = ::dirfd(dir);
    while (const dirent* d = ::readdir(dir)) {
        // Hidden entries (and "." and "..") are left out.
        if (d->d_name[0] == '.') continue;
        bool isDir = d->d_type == DT_DIR;
        bool isFile = d->d_type == DT_REG;
        struct stat st {};
        bool stated = false;
        if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
            // Links count as what they point to; broken ones are left out.
            if (::fstatat(fd, d->d_name, &st, 0) != 0) continue;
            stated = true;
            isDir = S_ISDIR(st.st_mode);
            isFile = S_ISREG(st.st_mode);
        }
        // Sockets, pipes and devices are no files to show.
        if (!isDir && !isFile) continue;
        LocalEntry e;
        e.name = QFile::decodeName(d->d_name);
        if (isDir) {
            e.kind = LocalEntry::Folder;
            e.path = folder + e.name + u'/';
            e.type = kFolderType;
            e.iconName = QStringLiteral("folder");
        } else {
            e.kind = LocalEntry::File;
            e.path = folder + e.name;
        }
        if (stated) {
            e.stated = true;
            e.size = isFile ? qint64(st.st_size) : 0;
            e.modified = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec)
                             .addMSecs(st.st_mtim.tv_nsec / 1000000);
        }
        entries.append(std::move(e));
    }
    ::closedir(dir);
    return entries;
}

void Local_Browse::Complete(LocalEntry& entry) {
    if (entry.kind == LocalEntry::File && entry.type.isEmpty())
        TypeOf(entry.name, &entry.type, &entry.iconName);
    if (entry.stated) return;
    entry.stated = true;
    if (entry.kind == LocalEntry::Volume) return;
    const QFileInfo info(StripTrailingSlash(entry.path));
    entry.size = entry.kind == LocalEntry::File ? info.size() : 0;
    entry.modified = info.lastModified();
}

bool Local_Browse::IsDriveRoot(const QString& path) const {
    if (path.isEmpty()) return false;
    const QString bare = StripTrailingSlash(path);
    return bare == QLatin1String("/") || m_volumeRoots.contains(bare);
}

QString Local_Browse::ParentFolder(const QString& path) {
    const QString bare = StripTrailingSlash(path);
    if (bare.isEmpty() || bare == QLatin1String("/")) return {};
    const qsizetype slash = bare.lastIndexOf(u'/');
    if (slash < 0) return {};
    return bare.left(slash + 1);
}

QString Local_Browse::StripTrailingSlash(const QString& path) {
    QString p = path;
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    return p;
}

QString Local_Browse::WithTrailingSlash(const QString& path) {
    return path.endsWith(u'/') ? path : path + u'/';
}

bool Local_Browse::InOneFolder(const QStringList& paths) {
    if (paths.isEmpty()) return false;
    const QString folder = ParentFolder(paths.first());
    return std::all_of(paths.begin(), paths.end(),
                       [&](const QString& p) { return ParentFolder(p) == folder; });
}

QString Local_Browse::NamePart(const QString& path) {
    const QString bare = StripTrailingSlash(path);
    return bare.mid(bare.lastIndexOf(u'/') + 1);
}

bool Local_Browse::Rename(const QString& oldPath, const QString& newPath) {
    const QString from = StripTrailingSlash(oldPath);
    const QString to = StripTrailingSlash(newPath);
    if (!QFileInfo::exists(from) && !QFileInfo(from).isSymLink()) return false;
    // Never over an existing entry: a rename in place is not a replace.
    if (QFileInfo::exists(to) && from != to) return false;
    return QDir().rename(from, to);
}

QString Local_Browse::DesktopFolder() {
    return WithTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

QString Local_Browse::SizeText(qint64 bytes) {
    return QString::number(double(bytes) / 1024.0, 'f', 2);
}

QString Local_Browse::ModifiedText(const QDateTime& t) {
    if (!t.isValid()) return {};
    const QLocale locale = QLocale::system();
    return locale.toString(t.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(t.time(), QLocale::LongFormat);
}

void Local_Browse::TypeOf(const QString& fileName, QString* type, QString* iconName) {
    const FileType t = FileTypeOf(fileName);
    *type = t.name;
    *iconName = t.icon;
}
