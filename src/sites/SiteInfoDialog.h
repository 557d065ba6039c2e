// "Site Info": edits a site (the "Site Info" group) or a bookmark (the "Book Mark"
// group) and closes with "Save Changes" or "Connect" once the fields are valid, or with
// "Cancel". Made once and reused: it keeps its fields between uses.
#pragma once

#include "SiteInfo.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

class Tsite_info_form : public QDialog {
    Q_OBJECT
public:
    explicit Tsite_info_form(QWidget* parent = nullptr);

    // Fills the fields from the ten values and enables the mode's group; call before
    // showing.
    void setValues(const SiteInfo::Values& values, SiteInfo::Mode mode);
    SiteInfo::Fields fields() const;
    SiteInfo::Mode mode() const { return m_mode; }
    // The dialog closed with "Connect".
    bool connectRequested() const { return m_connect; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void finish(bool connect);
    void browse(QLineEdit* into);
    void changed();

    SiteInfo::Mode m_mode = SiteInfo::Mode::Site;
    bool m_connect = false;
    QGroupBox *m_siteGroup = nullptr, *m_bookmarkGroup = nullptr;
    QLineEdit *m_label = nullptr, *m_host = nullptr, *m_user = nullptr, *m_password = nullptr,
              *m_port = nullptr, *m_remoteDir = nullptr, *m_localDir = nullptr;
    QLineEdit *m_bookmarkLabel = nullptr, *m_local = nullptr, *m_remote = nullptr;
    QCheckBox* m_anonymous = nullptr;
    QPushButton *m_connectButton = nullptr, *m_save = nullptr, *m_cancel = nullptr;
};
