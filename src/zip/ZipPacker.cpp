#include "ZipPacker.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

namespace ZipPacker {

namespace {

struct Entry {
    QString path; // on disk; "" for a folder entry
    QString name; // in the archive
};

// A folder's entries under its own name, depth first, without hidden entries or links.
void addFolder(const QString& folder, const QString& name, QList<Entry>& out) {
    out.append({QString(), name + u'/'});
    QDir dir(folder);
    const QFileInfoList children = dir.entryInfoList(
        QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& child : children) {
        const QString childName = name + u'/' + child.fileName();
        if (child.isDir()) {
            addFolder(child.filePath(), childName, out);
        } else {
            out.append({child.filePath(), childName});
        }
    }
}

QList<Entry> entries(const QStringList& paths) {
    QList<Entry> out;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        const QString name = QFileInfo(QDir::cleanPath(path)).fileName();
        if (info.isDir() && !info.isSymLink()) {
            addFolder(path, name, out);
        } else {
            out.append({path, name});
        }
    }
    return out;
}

struct Callbacks {
    const std::function<bool(double)>* progress;
    bool cancelled = false;
};

QString zipError(zip_t* archive) {
    return QString::fromLocal8Bit(zip_strerror(archive));
}

} // namespace

QStringList entryNames(const QStringList& paths) {
    QStringList names;
    for (const Entry& e : entries(paths))
        names.append(e.name);
    return names;
}

Result pack(const QStringList& paths, const QString& archive, int level,
            const std::function<bool(double)>& progress) {
    Result result;
    QFile::remove(archive);
    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        result.error = QString::fromLocal8Bit(zip_error_strerror(&error));
        zip_error_fini(&error);
        return result;
    }
    const auto fail = [&](const QString& why) {
        zip_discard(zip);
        QFile::remove(archive);
        result.error = why;
        return result;
    };
    for (const Entry& e : entries(paths)) {
        const QByteArray name = e.name.toUtf8();
        if (e.path.isEmpty()) {
            if (zip_dir_add(zip, name.constData(), ZIP_FL_ENC_UTF_8) < 0)
                return fail(zipError(zip));
            continue;
        }
        if (!QFileInfo(e.path).isFile())
            return fail(QStringLiteral("%1: no such file").arg(e.path));
        zip_source_t* source = zip_source_file(zip, QFile::encodeName(e.path).constData(), 0, -1);
        if (!source) return fail(zipError(zip));
        const zip_int64_t index =
            zip_file_add(zip, name.constData(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            return fail(zipError(zip));
        }
        zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_DEFLATE, zip_uint32_t(level));
    }
    Callbacks callbacks{&progress};
    if (progress) {
        zip_register_progress_callback_with_state(
            zip, 0.0001,
            [](zip_t*, double done, void* state) {
                auto* c = static_cast<Callbacks*>(state);
                if (!(*c->progress)(done)) c->cancelled = true;
            },
            nullptr, &callbacks);
        zip_register_cancel_callback_with_state(
            zip,
            [](zip_t*, void* state) { return static_cast<Callbacks*>(state)->cancelled ? 1 : 0; },
            nullptr, &callbacks);
    }
    if (zip_close(zip) < 0) {
        result.cancelled = callbacks.cancelled;
        return fail(callbacks.cancelled ? QStringLiteral("cancelled") : zipError(zip));
    }
    result.ok = true;
    return result;
}

} // namespace ZipPacker
