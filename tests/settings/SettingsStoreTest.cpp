#include "SettingsStore.h"
#include "Scramble.h"
#include "Scratch.h"
#include "StoredDefaults.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>

// Every file moved into place by rename() while the test runs, with its mode at that
// moment: the settings file must never be readable by others, not even for an instant.
namespace {
QList<QPair<QString, mode_t>> g_renamed;
}

extern "C" int rename(const char* from, const char* to) {
    using Real = int (*)(const char*, const char*);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "rename"));
    struct stat st {};
    if (::stat(from, &st) == 0) g_renamed.append({QString::fromLocal8Bit(to), st.st_mode & 0777});
    return real(from, to);
}

extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    using Real = int (*)(int, const char*, int, const char*, unsigned);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "renameat2"));
    struct stat st {};
    if (::fstatat(fromDir, from, &st, 0) == 0)
        g_renamed.append({QString::fromLocal8Bit(to), st.st_mode & 0777});
    return real(fromDir, from, toDir, to, flags);
}

// A file made anonymously (O_TMPFILE) is given its name by linkat.
extern "C" int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    using Real = int (*)(int, const char*, int, const char*, int);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "linkat"));
    struct stat st {};
    if (::fstatat(fromDir, from, &st, flags & AT_EMPTY_PATH) == 0)
        g_renamed.append({QString::fromLocal8Bit(to), st.st_mode & 0777});
    return real(fromDir, from, toDir, to, flags);
}

namespace {

QSettings& raw() {
    static QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("1Quillon"),
                       QStringLiteral("1Quillon"));
    return s;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        raw().clear();
        raw().sync();
    }
    void store(const QString& name, const QString& value) {
        raw().setValue(QStringLiteral("Settings/") + name, value);
        raw().sync();
    }
    QString stored(const QString& name) {
        raw().sync();
        return raw().value(QStringLiteral("Settings/") + name).toString();
    }
};

TEST_F(SettingsStoreTest, TheFirstSaveWritesAnOwnerOnlyFileFromTheStart) {
    QFile::remove(SettingsStore().fileName());
    const mode_t mask = ::umask(022); // as most desktops run
    g_renamed.clear();
    SettingsRecord record;
    ASSERT_TRUE(SettingsStore().save(record, nullptr));
    ::umask(mask);
    bool seen = false;
    for (const auto& [path, mode] : g_renamed) {
        if (path != SettingsStore().fileName()) continue;
        seen = true;
        EXPECT_EQ(mode, mode_t(0600)) << path.toStdString();
    }
    EXPECT_TRUE(seen) << "the settings file was not moved into place";
    EXPECT_EQ(QFileInfo(SettingsStore().fileName()).permissions() & 0x0077, 0);
}

TEST_F(SettingsStoreTest, FileLivesInTheScratchConfigFolder) {
    EXPECT_TRUE(SettingsStore().fileName().startsWith(scratchDir()))
        << SettingsStore().fileName().toStdString();
}

TEST_F(SettingsStoreTest, FirstRunKeepsDefaultsAndSaveWritesAllValues) {
    SettingsStore store;
    SettingsRecord record;
    EXPECT_TRUE(store.load(record).isEmpty());
    EXPECT_EQ(record.asciiExtensions(), defaultAsciiExtensions());
    ASSERT_TRUE(store.save(record));

    raw().sync();
    raw().beginGroup(QStringLiteral("Settings"));
    EXPECT_EQ(raw().childKeys().size(), kSettingCount);
    raw().endGroup();
    for (const auto& [name, value] : kStoredDefaults) {
        EXPECT_TRUE(raw().contains(QStringLiteral("Settings/") + QLatin1String(name))) << name;
        EXPECT_EQ(stored(QLatin1String(name)), QLatin1String(value)) << name;
    }
    raw().beginGroup(QStringLiteral("Settings/AsciiExtensions"));
    for (const QString& ext : defaultAsciiExtensions())
        EXPECT_EQ(raw().value(ext).toString(), ext);
    EXPECT_EQ(raw().childKeys().size(), defaultAsciiExtensions().size());
    raw().endGroup();
}

TEST_F(SettingsStoreTest, ChangedValuesSurviveASaveAndLoad) {
    SettingsRecord record;
    record.setFlag(Setting::QuickBar, true);
    record.setText(Setting::ConnectionType, QStringLiteral("Socks4A"));
    record.setInteger(Setting::ThreadsAllowed, 7);
    record.setText(Setting::ProxyServer, QStringLiteral("proxy.example.org, second"));
    record.setText(Setting::SocksPass, QStringLiteral("s3cret"));
    record.setInteger(Setting::ErrorMsgColor, 0x00ff00);
    record.setText(Setting::TransferErrorWave, QStringLiteral("@/home/u/error sound.wav"));
    record.setAsciiExtensions({QStringLiteral(".txt"), QStringLiteral(".log")});
    ASSERT_TRUE(SettingsStore().save(record));

    SettingsRecord back;
    EXPECT_TRUE(SettingsStore().load(back).isEmpty());
    for (int i = 0; i < kSettingCount; ++i)
        EXPECT_EQ(back.text(Setting(i)), record.text(Setting(i))) << i;
    EXPECT_EQ(back.asciiExtensions(),
              (QStringList{QStringLiteral(".log"), QStringLiteral(".txt")}));
}

TEST_F(SettingsStoreTest, EmptyStoredValuesFollowTheirLoadRule) {
    SettingsRecord record;
    record.setText(Setting::ProxyServer, QStringLiteral("typed.example.org"));
    record.setText(Setting::SocksUser, QStringLiteral("me"));
    for (const char* name : {"ProxyServer", "ProxyPort", "SocksUser", "SocksPort", "ToolBar",
                             "ThreadsAllowed", "FtpCommandColor", "TransferErrorWave"}) {
        store(QLatin1String(name), QString());
    }
    SettingsStore().load(record);
    EXPECT_EQ(record.text(Setting::ProxyServer), QString()); // always set
    EXPECT_EQ(record.text(Setting::SocksUser), QString());
    EXPECT_EQ(record.text(Setting::ProxyPort), QStringLiteral("8021")); // set when not empty
    EXPECT_EQ(record.text(Setting::SocksPort), QStringLiteral("1080"));
    EXPECT_TRUE(record.flag(Setting::ToolBar));
    EXPECT_EQ(record.integer(Setting::ThreadsAllowed), 3);
    EXPECT_EQ(record.integer(Setting::FtpCommandColor), 16711680);
}

TEST_F(SettingsStoreTest, AValueThatIsNotANumberFallsBackAndTheLoadGoesOn) {
    store(QStringLiteral("ToolBar"), QStringLiteral("yes"));
    store(QStringLiteral("ThreadsAllowed"), QStringLiteral("abc"));
    store(QStringLiteral("AttemptsAllowed"), QStringLiteral("7"));
    store(QStringLiteral("FtpLogColor"), QStringLiteral("white"));
    store(QStringLiteral("SocksPort"), QStringLiteral("1081"));
    store(QStringLiteral("ZipOptions"), QStringLiteral("1"));
    SettingsRecord record;
    record.setInteger(Setting::ThreadsAllowed, 9);
    const QStringList problems = SettingsStore().load(record);
    EXPECT_EQ(problems.size(), 3) << problems.join('\n').toStdString();
    EXPECT_TRUE(record.flag(Setting::ToolBar));
    EXPECT_EQ(record.integer(Setting::ThreadsAllowed), 3);
    EXPECT_EQ(record.integer(Setting::FtpLogColor), 16777215);
    EXPECT_EQ(record.integer(Setting::AttemptsAllowed), 7);
    EXPECT_EQ(record.text(Setting::SocksPort), QStringLiteral("1081"));
    EXPECT_EQ(record.integer(Setting::ZipOptions), 1);
}

TEST_F(SettingsStoreTest, NumbersAreKeptInTheirRangesAndFlagsTakeAnyNonZero) {
    store(QStringLiteral("ThreadsAllowed"), QStringLiteral("500"));
    store(QStringLiteral("AttemptsAllowed"), QStringLiteral("0"));
    store(QStringLiteral("OverwriteOption"), QStringLiteral("9"));
    store(QStringLiteral("PromptOverwrite"), QStringLiteral("-1"));
    store(QStringLiteral("DeleteCompleted"), QStringLiteral("0"));
    SettingsRecord record;
    record.setFlag(Setting::DeleteCompleted, true);
    SettingsStore().load(record);
    EXPECT_EQ(record.integer(Setting::ThreadsAllowed), 100);
    EXPECT_EQ(record.integer(Setting::AttemptsAllowed), 1);
    EXPECT_EQ(record.integer(Setting::OverwriteOption), 3);
    EXPECT_TRUE(record.flag(Setting::PromptOverwrite));
    EXPECT_FALSE(record.flag(Setting::DeleteCompleted));
}

TEST_F(SettingsStoreTest, ConnectionTypeTakesOnlyTheFiveExactTexts) {
    SettingsRecord record;
    const std::pair<const char*, const char*> cases[] = {{"Socks5", "Socks5"},
                                                         {"socks5", "Socks5"},
                                                         {"Proxy", "Proxy"},
                                                         {"HTTP", "Proxy"},
                                                         {"Direct", "Direct"}};
    for (const auto& [storedText, expected] : cases) {
        store(QStringLiteral("ConnectionType"), QLatin1String(storedText));
        SettingsStore().load(record);
        EXPECT_EQ(record.text(Setting::ConnectionType), QLatin1String(expected)) << storedText;
    }
}

TEST_F(SettingsStoreTest, ExtensionsThatDifferOnlyInCaseAreStoredOnce) {
    SettingsRecord record;
    record.setAsciiExtensions(
        {QStringLiteral(".txt"), QStringLiteral(".TXT"), QStringLiteral(".htm")});
    EXPECT_EQ(record.asciiExtensions().size(), 3); // the dialog's list keeps both
    ASSERT_TRUE(SettingsStore().save(record));
    raw().sync();
    raw().beginGroup(QStringLiteral("Settings/AsciiExtensions"));
    EXPECT_EQ(raw().childKeys().size(), 2);
    raw().endGroup();

    SettingsRecord back;
    SettingsStore().load(back);
    EXPECT_EQ(back.asciiExtensions().size(), 2);

    // A save replaces the whole list.
    back.setAsciiExtensions({QStringLiteral(".c")});
    ASSERT_TRUE(SettingsStore().save(back));
    SettingsRecord again;
    SettingsStore().load(again);
    EXPECT_EQ(again.asciiExtensions(), QStringList{QStringLiteral(".c")});
}

TEST(Scramble, InvertsTheTopBitBothWays) {
    EXPECT_EQ(Scramble("abc"), QByteArray::fromHex("e1e2e3"));
    EXPECT_EQ(Scramble(QByteArray::fromHex("e1e2e3")), "abc");
    EXPECT_EQ(Scramble(""), "");
    const QByteArray all = [] {
        QByteArray b;
        for (int i = 0; i < 256; ++i)
            b += char(i);
        return b;
    }();
    EXPECT_EQ(Scramble(Scramble(all)), all);
}

TEST_F(SettingsStoreTest, SocksPasswordIsStoredScrambledAndWhole) {
    // "À" is C3 80 in UTF-8: the 80 byte scrambles to 0, which must not end the text.
    const QString password = QStringLiteral("p\u00c0ss word");
    SettingsRecord record;
    record.setText(Setting::SocksPass, password);
    ASSERT_TRUE(SettingsStore().save(record));

    QFile file(SettingsStore().fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray contents = file.readAll();
    EXPECT_FALSE(contents.contains("ss word")) << contents.constData();
    EXPECT_EQ(stored(QStringLiteral("SocksPass")).toLatin1(), Scramble(password.toUtf8()));

    SettingsRecord back;
    SettingsStore().load(back);
    EXPECT_EQ(back.text(Setting::SocksPass), password);
}

} // namespace
