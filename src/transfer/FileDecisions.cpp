#include "FileDecisions.h"

#include "TransferText.h"

#include <QFileInfo>
#include <QRandomGenerator>

namespace {

int drawNumber() {
    return int(QRandomGenerator::global()->bounded(100000));
}

} // namespace

ExistingFileDecisions::ExistingFileDecisions(const SettingsSource& settings, QObject* parent)
    : QObject(parent), m_settings(settings) {
    CopySettings();
    connect(&settings, &SettingsSource::changed, this, [this](Setting s) {
        if (s == Setting::PromptOverwrite || s == Setting::OverwriteOption) CopySettings();
    });
}

void ExistingFileDecisions::CopySettings() {
    static const char* const options[] = {"overwrite", "rename", "transfer_rest", "skip"};
    m_prompt = m_settings.flag(Setting::PromptOverwrite);
    const int option = m_settings.integer(Setting::OverwriteOption);
    m_decision = QLatin1String(options[option >= 0 && option < 4 ? option : 0]);
}

QString ExistingFileDecisions::Base(const QString& decision) {
    return decision.endsWith(QLatin1String("_all")) ? decision.chopped(4) : decision;
}

QString ExistingFileDecisions::Decide(const ExistingFile& file) {
    if (!m_prompt || !ask) return m_decision;
    const QString answer = ask(file);
    if (answer.isEmpty()) return QStringLiteral("skip");
    if (answer.endsWith(QLatin1String("_all"))) m_prompt = false;
    m_decision = answer;
    return answer;
}

std::optional<QString> ExistingFileDecisions::RenameLocal(const QString& localPath) {
    if (m_settings.integer(Setting::FileRenameOption) == 1) {
        const QString name = TransferText::FileName(localPath);
        const std::optional<QString> answer = askName ? askName(name) : std::nullopt;
        if (!answer || !TransferText::IsPlainName(*answer)) return std::nullopt;
        return TransferText::Folder(localPath) == QLatin1String("/")
                   ? u'/' + *answer
                   : TransferText::Folder(localPath) + u'/' + *answer;
    }
    if (m_settings.integer(Setting::FileRenameOption) != 0) return std::nullopt;
    // A number drawn afresh each time, until the name is free: two renames never
    // land on one file.
    for (int tries = 0; tries < 1000; ++tries) {
        const QString candidate = TransferText::NumberedName(localPath, drawNumber());
        if (!QFileInfo::exists(candidate)) return candidate;
    }
    return std::nullopt;
}

std::optional<QString> ExistingFileDecisions::RenameRemote(const QString& remotePath) {
    if (m_settings.integer(Setting::FileRenameOption) == 1) {
        const std::optional<QString> answer =
            askName ? askName(TransferText::FileName(remotePath)) : std::nullopt;
        if (!answer || !TransferText::IsPlainName(*answer)) return std::nullopt;
        const QString folder = TransferText::Folder(remotePath);
        if (folder.isEmpty()) return *answer;
        return folder == QLatin1String("/") ? u'/' + *answer : folder + u'/' + *answer;
    }
    if (m_settings.integer(Setting::FileRenameOption) != 0) return std::nullopt;
    return TransferText::NumberedName(remotePath, drawNumber());
}
