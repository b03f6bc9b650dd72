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

Def fieldDef(TADOConnection& conn, const QString& table, const QString& field)
{
    for (const Def& d : fieldDefs(conn, table))
        if (d.name.compare(field, Qt::CaseInsensitive) == 0)
            return d;
    return {QString(), ftUnknown, -1, false};
}

} // namespace

TEST(AdoSchema, CrossingTablesReadBackWithTheirDeclaredTypesSizesAndKeys)
{
    AdoTestDb db;
    db.createCrossingTables();

    const QList<Def> cruza = fieldDefs(db.conn, "Cruza");
    ASSERT_EQ(cruza.size(), 11);
    EXPECT_EQ(cruza[0].name, QStringLiteral("ID_CRUZA"));
    EXPECT_EQ(cruza[0].type, ftInteger);
    EXPECT_EQ(cruza[0].size, 0);
    EXPECT_FALSE(cruza[0].required);
    EXPECT_EQ(cruza[1].type, ftFloat);
    EXPECT_TRUE(cruza[1].required);
    EXPECT_EQ(cruza[3].name, QStringLiteral("REVERSO"));
    EXPECT_EQ(cruza[3].type, ftWideString);
    EXPECT_EQ(cruza[3].size, 1);
    EXPECT_EQ(cruza[6].size, 20);
    EXPECT_FALSE(cruza[7].required);   // CMAQ NULL

    const Def genealogia = fieldDef(db.conn, "parental", "genealogia");
    EXPECT_EQ(genealogia.type, ftWideString);
    EXPECT_EQ(genealogia.size, 250);

    EXPECT_EQ(indexDefs(db.conn, "Cruza"), QStringLiteral("PK_Cruza(NC_REP, SEQ)PU"));
    EXPECT_EQ(indexDefs(db.conn, "Parental"), QStringLiteral("PK_Parental(ID)PU AK1_Parental(CODIGO)U"));
    EXPECT_EQ(indexDefs(db.conn, "Planejamento_Cruza"),
              QStringLiteral("PK_Planejamento_Cruza(NC)PU AK1_Planejamento_Cruza(CODIGO_CRUZA)U"));

    // The schema rowset lists the eight as user tables.
    TADODataSet rowset;
    db.conn.OpenSchema(siTables, &rowset);
    rowset.setFilter("(TABLE_TYPE = 'TABLE')");
    rowset.setFiltered(true);
    QStringList names;
    for (; !rowset.Eof(); rowset.Next())
        names.append(rowset.FieldByName("table_name")->AsString());
    EXPECT_EQ(names, QStringList({"Colheita", "Colheita_Del", "Configuracao", "Cruza", "Emasculador",
                                  "Etiqueta_Cruza", "Parental", "Planejamento_Cruza"}));
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
    db.exec("INSERT INTO Cruza (NC_REP, REVERSO, ID_EMASCULADOR, STATUS, DUPD) VALUES (123456789012, '0', 1, 'M', '2025-01-02 10:00:00')");
    db.exec("INSERT INTO Cruza (NC_REP, REVERSO, ID_EMASCULADOR, STATUS, DUPD) VALUES (1000002, '1', 2, 'X', '2025-01-03 11:00:00')");
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
    const Def seq = fieldDef(db.conn, "Cruza", "SEQ");
    EXPECT_EQ(seq.type, ftInteger);
    EXPECT_FALSE(seq.required);
    const Def xUsua = fieldDef(db.conn, "Cruza", "X_USUA");
    EXPECT_EQ(xUsua.type, ftWideString);
    EXPECT_EQ(xUsua.size, 30);
    // The column keeps the name the statement gave it.
    EXPECT_EQ(fieldDef(db.conn, "Configuracao", "ETIQ_PAG").name, QStringLiteral("etiq_pag"));
    const Def codigo = fieldDef(db.conn, "Parental", "CODIGO");
    EXPECT_EQ(codigo.size, 30);
    EXPECT_TRUE(codigo.required);
    EXPECT_EQ(indexDefs(db.conn, "Parental"), QStringLiteral("PK_Parental(ID)PU AK1_Parental(CODIGO)U"));
    EXPECT_TRUE(fieldDef(db.conn, "Planejamento_Cruza", "PLANEJAMENTO").required);

    EXPECT_EQ(db.rows("SELECT nc_rep, seq, reverso, status FROM Cruza ORDER BY nc_rep"),
              QStringLiteral("1000002|1|1|X;123456789012|1|0|M"));
    EXPECT_EQ(db.rows("SELECT versao_db, etiq_pag, limpa_emasc, cab_etiq_flor, plan_etiq_flor, smt_max_hibr FROM Configuracao"),
              QStringLiteral("02.005|16|0|0|1|4"));
    EXPECT_EQ(db.rows("SELECT id, codigo, tratamento FROM Parental"), QStringLiteral("101|P-A|Trat A"));

    // The rebuilt key refuses a second SEQ 1 of a label but takes SEQ 2.
    EXPECT_THROW(db.exec("INSERT INTO Cruza (NC_REP, SEQ, REVERSO, ID_EMASCULADOR, STATUS, DUPD) "
                         "VALUES (123456789012, 1, '0', 1, 'M', '2025-02-01 09:00:00')"),
                 EOleException);
    EXPECT_EQ(db.exec("INSERT INTO Cruza (NC_REP, SEQ, REVERSO, ID_EMASCULADOR, STATUS, DUPD) "
                      "VALUES (123456789012, 2, '0', 1, 'M', '2025-02-01 09:00:00')"),
              1);
}

TEST(AdoSchema, AlterColumnKeepsRowsDefaultsIndexesAndKeys)
{
    AdoTestDb db;
    db.exec("CREATE TABLE Lote (ID LONG NOT NULL, NOME TEXT(10) NULL, QTD LONG DEFAULT 7, "
            "CONSTRAINT PK_Lote PRIMARY KEY (ID), CONSTRAINT AK1_Lote UNIQUE (NOME))");
    db.exec("CREATE INDEX IX_Lote_Qtd ON Lote (QTD DESC)");
    db.exec("INSERT INTO Lote (ID, NOME) VALUES (1, 'Um')");
    db.exec("INSERT INTO Lote (ID, NOME, QTD) VALUES (2, 'Dois', 3)");

    db.exec("ALTER TABLE Lote ALTER COLUMN NOME TEXT(40) NOT NULL");

    EXPECT_EQ(db.rows("SELECT id, nome, qtd FROM Lote ORDER BY id"), QStringLiteral("1|Um|7;2|Dois|3"));
    EXPECT_EQ(fieldDef(db.conn, "Lote", "NOME").size, 40);
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
    db.exec("INSERT INTO Parental VALUES (1, 'Longo demais')");
    db.exec("INSERT INTO Parental VALUES (2, NULL)");

    try {
        db.exec("ALTER TABLE Parental ALTER COLUMN CODIGO TEXT(30)  NOT NULL ");
        FAIL() << "NOT NULL over a Null was accepted";
    } catch (const EOleException& e) {
        EXPECT_TRUE(e.Message().contains("Parental.CODIGO")) << e.Message().toStdString();
    }
    EXPECT_THROW(db.exec("ALTER TABLE Parental ALTER COLUMN CODIGO TEXT(5)  NULL "), EOleException);

    const Def codigo = fieldDef(db.conn, "Parental", "CODIGO");
    EXPECT_EQ(codigo.size, 30);
    EXPECT_FALSE(codigo.required);
    EXPECT_EQ(indexDefs(db.conn, "Parental"), QStringLiteral("PK_Parental(ID)PU AK1_Parental(CODIGO)U"));
    EXPECT_EQ(db.rows("SELECT id, codigo FROM Parental ORDER BY id"), QStringLiteral("1|Longo demais;2|"));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM sqlite_master WHERE name LIKE 'jet_old%'"), QStringLiteral("0"));
}

TEST(AdoSchema, KeysAndIndexesFollowTheirStatements)
{
    AdoTestDb db;
    db.exec("CREATE TABLE Colheita_Del (ID_CRUZA LONG  NULL , NC_REP FLOAT  NOT NULL , DUPD TEXT(20)  NOT NULL )");
    db.exec("INSERT INTO Colheita_Del VALUES (1, 5, '2025-01-01 00:00:00')");
    db.exec("INSERT INTO Colheita_Del VALUES (2, 5, '2025-01-01 00:00:00')");
    EXPECT_EQ(indexDefs(db.conn, "Colheita_Del"), QString());

    // A primary key over duplicate rows is refused and nothing changes.
    EXPECT_THROW(db.exec("CREATE INDEX PK_Colheita_Del ON Colheita_Del (NC_REP, DUPD) WITH PRIMARY"), EOleException);
    EXPECT_EQ(indexDefs(db.conn, "Colheita_Del"), QString());
    EXPECT_EQ(db.scalar("SELECT count(*) FROM Colheita_Del"), QStringLiteral("2"));

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
    const QList<Def> defs = fieldDefs(db.conn, "Tipos");
    ASSERT_EQ(defs.size(), 8);
    EXPECT_EQ(defs[0].type, ftAutoInc);
    EXPECT_EQ(defs[1].type, ftSmallint);
    EXPECT_EQ(defs[2].type, ftDateTime);
    EXPECT_EQ(defs[3].type, ftMemo);
    EXPECT_EQ(defs[4].type, ftBoolean);
    EXPECT_EQ(defs[5].type, ftFloat);
    EXPECT_EQ(defs[6].type, ftBytes);
    EXPECT_EQ(defs[7].type, ftWideString);
    EXPECT_EQ(defs[7].size, 12);
    EXPECT_TRUE(defs[7].required);

    // The counter numbers new rows; a memo keeps leading zeros; a SHORT refuses 40000.
    db.exec("INSERT INTO Tipos (Nota) VALUES ('007')");
    db.exec("INSERT INTO Tipos (Nota) VALUES ('1.50')");
    EXPECT_EQ(db.rows("SELECT id, nota, texto FROM Tipos ORDER BY id"), QStringLiteral("1|007|x;2|1.50|x"));
    EXPECT_THROW(db.exec("INSERT INTO Tipos (Curto) VALUES (40000)"), EOleException);
    EXPECT_THROW(db.exec("CREATE TABLE Ruim (A GADGET)"), EOleException);
}
