#include "SiteTree.h"

#include "AppPaths.h"

#include "TreeItemStream.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <functional>

namespace {

// Walks the entries depth first, parent before children; stops when visit returns true.
bool walk(const std::vector<std::unique_ptr<SiteEntry>>& entries,
          const std::function<bool(SiteEntry&)>& visit) {
    for (const auto& e : entries) {
        if (visit(*e) || walk(e->children, visit)) return true;
    }
    return false;
}

TreeRecord toRecord(const SiteEntry& e) {
    TreeRecord r;
    r.text = e.label.toUtf8();
    r.state.imageIndex = int32_t(e.kind);
    r.state.flags = e.displayFlags;
    for (const QString& c : e.columns)
        r.columns << c.toUtf8();
    r.children.reserve(e.children.size());
    for (const auto& child : e.children)
        r.children.push_back(toRecord(*child));
    return r;
}

std::unique_ptr<SiteEntry> fromRecord(const TreeRecord& r, SiteEntry* parent) {
    auto e = std::make_unique<SiteEntry>();
    e->label = QString::fromUtf8(r.text);
    const int32_t kind = r.state.imageIndex;
    e->kind = (kind == 1 || kind == 2) ? SiteKind(kind) : SiteKind::Folder;
    e->displayFlags = r.state.flags;
    for (const QByteArray& c : r.columns)
        e->columns << QString::fromUtf8(c);
    if (e->kind != SiteKind::Folder) {
        while (e->columns.size() < kSiteColumnCount)
            e->columns << QString();
    }
    e->parent = parent;
    for (const TreeRecord& child : r.children)
        e->children.push_back(fromRecord(child, e.get()));
    return e;
}

bool isWithin(const SiteEntry* entry, const SiteEntry* ancestor) {
    for (const SiteEntry* p = entry; p; p = p->parent) {
        if (p == ancestor) return true;
    }
    return false;
}

} // namespace

SiteTree::SiteTree(QString filePath) : m_path(std::move(filePath)) {}

void SiteTree::resetToRoot() {
    m_top.clear();
    auto root = std::make_unique<SiteEntry>();
    root->label = kRootLabel;
    m_top.push_back(std::move(root));
}

SiteTree::LoadResult SiteTree::load() {
    LoadResult result;
    m_top.clear();
    if (!QFileInfo::exists(m_path)) {
        resetToRoot();
        result.created = true;
        if (!save()) result.error = m_lastError;
        return result;
    }
    if (QFileInfo(m_path).size() == 0) {
        resetToRoot();
        return result;
    }
    TreeRecord top;
    QString error;
    if (!treestream::LoadFile(top, m_path, &error)) {
        result.error = error;
        result.keptAs = AppPaths::damagedCopyName(m_path);
        if (!QFile::rename(m_path, result.keptAs)) {
            result.keptAs.clear();
            result.error +=
                QStringLiteral(" The damaged file could not be kept; it is left as it is.");
            resetToRoot();
            return result;
        }
        resetToRoot();
        if (!save()) result.error += QLatin1Char(' ') + m_lastError;
        return result;
    }
    for (const TreeRecord& r : top.children)
        m_top.push_back(fromRecord(r, nullptr));
    if (m_top.empty()) resetToRoot();
    return result;
}

bool SiteTree::read(QString* error) {
    m_top.clear();
    TreeRecord top;
    if (QFileInfo::exists(m_path) && QFileInfo(m_path).size() > 0 &&
        !treestream::LoadFile(top, m_path, error)) {
        resetToRoot();
        return false;
    }
    for (const TreeRecord& r : top.children)
        m_top.push_back(fromRecord(r, nullptr));
    if (m_top.empty()) resetToRoot();
    return true;
}

bool SiteTree::save() {
    TreeRecord top;
    for (const auto& e : m_top)
        top.children.push_back(toRecord(*e));
    QString error;
    if (!treestream::SaveFile(top, m_path, &error)) {
        m_lastError = error;
        return false;
    }
    m_lastError.clear();
    return true;
}

int SiteTree::count() const {
    int n = 0;
    walk(m_top, [&](SiteEntry&) {
        ++n;
        return false;
    });
    return n;
}

SiteEntry* SiteTree::entryAt(int absoluteIndex) const {
    if (absoluteIndex < 0) return nullptr;
    SiteEntry* found = nullptr;
    int i = 0;
    walk(m_top, [&](SiteEntry& e) {
        if (i++ != absoluteIndex) return false;
        found = &e;
        return true;
    });
    return found;
}

int SiteTree::indexOf(const SiteEntry* entry) const {
    int i = 0, found = -1;
    walk(m_top, [&](SiteEntry& e) {
        if (&e == entry) {
            found = i;
            return true;
        }
        ++i;
        return false;
    });
    return found;
}

int SiteTree::indexOfId(uint64_t id) const {
    int i = 0, found = -1;
    walk(m_top, [&](SiteEntry& e) {
        if (e.id == id) {
            found = i;
            return true;
        }
        ++i;
        return false;
    });
    return found;
}

int SiteTree::addEntry(const QString& label, int parentIndex, const QString& host,
                       const QString& user, const QString& password, const QString& port,
                       const QString& localDir, const QString& remoteDir, bool isSite) {
    SiteEntry* parent = entryAt(parentIndex);
    if (!parent) return -1;
    auto e = std::make_unique<SiteEntry>();
    e->label = label;
    e->kind = isSite ? SiteKind::Site : SiteKind::Bookmark;
    e->columns = {host, user, password, port, localDir, remoteDir};
    e->parent = parent;
    const SiteEntry* added = e.get();
    parent->children.push_back(std::move(e));
    save();
    return indexOf(added);
}

int SiteTree::addFolder(const QString& label, int parentIndex) {
    SiteEntry* parent = parentIndex < 0 ? nullptr : entryAt(parentIndex);
    if (parentIndex >= 0 && !parent) return -1;
    auto e = std::make_unique<SiteEntry>();
    e->label = label;
    e->parent = parent;
    const SiteEntry* added = e.get();
    (parent ? parent->children : m_top).push_back(std::move(e));
    save();
    return indexOf(added);
}

bool SiteTree::updateEntry(int index, const QString& label, const QStringList& columns) {
    SiteEntry* e = entryAt(index);
    if (!e || e->kind == SiteKind::Folder || columns.size() != kSiteColumnCount) return false;
    e->label = label;
    e->columns = columns;
    return save();
}

bool SiteTree::rename(int index, const QString& label) {
    SiteEntry* e = entryAt(index);
    if (!e) return false;
    e->label = label;
    return save();
}

SiteTree::DeleteResult SiteTree::remove(int index) {
    SiteEntry* e = entryAt(index);
    if (!e) return DeleteResult::NoEntry;
    if (!e->parent) return DeleteResult::IsRoot;
    auto& siblings = e->parent->children;
    std::erase_if(siblings, [e](const auto& c) { return c.get() == e; });
    save();
    return DeleteResult::Deleted;
}

bool SiteTree::canDrop(int source, int target) const {
    const SiteEntry* s = entryAt(source);
    const SiteEntry* t = entryAt(target);
    if (!s || !t || !s->parent) return false;
    if (t == s->parent || isWithin(t, s)) return false;
    if (s->kind == SiteKind::Bookmark) return t->kind == SiteKind::Site;
    return t->kind == SiteKind::Folder;
}

bool SiteTree::move(int source, int target) {
    if (!canDrop(source, target)) return false;
    SiteEntry* s = entryAt(source);
    SiteEntry* t = entryAt(target);
    auto& siblings = s->parent->children;
    auto it =
        std::find_if(siblings.begin(), siblings.end(), [s](const auto& c) { return c.get() == s; });
    std::unique_ptr<SiteEntry> moving = std::move(*it);
    siblings.erase(it);
    moving->parent = t;
    t->children.push_back(std::move(moving));
    return save();
}

std::optional<SiteConnection> SiteTree::connection(int index) const {
    const SiteEntry* e = entryAt(index);
    if (!e || e->kind == SiteKind::Folder) return std::nullopt;
    SiteConnection c;
    c.host = e->columns.value(ColHost);
    c.user = e->columns.value(ColUser);
    if (c.user.isEmpty() || c.user == QLatin1String("anonymous"))
        c.user = QStringLiteral("anonymous");
    c.password = e->columns.value(ColPassword);
    if (c.password.isEmpty()) c.password = QStringLiteral("rover@");
    c.port = e->columns.value(ColPort);
    if (c.port.isEmpty()) c.port = QStringLiteral("21");
    c.remoteDir = e->columns.value(ColRemoteDir);
    c.localDir = e->columns.value(ColLocalDir);
    c.siteIndex = e->kind == SiteKind::Site ? index : indexOf(e->parent);
    const SiteEntry* site = e->kind == SiteKind::Site ? e : e->parent;
    c.siteId = site ? site->id : 0;
    return c;
}
