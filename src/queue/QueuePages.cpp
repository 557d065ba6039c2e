#include "QueuePages.h"

#include "QueueModel.h"
#include "QueueStatusDelegate.h"
#include "ToolButton.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Widths of the columns Remote to Error; Ftp Site, UserName and PassWord are hidden.
QTreeView* queueView(QueueModel& model, const char* name, QWidget* parent) {
    auto* view = new QTreeView(parent);
    view->setObjectName(QLatin1String(name));
    view->setModel(&model);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformRowHeights(true);
    view->setSortingEnabled(false);
    view->setAllColumnsShowFocus(true);
    const bool failed = model.failedQueue();
    const int working[] = {215, 55, 220, 85, 100, 76, 70, 77, 89};
    const int failing[] = {215, 50, 220, 85, 50, 70, 70, 77, 83, 500};
    for (int c = 0; c < model.columnCount(); ++c)
        view->setColumnWidth(c, failed ? failing[c] : working[c]);
    for (int c : {6, 7, 8})
        view->setColumnHidden(c, true);
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
    if (failed) header->setSectionResizeMode(4, QHeaderView::Fixed);
    return view;
}

} // namespace

QueuePages::QueuePages(QueueModel& queue, QueueModel& failQueue, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Panel1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    m_toggleProcessing = makeToolButton(this, "Queue_ToggleProcessing",
                                        QStringLiteral("Start Transfer"), QStyle::SP_MediaPlay);
    m_toggleProcessing->setCheckable(true);
    connect(m_toggleProcessing, &QToolButton::toggled, this, &QueuePages::processingChanged);
    m_close = makeToolButton(this, "SpeedButton1", QStringLiteral("Close Queue Panel"),
                             QStyle::SP_TitleBarCloseButton);
    connect(m_close, &QToolButton::clicked, this, &QueuePages::closeRequested);
    bar->addWidget(m_toggleProcessing);
    bar->addStretch();
    bar->addWidget(m_close);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("queue_pages"));
    m_queue = queueView(queue, "queue", m_pages);
    m_queue->setItemDelegateForColumn(4, new QueueStatusDelegate(m_queue));
    m_failQueue = queueView(failQueue, "fail_queue", m_pages);
    m_pages->addTab(m_queue, QStringLiteral("Working Queue"));
    m_pages->addTab(m_failQueue, QStringLiteral("Failed Queue"));
    layout->addLayout(bar);
    layout->addWidget(m_pages);
}

bool QueuePages::processing() const {
    return m_toggleProcessing->isChecked();
}

void QueuePages::toggleProcessing() {
    m_toggleProcessing->toggle();
}

void QueuePages::setQueueBackground(int winColour) {
    paintBase(m_queue, winColour);
}
