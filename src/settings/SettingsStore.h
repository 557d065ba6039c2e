// Storage of the settings record in the per-user settings file (group "Settings", the
// ASCII extension list in "Settings/AsciiExtensions"). Every value is stored as text.
#pragma once

#include "SettingsRecord.h"

#include <QSettings>
#include <QStringList>

class SettingsStore {
public:
    SettingsStore();

    // Reads each named value of the group as text; a missing value reads as "".
    QStringList readValues(const QString& group, const QStringList& names);
    // Writes each name/value pair as text, in list order.
    void writeValues(const QString& group, const QStringList& names, const QStringList& values);

    // Reads the 32 values and applies them to the record by their load rules, then the
    // extension list when one is stored. Returns one message per stored value that had
    // to be replaced by its default; the rest of the load goes on regardless.
    QStringList load(SettingsRecord& record);
    // Writes the 32 values and replaces the stored extension list. False, with a
    // message, when the settings file could not be written.
    bool save(const SettingsRecord& record, QString* error = nullptr);

    // Writes the values and the file at once, owner-only as save() does.
    bool saveValues(const QString& group, const QStringList& names, const QStringList& values,
                    QString* error = nullptr);

    QString fileName() const { return m_settings.fileName(); }

private:
    // The file holds the SOCKS password: it and its folder are the user's alone.
    bool syncOwnerOnly(QString* error);

    QSettings m_settings;
};
