#include "SiteInfoDialog.h"

#include "DialogFit.h"

#include "PlainMessage.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QLineEdit* field(QWidget* parent, const char* name, const QString& text = {}) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

// A line with a "Browse" button that puts a chosen folder into the edit.
QWidget* withBrowse(QLineEdit* edit, const char* buttonName, QPushButton** button) {
    auto* row = new QWidget(edit->parentWidget());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    edit->setParent(row);
    layout->addWidget(edit, 1);
    *button = new QPushButton(QStringLiteral("Browse"), row);
    (*button)->setObjectName(QLatin1String(buttonName));
    (*button)->setAutoDefault(false); // Enter in a field never opens the folder picker
    layout->addWidget(*button);
    return row;
}

void boldBlue(QGroupBox* group) {
    group->setStyleSheet(
        QStringLiteral("QGroupBox { font-weight: bold; } QGroupBox::title { color: #0000ff; }"));
}

} // namespace

Tsite_info_form::Tsite_info_form(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tsite_info_form"));
    setWindowTitle(QStringLiteral("Site Info"));
    fitDialog(this);
    auto* layout = new QVBoxLayout(this);

    m_siteGroup = new QGroupBox(QStringLiteral("Site Info"), this);
    m_siteGroup->setObjectName(QStringLiteral("gbControl"));
    boldBlue(m_siteGroup);
    auto* site = new QFormLayout(m_siteGroup);
    m_label = field(m_siteGroup, "txtLabel");
    m_host = field(m_siteGroup, "txtHost");
    m_user = field(m_siteGroup, "txtUsername", SiteInfo::kAnonymous);
    m_password = field(m_siteGroup, "txtPassword", SiteInfo::kAnonymousPassword);
    m_password->setEchoMode(QLineEdit::Password);
    // The password is masked; the eye shows it while it is pressed down.
    QAction* show = m_password->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView),
                                          QLineEdit::TrailingPosition);
    show->setObjectName(QStringLiteral("show_password"));
    show->setToolTip(QStringLiteral("Show the password"));
    show->setCheckable(true);
    connect(show, &QAction::toggled, m_password, [this](bool on) {
        m_password->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password);
    });
    m_port = field(m_siteGroup, "txtPort", QStringLiteral("21"));
    m_remoteDir = field(m_siteGroup, "txtRemoteDir", QStringLiteral("/"));
    m_localDir = field(m_siteGroup, "txtLocalDir", QDir::homePath());
    m_anonymous = new QCheckBox(QStringLiteral("Anonymous Login"), m_siteGroup);
    m_anonymous->setObjectName(QStringLiteral("anonymous_login"));
    m_anonymous->setChecked(true);
    QPushButton* browseSite = nullptr;
    site->addRow(QStringLiteral("Label for Site"), m_label);
    site->addRow(QStringLiteral("FTP Host Address"), m_host);
    site->addRow(QStringLiteral("FTP site Username"), m_user);
    site->addRow(QStringLiteral("FTP Site Password"), m_password);
    site->addRow(QStringLiteral("Port"), m_port);
    site->addRow(QStringLiteral("Default Remote Directory"), m_remoteDir);
    site->addRow(QStringLiteral("Local Directory"),
                 withBrowse(m_localDir, "browse_local_dir", &browseSite));
    site->addRow(QString(), m_anonymous);
    layout->addWidget(m_siteGroup);

    m_bookmarkGroup = new QGroupBox(QStringLiteral("Book Mark"), this);
    m_bookmarkGroup->setObjectName(QStringLiteral("gbBookMark"));
    boldBlue(m_bookmarkGroup);
    auto* bookmark = new QFormLayout(m_bookmarkGroup);
    m_bookmarkLabel = field(m_bookmarkGroup, "txtBookMark_Label");
    m_local = field(m_bookmarkGroup, "txtLocal");
    m_remote = field(m_bookmarkGroup, "txtRemote");
    QPushButton* browseBookmark = nullptr;
    bookmark->addRow(QStringLiteral("Book Mark Label"), m_bookmarkLabel);
    bookmark->addRow(QStringLiteral("Local Directory"),
                     withBrowse(m_local, "browse_local", &browseBookmark));
    bookmark->addRow(QStringLiteral("Remote Directory"), m_remote);
    layout->addWidget(m_bookmarkGroup);

    auto* buttons = new QHBoxLayout;
    m_connectButton = new QPushButton(QStringLiteral("Connect"), this);
    m_connectButton->setObjectName(QStringLiteral("connect"));
    m_save = new QPushButton(QStringLiteral("Save Changes"), this);
    m_save->setObjectName(QStringLiteral("save_changes"));
    m_save->setEnabled(false);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("bCancel"));
    buttons->addStretch();
    for (QPushButton* b : {m_connectButton, m_save, m_cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    m_save->setDefault(true);
    layout->addLayout(buttons);

    for (QLineEdit* e : {m_label, m_host, m_user, m_password, m_port, m_remoteDir, m_localDir,
                         m_bookmarkLabel, m_local, m_remote})
        connect(e, &QLineEdit::textChanged, this, &Tsite_info_form::changed);
    connect(m_anonymous, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked) {
            m_user->setText(SiteInfo::kAnonymous);
            m_password->setText(SiteInfo::kAnonymousPassword);
        }
        changed();
    });
    connect(browseSite, &QPushButton::clicked, this, [this] { browse(m_localDir); });
    connect(browseBookmark, &QPushButton::clicked, this, [this] { browse(m_local); });
    connect(m_connectButton, &QPushButton::clicked, this, [this] { finish(true); });
    connect(m_save, &QPushButton::clicked, this, [this] { finish(false); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void Tsite_info_form::changed() {
    m_save->setEnabled(true);
}

void Tsite_info_form::setValues(const SiteInfo::Values& values, SiteInfo::Mode mode) {
    m_mode = mode;
    const SiteInfo::Fields f = SiteInfo::fill(values);
    m_label->setText(f.label);
    m_host->setText(f.host);
    m_user->setText(f.user);
    m_anonymous->setChecked(f.anonymous);
    m_password->setText(f.password);
    m_port->setText(f.port);
    m_localDir->setText(f.localDir);
    m_remoteDir->setText(f.remoteDir);
    m_bookmarkLabel->setText(f.bookmarkLabel);
    m_local->setText(f.bookmarkLocal);
    m_remote->setText(f.bookmarkRemote);
    const bool siteMode = mode == SiteInfo::Mode::Site;
    m_siteGroup->setEnabled(siteMode);
    m_bookmarkGroup->setEnabled(!siteMode);
    // The group being edited has the window colour, the other one the button face.
    const auto paint = [](QLineEdit* e, bool editable) {
        QPalette p = e->palette();
        p.setColor(QPalette::Base, e->style()->standardPalette().color(
                                       editable ? QPalette::Base : QPalette::Button));
        e->setPalette(p);
    };
    for (QLineEdit* e : {m_label, m_host, m_user, m_password, m_port, m_remoteDir, m_localDir})
        paint(e, siteMode);
    for (QLineEdit* e : {m_bookmarkLabel, m_local, m_remote})
        paint(e, !siteMode);
}

SiteInfo::Fields Tsite_info_form::fields() const {
    SiteInfo::Fields f;
    f.label = m_label->text();
    f.host = m_host->text();
    f.user = m_user->text();
    f.password = m_password->text();
    f.port = m_port->text();
    f.localDir = m_localDir->text();
    f.remoteDir = m_remoteDir->text();
    f.anonymous = m_anonymous->isChecked();
    f.bookmarkLabel = m_bookmarkLabel->text();
    f.bookmarkLocal = m_local->text();
    f.bookmarkRemote = m_remote->text();
    return f;
}

void Tsite_info_form::finish(bool connect) {
    const QString problem = SiteInfo::validate(fields(), m_mode);
    if (!problem.isEmpty()) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("1Quillon"), problem,
                        QMessageBox::Ok, this);
        PlainMessage::plain(box);
        box.setObjectName(QStringLiteral("site_info_message"));
        box.exec();
        return;
    }
    m_connect = connect;
    accept();
}

void Tsite_info_form::browse(QLineEdit* into) {
    QFileDialog picker(this, QStringLiteral("Browse"), into->text());
    picker.setObjectName(QStringLiteral("browse_folder"));
    picker.setFileMode(QFileDialog::Directory);
    picker.setOption(QFileDialog::ShowDirsOnly);
    if (picker.exec() == QDialog::Accepted && !picker.selectedFiles().isEmpty())
        into->setText(QDir::toNativeSeparators(picker.selectedFiles().first()));
}

void Tsite_info_form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The first field of the part that is shown takes the typing.
    QLineEdit* first = m_siteGroup->isVisible() ? m_label : m_bookmarkLabel;
    QMetaObject::invokeMethod(
        first, [first] { first->setFocus(Qt::ActiveWindowFocusReason); }, Qt::QueuedConnection);
}
