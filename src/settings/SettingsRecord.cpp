#include "SettingsRecord.h"

#include <algorithm>

namespace {

using K = SettingKind;

const std::array<SettingDef, kSettingCount> kDefs = {{
    {"ToolBar", K::Flag, "1", false},
    {"QuickBar", K::Flag, "0", false},
    {"NOOP", K::Flag, "1", false},
    {"LogWindow", K::Flag, "1", false},
    {"QueueWindow", K::Flag, "1", false},
    {"LocalTab", K::Flag, "1", false},
    {"QueueProcessing", K::Flag, "0", false},
    {"ConnectionType", K::ConnectionType, "Direct", false},
    {"ThreadsAllowed", K::Integer, "3", false, 1, 100},
    {"AttemptsAllowed", K::Integer, "3", false, 1, 99},
    {"ProxyServer", K::Text, "", true},
    {"ProxyPort", K::Text, "8021", false},
    {"SocksServer", K::Text, "", true},
    {"SocksPort", K::Text, "1080", false},
    {"SocksUser", K::Text, "", true},
    {"SocksPass", K::Secret, "", true},
    {"FtpCommandColor", K::Colour, "16711680", false},
    {"FtpResponseColor", K::Colour, "32768", false},
    {"InfoMsgColor", K::Colour, "0", false},
    {"ErrorMsgColor", K::Colour, "255", false},
    {"QueueColor", K::Colour, "-2147483643", false},
    {"FtpLogColor", K::Colour, "16777215", false},
    {"LocalListColor", K::Colour, "-2147483643", false},
    {"RemoteListColor", K::Colour, "0", false},
    {"PromptOverwrite", K::Flag, "1", false},
    {"DeleteCompleted", K::Flag, "0", false},
    {"OverwriteOption", K::Integer, "0", false, 0, 3},
    {"FileRenameOption", K::Integer, "0", false, 0, 1},
    {"ZipOptions", K::Integer, "0", false, 0, 1},
    {"TransferCompleteWave", K::Text, "", false},
    {"TransferErrorWave", K::Text, "", false},
    {"InactivityTimeout", K::Integer, "30", false, 0, 3600},
    {"ListingLimit", K::Integer, "256", false, 0, 1048576},
    {"ShowHidden", K::Flag, "0", false},
}};

void sortExtensions(QStringList& list) {
    std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
}

} // namespace

const SettingDef& settingDef(Setting s) {
    return kDefs[size_t(s)];
}

QStringList defaultAsciiExtensions() {
    return {QStringLiteral(".asp"), QStringLiteral(".cfm"),  QStringLiteral(".cpp"),
            QStringLiteral(".htm"), QStringLiteral(".html"), QStringLiteral(".shtml"),
            QStringLiteral(".txt")};
}

SettingsRecord::SettingsRecord() : m_extensions(defaultAsciiExtensions()) {
    for (int i = 0; i < kSettingCount; ++i)
        m_values[size_t(i)] = QString::fromLatin1(kDefs[size_t(i)].defaultValue);
}

bool SettingsRecord::applyStored(Setting s, const QString& stored) {
    const SettingDef& def = settingDef(s);
    if (stored.isEmpty() && !def.alwaysSet) return true;
    bool ok = true;
    switch (def.kind) {
    case K::Flag: {
        const int value = stored.trimmed().toInt(&ok);
        setFlag(s, ok ? value != 0 : QLatin1String(def.defaultValue) == QLatin1String("1"));
        break;
    }
    case K::Integer: {
        const int value = stored.trimmed().toInt(&ok);
        setInteger(s, ok ? std::clamp(value, def.minimum, def.maximum)
                         : QString::fromLatin1(def.defaultValue).toInt());
        break;
    }
    case K::Colour: {
        const int value = stored.trimmed().toInt(&ok);
        setInteger(s, ok ? value : QString::fromLatin1(def.defaultValue).toInt());
        break;
    }
    case K::ConnectionType:
        ok = kConnectionTypes.contains(stored);
        if (ok) setText(s, stored);
        break;
    case K::Text:
    case K::Secret:
        setText(s, stored);
        break;
    }
    return ok;
}

void SettingsRecord::setAsciiExtensions(QStringList extensions) {
    sortExtensions(extensions);
    m_extensions = std::move(extensions);
}
