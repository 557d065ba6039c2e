// What to do when a download finds its local file, or an upload its remote file,
// already there: overwrite, skip, rename or transfer the rest. The decision is
// remembered for the run; while the prompt flag is on, the user is asked each time
// (the window supplies the question box), and an "All" answer turns the flag off.
// The settings "Prompt for File Overwrite" and "Overwrite Options" are copied in at
// start and whenever they change.
#pragma once

#include "SettingsSource.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <set>

struct ExistingFile {
    QString name; // file name of the transfer's local path
    QString existingSize, newSize;
    QString existingDate, newDate; // "" when not known
};

class ExistingFileDecisions : public QObject {
    Q_OBJECT
public:
    explicit ExistingFileDecisions(const SettingsSource& settings, QObject* parent = nullptr);

    bool Prompt() const { return m_prompt; }
    QString Decision() const { return m_decision; }

    // Shows the question and returns its result: "overwrite", "skip", "rename",
    // "transfer_rest", their "_all" forms, or "" when the box was closed.
    std::function<QString(const ExistingFile&)> ask;
    // The "Rename File" input box: the answer, or nothing when it was cancelled.
    std::function<std::optional<QString>(const QString& defaultName)> askName;

    // Decides about one file and hands the decision to then: asks when the prompt flag
    // is on (an "All" answer turns it off), remembers the answer. A closed box skips
    // this file and leaves the remembered decision as it was. One question is open at a
    // time: a conflict that comes while it is open waits, and is decided after it (by
    // an "All" answer without a question); then may run before Decide returns.
    void Decide(const ExistingFile& file, std::function<void(const QString&)> then);
    // What the question's countdown answers: the remembered decision, unless that would
    // overwrite or rename and the user has not chosen it in this run, when it skips.
    QString CountdownAnswer() const;
    // The window's question says its answer came from the countdown, not the user.
    void NoteCountdown() { m_countdown = true; }
    int Waiting() const { return int(m_waiting.size()); }
    // The base decision without its "_all".
    static QString Base(const QString& decision);

    // The new name for "rename" ("Automatic Rename" or "Prompt User"), or nothing when
    // the file should not be transferred. Local names are numbered until free.
    std::optional<QString> RenameLocal(const QString& localPath);
    std::optional<QString> RenameRemote(const QString& remotePath);

private:
    void CopySettings();
    QString DecideNow(const ExistingFile& file);

    struct Question {
        ExistingFile file;
        std::function<void(const QString&)> then;
    };
    std::deque<Question> m_waiting;
    bool m_asking = false;
    bool m_countdown = false;
    std::set<QString> m_chosen; // the answers the user picked in this run

    const SettingsSource& m_settings;
    bool m_prompt = true;
    QString m_decision = QStringLiteral("overwrite");
};
