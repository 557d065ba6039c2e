// Packing, the archive names and the self-extracting program: archives listed and read
// back with libzip, the stub run as a real program on trees, hostile and damaged archives.
#include "Scratch.h"
#include "SelfExtractor.h"
#include "TestFiles.h"
#include "ZipContents.h"
#include "ZipNaming.h"
#include "ZipPacker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <zip.h>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

class ZipTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = scratchDir() + QStringLiteral("/zip-") + QLatin1String(info->name());
        QDir(root).removeRecursively();
        QDir().mkpath(root);
    }
    // A folder tree and a file beside it.
    void makeSources() {
        writeFile(root + "/src/tree/a.txt", "alpha\n");
        writeFile(root + "/src/tree/sub/b.bin", pattern(300000, 7));
        writeFile(root + "/src/tree/sub/deeper/c.txt", QByteArray(50000, 'c'));
        writeFile(root + "/src/tree/.hidden", "not packed");
        QDir().mkpath(root + "/src/tree/empty");
        writeFile(root + "/src/single.txt", "single file\n");
    }
    // The archive's entry names in order, and each file's bytes.
    static QStringList names(const QString& archive, QMap<QString, QByteArray>* files = nullptr) {
        QStringList out;
        for (const auto& [name, data] : zipContents(archive)) {
            out << name;
            if (files && !name.endsWith(u'/')) files->insert(name, data);
        }
        return out;
    }
    // Runs a self-extracting program; its exit code (-1 when it crashed), output in *out.
    static int run(const QString& program, const QStringList& args, QString* out = nullptr,
                   const QByteArray& input = {}) {
        QProcess p;
        p.start(program, args);
        if (!input.isEmpty()) p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(30000)) return -2;
        if (out)
            *out = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    // A hand-made archive with the given entry names (a link when the data starts "->").
    QString hostile(const QList<QPair<QByteArray, QByteArray>>& entries) {
        const QString path = root + "/hostile.zip";
        zip_t* z =
            zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
        for (const auto& [name, data] : entries) {
            const bool link = data.startsWith("->");
            const QByteArray body = link ? data.mid(2) : data;
            auto* copy = static_cast<char*>(malloc(size_t(body.size())));
            memcpy(copy, body.constData(), size_t(body.size()));
            zip_source_t* s = zip_source_buffer(z, copy, zip_uint64_t(body.size()), 1);
            const zip_int64_t i = zip_file_add(z, name.constData(), s, 0);
            if (link)
                zip_file_set_external_attributes(z, zip_uint64_t(i), 0, ZIP_OPSYS_UNIX,
                                                 zip_uint32_t(S_IFLNK | 0777) << 16);
        }
        zip_close(z);
        QString program;
        EXPECT_EQ(SelfExtractor::ConvertSFX(path, &program), 0);
        return program;
    }

    QString root;
};

TEST(ZipNaming, NamesExtensionsAndRemotePaths) {
    const std::pair<const char*, const char*> names[] = {
        {"Backup", "Backup.zip"}, {"Backup.zip", "Backup.zip"}, {"Backup.ZIP", "Backup.ZIP"},
        {"b.Zip", "b.Zip"},       {"site.tar", "site.tar.zip"}, {"zip", "zip.zip"}};
    for (const auto& [typed, name] : names)
        EXPECT_EQ(ZipNaming::archiveName(QLatin1String(typed)), QLatin1String(name)) << typed;
    EXPECT_EQ(ZipNaming::programName("/tmp/x/Backup.zip"), "/tmp/x/Backup.exe");
    EXPECT_EQ(ZipNaming::programName("/tmp/x/Backup.ZIP"), "/tmp/x/Backup.exe");
    EXPECT_EQ(ZipNaming::remotePath("/", "Backup.zip"), "/Backup.zip");
    EXPECT_EQ(ZipNaming::remotePath("/pub/in", "Backup.zip"), "/pub/in/Backup.zip");
    for (const char* bad : {"", "../x", "a/b", "..", ".", "tab\there"})
        EXPECT_FALSE(ZipNaming::problem(QLatin1String(bad)).isEmpty()) << bad;
    EXPECT_TRUE(ZipNaming::problem("Backup 2026").isEmpty());
}

TEST_F(ZipTest, AFolderRowAndAFileRowMakeOneArchiveWithTheirDirectoryNames) {
    makeSources();
    const QString archive = root + "/out/Backup.zip";
    QDir().mkpath(root + "/out");
    const ZipPacker::Result r =
        ZipPacker::pack({root + "/src/tree", root + "/src/single.txt"}, archive, 9);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    QMap<QString, QByteArray> files;
    EXPECT_EQ(names(archive, &files),
              (QStringList{"tree/", "tree/a.txt", "tree/empty/", "tree/sub/", "tree/sub/b.bin",
                           "tree/sub/deeper/", "tree/sub/deeper/c.txt", "single.txt"}));
    EXPECT_EQ(files.value("tree/sub/b.bin"), pattern(300000, 7));
    EXPECT_EQ(files.value("single.txt"), QByteArray("single file\n"));
    EXPECT_LT(QFileInfo(archive).size(), 300000 + 50000); // the text was compressed
}

TEST_F(ZipTest, LinksInsideAFolderThatLeadOutOfItAreLeftOut) {
    writeFile(root + "/outside/secret.txt", "not for the server");
    writeFile(root + "/outside/dir/also.txt", "nor this");
    writeFile(root + "/pack/kept.txt", "kept");
    ASSERT_TRUE(QFile::link(root + "/outside/secret.txt", root + "/pack/to-file"));
    ASSERT_TRUE(QFile::link(root + "/outside/dir", root + "/pack/to-folder"));
    ASSERT_TRUE(QFile::link(root + "/outside", root + "/pack/sub-link"));
    const QString archive = root + "/links.zip";
    const ZipPacker::Result r = ZipPacker::pack({root + "/pack"}, archive, 6);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    QMap<QString, QByteArray> files;
    EXPECT_EQ(names(archive, &files), (QStringList{"pack/", "pack/kept.txt"}));
    for (const QByteArray& data : files)
        EXPECT_FALSE(data.contains("not for the server") || data.contains("nor this"));
}

TEST_F(ZipTest, APackingErrorAndACancelLeaveNoArchive) {
    makeSources();
    const QString archive = root + "/Broken.zip";
    ZipPacker::Result r =
        ZipPacker::pack({root + "/src/single.txt", root + "/gone.txt"}, archive, 6);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains("gone.txt")) << r.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(archive));

    writeFile(root + "/big/data.bin", pattern(8 << 20, 3));
    int calls = 0;
    r = ZipPacker::pack({root + "/big"}, archive, 6, [&](double) { return ++calls < 3; });
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(QFileInfo::exists(archive));
}

TEST_F(ZipTest, TheSelfExtractorReplacesTheZipAndExtractsAByteIdenticalTree) {
    makeSources();
    const QString archive = root + "/Backup.zip";
    ASSERT_TRUE(ZipPacker::pack({root + "/src/tree", root + "/src/single.txt"}, archive, 9).ok);
    QString program;
    ASSERT_EQ(SelfExtractor::ConvertSFX(archive, &program), 0);
    EXPECT_EQ(program, root + "/Backup.exe");
    EXPECT_FALSE(QFileInfo::exists(archive));
    EXPECT_TRUE(QFileInfo(program).isExecutable());

    QString out;
    ASSERT_EQ(run(program, {root + "/into"}, &out), 0) << out.toStdString();
    QMap<QString, QByteArray> expected = fileTree(root + "/src");
    expected.remove("tree/.hidden");
    EXPECT_EQ(fileTree(root + "/into"), expected);
    EXPECT_TRUE(QFileInfo(root + "/into/tree/empty").isDir());

    // Without an argument it asks for the folder.
    ASSERT_EQ(run(program, {}, &out, (root + "/asked\n").toUtf8()), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("Extract into folder:"));
    EXPECT_EQ(fileTree(root + "/asked"), expected);
}

TEST_F(ZipTest, HostileAndDamagedArchivesAreRefusedAndNothingIsWritten) {
    struct Case {
        QList<QPair<QByteArray, QByteArray>> entries;
        const char* said;
    };
    const QList<Case> cases = {
        {{{"fine.txt", "ok"}, {"../x.txt", "out"}}, "out of the folder"},
        {{{"/tmp/abs-quillon.txt", "abs"}}, "absolute path"},
        {{{"a/../../y.txt", "out"}}, "out of the folder"},
        {{{"link", "->/etc"}, {"link/passwd", "overwrite"}}, "symbolic link"},
        {{{"back\\slash.txt", "b"}}, "backslash"},
    };
    for (const Case& c : cases) {
        const QString program = hostile(c.entries);
        const QString into = root + "/into";
        QDir(into).removeRecursively();
        QString out;
        EXPECT_EQ(run(program, {into}, &out), 1) << c.said;
        EXPECT_TRUE(out.contains(QLatin1String(c.said))) << out.toStdString();
        EXPECT_TRUE(fileTree(into).isEmpty()) << c.said;
        EXPECT_FALSE(QFileInfo::exists(root + "/x.txt"));
        EXPECT_FALSE(QFileInfo::exists("/tmp/abs-quillon.txt"));
    }

    // Damaged: bytes of the data changed, then the archive cut short.
    makeSources();
    ASSERT_TRUE(ZipPacker::pack({root + "/src/tree"}, root + "/Good.zip", 6).ok);
    QString program;
    ASSERT_EQ(SelfExtractor::ConvertSFX(root + "/Good.zip", &program), 0);
    QByteArray bytes = readFile(program);
    const QByteArray flipped = bytes;
    for (qsizetype i = bytes.size() - 200000; i < bytes.size() - 190000; ++i)
        bytes[i] = char(bytes[i] ^ 0x5a);
    writeFile(root + "/flipped.exe", bytes);
    writeFile(root + "/cut.exe", flipped.left(flipped.size() - 1000));
    for (const char* name : {"/flipped.exe", "/cut.exe"}) {
        QFile::setPermissions(root + name, QFileDevice::Permissions(0x7700));
        QString out;
        EXPECT_EQ(run(root + name, {root + "/damaged"}, &out), 1) << name << out.toStdString();
        EXPECT_TRUE(out.contains("Self-extracting Archive:")) << out.toStdString();
    }
}

TEST_F(ZipTest, WithoutAStubTheZipStaysAndNoProgramIsLeft) {
    writeFile(root + "/a.zip", "not even read");
    QString program;
    EXPECT_EQ(SelfExtractor::ConvertSFX(root + "/a.zip", &program, root + "/no-stub"),
              SelfExtractor::NoStub);
    EXPECT_TRUE(QFileInfo::exists(root + "/a.zip"));
    EXPECT_FALSE(QFileInfo::exists(root + "/a.exe"));
}

} // namespace
