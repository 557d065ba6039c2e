#include "WindowMemory.h"

#include "SettingsStore.h"

namespace {

const QString kGroup = QStringLiteral("Window");

QStringList names() {
    return WindowMemory::kSplitters +
           QStringList{"LogTimes", "QuickHost", "QuickPort", "QuickUser", "RecentServers"};
}

} // namespace

const QStringList WindowMemory::kSplitters = {"verticle_splitter", "bottom_splitter",
                                              "log_splitter"};

void WindowMemory::load() {
    SettingsStore store;
    const QStringList values = store.readValues(kGroup, names());
    for (qsizetype i = 0; i < kSplitters.size(); ++i) {
        if (!values[i].isEmpty())
            splitters[kSplitters[i]] = QByteArray::fromBase64(values[i].toLatin1());
    }
    const qsizetype n = kSplitters.size();
    logTimes = values[n] == QLatin1String("1");
    last = {values[n + 1], values[n + 2], values[n + 3]};
    recent.clear();
    for (const QString& line : values[n + 4].split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() != 3 || fields[0].isEmpty()) continue;
        if (recent.size() < kRecentServers) recent.append({fields[0], fields[1], fields[2]});
    }
}

bool WindowMemory::save(QString* error) const {
    QStringList values;
    for (const QString& name : kSplitters)
        values << QString::fromLatin1(splitters.value(name).toBase64());
    QStringList lines;
    for (const RecentServer& r : recent)
        lines << r.host + u'\t' + r.port + u'\t' + r.user;
    values << (logTimes ? QStringLiteral("1") : QStringLiteral("0")) << last.host << last.port
           << last.user << lines.join(u'\n');
    SettingsStore store;
    return store.saveValues(kGroup, names(), values, error);
}

void WindowMemory::noteServer(const RecentServer& server) {
    // A tab or a line break would break the stored list: such a host is not kept.
    for (const QString& field : {server.host, server.port, server.user}) {
        if (field.contains(u'\t') || field.contains(u'\n')) return;
    }
    last = server;
    recent.removeAll(server);
    recent.prepend(server);
    while (recent.size() > kRecentServers)
        recent.removeLast();
}
