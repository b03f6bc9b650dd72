#include "AdoTestDb.h"

#include "XExceptions.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QSignalSpy>

namespace {

bool noLog(const QString& path)
{
    return !QFileInfo::exists(path + "-wal") && !QFileInfo::exists(path + "-shm");
}

} // namespace

TEST(AdoConnection, ConnectionStringPartsAreParsedAndCarried)
{
    TADOConnection conn;
    conn.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\dados\\campo 1.mdb;"
                             "Persist Security Info=False;Jet OLEDB:DataBase Password=ab12cd;"
                             "Extended Properties=\"a=1;b=2\"");
    EXPECT_EQ(conn.DataSource(), QStringLiteral("C:\\dados\\campo 1.mdb"));
    EXPECT_EQ(conn.ConnectionStringPart("persist security info"), QStringLiteral("False"));
    EXPECT_EQ(conn.ConnectionStringPart("Extended Properties"), QStringLiteral("a=1;b=2"));
    EXPECT_EQ(conn.ConnectionStringPart("User ID"), QString());
    conn.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;;Mode=Share Deny None");
    EXPECT_EQ(conn.DataSource(), QString());
    EXPECT_EQ(conn.ConnectionStringPart("Mode"), QStringLiteral("Share Deny None"));
}

TEST(AdoConnection, ValuesQuotedAsTheyNeedAndReadBack)
{
    const struct { const char* Value; const char* Quoted; } cases[] = {
        {"/dados/campo 1.mdb", "/dados/campo 1.mdb"},
        {"/semi;colon/c.mdb", "\"/semi;colon/c.mdb\""},
        {"/a \"q\"/c.mdb", "'/a \"q\"/c.mdb'"},
        {"/it's/c.mdb", "\"/it's/c.mdb\""},
        {"/it's \"both\";/c.mdb", "\"/it's \"\"both\"\";/c.mdb\""},
        {"/ação/c.mdb ", "\"/ação/c.mdb \""},
    };
    TADOConnection conn;
    for (const auto& c : cases) {
        const QString value = QString::fromUtf8(c.Value);
        EXPECT_EQ(QuoteConnectionValue(value), QString::fromUtf8(c.Quoted)) << c.Value;
        conn.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + QuoteConnectionValue(value) + ";Mode=Read");
        EXPECT_EQ(conn.DataSource(), value) << c.Value;
        EXPECT_EQ(conn.ConnectionStringPart("Mode"), QStringLiteral("Read")) << c.Value;
    }
}

TEST(AdoConnection, OpensAndClosesOnTheKnownProvidersOnly)
{
    AdoTestDb db;
    EXPECT_THROW(db.conn.setConnectionString(JetConnectionString("/outro.mdb")), EOleException);
    db.conn.setConnected(false);
    TADOCommand cmd;
    cmd.setConnection(&db.conn);
    cmd.setCommandText("CREATE TABLE T (A LONG)");
    EXPECT_THROW(cmd.Execute(), EOleException);
    db.conn.setConnected(true);
    EXPECT_EQ(cmd.Execute(), 0);

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
    AdoTestDb good;
    good.exec("CREATE TABLE Cruza (NC_REP FLOAT NOT NULL, DUPD TEXT(20) NOT NULL)");
    good.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
              "INSERT INTO Cruza SELECT i, '2025-01-01 10:00:00' FROM n");
    good.conn.Close();
    const QByteArray database = FileBytes(good.path);
    ASSERT_GT(database.size(), 8192);
    QByteArray random(4096, '\0');
    for (char& c : random)
        c = char(QRandomGenerator::global()->bounded(256));
    QByteArray access(8192, '\0');
    access.replace(0, 19, QByteArray("\x00\x01\x00\x00Standard Jet DB", 19));

    const QList<QPair<QString, QByteArray>> files = {
        {"vazio.mdb", QByteArray()}, {"texto.mdb", "Este arquivo não é um banco de dados.\r\n"},
        {"aleatorio.mdb", random}, {"access.mdb", access},
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
        try {
            conn.Open();
            ADD_FAILURE() << "opened";
        } catch (const EOleException& e) {
            EXPECT_TRUE(missing ? e.Message().startsWith("Could not find file") : e.Message().contains(path))
                << e.Message().toStdString();
        }
        EXPECT_FALSE(conn.Connected());
        EXPECT_EQ(QFileInfo::exists(path), !missing);
        EXPECT_EQ(FileBytes(path), bytes);
        EXPECT_TRUE(noLog(path));
    }
}

TEST(AdoConnection, CountsItsOpenDatasetsAndClosesThemWithItself)
{
    AdoTestDb db;
    db.exec("CREATE TABLE Cruza (NC_REP FLOAT NOT NULL)");
    TADOQuery q1, q2;
    db.prepare(q1, "SELECT * FROM Cruza");
    db.prepare(q2, "SELECT * FROM Cruza");
    TADOTable t;
    t.setConnection(&db.conn);
    t.setTableName("Cruza");
    EXPECT_EQ(db.conn.DataSetCount(), 0);
    q1.Open();
    t.Open();
    EXPECT_EQ(db.conn.DataSetCount(), 2);
    EXPECT_EQ(db.conn.DataSets(1), &t);
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
    EXPECT_THROW(q2.Open(), EOleException);
}
