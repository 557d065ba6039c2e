#include "SettingsSource.h"

void SettingsSource::setRecord(const SettingsRecord& record) {
    m_record.setAsciiExtensions(record.asciiExtensions());
    for (int i = 0; i < kSettingCount; ++i)
        setText(Setting(i), record.text(Setting(i)));
}

void SettingsSource::setText(Setting s, const QString& value) {
    if (m_record.text(s) == value) return;
    m_record.setText(s, value);
    emit changed(s);
}
