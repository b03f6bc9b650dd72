#include "AdoTestDb.h"

#include "XAdoEngine.h"

#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <thread>

namespace {

// 500 rows: more than a dataset reads on open, so the rest comes as reached.
struct LazyDb : AdoTestDb
{
    LazyDb()
    {
        exec("CREATE TABLE T (ID LONG NOT NULL, GRP LONG NOT NULL, NAME TEXT(20) NOT NULL, CONSTRAINT PK_T PRIMARY KEY (ID))");
        exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) "
             "INSERT INTO T SELECT i, i % 100, 'nome ' || i FROM n");
    }
    int snapshots() { return conn.Engine()->SnapshotCount(); }
};

// Every row read by moving through the dataset.
QList<int> ids(TCustomADODataSet& q)
{
    QList<int> out;
    for (q.First(); !q.Eof(); q.Next())
        out.append(q.Fields(0)->AsInteger());
    return out;
}

} // namespace

TEST(AdoLazy, RowsFollowTheSnapshotOfOpeningUntilRequery)
{
    LazyDb db;
    TADOQuery q;
    db.prepare(q, "SELECT ID, NAME FROM T ORDER BY ID DESC");
    q.Open();
    EXPECT_EQ(q.RecordCount(), 500);
    EXPECT_EQ(db.snapshots(), 1);

    // Written by another program: only this connection's own writes end the snapshot.
    ASSERT_EQ(RawConnection(db.path).exec("INSERT INTO T VALUES (1000, 0, 'novo'); DELETE FROM T WHERE ID <= 10; "
                                          "UPDATE T SET NAME = 'mudou' WHERE ID = 200"), SQLITE_OK);
    EXPECT_EQ(q.RecordCount(), 500);
    EXPECT_EQ(q.CellText(300, 1), QStringLiteral("nome 200"));

    QList<int> expected(500);
    std::iota(expected.rbegin(), expected.rend(), 1);
    EXPECT_EQ(ids(q), expected);
    EXPECT_EQ(db.snapshots(), 0);

    q.Requery();
    EXPECT_EQ(q.RecordCount(), 491);
    q.setRecNo(302);
    EXPECT_EQ(q.FieldByName("NAME")->AsString(), QStringLiteral("mudou"));
    q.Close();
    EXPECT_EQ(db.snapshots(), 0);
}

TEST(AdoLazy, LastAndTheLastRecordNumberReadEverything)
{
    LazyDb db;
    TADODataSet a;
    a.setConnection(&db.conn);
    a.setCommandText("SELECT * FROM T WHERE ID > :lo ORDER BY NAME -- the latest");
    a.Parameters.ParamByName("lo")->Value = 100;
    a.Open();
    TADOQuery b;
    db.prepare(b, "SELECT ID FROM T ORDER BY ID");
    b.Open();
    EXPECT_EQ(db.snapshots(), 2);
    EXPECT_EQ(a.RecordCount(), 400);

    a.Last();
    EXPECT_TRUE(a.Eof());
    EXPECT_EQ(a.RecNo(), 400);
    EXPECT_EQ(a.FieldByName("NAME")->AsString(), QStringLiteral("nome 500"));
    EXPECT_EQ(db.snapshots(), 1);

    b.setRecNo(b.RecordCount());
    EXPECT_EQ(b.FieldByName("ID")->AsInteger(), 500);
    EXPECT_EQ(db.snapshots(), 0);
    b.Prior();
    EXPECT_EQ(b.MoveBy(-1000), -498);
    EXPECT_TRUE(b.Bof());
    EXPECT_EQ(b.FieldByName("ID")->AsInteger(), 1);
}

TEST(AdoLazy, ComputedColumnsTypedAsWhenReadWhole)
{
    LazyDb db;
    const QString sql = QStringLiteral(
        "SELECT ID, IIF(ID > 450, 'um texto mais longo', 'x') AS TAG, ID * 10000000000 AS BIG, ID / 2.0 AS HALF, "
        "ID * 2 AS TWICE, IIF(ID = 300, 'texto', ID) AS MIXED, NULL AS NADA FROM T ORDER BY ID");
    TADOQuery lazy;
    db.prepare(lazy, sql);
    lazy.Open();
    TADOQuery whole;   // a filter reads the whole result on open
    db.prepare(whole, sql);
    whole.setFilter("ID > 0");
    whole.setFiltered(true);
    whole.Open();
    EXPECT_EQ(db.snapshots(), 1);
    ASSERT_EQ(lazy.FieldCount(), whole.FieldCount());
    for (int i = 0; i < lazy.FieldCount(); ++i) {
        SCOPED_TRACE(lazy.Fields(i)->FieldName().toStdString());
        EXPECT_EQ(lazy.Fields(i)->DataType(), whole.Fields(i)->DataType());
        EXPECT_EQ(lazy.Fields(i)->Size(), whole.Fields(i)->Size());
    }
    EXPECT_EQ(lazy.FieldByName("TAG")->Size(), 19);
    EXPECT_EQ(lazy.FieldByName("BIG")->DataType(), ftLargeint);
    EXPECT_EQ(lazy.FieldByName("MIXED")->DataType(), ftWideString);
    EXPECT_EQ(lazy.CellText(299, 5), QStringLiteral("texto"));
    EXPECT_EQ(lazy.CellValue(499, 2).toLongLong(), 5000000000000LL);
}

TEST(AdoLazy, NoLogLeftAfterTheLastCloseWithDatasetsHalfRead)
{
    LazyDb db;
    EXPECT_EQ(db.scalar("PRAGMA journal_mode") + db.scalar("PRAGMA synchronous"), QStringLiteral("wal1"));   // NORMAL
    auto q = std::make_unique<TADOQuery>();
    db.prepare(*q, "SELECT * FROM T ORDER BY ID");
    q->Open();
    TADOQuery r;
    db.prepare(r, "SELECT * FROM T ORDER BY NAME");
    r.Open();
    q->setRecNo(100);
    db.exec("INSERT INTO T VALUES (501, 1, 'depois')");
    q.reset();   // goes while reading
    EXPECT_EQ(db.snapshots(), 1);
    EXPECT_TRUE(QFileInfo::exists(db.path + "-wal"));

    db.conn.Close();
    EXPECT_FALSE(r.Active());
    EXPECT_FALSE(QFileInfo::exists(db.path + "-wal") || QFileInfo::exists(db.path + "-shm"));
}

namespace {

// LazyDb in the rollback journal (or left in the log), read a row a slice, with table K: keys
// with ties, Nulls and letter case (A text, B number, F fractions) and the indexes that read K
// in key order.
struct RollbackDb : LazyDb
{
    ~RollbackDb() { XAdo::Engine::SetReadSlice(100); }
    explicit RollbackDb(bool Rollback = true)
    {
        XAdo::Engine::SetReadSlice(0);
        exec("CREATE TABLE K (ID LONG NOT NULL, A TEXT(10), B LONG, F FLOAT, CONSTRAINT PK_K PRIMARY KEY (ID))");
        exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) INSERT INTO K "
             "SELECT i, IIF(i % 7 = 0, NULL, substr('ab AB Ab c  C  ', 1 + 3 * (i % 5), 2)), IIF(i % 11 = 0, NULL, i % 4), "
             "(i % 50) / 7.0 FROM n");
        exec("CREATE INDEX IX_K_AB ON K (A, B)");
        exec("CREATE INDEX IX_K_BA ON K (B DESC, A)");
        exec("CREATE INDEX IX_K_AID ON K (A, ID)");
        exec("CREATE INDEX IX_K_F ON K (F)");
        if (Rollback)
            exec("PRAGMA journal_mode = DELETE");
        conn.Close();
        conn.Open();
    }
};

} // namespace

// Every statement counted and read as one read of its own gives it in its total order (ties by
// rowid, in the first term's direction), in the log and in the rollback journal. There each slice
// is taken up after the key of the row before in a read of its own (ties, Nulls, letter case,
// fractions, both directions, a condition with OR); a sorted or grouped statement, one that fits the
// first read, or one whose rows have no identity (compound, LIMIT, a join that repeats its rows) is
// read to its end on opening.
TEST(AdoLazy, EitherJournalReadsAndCountsWhatOneReadGives)
{
    // whole: read to its end on opening in the rollback journal; plain: the read it gives, when not itself.
    const struct { const char* sql; bool whole; const char* plain = nullptr; } cases[] = {
        {"SELECT ID, A, B FROM K ORDER BY A, B", false, "SELECT ID, A, B FROM K ORDER BY A, B, K.rowid"},
        {"SELECT ID, A, B FROM K WHERE (ID > :lo) ORDER BY B DESC, A", false,
         "SELECT ID, A, B FROM K WHERE (ID > :lo) ORDER BY B DESC, A, K.rowid DESC"},
        {"SELECT k.ID, k.A AS nome, j.B FROM K k INNER JOIN K j ON (j.ID = k.ID) ORDER BY nome DESC, k.ID DESC", false},
        {"SELECT ID, A AS B FROM K ORDER BY B, ID", false}, {"SELECT ID, NAME FROM T ORDER BY ID DESC", false},
        {"SELECT ID, A FROM K ORDER BY A COLLATE BINARY, ID", true},
        {"SELECT GRP, COUNT(*) AS N FROM T GROUP BY GRP ORDER BY GRP DESC", true},
        {"SELECT ID FROM T UNION ALL SELECT ID FROM T ORDER BY 1", true}, {"SELECT ID FROM T UNION SELECT ID + 1 FROM T", true},
        {"SELECT ID FROM T ORDER BY ID LIMIT 120", true}, {"SELECT ID FROM T ORDER BY ID LIMIT 120 OFFSET 450", true},
        {"SELECT DISTINCT GRP FROM T ORDER BY (GRP * 2) DESC;", true},
        {"SELECT a.ID FROM T a LEFT OUTER JOIN T b ON (b.GRP = a.GRP) WHERE a.ID <= 200 ORDER BY a.ID", true},
        {"SELECT ID FROM T WHERE NAME IN (SELECT NAME FROM T ORDER BY ID LIMIT 70) ORDER BY ID", false},
        {"SELECT ID, A FROM K WHERE B = 1 OR ID > 250 ORDER BY A, ID", false},
        {"SELECT a.ID, s.NAME FROM T a LEFT JOIN (SELECT * FROM T WHERE ID % 2 = 0) s ON (s.ID = a.ID + 1) ORDER BY a.ID", false},
        {"SELECT a.ID, g.N FROM T a LEFT JOIN (SELECT GRP, COUNT(*) AS N FROM T GROUP BY GRP) g ON (g.GRP = a.GRP) ORDER BY a.ID", true},
        {"SELECT ID, B FROM K ORDER BY F DESC", false, "SELECT ID, B FROM K ORDER BY F DESC, K.rowid DESC"},
    };
    for (const bool rollback : {false, true}) {
        RollbackDb db(rollback);
        ASSERT_EQ(db.conn.Engine()->RollbackJournal(), rollback);
        for (const auto& [sql, whole, plain] : cases) {
            SCOPED_TRACE(testing::Message() << sql << (rollback ? " (rollback journal)" : " (log)"));
            TADOQuery q;
            db.prepare(q, QString::fromLatin1(sql));
            if (q.Parameters.FindParam("lo"))
                SetParam(q.Parameters, "lo", ftInteger, 40);
            q.Open();
            if (rollback) {
                EXPECT_EQ(db.snapshots(), whole ? 0 : 1);
            }
            const QString expected = RawConnection(db.path).rows(QString::fromLatin1(plain ? plain : sql).replace(":lo", "40"));
            EXPECT_EQ(q.RecordCount(), expected.count(u';') + 1);
            q.First();
            EXPECT_EQ(DataSetRows(q), expected);
            EXPECT_EQ(db.snapshots(), 0);
        }
    }
}

// Between two slices the other computers write: what was read stays read once,
// what is still to come is read as it stands now.
TEST(AdoLazy, ARollbackJournalReaderLetsWritersInBetweenSlices)
{
    RollbackDb db;
    TADOQuery q;
    db.prepare(q, "SELECT ID, NAME FROM T ORDER BY ID");
    q.Open();
    RawConnection other(db.path);
    QList<int> seen;
    for (q.First(); !q.Eof(); q.Next()) {
        seen.append(q.Fields(0)->AsInteger());
        if (seen.size() == 100) {
            ASSERT_EQ(other.exec("DELETE FROM T WHERE ID IN (50, 150); INSERT INTO T VALUES (1000, 0, 'novo'); "
                                 "UPDATE T SET NAME = 'mudou' WHERE ID = 300"), SQLITE_OK);
        }
        if (seen.last() == 300) {
            EXPECT_EQ(q.Fields(1)->AsString(), QStringLiteral("mudou"));
        }
    }
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()) && std::adjacent_find(seen.begin(), seen.end()) == seen.end());
    EXPECT_TRUE(seen.contains(50) && !seen.contains(150) && seen.contains(1000));
    EXPECT_EQ(seen.size(), 500);
}

// Another connection writes between two slices (in the log once the snapshot went): a row shown is
// never shown again, whatever it holds now, every row whose sort key stayed put is shown, and the
// count is what was shown.
TEST(AdoLazy, AReadTakenUpAgainShowsEachRowOnceWhateverWasWrittenMeanwhile)
{
    const char* byName = "SELECT ID, GRP, NAME FROM T ORDER BY NAME";
    const char* byTie = "SELECT ID, A, B FROM K ORDER BY B DESC";   // some 70 rows a value, the pause among them
    const struct { const char* sql; const char* keys; const char* write; } cases[] = {   // %1: the row read last
        {byName, "SELECT ID, NAME FROM T", "UPDATE T SET GRP = -1 WHERE ID = %1"},
        {byName, "SELECT ID, NAME FROM T", "UPDATE T SET NAME = 'zz' WHERE ID = %1"},
        {byName, "SELECT ID, NAME FROM T", "UPDATE T SET NAME = 'a' WHERE ID = %1"},
        {byName, "SELECT ID, NAME FROM T", "UPDATE T SET GRP = -1 WHERE NAME > (SELECT NAME FROM T WHERE ID = %1)"},
        {byName, "SELECT ID, NAME FROM T", "DELETE FROM T WHERE ID % 10 = 0 OR ID = %1"},
        {byTie, "SELECT ID, B FROM K", "UPDATE K SET A = 'novo' WHERE ID = %1"},
        {byTie, "SELECT ID, B FROM K", "UPDATE K SET A = 'novo' WHERE B <= (SELECT B FROM K WHERE ID = %1)"},
        {byTie, "SELECT ID, B FROM K", "DELETE FROM K WHERE ID % 3 = 0 AND B = (SELECT B FROM K WHERE ID = %1)"},
    };
    for (const bool rollback : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.write << (rollback ? " (rollback journal)" : " (log)"));
            RollbackDb db(rollback);
            db.exec("CREATE INDEX IX_T_NAME ON T (NAME)");   // each order read from an index, as the rows' order
            db.exec("CREATE INDEX IX_K_B ON K (B)");
            RawConnection other(db.path);
            auto keys = [&] {
                QHash<int, QString> out;
                for (const QString& row : other.rows(QLatin1String(c.keys)).split(u';'))
                    out.insert(row.section(u'|', 0, 0).toInt(), row.section(u'|', 1));
                return out;
            };
            TADOQuery q;
            db.prepare(q, QLatin1String(c.sql));
            q.Open();
            ASSERT_EQ(db.snapshots(), 1) << "read as reached";
            QList<int> seen;
            QHash<int, QString> before;
            for (q.First(); !q.Eof(); q.Next()) {
                seen.append(q.Fields(0)->AsInteger());
                if (seen.size() == 100) {
                    db.conn.Engine()->SuspendSnapshots();
                    before = keys();
                    ASSERT_EQ(other.exec(QString::fromLatin1(c.write).arg(seen.last()).toUtf8().constData()), SQLITE_OK);
                }
            }
            const QSet<int> shown(seen.begin(), seen.end());
            EXPECT_EQ(shown.size(), seen.size()) << "a row shown twice";
            EXPECT_EQ(q.RecordCount(), seen.size());
            const QHash<int, QString> after = keys();
            for (auto it = after.cbegin(); it != after.cend(); ++it) {
                if (before.value(it.key()) == it.value()) {
                    EXPECT_TRUE(shown.contains(it.key())) << it.key();
                }
            }
        }
    }
}

// Thousands of rows read a row a slice in the rollback journal: counted by a walk in slices of
// its own, and read to the end by Last() while a writer that never waits gets in between slices.
TEST(AdoLazy, ALongReadCountsInSlicesAndLetsAWriterThatNeverWaitsIn)
{
    RollbackDb db;
    db.exec("CREATE TABLE G (ID LONG NOT NULL, GRP LONG NOT NULL, CONSTRAINT PK_G PRIMARY KEY (ID))");
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9000) INSERT INTO G SELECT i, i % 100 FROM n");
    db.exec("CREATE INDEX IX_G_GRP ON G (GRP)");
    TADOQuery q;
    db.prepare(q, "SELECT ID, GRP FROM G ORDER BY GRP DESC");
    q.Open();
    EXPECT_EQ(db.snapshots(), 1);
    EXPECT_EQ(q.RecordCount(), 9000);

    std::atomic<bool> reading = true, wrote = false;
    std::thread writer([&] {
        RawConnection other(db.path);
        sqlite3_busy_timeout(other.db, 0);
        while (reading && !wrote)
            wrote = other.exec("INSERT INTO G VALUES (0, -1)") == SQLITE_OK;
    });
    q.Last();
    reading = false;
    writer.join();
    ASSERT_TRUE(wrote);
    EXPECT_EQ(q.Fields(0)->AsInteger(), 0) << "written before the read reached its end";
    const QString expected = RawConnection(db.path).rows("SELECT ID, GRP FROM G ORDER BY GRP DESC, G.rowid DESC");
    EXPECT_EQ(q.RecordCount(), expected.count(u';') + 1);
    q.First();
    EXPECT_EQ(DataSetRows(q), expected);
}
