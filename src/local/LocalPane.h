// The "Local Listing" page: the volume box, refresh and one level up, the current folder,
// the list of local entries with folders unfolded in place, its pop-up menu "local_menu"
// and the local file operations (open, view, copy, cut, paste, delete into the trash,
// rename, new folder, properties). Drags of rows leave as local paths; rows of the remote
// list dropped here ask for a download.
#pragma once

#include "DragData.h"
#include "LocalBrowse.h"
#include "LocalCommands.h"
#include "PaneCommands.h"

#include <QWidget>

#include <functional>

class LocalFileJob;
class LocalListModel;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QModelIndex;
class QToolButton;
class QTreeView;

class LocalPane : public QWidget, public PaneCommands {
    Q_OBJECT
public:
    explicit LocalPane(QWidget* parent = nullptr);
    ~LocalPane() override;

    Local_Browse& Browse() { return m_browse; }
    LocalListModel& Model() { return *m_model; }
    QString CurrentFolder() const { return m_browse.CurrentFolder(); }

    void ListDrives();
    // Lists the folder as the current folder.
    void ListFolder(const QString& path);
    // A site's local folder: listed when it exists, else the "not found" message; ""
    // lists the volumes.
    void GoTo(const QString& path);
    // The list again: with a row, that row's folder under it; with none, the current
    // folder (or the nearest folder above it that still exists).
    void Refresh(const QModelIndex& row);
    // After files arrived in `folder`: the list again when it shows that folder, with the
    // selection and the current row kept.
    void FolderChanged(const QString& folder);

    // Selected rows' paths, in the order they were selected.
    QStringList SelectedPaths() const;

    bool listHasFocus() const;
    void setListBackground(int winColour);
    // Whether the browsing session is connected and idle (uploads need it).
    std::function<bool()> remoteReady;
    // Whether the browsing session shows a remote folder (drops of its rows need it).
    std::function<bool()> remoteShown;
    // The enabling of the local commands for the selection (and of Upload).
    void updateCommands();

    // PaneCommands: the Edit menu's and the toolbar's commands while the list has the focus.
    void Cut() override;
    void Copy() override;
    void Paste() override;
    void Rename() override;
    void Delete() override;
    void View() override;
    void Open() override;
    void NewFolder() override;
    void SelectAll() override;
    void InvertSelection() override;
    void Properties();
    void ShowDesktop();

signals:
    void uploadRequested(const QStringList& localPaths);
    // "Upload As Zipped Archive": the selection packed into one archive and uploaded.
    void uploadZipRequested(const QStringList& localPaths);
    void remoteRowsDropped(const QList<DraggedRemoteRow>& rows, const QString& localFolder);
    // The commands the selection allows, for the window's toolbar and Edit menu; all off
    // when the list loses the focus.
    void commandsChanged(const LocalCommandStates& states);
    void pasteEnabledChanged(bool enabled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenu();
    void showCurrentFolder();
    void rowActivated(const QModelIndex& index);
    void unfold(const QModelIndex& index);
    void fold(const QModelIndex& index);
    void renameEdited(const QModelIndex& row, const QString& name);
    void focusLost();
    void setPasteEnabled(bool enabled);
    // The selected rows' paths when they lie in one folder; none, after the message
    // naming the verb, when they do not.
    QStringList selectionInOneFolder(const QString& verb);
    void refreshParentOf(const QString& path);
    void runJob(LocalFileJob* job, const QString& title, const std::function<void()>& done);
    void showError(const QString& text);
    QModelIndex rowUnder(const QPoint& viewportPos) const;
    bool acceptsDrop(const QMimeData* data, const QPoint& at) const;

    Local_Browse m_browse;
    LocalListModel* m_model = nullptr;
    QComboBox* m_localadd = nullptr;
    QToolButton* m_refresh = nullptr;
    QToolButton* m_goUp = nullptr;
    QLabel* m_currDir = nullptr;
    QTreeView* m_list = nullptr;
    QMenu* m_menu = nullptr;
    QAction *m_upload = nullptr, *m_uploadZip = nullptr, *m_open = nullptr, *m_view = nullptr,
            *m_showDesktop = nullptr, *m_cut = nullptr, *m_copy = nullptr, *m_paste = nullptr,
            *m_rename = nullptr, *m_delete = nullptr, *m_newFolder = nullptr,
            *m_refreshAction = nullptr, *m_properties = nullptr, *m_selectAll = nullptr,
            *m_invertSelect = nullptr;
};
