// A test with an FTP client aimed at a scripted server in the test process, and the
// local-file helpers the transfer cases need.
#pragma once

#include "FakeFtpServer.h"
#include "FtpRecorder.h"
#include "Scratch.h"

#include <QFile>

#include <gtest/gtest.h>

// Points a client at the scripted server with a user and a password.
inline void aimAt(TFtpClient& client, const FakeFtpServer& server,
                  const QString& password = QStringLiteral("s3cret-pass")) {
    client.SetHostName(QStringLiteral("127.0.0.1"));
    client.SetPort(server.port());
    client.SetUserName(QStringLiteral("tester"));
    client.SetPassWord(password);
}

class ScriptedFtpTest : public ::testing::Test {
protected:
    void SetUp() override {
        aimAt(client, server);
        rec.attach(client);
    }
    // Opens and logs in; asserts success.
    void login() {
        client.ConnectAsync();
        ASSERT_EQ(rec.waitDone(), 0) << client.LastReply().toStdString();
    }
    QString localPath(const QString& name) const { return scratchDir() + u'/' + name; }
    static QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void writeFile(const QString& path, const QByteArray& data) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
    }

    FakeFtpServer server;
    TFtpClient client;
    FtpRecorder rec;
};
