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

void ExistingFileDecisions::Decide(const ExistingFile& file,
                                   std::function<void(const QString&)> then) {
    m_waiting.push_back({file, std::move(then)});
    // The open question's caller works off what waits behind it.
    if (m_asking) return;
    m_asking = true;
    while (!m_waiting.empty()) {
        Question next = std::move(m_waiting.front());
        m_waiting.pop_front();
        const QString decision = DecideNow(next.file);
        if (next.then) next.then(decision);
    }
    m_asking = false;
}

QString ExistingFileDecisions::DecideNow(const ExistingFile& file) {
    if (!m_prompt || !ask) return m_decision;
    m_countdown = false;
    const QString answer = ask(file);
    if (answer.isEmpty()) return QStringLiteral("skip");
    if (std::exchange(m_countdown, false)) {
        // Nobody answered: this file only, and nothing is remembered.
        return Base(answer);
    }
    m_chosen.insert(Base(answer));
    if (answer.endsWith(QLatin1String("_all"))) m_prompt = false;
    m_decision = answer;
    return answer;
}

QString ExistingFileDecisions::CountdownAnswer() const {
    const QString base = Base(m_decision);
    const bool destroys = base == QLatin1String("overwrite") || base == QLatin1String("rename");
    if (destroys && !m_chosen.count(base)) return QStringLiteral("skip");
    return base;
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
