#include "AdoTestDb.h"

#include <QFileInfo>
#include <QSignalSpy>

// Each path quoted only where it must be and read back as it was; the other
// parts (an empty one, a quoted one, names in any letter case) read as well.
TEST(AdoConnection, ValuesQuotedAsTheyNeedAndReadBack)
{
    const struct { const char* Value; const char* Quoted; } cases[] = {
        {"C:\\dados\\campo 1.mdb", "C:\\dados\\campo 1.mdb"}, {"/semi;colon/c.mdb", "\"/semi;colon/c.mdb\""},
        {"/a \"q\"/c.mdb", "'/a \"q\"/c.mdb'"}, {"/it's/c.mdb", "\"/it's/c.mdb\""},
        {"/it's \"both\";/c.mdb", "\"/it's \"\"both\"\";/c.mdb\""}, {"/ação/c.mdb ", "\"/ação/c.mdb \""},
    };
    TADOConnection conn;
    for (const auto& c : cases) {
        const QString value = QString::fromUtf8(c.Value);
        EXPECT_EQ(QuoteConnectionValue(value), QString::fromUtf8(c.Quoted)) << c.Value;
        conn.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + QuoteConnectionValue(value)
                                 + ";;Extended Properties=\"a=1;b=2\";Mode=Read");
        EXPECT_EQ(conn.DataSource(), value) << c.Value;
        EXPECT_EQ(conn.ConnectionStringPart("extended properties") + conn.ConnectionStringPart("Mode"), "a=1;b=2Read") << c.Value;
    }
    conn.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False");
    EXPECT_EQ(conn.DataSource() + conn.ConnectionStringPart("User ID"), QString());
}

TEST(AdoConnection, OpensAndClosesOnTheKnownProvidersOnly)
{
    AdoTestDb db;
    EXPECT_THROW(db.conn.setConnectionString(JetConnectionString("/outro.mdb")), EOleException);
    db.conn.setConnected(false);
    EXPECT_THROW(db.exec("CREATE TABLE T (A LONG)"), EOleException);
    db.conn.setConnected(true);
    EXPECT_EQ(db.exec("CREATE TABLE T (A LONG)"), 0);

    TADOConnection ace;
    ace.setConnectionString("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + db.path + ";Persist Security Info=False;");
    ace.Open();
    EXPECT_TRUE(ace.Connected());
    TADOConnection odbc;
    odbc.setConnectionString("Provider=MSDASQL;Data Source=" + db.path);
    EXPECT_THROW(odbc.Open(), EOleException);
}

TEST(AdoConnection, FilesThatAreNoDatabaseFailAndStayUntouched)
{
    QTemporaryDir dir;
    TCampaignFile good;
    good.Conn.Close();
    const QByteArray database = FileBytes(good.Path);
    ASSERT_GT(database.size(), 8192);
    QByteArray access(8192, '\0');
    access.replace(0, 19, QByteArray("\x00\x01\x00\x00Standard Jet DB", 19));

    const QList<QPair<QString, QByteArray>> files = {
        {"vazio.mdb", QByteArray()}, {"texto.mdb", "Este arquivo não é um banco de dados.\r\n"}, {"access.mdb", access},
        {"truncado.mdb", database.left(database.size() / 2)}, {"cortado.mdb", database.left(database.size() - 100)},
        {"nao_existe.mdb", QByteArray()},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name.toStdString());
        const QString path = dir.filePath(name);
        const bool missing = name == "nao_existe.mdb";
        if (!missing) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        TADOConnection conn;
        conn.setConnectionString(JetConnectionString(path));
        const QString refusal = OpenRefusal(conn);
        EXPECT_TRUE(missing ? refusal.startsWith("Could not find file") : refusal.contains(path)) << refusal.toStdString();
        EXPECT_FALSE(conn.Connected());
        EXPECT_EQ(QFileInfo::exists(path), !missing);
        EXPECT_EQ(FileBytes(path), bytes);
        EXPECT_FALSE(QFileInfo::exists(path + "-wal") || QFileInfo::exists(path + "-shm"));
    }
}

TEST(AdoConnection, CountsItsOpenDatasetsAndClosesThemWithItself)
{
    AdoTestDb db;
    db.exec("CREATE TABLE Cruza (NC_REP FLOAT NOT NULL)");
    TADOQuery q1;
    db.prepare(q1, "SELECT * FROM Cruza");
    TADOTable t;
    t.setConnection(&db.conn);
    t.setTableName("Cruza");
    q1.Open();
    t.Open();
    EXPECT_EQ(db.conn.DataSetCount(), 2);
    q1.Close();
    EXPECT_EQ(db.conn.DataSetCount(), 1);
    {
        TADOQuery temporary;
        db.prepare(temporary, "SELECT 1");
        temporary.Open();
        EXPECT_EQ(db.conn.DataSetCount(), 2);
    }
    EXPECT_EQ(db.conn.DataSetCount(), 1);

    QSignalSpy closed(&t, &TCustomADODataSet::AfterClose);
    db.conn.Close();
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(db.conn.DataSetCount(), 0);
    EXPECT_THROW(q1.Open(), EOleException);
}
