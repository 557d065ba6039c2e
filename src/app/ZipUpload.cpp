// "Upload As Zipped Archive": the name box, packing with a progress box that can cancel,
// the self-extracting program when the settings ask for it, and the one queue item.
#include "Main.h"

#include "InputBox.h"
#include "NavigationManager.h"
#include "PlainMessage.h"
#include "QueueManager.h"
#include "SelfExtractor.h"
#include "TransferRequests.h"
#include "ZipFolders.h"
#include "ZipNaming.h"
#include "ZipPacker.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>

#include <functional>

namespace {
// The archive's compression level (zlib's highest).
constexpr int kLevel = 9;

// The local paths of the items that may still be sent: not those done or skipped.
void pendingPaths(const QueueItem* item, QStringList& out) {
    for (const auto& child : item->children) {
        const int state = child->state();
        if (state != UploadDone && state != Skipped)
            out.append(QString::fromUtf8(queue_manager::GetField(child.get(), "local_path")));
        pendingPaths(child.get(), out);
    }
}
} // namespace

void TMainform::uploadAsZip(const QStringList& paths) {
    QString typed;
    for (;;) {
        const std::optional<QString> answer =
            askText(this, "zip_name", QStringLiteral("Zip Archive Name"),
                    QStringLiteral("Please Enter name of the Zip Archive (abc.zip)"));
        if (!answer) return;
        typed = answer->trimmed();
        if (typed.isEmpty()) continue;
        const QString problem = ZipNaming::problem(typed);
        if (problem.isEmpty()) break;
        PlainMessage::information(this, QStringLiteral("1Quillon"), problem);
    }
    const QString folder = ZipFolders::newFolder();
    const QString archive = folder + u'/' + ZipNaming::archiveName(typed);
    if (folder.isEmpty()) {
        showMessage(QStringLiteral("Error Occured while creating a zip archive"));
        m_log.appendLine(QStringLiteral("No folder for the archive could be made in ") +
                             QDir::tempPath(),
                         SessionLog::Error);
        return;
    }
    QProgressDialog progress(QStringLiteral("Packing %1...").arg(QFileInfo(archive).fileName()),
                             QStringLiteral("Cancel"), 0, 1000, this);
    progress.setObjectName(QStringLiteral("zip_progress"));
    progress.setWindowTitle(QStringLiteral("1Quillon"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(300);
    progress.setValue(0);
    const ZipPacker::Result packed =
        ZipPacker::pack(paths, archive, kLevel, [&progress](double done) {
            progress.setValue(int(done * 1000));
            QApplication::processEvents(); // the window stays responsive while it packs
            return !progress.wasCanceled();
        });
    progress.reset();
    if (!packed.ok) {
        QDir(folder).removeRecursively();
        if (packed.cancelled) {
            m_log.appendLine(QStringLiteral("Packing the archive was cancelled"),
                             SessionLog::Information);
            return;
        }
        m_log.appendLine(QStringLiteral("The archive could not be made: ") + packed.error,
                         SessionLog::Error);
        showMessage(QStringLiteral("Error Occured while creating a zip archive"));
        return;
    }
    // The session may have closed while the archive was packed: nothing is queued
    // for a folder that is no longer shown.
    if (!m_navigation->IsConnected() || m_navigation->DisplayedDirectory().isEmpty()) {
        QDir(folder).removeRecursively();
        showMessage(QStringLiteral("The connection closed while the archive was packed; "
                                   "nothing was queued."));
        return;
    }
    QString upload = archive;
    if (m_settingsSource.integer(Setting::ZipOptions) == 1) {
        QString program;
        const int r = SelfExtractor::ConvertSFX(archive, &program);
        if (r == 0) {
            upload = program;
        } else {
            showMessage(QStringLiteral("Error %1 occured in making .EXE file").arg(r));
        }
    }
    m_zipFolders.insert(folder);
    m_requests->Upload({upload}, m_navigation->DisplayedDirectory(),
                       TransferRequests::AccountOf(m_navigation->Client()));
}

void TMainform::sweepZipFolders() {
    if (m_zipFolders.isEmpty()) return;
    QStringList needed;
    pendingPaths(m_queueModel.root(), needed);
    pendingPaths(m_failQueueModel.root(), needed);
    m_zipFolders = ZipFolders::sweep(m_zipFolders, needed);
}
