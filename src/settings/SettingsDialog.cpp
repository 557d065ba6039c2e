#include "SettingsDialog.h"

#include "ColourButton.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSoundEffect>
#include <QSpinBox>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QLineEdit* edit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

// A group box of radio buttons whose checked index is the value.
QButtonGroup* radioGroup(QWidget* parent, QVBoxLayout* into, const char* name, const QString& title,
                         const QStringList& items) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    group->setObjectName(QLatin1String(name) + QStringLiteral("_group"));
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], box);
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    group->button(0)->setChecked(true);
    into->addWidget(box);
    return group;
}

void setIndex(QButtonGroup* group, int index) {
    if (QAbstractButton* b = group->button(index)) b->setChecked(true);
}

} // namespace

TGlobalSettings::TGlobalSettings(SettingsHost& host, SettingsSource& source, QWidget* parent)
    : QDialog(parent), m_host(host), m_source(source) {
    setObjectName(QStringLiteral("GlobalSettings"));
    setWindowTitle(QStringLiteral("Set Settings"));
    build();
    // The controls start from the defaults; a value that was never stored keeps them.
    apply(SettingsRecord());
    Load();
}

ColourButton* TGlobalSettings::colourControl(Setting s) const {
    switch (s) {
    case Setting::FtpCommandColor:
        return m_ftpCommandColor;
    case Setting::FtpResponseColor:
        return m_ftpResponseColor;
    case Setting::InfoMsgColor:
        return m_infoMsgColor;
    case Setting::ErrorMsgColor:
        return m_errorMsgColor;
    case Setting::QueueColor:
        return m_queueColor;
    case Setting::FtpLogColor:
        return m_ftpLogColor;
    case Setting::LocalListColor:
        return m_localListColor;
    case Setting::RemoteListColor:
        return m_remoteListColor;
    default:
        return nullptr;
    }
}

void TGlobalSettings::build() {
    auto* layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setTabPosition(QTabWidget::South);
    m_pages->addTab(globalPage(), QStringLiteral("Global Settings"));
    m_pages->addTab(firewallPage(), QStringLiteral("Firewall/Socks"));
    m_pages->addTab(extensionsPage(), QStringLiteral("File Extensions"));
    m_pages->addTab(appearancePage(), QStringLiteral("Appearance"));
    layout->addWidget(m_pages);
    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("setOK"));
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("setCancel"));
    connect(ok, &QPushButton::clicked, this, [this] {
        Save();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(560, 460)));
}

QWidget* TGlobalSettings::globalPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    m_keepAlive = new QCheckBox(QStringLiteral("Smart Keep Alive"), page);
    m_keepAlive->setObjectName(QStringLiteral("keep_alive"));
    m_keepAlive->setChecked(true);
    connect(m_keepAlive, &QCheckBox::clicked, this,
            [this](bool on) { m_host.keepAliveChanged(on); });
    layout->addWidget(m_keepAlive);
    m_fileRenameOptions =
        radioGroup(page, layout, "file_rename_options", QStringLiteral("File Rename Options"),
                   {QStringLiteral("Automatic Rename"), QStringLiteral("Prompt User")});
    m_promptOverwrite = new QCheckBox(QStringLiteral("Prompt for File Overwrite"), page);
    m_promptOverwrite->setObjectName(QStringLiteral("prompt_overwrite"));
    m_promptOverwrite->setChecked(true);
    layout->addWidget(m_promptOverwrite);
    m_deleteCompleted = new QCheckBox(
        QStringLiteral("Delete from queue the succesfully completed Transfers"), page);
    m_deleteCompleted->setObjectName(QStringLiteral("delete_completed"));
    layout->addWidget(m_deleteCompleted);
    m_overwriteOptions =
        radioGroup(page, layout, "overwrite_options", QStringLiteral("Overwrite Options"),
                   {QStringLiteral("Overwrite File"), QStringLiteral("Rename File"),
                    QStringLiteral("Transfer Rest"), QStringLiteral("Skip File")});
    m_zipOptions =
        radioGroup(page, layout, "zip_options", QStringLiteral("Zipping Archives"),
                   {QStringLiteral("Create Standard Zipped Archive"),
                    QStringLiteral("Create Self Extracting Exe (No Zip Client Required)")});
    layout->addStretch();
    return page;
}

QWidget* TGlobalSettings::firewallPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* proxy = new QGroupBox(QStringLiteral("Proxy Server Settings"), page);
    auto* proxyForm = new QFormLayout(proxy);
    m_proxyServer = edit(proxy, "proxy_server");
    m_proxyPort = edit(proxy, "proxy_port");
    proxyForm->addRow(QStringLiteral("Proxy Server"), m_proxyServer);
    proxyForm->addRow(QStringLiteral("Proxy Port"), m_proxyPort);
    layout->addWidget(proxy);
    auto* socks = new QGroupBox(QStringLiteral("Socks Server Settings"), page);
    auto* socksForm = new QFormLayout(socks);
    m_socksUser = edit(socks, "socks_user");
    m_socksPass = edit(socks, "socks_pass");
    m_socksPass->setEchoMode(QLineEdit::Password);
    m_socksServer = edit(socks, "socks_server");
    m_socksPort = edit(socks, "socks_port");
    socksForm->addRow(QStringLiteral("Socks User"), m_socksUser);
    socksForm->addRow(QStringLiteral("Socks Password"), m_socksPass);
    socksForm->addRow(QStringLiteral("Socks Server"), m_socksServer);
    socksForm->addRow(QStringLiteral("Socks Port"), m_socksPort);
    layout->addWidget(socks);
    auto* timing = new QGroupBox(QStringLiteral("Connection"), page);
    auto* timingForm = new QFormLayout(timing);
    m_inactivityTimeout = new QSpinBox(timing);
    m_inactivityTimeout->setObjectName(QStringLiteral("inactivity_timeout"));
    m_inactivityTimeout->setRange(0, 3600);
    m_inactivityTimeout->setSuffix(QStringLiteral(" s"));
    m_inactivityTimeout->setSpecialValueText(QStringLiteral("Never"));
    m_inactivityTimeout->setToolTip(
        QStringLiteral("A request ends when the server sends nothing for this long"));
    timingForm->addRow(QStringLiteral("Time-out"), m_inactivityTimeout);
    layout->addWidget(timing);
    layout->addStretch();
    return page;
}

QWidget* TGlobalSettings::extensionsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    for (const QString& text :
         {QStringLiteral("Add the Files Extensions for ASCII File Transfers. These Extensions will "
                         "be checked before "
                         "each transfer of file, if file extension matches, then it will be "
                         "transferred as ASCII File "
                         "Otherwise as Binary File. "),
          QStringLiteral(
              "If you are not certain about the file extension type. Then better not add it to the "
              "Listings, as Binay File Transfer is the safest one.")}) {
        auto* label = new QLabel(text, page);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    auto* group = new QGroupBox(QStringLiteral("Ascii Transfer Extensions"), page);
    auto* grid = new QHBoxLayout(group);
    auto* left = new QVBoxLayout;
    m_newExtension = edit(group, "New_Extension");
    m_addExtension = new QPushButton(QStringLiteral("Add Extension"), group);
    m_addExtension->setObjectName(QStringLiteral("add_extension"));
    m_addExtension->setEnabled(false);
    m_removeExtension = new QPushButton(QStringLiteral("Remove Extension"), group);
    m_removeExtension->setObjectName(QStringLiteral("remove_extension"));
    m_removeExtension->setEnabled(false);
    left->addWidget(m_newExtension);
    left->addWidget(m_addExtension);
    left->addWidget(m_removeExtension);
    left->addStretch();
    m_asciiExtensions = new QListWidget(group);
    m_asciiExtensions->setObjectName(QStringLiteral("Ascii_Extensions"));
    m_asciiExtensions->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_asciiExtensions->setSortingEnabled(true);
    grid->addLayout(left);
    grid->addWidget(m_asciiExtensions);
    layout->addWidget(group);
    connect(m_newExtension, &QLineEdit::textChanged, this,
            [this](const QString& t) { m_addExtension->setEnabled(!t.isEmpty()); });
    connect(m_addExtension, &QPushButton::clicked, this, &TGlobalSettings::addExtension);
    connect(m_removeExtension, &QPushButton::clicked, this, &TGlobalSettings::removeExtensions);
    connect(m_asciiExtensions, &QListWidget::itemSelectionChanged, this, [this] {
        m_removeExtension->setEnabled(!m_asciiExtensions->selectedItems().isEmpty());
    });
    return page;
}

QWidget* TGlobalSettings::appearancePage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto colourRow = [](QFormLayout* form, QWidget* parent, const QString& label,
                        const char* name) {
        auto* button = new ColourButton(parent);
        button->setObjectName(QLatin1String(name));
        form->addRow(label, button);
        return button;
    };
    auto* columns = new QHBoxLayout;
    auto* foreground = new QGroupBox(QStringLiteral("Foreground Colors for FTP Log"), page);
    auto* fgForm = new QFormLayout(foreground);
    m_ftpCommandColor =
        colourRow(fgForm, foreground, QStringLiteral("Ftp Commands"), "ftpcommand_color");
    m_ftpResponseColor =
        colourRow(fgForm, foreground, QStringLiteral("Ftp Responses"), "ftpresponse_color");
    m_errorMsgColor =
        colourRow(fgForm, foreground, QStringLiteral("Error Messages"), "errormsg_color");
    m_infoMsgColor =
        colourRow(fgForm, foreground, QStringLiteral("Info Messages"), "infomsg_color");
    auto* background = new QGroupBox(QStringLiteral("Background Colors"), page);
    auto* bgForm = new QFormLayout(background);
    m_queueColor = colourRow(bgForm, background, QStringLiteral("Queue Listing"), "queue_color");
    m_ftpLogColor =
        colourRow(bgForm, background, QStringLiteral("Ftp Log Listing"), "ftplog_color");
    m_localListColor =
        colourRow(bgForm, background, QStringLiteral("Local Listing"), "locallist_color");
    m_remoteListColor =
        colourRow(bgForm, background, QStringLiteral("Remote Listing"), "remotelist_color");
    for (Setting s : {Setting::QueueColor, Setting::FtpLogColor, Setting::LocalListColor,
                      Setting::RemoteListColor}) {
        colourControl(s)->onChange = [this, s](int value) { m_host.setBackgroundColour(s, value); };
    }
    // A log colour picked here colours the lines that follow at once, as the
    // background colours do.
    for (Setting s : {Setting::FtpCommandColor, Setting::FtpResponseColor, Setting::InfoMsgColor,
                      Setting::ErrorMsgColor}) {
        colourControl(s)->onChange = [this, s](int value) { m_source.setInteger(s, value); };
    }
    columns->addWidget(foreground);
    columns->addWidget(background);
    layout->addLayout(columns);

    auto* waves = new QGroupBox(QStringLiteral("Wave Files for Transfer"), page);
    auto* waveForm = new QFormLayout(waves);
    auto waveRow = [&](const QString& label, const char* name) {
        auto* row = new QHBoxLayout;
        auto* path = edit(waves, name);
        auto* browse = new QPushButton(QStringLiteral("Browse"), waves);
        auto* play = new QPushButton(QStringLiteral("Test Play"), waves);
        connect(browse, &QPushButton::clicked, this, [this, path] { browseWave(path); });
        connect(play, &QPushButton::clicked, this, [this, path] { playWave(path->text()); });
        row->addWidget(path);
        row->addWidget(browse);
        row->addWidget(play);
        waveForm->addRow(label, row);
        return path;
    };
    m_completeWave = waveRow(QStringLiteral("Transfer Complete"), "Transfer_Complete_Wav");
    m_errorWave = waveRow(QStringLiteral("Transfer Error"), "Transfer_Error_Wav");
    layout->addWidget(waves);
    layout->addStretch();
    return page;
}

void TGlobalSettings::addExtension() {
    QString text = m_newExtension->text();
    if (text.isEmpty()) return;
    if (!text.startsWith(u'.')) text.prepend(u'.');
    m_asciiExtensions->addItem(text);
}

void TGlobalSettings::removeExtensions() {
    qDeleteAll(m_asciiExtensions->selectedItems());
    // Only an empty list leaves nothing to remove.
    m_removeExtension->setEnabled(m_asciiExtensions->count() > 0);
}

void TGlobalSettings::browseWave(QLineEdit* edit) {
    const QString path = QFileDialog::getOpenFileName(this, QString(), edit->text(),
                                                      QStringLiteral("Wav Files (*.wav)"));
    if (!path.isEmpty()) edit->setText(path);
}

void TGlobalSettings::playWave(const QString& path) {
    if (!QFileInfo(path).isFile()) return;
    auto* effect = new QSoundEffect(this);
    effect->setSource(QUrl::fromLocalFile(path));
    connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying()) effect->deleteLater();
    });
    effect->play();
}

SettingsRecord TGlobalSettings::Collect() const {
    SettingsRecord r;
    for (Setting s : {Setting::ToolBar, Setting::QuickBar, Setting::LogWindow, Setting::QueueWindow,
                      Setting::LocalTab, Setting::QueueProcessing}) {
        r.setFlag(s, m_host.viewFlag(s));
    }
    r.setFlag(Setting::NOOP, m_keepAlive->isChecked());
    r.setText(Setting::ConnectionType, m_host.connectionType());
    r.setInteger(Setting::ThreadsAllowed, m_host.threads());
    r.setInteger(Setting::AttemptsAllowed, m_host.attempts());
    r.setText(Setting::ProxyServer, m_proxyServer->text());
    r.setText(Setting::ProxyPort, m_proxyPort->text());
    r.setText(Setting::SocksServer, m_socksServer->text());
    r.setText(Setting::SocksPort, m_socksPort->text());
    r.setText(Setting::SocksUser, m_socksUser->text());
    r.setText(Setting::SocksPass, m_socksPass->text());
    for (Setting s : {Setting::FtpCommandColor, Setting::FtpResponseColor, Setting::InfoMsgColor,
                      Setting::ErrorMsgColor, Setting::QueueColor, Setting::FtpLogColor,
                      Setting::LocalListColor, Setting::RemoteListColor}) {
        r.setInteger(s, colourControl(s)->value());
    }
    r.setFlag(Setting::PromptOverwrite, m_promptOverwrite->isChecked());
    r.setFlag(Setting::DeleteCompleted, m_deleteCompleted->isChecked());
    r.setInteger(Setting::OverwriteOption, m_overwriteOptions->checkedId());
    r.setInteger(Setting::FileRenameOption, m_fileRenameOptions->checkedId());
    r.setInteger(Setting::ZipOptions, m_zipOptions->checkedId());
    r.setText(Setting::TransferCompleteWave, m_completeWave->text());
    r.setText(Setting::TransferErrorWave, m_errorWave->text());
    r.setInteger(Setting::InactivityTimeout, m_inactivityTimeout->value());
    QStringList extensions;
    for (int i = 0; i < m_asciiExtensions->count(); ++i)
        extensions << m_asciiExtensions->item(i)->text();
    r.setAsciiExtensions(extensions);
    return r;
}

void TGlobalSettings::apply(const SettingsRecord& r) {
    for (Setting s : {Setting::ToolBar, Setting::QuickBar, Setting::LogWindow, Setting::QueueWindow,
                      Setting::LocalTab, Setting::QueueProcessing}) {
        if (m_host.viewFlag(s) != r.flag(s)) m_host.toggleView(s);
    }
    if (m_keepAlive->isChecked() != r.flag(Setting::NOOP)) {
        m_keepAlive->setChecked(r.flag(Setting::NOOP));
        m_host.keepAliveChanged(r.flag(Setting::NOOP));
    }
    if (m_host.connectionType() != r.text(Setting::ConnectionType)) {
        m_host.selectConnectionType(r.text(Setting::ConnectionType));
    }
    m_host.setThreads(r.integer(Setting::ThreadsAllowed));
    m_host.setAttempts(r.integer(Setting::AttemptsAllowed));
    m_proxyServer->setText(r.text(Setting::ProxyServer));
    m_proxyPort->setText(r.text(Setting::ProxyPort));
    m_socksServer->setText(r.text(Setting::SocksServer));
    m_socksPort->setText(r.text(Setting::SocksPort));
    m_socksUser->setText(r.text(Setting::SocksUser));
    m_socksPass->setText(r.text(Setting::SocksPass));
    for (Setting s : {Setting::FtpCommandColor, Setting::FtpResponseColor, Setting::InfoMsgColor,
                      Setting::ErrorMsgColor, Setting::QueueColor, Setting::FtpLogColor,
                      Setting::LocalListColor, Setting::RemoteListColor}) {
        colourControl(s)->setValue(r.integer(s));
    }
    m_promptOverwrite->setChecked(r.flag(Setting::PromptOverwrite));
    m_deleteCompleted->setChecked(r.flag(Setting::DeleteCompleted));
    setIndex(m_overwriteOptions, r.integer(Setting::OverwriteOption));
    setIndex(m_fileRenameOptions, r.integer(Setting::FileRenameOption));
    setIndex(m_zipOptions, r.integer(Setting::ZipOptions));
    m_completeWave->setText(r.text(Setting::TransferCompleteWave));
    m_errorWave->setText(r.text(Setting::TransferErrorWave));
    m_inactivityTimeout->setValue(r.integer(Setting::InactivityTimeout));
    m_asciiExtensions->clear();
    m_asciiExtensions->addItems(r.asciiExtensions());
    m_removeExtension->setEnabled(false);
}

void TGlobalSettings::Load() {
    // The background colours start from what the window shows.
    for (Setting s : {Setting::QueueColor, Setting::LocalListColor, Setting::FtpLogColor}) {
        const auto saved = colourControl(s)->onChange;
        colourControl(s)->onChange = nullptr;
        colourControl(s)->setValue(m_host.backgroundColour(s));
        colourControl(s)->onChange = saved;
    }
    SettingsRecord record = Collect();
    // The views go back to what was stored, or to their defaults when nothing was:
    // toggles made since the last save do not outlive a showing of the dialog.
    const SettingsRecord defaults;
    for (Setting s : {Setting::ToolBar, Setting::QuickBar, Setting::LogWindow, Setting::QueueWindow,
                      Setting::LocalTab}) {
        record.setText(s, defaults.text(s));
    }
    m_problems = m_store.load(record);
    apply(record);
    m_source.setRecord(Collect());
}

bool TGlobalSettings::Save() {
    const SettingsRecord record = Collect();
    m_source.setRecord(record);
    return m_store.save(record);
}

void TGlobalSettings::StoreView(Setting s) {
    const QString shown = m_host.viewFlag(s) ? QStringLiteral("1") : QStringLiteral("0");
    m_store.saveValues(QStringLiteral("Settings"), {QLatin1String(settingDef(s).name)}, {shown});
}

int TGlobalSettings::exec() {
    Load();
    m_pages->setCurrentIndex(0);
    return QDialog::exec();
}
