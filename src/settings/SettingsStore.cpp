#include "SettingsStore.h"

#include "AppPaths.h"
#include "Scramble.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

const QString kGroup = QStringLiteral("Settings");
const QString kExtensionGroup = QStringLiteral("Settings/AsciiExtensions");

QStringList valueNames() {
    QStringList names;
    for (int i = 0; i < kSettingCount; ++i)
        names << QString::fromLatin1(settingDef(Setting(i)).name);
    return names;
}

// The scrambled bytes are not UTF-8; each byte is kept as one Latin-1 character so the
// stored text gives back exactly the bytes it was made from.
QString scrambleForStorage(const QString& clear) {
    return QString::fromLatin1(Scramble(clear.toUtf8()));
}

QString unscrambleFromStorage(const QString& stored) {
    return QString::fromUtf8(Scramble(stored.toLatin1()));
}

} // namespace

SettingsStore::SettingsStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("1Quillon"),
                 QStringLiteral("1Quillon")) {}

QStringList SettingsStore::readValues(const QString& group, const QStringList& names) {
    QStringList values;
    m_settings.beginGroup(group);
    for (const QString& name : names)
        values << m_settings.value(name).toString();
    m_settings.endGroup();
    return values;
}

void SettingsStore::writeValues(const QString& group, const QStringList& names,
                                const QStringList& values) {
    m_settings.beginGroup(group);
    for (qsizetype i = 0; i < names.size(); ++i)
        m_settings.setValue(names[i], values.value(i));
    m_settings.endGroup();
}

QStringList SettingsStore::load(SettingsRecord& record) {
    m_settings.sync();
    QStringList problems;
    const QStringList names = valueNames();
    const QStringList values = readValues(kGroup, names);
    for (int i = 0; i < kSettingCount; ++i) {
        const Setting s = Setting(i);
        QString stored = values[i];
        if (settingDef(s).kind == SettingKind::Secret) stored = unscrambleFromStorage(stored);
        if (!record.applyStored(s, stored)) {
            problems << QStringLiteral(
                            "The stored setting %1 (\"%2\") is not valid; %3 is used instead.")
                            .arg(names[i], stored, record.text(s));
        }
    }
    m_settings.beginGroup(kExtensionGroup);
    const QStringList extensions = m_settings.childKeys();
    m_settings.endGroup();
    if (!extensions.isEmpty()) record.setAsciiExtensions(extensions);
    return problems;
}

bool SettingsStore::save(const SettingsRecord& record, QString* error) {
    QStringList values;
    for (int i = 0; i < kSettingCount; ++i) {
        const Setting s = Setting(i);
        values << (settingDef(s).kind == SettingKind::Secret ? scrambleForStorage(record.text(s))
                                                             : record.text(s));
    }
    writeValues(kGroup, valueNames(), values);

    // Extension names are compared without regard to case: .txt and .TXT are one value.
    m_settings.remove(kExtensionGroup);
    QStringList stored;
    for (const QString& extension : record.asciiExtensions()) {
        if (!stored.contains(extension, Qt::CaseInsensitive)) stored << extension;
    }
    writeValues(kExtensionGroup, stored, stored);

    return syncOwnerOnly(error);
}

bool SettingsStore::saveValues(const QString& group, const QStringList& names,
                               const QStringList& values, QString* error) {
    writeValues(group, names, values);
    return syncOwnerOnly(error);
}

bool SettingsStore::syncOwnerOnly(QString* error) {
    // The file holds the SOCKS password, so it and its folder are the user's alone, from
    // the moment they exist: the new file is written under an owner-only mask.
    const QFileInfo file(m_settings.fileName());
    QDir().mkpath(file.absolutePath());
    QFile::setPermissions(file.absolutePath(), AppPaths::kOwnerOnlyFolder);
    const mode_t mask = ::umask(077);
    m_settings.sync();
    ::umask(mask);
    QFile::setPermissions(file.absoluteFilePath(), AppPaths::kOwnerOnlyFile);
    if (m_settings.status() != QSettings::NoError) {
        if (error)
            *error =
                QStringLiteral("Cannot write the settings to \"%1\".").arg(m_settings.fileName());
        return false;
    }
    return true;
}
