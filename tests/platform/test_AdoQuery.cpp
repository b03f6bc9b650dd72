#include "AdoTestDb.h"

// Cruza of three rows, and a query on its file.
class AdoQuery : public testing::Test, public AdoTestDb
{
protected:
    TADOQuery q;

    AdoQuery()
    {
        exec("CREATE TABLE Cruza (ID_CRUZA LONG NULL, NC_REP FLOAT NOT NULL, SEQ LONG NOT NULL, REVERSO TEXT(1) NOT NULL, "
             "STATUS TEXT(1) NOT NULL, DUPD TEXT(20) NOT NULL, CONSTRAINT PK_Cruza PRIMARY KEY (NC_REP, SEQ))");
        exec("INSERT INTO Cruza VALUES (NULL, 1000001, 1, '0', 'X', '2025-01-01 08:00:00'), "
             "(55, 1000001, 2, '1', 'M', '2025-01-02 09:00:00'), (-7, 1000002, 1, '0', 'M', '2025-01-03 10:00:00')");
        q.setConnection(&conn);
    }
};

TEST_F(AdoQuery, TypedNamedParametersIgnoreLetterCase)
{
    q.SQL.Add("SELECT seq, status FROM Cruza");
    q.SQL.Add("WHERE (nc_rep = :NC_Rep) AND (seq >= :seq) AND (status <> :Status) AND (id_cruza > :id OR :id IS NULL)");
    ASSERT_EQ(q.Parameters.Count(), 4);
    SetParam(q.Parameters, "nc_rep", ftFloat, 1000001.0);
    SetParam(q.Parameters, "SEQ", ftInteger, QString("1"));   // converted to the parameter's type
    SetParam(q.Parameters, "status", ftString, "x");
    SetParam(q.Parameters, "ID", ftLargeint, QVariant());
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("Seq")->AsInteger(), 2);

    EXPECT_THROW(q.Parameters.ParamByName("nada"), EDatabaseError);
    q.Close();
    q.Parameters.ParamByName("SEQ")->Value = "dois";
    EXPECT_THROW(q.Open(), EOleException);
    EXPECT_FALSE(q.Active());
}

// A grid's refresh: the same text again sees new rows and keeps its field
// objects, or shows the table's new shape after its structure changed.
TEST_F(AdoQuery, ReadsCellsAtRandomAndFollowsTheTableOnRequery)
{
    q.SQL.setText("SELECT * FROM Cruza ORDER BY dupd");
    q.Open();
    EXPECT_THROW(q.setRecNo(4), EDatabaseError);
    // Random access leaves the current record alone.
    EXPECT_EQ(q.FieldIndex("NC_REP"), 1);
    EXPECT_EQ(q.CellValue(2, 0), QVariant(-7));
    EXPECT_EQ(q.CellText(1, 1), QStringLiteral("1000001"));
    EXPECT_EQ(q.RecNo(), 1);

    TField* seq = q.FieldByName("seq");
    exec("INSERT INTO Cruza VALUES (NULL, 1000003, 1, '0', 'M', '2025-01-04 10:00:00')");
    q.Requery();
    EXPECT_EQ(q.RecordCount(), 4);
    EXPECT_EQ(q.FieldByName("SEQ"), seq);

    exec("ALTER TABLE Cruza ADD COLUMN X_CMAQ TEXT(20)  NULL ");
    exec("ALTER TABLE Cruza ALTER COLUMN DUPD TEXT(25)  NOT NULL ");
    q.Requery();
    ASSERT_EQ(q.FieldCount(), 7);
    EXPECT_EQ(q.Fields(6)->FieldName(), QStringLiteral("X_CMAQ"));
    EXPECT_TRUE(q.Fields(6)->IsNull());
    EXPECT_EQ(q.FieldByName("dupd")->Size(), 25);
    EXPECT_EQ(q.FieldByName("dupd")->AsString(), QStringLiteral("2025-01-01 08:00:00"));
    q.Close();
    EXPECT_THROW(q.FieldByName("seq"), EDatabaseError);
}

TEST_F(AdoQuery, FieldsByNameAliasesStarColumnsAndNulls)
{
    q.SQL.setText("SELECT c.*, c.seq AS Ordem, c.status AS status, 'fixo' AS Fixo, "
                  "IIF(isnull(c.id_cruza),'Adic', 'Tal') AS tal_transmissao FROM Cruza c WHERE c.seq = 1 ORDER BY c.nc_rep");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 2);
    EXPECT_TRUE(q.FieldByName("Id_Cruza")->IsNull());
    EXPECT_EQ(q.FieldByName("id_cruza")->AsInteger(), 0);
    EXPECT_EQ(q.FieldByName("ORDEM")->AsInteger(), 1);
    EXPECT_EQ(q.FieldByName("TAL_TRANSMISSAO")->AsString(), QStringLiteral("Adic"));
    EXPECT_EQ(q.FieldByName("reverso")->DataType(), ftWideString);
    EXPECT_EQ(q.FieldByName("nc_rep")->DataType(), ftFloat);
    EXPECT_EQ(q.FieldByName("reverso")->AsInteger(), 0);
    EXPECT_THROW((void)q.FieldByName("status")->AsInteger(), EConvertError);
    q.Next();
    EXPECT_EQ(q.FieldByName("tal_transmissao")->AsString(), QStringLiteral("Tal"));
    EXPECT_EQ(q.FieldByName("id_cruza")->AsLargeInt(), -7);
    // A name selected twice reads the first.
    EXPECT_EQ(rows("SELECT c.status, c.dupd AS status FROM Cruza c WHERE c.id_cruza = 55").section(u'|', 0, 0), "M");
}

TEST_F(AdoQuery, ColumnsCompareTextWithoutLetterCaseAndRefuseWhatDoesNotFit)
{
    exec("CREATE TABLE Parental (ID LONG NOT NULL, CODIGO TEXT(5) NOT NULL, TRATAMENTO TEXT(50) NULL, "
         "CONSTRAINT PK_Parental PRIMARY KEY (ID), CONSTRAINT AK1_Parental UNIQUE (CODIGO))");
    exec("INSERT INTO Parental VALUES (1, 'x1', 'abc'), (2, 'Ação!', 'Hibridação, algodão e soja: ÇÃÕÉÍ ñ')");

    EXPECT_EQ(scalar("SELECT id FROM Parental WHERE tratamento = 'ABC'"), QStringLiteral("1"));
    EXPECT_EQ(rows("SELECT codigo FROM Parental WHERE codigo IN ('X1') GROUP BY codigo"), QStringLiteral("x1"));
    const QString twin = refusal("INSERT INTO Parental VALUES (3, 'X1', NULL)");
    EXPECT_TRUE(twin.contains("Parental.CODIGO")) << twin.toStdString();
    const QString tooLong = refusal("INSERT INTO Parental VALUES (4, 'abcdef', NULL)");
    EXPECT_TRUE(tooLong.contains("Parental.CODIGO") && tooLong.contains("TEXT(5)")) << tooLong.toStdString();
    EXPECT_EQ(scalar("SELECT tratamento FROM Parental WHERE codigo = 'AÇÃO!'"), QStringLiteral("<none>"));
    EXPECT_EQ(scalar("SELECT tratamento FROM Parental WHERE codigo = 'Ação!'"), "Hibridação, algodão e soja: ÇÃÕÉÍ ñ");

    // Numbers given as text are taken; what is no number, or too big for LONG, is not.
    exec("CREATE TABLE Colheita (NC_REP FLOAT NOT NULL, QTE_SEM LONG NOT NULL)");
    exec("INSERT INTO Colheita VALUES ('123', '45'), (1.5, 2147483647)");
    EXPECT_EQ(rows("SELECT nc_rep, qte_sem FROM Colheita ORDER BY nc_rep"), QStringLiteral("1.5|2147483647;123|45"));
    // Whole floats read in all their digits as far as a double holds them all (2^53), beyond in 15.
    EXPECT_EQ(rows("SELECT 9007199254740992.0, -9007199254740992.0, 18014398509481984.0"),
              QStringLiteral("9007199254740992|-9007199254740992|1.8014398509482E16"));
    for (const char* bad : {"('doze', 1)", "(1, 'dez')", "(1, 2147483648)", "(1, 2.5)"})
        EXPECT_TRUE(refusal(QStringLiteral("INSERT INTO Colheita VALUES ") + bad).contains("Colheita.")) << bad;
    EXPECT_EQ(scalar("SELECT count(*) FROM Colheita"), QStringLiteral("2"));
}

TEST_F(AdoQuery, CommandsReportRowsAffectedAndEngineErrors)
{
    TADOCommand del;
    del.setConnection(&conn);
    del.setCommandText("DELETE FROM Cruza c  WHERE ((c.nc_rep = :nc_rep) AND (c.status = :status) AND (c.id_cruza is null))");
    SetParam(del.Parameters, "nc_rep", ftFloat, 1000001);
    SetParam(del.Parameters, "status", ftString, "x");
    EXPECT_EQ(del.Execute(), 1);
    EXPECT_EQ(del.Execute(), 0);

    q.SQL.setText("UPDATE Cruza SET status = 'X' WHERE status = 'M'");
    EXPECT_EQ(q.ExecSQL(), 2);

    for (const char* bad : {"SELECT FROM WHERE", "SELECT * FROM Nenhuma", "SELECT 1; SELECT 2", "", "DELETE FROM Cruza WHERE seq = ?"})
        EXPECT_NE(refusal(bad), "<accepted>") << bad;
}
