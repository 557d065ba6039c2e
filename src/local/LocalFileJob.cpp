#include "LocalFileJob.h"

#include "LocalBrowse.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kChunk = 4 << 20;

QString parentOf(const QString& path) {
    return Local_Browse::ParentFolder(path);
}

// Within `folder` (with its final "/"): the path of `path` is the folder itself or below.
bool isWithin(const QString& path, const QString& folder) {
    return Local_Browse::WithTrailingSlash(path).startsWith(folder);
}

// A rename onto a name that must stay free; false (EXDEV among others) leaves the move
// to a copy of the job's own, which keeps the file's mode and time (Qt's rename would
// fall back to a copy of its own that keeps neither).
bool renameNew(const QString& from, const QString& to) {
    return ::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                       QFile::encodeName(to).constData(), RENAME_NOREPLACE) == 0;
}

bool renameOver(const QString& from, const QString& to) {
    // rename(2) replaces a file in one step; Qt's rename refuses an existing target.
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

LocalFileJob::LocalFileJob(Mode mode, const QStringList& sources, const QString& targetFolder,
                           QObject* parent)
    : QObject(parent), m_mode(mode), m_target(Local_Browse::WithTrailingSlash(targetFolder)) {
    for (const QString& s : sources)
        m_sources.append(Local_Browse::StripTrailingSlash(s));
}

LocalFileJob::~LocalFileJob() = default;

QString LocalFileJob::Refusal(const QStringList& sources, const QString& targetFolder) {
    const QString target = Local_Browse::WithTrailingSlash(targetFolder);
    for (const QString& s : sources) {
        const QString source = Local_Browse::StripTrailingSlash(s);
        const QFileInfo info(source);
        if (info.isDir() && !info.isSymLink() && isWithin(target, source + u'/')) {
            return QStringLiteral("The folder \"%1\" cannot be pasted into itself or into one "
                                  "of its own folders.")
                .arg(info.fileName());
        }
    }
    return {};
}

QString LocalFileJob::FreeName(const QString& folder, const QString& name) {
    const QString dir = Local_Browse::WithTrailingSlash(folder);
    const qsizetype dot = name.indexOf(u'.', 1);
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString ext = dot > 0 ? name.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(ext);
        const QFileInfo info(dir + candidate);
        if (!info.exists() && !info.isSymLink()) return candidate;
    }
}

void LocalFileJob::start() {
    if (m_running) return;
    m_running = true;
    QTimer::singleShot(0, this, &LocalFileJob::runSlice);
}

void LocalFileJob::cancel() {
    if (!m_running) return;
    m_cancelled = true;
}

void LocalFileJob::fail(const QString& text) {
    m_errors.append(text);
}

void LocalFileJob::plan(const QString& source) {
    const qsizetype index = m_nextSource;
    const QFileInfo info(source);
    if (!info.exists() && !info.isSymLink()) {
        fail(QStringLiteral("\"%1\" no longer exists.").arg(source));
        return;
    }
    const QString name = info.fileName();
    QString dest = m_target + name;
    const bool sameFolder = parentOf(source) == m_target;
    bool replacing = false;
    if (sameFolder) {
        if (m_mode == Move) return; // already there
        dest = m_target + FreeName(m_target, name);
    } else if (QFileInfo::exists(dest) || QFileInfo(dest).isSymLink()) {
        Answer answer = Skip;
        if (m_answerForAll) {
            answer = *m_answerForAll;
        } else if (askExisting) {
            bool forAll = false;
            answer = askExisting(dest, &forAll);
            if (forAll) m_answerForAll = answer;
        }
        if (answer == Cancel) {
            m_cancelled = true;
            return;
        }
        if (answer == Skip) return;
        // A file and a folder of one name are never put in each other's place.
        if (answer == KeepBoth || QFileInfo(dest).isDir() != info.isDir())
            dest = m_target + FreeName(m_target, name);
        else
            replacing = true;
    }
    m_current = name;
    if (m_mode == Move) {
        const bool folderOverFolder = replacing && info.isDir();
        if (!folderOverFolder && (replacing ? renameOver(source, dest) : renameNew(source, dest)))
            return;
    }
    m_planning = {{source, dest}};
    m_planningSource = index;
}

void LocalFileJob::planNext() {
    auto [src, dst] = m_planning.back();
    m_planning.pop_back();
    const qsizetype index = m_planningSource;
    const QFileInfo info(src);
    if (info.isSymLink()) {
        m_steps.push_back({Step::CopyLink, src, dst, 0, index});
    } else if (info.isDir()) {
        m_steps.push_back({Step::MakeFolder, src, dst, 0, index});
        QDirIterator it(src, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        std::vector<std::pair<QString, QString>> inside;
        while (it.hasNext()) {
            it.next();
            inside.emplace_back(it.filePath(), dst + u'/' + it.fileName());
        }
        // Kept in order: the stack takes the last first.
        m_planning.insert(m_planning.end(), inside.rbegin(), inside.rend());
    } else if (info.isFile()) {
        m_steps.push_back({Step::CopyFile, src, dst, info.size(), index});
        m_bytesTotal += info.size();
    } else {
        // Sockets, pipes and devices are not files to copy.
        fail(QStringLiteral("\"%1\" is not a file or folder and was left out.").arg(src));
    }
    // A moved source goes once all of it is copied.
    if (m_planning.empty() && m_mode == Move)
        m_steps.push_back({Step::RemoveSource, m_sources[index], QString(), 0, index});
}

void LocalFileJob::runSlice() {
    QElapsedTimer slice;
    slice.start();
    for (bool first = true; !m_cancelled && (first || slice.elapsed() < m_sliceMs); first = false) {
        // Each entry of a tree is planned in its own step, so a folder of thousands of
        // files is walked over several turns of the loop.
        if (!m_planning.empty()) {
            planNext();
            continue;
        }
        if (m_nextSource < m_sources.size()) {
            plan(m_sources[m_nextSource]);
            ++m_nextSource;
            continue;
        }
        if (m_next >= m_steps.size()) break;
        Step& step = m_steps[m_next];
        if (runStep(step)) ++m_next;
    }
    emit progress();
    if (m_cancelled ||
        (m_planning.empty() && m_nextSource >= m_sources.size() && m_next >= m_steps.size())) {
        finish();
        return;
    }
    QTimer::singleShot(0, this, &LocalFileJob::runSlice);
}

bool LocalFileJob::runStep(Step& step) {
    if (m_failedSources.contains(step.source) && step.kind == Step::RemoveSource) return true;
    switch (step.kind) {
    case Step::MakeFolder:
        if (!QDir().mkpath(step.to)) {
            fail(QStringLiteral("The folder \"%1\" could not be created.").arg(step.to));
            m_failedSources.append(step.source);
        }
        return true;
    case Step::CopyLink: {
        if (QFileInfo(step.to).isSymLink() || QFileInfo(step.to).isFile()) QFile::remove(step.to);
        const QString target = QFileInfo(step.from).symLinkTarget();
        if (!QFile::link(target, step.to)) {
            fail(QStringLiteral("The link \"%1\" could not be copied.").arg(step.from));
            m_failedSources.append(step.source);
        }
        return true;
    }
    case Step::CopyFile:
        return copyChunk(step);
    case Step::RemoveSource: {
        const QFileInfo info(step.from);
        const bool removed = info.isDir() && !info.isSymLink() ? QDir(step.from).removeRecursively()
                                                               : QFile::remove(step.from);
        if (!removed)
            fail(QStringLiteral("\"%1\" was copied but could not be removed.").arg(step.from));
        return true;
    }
    }
    return true;
}

bool LocalFileJob::copyChunk(Step& step) {
    if (!m_in) {
        m_current = QFileInfo(step.from).fileName();
        m_in = std::make_unique<QFile>(step.from);
        const QFileInfo to(step.to);
        m_out = std::make_unique<QTemporaryFile>(to.path() + QStringLiteral("/.") + to.fileName() +
                                                 QStringLiteral(".XXXXXX.part"));
        if (!m_in->open(QIODevice::ReadOnly) || !m_out->open()) {
            fail(QStringLiteral("\"%1\" could not be copied: %2")
                     .arg(step.from, m_in->isOpen() ? m_out->errorString() : m_in->errorString()));
            m_failedSources.append(step.source);
            dropPartial();
            m_bytesDone += step.size;
            return true;
        }
    }
    // The kernel copies without the data passing through the program where it can;
    // elsewhere a buffer does.
    const int in = m_in->handle(), out = m_out->handle();
    ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, size_t(kChunk), 0);
    if (copied < 0 &&
        (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
        if (m_buffer.size() != kChunk) m_buffer.resize(kChunk);
        copied = ::read(in, m_buffer.data(), size_t(kChunk));
        for (ssize_t written = 0; copied > 0 && written < copied;) {
            const ssize_t n =
                ::write(out, m_buffer.constData() + written, size_t(copied - written));
            if (n < 0) {
                copied = -1;
                break;
            }
            written += n;
        }
    }
    if (copied < 0) {
        fail(QStringLiteral("\"%1\" could not be copied: %2")
                 .arg(step.from, QString::fromLocal8Bit(std::strerror(errno))));
        m_failedSources.append(step.source);
        dropPartial();
        return true;
    }
    m_bytesDone += copied;
    if (copied > 0) return false;
    // The end of the file: the copy takes its place under its name, with the source's
    // permission bits and modification time, set once it has its name.
    struct stat source {};
    const bool known = ::fstat(in, &source) == 0;
    const QString partial = m_out->fileName();
    m_out->setAutoRemove(false);
    m_out->close();
    m_in.reset();
    m_out.reset();
    if (!renameOver(partial, step.to)) {
        fail(QStringLiteral("\"%1\" could not be written: %2")
                 .arg(step.to, QString::fromLocal8Bit(std::strerror(errno))));
        m_failedSources.append(step.source);
        QFile::remove(partial);
        return true;
    }
    if (known) {
        const QByteArray to = QFile::encodeName(step.to);
        ::chmod(to.constData(), source.st_mode & 0777);
        const timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
        ::utimensat(AT_FDCWD, to.constData(), times, 0);
    }
    return true;
}

void LocalFileJob::dropPartial() {
    // The temporary copy removes itself.
    m_in.reset();
    m_out.reset();
}

void LocalFileJob::finish() {
    dropPartial();
    m_running = false;
    emit finished();
}
