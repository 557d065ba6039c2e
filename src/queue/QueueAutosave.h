// Keeps a queue file in step with its queue: a change is saved a moment later (changes
// that come in a burst are saved once), so a killed program starts again with the queue
// it had. Saving writes a new file and renames it over the old one.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QueueModel;

class QueueAutosave : public QObject {
    Q_OBJECT
public:
    static constexpr int kDelayMs = 1000;

    QueueAutosave(QueueModel& model, const QString& path, QObject* parent = nullptr);

    // Saves at once when a change is waiting (also at exit). False, with the reason in
    // error, when the file could not be written.
    bool saveNow(QString* error = nullptr);
    bool pending() const { return m_timer.isActive(); }

signals:
    void saveFailed(const QString& error);

private:
    void changed();

    QueueModel& m_model;
    QString m_path;
    QTimer m_timer;
};
