// A main window through its whole start-up, from the defaults, with the quick-connect
// bar filled in for the scripted server in the test process.
#pragma once

#include "FakeFtpServer.h"
#include "Main.h"
#include "NavigationManager.h"
#include "WindowControls.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <memory>

class ScriptedWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.downloadData = "-rw-r--r-- 1 qq zz 5 Jan 1 2000 file.txt\r\n";
        clearStoredSettings();
        w = std::make_unique<TMainform>();
        w->quitApplication = [] {};
        w->FormCreate();
        w->CreateDialogs();
        type(QStringLiteral("127.0.0.1"), QStringLiteral("alice"), QStringLiteral("pw"),
             server.port());
    }
    void TearDown() override { w->Navigation()->CloseSession(); }
    void type(const QString& host, const QString& user, const QString& password,
              const QString& port) {
        control<QLineEdit>(w.get(), "Quickhost")->setText(host);
        control<QLineEdit>(w.get(), "QuickUser")->setText(user);
        control<QLineEdit>(w.get(), "Quickpass")->setText(password);
        control<QLineEdit>(w.get(), "quickport")->setText(port);
    }

    FakeFtpServer server;
    std::unique_ptr<TMainform> w;
};
