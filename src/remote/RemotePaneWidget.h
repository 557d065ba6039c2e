// The remote pane: the address box "remoteadd" with its history, refresh and one level
// up, the list "remoteListView" with its sorting, and the pop-up menu "remote_menu"
// whose commands follow the selection. It is the view the browsing session drives.
#pragma once

#include "DragData.h"
#include "PaneCommands.h"
#include "RemotePane.h"

#include <QWidget>

#include <functional>
#include <memory>

class Navigation_Manager;
class ViewerHost;
class QAction;
class QComboBox;
class QMenu;
class QMimeData;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

class RemotePaneWidget : public QWidget, public RemotePane, public PaneCommands {
    Q_OBJECT
public:
    explicit RemotePaneWidget(QWidget* parent = nullptr);
    ~RemotePaneWidget() override;

    // Connects the pane's controls to the session that shows its folders here.
    void bind(Navigation_Manager& session);

    bool listHasFocus() const;
    bool listEnabled() const;
    void setListBackground(int winColour);
    // The pop-up menu's enabling for the current selection.
    void updateSelectionCommands();

    // PaneCommands: the Edit menu's commands while the remote list has the focus.
    void Cut() override;
    void Paste() override;
    void SelectAll() override;
    void InvertSelection() override;
    // "Delete": asks, then the selected rows go, folders with everything in them.
    void Delete() override;
    // "Rename": the first selected row's name is edited in place.
    void Rename() override;
    void NewFolder() override;
    void View() override;
    void Open() override;
    void Edit();
    void Chmod();
    // "Download": the selected rows, in list order.
    void Download();

    // Whether the local pane shows a folder (uploads dropped here need one).
    std::function<bool()> localFolderShown;

    // RemotePane.
    bool AskBreakConnection() override;
    void ShowMessage(const QString& text) override;
    void ClearAddressBox() override;
    void AddToAddressHistory(const QString& directory) override;
    void SetAddressText(const QString& directory) override;
    void ShowRows(const QList<RemoteRow>& rows) override;
    void ClearRows() override;
    void SetPaneEnabled(bool enabled) override;
    void SetIdle(bool idle) override;

signals:
    // The commands the selection allows now, for the window's toolbar: all off while no
    // session is logged in.
    void commandsChanged(const RemoteListing::SelectionCommands& commands);
    void downloadRequested(const QList<DraggedRemoteRow>& rows);
    // Local list rows dropped here, for the remote folder `target`.
    void uploadDropped(const QStringList& localPaths, const QString& target);
    // Files dropped from a file manager.
    void filesDropped(const QStringList& paths);
    // "BookMark Current Folder".
    void bookmarkRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void bindOperations();
    static constexpr int kNameRole = Qt::UserRole;      // the name the row had when listed
    static constexpr int kLinkRole = Qt::UserRole + 1;  // the row is a symbolic link
    static constexpr int kBytesRole = Qt::UserRole + 2; // the exact size, when listed
    // Enter opens the current row (a folder) or views it (a file); Backspace goes up.
    bool listKey(int key);
    // Keeps the row's listed name and link flag, and lets its name be edited.
    void markRow(QTreeWidgetItem* item, const RemoteRow& row);
    // The selected rows as the session's rows (name, folder, link), in list order.
    QList<RemoteRow> selectedRemoteRows() const;
    void nameEdited(QTreeWidgetItem* item, int column);
    void startViewer(int mode);
    void busyMessage();
    // Enter in the address box and a choice from its list can both report one request.
    void goToAddress(const QString& directory);
    QList<DraggedRemoteRow> selectedRows() const;
    // What a drag over the list may do there: nothing, a remote move, an upload.
    enum class DropKind { None, Move, Upload, Files };
    DropKind dropKind(const QMimeData* data, const QPoint& at) const;
    bool handleDrag(QEvent* event);

    QComboBox* m_address = nullptr;
    QToolButton* m_refresh = nullptr;
    QToolButton* m_up = nullptr;
    QTreeWidget* m_list = nullptr;
    QMenu* m_menu = nullptr;
    Navigation_Manager* m_session = nullptr;
    QString m_addressGoing;
    RemoteListing::CutState m_cutState;
    std::unique_ptr<ViewerHost> m_viewerHost;
    // The CHMOD dialog's label and mode of its last use.
    QString m_chmodLabel, m_chmodMode;
    bool m_idle = true;
    QAction *m_download = nullptr, *m_edit = nullptr, *m_view = nullptr, *m_open = nullptr,
            *m_cut = nullptr, *m_paste = nullptr, *m_rename = nullptr, *m_delete = nullptr,
            *m_newFolder = nullptr, *m_chmod = nullptr, *m_refreshAction = nullptr,
            *m_bookMark = nullptr, *m_selectAll = nullptr, *m_invertSelection = nullptr;
};
