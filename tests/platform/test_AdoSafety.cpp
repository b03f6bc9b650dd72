// Confirmed rows survive other processes and kill -9; the log stays small;
// statements and keys behave. The multi-process cases run children of this
// program (chosen by ADO_SAFETY_CHILD before main).

#include "AdoTestDb.h"

#include "XAdoEngine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

// ---- the children ----

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

// A program instance: each confirmed row is reported on stdout; every few
// rows it checks its connection with a second one, as the status bar does.
// Then it waits to be killed.
[[noreturn]] void Writer(const QStringList& A)
{
    const QString path = A[1], tag = A[2];
    const int rows = A[3].toInt(), filler = A[4].toInt();
    TADOConnection conn, check;
    conn.setConnectionString(JetConnectionString(path));
    conn.Open();
    check.setConnectionString(JetConnectionString(path));
    for (int i = 1; i <= rows; ++i) {
        Insert(conn, tag, i, filler);
        std::printf("%d\n", i);
        std::fflush(stdout);
        if (i % 5 == 0) {
            check.Open();
            check.Close();
        }
    }
    char c;
    while (read(0, &c, 1) > 0) {
    }
    _exit(0);
}

// Any SQLite client that opens the file, reads and goes.
[[noreturn]] void Toucher(const QString& Path)
{
    for (;;) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(Path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db, 5000);
        sqlite3_exec(db, "SELECT count(*) FROM T", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
}

// A user without write permission on the file: reads, tries a write.
[[noreturn]] void Reader(const QString& Path)
{
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        _exit(3);
    try {
        TADOConnection conn;
        conn.setConnectionString(JetConnectionString(Path));
        conn.Open();
        TADOQuery q;
        q.setConnection(&conn);
        q.SQL.setText(QStringLiteral("SELECT * FROM T ORDER BY I"));
        q.Open();
        std::printf("rows %d readonly %d\n", q.RecordCount(), int(conn.ReadOnly()));
        try {
            Insert(conn, QStringLiteral("r"), 1, 1);
            std::printf("written\n");
        } catch (const EOleException& e) {
            std::printf("refused %s\n", qPrintable(e.Message()));
        }
    } catch (const std::exception& e) {
        std::printf("failed %s\n", e.what());
    }
    std::fflush(stdout);
    _exit(0);
}

const int ChildMode = [] {
    const QStringList a = QString::fromLocal8Bit(qgetenv("ADO_SAFETY_CHILD")).split(u'|');
    if (a[0] == QLatin1String("writer"))
        Writer(a);
    if (a[0] == QLatin1String("toucher"))
        Toucher(a[1]);
    if (a[0] == QLatin1String("reader"))
        Reader(a[1]);
    return 0;
}();

// ---- the parent's side ----

struct SafetyDb : AdoTestDb
{
    SafetyDb() { exec("CREATE TABLE T (TAG TEXT(10) NOT NULL, I LONG NOT NULL, PAD TEXT(255) NOT NULL)"); }
};

std::unique_ptr<QProcess> Spawn(const QStringList& Args)
{
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ADO_SAFETY_CHILD"), Args.join(u'|'));
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(), {});
    EXPECT_TRUE(p->waitForStarted());
    return p;
}

// Reads the child's confirmations until it has confirmed Rows rows; the last one confirmed.
int WaitConfirmed(QProcess& P, int Rows)
{
    int last = 0;
    while (last < Rows) {
        if (!P.canReadLine() && !P.waitForReadyRead(30000))
            break;
        while (P.canReadLine())
            last = P.readLine().trimmed().toInt();
    }
    return last;
}

void KillHard(QProcess& P)
{
    P.kill();   // SIGKILL: no close, no checkpoint
    P.waitForFinished();
}

std::map<QString, int> RowsPerTag(const QString& Path)
{
    TADOConnection c;
    c.setConnectionString(JetConnectionString(Path));
    c.Open();
    TADOQuery q;
    q.setConnection(&c);
    q.SQL.setText(QStringLiteral("SELECT TAG, COUNT(*) AS N FROM T GROUP BY TAG"));
    q.Open();
    std::map<QString, int> out;
    for (; !q.Eof(); q.Next())
        out[q.Fields(0)->AsString()] = q.Fields(1)->AsInteger();
    return out;
}

} // namespace

TEST(AdoSafety, ConfirmedRowsOfTwoInstancesSurviveAThirdClientAndKill9)
{
    SafetyDb db;
    db.conn.Close();
    auto toucher = Spawn({"toucher", db.path});
    auto a = Spawn({"writer", db.path, "a", "300", "10"});
    auto b = Spawn({"writer", db.path, "b", "300", "10"});
    const int confirmedA = WaitConfirmed(*a, 300);
    const int confirmedB = WaitConfirmed(*b, 300);
    KillHard(*a);
    KillHard(*b);
    KillHard(*toucher);
    EXPECT_EQ(confirmedA, 300);
    EXPECT_EQ(confirmedB, 300);
    const auto rows = RowsPerTag(db.path);
    EXPECT_EQ(rows.count("a") ? rows.at("a") : 0, confirmedA);
    EXPECT_EQ(rows.count("b") ? rows.at("b") : 0, confirmedB);
}

TEST(AdoSafety, KilledDuringRegistrationsWithCheckpointsTheFileOpensWithEveryConfirmedRow)
{
    SafetyDb db;
    db.conn.Close();
    QRandomGenerator rnd(7);
    int total = 0;
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        const QString tag = QStringLiteral("k%1").arg(round);
        auto w = Spawn({"writer", db.path, tag, "100000", "250"});
        // Rows of 250 characters: the log reaches its checkpoint every few hundred rows.
        const int confirmed = WaitConfirmed(*w, 300 + int(rnd.bounded(1700)));
        KillHard(*w);
        total += confirmed;
        const auto rows = RowsPerTag(db.path);
        ASSERT_TRUE(rows.count(tag));
        EXPECT_GE(rows.at(tag), confirmed);
    }
    EXPECT_GT(total, 1200);
}

// A kill while the log was being copied back: the file's header already
// counts pages that only the log holds. SQLite's recovery needs the log.
TEST(AdoSafety, FileLeftByAnInterruptedCheckpointOpens)
{
    SafetyDb db;
    db.conn.Close();
    auto w = Spawn({"writer", db.path, "c", "400", "250"});
    ASSERT_EQ(WaitConfirmed(*w, 400), 400);
    KillHard(*w);
    // The pages the file has once the log is in, read without copying the log back.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(db.path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(raw, "PRAGMA page_count", -1, &st, nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    const qint64 pages = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(raw);

    // The header written, the pages after it not yet.
    QFile f(db.path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray header = f.read(100);
    ASSERT_EQ(header.size(), 100);
    const qint64 pageSize = (uchar(header[16]) << 8) | uchar(header[17]);
    ASSERT_LT(f.size(), pages * pageSize) << "the log should hold pages the file has not";
    for (int i = 0; i < 4; ++i)
        header[28 + i] = char(pages >> (24 - 8 * i));
    header.replace(92, 4, header.mid(24, 4));
    f.seek(0);
    f.write(header);
    f.close();

    const auto rows = RowsPerTag(db.path);
    EXPECT_EQ(rows.count("c") ? rows.at("c") : 0, 400);
}

TEST(AdoSafety, LogStaysSmallOverThousandsOfWritesWithAGridOpen)
{
    SafetyDb db;
    for (int i = 0; i < 200; ++i)
        db.exec(QStringLiteral("INSERT INTO T (TAG, I, PAD) VALUES ('g', %1, '%2')").arg(i).arg(QString(200, u'p')));
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

TEST(AdoSafety, StatementsInUseOutliveTheCacheLimit)
{
    SafetyDb db;
    for (int i = 0; i < 150; ++i)
        db.exec(QStringLiteral("INSERT INTO T (TAG, I, PAD) VALUES ('s', %1, 'p')").arg(i));
    // Each look-up its own text, as the deletion mode's grid filter: the cache fills while the grid is
    // read. A short result first (no count statement), so that the limit falls between a grid's two.
    TADOQuery q;
    db.prepare(q, "SELECT I FROM T WHERE I < 3");
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
    db.exec("CREATE TABLE K (NC_REP FLOAT NULL, SEQ LONG NULL, NOME TEXT(10) NULL, CONSTRAINT PK_K PRIMARY KEY (NC_REP, SEQ))");
    db.exec("INSERT INTO K VALUES (1, 1, 'a')");
    for (const char* sql : {"INSERT INTO K VALUES (1, NULL, 'b')", "INSERT INTO K VALUES (NULL, 2, 'c')",
                            "UPDATE K SET SEQ = NULL"}) {
        SCOPED_TRACE(sql);
        try {
            db.exec(QLatin1String(sql));
            ADD_FAILURE() << "accepted";
        } catch (const EOleException& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Index or primary key cannot contain a Null value."));
        }
    }
    // Declared nullable, the fields still read so; only the key refuses Null.
    TADOTable t;
    t.setConnection(&db.conn);
    t.setTableName(QStringLiteral("K"));
    EXPECT_FALSE(t.FieldDefs()[1].Required);
    TADOQuery q;
    db.prepare(q, "SELECT COUNT(*) FROM K WHERE SEQ IS NULL OR NC_REP IS NULL");
    q.Open();
    EXPECT_EQ(q.Fields(0)->AsInteger(), 0);
}

TEST(AdoSafety, ReadOnlyFileReadsRefusesWritesAndLeavesNothingBehind)
{
    SafetyDb db;
    db.exec("INSERT INTO T (TAG, I, PAD) VALUES ('r', 1, 'p')");
    db.conn.Close();
    ASSERT_FALSE(QFileInfo::exists(db.path + "-wal"));
    // Reachable by an unprivileged user: the child runs as one when this test runs as root.
    QFile::setPermissions(db.dir.path(), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(db.path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    auto r = Spawn({"reader", db.path});
    ASSERT_TRUE(r->waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(r->readAllStandardOutput());
    EXPECT_EQ(out, QStringLiteral("rows 1 readonly 1\nrefused Cannot update. Database or object is read-only.\n"));
    EXPECT_FALSE(QFileInfo::exists(db.path + "-wal"));
    EXPECT_FALSE(QFileInfo::exists(db.path + "-shm"));
    QFile::setPermissions(db.path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    db.conn.Open();
    EXPECT_EQ(db.exec("INSERT INTO T (TAG, I, PAD) VALUES ('r', 2, 'p')"), 1);
}
