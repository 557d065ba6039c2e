// Copying or moving local files and folders into a folder, a slice at a time on the event
// loop, so that a 1 GiB file or a folder of thousands of files leaves the window
// responsive and can be cancelled. Nothing is overwritten without the owner's answer;
// a copy into the folder it comes from gets a free name ("name (2).ext").
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTemporaryFile>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class LocalFileJob : public QObject {
    Q_OBJECT
public:
    enum Mode { Copy, Move };
    enum Answer { Replace, Skip, KeepBoth, Cancel };

    LocalFileJob(Mode mode, const QStringList& sources, const QString& targetFolder,
                 QObject* parent = nullptr);
    ~LocalFileJob() override;

    // Why the sources cannot go into the target (a folder into itself or one of its own
    // folders); "" when they can.
    static QString Refusal(const QStringList& sources, const QString& targetFolder);
    // "name (2).ext", "name (3).ext", … : the first name not taken in the folder.
    static QString FreeName(const QString& folder, const QString& name);

    // Asked when an entry of that name exists in the target; *forAll keeps the answer
    // for the rest of the job. Unset: entries that exist are skipped.
    std::function<Answer(const QString& existingPath, bool* forAll)> askExisting;

    // How long one turn of the loop may copy (at least one step runs per turn).
    void setSliceMs(int ms) { m_sliceMs = ms; }
    void start();
    void cancel();
    bool isRunning() const { return m_running; }

    qint64 bytesDone() const { return m_bytesDone; }
    qint64 bytesTotal() const { return m_bytesTotal; }
    QString currentName() const { return m_current; }
    QStringList errors() const { return m_errors; }
    bool cancelled() const { return m_cancelled; }

signals:
    void progress();
    void finished();

private:
    struct Step {
        enum Kind { MakeFolder, CopyFile, CopyLink, RemoveSource } kind;
        QString from, to;
        qint64 size = 0;
        qsizetype source = 0; // the index of the source it belongs to
    };
    void runSlice();
    void plan(const QString& source);
    void planNext();
    bool runStep(Step& step);
    bool copyChunk(Step& step);
    void finish();
    void fail(const QString& text);

    Mode m_mode;
    QStringList m_sources;
    QString m_target;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    qsizetype m_nextSource = 0;
    // Entries of the source being planned still to look at (source, target).
    std::vector<std::pair<QString, QString>> m_planning;
    qsizetype m_planningSource = 0;
    std::optional<Answer> m_answerForAll;
    void dropPartial();

    // The file being copied, and its copy under a hidden temporary name in the target
    // folder until it is complete.
    std::unique_ptr<QFile> m_in;
    std::unique_ptr<QTemporaryFile> m_out;
    QByteArray m_buffer;
    qint64 m_bytesDone = 0, m_bytesTotal = 0;
    QString m_current;
    QStringList m_errors;
    QList<qsizetype> m_failedSources;
    int m_sliceMs = 20;
    bool m_running = false, m_cancelled = false, m_planned = false;
};
