#include "RemotePaneWidget.h"

#include "NaturalOrder.h"
#include "NavigationManager.h"
#include "PlainMessage.h"
#include "PopupMenu.h"
#include "RemoteViewerHost.h"
#include "ToolButton.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QDrag>
#include <QDropEvent>
#include <QEvent>
#include <QFileIconProvider>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Folders stay above files whichever way a column sorts; sizes sort by number, dates
// by date and texts naturally ("file_2" before "file_10"), without regard to case.
class RemoteItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const QTreeWidget* list = treeWidget();
        const int column = list ? list->sortColumn() : 0;
        const bool folder = text(2) == RemoteListing::kFolderType;
        if (folder != (other.text(2) == RemoteListing::kFolderType)) {
            // The view reverses the order for a descending sort: undo that here.
            const bool descending =
                list && list->header()->sortIndicatorOrder() == Qt::DescendingOrder;
            return descending ? !folder : folder;
        }
        if (column == 1) return text(1).toDouble() < other.text(1).toDouble();
        if (column == 3) {
            const QString format = QStringLiteral("MM/dd/yyyy HH:mm");
            return QDateTime::fromString(text(3), format) <
                   QDateTime::fromString(other.text(3), format);
        }
        return naturalCompare(text(column), other.text(column)) < 0;
    }
};

// Drags of the selected rows leave as remote rows, without a drag image.
class RemoteListWidget : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    std::function<QList<DraggedRemoteRow>()> dragRows;

protected:
    void startDrag(Qt::DropActions) override {
        const QList<DraggedRemoteRow> rows = dragRows ? dragRows() : QList<DraggedRemoteRow>();
        if (rows.isEmpty()) return;
        auto* drag = new QDrag(this);
        drag->setMimeData(DragData::fromRemoteList(rows));
        drag->exec(Qt::CopyAction | Qt::MoveAction);
    }
};

} // namespace

RemotePaneWidget::RemotePaneWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("remote_pane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    m_address = new QComboBox(this);
    m_address->setObjectName(QStringLiteral("remoteadd"));
    m_address->setEditable(true);
    m_address->setToolTip(QStringLiteral("Remote Address"));
    m_address->setInsertPolicy(QComboBox::NoInsert);
    // Without a completer a Return reports only through the line edit, so one Enter
    // changes directory once.
    m_address->setCompleter(nullptr);
    m_refresh =
        makeToolButton(this, "refresh_remote", QStringLiteral("Refresh"), QStyle::SP_BrowserReload);
    m_up = makeToolButton(this, "remote_up", QStringLiteral("One Level Up"),
                          QStyle::SP_FileDialogToParent);
    bar->addWidget(m_address, 1);
    bar->addWidget(m_refresh);
    bar->addWidget(m_up);
    auto* list = new RemoteListWidget(this);
    list->dragRows = [this] { return selectedRows(); };
    m_list = list;
    m_list->setObjectName(QStringLiteral("remoteListView"));
    m_list->setDragEnabled(true);
    m_list->setAcceptDrops(true);
    m_list->setDragDropMode(QAbstractItemView::DragDrop);
    m_list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size(KB)"),
                             QStringLiteral("Type"), QStringLiteral("Modified"),
                             QStringLiteral("Attributes"), QStringLiteral("User"),
                             QStringLiteral("Group")});
    // The widths of the original at its font, widened where the desktop's font needs more
    // room for a size in KB or a date.
    const QFontMetrics metrics = m_list->fontMetrics();
    const int pad = 3 * metrics.horizontalAdvance(u' ') + 12;
    const int widths[] = {
        200, std::max(60, metrics.horizontalAdvance(QStringLiteral("262144.00")) + pad),
        std::max(126, metrics.horizontalAdvance(QStringLiteral("Plain text document")) + pad),
        std::max(90, metrics.horizontalAdvance(QStringLiteral("12/31/2000 23:59")) + pad),
        std::max(80, metrics.horizontalAdvance(QStringLiteral("drwxr-xr-x")) + pad)};
    for (int i = 0; i < 5; ++i)
        m_list->setColumnWidth(i, widths[i]);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSortingEnabled(true);
    // By name, folders first, until the user clicks another column.
    m_list->sortByColumn(0, Qt::AscendingOrder);
    layout->addLayout(bar);
    layout->addWidget(m_list);
    // Names are edited through "Rename" (F2) only: a double-click opens the row.
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    buildMenu();
    bindOperations();
    SetPaneEnabled(false);
}

RemotePaneWidget::~RemotePaneWidget() = default;

void RemotePaneWidget::buildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("remote_menu"));
    m_download = addMenuAction(m_menu, "Remote_Download", QStringLiteral("Download"));
    m_edit = addMenuAction(m_menu, "Remote_Edit", QStringLiteral("Edit"));
    m_view = addMenuAction(m_menu, "Remote_View", QStringLiteral("View"));
    m_open = addMenuAction(m_menu, "Remote_Open", QStringLiteral("Open"));
    m_menu->addSeparator();
    m_cut = addMenuAction(m_menu, "Remote_Cut", QStringLiteral("Cut"));
    m_paste = addMenuAction(m_menu, "Remote_Paste", QStringLiteral("Paste"));
    m_paste->setEnabled(false); // until the first Cut
    m_rename = addMenuAction(m_menu, "Remote_Rename", QStringLiteral("Rename"), Qt::Key_F2);
    m_delete = addMenuAction(m_menu, "Remote_Delete", QStringLiteral("Delete"), Qt::Key_Delete);
    m_menu->addSeparator();
    m_newFolder = addMenuAction(m_menu, "Remote_NewFolder", QStringLiteral("New Directory"));
    m_chmod = addMenuAction(m_menu, "Remote_CHMOD", QStringLiteral("CHMOD"));
    m_refreshAction =
        addMenuAction(m_menu, "Remote_Refresh", QStringLiteral("Refresh"), Qt::Key_F5);
    m_bookMark =
        addMenuAction(m_menu, "Remote_BookMark", QStringLiteral("BookMark Current Folder"));
    m_menu->addSeparator();
    m_selectAll = addMenuAction(m_menu, "Remote_SelectAll", QStringLiteral("Select All"),
                                QKeySequence::SelectAll);
    m_invertSelection =
        addMenuAction(m_menu, "Remote_InvertSelection", QStringLiteral("Invert Selection"));
    // The shortcuts work while the remote list has the focus.
    attachPopupMenu(m_list, m_menu);
    connect(m_download, &QAction::triggered, this, &RemotePaneWidget::Download);
    connect(m_cut, &QAction::triggered, this, &RemotePaneWidget::Cut);
    connect(m_paste, &QAction::triggered, this, &RemotePaneWidget::Paste);
    connect(m_selectAll, &QAction::triggered, this, &RemotePaneWidget::SelectAll);
    connect(m_invertSelection, &QAction::triggered, this, &RemotePaneWidget::InvertSelection);
    m_list->viewport()->installEventFilter(this);
    m_list->installEventFilter(this);
    // Clicks, keys and Select All alike: the commands follow the selection.
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RemotePaneWidget::updateSelectionCommands);
    updateSelectionCommands();
}

void RemotePaneWidget::bind(Navigation_Manager& session) {
    Navigation_Manager* nav = &session;
    m_session = nav;
    connect(m_up, &QToolButton::clicked, nav, [nav] { nav->OneLevelUp(); });
    connect(m_refresh, &QToolButton::clicked, nav, [nav] { nav->Refresh(); });
    connect(m_refreshAction, &QAction::triggered, nav, [nav] { nav->Refresh(); });
    // Enter in the box, or a history item chosen from its list.
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { goToAddress(m_address->currentText()); });
    connect(m_address, &QComboBox::activated, this,
            [this](int index) { goToAddress(m_address->itemText(index)); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, nav, [this, nav] {
        const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
        if (selected.isEmpty()) return;
        RemoteRow row;
        row.name = selected.first()->text(0);
        row.type = selected.first()->text(2);
        // A file row is downloaded.
        if (!nav->OpenRow(row)) Download();
    });
}

bool RemotePaneWidget::eventFilter(QObject* watched, QEvent* event) {
    // Keys of the list itself, not of a name being edited in it.
    if (watched == m_list && event->type() == QEvent::KeyPress && m_list->hasFocus())
        return listKey(static_cast<QKeyEvent*>(event)->key()) ||
               QWidget::eventFilter(watched, event);
    if (watched == m_list->viewport() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
         event->type() == QEvent::Drop))
        return handleDrag(event);
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonPress) {
        // After the press has changed the selection.
        QMetaObject::invokeMethod(this, &RemotePaneWidget::updateSelectionCommands,
                                  Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

bool RemotePaneWidget::listKey(int key) {
    if (!m_session || !m_list->isEnabled()) return false;
    if (key == Qt::Key_Backspace) {
        if (m_idle) m_session->OneLevelUp();
        return true;
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    QTreeWidgetItem* current = m_list->currentItem();
    if (!current) return true;
    if (current->text(2) == RemoteListing::kFolderType) {
        RemoteRow row;
        row.name = current->data(0, kNameRole).toString();
        row.type = current->text(2);
        if (m_idle) m_session->OpenRow(row);
        return true;
    }
    if (!current->isSelected()) m_list->setCurrentItem(current);
    View();
    return true;
}

void RemotePaneWidget::updateSelectionCommands() {
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    int folders = 0;
    for (const QTreeWidgetItem* item : selected)
        folders += item->text(2) == RemoteListing::kFolderType;
    RemoteListing::SelectionCommands c = RemoteListing::forSelection(int(selected.size()), folders);
    c.paste = m_cutState.active;
    if (!m_list->isEnabled()) c = {false, false, false, false, false};
    for (QAction* a : {m_newFolder, m_selectAll, m_invertSelection})
        a->setEnabled(c.always);
    // Refresh starts a listing: not while another request runs.
    m_refreshAction->setEnabled(c.always && m_idle);
    for (QAction* a : {m_bookMark, m_cut, m_rename})
        a->setEnabled(c.single);
    for (QAction* a : {m_chmod, m_download, m_delete})
        a->setEnabled(c.nonEmpty);
    // A folder is opened, never viewed.
    for (QAction* a : {m_edit, m_view, m_open})
        a->setEnabled(c.files);
    m_paste->setEnabled(c.paste);
    emit commandsChanged(c);
}

void RemotePaneWidget::goToAddress(const QString& directory) {
    // An Enter on a text that is in the history also reports it as chosen from the
    // list: within one turn of the loop the same address is gone to once.
    if (!m_session || directory == m_addressGoing) return;
    m_addressGoing = directory;
    QMetaObject::invokeMethod(
        this, [this] { m_addressGoing.clear(); }, Qt::QueuedConnection);
    m_session->ChangeDirectory(directory, false);
}

void RemotePaneWidget::SelectAll() {
    m_list->selectAll();
}

void RemotePaneWidget::InvertSelection() {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        item->setSelected(!item->isSelected());
    }
}

bool RemotePaneWidget::listHasFocus() const {
    return m_list->hasFocus();
}

bool RemotePaneWidget::listEnabled() const {
    return m_list->isEnabled();
}

void RemotePaneWidget::setListBackground(int winColour) {
    paintBase(m_address, winColour);
}

bool RemotePaneWidget::AskBreakConnection() {
    return PlainMessage::question(window(), QStringLiteral("1Quillon"),
                                  QStringLiteral("Do you want to break current connection"),
                                  QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void RemotePaneWidget::ShowMessage(const QString& text) {
    auto* box = PlainMessage::make(QMessageBox::Information, QStringLiteral("1Quillon"), text,
                                   QMessageBox::Ok, window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void RemotePaneWidget::ClearAddressBox() {
    m_address->clear();
    m_address->setEditText(QString());
}

void RemotePaneWidget::AddToAddressHistory(const QString& directory) {
    if (m_address->findText(directory, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        m_address->addItem(directory);
}

void RemotePaneWidget::SetAddressText(const QString& directory) {
    m_address->setEditText(directory);
}

void RemotePaneWidget::ShowRows(const QList<RemoteRow>& rows) {
    static const QFileIconProvider icons;
    const QIcon folderIcon = icons.icon(QFileIconProvider::Folder);
    const QIcon fileIcon = icons.icon(QFileIconProvider::File);
    m_list->setUpdatesEnabled(false);
    const bool sorting = m_list->isSortingEnabled();
    m_list->setSortingEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const RemoteRow& r : rows) {
        auto* item = new RemoteItem(
            QStringList{r.name, r.size, r.type, r.modified, r.attributes, r.owner, r.group});
        item->setIcon(0, r.folder ? folderIcon : fileIcon);
        markRow(item, r);
        items.append(item);
    }
    {
        const QSignalBlocker quiet(m_list); // the rows' names are not renames
        m_list->addTopLevelItems(items);
    }
    m_list->setSortingEnabled(sorting);
    m_list->setUpdatesEnabled(true);
    updateSelectionCommands(); // the new rows come unselected
}

void RemotePaneWidget::ClearRows() {
    m_list->clear();
    updateSelectionCommands();
}

void RemotePaneWidget::SetPaneEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_list, m_address, m_refresh, m_up})
        w->setEnabled(enabled);
    updateSelectionCommands();
}

void RemotePaneWidget::SetIdle(bool idle) {
    m_idle = idle;
    for (QWidget* w : std::initializer_list<QWidget*>{m_address, m_up, m_refresh})
        w->setEnabled(idle);
    m_refreshAction->setEnabled(idle);
}

QList<DraggedRemoteRow> RemotePaneWidget::selectedRows() const {
    QList<DraggedRemoteRow> rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (item->isSelected())
            rows.append({item->data(0, kNameRole).toString(), item->text(1),
                         item->text(2) == RemoteListing::kFolderType,
                         item->data(0, kBytesRole).toString()});
    }
    return rows;
}

void RemotePaneWidget::Download() {
    const QList<DraggedRemoteRow> rows = selectedRows();
    if (!rows.isEmpty()) emit downloadRequested(rows);
}

void RemotePaneWidget::Cut() {
    if (!m_session) return;
    QStringList captions;
    for (const DraggedRemoteRow& r : selectedRows())
        captions.append(r.name);
    if (captions.isEmpty()) return;
    m_cutState = RemoteListing::cut(m_session->DisplayedDirectory(), captions);
    updateSelectionCommands();
}

void RemotePaneWidget::Paste() {
    if (!m_session || !m_cutState.active) return;
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    const QString row = selected.isEmpty() ? QString() : selected.first()->text(0);
    const RemoteListing::PastePlan plan = RemoteListing::paste(
        m_cutState, m_session->DisplayedDirectory(), selected.isEmpty() ? nullptr : &row);
    if (!plan.message.isEmpty()) return ShowMessage(plan.message);
    if (!plan.moves.isEmpty() && !m_session->RenameEntries(plan.moves))
        return ShowMessage(QStringLiteral("The server is busy with another request: try the "
                                          "paste again when it has finished."));
    // The cut rows have moved: a second Paste would find them gone.
    m_cutState = {};
    updateSelectionCommands();
}

RemotePaneWidget::DropKind RemotePaneWidget::dropKind(const QMimeData* data,
                                                      const QPoint& at) const {
    if (!m_session || !m_list->isEnabled()) return DropKind::None;
    const QTreeWidgetItem* item = m_list->itemAt(at);
    const bool folderRow = item && item->text(2) == RemoteListing::kFolderType;
    if (DragData::isFromRemoteList(data)) {
        // A move into a folder row that is not one of the dragged rows.
        return m_session->IsIdle() && folderRow && !item->isSelected() ? DropKind::Move
                                                                       : DropKind::None;
    }
    if (DragData::isFromLocalList(data)) {
        const bool local = localFolderShown && localFolderShown();
        return m_session->IsIdle() && local && (!item || folderRow) ? DropKind::Upload
                                                                    : DropKind::None;
    }
    // Files from a file manager go into the displayed folder, wherever they land.
    if (!DragData::fileManagerPaths(data).isEmpty() && m_session->IsConnected())
        return DropKind::Files;
    return DropKind::None;
}

bool RemotePaneWidget::handleDrag(QEvent* event) {
    auto* drag = static_cast<QDropEvent*>(event);
    const QPoint at = drag->position().toPoint();
    const DropKind kind = dropKind(drag->mimeData(), at);
    // A drag that comes in where it cannot drop (its own rows, a file row) is taken all
    // the same: a refused enter gets no moves, and the folder row it goes on to could not
    // take it.
    if (event->type() == QEvent::DragEnter && kind == DropKind::None && m_session &&
        m_list->isEnabled() &&
        (DragData::isFromRemoteList(drag->mimeData()) ||
         DragData::isFromLocalList(drag->mimeData()))) {
        drag->acceptProposedAction();
        return true;
    }
    if (kind == DropKind::None) {
        drag->ignore();
        return true;
    }
    drag->setDropAction(kind == DropKind::Move ? Qt::MoveAction : Qt::CopyAction);
    drag->accept();
    if (event->type() != QEvent::Drop) return true;
    const QTreeWidgetItem* item = m_list->itemAt(at);
    const QString displayed = m_session->DisplayedDirectory();
    switch (kind) {
    case DropKind::Move: {
        QStringList names;
        for (const DraggedRemoteRow& r : DragData::remoteRows(drag->mimeData()))
            names.append(r.name);
        m_session->RenameEntries(RemoteListing::dragMoves(displayed, item->text(0), names));
        break;
    }
    case DropKind::Upload: {
        const bool folderRow = item && item->text(2) == RemoteListing::kFolderType;
        const QString target = folderRow && !displayed.isEmpty()
                                   ? RemoteListing::join(displayed, item->text(0))
                                   : displayed;
        emit uploadDropped(DragData::localPaths(drag->mimeData()), target);
        break;
    }
    case DropKind::Files:
        emit filesDropped(DragData::fileManagerPaths(drag->mimeData()));
        break;
    case DropKind::None:
        break;
    }
    return true;
}
