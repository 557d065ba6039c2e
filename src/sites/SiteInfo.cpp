#include "SiteInfo.h"

namespace SiteInfo {

Values forNewSite() {
    return Values(kValueCount);
}

Values forSite(const SiteEntry& site) {
    Values v{site.label};
    for (int c = 0; c < kSiteColumnCount; ++c)
        v << site.columns.value(c);
    return v << QString() << QString() << QString();
}

Values forNewBookmark(const SiteEntry& site) {
    return forSite(site);
}

Values forBookmark(const SiteEntry& bookmark) {
    Values v{bookmark.parent ? bookmark.parent->label : QString()};
    for (int c = ColHost; c <= ColPort; ++c)
        v << bookmark.columns.value(c);
    return v << QString() << QString() << bookmark.label << bookmark.columns.value(ColLocalDir)
             << bookmark.columns.value(ColRemoteDir);
}

Fields fill(const Values& values) {
    Fields f;
    f.label = values.value(0);
    f.host = values.value(1);
    const QString user = values.value(2);
    f.anonymous = user.isEmpty() || user == kAnonymous;
    f.user = f.anonymous ? kAnonymous : user;
    f.password = values.value(3).isEmpty() ? kAnonymousPassword : values.value(3);
    f.port = values.value(4).isEmpty() ? QStringLiteral("21") : values.value(4);
    f.localDir = values.value(5);
    f.remoteDir = values.value(6);
    f.bookmarkLabel = values.value(7);
    f.bookmarkLocal = values.value(8);
    f.bookmarkRemote = values.value(9);
    return f;
}

QString validate(const Fields& f, Mode mode) {
    if (mode == Mode::Bookmark) {
        if (f.bookmarkLabel.isEmpty() || f.bookmarkLocal.isEmpty() || f.bookmarkRemote.isEmpty()) {
            return QStringLiteral("Please Enter the Values of\n\t'Book Mark Label'\n\t'Local "
                                  "Directory'\n\t'Remote Directory'");
        }
        return {};
    }
    if (f.label.isEmpty() || f.host.isEmpty() || f.user.isEmpty() || f.password.isEmpty() ||
        f.port.isEmpty()) {
        return QStringLiteral("Please Enter the Values of\n\t'Site "
                              "Label'\n\t'Host/IP'\n\t'Username'\n\t'Password'\n\t'Port'");
    }
    return connectionProblem(f.host, f.port);
}

QString connectionProblem(const QString& host, const QString& port) {
    if (host.isEmpty()) return QStringLiteral("The host name is empty.");
    for (const QChar c : host) {
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return QStringLiteral("The host name must not hold spaces or control characters.");
    }
    bool number = false;
    const int n = port.toInt(&number);
    if (!number || n < 1 || n > 65535)
        return QStringLiteral("The port must be a number from 1 to 65535.");
    return {};
}

QStringList siteColumns(const Fields& f) {
    return {f.host, f.user, f.password, f.port, f.localDir, f.remoteDir};
}

QStringList bookmarkColumns(const Fields& f) {
    return {f.host, f.user, f.password, f.port, f.bookmarkLocal, f.bookmarkRemote};
}

SiteConnection connectionFor(const Fields& f, Mode mode, int siteIndex, uint64_t siteId) {
    const bool site = mode == Mode::Site;
    SiteConnection c{f.host,
                     f.user,
                     f.password,
                     f.port,
                     site ? f.remoteDir : f.bookmarkRemote,
                     site ? f.localDir : f.bookmarkLocal,
                     siteIndex};
    c.siteId = siteId;
    return c;
}

MenuStates menuFor(const SiteEntry* under) {
    MenuStates m;
    if (!under) return m;
    m.rename = m.del = true;
    if (under->kind == SiteKind::Folder) {
        m.newFolder = m.newSite = true;
        return m;
    }
    m.connect = m.edit = true;
    m.newBookmark = under->kind == SiteKind::Site;
    return m;
}

int newSiteParent(const SiteTree& tree, const SiteEntry* selected) {
    if (!selected) return 0;
    if (selected->kind == SiteKind::Site && selected->parent) return tree.indexOf(selected->parent);
    if (selected->kind == SiteKind::Bookmark && selected->parent && selected->parent->parent)
        return tree.indexOf(selected->parent->parent);
    // A site never goes under a site or a bookmark.
    if (selected->kind != SiteKind::Folder) return 0;
    return tree.indexOf(selected);
}

} // namespace SiteInfo
