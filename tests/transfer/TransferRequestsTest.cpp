// What the panes' transfer commands put into the working queue.
#include "TransferRequests.h"
#include "GlobalTask.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CountingScheduler : QueueScheduler {
    int scans = 0;
    void ScanQueue() override { ++scans; }
    void CancelItem(QueueItem*) override {}
};

class TransferRequestsTest : public ::testing::Test {
protected:
    QueueItem* top(int row) const { return queue.root()->children[size_t(row)].get(); }
    QString field(int row, const char* key) const {
        return QString::fromUtf8(queue_manager::GetField(top(row), QLatin1String(key)));
    }
    size_t count() const { return queue.root()->children.size(); }

    SettingsSource settings;
    QueueModel queue{false};
    QueueModel failQueue{true};
    queue_manager manager{queue, failQueue, settings};
    CountingScheduler scheduler;
    TransferRequests requests{manager, scheduler};
    TransferAccount account{QStringLiteral("127.0.0.1:2121"), QStringLiteral("bob"),
                            QStringLiteral("secret")};
};

TEST_F(TransferRequestsTest, TheSizeEstimateIsTheKilobyteTextTimes1024RoundedUp) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.50", "1536"}, {"0.01", "11"}, {"0.00", "0"}, {"1234.57", "1264200"},
        {"2.00", "2048"}, {"", "0"},      {"junk", "0"}, {"4194304.00", "4294967296"}};
    for (const auto& [kb, bytes] : cases)
        EXPECT_EQ(TransferRequests::SizeEstimate(QLatin1String(kb)), QLatin1String(bytes)) << kb;
}

TEST_F(TransferRequestsTest, UploadsQueueOneItemPerPathInOrderAndLeaveOutWhatIsGone) {
    QTemporaryDir dir;
    const QString root = dir.path();
    QDir().mkpath(root + "/data");
    QFile f(root + "/b.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("12345");
    f.close();
    const QStringList missing = requests.Upload(
        {root + "/data/", root + "/gone.bin", root + "/b.txt"}, QStringLiteral("/pub"), account);
    EXPECT_EQ(missing, QStringList{root + "/gone.bin"});
    ASSERT_EQ(count(), 2u);
    EXPECT_EQ(field(0, "remote_path"), QStringLiteral("/pub/data"));
    EXPECT_EQ(field(0, "local_path"), root + "/data/");
    EXPECT_EQ(field(0, "op"), QStringLiteral("<--"));
    EXPECT_EQ(field(1, "remote_path"), QStringLiteral("/pub/b.txt"));
    EXPECT_EQ(field(1, "size"), QStringLiteral("5"));
    EXPECT_EQ(field(1, "host"), QStringLiteral("127.0.0.1:2121"));
    EXPECT_EQ(field(1, "user"), QStringLiteral("bob"));
    EXPECT_EQ(field(1, "pass"), QStringLiteral("secret"));
    EXPECT_EQ(scheduler.scans, 1);
    // A folder dropped without its final "/" is still a folder.
    requests.Upload({root + "/data"}, QStringLiteral("/"), account);
    EXPECT_EQ(field(2, "remote_path"), QStringLiteral("/data"));
    EXPECT_EQ(field(2, "local_path"), root + "/data/");
}

TEST_F(TransferRequestsTest, DownloadsJoinTheDisplayedFolderAndRefuseNamesThatLeaveTheTarget) {
    const QStringList refused =
        requests.Download({{"a.zip", "1.50", false}, {"../evil", "1.00", false}, {"sub", "", true}},
                          QStringLiteral("/"), QStringLiteral("/home/u/in/"), account);
    EXPECT_EQ(refused, QStringList{"\"../evil\""}); // quoted, as the message shows it
    ASSERT_EQ(count(), 2u);
    EXPECT_EQ(field(0, "remote_path"), QStringLiteral("/a.zip"));
    EXPECT_EQ(field(0, "local_path"), QStringLiteral("/home/u/in/a.zip"));
    EXPECT_EQ(field(0, "size"), QStringLiteral("1536"));
    EXPECT_EQ(field(0, "op"), QStringLiteral("-->"));
    EXPECT_EQ(field(1, "remote_path"), QStringLiteral("/sub"));
    EXPECT_EQ(field(1, "local_path"), QStringLiteral("/home/u/in/sub/"));
    requests.Download({{"c.bin", "0.01", false}}, QStringLiteral("/pub/x"),
                      QStringLiteral("/home/u/in"), account);
    EXPECT_EQ(field(2, "remote_path"), QStringLiteral("/pub/x/c.bin"));
    EXPECT_EQ(field(2, "local_path"), QStringLiteral("/home/u/in/c.bin"));
    EXPECT_EQ(field(2, "size"), QStringLiteral("11"));
}

} // namespace
