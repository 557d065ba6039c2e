// One transfer worker: its own FTP connection and progress panel. It runs one queue
// item at a time as a chain of requests (connect or reuse the login, TYPE, SIZE, the
// existing-file decision, RETR or STOR with or without REST), expands folders (a remote
// listing into the cache, or the local folder's entries), shows its steps and progress,
// and reports the outcome to the scheduler's FinishItem.
#pragma once

#include "Ftpcli.h"
#include "Listing.h"
#include "QueueManager.h"
#include "TransferWorker.h"
#include "WorkerPanel.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>

class Global_Task;

class Transfer_Manager : public TransferWorker {
    Q_OBJECT
public:
    // A folder nested deeper than this below its top-level item is not expanded: a
    // link to a folder above it would otherwise be followed without end.
    static constexpr int kMaxFolderDepth = 32;
    // Connections given up in a row for one item before the attempt fails.
    static constexpr int kMaxReopens = 3;

    Transfer_Manager(Global_Task& task, std::unique_ptr<WorkerPanel> panel);
    ~Transfer_Manager() override;

    void StartItem() override;
    void Stop() override;
    void HidePanel() override;

    TFtpClient& Client() { return m_client; }

    // The part file a download that replaces local writes first (hidden, beside it).
    static QString PartFile(const QString& local);
    // True when writing path cannot leave root through a symbolic link: neither the
    // path itself nor any folder on its way leads out.
    static bool StaysInside(const QString& path, const QString& root);
    WorkerPanel& Panel() { return *m_panel; }

    void AttachPanel();
    void ShowStep(TFtpRequest step);
    void DownloadEvent(TFtpRequest request, int error);
    void UploadEvent(TFtpRequest request, int error);
    void ProgressEvent(qint64 count);
    void FolderListingEvent(TFtpRequest request, int error);
    void FolderUploadEvent(TFtpRequest request, int error);

private:
    void StartFile();
    void StartFolderDownload();
    void FolderUpload();
    void ReadSiteFields();
    // Connected with the engine ready for a request.
    bool Ready() const;
    bool LoggedInAsItem() const;
    void Open();
    // Starts the chain again from a new connection (a few times per item, then the
    // attempt fails).
    void Reopen();
    // Runs a request; an engine refusal fails the attempt. False when it did.
    bool Run(void (TCustomFtpCli::*request)());
    // The common guard of both chains: false (and the attempt failed) when the request
    // failed.
    bool Guard(TFtpRequest request, int error);
    void Fail(const QString& reply);
    // The server's last reply, or the engine's reason when there is none.
    QString FailureText() const;
    // The login steps every chain shares (open, USER, PASS): true when the request was
    // one of them and has been dealt with; after PASS the login is noted and the chain
    // goes on with its own next step.
    bool LoginStep(TFtpRequest request);
    void Finish(QueueEvent event, const QString& text = {});
    // TYPE for the transfer itself, after SIZE was asked in binary mode (some servers
    // refuse SIZE in ASCII mode, and a missing size would hide an existing file).
    void TransferType(std::function<void()> then);
    void StartDownload(bool resume);
    void StartUpload(bool resume);
    // sizeReply: the code SIZE was answered with.
    void DownloadSizeKnown(bool sizeKnown, int sizeReply);
    // Downloads into the part file beside the target (resumed, or from its start).
    void DownloadReplacing(bool resume);
    void DownloadDecided(const QString& decision, bool localLonger);
    void UploadDecided(const QString& decision, qint64 remoteSize);
    void UploadSizeKnown(bool exists);
    // After a resumed upload, SIZE has answered.
    void UploadVerified(bool sizeKnown);
    // The folder the item's local files must stay in: a top-level folder's own, or the
    // folder of a top-level file.
    QString LocalRoot() const;
    void ListingArrived();
    void AddLocalEntries();
    void LeaveOut(const QString& name, const QString& why);
    int Depth() const;
    bool Current(quint64 job) const { return job == m_job; }
    void Bind(void (Transfer_Manager::*handler)(TFtpRequest, int));

    Global_Task& m_task;
    std::unique_ptr<WorkerPanel> m_panel;
    TFtpClient m_client;
    ListingColumns m_columns;
    qint64 m_expected = 0;
    QTimer m_seconds;
    qint64 m_secondsTag = 0;
    // The Status % last written into the item's row.
    int m_queuedPercent = 0;
    QElapsedTimer m_redraw;
    quint64 m_job = 0;
    int m_reopens = 0;
    bool m_downloading = false;
    bool m_ascii = false;
    std::function<void()> m_afterType;
    QString m_listingPart;
    // The file the item is to end in, and the part file being written in its place.
    QString m_target, m_tempTarget;
    bool m_verifyingUpload = false;
    // The item's site, and the site the connection is logged in to.
    QString m_site, m_host, m_port, m_user, m_pass;
    QString m_loginSite, m_loginUser, m_loginPass;
};
