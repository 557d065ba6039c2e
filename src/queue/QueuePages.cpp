#include "QueuePages.h"

#include "PlainMessage.h"
#include "QueueManager.h"
#include "QueueModel.h"
#include "QueueRowDelegate.h"
#include "QueueScheduler.h"
#include "QueueStatusDelegate.h"
#include "ThemeIcon.h"
#include "ToolButton.h"

#include <QAction>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Widths of the columns Remote to Error; Ftp Site, UserName and PassWord are hidden.
void layColumns(QTreeView* view, const QueueModel& model) {
    const bool failed = model.failedQueue();
    const int working[] = {215, 55, 220, 85, 100, 76, 70, 77, 89};
    const int failing[] = {215, 50, 220, 85, 50, 70, 70, 77, 83, 500};
    for (int c = 0; c < model.columnCount(); ++c)
        view->setColumnWidth(c, failed ? failing[c] : working[c]);
    for (int c : {6, 7, 8})
        view->setColumnHidden(c, true);
}

QTreeView* queueView(QueueModel& model, const char* name, QWidget* parent) {
    auto* view = new QTreeView(parent);
    view->setObjectName(QLatin1String(name));
    view->setModel(&model);
    view->setItemDelegate(new QueueRowDelegate(view));
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformRowHeights(true);
    view->setSortingEnabled(false);
    view->setAllColumnsShowFocus(true);
    layColumns(view, model);
    // A reset of the model (a load, a replace) would show the hidden columns again.
    QObject::connect(&model, &QAbstractItemModel::modelReset, view,
                     [view, &model] { layColumns(view, model); });
    // New rows come into sight as they are queued.
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, view,
                     [view, &model](const QModelIndex& parent, int, int last) {
                         if (!parent.isValid()) view->scrollTo(model.index(last, 0));
                     });
    // Folders open as the queue file had them, and remember what the user does.
    auto restore = [view, &model] {
        for (QueueItem* item : model.items()) {
            if (item->block.flags & TreeItemState::Expanded) view->expand(model.indexOf(item));
        }
    };
    QObject::connect(&model, &QAbstractItemModel::modelReset, view, restore);
    QObject::connect(view, &QTreeView::expanded, &model,
                     [&model](const QModelIndex& i) { model.setExpanded(model.itemAt(i), true); });
    QObject::connect(view, &QTreeView::collapsed, &model,
                     [&model](const QModelIndex& i) { model.setExpanded(model.itemAt(i), false); });
    restore();
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(1, QHeaderView::Fixed);
    header->setSectionResizeMode(5, QHeaderView::Fixed);
    if (model.failedQueue()) header->setSectionResizeMode(4, QHeaderView::Fixed);
    return view;
}

// The icon of a page's button, by what it does.
struct ButtonIcon {
    const char* themeName;
    QStyle::StandardPixmap fallback;
};
ButtonIcon buttonIcon(const QByteArray& button) {
    if (button.endsWith("SaveToFile_Button") || button.endsWith("Export_Button"))
        return {"document-save", QStyle::SP_DialogSaveButton};
    if (button.endsWith("LoadFromFile_Button") || button.endsWith("Import_Button"))
        return {"document-open", QStyle::SP_DialogOpenButton};
    if (button.endsWith("Clear_Button")) return {"edit-clear", QStyle::SP_DialogResetButton};
    return {"go-next", QStyle::SP_ArrowForward};
}

} // namespace

QueuePages::QueuePages(queue_manager& queues, QueueScheduler& scheduler, QWidget* parent)
    : QWidget(parent), m_queues(queues), m_scheduler(scheduler) {
    setObjectName(QStringLiteral("Panel1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    m_toggleProcessing =
        makeToolButton(this, "Queue_ToggleProcessing", QStringLiteral("Stop Queue Processing"),
                       QStringLiteral("media-playback-pause"), QStyle::SP_MediaPause);
    m_toggleProcessing->setCheckable(true);
    connect(m_toggleProcessing, &QToolButton::toggled, this, [this](bool stopped) {
        showProcessingState();
        emit processingChanged(stopped);
        if (!stopped) m_scheduler.ScanQueue();
    });
    m_startTransfer = makeToolButton(this, "Queue_StartTransfer", QStringLiteral("Start Transfer"),
                                     QStringLiteral("media-playback-start"), QStyle::SP_MediaPlay);
    connect(m_startTransfer, &QToolButton::clicked, this, [this] {
        if (m_queues.RestartFlat()) m_scheduler.ScanQueue();
    });
    m_close = makeToolButton(this, "SpeedButton1", QStringLiteral("Close Queue Panel"),
                             QStyle::SP_TitleBarCloseButton);
    connect(m_close, &QToolButton::clicked, this, &QueuePages::closeRequested);
    bar->addWidget(m_startTransfer);
    bar->addWidget(m_toggleProcessing);
    bar->addStretch();
    bar->addWidget(m_close);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("queue_pages"));
    m_queue = queueView(queues.Queue(), "queue", m_pages);
    m_queue->setItemDelegateForColumn(4, new QueueStatusDelegate(m_queue));
    m_failQueue = queueView(queues.FailQueue(), "fail_queue", m_pages);
    QueueModel& working = queues.Queue();
    QueueModel& failed = queues.FailQueue();
    m_pages->addTab(
        page(m_queue, "queue_popup",
             {{"Queue_SaveToFile_Button", "Queue_SaveQueueToFile", "Export Queue to File",
               "Save Queue to File", [this, &working] { exportQueue(working); }},
              {"Queue_LoadFromFile_Button", "Queue_LoadQueueFromFile", "Import Queue from File",
               "Load Queue From File", [this, &working] { importQueue(working); }},
              {"Queue_Clear_Button", "Queue_ClearQueue", "Clear Queue", "Clear Queue",
               [&working] { working.clear(); }},
              {nullptr, "Queue_CancelTransfer", "", "Cancel Selected Transfer",
               [this] {
                   const QList<QueueItem*> chosen = selected(m_queue);
                   if (!chosen.isEmpty()) m_scheduler.CancelItem(chosen.first());
               }},
              {nullptr, "Queue_AddtoFailedQueue", "", "Move Selected to Failed Queue",
               [this] { m_queues.CopySelectedToFailed(selected(m_queue), true); }},
              {nullptr, "Queue_CopySelectedtotheFailedQueue", "",
               "Copy Selected to the Failed Queue",
               [this] { m_queues.CopySelectedToFailed(selected(m_queue), false); }},
              {nullptr, "Queue_DeleteSelectedItems", "", "Delete Selected Items",
               [this, &working] {
                   const QList<QueueItem*> chosen = selected(m_queue);
                   if (chosen.isEmpty()) return;
                   m_scheduler.CancelItem(chosen.first());
                   // Read again: the cancel may have removed completed items.
                   queue_manager::DeleteSelected(working, selected(m_queue));
               }},
              {nullptr, "Queue_DeleteCompletedItems", "", "Delete Completed Items",
               [&working] { queue_manager::DeleteCompleted(working); }}}),
        QStringLiteral("Working Queue"));
    m_pages->addTab(
        page(m_failQueue, "fail_queue_popup",
             {{"Failed_Queue_Export_Button", "Failed_Queue_Export", "Export Queue to File",
               "Export Queue", [this, &failed] { exportQueue(failed); }},
              {"Failed_Queue_Import_Button", "Failed_Queue_Import", "Import Queue from File",
               "Import Queue", [this, &failed] { importQueue(failed); }},
              {"Failed_Queue_Clear_Button", "Failed_Queue_Clear", "Clear Queue", "Clear Queue",
               [&failed] { failed.clear(); }},
              {"Failed_Queue_Submit_Button", "Failed_Queue_Submit", "Submit for Transfer",
               "Submit Queue for Transfer",
               [this, &working, &failed] {
                   if (!replaceWorkingQueue(working)) return;
                   queue_manager::ReplaceFromTree(working, failed);
                   m_scheduler.ScanQueue();
               }},
              {nullptr, "Failed_Queue_Submit_Selected", "", "Submit Selected for Transfer",
               [this, &working] {
                   queue_manager::CopyItemsForRetry(selected(m_failQueue), working);
               }},
              {nullptr, "Failed_Queue_Delete_Selected", "", "Delete Selected Items",
               [this, &failed] { queue_manager::DeleteSelected(failed, selected(m_failQueue)); }},
              {nullptr, "Failed_Queue_Delete_Completed", "", "Delete Completed Items",
               [&failed] { queue_manager::DeleteCompleted(failed); }}}),
        QStringLiteral("Failed Queue"));
    // The failed queue's tab counts its items, so a failure is seen from the other page.
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&failed, signal, this, &QueuePages::showFailedCount);
    connect(&failed, &QAbstractItemModel::modelReset, this, &QueuePages::showFailedCount);
    showFailedCount();
    layout->addLayout(bar);
    layout->addWidget(m_pages);
}

QWidget* QueuePages::page(QTreeView* view, const char* menuName,
                          std::initializer_list<Command> commands) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QHBoxLayout;
    auto* menu = new QMenu(view);
    menu->setObjectName(QLatin1String(menuName));
    for (const Command& c : commands) {
        QAction* item = menu->addAction(QLatin1String(c.caption));
        item->setObjectName(QLatin1String(c.menu));
        connect(item, &QAction::triggered, this, c.run);
        if (!c.button) continue;
        const ButtonIcon icon = buttonIcon(c.button);
        QToolButton* button = makeToolButton(page, c.button, QLatin1String(c.hint),
                                             QLatin1String(icon.themeName), icon.fallback);
        connect(button, &QToolButton::clicked, this, c.run);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, menu,
            [view, menu](const QPoint& at) { menu->exec(view->viewport()->mapToGlobal(at)); });
    view->setParent(page);
    layout->addLayout(buttons);
    layout->addWidget(view);
    return page;
}

QList<QueueItem*> QueuePages::selected(QTreeView* view) const {
    auto* model = static_cast<QueueModel*>(view->model());
    QList<QueueItem*> items;
    for (const QModelIndex& index : view->selectionModel()->selectedRows(0))
        items.append(model->itemAt(index));
    return items;
}

void QueuePages::exportQueue(QueueModel& model) {
    QFileDialog dialog(this, QStringLiteral("Export Queue To File..."));
    dialog.setObjectName(QStringLiteral("save_queue"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Queue Files (*.uque)"));
    dialog.setDefaultSuffix(QStringLiteral("uque"));
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString error;
    if (!model.save(dialog.selectedFiles().first(), &error))
        PlainMessage::critical(this, QStringLiteral("1Quillon"), error);
}

void QueuePages::importQueue(QueueModel& model) {
    QFileDialog dialog(this, QStringLiteral("Select File To Import"));
    dialog.setObjectName(QStringLiteral("load_queue"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral("Queue Files (*.uque)"));
    dialog.setDefaultSuffix(QStringLiteral("uque"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString error;
    if (!model.load(dialog.selectedFiles().first(), &error))
        PlainMessage::critical(this, QStringLiteral("1Quillon"), error);
    // A queue exported while it ran: its running items wait again.
    queue_manager::ResumeInterrupted(model);
}

bool QueuePages::replaceWorkingQueue(const QueueModel& working) {
    const int rows = working.rowCount();
    if (rows == 0) return true;
    const QString text =
        QStringLiteral("The working queue holds %1 item(s). Replace them with the failed "
                       "queue's items?")
            .arg(rows);
    return PlainMessage::question(this, QStringLiteral("Submit Queue for Transfer"), text) ==
           QMessageBox::Yes;
}

void QueuePages::showFailedCount() {
    const int failed = m_queues.FailQueue().rowCount();
    const int page = m_pages->indexOf(m_failQueue->parentWidget());
    m_pages->setTabText(page, failed == 0 ? QStringLiteral("Failed Queue")
                                          : QStringLiteral("Failed Queue (%1)").arg(failed));
}

bool QueuePages::processing() const {
    return m_toggleProcessing->isChecked();
}

void QueuePages::toggleProcessing() {
    m_toggleProcessing->toggle();
}

void QueuePages::showProcessingState() {
    const bool stopped = m_toggleProcessing->isChecked();
    m_toggleProcessing->setToolTip(stopped ? QStringLiteral("Enable Queue Processing")
                                           : QStringLiteral("Stop Queue Processing"));
    // The pause glyph stays; pressed in, it says processing is stopped (a ▶ here would
    // read as a second "Start Transfer").
    m_toggleProcessing->setIcon(
        themeIcon(QStringLiteral("media-playback-pause"), QStyle::SP_MediaPause));
}

void QueuePages::setQueueBackground(int winColour) {
    paintBase(m_queue, winColour);
}
