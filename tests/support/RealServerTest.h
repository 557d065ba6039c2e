#pragma once

#include "RealServers.h"

#include <gtest/gtest.h>

#include <string>

// A test run once per real FTP server ("pyftpdlib", "vsftpd", "pure-ftpd", "proftpd"):
// SetUp starts the server, and skips the test where the server needs root the test does
// not have.
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

// The four servers, for INSTANTIATE_TEST_SUITE_P, and their names as test names.
inline auto EveryServer() {
    return ::testing::Values("pyftpdlib", "vsftpd", "pure-ftpd", "proftpd");
}
inline std::string ServerTestName(const ::testing::TestParamInfo<const char*>& info) {
    std::string name = info.param;
    std::erase(name, '-'); // test names are identifiers
    return name;
}
