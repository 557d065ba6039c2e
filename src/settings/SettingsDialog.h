// The settings dialog "Set Settings": four pages of controls that, together with the
// main window's menu checks, edit the settings record. Load runs when the dialog is
// created and every time it is shown; Save on OK and at every shut-down. Both hand the
// record to the program's settings source, which the managers read.
#pragma once

#include "SettingsHost.h"
#include "SettingsSource.h"
#include "SettingsStore.h"

#include <QDialog>

class ColourButton;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

class TGlobalSettings : public QDialog {
    Q_OBJECT
public:
    TGlobalSettings(SettingsHost& host, SettingsSource& source, QWidget* parent = nullptr);

    void Load();
    bool Save();
    // Stores one view's shown state as the window has it now (a View menu toggle), so
    // the next showing of the dialog puts back what the user sees.
    void StoreView(Setting s);
    // The record as the controls and the window hold it now.
    SettingsRecord Collect() const;
    // Messages about stored values that could not be used at the last load.
    QStringList LoadProblems() const { return m_problems; }

    int exec() override;

    QCheckBox* keepAlive() const { return m_keepAlive; }
    ColourButton* colourControl(Setting s) const;

private:
    void build();
    void apply(const SettingsRecord& record);
    void addExtension();
    void removeExtensions();
    void browseWave(QLineEdit* edit);
    void playWave(const QString& path);
    QWidget* globalPage();
    QWidget* firewallPage();
    QWidget* extensionsPage();
    QWidget* appearancePage();

    SettingsHost& m_host;
    SettingsSource& m_source;
    SettingsStore m_store;
    QStringList m_problems;

    QTabWidget* m_pages = nullptr;
    QCheckBox* m_keepAlive = nullptr;
    QCheckBox* m_promptOverwrite = nullptr;
    QCheckBox* m_deleteCompleted = nullptr;
    QButtonGroup* m_fileRenameOptions = nullptr;
    QButtonGroup* m_overwriteOptions = nullptr;
    QButtonGroup* m_zipOptions = nullptr;
    QLineEdit* m_proxyServer = nullptr;
    QLineEdit* m_proxyPort = nullptr;
    QLineEdit* m_socksServer = nullptr;
    QLineEdit* m_socksPort = nullptr;
    QLineEdit* m_socksUser = nullptr;
    QLineEdit* m_socksPass = nullptr;
    QSpinBox* m_inactivityTimeout = nullptr;
    QLineEdit* m_newExtension = nullptr;
    QListWidget* m_asciiExtensions = nullptr;
    QPushButton* m_addExtension = nullptr;
    QPushButton* m_removeExtension = nullptr;
    ColourButton* m_ftpCommandColor = nullptr;
    ColourButton* m_ftpResponseColor = nullptr;
    ColourButton* m_errorMsgColor = nullptr;
    ColourButton* m_infoMsgColor = nullptr;
    ColourButton* m_queueColor = nullptr;
    ColourButton* m_ftpLogColor = nullptr;
    ColourButton* m_localListColor = nullptr;
    ColourButton* m_remoteListColor = nullptr;
    QLineEdit* m_completeWave = nullptr;
    QLineEdit* m_errorWave = nullptr;
};
