// A drop target for files dragged from a file manager: set on a control, it takes the
// local files of the URI lists dropped there, keeps their paths and reports the drop.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class TFileDrop : public QObject {
    Q_OBJECT
public:
    explicit TFileDrop(QObject* parent = nullptr);
    ~TFileDrop() override;

    // The control that takes drops; setting one turns accepting on, none turns it off.
    void SetDropControl(QWidget* control);
    QWidget* DropControl() const { return m_control; }
    void SetEnableDrop(bool enable);
    bool EnableDrop() const { return m_enabled; }
    // Whether drops are taken at the moment (the owner's condition).
    std::function<bool()> accepting;

    QStringList Files() const { return m_files; }
    int FileCount() const { return int(m_files.size()); }
    std::function<void(TFileDrop*)> OnDrop;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_control;
    bool m_enabled = false;
    QStringList m_files;
};
