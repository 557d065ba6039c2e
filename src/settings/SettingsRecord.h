// The settings record: 34 named values and the list of file extensions that are
// transferred in ASCII mode. Values are held as the texts they are stored as, so the
// store, the dialog and the readers all see one current value.
#pragma once

#include <QString>
#include <QStringList>

#include <array>

// In storage order; this is also the order in which the values are written.
enum class Setting {
    ToolBar,
    QuickBar,
    NOOP,
    LogWindow,
    QueueWindow,
    LocalTab,
    QueueProcessing,
    ConnectionType,
    ThreadsAllowed,
    AttemptsAllowed,
    ProxyServer,
    ProxyPort,
    SocksServer,
    SocksPort,
    SocksUser,
    SocksPass,
    FtpCommandColor,
    FtpResponseColor,
    InfoMsgColor,
    ErrorMsgColor,
    QueueColor,
    FtpLogColor,
    LocalListColor,
    RemoteListColor,
    PromptOverwrite,
    DeleteCompleted,
    OverwriteOption,
    FileRenameOption,
    ZipOptions,
    TransferCompleteWave,
    TransferErrorWave,
    // Seconds without a byte from the server before a request ends (0: never).
    InactivityTimeout,
    // MiB a directory listing may bring before it is stopped (0: no limit).
    ListingLimit,
    // The remote pane lists hidden entries (names starting with ".").
    ShowHidden,
};
constexpr int kSettingCount = 34;

enum class SettingKind {
    Flag,           // "1" or "0"
    Integer,        // decimal within [minimum, maximum]
    Colour,         // Windows colour value 0x00BBGGRR, negative for system colours
    Text,           // as typed
    Secret,         // as typed, stored scrambled
    ConnectionType, // one of kConnectionTypes
};

struct SettingDef {
    const char* name;
    SettingKind kind;
    const char* defaultValue;
    // An empty stored value replaces the current one (otherwise it leaves it in place).
    bool alwaysSet;
    int minimum = 0;
    int maximum = 0;
};

const SettingDef& settingDef(Setting s);

// The system colour "window background", the default of the list backgrounds.
constexpr int kSystemWindowColour = -2147483643;

inline const QStringList kConnectionTypes = {QStringLiteral("Direct"), QStringLiteral("Proxy"),
                                             QStringLiteral("Socks4"), QStringLiteral("Socks4A"),
                                             QStringLiteral("Socks5")};

QStringList defaultAsciiExtensions();

class SettingsRecord {
public:
    SettingsRecord();

    QString text(Setting s) const { return m_values[size_t(s)]; }
    bool flag(Setting s) const { return text(s) == QLatin1String("1"); }
    int integer(Setting s) const { return text(s).toInt(); }

    void setText(Setting s, const QString& value) { m_values[size_t(s)] = value; }
    void setFlag(Setting s, bool on) { setText(s, on ? QStringLiteral("1") : QStringLiteral("0")); }
    void setInteger(Setting s, int value) { setText(s, QString::number(value)); }

    // Applies a value read from storage by the value's load rule. Returns false, and
    // keeps a valid value, when the stored text does not fit the value's kind: a
    // number that is not a number gives the default, an unknown connection type
    // changes nothing.
    bool applyStored(Setting s, const QString& stored);

    // Kept sorted, case-insensitively, as the dialog's list shows it.
    QStringList asciiExtensions() const { return m_extensions; }
    void setAsciiExtensions(QStringList extensions);

private:
    std::array<QString, kSettingCount> m_values;
    QStringList m_extensions;
};
