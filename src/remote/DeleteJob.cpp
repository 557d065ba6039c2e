#include "DeleteJob.h"

#include "RemoteListing.h"

namespace RemoteDelete {

DeleteEntry entry(const QString& path, const QString& host, const QString& user,
                  const QString& password, const QString& port, bool folder) {
    return {path.left(255),     host.left(255), user.left(255),
            password.left(255), port.left(255), folder};
}

bool inside(const QString& path, const QString& top) {
    if (path == top) return true;
    if (top == QLatin1String("/")) return path.startsWith(u'/');
    return path.startsWith(top) && path.size() > top.size() && path[top.size()] == u'/';
}

bool walkable(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(u'/');
}

QList<DeleteEntry> folderContents(const ListingColumns& columns, const QString& folder,
                                  const DeleteEntry& account) {
    QList<DeleteEntry> entries;
    for (size_t i = 0; i < columns.count(); ++i) {
        const std::string& raw = columns.names[i];
        const QString name = QString::fromUtf8(raw.data(), qsizetype(raw.size()));
        if (!walkable(name)) continue;
        const bool isFolder = !columns.types[i].empty();
        entries.append(entry(RemoteListing::join(folder, name), account.host, account.user,
                             account.password, account.port, isFolder));
        if (isFolder) break;
    }
    return entries;
}

QString failureMessage(int count) {
    return count == 1
               ? QStringLiteral("1 entry could not be deleted; the log names it.")
               : QStringLiteral("%1 entries could not be deleted; the log names them.").arg(count);
}

} // namespace RemoteDelete
