#include "FileDrop.h"

#include "DragData.h"

#include <QDropEvent>
#include <QMimeData>

TFileDrop::TFileDrop(QObject* parent) : QObject(parent) {}

TFileDrop::~TFileDrop() {
    SetDropControl(nullptr);
}

void TFileDrop::SetDropControl(QWidget* control) {
    if (m_control) {
        m_control->removeEventFilter(this);
        m_control->setAcceptDrops(false);
    }
    m_control = control;
    m_enabled = false;
    if (control) {
        control->installEventFilter(this);
        SetEnableDrop(true);
    }
}

void TFileDrop::SetEnableDrop(bool enable) {
    if (!m_control) return;
    m_enabled = enable;
    m_control->setAcceptDrops(enable);
}

bool TFileDrop::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_control || !m_enabled) return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const QStringList paths = DragData::fileManagerPaths(drop->mimeData());
    if (paths.isEmpty() || (accepting && !accepting())) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        m_files = paths;
        if (OnDrop) OnDrop(this);
    }
    return true;
}
