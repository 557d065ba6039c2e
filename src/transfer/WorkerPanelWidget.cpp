#include "WorkerPanelWidget.h"

#include "ElidePath.h"

#include "TransferText.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

WorkerPanelWidget::WorkerPanelWidget(QWidget* parentArea) : m_area(parentArea) {
    setObjectName(QStringLiteral("worker_panel"));
    setFixedHeight(kHeight);
    m_cancel = new QToolButton(this);
    m_cancel->setObjectName(QStringLiteral("cancel_thread"));
    m_cancel->setToolTip(QStringLiteral("Cancel Thread"));
    m_cancel->setAutoRaise(true);
    m_cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    m_cancel->setGeometry(3, 3, 16, 16);
    connect(m_cancel, &QToolButton::clicked, this, [this] {
        if (cancelClicked) cancelClicked();
    });
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status_label"));
    m_gaugePanel = new QFrame(this);
    static_cast<QFrame*>(m_gaugePanel)->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_gauge = new QProgressBar(m_gaugePanel);
    m_gauge->setObjectName(QStringLiteral("gauge"));
    m_gauge->setRange(0, 100);
    m_gauge->setTextVisible(false);
    m_gauge->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: #0000ff; }"));
    auto* gaugeLayout = new QVBoxLayout(m_gaugePanel);
    gaugeLayout->setContentsMargins(0, 0, 0, 0);
    gaugeLayout->addWidget(m_gauge);
    m_path = new QLabel(this);
    m_path->setObjectName(QStringLiteral("path_label"));
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("progress_label"));
    m_progress->setWordWrap(true);
    m_type = new QLabel(this);
    m_type->setObjectName(QStringLiteral("transfer_type_label"));
    m_type->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    hide();
}

void WorkerPanelWidget::layOut() {
    const int width = std::max(40, this->width() - 20);
    const int gaugeTop = kHeight / 2 - 8 - 10;
    m_gaugePanel->setGeometry(10, gaugeTop, width, 16);
    m_status->setGeometry(10, gaugeTop - 15, width - 60, 15);
    m_type->setGeometry(10 + width - 60, gaugeTop - 15, 60, 15);
    m_path->setGeometry(10, gaugeTop + 20, width, 15);
    m_progress->setGeometry(10, kHeight - 30, width, 28);
    SetPath(m_prefix, m_fullPath, m_suffix);
}

void WorkerPanelWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void WorkerPanelWidget::Attach() {
    if (m_area && parentWidget() != m_area) {
        setParent(m_area);
        // Panels stack from the top in the order they were attached.
        if (auto* box = qobject_cast<QVBoxLayout*>(m_area->layout()))
            box->insertWidget(box->count() - 1, this);
    }
    show();
    layOut();
}

void WorkerPanelWidget::Hide() {
    hide();
}

void WorkerPanelWidget::SetStatus(const QString& text) {
    WorkerPanel::SetStatus(text);
    m_status->setText(text);
}

void WorkerPanelWidget::SetPath(const QString& prefix, const QString& path, const QString& suffix) {
    WorkerPanel::SetPath(prefix, path, suffix);
    m_prefix = prefix;
    m_fullPath = path;
    m_suffix = suffix;
    const QFontMetrics metrics(m_path->font());
    const int room = m_path->width() - 23;
    const QString shown = path.isEmpty() ? path : ElidePath(path, [&](const QString& t) {
        return metrics.horizontalAdvance(prefix + t + suffix) <= room;
    });
    m_path->setText(prefix + shown + suffix);
    m_path->setToolTip(path);
}

void WorkerPanelWidget::SetProgress(const QString& text) {
    WorkerPanel::SetProgress(text);
    m_progress->setText(text);
}

void WorkerPanelWidget::SetTransferType(const QString& type) {
    WorkerPanel::SetTransferType(type);
    m_type->setText(type);
    m_type->setToolTip(
        type == QLatin1String("ASCII") ? QStringLiteral("ASCII mode: line ends are converted")
        : type.isEmpty()               ? QString()
                                       : QStringLiteral("Binary mode: bytes are kept as they are"));
}

void WorkerPanelWidget::SetGauge(int percent) {
    WorkerPanel::SetGauge(percent);
    m_gauge->setValue(percent);
}
