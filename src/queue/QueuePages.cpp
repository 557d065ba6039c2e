#include "QueuePages.h"

#include "QueueTrees.h"
#include "ToolButton.h"

#include <QHBoxLayout>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QueuePages::QueuePages(QWidget* parent) : QWidget(parent) {
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
    m_queue = new QTreeWidget;
    m_queue->setObjectName(QStringLiteral("queue"));
    QueueTrees::setUpColumns(m_queue, false);
    m_failQueue = new QTreeWidget;
    m_failQueue->setObjectName(QStringLiteral("fail_queue"));
    QueueTrees::setUpColumns(m_failQueue, true);
    m_pages->addTab(m_queue, QStringLiteral("Working Queue"));
    m_pages->addTab(m_failQueue, QStringLiteral("Failed Queue"));
    layout->addLayout(bar);
    layout->addWidget(m_pages);
}

bool QueuePages::loadWorking(const QString& path, QString* error) {
    return QueueTrees::load(m_queue, path, error);
}
bool QueuePages::loadFailed(const QString& path, QString* error) {
    return QueueTrees::load(m_failQueue, path, error);
}
bool QueuePages::saveWorking(const QString& path, QString* error) const {
    return QueueTrees::save(m_queue, path, error);
}
bool QueuePages::saveFailed(const QString& path, QString* error) const {
    return QueueTrees::save(m_failQueue, path, error);
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
