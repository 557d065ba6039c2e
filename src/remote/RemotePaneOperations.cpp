// The remote pane's operations on the server: delete, rename in place, new directory,
// CHMOD, and View, Open and Edit through a viewer of their own.
#include "ChmodDialog.h"
#include "ChmodMode.h"
#include "FileEditingViewing.h"
#include "InputBox.h"
#include "NavigationManager.h"
#include "PlainMessage.h"
#include "RemotePaneWidget.h"
#include "RemoteViewerHost.h"

#include <QAction>
#include <QMessageBox>
#include <QTreeWidget>

void RemotePaneWidget::bindOperations() {
    m_viewerHost = std::make_unique<RemoteViewerHost>(this);
    connect(m_delete, &QAction::triggered, this, &RemotePaneWidget::Delete);
    connect(m_rename, &QAction::triggered, this, &RemotePaneWidget::Rename);
    connect(m_newFolder, &QAction::triggered, this, &RemotePaneWidget::NewFolder);
    connect(m_chmod, &QAction::triggered, this, &RemotePaneWidget::Chmod);
    connect(m_view, &QAction::triggered, this, &RemotePaneWidget::View);
    connect(m_open, &QAction::triggered, this, &RemotePaneWidget::Open);
    connect(m_edit, &QAction::triggered, this, &RemotePaneWidget::Edit);
    connect(m_list, &QTreeWidget::itemChanged, this, &RemotePaneWidget::nameEdited);
    connect(m_bookMark, &QAction::triggered, this, &RemotePaneWidget::bookmarkRequested);
}

void RemotePaneWidget::markRow(QTreeWidgetItem* item, const RemoteRow& row) {
    item->setData(0, kNameRole, row.name);
    item->setData(0, kLinkRole, row.link);
    item->setData(0, kBytesRole, row.bytes);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
}

QList<RemoteRow> RemotePaneWidget::selectedRemoteRows() const {
    QList<RemoteRow> rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (!item->isSelected()) continue;
        RemoteRow row;
        row.name = item->data(0, kNameRole).toString();
        row.type = item->text(2);
        row.folder = row.type == RemoteListing::kFolderType;
        row.link = item->data(0, kLinkRole).toBool();
        row.attributes = item->text(4);
        rows.append(row);
    }
    return rows;
}

void RemotePaneWidget::busyMessage() {
    ShowMessage(QStringLiteral("The server is busy with another request: try again when it has "
                               "finished."));
}

void RemotePaneWidget::Delete() {
    // The rows as they are now: the list may be shown again while the question is open.
    const QList<RemoteRow> rows = selectedRemoteRows();
    if (!m_session || rows.isEmpty()) return;
    if (PlainMessage::question(
            window(), QStringLiteral("1Quillon"),
            QStringLiteral("Are you sure you want to delete the Selected Item(s) "
                           "?  "),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (!m_session->DeleteRows(rows)) busyMessage();
}

void RemotePaneWidget::Rename() {
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (!m_session || selected.isEmpty()) return;
    // The first selected row in list order.
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (!item->isSelected()) continue;
        m_list->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        m_list->editItem(item, 0);
        return;
    }
}

void RemotePaneWidget::nameEdited(QTreeWidgetItem* item, int column) {
    if (column != 0 || !m_session) return;
    const QString old = item->data(0, kNameRole).toString();
    const QString typed = item->text(0);
    if (typed == old) return;
    const auto putBack = [this, item, old] {
        const QSignalBlocker quiet(m_list);
        item->setText(0, old);
    };
    if (!RemoteDelete::walkable(typed)) { // a plain name: not empty, ".", ".." or with "/"
        putBack();
        return ShowMessage(QStringLiteral("\"%1\" cannot be a name here.").arg(typed));
    }
    const QString folder = m_session->DisplayedDirectory();
    if (!m_session->RenameEntry(RemoteListing::cut255(RemoteListing::join(folder, old)),
                                RemoteListing::cut255(RemoteListing::join(folder, typed)))) {
        putBack();
        return busyMessage();
    }
    // The row keeps the typed name until the folder is listed again.
}

void RemotePaneWidget::NewFolder() {
    if (!m_session || !m_session->IsConnected()) return;
    const std::optional<QString> name =
        askText(window(), "new_directory", QStringLiteral("Directory Name"),
                QStringLiteral("Please Specify the name of the New Directory"));
    if (!name || name->trimmed().isEmpty()) return;
    if (!m_session->MakeDirectory(RemoteListing::join(m_session->DisplayedDirectory(), *name)))
        busyMessage();
}

void RemotePaneWidget::Chmod() {
    if (!m_session) return;
    const QList<RemoteRow> rows = selectedRemoteRows();
    if (rows.size() >= 2) {
        QStringList attributes;
        for (const RemoteRow& r : rows)
            attributes.append(r.attributes);
        m_chmodLabel = QStringLiteral("Multiple Files");
        m_chmodMode = ChmodMode::forRows(attributes);
    } else if (rows.size() == 1) {
        m_chmodLabel = rows.first().name;
        m_chmodMode = ChmodMode::forRows({rows.first().attributes});
    }
    QStringList paths;
    for (const RemoteRow& r : rows)
        paths.append(RemoteListing::join(m_session->DisplayedDirectory(), r.name));
    Tchmod_form form(window());
    form.setTexts(m_chmodLabel, m_chmodMode);
    if (form.exec() != QDialog::Accepted || form.modeOut().isEmpty() || paths.isEmpty()) return;
    if (!m_session->SetPermissions(form.modeOut(), paths)) busyMessage();
}

void RemotePaneWidget::View() {
    startViewer(File_Editing_Viewing::View);
}

void RemotePaneWidget::Open() {
    startViewer(File_Editing_Viewing::Open);
}

void RemotePaneWidget::Edit() {
    startViewer(File_Editing_Viewing::Edit);
}

void RemotePaneWidget::startViewer(int mode) {
    if (!m_session || !m_session->IsConnected()) return;
    QList<RemoteRow> files;
    for (const RemoteRow& r : selectedRemoteRows()) {
        if (!r.folder) files.append(r);
    }
    if (files.isEmpty()) return;
    auto* viewer = new File_Editing_Viewing(*m_viewerHost, this);
    viewer->CopyConnection(m_session->Client());
    // The saved file's row shows its new size and time.
    connect(viewer, &File_Editing_Viewing::saved, this, [this](const QString& directory) {
        if (m_session && m_session->DisplayedDirectory() == directory) m_session->RefreshWhenIdle();
    });
    for (const RemoteRow& r : files)
        viewer->AddFileJob(r.name, m_session->DisplayedDirectory(), mode);
    viewer->StartNextFileJob();
}
