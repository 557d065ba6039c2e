// The "Site Manager" page: the site tree with its seven columns (passwords masked), its
// pop-up menu "site_manager_popup", rename in place, delete, new folder, drag and drop
// by the kind rules, and the site and bookmark dialogs. A double-click or "Connect" on a
// site or bookmark asks the window to connect. Every change is saved at once.
#pragma once

#include "SiteInfo.h"
#include "SiteTree.h"

#include <QTreeWidget>

class QAction;
class QMenu;
class Tfolder_sel_form;
class Tsite_info_form;

class SiteManagerPane : public QTreeWidget {
    Q_OBJECT
public:
    explicit SiteManagerPane(QWidget* parent = nullptr);

    // The tree shown and changed here.
    void bind(SiteTree& sites);
    // Shows the tree as it is now, every folder unfolded.
    void showTree();

    // The commands of the pop-up menu, on the selected entry.
    void Connect();
    void Rename();
    void Delete();
    void Edit();
    void NewFolder();
    void NewSite();
    void NewBookmark();
    // "Export to Site Manager": the quick-connect fields as a new site in a chosen folder.
    void ExportSite(const QString& host, const QString& user, const QString& password,
                    const QString& port);
    // "BookMark Current Folder": a bookmark of the session's folders, under the site the
    // session was opened from (found by its id), or under a site the user picks.
    void BookmarkFolder(const SiteConnection& now, uint64_t sessionSiteId);

    Tsite_info_form& InfoDialog() { return *m_info; }
    Tfolder_sel_form& FolderDialog() { return *m_folders; }

signals:
    void connectRequested(const SiteConnection& connection);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenu();
    // The menu command whose shortcut the key press is, if any.
    QAction* commandFor(const QKeyEvent* key) const;
    SiteEntry* selectedEntry() const;
    SiteEntry* entryOf(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* itemOf(const SiteEntry* entry) const;
    void select(const SiteEntry* entry);
    void showMenuFor(const SiteEntry* entry);
    void labelEdited(QTreeWidgetItem* item, int column);
    // Opens the dialog; true when it closed with Save Changes or Connect.
    bool runInfo(const SiteInfo::Values& values, SiteInfo::Mode mode);
    void saved();
    void message(const QString& text);
    // The drop target for a drag at `at`, or -1 when the rules refuse it.
    int dropTarget(const QDropEvent* event) const;

    SiteTree* m_sites = nullptr;
    QMenu* m_menu = nullptr;
    QAction *m_connect = nullptr, *m_rename = nullptr, *m_delete = nullptr, *m_edit = nullptr,
            *m_newFolder = nullptr, *m_newSite = nullptr, *m_newBookmark = nullptr;
    Tsite_info_form* m_info = nullptr;
    Tfolder_sel_form* m_folders = nullptr;
};
