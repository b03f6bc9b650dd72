#include "AdoTestDb.h"

#include "XExceptions.h"

namespace {

struct Def
{
    QString name;
    TFieldType type;
    int size;
    bool required;
};

QList<Def> fieldDefs(TADOConnection& conn, const QString& table)
{
    TADOTable t;
    t.setConnection(&conn);
    t.setTableName(table);
    t.Open();
    QList<Def> out;
    for (const TFieldDef& d : t.FieldDefs())
        out.append({d.Name, d.DataType, d.Size, d.Required});
    return out;
}

QString indexDefs(TADOConnection& conn, const QString& table)
{
    TADOTable t;
    t.setConnection(&conn);
    t.setTableName(table);
    QStringList out;
    for (const TIndexDef& d : t.IndexDefs())
        out.append(QStringLiteral("%1(%2)%3%4").arg(d.Name, d.Fields, d.Primary ? "P" : "", d.Unique ? "U" : ""));
    return out.join(u' ');
}

QString describe(const Def& d)
{
    return QStringLiteral("%1 %2 %3%4").arg(d.name, FieldTypeName(d.type).mid(2)).arg(d.size).arg(d.required ? " R" : "");
}

// "NAME Type size[ R]" of one field, R when it is required.
QString fieldDef(TADOConnection& conn, const QString& table, const QString& field)
{
    for (const Def& d : fieldDefs(conn, table))
        if (d.name.compare(field, Qt::CaseInsensitive) == 0)
            return describe(d);
    return QString();
}

} // namespace

TEST(AdoSchema, CrossingTablesReadBackWithTheirDeclaredTypesSizesAndKeys)
{
    AdoTestDb db;
    db.createCrossingTables();
    QStringList cruza;
    for (const Def& d : fieldDefs(db.conn, "Cruza"))
        cruza.append(describe(d));
    EXPECT_EQ(cruza.join(u','), QStringLiteral("ID_CRUZA Integer 0,NC_REP Float 0 R,SEQ Integer 0 R,REVERSO WideString 1 R,"
                                                "ID_EMASCULADOR Integer 0 R,STATUS WideString 1 R,DUPD WideString 20 R,"
                                                "CMAQ WideString 20,ID_USUA_BAIXA Integer 0,X_DUPD WideString 20,X_CMAQ WideString 20"));
    EXPECT_EQ(fieldDef(db.conn, "parental", "genealogia"), QStringLiteral("GENEALOGIA WideString 250"));
    EXPECT_EQ(indexDefs(db.conn, "Cruza"), QStringLiteral("PK_Cruza(NC_REP, SEQ)PU"));
    EXPECT_EQ(indexDefs(db.conn, "Parental"), QStringLiteral("PK_Parental(ID)PU AK1_Parental(CODIGO)U"));
    EXPECT_EQ(indexDefs(db.conn, "Planejamento_Cruza"),
              QStringLiteral("PK_Planejamento_Cruza(NC)PU AK1_Planejamento_Cruza(CODIGO_CRUZA)U"));
}

// An older file: Cruza without the write-off columns and SEQ, keyed on NC_REP
// alone; Configuracao without the later settings; Parental.CODIGO narrower and nullable.
TEST(AdoSchema, UpgradeStatementsRunAsWrittenAndKeepEveryRow)
{
    AdoTestDb db;
    db.exec("CREATE TABLE Cruza (ID_CRUZA LONG  NULL , NC_REP FLOAT  NOT NULL , REVERSO TEXT(1)  NOT NULL , "
            "ID_EMASCULADOR LONG  NOT NULL , STATUS TEXT(1)  NOT NULL , DUPD TEXT(20)  NOT NULL , CMAQ TEXT(20)  NULL , "
            "ID_USUA_BAIXA LONG  NULL , CONSTRAINT PK_Cruza PRIMARY KEY (NC_REP))");
    db.exec("CREATE TABLE Configuracao (CFG_ID LONG  NOT NULL , VERSAO_DB TEXT(10)  NOT NULL , NC_CODE LONG  NOT NULL , "
            "CONSTRAINT PK_Configuracao PRIMARY KEY (CFG_ID))");
    db.exec("CREATE TABLE Parental (ID LONG  NOT NULL , CODIGO TEXT(20)  NULL , TRATAMENTO TEXT(50)  NOT NULL , "
            "CONSTRAINT PK_Parental PRIMARY KEY (ID), CONSTRAINT AK1_Parental UNIQUE (CODIGO))");
    db.exec("CREATE TABLE Planejamento_Cruza (NC FLOAT  NOT NULL , PLANEJAMENTO TEXT(60)  NULL , "
            "CONSTRAINT PK_Planejamento_Cruza PRIMARY KEY (NC))");
    db.exec("INSERT INTO Cruza (NC_REP, REVERSO, ID_EMASCULADOR, STATUS, DUPD) VALUES (123456789012, '0', 1, 'M', "
            "'2025-01-02 10:00:00'), (1000002, '1', 2, 'X', '2025-01-03 11:00:00')");
    db.exec("INSERT INTO Configuracao VALUES (1, '01.001', 0)");
    db.exec("INSERT INTO Parental VALUES (101, 'P-A', 'Trat A')");
    db.exec("INSERT INTO Planejamento_Cruza VALUES (1, 'PLANO A')");

    const QStringList upgrade = {
        "ALTER TABLE Cruza ADD COLUMN X_USUA TEXT(30)  NULL ",
        "ALTER TABLE Cruza ADD COLUMN X_DUPD TEXT(20)  NULL ",
        "ALTER TABLE Cruza ADD COLUMN X_CMAQ TEXT(20)  NULL ",
        "ALTER TABLE Cruza ADD COLUMN SEQ LONG   NULL ",
        "UPDATE Cruza   SET seq = 1  WHERE (seq IS null)",
        "ALTER TABLE Cruza DROP CONSTRAINT PK_Cruza",
        "CREATE INDEX PK_Cruza ON Cruza (NC_REP, SEQ) WITH PRIMARY",
        "ALTER TABLE Configuracao ADD COLUMN etiq_pag LONG   NULL ",
        "UPDATE Configuracao   SET etiq_pag = 16  WHERE (etiq_pag IS null)",
        "ALTER TABLE Parental ADD COLUMN ID_AGROBASE TEXT(30)  NULL ",
        "ALTER TABLE Parental ALTER COLUMN CODIGO TEXT(30)  NOT NULL ",
        "ALTER TABLE Configuracao ADD COLUMN LIMPA_EMASC LONG   NULL ",
        "UPDATE Configuracao   SET limpa_emasc = 0  WHERE (limpa_emasc IS null)",
        "ALTER TABLE Configuracao ADD COLUMN CAB_ETIQ_FLOR LONG   NULL ",
        "ALTER TABLE Configuracao ADD COLUMN PLAN_ETIQ_FLOR LONG   NULL ",
        "UPDATE Configuracao   SET cab_etiq_flor = 0, plan_etiq_flor = 1  WHERE ((cab_etiq_flor IS null) OR (plan_etiq_flor IS null))",
        "ALTER TABLE Planejamento_Cruza ALTER COLUMN PLANEJAMENTO TEXT(60)  NOT NULL ",
        "ALTER TABLE Configuracao ADD COLUMN SMT_MAX_HIBR LONG   NULL ",
        "UPDATE Configuracao   SET smt_max_hibr = 4  WHERE (smt_max_hibr IS null) ",
        "UPDATE Configuracao   SET versao_db = '02.005'",
    };
    for (const QString& sql : upgrade)
        ASSERT_NO_THROW(db.exec(sql)) << sql.toStdString();

    EXPECT_EQ(indexDefs(db.conn, "Cruza"), QStringLiteral("PK_Cruza(NC_REP, SEQ)PU"));
    EXPECT_EQ(fieldDef(db.conn, "Cruza", "SEQ"), QStringLiteral("SEQ Integer 0"));
    EXPECT_EQ(fieldDef(db.conn, "Cruza", "X_USUA"), QStringLiteral("X_USUA WideString 30"));
    // The column keeps the name the statement gave it.
    EXPECT_EQ(fieldDef(db.conn, "Configuracao", "ETIQ_PAG"), QStringLiteral("etiq_pag Integer 0"));
    EXPECT_EQ(fieldDef(db.conn, "Parental", "CODIGO"), QStringLiteral("CODIGO WideString 30 R"));
    EXPECT_EQ(indexDefs(db.conn, "Parental"), QStringLiteral("PK_Parental(ID)PU AK1_Parental(CODIGO)U"));
    EXPECT_EQ(fieldDef(db.conn, "Planejamento_Cruza", "PLANEJAMENTO"), QStringLiteral("PLANEJAMENTO WideString 60 R"));

    EXPECT_EQ(db.rows("SELECT nc_rep, seq, reverso, status FROM Cruza ORDER BY nc_rep"),
              QStringLiteral("1000002|1|1|X;123456789012|1|0|M"));
    EXPECT_EQ(db.rows("SELECT versao_db, etiq_pag, limpa_emasc, cab_etiq_flor, plan_etiq_flor, smt_max_hibr FROM Configuracao"),
              QStringLiteral("02.005|16|0|0|1|4"));
    EXPECT_EQ(db.rows("SELECT id, codigo, tratamento FROM Parental"), QStringLiteral("101|P-A|Trat A"));

    // The rebuilt key refuses a second SEQ 1 of a label but takes SEQ 2.
    const QString again = "INSERT INTO Cruza (NC_REP, SEQ, REVERSO, ID_EMASCULADOR, STATUS, DUPD) VALUES (123456789012, %1, "
                          "'0', 1, 'M', '2025-02-01 09:00:00')";
    EXPECT_NE(db.refusal(again.arg(1)), "<accepted>");
    EXPECT_EQ(db.exec(again.arg(2)), 1);
}

TEST(AdoSchema, AlterColumnKeepsRowsDefaultsIndexesAndKeys)
{
    AdoTestDb db;
    db.exec("CREATE TABLE Lote (ID LONG NOT NULL, NOME TEXT(10) NULL, QTD LONG DEFAULT 7, "
            "CONSTRAINT PK_Lote PRIMARY KEY (ID), CONSTRAINT AK1_Lote UNIQUE (NOME))");
    db.exec("CREATE INDEX IX_Lote_Qtd ON Lote (QTD DESC)");
    db.exec("INSERT INTO Lote (ID, NOME, QTD) VALUES (2, 'Dois', 3)");
    db.exec("INSERT INTO Lote (ID, NOME) VALUES (1, 'Um')");

    db.exec("ALTER TABLE Lote ALTER COLUMN NOME TEXT(40) NOT NULL");

    EXPECT_EQ(db.rows("SELECT id, nome, qtd FROM Lote ORDER BY id"), QStringLiteral("1|Um|7;2|Dois|3"));
    EXPECT_EQ(fieldDef(db.conn, "Lote", "NOME"), QStringLiteral("NOME WideString 40 R"));
    EXPECT_EQ(indexDefs(db.conn, "Lote"), QStringLiteral("PK_Lote(ID)PU AK1_Lote(NOME)U IX_Lote_Qtd(QTD)"));
    db.exec("INSERT INTO Lote (ID, NOME) VALUES (3, 'Tres')");
    EXPECT_EQ(db.scalar("SELECT qtd FROM Lote WHERE id = 3"), QStringLiteral("7"));
    EXPECT_THROW(db.exec("INSERT INTO Lote (ID, NOME) VALUES (4, 'UM')"), EOleException);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM sqlite_master WHERE name LIKE 'jet_old%'"), QStringLiteral("0"));
}

TEST(AdoSchema, FailedAlterColumnRaisesAndLeavesTheTableAsItWas)
{
    AdoTestDb db;
    db.exec("CREATE TABLE Parental (ID LONG  NOT NULL , CODIGO TEXT(30)  NULL , CONSTRAINT PK_Parental PRIMARY KEY (ID), "
            "CONSTRAINT AK1_Parental UNIQUE (CODIGO))");
    db.exec("INSERT INTO Parental VALUES (1, 'Longo demais'), (2, NULL)");

    EXPECT_TRUE(db.refusal("ALTER TABLE Parental ALTER COLUMN CODIGO TEXT(30)  NOT NULL ").contains("Parental.CODIGO"));
    EXPECT_NE(db.refusal("ALTER TABLE Parental ALTER COLUMN CODIGO TEXT(5)  NULL "), "<accepted>");

    EXPECT_EQ(fieldDef(db.conn, "Parental", "CODIGO"), QStringLiteral("CODIGO WideString 30"));
    EXPECT_EQ(indexDefs(db.conn, "Parental"), QStringLiteral("PK_Parental(ID)PU AK1_Parental(CODIGO)U"));
    EXPECT_EQ(db.rows("SELECT id, codigo FROM Parental ORDER BY id"), QStringLiteral("1|Longo demais;2|"));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM sqlite_master WHERE name LIKE 'jet_old%'"), QStringLiteral("0"));
}

TEST(AdoSchema, KeysAndIndexesFollowTheirStatements)
{
    AdoTestDb db;
    db.exec("CREATE TABLE Colheita_Del (ID_CRUZA LONG  NULL , NC_REP FLOAT  NOT NULL , DUPD TEXT(20)  NOT NULL )");
    db.exec("INSERT INTO Colheita_Del VALUES (1, 5, '2025-01-01 00:00:00'), (2, 5, '2025-01-01 00:00:00')");

    // A primary key over duplicate rows is refused and nothing changes.
    EXPECT_NE(db.refusal("CREATE INDEX PK_Colheita_Del ON Colheita_Del (NC_REP, DUPD) WITH PRIMARY"), "<accepted>");
    EXPECT_EQ(indexDefs(db.conn, "Colheita_Del") + db.scalar("SELECT count(*) FROM Colheita_Del"), QStringLiteral("2"));

    db.exec("DELETE FROM Colheita_Del WHERE id_cruza = 2");
    db.exec("CREATE INDEX PK_Colheita_Del ON Colheita_Del (NC_REP, DUPD) WITH PRIMARY");
    EXPECT_THROW(db.exec("CREATE INDEX PK_Outra ON Colheita_Del (ID_CRUZA) WITH PRIMARY"), EOleException);
    db.exec("CREATE UNIQUE INDEX UX_Cruza ON Colheita_Del (ID_CRUZA)");
    EXPECT_EQ(indexDefs(db.conn, "Colheita_Del"), QStringLiteral("PK_Colheita_Del(NC_REP, DUPD)PU UX_Cruza(ID_CRUZA)U"));

    db.exec("ALTER TABLE Colheita_Del DROP CONSTRAINT UX_Cruza");
    db.exec("ALTER TABLE Colheita_Del DROP CONSTRAINT pk_colheita_del");
    EXPECT_EQ(indexDefs(db.conn, "Colheita_Del"), QString());
    EXPECT_THROW(db.exec("ALTER TABLE Colheita_Del DROP CONSTRAINT PK_Colheita_Del"), EOleException);
    EXPECT_EQ(db.scalar("SELECT dupd FROM Colheita_Del"), QStringLiteral("2025-01-01 00:00:00"));
}

TEST(AdoSchema, JetTypesOfTheDdlReadBackAsTheirFieldTypes)
{
    AdoTestDb db;
    db.exec("CREATE TABLE Tipos ([Id] COUNTER, Curto SHORT, Data DATETIME, Nota MEMO, Ativo BIT, Real8 DOUBLE, "
            "Bytes BINARY(8), Texto TEXT(12) NOT NULL DEFAULT \"x\")");
    QStringList defs;
    for (const Def& d : fieldDefs(db.conn, "Tipos"))
        defs.append(describe(d));
    EXPECT_EQ(defs.join(u','), QStringLiteral("Id AutoInc 0,Curto Smallint 0,Data DateTime 0,Nota Memo 0,Ativo Boolean 0,"
                                               "Real8 Float 0,Bytes Bytes 8,Texto WideString 12 R"));

    // The counter numbers new rows; a memo keeps leading zeros; a SHORT refuses 40000.
    db.exec("INSERT INTO Tipos (Nota) VALUES ('007'), ('1.50')");
    EXPECT_EQ(db.rows("SELECT id, nota, texto FROM Tipos ORDER BY id"), QStringLiteral("1|007|x;2|1.50|x"));
    EXPECT_THROW(db.exec("INSERT INTO Tipos (Curto) VALUES (40000)"), EOleException);
    EXPECT_THROW(db.exec("CREATE TABLE Ruim (A GADGET)"), EOleException);
}
