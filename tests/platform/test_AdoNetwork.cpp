// A campaign file in a folder several computers share: the rollback journal,
// never the log; a file in the log that another connection holds is refused
// untouched; no grid leaves a lock behind for the other stations.

#include "AdoTestDb.h"
#include "NetworkFolder.h"

#include "XAdoEngine.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <sqlite3.h>

#include <optional>

namespace {

// The file's write version: 1 for a rollback journal, 2 for the log.
int JournalFormat(const QString& Path) { return int(FileBytes(Path).at(18)); }

void Exec(TADOConnection& Conn, const char* Sql)
{
    TADOCommand cmd;
    cmd.setConnection(&Conn);
    cmd.setCommandText(QLatin1String(Sql));
    cmd.Execute();
}

QString Scalar(TADOConnection& Conn, const char* Sql)
{
    TADOQuery q;
    q.setConnection(&Conn);
    q.SQL.setText(QLatin1String(Sql));
    q.Open();
    return q.Fields(0)->AsString();
}

int RawExec(sqlite3* Db, const char* Sql) { return sqlite3_exec(Db, Sql, nullptr, nullptr, nullptr); }

// A connection of another program, waiting for no lock.
struct RawConnection
{
    sqlite3* db = nullptr;
    explicit RawConnection(const QString& Path) { sqlite3_open(Path.toUtf8().constData(), &db); }
    ~RawConnection() { sqlite3_close(db); }
    int exec(const char* Sql) { return RawExec(db, Sql); }
};

// A database file with table T, in the log or not; nothing holds it.
QString NewFile(const QTemporaryDir& Dir, bool InTheLog)
{
    const QString path = Dir.filePath(QStringLiteral("campanha.mdb"));
    CreateDatabaseFile(path);
    RawConnection raw(path);
    RawExec(raw.db, "CREATE TABLE T (I INTEGER)");
    if (!InTheLog)
        RawExec(raw.db, "PRAGMA journal_mode = DELETE");
    return path;
}

} // namespace

// Accepted, a local file goes to the log; one in a network folder leaves it
// at once and keeps the rollback journal, and holds no lock after opening.
TEST(AdoNetworkFolder, TheJournalFollowsTheFolder)
{
    struct Case { bool network; bool inTheLog; bool logOpen; int format; };
    const Case cases[] = {{false, true, true, 2}, {false, false, true, 2}, {true, true, false, 1}, {true, false, false, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "network " << c.network << ", in the log " << c.inTheLog);
        QTemporaryDir dir;
        const QString path = NewFile(dir, c.inTheLog);
        std::optional<TNetworkFolder> shared;
        if (c.network)
            shared.emplace(dir.path());
        TADOConnection conn;
        conn.setConnectionString(JetConnectionString(path));
        conn.Open();
        EXPECT_EQ(conn.Engine()->NetworkFolder(), c.network);
        EXPECT_TRUE(conn.AcceptFile());
        EXPECT_EQ(conn.Engine()->WriteAheadLog(), c.logOpen);
        Exec(conn, "INSERT INTO T VALUES (1)");
        EXPECT_EQ(QFileInfo::exists(path + "-wal"), c.logOpen);
        RawConnection other(path);
        EXPECT_EQ(other.exec("INSERT INTO T VALUES (2)"), SQLITE_OK);
        conn.Close();
        EXPECT_EQ(JournalFormat(path), c.format);
    }
}

TEST(AdoNetworkFolder, AFileInTheLogThatAnotherConnectionHoldsIsRefusedUntouched)
{
    QTemporaryDir dir;
    const QString path = NewFile(dir, true);
    auto other = std::make_unique<RawConnection>(path);
    ASSERT_EQ(other->exec("INSERT INTO T VALUES (7)"), SQLITE_OK);
    const QByteArray file = FileBytes(path), log = FileBytes(path + "-wal");
    ASSERT_FALSE(log.isEmpty());
    TNetworkFolder shared(dir.path());
    TADOConnection conn;
    conn.setConnectionTimeout(1);
    conn.setConnectionString(JetConnectionString(path));
    try {
        conn.Open();
        ADD_FAILURE() << "opened";
    } catch (const EOleException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("O arquivo %1 está em uso por outro computador num modo que não pode ser "
                                              "compartilhado pela rede; feche o programa nos outros computadores.").arg(path));
        EXPECT_TRUE(IsFileInUseError(e.Message()));
    }
    EXPECT_TRUE(FileBytes(path) == file);
    EXPECT_TRUE(FileBytes(path + "-wal") == log);

    // The other one gone, the file is taken over with its rows.
    other.reset();
    conn.Open();
    EXPECT_EQ(JournalFormat(path), 1);
    EXPECT_EQ(Scalar(conn, "SELECT COUNT(*) FROM T WHERE I = 7"), QStringLiteral("1"));
}

// A grid longer than a first page, read page by page while another station
// writes: it holds no lock between its reads, and its kept count follows the
// other station's write.
TEST(AdoNetworkFolder, AnOpenGridHoldsOffNoWriter)
{
    QTemporaryDir dir;
    const QString path = NewFile(dir, true);
    TNetworkFolder shared(dir.path());
    TADOConnection conn;
    conn.setConnectionString(JetConnectionString(path));
    conn.Open();
    Exec(conn, "CREATE TABLE U (I INTEGER)");
    Exec(conn, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) INSERT INTO T SELECT i FROM n");
    TADOQuery grid;
    grid.setConnection(&conn);
    grid.SQL.setText(QStringLiteral("SELECT * FROM T ORDER BY I DESC"));
    grid.Open();
    EXPECT_EQ(grid.RecordCount(), 500);
    RawConnection other(path);
    int expected = 500;
    for (grid.First(); !grid.Eof(); grid.Next()) {
        ASSERT_EQ(grid.Fields(0)->AsInteger(), expected--);
        if (expected % 70 == 0) {
            ASSERT_EQ(other.exec("INSERT INTO U VALUES (1)"), SQLITE_OK) << expected;
        }
    }
    EXPECT_EQ(expected, 0);
    EXPECT_EQ(other.exec("INSERT INTO T VALUES (900)"), SQLITE_OK);
    Exec(conn, "INSERT INTO T VALUES (901)");
    grid.RequeryAdded(1);
    EXPECT_EQ(grid.RecordCount(), 502);
    EXPECT_EQ(grid.Fields(0)->AsInteger(), 901);
    Exec(conn, "INSERT INTO T VALUES (902)");
    grid.RequeryAdded(1);   // the count kept this time
    EXPECT_EQ(grid.RecordCount(), 503);
    EXPECT_EQ(other.exec("INSERT INTO U VALUES (2)"), SQLITE_OK);
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
    struct Unmount
    {
        QString path;
        ~Unmount()
        {
            if (QProcess::execute(QStringLiteral("fusermount3"), {QStringLiteral("-u"), QStringLiteral("-z"), path}) != 0)
                QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), path});
        }
    } unmount{mount.path()};

    const QString local = NewFile(source, true);
    const QString mounted = mount.filePath(QStringLiteral("campanha.mdb"));
    EXPECT_FALSE(XAdo::OnNetworkFolder(local));
    TADOConnection conn;
    conn.setConnectionString(JetConnectionString(mounted));
    conn.Open();
    EXPECT_TRUE(conn.Engine()->NetworkFolder());
    EXPECT_TRUE(conn.AcceptFile());
    EXPECT_FALSE(conn.Engine()->WriteAheadLog());
    Exec(conn, "INSERT INTO T VALUES (1)");
    conn.Close();
    EXPECT_EQ(JournalFormat(local), 1);
}
