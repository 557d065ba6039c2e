#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <ostream>

// Readable QString and QStringList values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '[' << l.join(QStringLiteral(", ")).toStdString() << ']';
}

// The message of the exception of type E that call() throws; "" when it throws none.
template <typename E> QString ThrownText(const std::function<void()>& call) {
    try {
        call();
    } catch (const E& e) {
        return e.message();
    }
    return {};
}

// Runs the event loop until done() holds or the time is up; returns done().
bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs the event loop for a while (to let stray events show up).
void spinFor(int ms);

// A loopback TCP port that nothing listens on at the moment.
quint16 freePort();

// True once something accepts connections on 127.0.0.1:port.
bool waitForPort(quint16 port, int timeoutMs = 10000);

// A server program started by a test, stopped (by its own process id) when the
// object goes.
class ServerProcess {
public:
    ServerProcess(const QString& program, const QStringList& args);
    ~ServerProcess();
    bool started() const { return m_started; }
    QString output() const;

private:
    std::unique_ptr<QProcess> m_process;
    bool m_started = false;
};
