#include "SiteManagerPane.h"

#include "FolderSelDialog.h"
#include "InputBox.h"
#include "PlainMessage.h"
#include "SiteIcons.h"
#include "SiteInfoDialog.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>

#include <functional>

namespace {
constexpr int kEntryRole = Qt::UserRole;
} // namespace

SiteManagerPane::SiteManagerPane(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("site_manager"));
    setHeaderLabels({QStringLiteral("Label"), QStringLiteral("Site IP"), QStringLiteral("Username"),
                     QStringLiteral("Password"), QStringLiteral("Port"),
                     QStringLiteral("Local Initial Dir"), QStringLiteral("Remote Initial Dir")});
    const int widths[] = {250, 100, 70, 100, 40, 250, 250};
    for (int i = 0; i < 7; ++i)
        setColumnWidth(i, widths[i]);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(false); // a double-click connects; the tree stays as it is
    setEditTriggers(QAbstractItemView::NoEditTriggers); // labels are edited through Rename
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    buildMenu();
    connect(this, &QTreeWidget::itemDoubleClicked, this, &SiteManagerPane::Connect);
    connect(this, &QTreeWidget::itemChanged, this, &SiteManagerPane::labelEdited);
    connect(this, &QTreeWidget::itemSelectionChanged, this,
            [this] { showMenuFor(selectedEntry()); });
    // While a label is edited the Del key belongs to the text.
    connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this] { m_delete->setShortcut(QKeySequence(Qt::Key_Delete)); });
}

void SiteManagerPane::buildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("site_manager_popup"));
    const auto add = [this](const char* name, const char* text, const QKeySequence& key) {
        QAction* a = m_menu->addAction(QLatin1String(text));
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
        return a;
    };
    m_connect = add("Connect1", "Connect", {});
    m_rename = add("Rename1", "Rename", QKeySequence(Qt::Key_F2));
    m_delete = add("Delete1", "Delete", QKeySequence(Qt::Key_Delete));
    m_edit = add("Edit1", "Edit", QKeySequence(Qt::ALT | Qt::Key_E));
    m_newFolder = add("NewFolder1", "New Folder", QKeySequence(Qt::ALT | Qt::Key_N));
    m_newSite = add("NewSite1", "New Site", QKeySequence(Qt::ALT | Qt::Key_S));
    m_newBookmark = add("NewBookMark1", "New BookMark", QKeySequence(Qt::ALT | Qt::Key_B));
    connect(m_connect, &QAction::triggered, this, &SiteManagerPane::Connect);
    connect(m_rename, &QAction::triggered, this, &SiteManagerPane::Rename);
    connect(m_delete, &QAction::triggered, this, &SiteManagerPane::Delete);
    connect(m_edit, &QAction::triggered, this, &SiteManagerPane::Edit);
    connect(m_newFolder, &QAction::triggered, this, &SiteManagerPane::NewFolder);
    connect(m_newSite, &QAction::triggered, this, &SiteManagerPane::NewSite);
    connect(m_newBookmark, &QAction::triggered, this, &SiteManagerPane::NewBookmark);
    showMenuFor(nullptr);
}

void SiteManagerPane::bind(SiteTree& sites) {
    m_sites = &sites;
    m_info = new Tsite_info_form(this);
    m_folders = new Tfolder_sel_form(sites.filePath(), this);
    showTree();
}

void SiteManagerPane::showTree() {
    if (!m_sites) return;
    const SiteEntry* selected = selectedEntry();
    const QSignalBlocker quiet(this); // filling the labels is no rename
    clear();
    std::function<void(QTreeWidgetItem*, const SiteEntry&)> add = [&](QTreeWidgetItem* parent,
                                                                      const SiteEntry& e) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, e.label);
        item->setIcon(0, SiteIcons::forKind(e.kind));
        item->setData(0, kEntryRole, QVariant::fromValue(quintptr(&e)));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        for (int c = 0; c < e.columns.size(); ++c)
            item->setText(c + 1, c == ColPassword ? QStringLiteral("****") : e.columns[c]);
        for (const auto& child : e.children)
            add(item, *child);
    };
    for (const auto& e : m_sites->topLevel())
        add(nullptr, *e);
    expandAll();
    if (selected && m_sites->indexOf(selected) >= 0) select(selected);
}

SiteEntry* SiteManagerPane::entryOf(const QTreeWidgetItem* item) const {
    if (!item || !m_sites) return nullptr;
    auto* e = reinterpret_cast<SiteEntry*>(item->data(0, kEntryRole).value<quintptr>());
    return m_sites->indexOf(e) >= 0 ? e : nullptr;
}

SiteEntry* SiteManagerPane::selectedEntry() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : entryOf(selected.first());
}

QTreeWidgetItem* SiteManagerPane::itemOf(const SiteEntry* entry) const {
    for (QTreeWidgetItemIterator it(const_cast<SiteManagerPane*>(this)); *it; ++it) {
        if ((*it)->data(0, kEntryRole).value<quintptr>() == quintptr(entry)) return *it;
    }
    return nullptr;
}

void SiteManagerPane::select(const SiteEntry* entry) {
    QTreeWidgetItem* item = itemOf(entry);
    if (!item) return;
    clearSelection();
    item->setSelected(true);
    setCurrentItem(item);
}

void SiteManagerPane::showMenuFor(const SiteEntry* entry) {
    const SiteInfo::MenuStates m = SiteInfo::menuFor(entry);
    m_connect->setEnabled(m.connect);
    m_rename->setEnabled(m.rename);
    m_delete->setEnabled(m.del);
    m_edit->setEnabled(m.edit);
    m_newFolder->setEnabled(m.newFolder);
    m_newSite->setEnabled(m.newSite);
    m_newBookmark->setEnabled(m.newBookmark);
}

QAction* SiteManagerPane::commandFor(const QKeyEvent* key) const {
    const QKeySequence pressed(key->keyCombination());
    for (QAction* a : m_menu->actions()) {
        if (!a->shortcut().isEmpty() && a->shortcut() == pressed) return a;
    }
    return nullptr;
}

bool SiteManagerPane::event(QEvent* event) {
    // Alt+E is also the Edit menu's key, and so on: while the tree has the focus its own
    // commands take their keys.
    if (event->type() == QEvent::ShortcutOverride && commandFor(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QTreeWidget::event(event);
}

void SiteManagerPane::keyPressEvent(QKeyEvent* event) {
    if (QAction* a = commandFor(event)) {
        if (a->isEnabled()) a->trigger();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void SiteManagerPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) return QTreeWidget::mousePressEvent(event);
    // The entry under the pointer becomes the selected one; over empty space none is.
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    clearSelection();
    if (item) {
        item->setSelected(true);
        setCurrentItem(item);
    }
    showMenuFor(entryOf(item));
    m_menu->popup(viewport()->mapToGlobal(event->position().toPoint()));
}

void SiteManagerPane::message(const QString& text) {
    auto* box = PlainMessage::make(QMessageBox::Information, QStringLiteral("1Quillon"), text,
                                   QMessageBox::Ok, window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void SiteManagerPane::saved() {
    showTree();
    if (!m_sites->lastError().isEmpty())
        message(QStringLiteral("The site file could not be saved: %1").arg(m_sites->lastError()));
}

void SiteManagerPane::Connect() {
    const SiteEntry* e = selectedEntry();
    if (!e || e->kind == SiteKind::Folder) return;
    if (const auto c = m_sites->connection(m_sites->indexOf(e))) emit connectRequested(*c);
}

void SiteManagerPane::Rename() {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) return;
    m_delete->setShortcut(QKeySequence());
    editItem(selected.first(), 0);
}

void SiteManagerPane::labelEdited(QTreeWidgetItem* item, int column) {
    SiteEntry* e = entryOf(item);
    if (column != 0 || !e || item->text(0) == e->label) return;
    m_sites->rename(m_sites->indexOf(e), item->text(0));
    if (!m_sites->lastError().isEmpty())
        message(QStringLiteral("The site file could not be saved: %1").arg(m_sites->lastError()));
}

void SiteManagerPane::Delete() {
    const SiteEntry* e = selectedEntry();
    if (!e) return;
    if (!e->parent) return message(QStringLiteral("You Cannot Delete this Item"));
    const uint64_t id = e->id;
    if (PlainMessage::question(window(), QStringLiteral("1Quillon"),
                               QStringLiteral("Do you really want to delete this item?"),
                               QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    m_sites->remove(m_sites->indexOfId(id));
    saved();
}

void SiteManagerPane::NewFolder() {
    const SiteEntry* parent = selectedEntry();
    const int index =
        m_sites->addFolder(QStringLiteral("New Folder"), parent ? m_sites->indexOf(parent) : -1);
    saved();
    if (SiteEntry* added = m_sites->entryAt(index)) {
        select(added);
        Rename();
    }
}

bool SiteManagerPane::runInfo(const SiteInfo::Values& values, SiteInfo::Mode mode) {
    m_info->setValues(values, mode);
    return m_info->exec() == QDialog::Accepted;
}

void SiteManagerPane::Edit() {
    const SiteEntry* e = selectedEntry();
    if (!e || e->kind == SiteKind::Folder) return;
    const bool site = e->kind == SiteKind::Site;
    const SiteInfo::Mode mode = site ? SiteInfo::Mode::Site : SiteInfo::Mode::Bookmark;
    // Found again by id after the dialog: nothing is kept pointing into the tree meanwhile.
    const uint64_t id = e->id;
    const uint64_t siteId = site ? e->id : (e->parent ? e->parent->id : 0);
    if (!runInfo(site ? SiteInfo::forSite(*e) : SiteInfo::forBookmark(*e), mode)) return;
    const int index = m_sites->indexOfId(id);
    if (index < 0) return;
    const SiteInfo::Fields f = m_info->fields();
    m_sites->updateEntry(index, site ? f.label : f.bookmarkLabel,
                         site ? SiteInfo::siteColumns(f) : SiteInfo::bookmarkColumns(f));
    saved();
    if (m_info->connectRequested())
        emit connectRequested(SiteInfo::connectionFor(f, mode, m_sites->indexOfId(siteId), siteId));
}

void SiteManagerPane::NewSite() {
    if (!m_sites) return;
    const int parent = SiteInfo::newSiteParent(*m_sites, selectedEntry());
    if (!runInfo(SiteInfo::forNewSite(), SiteInfo::Mode::Site)) return;
    const SiteInfo::Fields f = m_info->fields();
    const int index = m_sites->addEntry(f.label, parent, f.host, f.user, f.password, f.port,
                                        f.localDir, f.remoteDir, true);
    saved();
    if (const SiteEntry* added = m_sites->entryAt(index)) select(added);
    if (!m_info->connectRequested() || index < 0) return;
    emit connectRequested(
        SiteInfo::connectionFor(f, SiteInfo::Mode::Site, index, m_sites->entryAt(index)->id));
}

void SiteManagerPane::NewBookmark() {
    const SiteEntry* site = selectedEntry();
    if (!site || site->kind != SiteKind::Site) return;
    const uint64_t siteId = site->id;
    if (!runInfo(SiteInfo::forNewBookmark(*site), SiteInfo::Mode::Bookmark)) return;
    const int siteIndex = m_sites->indexOfId(siteId);
    if (siteIndex < 0) return;
    const SiteInfo::Fields f = m_info->fields();
    const int index = m_sites->addEntry(f.bookmarkLabel, siteIndex, f.host, f.user, f.password,
                                        f.port, f.bookmarkLocal, f.bookmarkRemote, false);
    saved();
    if (const SiteEntry* added = m_sites->entryAt(index)) select(added);
    if (m_info->connectRequested())
        emit connectRequested(
            SiteInfo::connectionFor(f, SiteInfo::Mode::Bookmark, siteIndex, siteId));
}

void SiteManagerPane::ExportSite(const QString& host, const QString& user, const QString& password,
                                 const QString& port) {
    if (host.isEmpty() || user.isEmpty() || password.isEmpty() || port.isEmpty()) {
        return message(QStringLiteral(
            "Please Enter the valid values for:\n\tHost Name\n\tUser Name\n\tPassword\n\tPort"));
    }
    m_folders->setMode(QStringLiteral("site"));
    const std::optional<QString> label =
        askText(window(), "new_site_label", QStringLiteral("New Site Label"),
                QStringLiteral("Pleas Enter New Site Label"));
    if (!label || m_folders->exec() != QDialog::Accepted) return;
    const SiteEntry* folder = m_sites->entryAt(m_folders->chosenIndex());
    if (!folder || folder->kind != SiteKind::Folder) return;
    m_sites->addEntry(*label, m_folders->chosenIndex(), host, user, password, port, QString(),
                      QString(), true);
    saved();
}

void SiteManagerPane::BookmarkFolder(const SiteConnection& now, uint64_t sessionSiteId) {
    if (!m_sites) return;
    m_folders->setMode(QStringLiteral("bookmark"));
    const QString label =
        askText(window(), "new_bookmark_label", QStringLiteral("New Book Mark Label"),
                QStringLiteral("Pleas Enter New Book Mark Label"), QStringLiteral("New Bookmark"))
            .value_or(QStringLiteral("New Bookmark"));
    // The session's site by its id: entries added or deleted since it opened do not move a
    // bookmark to another site. A site that is gone, or a quick connection, asks.
    int siteIndex = sessionSiteId ? m_sites->indexOfId(sessionSiteId) : -1;
    if (siteIndex < 0) {
        if (m_folders->exec() != QDialog::Accepted) return;
        siteIndex = m_folders->chosenIndex();
    }
    const SiteEntry* site = m_sites->entryAt(siteIndex);
    if (!site || site->kind != SiteKind::Site) return;
    m_sites->addEntry(label, siteIndex, now.host, now.user, now.password, now.port, now.localDir,
                      now.remoteDir, false);
    saved();
}

int SiteManagerPane::dropTarget(const QDropEvent* event) const {
    if (event->source() != this || !m_sites) return -1;
    const SiteEntry* source = selectedEntry();
    const SiteEntry* target = entryOf(itemAt(event->position().toPoint()));
    if (!source || !target) return -1;
    const int to = m_sites->indexOf(target);
    return m_sites->canDrop(m_sites->indexOf(source), to) ? to : -1;
}

void SiteManagerPane::dragMoveEvent(QDragMoveEvent* event) {
    QTreeWidget::dragMoveEvent(event);
    if (dropTarget(event) < 0) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void SiteManagerPane::dropEvent(QDropEvent* event) {
    const int target = dropTarget(event);
    if (target < 0) {
        event->ignore();
        return;
    }
    const SiteEntry* moving = selectedEntry();
    // The tree moves the entry; the widget shows the tree again rather than moving items.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    m_sites->move(m_sites->indexOf(moving), target);
    saved();
    select(moving);
}
