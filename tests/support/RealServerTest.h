#pragma once

#include "RealServers.h"

#include <gtest/gtest.h>

// A test run once per real FTP server ("pyftpdlib", "vsftpd"): SetUp starts the server,
// and skips the test where the server needs root the test does not have.
class RealServerTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        server = StartServer(QLatin1String(GetParam()));
        if (server.ok()) return;
        if (server.failure.contains(QLatin1String("needs root")))
            GTEST_SKIP() << server.failure.toStdString();
        FAIL() << server.failure.toStdString();
    }
    // True when the derived SetUp should not go on.
    bool stopped() const { return IsSkipped() || HasFailure(); }

    RealFtpServer server;
};
