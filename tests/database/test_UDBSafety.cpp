// The crossing database keeps its key, its connection and its settings safe.

#include "CampaignFile.h"
#include "UDBTables.h"
#include "UDBVersion.h"
#include "UDM.h"
#include "UTBStruct_DB.h"
#include "XDialogs.h"
#include "XExceptions.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

// Read, upgrade, compare: the start-up's structure check.
bool CheckStructure(TADOConnection* Conn)
{
    TDB_Struct expected, actual;
    TStringList log;
    RegisterDBStructs(&expected);
    SetConnection(&actual, Conn);
    ReadSchema(&actual);
    const bool ok = UpdateDBVersion(&actual) && CompareSchema(&expected, &actual, &log);
    ClearConnection(&actual);
    return ok;
}

QString CruzaKey(TADOConnection* Conn)
{
    TADOTable t;
    t.setConnection(Conn);
    t.setTableName(QStringLiteral("Cruza"));
    for (const TIndexDef& d : t.IndexDefs())
        if (d.Primary)
            return d.Name + u'(' + d.Fields + u')';
    return QStringLiteral("<none>");
}

TCampaignOptions Old(int Labels = 8, int Crossings = 3)
{
    TCampaignOptions o;
    o.Version = QStringLiteral("01.001");
    o.Labels = Labels;
    o.Crossings = Crossings;
    o.Seed = 5;
    return o;
}

} // namespace

TEST(CruzaKey, AFileWithoutTheKeyOrCutShortInItsRebuildGetsItOnTheNextStart)
{
    TDlgRecorder rec;
    // A start cut short between dropping the old key and making the new one leaves no key behind.
    TCampaignFile f(Old());
    f.Exec(QStringLiteral("ALTER TABLE Cruza DROP CONSTRAINT PK_Cruza"));
    ASSERT_EQ(CruzaKey(&f.Conn), QStringLiteral("<none>"));
    EXPECT_TRUE(CheckStructure(&f.Conn)) << qPrintable(rec.Texts().join(u'\n'));
    EXPECT_EQ(CruzaKey(&f.Conn), QStringLiteral("PK_Cruza(NC_REP, SEQ)"));
    EXPECT_EQ(rec.Count(), 0);
}

TEST(CruzaKey, NullSequencesLeftBeforeTheKeyAreFilledAndTheKeyIsMade)
{
    TDlgRecorder rec;
    // SEQ there before "01.002" with a Null (a start cut short before its
    // fill): the Null is filled, the numbers there stay, the key is made.
    TCampaignFile f(Old());
    f.Exec(QStringLiteral("ALTER TABLE Cruza ADD COLUMN SEQ LONG NULL"));
    f.Exec(QStringLiteral("UPDATE Cruza SET seq = 2"));
    f.Exec(QStringLiteral("UPDATE Cruza SET seq = NULL WHERE nc_rep = (SELECT MIN(nc_rep) FROM Cruza)"));
    EXPECT_TRUE(CheckStructure(&f.Conn)) << qPrintable(rec.Texts().join(u'\n'));
    EXPECT_EQ(rec.Count(), 0);
    EXPECT_EQ(CruzaKey(&f.Conn), QStringLiteral("PK_Cruza(NC_REP, SEQ)"));
    EXPECT_EQ(f.Rows(QStringLiteral("SELECT seq FROM Cruza ORDER BY nc_rep")), QStringLiteral("1;2;2"));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT versao_db FROM Configuracao")), QStringLiteral("02.005"));
}

class DataModuleSafety : public testing::Test
{
protected:
    void TearDown() override
    {
        const QString base = TDM().ConfigBaseName();
        QFile::remove(base + QStringLiteral(".dat"));
        QFile::remove(base + QStringLiteral(".bkp"));
    }
    TDlgRecorder Rec;
};

TEST_F(DataModuleSafety, AnOpenConnectionIsNeverClosedByChangingTheFile)
{
    TCampaignFile a, b(TCampaignOptions(), QStringLiteral("outra.mdb"));
    TDM dm;
    dm.SetDatabase(a.Path);
    ASSERT_TRUE(dm.SetConnected(true));
    TADOQuery q;
    q.setConnection(dm.Conn);
    q.SQL.setText(QStringLiteral("SELECT * FROM Etiqueta_Cruza"));
    q.Open();
    for (const QString& path : {b.Path, QString()}) {
        EXPECT_THROW(dm.SetDatabase(path), EOleException);
        EXPECT_TRUE(dm.Conn->Connected());
        EXPECT_TRUE(q.Active());
        EXPECT_EQ(dm.GetDataSource(), a.Path);
    }
}

TEST_F(DataModuleSafety, AHugeSettingsFileIsRefusedUnread)
{
    TDM dm;
    const QString name = dm.ConfigBaseName() + QStringLiteral(".dat");
    {
        QFile big(name);
        ASSERT_TRUE(big.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(big.resize(qint64(6) << 30));   // sparse: no disk used
    }
    dm.ClearDatabase();
    try {
        dm.LoadConfig();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Arquivo de configuração danificado: ") + name);
    }
    EXPECT_EQ(dm.GetDataSource(), QString());
}

TEST_F(DataModuleSafety, AFileLockedByAnotherProgramIsReportedAsInUse)
{
    TCampaignFile f;
    f.Conn.Close();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(f.Path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode = DELETE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    TDM dm;
    dm.Conn->setConnectionTimeout(1);
    dm.SetDatabase(f.Path);
    EXPECT_FALSE(dm.SetConnected(true));
    EXPECT_EQ(Rec.Texts(), QStringList{QStringLiteral("Erro ao conectar ao banco de dados.\r\nErro: Could not use '%1'; "
                                                      "file already in use.\r\nHelp Context: EOleException").arg(f.Path)});
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(dm.SetConnected(true));
}
