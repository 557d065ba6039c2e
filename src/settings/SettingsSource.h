// The settings record the program holds while it runs. The settings dialog writes it
// when it loads and on OK, the main window's menu checks and spin boxes write the values
// they own, and every manager reads it, so a manager never reaches into a control and
// can be built with a record of its own in tests.
#pragma once

#include "SettingsRecord.h"

#include <QObject>

class SettingsSource : public QObject {
    Q_OBJECT
public:
    explicit SettingsSource(QObject* parent = nullptr) : QObject(parent) {}

    const SettingsRecord& record() const { return m_record; }
    QString text(Setting s) const { return m_record.text(s); }
    bool flag(Setting s) const { return m_record.flag(s); }
    int integer(Setting s) const { return m_record.integer(s); }
    // "ListingLimit" in bytes (0: no limit).
    qint64 listingLimitBytes() const { return qint64(integer(Setting::ListingLimit)) << 20; }

    // Each value that differs from the one held is replaced and announced.
    void setRecord(const SettingsRecord& record);
    void setText(Setting s, const QString& value);
    void setFlag(Setting s, bool on) { setText(s, on ? QStringLiteral("1") : QStringLiteral("0")); }
    void setInteger(Setting s, int value) { setText(s, QString::number(value)); }

signals:
    void changed(Setting s);

private:
    SettingsRecord m_record;
};
