#include "RemoteListing.h"

#include "FileTypes.h"

#include <QRegularExpression>

namespace RemoteListing {

QString cacheFile(const QString& programDir, const QString& host, const QString& port,
                  const QString& user, const QString& directory) {
    QString mangled = directory.left(499);
    mangled.replace(u'/', u'_');
    // A host or path must not lead the file out of the cache folder, nor name the
    // folder itself.
    // One folder per account; with its "@" and "_" it can never be "." or "..".
    QString account = (user + u'@' + host + u'_' + port).left(255);
    account.replace(u'/', u'_');
    account.replace(QChar(0), u'_');
    mangled.replace(QChar(0), u'_');
    if (mangled.isEmpty() || mangled == QLatin1String("..") || mangled == QLatin1String("."))
        mangled = QStringLiteral("_") + mangled;
    return programDir + QStringLiteral("Listings/") + account + u'/' + mangled;
}

QString kilobytes(const QString& sizeText) {
    if (sizeText.isEmpty()) return {};
    bool ok = false;
    const float bytes = sizeText.trimmed().toFloat(&ok);
    if (!ok) return {};
    const float kb = bytes * (1.0f / 1024.0f);
    return QString::number(double(kb), 'f', 2);
}

namespace {

// A link is taken for a file when its target ends in a short extension.
bool linkLooksLikeFile(const QString& target) {
    const int dot = target.lastIndexOf(u'.');
    return dot >= 0 && target.size() - dot - 1 < 5;
}

QString text(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

QList<RemoteRow> rows(const ListingColumns& c) {
    QList<RemoteRow> rows;
    rows.reserve(qsizetype(c.count()));
    for (size_t i = 0; i < c.count(); ++i) {
        const QString name = text(c.names[i]);
        if (name == QLatin1String(".") || name == QLatin1String("..")) continue;
        RemoteRow row;
        row.name = name;
        const QString link = text(c.linkTargets[i]);
        row.link = !link.isEmpty();
        row.folder = !c.types[i].empty() || (row.link && !linkLooksLikeFile(link));
        if (!row.folder) {
            const QString listed = text(c.sizes[i]);
            row.size = kilobytes(listed);
            bool exact = false;
            listed.toULongLong(&exact);
            if (exact) row.bytes = listed;
        }
        row.type = row.folder ? kFolderType : FileTypeOf(name).name;
        row.modified = text(c.dates[i]) + u' ' + text(c.times[i]);
        row.attributes = text(c.attributes[i]);
        row.owner = text(c.owners[i]);
        row.group = text(c.groups[i]);
        rows.append(row);
    }
    return rows;
}

QString parent(const QString& directory) {
    const int slash = directory.lastIndexOf(u'/');
    if (slash < 0) return {};
    if (slash == 0) return QStringLiteral("/");
    return directory.left(slash);
}

QString userReason(const QString& reason) {
    static const QRegularExpression local(
        QStringLiteral("^500 (.*?)(?: connecting to (.*?))? \\((?:Winsock )?error #\\d+\\)$"));
    const QRegularExpressionMatch m = local.match(reason);
    if (!m.hasMatch()) return reason;
    return m.captured(2).isEmpty() ? m.captured(1)
                                   : m.captured(1) + QStringLiteral(": ") + m.captured(2);
}

SelectionCommands forSelection(int selectedRows, int selectedFolders) {
    SelectionCommands c;
    c.single = selectedRows == 1;
    c.nonEmpty = selectedRows >= 1;
    c.files = selectedRows >= 1 && selectedFolders == 0;
    return c;
}

QString join(const QString& folder, const QString& name) {
    return folder == QLatin1String("/") ? folder + name : folder + u'/' + name;
}

} // namespace RemoteListing

QString RemoteListing::cut255(const QString& path) {
    return path.left(255);
}

RemoteListing::CutState RemoteListing::cut(const QString& displayed, const QStringList& captions) {
    CutState state;
    state.active = true;
    state.folder = displayed;
    state.count = int(captions.size());
    if (captions.size() > 1) state.names = captions;
    if (!captions.isEmpty()) state.path = join(displayed, captions.last());
    return state;
}

RemoteListing::PastePlan RemoteListing::paste(const CutState& cut, const QString& displayed,
                                              const QString* selectedRow) {
    static const QString same =
        QStringLiteral("Source and Destination are same, Please Choose different destination");
    PastePlan plan;
    if (!cut.active || cut.count == 0) return plan;
    QList<RemoteMove> moves;
    const QStringList names =
        cut.count == 1 ? QStringList{cut.path.mid(cut.path.lastIndexOf(u'/') + 1)} : cut.names;
    for (const QString& name : names) {
        const QString from = cut.count == 1 ? cut.path : join(cut.folder, name);
        QString to;
        if (selectedRow) {
            if (displayed == cut.folder && *selectedRow == name) {
                plan.message = same;
                return plan; // nothing moves
            }
            to = join(join(displayed, *selectedRow), name);
        } else {
            to = join(displayed, name);
        }
        // Pasted where it already is: nothing to move.
        if (from != to) moves.append({cut255(from), cut255(to)});
    }
    plan.moves = moves;
    return plan;
}

QList<RemoteListing::RemoteMove> RemoteListing::dragMoves(const QString& displayed,
                                                          const QString& target,
                                                          const QStringList& names) {
    QList<RemoteMove> moves;
    for (const QString& name : names) {
        if (name == target) continue;
        moves.append({cut255(join(displayed, name)), cut255(join(join(displayed, target), name))});
    }
    return moves;
}
