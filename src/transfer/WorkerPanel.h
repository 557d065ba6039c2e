// What a transfer worker shows: its progress panel in the "Thread Panel" page. The
// window supplies panels; without a window the workers run with a panel that shows
// nothing.
#pragma once

#include <QString>

#include <functional>

class WorkerPanel {
public:
    virtual ~WorkerPanel() = default;
    // Into the thread panel, with the gauge at 0 and the labels empty.
    virtual void Attach() {}
    // Out of sight (a cancelled worker waiting to be retired).
    virtual void Hide() {}
    virtual void SetStatus(const QString& text) { m_status = text; }
    // "to '" + path + "'" or "from '" + path + "'", the path shortened to fit.
    virtual void SetPath(const QString& prefix, const QString& path, const QString& suffix) {
        m_path = prefix + path + suffix;
    }
    virtual void SetProgress(const QString& text) { m_progress = text; }
    virtual void SetGauge(int percent) { m_gauge = percent; }
    // The type the file goes in ("ASCII" converts line ends, "Binary" keeps every byte);
    // "" while no file is under way.
    virtual void SetTransferType(const QString& type) { m_type = type; }
    // The cancel button ("Cancel Thread").
    std::function<void()> cancelClicked;

    QString status() const { return m_status; }
    QString path() const { return m_path; }
    QString progress() const { return m_progress; }
    int gauge() const { return m_gauge; }
    QString transferType() const { return m_type; }

private:
    QString m_status, m_path, m_progress, m_type;
    int m_gauge = 0;
};
