// Children of this program (ADO_SAFETY_CHILD) play the other processes.

#include "AdoTestDb.h"
#include "ChildProcess.h"

#include "XAdoEngine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <unistd.h>

#include <cstdio>

namespace {

int Insert(TADOConnection& Conn, const QString& Tag, int I, int Filler)
{
    TADOCommand cmd;
    cmd.setConnection(&Conn);
    cmd.setCommandText(QStringLiteral("INSERT INTO T (TAG, I, PAD) VALUES (:tag, :i, :pad)"));
    SetParam(cmd.Parameters, QStringLiteral("tag"), ftString, Tag);
    SetParam(cmd.Parameters, QStringLiteral("i"), ftInteger, I);
    SetParam(cmd.Parameters, QStringLiteral("pad"), ftString, QString(Filler, u'x'));
    return cmd.Execute();
}

// writer|path|tag|rows|filler: a program instance reporting each confirmed row, checking its
// connection with a second one every few rows (as the status bar does), then waiting to be killed.
// toucher|path: any SQLite client opening the file, reading and going, over and over.
// reader|path: a user without write permission on the file.
const int ChildMode = [] {
    const QStringList a = QString::fromLocal8Bit(qgetenv("ADO_SAFETY_CHILD")).split(u'|');
    if (a[0] == QLatin1String("writer")) {
        TADOConnection conn, check;
        conn.setConnectionString(JetConnectionString(a[1]));
        check.setConnectionString(JetConnectionString(a[1]));
        conn.Open();
        for (int i = 1; i <= a[3].toInt(); ++i) {
            Insert(conn, a[2], i, a[4].toInt());
            std::printf("%d\n", i);
            std::fflush(stdout);
            if (i % 5 == 0)
                check.Open(), check.Close();
        }
        for (char c; read(0, &c, 1) > 0;) {
        }
        _exit(0);
    }
    while (a[0] == QLatin1String("toucher")) {
        RawConnection raw(a[1]);
        sqlite3_busy_timeout(raw.db, 5000);
        raw.exec("SELECT count(*) FROM T");
    }
    if (a[0] == QLatin1String("reader")) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        TADOConnection conn;
        conn.setConnectionString(JetConnectionString(a[1]));
        try {
            conn.Open();
            std::printf("readonly %d\n", int(conn.ReadOnly()));
            Insert(conn, QStringLiteral("r"), 1, 1);
        } catch (const EOleException& e) {
            std::printf("%s\n", qPrintable(e.Message()));
        }
        std::fflush(stdout);
        _exit(0);
    }
    return 0;
}();

struct SafetyDb : AdoTestDb
{
    SafetyDb() { exec("CREATE TABLE T (TAG TEXT(10) NOT NULL, I LONG NOT NULL, PAD TEXT(255) NOT NULL)"); }
};

std::unique_ptr<QProcess> Spawn(const QStringList& Args) { return SpawnChild("ADO_SAFETY_CHILD", Args); }

// The last row the child confirmed once it confirmed Rows (or stopped); then killed, SIGKILL.
int ConfirmedThenKilled(QProcess& P, int Rows)
{
    const QStringList lines = LinesThenKilled(P, Rows);
    return lines.isEmpty() ? 0 : lines.last().toInt();
}

// The rows of Tag, read on the test's own connection, closed again after.
int Rows(SafetyDb& Db, const QString& Tag)
{
    Db.conn.Open();
    const int n = Db.scalar(QStringLiteral("SELECT COUNT(*) FROM T WHERE TAG = '%1'").arg(Tag)).toInt();
    Db.conn.Close();
    return n;
}

} // namespace

// Two instances beside a third client, each killed at a random point: rows of
// 250 characters, so that the log reaches its checkpoint every few hundred rows.
TEST(AdoSafety, ConfirmedRowsOfTwoInstancesSurviveAThirdClientAndKill9)
{
    SafetyDb db;
    db.conn.Close();
    QRandomGenerator rnd(7);
    auto toucher = Spawn({"toucher", db.path});
    for (int round = 0; round < 2; ++round) {
        const QString tags[] = {QStringLiteral("a%1").arg(round), QStringLiteral("b%1").arg(round)};
        std::unique_ptr<QProcess> w[] = {Spawn({"writer", db.path, tags[0], "100000", "250"}),
                                         Spawn({"writer", db.path, tags[1], "100000", "250"})};
        for (int i = 0; i < 2; ++i) {
            const int wanted = 300 + int(rnd.bounded(1200));
            const int confirmed = ConfirmedThenKilled(*w[i], wanted);
            EXPECT_GE(confirmed, wanted);   // never turned away by the other two
            EXPECT_GE(Rows(db, tags[i]), confirmed);
        }
    }
    ConfirmedThenKilled(*toucher, 0);
}

// Killed while the log was copied back: the header already counts pages only the log holds.
TEST(AdoSafety, FileLeftByAnInterruptedCheckpointOpens)
{
    SafetyDb db;
    db.conn.Close();
    ASSERT_EQ(ConfirmedThenKilled(*Spawn({"writer", db.path, "c", "400", "250"}), 400), 400);
    qint64 pages = 0;
    {
        RawConnection raw(db.path);
        sqlite3_db_config(raw.db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        pages = raw.rows("PRAGMA page_count").toLongLong();
    }

    QFile f(db.path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray header = f.read(100);
    ASSERT_LT(f.size(), pages * ((uchar(header[16]) << 8) | uchar(header[17])));
    for (int i = 0; i < 4; ++i)
        header[28 + i] = char(pages >> (24 - 8 * i));
    header.replace(92, 4, header.mid(24, 4));   // the page count valid for this change
    f.seek(0);
    f.write(header);
    f.close();
    EXPECT_EQ(Rows(db, "c"), 400);
}

TEST(AdoSafety, LogStaysSmallOverThousandsOfWritesWithAGridOpen)
{
    SafetyDb db;
    for (int i = 0; i < 200; ++i)
        Insert(db.conn, QStringLiteral("g"), i, 200);
    TADOQuery grid;
    db.prepare(grid, "SELECT * FROM T ORDER BY I DESC");
    grid.Open();
    qint64 largest = 0;
    for (int i = 0; i < 3000; ++i) {
        Insert(db.conn, QStringLiteral("w"), i, 200);
        grid.RequeryAdded(1);
        ASSERT_EQ(grid.RecordCount(), 201 + i);
        if (i % 100 == 0)
            QCoreApplication::processEvents();
        largest = qMax(largest, QFileInfo(db.path + "-wal").size());
    }
    EXPECT_LT(largest, 6 * 1024 * 1024);
}

// Distinct texts, as the deletion mode's grid filter: the cache fills while a grid is read.
TEST(AdoSafety, StatementsInUseOutliveTheCacheLimit)
{
    SafetyDb db;
    for (int i = 0; i < 150; ++i)
        Insert(db.conn, QStringLiteral("s"), i, 1);
    TADOQuery q;
    db.prepare(q, "SELECT I FROM T WHERE I < 3");   // no count statement: the limit falls between a grid's two
    q.Open();
    for (int n = 0; n < 300; ++n) {
        db.prepare(q, QStringLiteral("SELECT I FROM T WHERE I >= 0 OR I = -%1 ORDER BY I").arg(n));
        q.Open();
        int expected = 0;
        for (q.First(); !q.Eof(); q.Next())
            ASSERT_EQ(q.Fields(0)->AsInteger(), expected++);
        ASSERT_EQ(expected, 150);
    }
}

TEST(AdoSafety, PrimaryKeysRefuseNull)
{
    AdoTestDb db;
    db.exec("CREATE TABLE K (NC_REP FLOAT NULL, SEQ LONG NULL, CONSTRAINT PK_K PRIMARY KEY (NC_REP, SEQ))");
    db.exec("INSERT INTO K VALUES (1, 1)");
    for (const char* sql : {"INSERT INTO K VALUES (1, NULL)", "INSERT INTO K VALUES (NULL, 2)", "UPDATE K SET SEQ = NULL"})
        EXPECT_EQ(db.refusal(QLatin1String(sql)), QStringLiteral("Index or primary key cannot contain a Null value.")) << sql;
    TADOTable t;   // declared nullable, the field still reads so
    t.setConnection(&db.conn);
    t.setTableName(QStringLiteral("K"));
    EXPECT_FALSE(t.FieldDefs()[1].Required);
}

TEST(AdoSafety, ReadOnlyFileReadsRefusesWritesAndLeavesNothingBehind)
{
    SafetyDb db;
    db.conn.Close();
    QFile::setPermissions(db.dir.path(), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(db.path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    auto r = Spawn({"reader", db.path});
    ASSERT_TRUE(r->waitForFinished(30000));
    EXPECT_EQ(QString::fromLocal8Bit(r->readAllStandardOutput()),
              QStringLiteral("readonly 1\nCannot update. Database or object is read-only.\n"));
    EXPECT_FALSE(QFileInfo::exists(db.path + "-wal") || QFileInfo::exists(db.path + "-shm"));
}
