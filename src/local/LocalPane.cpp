#include "LocalPane.h"

#include "ElidePath.h"
#include "LocalListModel.h"
#include "PlainMessage.h"
#include "PopupMenu.h"
#include "ToolButton.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDesktopServices>
#include <QDir>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The list: drags of the selected rows leave as local paths, without a drag image; the
// pane hears of focus changes.
class LocalListView : public QTreeView {
public:
    using QTreeView::QTreeView;
    std::function<QStringList()> dragPaths;
    std::function<void(Qt::FocusReason)> focusOut;
    std::function<void()> focusIn;

protected:
    void startDrag(Qt::DropActions) override {
        const QStringList paths = dragPaths ? dragPaths() : QStringList();
        if (paths.isEmpty()) return;
        auto* drag = new QDrag(this);
        drag->setMimeData(DragData::fromLocalList(paths));
        drag->exec(Qt::CopyAction);
    }
    void focusOutEvent(QFocusEvent* event) override {
        QTreeView::focusOutEvent(event);
        if (focusOut) focusOut(event->reason());
    }
    void focusInEvent(QFocusEvent* event) override {
        QTreeView::focusInEvent(event);
        if (focusIn) focusIn();
    }

public:
    // Typing finds a row by its name (the view would search the hidden "Full path").
    void keyboardSearch(const QString& search) override {
        if (!model() || search.isEmpty()) return;
        if (!m_typed.isValid() || m_typed.elapsed() > QApplication::keyboardInputInterval())
            m_prefix.clear();
        m_typed.start();
        m_prefix += search;
        // A repeated letter walks through the names that start with it.
        const bool repeat = m_prefix.size() > 1 && m_prefix.count(m_prefix[0]) == m_prefix.size();
        const QString wanted = repeat ? m_prefix.left(1) : m_prefix;
        const QModelIndex current = currentIndex();
        const QModelIndex parent = current.parent();
        const int rows = model()->rowCount(parent);
        const int start = current.isValid() ? current.row() + (repeat || m_prefix.size() == 1) : 0;
        for (int i = 0; i < rows; ++i) {
            const QModelIndex at = model()->index((start + i) % rows, LocalListModel::Name, parent);
            if (at.data().toString().startsWith(wanted, Qt::CaseInsensitive)) {
                selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
                scrollTo(at);
                return;
            }
        }
    }

private:
    QString m_prefix;
    QElapsedTimer m_typed;
};

QIcon iconFor(const LocalEntry& e) {
    static const QFileIconProvider provider;
    static QHash<QString, QIcon> icons;
    const QString key = e.kind == LocalEntry::Volume   ? QStringLiteral("\x01volume")
                        : e.kind == LocalEntry::Folder ? QStringLiteral("\x01folder")
                                                       : e.iconName;
    if (auto it = icons.constFind(key); it != icons.constEnd()) return *it;
    QIcon icon;
    if (e.kind == LocalEntry::Volume)
        icon = provider.icon(QFileIconProvider::Drive);
    else if (e.kind == LocalEntry::Folder)
        icon = provider.icon(QFileIconProvider::Folder);
    else
        icon = QIcon::fromTheme(e.iconName, provider.icon(QFileIconProvider::File));
    icons.insert(key, icon);
    return icon;
}

} // namespace

LocalPane::LocalPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("local_pane"));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    m_localadd = new QComboBox(this);
    m_localadd->setObjectName(QStringLiteral("localadd"));
    // Volumes and the folders gone to, and a typed path (completed from the file system).
    m_localadd->setEditable(true);
    m_localadd->setInsertPolicy(QComboBox::NoInsert);
    m_localadd->setToolTip(QStringLiteral("Local Address"));
    auto* folders = new QStringListModel(m_localadd);
    auto* completer = new QCompleter(folders, m_localadd);
    completer->setObjectName(QStringLiteral("local_path_completer"));
    m_localadd->setCompleter(completer);
    // The folders of the folder typed so far, read when the typing reaches a new one.
    connect(m_localadd->lineEdit(), &QLineEdit::textEdited, this, [folders](const QString& t) {
        const qsizetype slash = t.lastIndexOf(u'/');
        if (slash < 0) return;
        const QString base = t.left(slash + 1);
        if (folders->property("base").toString() == base) return;
        folders->setProperty("base", base);
        QStringList paths;
        for (const QString& name :
             QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
            paths << base + name;
        folders->setStringList(paths);
    });
    m_refresh =
        makeToolButton(this, "refresh_local", QStringLiteral("Refresh"), QStyle::SP_BrowserReload);
    m_goUp = makeToolButton(this, "go_up", QStringLiteral("One Level Up"),
                            QStyle::SP_FileDialogToParent);
    bar->addWidget(m_localadd, 1);
    bar->addWidget(m_refresh);
    bar->addWidget(m_goUp);
    m_currDir = new QLabel(this);
    m_currDir->setObjectName(QStringLiteral("curr_dir"));
    m_currDir->setAlignment(Qt::AlignCenter);
    m_currDir->setMinimumWidth(1);

    m_model = new LocalListModel(this);
    m_model->decoration = [](const LocalEntry& e) { return QVariant(iconFor(e)); };
    auto* list = new LocalListView(this);
    m_list = list;
    m_list->setObjectName(QStringLiteral("localListView"));
    m_list->setModel(m_model);
    m_list->setTreePosition(LocalListModel::Name);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setDragEnabled(true);
    m_list->setAcceptDrops(true);
    m_list->setDragDropMode(QAbstractItemView::DragDrop);
    m_list->setAllColumnsShowFocus(true);
    const int widths[] = {100, 251, 70, 100, 100};
    for (int i = 0; i < LocalListModel::ColumnCount; ++i)
        m_list->setColumnWidth(i, widths[i]);
    m_list->header()->setSortIndicator(LocalListModel::Name, Qt::AscendingOrder);
    m_list->setSortingEnabled(true);
    list->dragPaths = [this] { return SelectedPaths(); };
    list->focusOut = [this](Qt::FocusReason reason) {
        // The pop-up menu takes the focus for a moment: its commands stay as they are.
        if (reason != Qt::PopupFocusReason) focusLost();
    };
    list->focusIn = [this] { updateCommands(); };
    m_list->viewport()->installEventFilter(this);
    m_list->installEventFilter(this);

    layout->addLayout(bar);
    layout->addWidget(m_currDir);
    layout->addWidget(m_list);
    buildMenu();

    connect(m_localadd, &QComboBox::activated, this, [this](int index) {
        const QString root = m_localadd->itemData(index).toString();
        if (!root.isEmpty()) ListFolder(root);
    });
    connect(m_localadd->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        QString typed = m_localadd->currentText().trimmed();
        if (typed.startsWith(u'~')) typed = QDir::homePath() + typed.mid(1);
        if (typed.isEmpty()) return ListDrives();
        GoTo(QDir::cleanPath(typed));
    });
    connect(m_goUp, &QToolButton::clicked, this, [this] {
        const QString parent = Local_Browse::ParentFolder(m_browse.CurrentFolder());
        if (parent.isEmpty()) {
            ListDrives();
        } else if (QFileInfo(parent).isDir()) {
            ListFolder(parent);
        }
    });
    connect(m_refresh, &QToolButton::clicked, this, [this] {
        Refresh({});
        m_list->clearSelection();
    });
    connect(m_list, &QTreeView::doubleClicked, this, &LocalPane::rowActivated);
    connect(m_list, &QTreeView::expanded, this, &LocalPane::unfold);
    connect(m_list, &QTreeView::collapsed, this, &LocalPane::fold);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LocalPane::updateCommands);
    connect(m_model, &LocalListModel::nameEdited, this, &LocalPane::renameEdited);
    connect(m_list->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        // The Del key edits text only while the name is edited.
        m_model->setNameEditable(false);
        m_delete->setShortcut(QKeySequence(Qt::Key_Delete));
    });
    ListDrives();
}

LocalPane::~LocalPane() {
    // The list goes after the pane: it must not report its focus to a pane that is gone.
    auto* list = static_cast<LocalListView*>(m_list);
    list->focusOut = nullptr;
    list->focusIn = nullptr;
}

void LocalPane::buildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("local_menu"));
    m_upload = addMenuAction(m_menu, "Local_Upload", QStringLiteral("Upload"));
    m_upload->setEnabled(false);
    m_uploadZip =
        addMenuAction(m_menu, "Local_UploadAsZip", QStringLiteral("Upload As Zipped Archive"));
    m_uploadZip->setEnabled(false);
    m_menu->addSeparator();
    m_open = addMenuAction(m_menu, "Local_Open", QStringLiteral("Open/Execute"),
                           QKeySequence(Qt::ALT | Qt::Key_Return));
    m_view = addMenuAction(m_menu, "Local_View", QStringLiteral("View/Edit"),
                           QKeySequence(Qt::ALT | Qt::Key_V));
    m_showDesktop = addMenuAction(m_menu, "Local_ShowDesktop", QStringLiteral("Show Desktop"));
    m_menu->addSeparator();
    m_cut = addMenuAction(m_menu, "Local_Cut", QStringLiteral("Cut"),
                          QKeySequence(Qt::CTRL | Qt::Key_X));
    m_copy = addMenuAction(m_menu, "Local_Copy", QStringLiteral("Copy"),
                           QKeySequence(Qt::CTRL | Qt::Key_C));
    m_paste = addMenuAction(m_menu, "Local_Paste", QStringLiteral("Paste"),
                            QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    m_paste->setEnabled(false);
    m_rename =
        addMenuAction(m_menu, "Local_Rename", QStringLiteral("Rename"), QKeySequence(Qt::Key_F2));
    m_delete = addMenuAction(m_menu, "Local_Delete", QStringLiteral("Delete"),
                             QKeySequence(Qt::Key_Delete));
    m_menu->addSeparator();
    m_newFolder = addMenuAction(m_menu, "Local_NewFolder", QStringLiteral("New Folder"),
                                QKeySequence(Qt::ALT | Qt::Key_F));
    m_refreshAction =
        addMenuAction(m_menu, "Local_Refresh", QStringLiteral("Refresh"), QKeySequence(Qt::Key_F5));
    m_properties = addMenuAction(m_menu, "Local_Properties", QStringLiteral("Properties"));
    m_menu->addSeparator();
    m_selectAll = addMenuAction(m_menu, "Local_SelectAll", QStringLiteral("Select All"),
                                QKeySequence(Qt::CTRL | Qt::Key_A));
    m_invertSelect = addMenuAction(m_menu, "Local_InvertSelect", QStringLiteral("Invert Select"));
    attachPopupMenu(m_list, m_menu);
    connect(m_upload, &QAction::triggered, this, [this] {
        const QStringList paths = SelectedPaths();
        if (!paths.isEmpty()) emit uploadRequested(paths);
    });
    connect(m_uploadZip, &QAction::triggered, this, [this] {
        const QStringList paths = SelectedPaths();
        if (!paths.isEmpty()) emit uploadZipRequested(paths);
    });
    connect(m_open, &QAction::triggered, this, &LocalPane::Open);
    connect(m_view, &QAction::triggered, this, &LocalPane::View);
    connect(m_showDesktop, &QAction::triggered, this, &LocalPane::ShowDesktop);
    connect(m_cut, &QAction::triggered, this, &LocalPane::Cut);
    connect(m_copy, &QAction::triggered, this, &LocalPane::Copy);
    connect(m_paste, &QAction::triggered, this, &LocalPane::Paste);
    connect(m_rename, &QAction::triggered, this, &LocalPane::Rename);
    connect(m_delete, &QAction::triggered, this, &LocalPane::Delete);
    connect(m_newFolder, &QAction::triggered, this, &LocalPane::NewFolder);
    connect(m_refreshAction, &QAction::triggered, this, [this] { Refresh({}); });
    connect(m_properties, &QAction::triggered, this, &LocalPane::Properties);
    connect(m_selectAll, &QAction::triggered, this, &LocalPane::SelectAll);
    connect(m_invertSelect, &QAction::triggered, this, &LocalPane::InvertSelection);
}

// ---------------------------------------------------------------------------------
// Listing

void LocalPane::ListDrives() {
    const QList<LocalEntry> drives = m_browse.ListDrives();
    m_model->setRows(drives);
    m_localadd->clear();
    for (const LocalEntry& d : drives)
        m_localadd->addItem(
            iconFor(d), d.name == d.path ? d.path : d.name + QStringLiteral(" (") + d.path + u')',
            d.path);
    m_localadd->setCurrentIndex(-1);
    showCurrentFolder();
}

void LocalPane::ListFolder(const QString& path) {
    m_model->setRows(m_browse.ListFolder(path, true));
    showCurrentFolder();
    // The folder joins the box's history (once), after the volumes.
    const QString shown = m_browse.CurrentFolder();
    if (!shown.isEmpty() && m_localadd->findData(shown) < 0)
        m_localadd->addItem(QFileIconProvider().icon(QFileIconProvider::Folder), shown, shown);
    m_localadd->setEditText(shown);
}

void LocalPane::GoTo(const QString& path) {
    if (path.isEmpty()) return ListDrives();
    if (QFileInfo(path).isDir()) return ListFolder(path);
    showError(u'"' + path + QStringLiteral("\" not found"));
}

void LocalPane::Refresh(const QModelIndex& row) {
    if (row.isValid()) {
        const LocalEntry e = m_model->entry(row);
        m_model->setChildren(row, m_browse.ListFolder(e.path, false));
        m_list->expand(row);
        return;
    }
    QString folder = m_browse.CurrentFolder();
    if (folder.isEmpty()) return ListDrives();
    // A folder that went away: the nearest one above it that is still there.
    while (!folder.isEmpty() && !QFileInfo(folder).isDir())
        folder = Local_Browse::ParentFolder(folder);
    if (folder.isEmpty()) return ListDrives();
    ListFolder(folder);
}

void LocalPane::FolderChanged(const QString& folder) {
    const QString shown = Local_Browse::StripTrailingSlash(m_browse.CurrentFolder());
    if (shown.isEmpty() || Local_Browse::StripTrailingSlash(folder) != shown) return;
    const QStringList selected = SelectedPaths();
    const QString current = m_model->entry(m_list->currentIndex()).path;
    ListFolder(m_browse.CurrentFolder());
    QItemSelectionModel* selection = m_list->selectionModel();
    for (const QString& path : selected) {
        const QModelIndex row = m_model->findPath(path);
        if (row.isValid())
            selection->select(row, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    const QModelIndex at = m_model->findPath(current);
    if (at.isValid()) selection->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
}

void LocalPane::showCurrentFolder() {
    const QString folder = m_browse.CurrentFolder();
    m_currDir->setToolTip(folder);
    if (folder.isEmpty()) {
        m_currDir->clear();
        return;
    }
    const QFontMetrics metrics = m_currDir->fontMetrics();
    const int room = std::max(1, m_currDir->width() - 4);
    const QString bare = Local_Browse::StripTrailingSlash(folder);
    const QString tail = bare == QLatin1String("/") ? QString() : QStringLiteral("/");
    m_currDir->setText(
        ElidePath(bare,
                  [&](const QString& t) { return metrics.horizontalAdvance(t + tail) <= room; }) +
        tail);
}

void LocalPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    showCurrentFolder();
}

void LocalPane::rowActivated(const QModelIndex& index) {
    if (!index.isValid()) return;
    const LocalEntry e = m_model->entry(index);
    if (QFileInfo(e.path).isDir()) return ListFolder(e.path);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(e.path)))
        showError(QStringLiteral("\"%1\" could not be opened.").arg(e.path));
}

void LocalPane::unfold(const QModelIndex& index) {
    const QModelIndex row = index.siblingAtColumn(0);
    if (m_model->isListed(row)) return;
    m_list->setUpdatesEnabled(false);
    m_model->setChildren(row, m_browse.ListFolder(m_model->entry(row).path, false));
    m_list->setUpdatesEnabled(true);
}

void LocalPane::fold(const QModelIndex& index) {
    const QModelIndex row = index.siblingAtColumn(0);
    const QString path = m_model->entry(row).path;
    m_model->clearChildren(row);
    m_browse.SetCurrentFolder(Local_Browse::ParentFolder(path));
    showCurrentFolder();
}

QStringList LocalPane::SelectedPaths() const {
    QStringList paths;
    for (const QModelIndex& i : m_list->selectionModel()->selectedRows(0))
        paths.append(m_model->entry(i).path);
    return paths;
}

bool LocalPane::listHasFocus() const {
    return m_list->hasFocus();
}

void LocalPane::setListBackground(int winColour) {
    paintBase(m_list, winColour);
    paintBase(m_localadd, winColour);
}

// ---------------------------------------------------------------------------------
// Command enabling

void LocalPane::updateCommands() {
    const QModelIndex focused = m_list->currentIndex();
    const int selected = int(m_list->selectionModel()->selectedRows(0).size());
    const std::optional<LocalCommandStates> states =
        LocalCommandsFor(selected, focused.isValid(),
                         focused.isValid() && m_browse.IsDriveRoot(m_model->entry(focused).path) &&
                             m_model->entry(focused).kind == LocalEntry::Volume);
    if (states) {
        LocalCommandStates s = *states;
        m_showDesktop->setEnabled(s.showDesktop);
        m_newFolder->setEnabled(s.newFolder);
        m_refreshAction->setEnabled(s.refresh);
        m_selectAll->setEnabled(s.selectAll);
        m_invertSelect->setEnabled(s.invertSelect);
        m_open->setEnabled(s.open);
        m_view->setEnabled(s.view);
        m_cut->setEnabled(s.cut);
        m_copy->setEnabled(s.copy);
        m_paste->setEnabled(s.paste);
        m_rename->setEnabled(s.rename);
        m_delete->setEnabled(s.del);
        m_properties->setEnabled(s.properties);
        m_upload->setEnabled(s.upload);
        m_uploadZip->setEnabled(s.upload);
        emit commandsChanged(s);
    }
    // Uploads need a browsing session that is connected and idle.
    if (!remoteReady || !remoteReady()) {
        m_upload->setEnabled(false);
        m_uploadZip->setEnabled(false);
    }
}

void LocalPane::focusLost() {
    for (QAction* a : {m_copy, m_cut, m_paste, m_rename, m_newFolder, m_delete, m_open, m_view,
                       m_upload, m_uploadZip})
        a->setEnabled(false);
    LocalCommandStates none;
    none.showDesktop = m_showDesktop->isEnabled();
    none.refresh = m_refreshAction->isEnabled();
    none.selectAll = m_selectAll->isEnabled();
    none.invertSelect = m_invertSelect->isEnabled();
    emit commandsChanged(none);
    emit pasteEnabledChanged(false);
}

void LocalPane::setPasteEnabled(bool enabled) {
    m_paste->setEnabled(enabled);
    emit pasteEnabledChanged(enabled);
}

// ---------------------------------------------------------------------------------
// Drops of remote rows

QModelIndex LocalPane::rowUnder(const QPoint& viewportPos) const {
    return m_list->indexAt(viewportPos).siblingAtColumn(0);
}

bool LocalPane::acceptsDrop(const QMimeData* data, const QPoint& at) const {
    // Downloads run on the workers' connections: a session that shows a folder is enough,
    // busy or not.
    if (!DragData::isFromRemoteList(data) || !remoteShown || !remoteShown()) return false;
    const QModelIndex row = rowUnder(at);
    if (row.isValid()) return QFileInfo(m_model->entry(row).path).isDir();
    return !m_browse.CurrentFolder().isEmpty();
}

bool LocalPane::eventFilter(QObject* watched, QEvent* event) {
    // Keys of the list itself, not of a name being edited in it.
    if (watched == m_list && event->type() == QEvent::KeyPress && m_list->hasFocus()) {
        // Enter opens the current row (a folder is listed, a file viewed); Backspace goes
        // one level up.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Backspace) {
            m_goUp->click();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
            const QModelIndex row = m_list->currentIndex().siblingAtColumn(0);
            if (!row.isValid()) return true;
            if (QFileInfo(m_model->entry(row).path).isDir()) {
                ListFolder(m_model->entry(row).path);
            } else {
                View();
            }
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (watched != m_list->viewport()) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // After the press has changed the selection.
        QMetaObject::invokeMethod(this, &LocalPane::updateCommands, Qt::QueuedConnection);
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        // A drag that comes in over a file row must still be taken: a refused enter gets
        // no moves, and the folder row or the empty space it goes on to would refuse it.
        const bool enter = event->type() == QEvent::DragEnter;
        if (enter && DragData::isFromRemoteList(drag->mimeData()) && remoteShown && remoteShown()) {
            drag->acceptProposedAction();
            return true;
        }
        if (acceptsDrop(drag->mimeData(), drag->position().toPoint())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QPoint at = drop->position().toPoint();
        if (!acceptsDrop(drop->mimeData(), at)) {
            drop->ignore();
            return true;
        }
        const QModelIndex row = rowUnder(at);
        QString folder = m_browse.CurrentFolder();
        if (row.isValid()) {
            folder = m_model->entry(row).path;
            m_list->selectionModel()->select(row, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        emit remoteRowsDropped(DragData::remoteRows(drop->mimeData()), folder);
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void LocalPane::showError(const QString& text) {
    auto* box = PlainMessage::make(QMessageBox::Critical, QStringLiteral("1Quillon"), text,
                                   QMessageBox::Ok, window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
