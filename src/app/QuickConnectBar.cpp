#include "QuickConnectBar.h"

#include "ToolButton.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
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
