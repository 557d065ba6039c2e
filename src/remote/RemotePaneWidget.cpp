#include "RemotePaneWidget.h"

#include "NavigationManager.h"
#include "ToolButton.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QFileIconProvider>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Rows sort by number in the size column and by date in the modified column.
class RemoteItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == 1) return text(1).toDouble() < other.text(1).toDouble();
        if (column == 3) {
            const QString format = QStringLiteral("MM/dd/yyyy HH:mm");
            return QDateTime::fromString(text(3), format) <
                   QDateTime::fromString(other.text(3), format);
        }
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
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
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("remoteListView"));
    m_list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size(KB)"),
                             QStringLiteral("Type"), QStringLiteral("Modified"),
                             QStringLiteral("Attributes"), QStringLiteral("User"),
                             QStringLiteral("Group")});
    // The widths of the original at its font, widened where the desktop's font needs more
    // room for a size in KB or a date.
    const QFontMetrics metrics = m_list->fontMetrics();
    const int pad = 3 * metrics.horizontalAdvance(u' ') + 12;
    const int widths[] = {
        200, std::max(60, metrics.horizontalAdvance(QStringLiteral("262144.00")) + pad), 126,
        std::max(90, metrics.horizontalAdvance(QStringLiteral("12/31/2000 23:59")) + pad),
        std::max(80, metrics.horizontalAdvance(QStringLiteral("drwxr-xr-x")) + pad)};
    for (int i = 0; i < 5; ++i)
        m_list->setColumnWidth(i, widths[i]);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(-1, Qt::AscendingOrder);
    layout->addLayout(bar);
    layout->addWidget(m_list);
    SetPaneEnabled(false);
    buildMenu();
}

QAction* RemotePaneWidget::menuAction(const char* name, const QString& text,
                                      const QKeySequence& key) {
    QAction* a = m_menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
}

void RemotePaneWidget::buildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("remote_menu"));
    m_download = menuAction("Remote_Download", QStringLiteral("Download"));
    m_edit = menuAction("Remote_Edit", QStringLiteral("Edit"));
    m_view = menuAction("Remote_View", QStringLiteral("View"));
    m_open = menuAction("Remote_Open", QStringLiteral("Open"));
    m_menu->addSeparator();
    m_cut = menuAction("Remote_Cut", QStringLiteral("Cut"));
    m_paste = menuAction("Remote_Paste", QStringLiteral("Paste"));
    m_paste->setEnabled(false); // until the first Cut
    m_rename = menuAction("Remote_Rename", QStringLiteral("Rename"), Qt::Key_F2);
    m_delete = menuAction("Remote_Delete", QStringLiteral("Delete"), Qt::Key_Delete);
    m_menu->addSeparator();
    m_newFolder = menuAction("Remote_NewFolder", QStringLiteral("New Directory"));
    m_chmod = menuAction("Remote_CHMOD", QStringLiteral("CHMOD"));
    m_refreshAction = menuAction("Remote_Refresh", QStringLiteral("Refresh"), Qt::Key_F5);
    m_bookMark = menuAction("Remote_BookMark", QStringLiteral("BookMark Current Folder"));
    m_menu->addSeparator();
    m_selectAll =
        menuAction("Remote_SelectAll", QStringLiteral("Select All"), QKeySequence::SelectAll);
    m_invertSelection = menuAction("Remote_InvertSelection", QStringLiteral("Invert Selection"));
    // The shortcuts work while the remote list has the focus.
    for (QAction* a : m_menu->actions())
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_list->addActions(m_menu->actions());
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_menu->exec(m_list->viewport()->mapToGlobal(at)); });
    connect(m_selectAll, &QAction::triggered, this, &RemotePaneWidget::SelectAll);
    connect(m_invertSelection, &QAction::triggered, this, &RemotePaneWidget::InvertSelection);
    m_list->viewport()->installEventFilter(this);
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
        nav->OpenRow(row);
    });
}

bool RemotePaneWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonPress) {
        // After the press has changed the selection.
        QMetaObject::invokeMethod(this, &RemotePaneWidget::updateSelectionCommands,
                                  Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void RemotePaneWidget::updateSelectionCommands() {
    const RemoteListing::SelectionCommands c =
        RemoteListing::forSelection(int(m_list->selectedItems().size()));
    for (QAction* a : {m_newFolder, m_selectAll, m_invertSelection})
        a->setEnabled(c.always);
    // Refresh starts a listing: not while another request runs.
    m_refreshAction->setEnabled(c.always && m_idle);
    for (QAction* a : {m_bookMark, m_cut, m_rename})
        a->setEnabled(c.single);
    for (QAction* a : {m_chmod, m_edit, m_view, m_open, m_download, m_delete})
        a->setEnabled(c.nonEmpty);
    emit downloadAllowed(c.nonEmpty);
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

void RemotePaneWidget::setListBackground(int winColour) {
    paintBase(m_address, winColour);
}

bool RemotePaneWidget::AskBreakConnection() {
    return QMessageBox::question(window(), QStringLiteral("1Quillon"),
                                 QStringLiteral("Do you want to break current connection"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void RemotePaneWidget::ShowMessage(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("1Quillon"), text,
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
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    m_list->setSortingEnabled(sorting);
    m_list->setUpdatesEnabled(true);
}

void RemotePaneWidget::ClearRows() {
    m_list->clear();
}

void RemotePaneWidget::SetPaneEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_list, m_address, m_refresh, m_up})
        w->setEnabled(enabled);
}

void RemotePaneWidget::SetIdle(bool idle) {
    m_idle = idle;
    for (QWidget* w : std::initializer_list<QWidget*>{m_address, m_up, m_refresh})
        w->setEnabled(idle);
    m_refreshAction->setEnabled(idle);
}
