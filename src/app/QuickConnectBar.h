// The quick-connect bar "Quickpanel": host, user, password and port, the connect button
// and "Export to Site Manager". Enter in any field connects, as the button does.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class QuickConnectBar : public QWidget {
    Q_OBJECT
public:
    explicit QuickConnectBar(QWidget* parent = nullptr);

    QString host() const;
    QString user() const;
    QString password() const;
    QString port() const;

signals:
    void connectRequested();
    void exportRequested();

private:
    QLineEdit *m_host = nullptr, *m_user = nullptr, *m_pass = nullptr, *m_port = nullptr;
    QToolButton *m_connect = nullptr, *m_export = nullptr;
};
