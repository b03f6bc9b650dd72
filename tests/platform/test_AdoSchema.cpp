#include "AdoTestDb.h"

namespace {

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

} // namespace

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
    TADOTable t;
    t.setConnection(&db.conn);
    t.setTableName("Lote");
    const TFieldDef nome = t.FieldDefs().value(1);
    EXPECT_EQ(nome.Name + FieldTypeName(nome.DataType) + QString::number(nome.Size) + (nome.Required ? "R" : ""), "NOMEftWideString40R");
    EXPECT_EQ(indexDefs(db.conn, "Lote"), QStringLiteral("PK_Lote(ID)PU AK1_Lote(NOME)U IX_Lote_Qtd(QTD)"));
    db.exec("INSERT INTO Lote (ID, NOME) VALUES (3, 'Tres')");
    EXPECT_EQ(db.scalar("SELECT qtd FROM Lote WHERE id = 3"), QStringLiteral("7"));
    EXPECT_THROW(db.exec("INSERT INTO Lote (ID, NOME) VALUES (4, 'UM')"), EOleException);
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
