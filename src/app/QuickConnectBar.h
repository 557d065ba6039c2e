// The quick-connect bar "Quickpanel": host, user, password and port, the connect button
// and "Export to Site Manager". Enter in any field connects, as the button does.
#pragma once

#include <QWidget>

class QCompleter;
class QLineEdit;
class QStringListModel;
class QToolButton;

class QuickConnectBar : public QWidget {
    Q_OBJECT
public:
    explicit QuickConnectBar(QWidget* parent = nullptr);

    QString host() const;
    QString user() const;
    QString password() const;
    QString port() const;

    // The fields as they were last used (the password stays as it is).
    void setValues(const QString& host, const QString& port, const QString& user);
    // The servers offered by the host field as it is typed in or opened with the Down
    // key, the newest first; choosing one fills its port and user name too.
    struct Server {
        QString host, port, user;
    };
    void setRecent(const QList<Server>& servers);
    QStringList recentHosts() const;
    // Fills the fields from the recent server of that host.
    void chooseRecent(const QString& host);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void connectRequested();
    void exportRequested();

private:
    QLineEdit *m_host = nullptr, *m_user = nullptr, *m_pass = nullptr, *m_port = nullptr;
    QToolButton *m_connect = nullptr, *m_export = nullptr;
    QCompleter* m_completer = nullptr;
    QStringListModel* m_recentModel = nullptr;
    QList<Server> m_recent;
};
