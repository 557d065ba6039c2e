// The queue panel "Panel1": the start button, the close button and the two pages
// "Working Queue" and "Failed Queue", with their file form.
#pragma once

#include <QWidget>

class QTabWidget;
class QToolButton;
class QTreeWidget;

class QueuePages : public QWidget {
    Q_OBJECT
public:
    explicit QueuePages(QWidget* parent = nullptr);

    // Empties a queue and loads it from path; false with the message on damage (the
    // items read before the damage stay).
    bool loadWorking(const QString& path, QString* error);
    bool loadFailed(const QString& path, QString* error);
    bool saveWorking(const QString& path, QString* error) const;
    bool saveFailed(const QString& path, QString* error) const;

    // "Start Transfer" pressed in.
    bool processing() const;
    void toggleProcessing();
    void setQueueBackground(int winColour);

signals:
    void closeRequested();
    void processingChanged(bool on);

private:
    QToolButton* m_toggleProcessing = nullptr;
    QToolButton* m_close = nullptr;
    QTabWidget* m_pages = nullptr;
    QTreeWidget* m_queue = nullptr;
    QTreeWidget* m_failQueue = nullptr;
};
