#include "QueueAutosave.h"

#include "QueueModel.h"

QueueAutosave::QueueAutosave(QueueModel& model, const QString& path, QObject* parent)
    : QObject(parent), m_model(model), m_path(path) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDelayMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        QString error;
        if (!saveNow(&error)) emit saveFailed(error);
    });
    // The first change of a burst starts the clock; later ones ride along, so a busy
    // queue is saved about once a second, never on every progress step.
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&model, signal, this, &QueueAutosave::changed);
    connect(&model, &QAbstractItemModel::dataChanged, this, &QueueAutosave::changed);
    connect(&model, &QAbstractItemModel::modelReset, this, &QueueAutosave::changed);
}

void QueueAutosave::changed() {
    if (!m_timer.isActive()) m_timer.start();
}

bool QueueAutosave::saveNow(QString* error) {
    m_timer.stop();
    QString failure;
    if (m_model.save(m_path, &failure)) return true;
    if (error) *error = failure;
    return false;
}
