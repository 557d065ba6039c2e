#include "RemotePaneBinding.h"

#include "Main.h"
#include "SettingsDialog.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QFileIconProvider>
#include <QMessageBox>
#include <QToolButton>
#include <QTreeWidget>

namespace {

// Rows sort by number in the size column and by date in the modified column.
class RemoteItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == 1) return text(1).toDouble() < other.text(1).toDouble();
        if (column == 3) {
            const QString format = QStringLiteral("MM/dd/yyyy HH:mm");
            return QDateTime::fromString(text(3), format) <
                   QDateTime::fromString(other.text(3), format);
        }
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
};

} // namespace

QString RemotePaneBinding::ConnectionTypeText() const {
    return m_window.connectionType();
}

SettingsRecord RemotePaneBinding::CurrentSettings() const {
    return m_window.Settings() ? m_window.Settings()->Collect() : SettingsRecord();
}

bool RemotePaneBinding::KeepAliveChecked() const {
    return m_window.NOOPCommand1->isChecked();
}

QString RemotePaneBinding::ProgramDir() const {
    return m_window.ProgramDir();
}

bool RemotePaneBinding::AskBreakConnection() {
    if (autoAnswer >= 0) return autoAnswer == 1;
    return QMessageBox::question(&m_window, QStringLiteral("1Quillon"),
                                 QStringLiteral("Do you want to break current connection"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void RemotePaneBinding::ShowMessage(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("1Quillon"), text,
                                QMessageBox::Ok, &m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void RemotePaneBinding::AppendLog(const QString& text, int kind) {
    m_window.Log().appendLine(text, kind);
}

void RemotePaneBinding::TraceLine(const QString& display) {
    m_window.Log().traceLine(display);
}

void RemotePaneBinding::ClearAddressBox() {
    m_window.remoteadd->clear();
    m_window.remoteadd->setEditText(QString());
}

void RemotePaneBinding::AddToAddressHistory(const QString& directory) {
    if (m_window.remoteadd->findText(directory, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
        m_window.remoteadd->addItem(directory);
    }
}

void RemotePaneBinding::SetAddressText(const QString& directory) {
    m_window.remoteadd->setEditText(directory);
}

void RemotePaneBinding::ShowRows(const QList<RemoteRow>& rows) {
    QTreeWidget* list = m_window.remoteListView;
    static const QFileIconProvider icons;
    const QIcon folderIcon = icons.icon(QFileIconProvider::Folder);
    const QIcon fileIcon = icons.icon(QFileIconProvider::File);
    list->setUpdatesEnabled(false);
    const bool sorting = list->isSortingEnabled();
    list->setSortingEnabled(false);
    list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const RemoteRow& r : rows) {
        auto* item = new RemoteItem(
            QStringList{r.name, r.size, r.type, r.modified, r.attributes, r.owner, r.group});
        item->setIcon(0, r.folder ? folderIcon : fileIcon);
        items.append(item);
    }
    list->addTopLevelItems(items);
    list->setSortingEnabled(sorting);
    list->setUpdatesEnabled(true);
}

void RemotePaneBinding::ClearRows() {
    m_window.remoteListView->clear();
}

void RemotePaneBinding::SetPaneEnabled(bool enabled) {
    for (QWidget* w :
         {static_cast<QWidget*>(m_window.remoteListView), static_cast<QWidget*>(m_window.remoteadd),
          static_cast<QWidget*>(m_window.refresh_remote),
          static_cast<QWidget*>(m_window.remote_up)}) {
        w->setEnabled(enabled);
    }
}

void RemotePaneBinding::SetSessionControls(bool connected) {
    m_window.Abort_Button->setEnabled(connected);
    m_window.Disconnect1->setEnabled(connected);
    if (connected) {
        m_window.Reconnect_Button->setEnabled(true);
        m_window.Reconnect1->setEnabled(true);
    } else {
        m_window.Stop_Button->setEnabled(false);
        m_window.Abort1->setEnabled(false);
    }
}

void RemotePaneBinding::SetIdleControls(bool idle) {
    for (QWidget* w :
         {static_cast<QWidget*>(m_window.remoteadd), static_cast<QWidget*>(m_window.remote_up),
          static_cast<QWidget*>(m_window.refresh_remote)}) {
        w->setEnabled(idle);
    }
    m_window.Stop_Button->setEnabled(!idle);
    m_window.Abort1->setEnabled(!idle);
    m_window.EnterCommand1->setEnabled(idle);
    if (!idle) {
        for (QAction* a :
             {m_window.Upload_Button, m_window.UploadAsZip_Button, m_window.Download_Button}) {
            a->setEnabled(false);
        }
    }
}

void RemotePaneBinding::OpenLocalFolder(const QString&) {
    // The local browser opens the site's local folder once it exists.
}
