// A campaign file in a folder several computers share.

#include "AdoTestDb.h"
#include "ForkedChild.h"
#include "NetworkFolder.h"

#include "XAdoEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSemaphore>
#include <QStandardPaths>

#include <optional>
#include <thread>

namespace {

// The file's write and read versions (header bytes 18, 19): 1 for a rollback journal, 2 for the log.
int JournalFormat(const QString& Path)
{
    const QByteArray header = FileBytes(Path).left(20);
    return header.at(18) == header.at(19) ? int(header.at(18)) : -1;   // read and write versions agree
}

// A database file with table T, in the log or not; closed, for the test to open.
struct TFile : AdoTestDb
{
    explicit TFile(bool InTheLog = true)
    {
        exec(QStringLiteral("CREATE TABLE T (I INTEGER)"));
        if (!InTheLog)
            exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        conn.Close();
    }
};

} // namespace

// A station never takes a file in the rollback journal to the log, by its local path nor by a link
// into the share; a network folder takes a file in the log to the rollback journal (a stale index of
// the log goes with it). A rollback journal syncs every commit whole.
TEST(AdoNetworkFolder, TheJournalBelongsToTheFile)
{
    const struct { bool network, inTheLog, byLink; int format; } cases[] = {
        {false, true, false, 2}, {false, false, false, 1}, {true, true, false, 1}, {true, false, false, 1}, {true, true, true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "network " << c.network << ", in the log " << c.inTheLog << ", by a link " << c.byLink);
        TFile f(c.inTheLog);
        QTemporaryDir local;
        std::optional<TNetworkFolder> shared;
        if (c.network)
            shared.emplace(f.dir.path());
        if (c.inTheLog)
            QFile(f.path + "-shm").open(QIODevice::WriteOnly);   // left by the computer that used the log last
        if (c.byLink) {
            ASSERT_TRUE(QFile::link(f.path, local.filePath("campanha.mdb")));
            f.conn.setConnectionString(JetConnectionString(local.filePath("campanha.mdb")));
        }
        f.conn.Open();
        EXPECT_EQ(f.conn.Engine()->NetworkFolder(), c.network);
        EXPECT_EQ(f.scalar("PRAGMA synchronous"), c.format == 1 ? QStringLiteral("2") : QStringLiteral("1"));   // FULL, NORMAL
        f.exec(QStringLiteral("INSERT INTO T VALUES (1)"));
        EXPECT_EQ(RawConnection(f.path).exec("INSERT INTO T VALUES (2)"), SQLITE_OK);
        EXPECT_EQ(QFileInfo::exists(f.path + "-shm"), c.format == 2);
        f.conn.Close();
        EXPECT_EQ(JournalFormat(f.path), c.format);
        EXPECT_FALSE(QFileInfo::exists(f.path + "-wal"));
    }
}

TEST(AdoNetworkFolder, AFileMadeInANetworkFolderNeverSeesTheLog)
{
    QTemporaryDir dir;
    const TNetworkFolder shared(dir.path());
    const QString path = dir.filePath("nova.mdb");
    CreateDatabaseFile(path);
    EXPECT_EQ(JournalFormat(path), 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"nova.mdb"});
}

TEST(AdoNetworkFolder, AFileInTheLogThatAnotherConnectionHoldsIsRefusedUntouched)
{
    TFile f;
    auto other = std::make_unique<RawConnection>(f.path);
    ASSERT_EQ(other->exec("INSERT INTO T VALUES (7)"), SQLITE_OK);
    const QByteArray file = FileBytes(f.path), log = FileBytes(f.path + "-wal");
    ASSERT_FALSE(log.isEmpty());
    TNetworkFolder shared(f.dir.path());
    f.conn.setConnectionTimeout(1);
    const QString refusal = OpenRefusal(f.conn);
    EXPECT_EQ(refusal, QStringLiteral("O arquivo %1 está em uso por outro computador num modo que não pode ser "
                                      "compartilhado pela rede; feche o programa nos outros computadores.").arg(f.path));
    EXPECT_TRUE(IsFileInUseError(refusal));
    EXPECT_TRUE(FileBytes(f.path) == file && FileBytes(f.path + "-wal") == log);

    // The other one gone, the file is taken over with its rows.
    other.reset();
    f.conn.Open();
    EXPECT_EQ(JournalFormat(f.path), 1);
    EXPECT_EQ(f.scalar(QStringLiteral("SELECT COUNT(*) FROM T WHERE I = 7")), QStringLiteral("1"));
}

// A grid longer than a first page, read page by page while another station
// writes: no lock held between its reads, nor after a requery that counts
// again (the other station's row in the count) or keeps its count.
TEST(AdoNetworkFolder, AnOpenGridHoldsOffNoWriter)
{
    TFile f;
    TNetworkFolder shared(f.dir.path());
    f.conn.Open();
    f.exec(QStringLiteral("CREATE TABLE U (I INTEGER)"));
    f.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) INSERT INTO T SELECT i FROM n"));
    TADOQuery grid;
    f.prepare(grid, QStringLiteral("SELECT * FROM T ORDER BY I DESC"));
    grid.Open();
    RawConnection other(f.path);
    int expected = 500;
    for (grid.First(); !grid.Eof(); grid.Next()) {
        ASSERT_EQ(grid.Fields(0)->AsInteger(), expected--);
        if (expected % 70 == 0) {
            ASSERT_EQ(other.exec("INSERT INTO U VALUES (1)"), SQLITE_OK) << expected;
        }
    }
    EXPECT_EQ(expected, 0);
    EXPECT_EQ(other.exec("INSERT INTO T VALUES (900)"), SQLITE_OK);
    for (int added : {901, 902}) {
        f.exec(QStringLiteral("INSERT INTO T VALUES (%1)").arg(added));
        grid.RequeryAdded(1);
        EXPECT_EQ(grid.RecordCount(), added - 399);
        EXPECT_EQ(grid.Fields(0)->AsInteger(), added);
    }
    EXPECT_EQ(other.exec("INSERT INTO U VALUES (2)"), SQLITE_OK);
}

// Another station holds the file: a write of ours waits for it, shows "Aguarde" only once the wait
// is felt (not for a slice of another's reading), and gets in when the file is let go.
TEST(AdoNetworkFolder, AWriterWaitsForAHeldFileWithTheIndicatorOnceTheWaitIsFelt)
{
    TFile f(false);
    const TNetworkFolder shared(f.dir.path());
    f.conn.Open();
    RawConnection holder(f.path);
    ASSERT_EQ(holder.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    QElapsedTimer waiting;
    QList<std::pair<bool, qint64>> shown;
    QSemaphore felt;
    XAdo::Engine::SetBusyIndicator([&](bool On) {
        shown.append({On, waiting.elapsed()});
        if (On)
            felt.release();
    });
    const auto noIndicator = qScopeGuard([] { XAdo::Engine::SetBusyIndicator(nullptr); });
    std::thread other([&] {
        felt.acquire();
        holder.exec("COMMIT");
    });
    waiting.start();
    EXPECT_EQ(f.refusal(QStringLiteral("INSERT INTO T VALUES (1)")), QStringLiteral("<accepted>"));
    const qint64 written = waiting.elapsed();
    felt.release();   // lets the other one go had the indicator never come
    other.join();
    QCoreApplication::processEvents();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].first && !shown[1].first);
    EXPECT_GE(shown[0].second, 300);
    EXPECT_GE(written, shown[0].second);
}

// A station killed in the middle of its commit leaves its journal: a grid's reader
// that meets it has the program's connection roll it back and reads the rows as
// they were, never "read-only".
TEST(AdoNetworkFolder, AKilledStationsJournalMetByAGridIsRolledBack)
{
    TFile f(false);
    const TNetworkFolder shared(f.dir.path());
    f.conn.Open();
    f.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) INSERT INTO T SELECT i FROM n"));
    f.exec(QStringLiteral("CREATE INDEX IX_T ON T (I)"));
    TADOQuery grid;
    f.prepare(grid, QStringLiteral("SELECT I FROM T WHERE I > 10 ORDER BY I"));
    grid.Open();
    InForkedChild([&] {
        RawConnection killed(f.path);
        // A cache too small for the change: pages go into the file before the commit.
        killed.exec("PRAGMA cache_size = 1; BEGIN; UPDATE T SET I = -I;");
        ::_exit(0);
        return QByteArray();
    });
    ASSERT_TRUE(QFileInfo::exists(f.path + "-journal"));
    EXPECT_EQ(grid.RecordCount(), 19990);
    grid.Last();
    EXPECT_EQ(grid.Fields(0)->AsInteger(), 20000);
    EXPECT_FALSE(QFileInfo::exists(f.path + "-journal"));
}

// A real FUSE mount (bindfs over a temporary folder) is taken for a network one.
TEST(AdoNetworkFolder, AFuseMountIsANetworkFolder)
{
    const QString bindfs = QStandardPaths::findExecutable(QStringLiteral("bindfs"));
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse")) || bindfs.isEmpty())
        GTEST_SKIP() << "cannot mount here: " << (bindfs.isEmpty() ? "bindfs is not installed" : "no /dev/fuse");
    QTemporaryDir source, mount;
    QProcess mounter;
    mounter.start(bindfs, {source.path(), mount.path()});
    if (!mounter.waitForFinished(30000) || mounter.exitCode() != 0)
        GTEST_SKIP() << "cannot mount here: bindfs says " << mounter.readAllStandardError().trimmed().toStdString();
    const auto unmount = qScopeGuard([&] {
        if (QProcess::execute(QStringLiteral("fusermount3"), {QStringLiteral("-u"), QStringLiteral("-z"), mount.path()}) != 0)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), mount.path()});
    });

    const QString local = source.filePath(QStringLiteral("campanha.mdb"));
    QFile::copy(TFile().path, local);
    EXPECT_FALSE(XAdo::OnNetworkFolder(local));
    TADOConnection conn;
    conn.setConnectionString(JetConnectionString(mount.filePath(QStringLiteral("campanha.mdb"))));
    conn.Open();
    EXPECT_TRUE(conn.Engine()->NetworkFolder());
    conn.Close();
    EXPECT_EQ(JournalFormat(local), 1);
}
