#include "QuickConnectBar.h"

#include "ToolButton.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStringListModel>
#include <QToolButton>

namespace {

QLineEdit* lineEdit(QWidget* parent, const char* name, const QString& text) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

} // namespace

QuickConnectBar::QuickConnectBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Quickpanel"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    m_host = lineEdit(this, "Quickhost", QString());
    m_user = lineEdit(this, "QuickUser", QStringLiteral("anonymous"));
    m_pass = lineEdit(this, "Quickpass", QStringLiteral("demo@"));
    m_pass->setEchoMode(QLineEdit::Password);
    m_port = lineEdit(this, "quickport", QStringLiteral("21"));
    m_port->setMaximumWidth(60);
    m_port->setValidator(new QIntValidator(1, 65535, m_port));
    const std::pair<const char*, QLineEdit*> fields[] = {
        {"IP/Host Name", m_host}, {"UserName", m_user}, {"Password", m_pass}, {"Port", m_port}};
    for (const auto& [label, field] : fields) {
        row->addWidget(new QLabel(QLatin1String(label), this));
        row->addWidget(field);
        connect(field, &QLineEdit::returnPressed, this, &QuickConnectBar::connectRequested);
    }
    m_connect = makeToolButton(this, "quick_connect", QStringLiteral("Connect"),
                               QStyle::SP_DialogApplyButton);
    m_export = makeToolButton(this, "export_site", QStringLiteral("Export to Site Manager"),
                              QStyle::SP_DialogSaveButton);
    connect(m_connect, &QToolButton::clicked, this, &QuickConnectBar::connectRequested);
    connect(m_export, &QToolButton::clicked, this, &QuickConnectBar::exportRequested);
    row->addWidget(m_connect);
    row->addWidget(m_export);
    row->addStretch();
    m_recentModel = new QStringListModel(this);
    m_completer = new QCompleter(m_recentModel, this);
    m_completer->setObjectName(QStringLiteral("recent_servers"));
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_host->setCompleter(m_completer);
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this,
            [this](const QString& host) {
                // After the field has taken the chosen text.
                QMetaObject::invokeMethod(
                    this, [this, host] { chooseRecent(host); }, Qt::QueuedConnection);
            });
    m_host->installEventFilter(this);
}

bool QuickConnectBar::eventFilter(QObject* watched, QEvent* event) {
    // Down in an empty or unchanged field opens the whole list.
    if (watched == m_host && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && !m_recent.isEmpty() &&
        !m_completer->popup()->isVisible()) {
        m_completer->setCompletionPrefix(QString());
        m_completer->complete();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void QuickConnectBar::setValues(const QString& host, const QString& port, const QString& user) {
    m_host->setText(host);
    if (!port.isEmpty()) m_port->setText(port);
    m_user->setText(user);
}

void QuickConnectBar::setRecent(const QList<Server>& servers) {
    // One entry a host: its newest port and user name.
    m_recent.clear();
    QStringList hosts;
    for (const Server& s : servers) {
        if (hosts.contains(s.host)) continue;
        hosts << s.host;
        m_recent << s;
    }
    m_recentModel->setStringList(hosts);
}

void QuickConnectBar::chooseRecent(const QString& host) {
    for (const Server& s : m_recent) {
        if (s.host == host) return setValues(s.host, s.port, s.user);
    }
}

QStringList QuickConnectBar::recentHosts() const {
    return m_recentModel->stringList();
}

QString QuickConnectBar::host() const {
    return m_host->text();
}
QString QuickConnectBar::user() const {
    return m_user->text();
}
QString QuickConnectBar::password() const {
    return m_pass->text();
}
QString QuickConnectBar::port() const {
    return m_port->text();
}
