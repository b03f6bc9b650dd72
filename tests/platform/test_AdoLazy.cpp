#include "AdoTestDb.h"

#include "XAdoEngine.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <numeric>

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
    sqlite3* other = nullptr;
    sqlite3_open(db.path.toUtf8().constData(), &other);
    ASSERT_EQ(sqlite3_exec(other, "INSERT INTO T VALUES (1000, 0, 'novo'); DELETE FROM T WHERE ID <= 10; "
                                  "UPDATE T SET NAME = 'mudou' WHERE ID = 200", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
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

TEST(AdoLazy, CountsAreExactWhateverTheStatementsShape)
{
    LazyDb db;
    const std::pair<const char*, int> cases[] = {
        {"SELECT GRP, COUNT(*) AS N FROM T GROUP BY GRP ORDER BY GRP DESC", 100},
        {"SELECT ID FROM T UNION ALL SELECT ID FROM T ORDER BY 1", 1000},
        {"SELECT ID FROM T UNION SELECT ID + 1 FROM T", 501},
        {"SELECT ID FROM T ORDER BY ID LIMIT 120", 120},
        {"SELECT ID FROM T ORDER BY ID LIMIT 120 OFFSET 450", 50},
        {"SELECT DISTINCT GRP FROM T ORDER BY (GRP * 2) DESC;", 100},
        {"SELECT a.ID FROM T a LEFT OUTER JOIN T b ON (b.GRP = a.GRP) WHERE a.ID <= 200 ORDER BY a.ID", 1000},
        {"SELECT ID FROM T WHERE NAME IN (SELECT NAME FROM T ORDER BY ID LIMIT 70) ORDER BY ID", 70},
    };
    for (const auto& [sql, rows] : cases) {
        SCOPED_TRACE(sql);
        TADOQuery q;
        db.prepare(q, QString::fromLatin1(sql));
        q.Open();
        EXPECT_EQ(q.RecordCount(), rows);
        EXPECT_EQ(ids(q).size(), rows);
        EXPECT_EQ(db.snapshots(), 0);
    }
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
