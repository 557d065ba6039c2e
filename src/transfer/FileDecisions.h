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

#include <functional>
#include <optional>

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

    // Asks when the prompt flag is on (an "All" answer turns it off), remembers the
    // answer, and returns the decision for this file. A closed box skips this file and
    // leaves the remembered decision as it was.
    QString Decide(const ExistingFile& file);
    // The base decision without its "_all".
    static QString Base(const QString& decision);

    // The new name for "rename" ("Automatic Rename" or "Prompt User"), or nothing when
    // the file should not be transferred. Local names are numbered until free.
    std::optional<QString> RenameLocal(const QString& localPath);
    std::optional<QString> RenameRemote(const QString& remotePath);

private:
    void CopySettings();

    const SettingsSource& m_settings;
    bool m_prompt = true;
    QString m_decision = QStringLiteral("overwrite");
};
