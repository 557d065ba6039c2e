#include "ThreadPanel.h"

#include "WorkerPanelWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

ThreadPanel::ThreadPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("thread_page"));
    auto* layout = new QVBoxLayout(this);
    auto* counts = new QHBoxLayout;
    m_threads = new QSpinBox(this);
    m_threads->setObjectName(QStringLiteral("threads"));
    m_threads->setRange(1, 100);
    m_threads->setValue(3);
    m_attempts = new QSpinBox(this);
    m_attempts->setObjectName(QStringLiteral("attempts_no"));
    m_attempts->setRange(1, 99);
    m_attempts->setValue(3);
    connect(m_threads, &QSpinBox::valueChanged, this, &ThreadPanel::threadsChanged);
    connect(m_attempts, &QSpinBox::valueChanged, this, &ThreadPanel::attemptsChanged);
    counts->addWidget(new QLabel(QStringLiteral("Concurrent Threads"), this));
    counts->addWidget(m_threads);
    counts->addWidget(new QLabel(QStringLiteral("Attempts"), this));
    counts->addWidget(m_attempts);
    counts->addStretch();
    m_threadWindow = new QScrollArea(this);
    m_threadWindow->setObjectName(QStringLiteral("thread_window"));
    m_threadWindow->setWidgetResizable(true);
    m_threadWindow->setWidget(new QWidget);
    // Worker panels stack from the top; the stretch keeps them there.
    auto* panels = new QVBoxLayout(m_threadWindow->widget());
    panels->setSpacing(0);
    panels->addStretch();
    layout->addLayout(counts);
    layout->addWidget(m_threadWindow);
}

int ThreadPanel::threads() const {
    return m_threads->value();
}
void ThreadPanel::setThreads(int n) {
    m_threads->setValue(n);
}
int ThreadPanel::attempts() const {
    return m_attempts->value();
}
void ThreadPanel::setAttempts(int n) {
    m_attempts->setValue(n);
}

std::unique_ptr<WorkerPanel> ThreadPanel::makePanel() {
    return std::make_unique<WorkerPanelWidget>(m_threadWindow->widget());
}
