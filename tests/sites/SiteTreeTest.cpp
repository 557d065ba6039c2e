#include "SiteTree.h"
#include "Scratch.h"
#include "SiteInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class SiteTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = scratchDir() + QStringLiteral("/sites-") + QLatin1String(info->name());
        QDir(m_dir).removeRecursively();
        QDir().mkpath(m_dir);
        m_path = m_dir + QLatin1Char('/') + SiteTree::kFileName;
    }

    QByteArray fileBytes() const {
        QFile f(m_path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const QByteArray& data) const {
        QFile f(m_path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    // Root folder 0 with: site "Alpha" (1) holding bookmark "docs" (2), folder "Work" (3)
    // holding site "Beta" (4).
    void buildSample(SiteTree& tree) {
        ASSERT_EQ(
            tree.addEntry("Alpha", 0, "alpha.example.org", "", "", "", "/home/me", "/pub", true),
            1);
        ASSERT_EQ(tree.addEntry("docs", 1, "alpha.example.org", "", "", "", "/home/me/docs",
                                "/pub/docs", false),
                  2);
        ASSERT_EQ(tree.addFolder("Work", 0), 3);
        ASSERT_EQ(tree.addEntry("Beta", 3, "beta.example.org", "bob", "pw", "2121", "", "", true),
                  4);
    }

    QString m_dir, m_path;
};

TEST_F(SiteTreeTest, FirstStartWritesTheRootFolder) {
    SiteTree tree(m_path);
    const SiteTree::LoadResult result = tree.load();
    EXPECT_TRUE(result.created);
    EXPECT_TRUE(result.error.isEmpty());
    EXPECT_EQ(fileBytes().size(), 157);
    ASSERT_EQ(tree.topLevel().size(), 1u);
    const SiteEntry& root = *tree.topLevel()[0];
    EXPECT_EQ(root.label, QStringLiteral("FTP Sites"));
    EXPECT_EQ(root.kind, SiteKind::Folder);
    EXPECT_TRUE(root.columns.isEmpty());

    SiteTree again(m_path);
    EXPECT_FALSE(again.load().created);
    EXPECT_EQ(again.count(), 1);
    EXPECT_EQ(again.entryAt(0)->label, QStringLiteral("FTP Sites"));
}

TEST_F(SiteTreeTest, AnEmptyFileGetsTheRootFolder) {
    writeFile({});
    SiteTree tree(m_path);
    const SiteTree::LoadResult result = tree.load();
    EXPECT_TRUE(result.error.isEmpty());
    EXPECT_EQ(tree.count(), 1);
    EXPECT_EQ(tree.entryAt(0)->label, SiteTree::kRootLabel);
}

TEST_F(SiteTreeTest, EveryChangeIsSavedAndIndexesAreDepthFirst) {
    SiteTree tree(m_path);
    tree.load();
    buildSample(tree);

    SiteTree reread(m_path);
    reread.load();
    ASSERT_EQ(reread.count(), 5);
    const char* labels[] = {"FTP Sites", "Alpha", "docs", "Work", "Beta"};
    const SiteKind kinds[] = {SiteKind::Folder, SiteKind::Site, SiteKind::Bookmark,
                              SiteKind::Folder, SiteKind::Site};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(reread.entryAt(i)->label, QLatin1String(labels[i]));
        EXPECT_EQ(reread.entryAt(i)->kind, kinds[i]);
        EXPECT_EQ(reread.indexOf(reread.entryAt(i)), i);
    }
    EXPECT_EQ(reread.entryAt(4)->columns,
              (QStringList{"beta.example.org", "bob", "pw", "2121", "", ""}));
    EXPECT_EQ(reread.entryAt(5), nullptr);
    EXPECT_EQ(reread.entryAt(-1), nullptr);

    // Each record takes 74 bytes + label + (4 + length) per column text.
    qint64 expected = 74 + 74 + 9;
    for (int i = 1; i < 5; ++i) {
        const SiteEntry* e = reread.entryAt(i);
        expected += 74 + e->label.toUtf8().size();
        for (const QString& c : e->columns)
            expected += 4 + c.toUtf8().size();
    }
    EXPECT_EQ(fileBytes().size(), expected);
    // Site passwords are kept in clear text.
    EXPECT_TRUE(fileBytes().contains(QByteArray("\x02\0\0\0pw", 6)));

    // An entry inserted before Beta moves it one index on.
    EXPECT_EQ(tree.addEntry("more", 1, "alpha.example.org", "", "", "", "", "/pub/more", false), 3);
    EXPECT_EQ(tree.entryAt(5)->label, QStringLiteral("Beta"));
}

TEST_F(SiteTreeTest, RenameAndNonAsciiLabelsAreSaved) {
    SiteTree tree(m_path);
    tree.load();
    buildSample(tree);
    ASSERT_TRUE(tree.rename(3, QStringLiteral("Arbeit \u00fc\u00df")));
    SiteTree reread(m_path);
    reread.load();
    EXPECT_EQ(reread.entryAt(3)->label, QStringLiteral("Arbeit \u00fc\u00df"));
}

TEST_F(SiteTreeTest, DeleteRefusesTheRootAndRemovesWholeBranches) {
    SiteTree tree(m_path);
    tree.load();
    buildSample(tree);
    EXPECT_EQ(tree.remove(0), SiteTree::DeleteResult::IsRoot);
    EXPECT_EQ(tree.remove(99), SiteTree::DeleteResult::NoEntry);
    EXPECT_EQ(tree.remove(3), SiteTree::DeleteResult::Deleted);
    EXPECT_EQ(tree.count(), 3);

    SiteTree reread(m_path);
    reread.load();
    EXPECT_EQ(reread.count(), 3);
    EXPECT_EQ(reread.entryAt(2)->label, QStringLiteral("docs"));
}

TEST_F(SiteTreeTest, DropRulesFollowTheKinds) {
    SiteTree tree(m_path);
    tree.load();
    buildSample(tree);
    ASSERT_EQ(tree.addFolder("Sub", 3), 5);   // 5 under Work, after Beta(4)
    ASSERT_EQ(tree.addFolder("Empty", 0), 6); // top-level sibling of Work
    struct Case {
        int source, target;
        bool allowed;
        const char* why;
    };
    const Case cases[] = {
        {2, 3, false, "bookmark onto a folder"},
        {2, 4, true, "bookmark onto another site"},
        {2, 1, false, "bookmark onto its own site"},
        {4, 1, false, "site onto a site"},
        {4, 6, true, "site onto another folder"},
        {4, 3, false, "site onto its own parent"},
        {1, 3, true, "site onto a folder"},
        {3, 5, false, "folder into its own descendant"},
        {3, 3, false, "onto itself"},
        {3, 6, true, "folder onto a folder"},
        {0, 6, false, "the root folder"},
        {3, 2, false, "folder onto a bookmark"},
        {-1, 3, false, "nothing selected"},
        {3, 42, false, "no entry under the pointer"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tree.canDrop(c.source, c.target), c.allowed) << c.why;
}

TEST_F(SiteTreeTest, MoveAppendsToTheTargetAndSaves) {
    SiteTree tree(m_path);
    tree.load();
    buildSample(tree);
    EXPECT_FALSE(tree.move(4, 1));
    ASSERT_TRUE(tree.move(1, 3)); // Alpha with its bookmark goes after Beta in Work
    SiteTree reread(m_path);
    reread.load();
    const char* labels[] = {"FTP Sites", "Work", "Beta", "Alpha", "docs"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(reread.entryAt(i)->label, QLatin1String(labels[i]));
    EXPECT_EQ(reread.entryAt(4)->parent, reread.entryAt(3));
}

TEST_F(SiteTreeTest, ConnectionFillsInDefaultsAndTheSiteIndex) {
    SiteTree tree(m_path);
    tree.load();
    buildSample(tree);

    const auto alpha = tree.connection(1);
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->host, QStringLiteral("alpha.example.org"));
    EXPECT_EQ(alpha->user, QStringLiteral("anonymous"));
    EXPECT_EQ(alpha->password, QStringLiteral("rover@"));
    EXPECT_EQ(alpha->port, QStringLiteral("21"));
    EXPECT_EQ(alpha->remoteDir, QStringLiteral("/pub"));
    EXPECT_EQ(alpha->localDir, QStringLiteral("/home/me"));
    EXPECT_EQ(alpha->siteIndex, 1);

    const auto docs = tree.connection(2);
    ASSERT_TRUE(docs);
    EXPECT_EQ(docs->remoteDir, QStringLiteral("/pub/docs"));
    EXPECT_EQ(docs->siteIndex, 1); // a bookmark connects as its site

    const auto beta = tree.connection(4);
    ASSERT_TRUE(beta);
    EXPECT_EQ(beta->user, QStringLiteral("bob"));
    EXPECT_EQ(beta->password, QStringLiteral("pw"));
    EXPECT_EQ(beta->port, QStringLiteral("2121"));
    EXPECT_EQ(beta->siteIndex, 4);

    EXPECT_FALSE(tree.connection(0)); // a folder
    EXPECT_FALSE(tree.connection(-1));
}

TEST_F(SiteTreeTest, ADamagedFileIsKeptAndTheTreeStartsAgain) {
    SiteTree tree(m_path);
    tree.load();
    buildSample(tree);
    const QByteArray good = fileBytes();
    for (const QByteArray& damaged :
         {good.left(good.size() - 7), QByteArray("not a site file at all")}) {
        writeFile(damaged);
        SiteTree reread(m_path);
        const SiteTree::LoadResult result = reread.load();
        EXPECT_FALSE(result.error.isEmpty());
        ASSERT_FALSE(result.keptAs.isEmpty());
        QFile kept(result.keptAs);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), damaged);
        EXPECT_EQ(reread.count(), 1);
        EXPECT_EQ(reread.entryAt(0)->label, SiteTree::kRootLabel);
        EXPECT_EQ(fileBytes().size(), 157);
    }
    EXPECT_EQ(QDir(m_dir).entryList(QDir::Files).size(), 3); // the new file and two kept copies
}

TEST_F(SiteTreeTest, EntriesKeepTheirIdWhenOthersComeAndGo) {
    SiteTree tree(m_path);
    tree.load();
    buildSample(tree);
    const uint64_t beta = tree.entryAt(4)->id;
    tree.addFolder("Before", 0); // appended under the root: Beta keeps index 4
    ASSERT_EQ(tree.addEntry("Gamma", 1, "g", "", "", "", "", "", false), 3);
    EXPECT_EQ(tree.indexOfId(beta), 5); // inserted before it: its index moved, its id did not
    EXPECT_EQ(tree.connection(5)->siteId, beta);
    EXPECT_EQ(tree.connection(2)->siteId, tree.entryAt(1)->id); // a bookmark names its site
    tree.remove(5);
    EXPECT_EQ(tree.indexOfId(beta), -1);
}

TEST_F(SiteTreeTest, ReadingChangesNothingOnDisk) {
    SiteTree missing(m_path);
    EXPECT_TRUE(missing.read());
    EXPECT_FALSE(QFileInfo::exists(m_path)); // load() would have written it
    EXPECT_EQ(missing.entryAt(0)->label, SiteTree::kRootLabel);
    writeFile("damaged");
    SiteTree damaged(m_path);
    QString error;
    EXPECT_FALSE(damaged.read(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(), QByteArray("damaged")); // not set aside
}

TEST(SiteInfo, TheDialogFieldsFillInTheAnonymousDefaults) {
    SiteInfo::Fields f = SiteInfo::fill(SiteInfo::forNewSite());
    EXPECT_EQ(f.user, "anonymous");
    EXPECT_TRUE(f.anonymous);
    EXPECT_EQ(f.password, "rover@");
    EXPECT_EQ(f.port, "21");
    f = SiteInfo::fill({"L", "h", "anonymous", "", "2121", "/l", "/r", "", "", ""});
    EXPECT_TRUE(f.anonymous);
    EXPECT_EQ(f.password, "rover@"); // an empty stored password
    EXPECT_EQ(f.port, "2121");
    f = SiteInfo::fill({"L", "h", "bob", "pw", "", "", "", "bm", "/bl", "/br"});
    EXPECT_FALSE(f.anonymous);
    EXPECT_EQ(f.user, "bob");
    EXPECT_EQ(f.bookmarkLocal, "/bl");
    EXPECT_EQ(SiteInfo::siteColumns(f), (QStringList{"h", "bob", "pw", "21", "", ""}));
    EXPECT_EQ(SiteInfo::bookmarkColumns(f), (QStringList{"h", "bob", "pw", "21", "/bl", "/br"}));
}

TEST(SiteInfo, ValidationMessagesByModeAndTheHostAndPortRules) {
    const QString site = "Please Enter the Values of\n\t'Site Label'\n\t'Host/IP'\n\t'Username'\n\t"
                         "'Password'\n\t'Port'";
    const QString bookmark = "Please Enter the Values of\n\t'Book Mark Label'\n\t'Local "
                             "Directory'\n\t'Remote Directory'";
    SiteInfo::Fields f = SiteInfo::fill({"L", "ftp.example.org", "u", "p", "21"});
    EXPECT_EQ(SiteInfo::validate(f, SiteInfo::Mode::Site), QString());
    EXPECT_EQ(SiteInfo::validate(f, SiteInfo::Mode::Bookmark), bookmark);
    f.label.clear();
    EXPECT_EQ(SiteInfo::validate(f, SiteInfo::Mode::Site), site);
    struct Case {
        const char *host, *port;
        bool fine;
    };
    for (const Case& c :
         {Case{"ftp.example.org", "21", true}, Case{"10.0.0.1", "65535", true},
          Case{"ftp.example.org", "0", false}, Case{"ftp.example.org", "65536", false},
          Case{"ftp.example.org", "2x", false}, Case{"ftp example.org", "21", false},
          Case{"ftp\x01.org", "21", false}, Case{"", "21", false}}) {
        EXPECT_EQ(
            SiteInfo::connectionProblem(QLatin1String(c.host), QLatin1String(c.port)).isEmpty(),
            c.fine)
            << c.host << ":" << c.port;
    }
}

TEST_F(SiteTreeTest, MenuEnablingByKindAndWhereANewSiteGoes) {
    SiteTree tree(m_path);
    tree.load();
    buildSample(tree);
    const auto states = [&](int index) {
        const SiteInfo::MenuStates m = SiteInfo::menuFor(tree.entryAt(index));
        return QString("%1%2%3%4%5%6%7")
            .arg(m.connect)
            .arg(m.rename)
            .arg(m.del)
            .arg(m.edit)
            .arg(m.newFolder)
            .arg(m.newSite)
            .arg(m.newBookmark);
    };
    // connect, rename, delete, edit, new folder, new site, new bookmark
    EXPECT_EQ(states(0), "0110110");  // a folder
    EXPECT_EQ(states(1), "1111001");  // a site
    EXPECT_EQ(states(2), "1111000");  // a bookmark
    EXPECT_EQ(states(-1), "0000000"); // empty space
    EXPECT_EQ(SiteInfo::newSiteParent(tree, nullptr), 0);
    EXPECT_EQ(SiteInfo::newSiteParent(tree, tree.entryAt(4)), 3); // beside a site
    EXPECT_EQ(SiteInfo::newSiteParent(tree, tree.entryAt(2)), 0); // beside a bookmark's site
    EXPECT_EQ(SiteInfo::newSiteParent(tree, tree.entryAt(3)), 3); // into a folder
}

} // namespace
