// The local file operations of the local pane: clipboard, paste with its progress,
// delete into the trash, rename in place, new folder, open, view, properties.
#include "InputBox.h"
#include "LocalClipboard.h"
#include "LocalFileJob.h"
#include "LocalListModel.h"
#include "LocalPane.h"
#include "LocalPropertiesDialog.h"
#include "PlainMessage.h"
#include "TextEditor.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeView>
#include <QUrl>

namespace {

bool isPlainName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(u'/') && !name.contains(QChar(0));
}

LocalFileJob::Answer askReplace(QWidget* parent, const QString& existing, bool* forAll) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("1Quillon"),
                    QStringLiteral("\"%1\" already exists.\nReplace it?").arg(existing),
                    QMessageBox::NoButton, parent);
    PlainMessage::plain(box);
    box.setObjectName(QStringLiteral("local_replace"));
    QPushButton* replace = box.addButton(QStringLiteral("Replace"), QMessageBox::AcceptRole);
    QPushButton* keepBoth = box.addButton(QStringLiteral("Keep Both"), QMessageBox::AcceptRole);
    QPushButton* skip = box.addButton(QStringLiteral("Skip"), QMessageBox::RejectRole);
    box.addButton(QMessageBox::Cancel);
    replace->setObjectName(QStringLiteral("replace"));
    keepBoth->setObjectName(QStringLiteral("keep_both"));
    skip->setObjectName(QStringLiteral("skip"));
    auto* all = new QCheckBox(QStringLiteral("Do this for every entry that exists"));
    all->setObjectName(QStringLiteral("for_all"));
    box.setCheckBox(all);
    box.setDefaultButton(skip);
    box.exec();
    *forAll = all->isChecked();
    if (box.clickedButton() == replace) return LocalFileJob::Replace;
    if (box.clickedButton() == keepBoth) return LocalFileJob::KeepBoth;
    if (box.clickedButton() == skip) return LocalFileJob::Skip;
    return LocalFileJob::Cancel;
}

} // namespace

QStringList LocalPane::selectionInOneFolder(const QString& verb) {
    const QStringList paths = SelectedPaths();
    if (Local_Browse::InOneFolder(paths)) return paths;
    if (!paths.isEmpty())
        showError(QStringLiteral("Multiple Files present in different directories cannot be ") +
                  verb);
    return {};
}
void LocalPane::refreshParentOf(const QString& path) {
    const QString folder = Local_Browse::ParentFolder(path);
    if (folder.isEmpty() || folder == m_browse.CurrentFolder()) return Refresh({});
    const QModelIndex row = m_model->findPath(folder);
    if (row.isValid() && m_model->isListed(row)) return Refresh(row);
    Refresh({});
}

void LocalPane::Copy() {
    const QStringList paths = selectionInOneFolder(QStringLiteral("copied"));
    if (paths.isEmpty()) return;
    QGuiApplication::clipboard()->setMimeData(LocalClipboard::encode(paths, false));
    setPasteEnabled(true);
}

void LocalPane::Cut() {
    const QStringList paths = selectionInOneFolder(QStringLiteral("moved"));
    if (paths.isEmpty()) return;
    QGuiApplication::clipboard()->setMimeData(LocalClipboard::encode(paths, true));
    setPasteEnabled(true);
}

void LocalPane::Paste() {
    QString target;
    const QStringList selected = SelectedPaths();
    if (!selected.isEmpty()) {
        const QString row = selected.first();
        target = row.endsWith(u'/') ? row : Local_Browse::ParentFolder(row);
    } else if (m_browse.CurrentFolder().isEmpty()) {
        showError(QStringLiteral(
            "You Cannot Paste any item over here\nPlease Choose Some Valid Folder..."));
        return;
    } else {
        target = m_browse.CurrentFolder();
    }
    setPasteEnabled(false);
    const ClipboardFiles files = LocalClipboard::decode(QGuiApplication::clipboard()->mimeData());
    if (files.paths.isEmpty()) {
        showError(QStringLiteral("The clipboard holds no files to paste."));
        return;
    }
    if (const QString refusal = LocalFileJob::Refusal(files.paths, target); !refusal.isEmpty()) {
        showError(refusal);
        return;
    }
    auto* job = new LocalFileJob(files.cut ? LocalFileJob::Move : LocalFileJob::Copy, files.paths,
                                 target, this);
    job->askExisting = [this](const QString& existing, bool* forAll) {
        return askReplace(window(), existing, forAll);
    };
    const bool cut = files.cut;
    const QString from = files.paths.first();
    runJob(job, cut ? QStringLiteral("Moving files...") : QStringLiteral("Copying files..."),
           [this, job, cut, from, target] {
               if (cut && job->errors().isEmpty() && !job->cancelled()) {
                   // Moved files are no longer where the clipboard says.
                   QGuiApplication::clipboard()->clear();
                   refreshParentOf(from);
               }
               const QModelIndex row = m_model->findPath(target);
               if (target == m_browse.CurrentFolder() || !row.isValid() || !m_model->isListed(row))
                   Refresh({});
               else
                   Refresh(row);
           });
}

void LocalPane::runJob(LocalFileJob* job, const QString& title, const std::function<void()>& done) {
    auto* progress = new QProgressDialog(title, QStringLiteral("Cancel"), 0, 1000, window());
    progress->setObjectName(QStringLiteral("local_progress"));
    progress->setWindowTitle(QStringLiteral("1Quillon"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(400);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setValue(0);
    connect(progress, &QProgressDialog::canceled, job, &LocalFileJob::cancel);
    connect(job, &LocalFileJob::progress, progress, [job, progress, title] {
        const qint64 total = job->bytesTotal();
        progress->setValue(total > 0 ? int(job->bytesDone() * 1000 / total) : 0);
        progress->setLabelText(title + u'\n' + job->currentName());
    });
    connect(job, &LocalFileJob::finished, this, [this, job, progress, done] {
        progress->close();
        progress->deleteLater();
        done();
        if (!job->errors().isEmpty()) {
            QStringList shown = job->errors().mid(0, 10);
            if (job->errors().size() > 10)
                shown.append(QStringLiteral("... and %1 more").arg(job->errors().size() - 10));
            showError(shown.join(u'\n'));
        }
        job->deleteLater();
    });
    job->start();
}

void LocalPane::Delete() {
    const QStringList paths = selectionInOneFolder(QStringLiteral("deleted"));
    if (paths.isEmpty()) return;
    const QString question =
        paths.size() == 1
            ? QStringLiteral("Move \"%1\" to the trash?").arg(Local_Browse::NamePart(paths.first()))
            : QStringLiteral("Move these %1 items to the trash?").arg(paths.size());
    if (PlainMessage::question(window(), QStringLiteral("Confirm Delete"), question,
                               QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    QStringList notTrashed;
    for (const QString& p : paths) {
        if (!QFile::moveToTrash(Local_Browse::StripTrailingSlash(p))) notTrashed.append(p);
    }
    if (!notTrashed.isEmpty() &&
        PlainMessage::question(window(), QStringLiteral("Confirm Delete"),
                               QStringLiteral("These items could not be moved to the trash:\n%1\n\n"
                                              "Delete them permanently?")
                                   .arg(notTrashed.join(u'\n')),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        QStringList failed;
        for (const QString& p : notTrashed) {
            const QString bare = Local_Browse::StripTrailingSlash(p);
            const QFileInfo info(bare);
            const bool removed = info.isDir() && !info.isSymLink() ? QDir(bare).removeRecursively()
                                                                   : QFile::remove(bare);
            if (!removed) failed.append(p);
        }
        if (!failed.isEmpty())
            showError(QStringLiteral("These items could not be deleted:\n") + failed.join(u'\n'));
    }
    refreshParentOf(paths.first());
}

void LocalPane::Rename() {
    const QModelIndexList rows = m_list->selectionModel()->selectedRows(0);
    if (rows.isEmpty() || m_model->entry(rows.first()).kind == LocalEntry::Volume) return;
    m_model->setNameEditable(true);
    m_delete->setShortcut(QKeySequence());
    const QModelIndex name = rows.first().siblingAtColumn(LocalListModel::Name);
    m_list->setCurrentIndex(name);
    m_list->edit(name);
}

void LocalPane::renameEdited(const QModelIndex& row, const QString& name) {
    const QString oldPath = m_model->entry(row).path;
    // After the editor has closed: the list is listed again.
    QMetaObject::invokeMethod(
        this,
        [this, oldPath, name] {
            if (!isPlainName(name)) {
                showError(QStringLiteral("\"%1\" cannot be a file name.").arg(name));
                return;
            }
            const QString newPath = Local_Browse::ParentFolder(oldPath) + name;
            if (!Local_Browse::Rename(oldPath, newPath)) {
                showError(QStringLiteral("\"%1\" could not be renamed to \"%2\".")
                              .arg(Local_Browse::NamePart(oldPath), name));
            }
            refreshParentOf(oldPath);
        },
        Qt::QueuedConnection);
}

void LocalPane::NewFolder() {
    const std::optional<QString> typed =
        askText(window(), "new_local_folder", QStringLiteral("New Directory Name"),
                QStringLiteral("Please Enter New Directory Name"));
    if (!typed || m_browse.CurrentFolder().isEmpty()) return;
    const QString name = *typed;
    if (!isPlainName(name)) {
        showError(QStringLiteral("\"%1\" cannot be a folder name.").arg(name));
        return;
    }
    if (!QDir(m_browse.CurrentFolder()).mkdir(name))
        showError(QStringLiteral("The folder \"%1\" could not be created.").arg(name));
    Refresh({});
}

void LocalPane::Open() {
    const QStringList paths = SelectedPaths();
    if (paths.isEmpty()) return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(paths.first())))
        showError(QStringLiteral("\"%1\" could not be opened.").arg(paths.first()));
}

void LocalPane::View() {
    const QStringList paths = SelectedPaths();
    if (paths.isEmpty()) return;
    if (const QString error = TextEditor::open(Local_Browse::StripTrailingSlash(paths.first()));
        !error.isEmpty())
        showError(error);
}

void LocalPane::Properties() {
    const QStringList paths = SelectedPaths();
    QString path = paths.isEmpty() ? m_browse.CurrentFolder() : paths.first();
    if (path.isEmpty()) return;
    auto* dialog = new LocalPropertiesDialog(path, window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void LocalPane::ShowDesktop() {
    const QString desktop = Local_Browse::DesktopFolder();
    if (QFileInfo(desktop).isDir()) ListFolder(desktop);
}

void LocalPane::SelectAll() {
    m_list->selectAll();
}

void LocalPane::InvertSelection() {
    QItemSelection toggle;
    std::vector<QModelIndex> parents{QModelIndex()};
    while (!parents.empty()) {
        const QModelIndex parent = parents.back();
        parents.pop_back();
        const int rows = m_model->rowCount(parent);
        if (rows == 0) continue;
        toggle.select(m_model->index(0, 0, parent),
                      m_model->index(rows - 1, LocalListModel::ColumnCount - 1, parent));
        for (int r = 0; r < rows; ++r) {
            const QModelIndex child = m_model->index(r, 0, parent);
            if (m_list->isExpanded(child)) parents.push_back(child);
        }
    }
    m_list->selectionModel()->select(toggle, QItemSelectionModel::Toggle);
}
