// The statements of the main window, the crossing-label helper and the
// hybridisation window, run word for word on a small campaign.

#include "AdoTestDb.h"

namespace {

const QString SQL_Cruza_Ativa = QStringLiteral("(SELECT c.*   FROM Cruza c         INNER JOIN (")
                                + "SELECT nc_rep, MAX(seq) AS seq   FROM Cruza GROUP BY nc_rep " + ") c_ativa "
                                + "           ON ((c.nc_rep = c_ativa.nc_rep) AND (c.seq = c_ativa.seq)))";

const QString MaxSeqSql = QStringLiteral("SELECT MAX( seq ) AS Max_Seq   FROM Cruza WHERE (nc_rep = :nc_rep) ");

QString SQL_Flor_Grid(const QString& condition)
{
    QString sql = "SELECT c.id_cruza,        c.dupd, c.nc_rep, c.status, c.seq,        IIF(c.reverso='0', 'Não' , 'Sim' ) as reverso,        ec.nc_print as nc, pc.codigo_cruza, e.nome AS nome_emasculador, pc.planejamento,        IIF(isnull(c.id_cruza),'Adic', 'Tal') AS tal_transmissao   FROM ((Cruza c            LEFT OUTER JOIN Etiqueta_Cruza ec               ON (c.nc_rep = ec.nc_rep))            LEFT OUTER JOIN Planejamento_Cruza pc              ON (ec.nc = pc.nc))            LEFT OUTER JOIN Emasculador e              ON (c.id_emasculador = e.id)";
    if (!condition.isEmpty())
        sql += " WHERE (" + condition + ") ";
    return sql + " ORDER BY c.DUPD desc";
}

const QString ValidNcSql = QStringLiteral(
    "SELECT ec.nc, ec.rep, ec.nc_print,        pc.codigo_cruza, pc.id_vaso_mae, pc.id_vaso_pai,        c.dupd AS data_cruza, c.status   FROM (Etiqueta_Cruza ec             LEFT OUTER JOIN Planejamento_Cruza pc               ON (ec.nc = pc.nc))             LEFT OUTER JOIN (SELECT *   FROM Cruza WHERE (status <> 'X')) c               ON (ec.nc_rep = c.nc_rep) WHERE ( ec.nc_rep = :nc_rep ) ");
const QString ValidParentalSql = QStringLiteral("SELECT id, codigo   FROM Parental WHERE (id = :id)");
const QString InsertSql = QStringLiteral(
    "INSERT INTO Cruza ( nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq )  values  (:nc_rep,:seq,:reverso,:id_emasculador,:status,:dupd,:cmaq ) ");
const QString DeleteSql = QStringLiteral("DELETE FROM Cruza WHERE (nc_rep = :nc_rep)    AND (seq = :seq)");

struct Campaign : AdoTestDb
{
    Campaign()
    {
        createCrossingTables();
        const QString imp = QStringLiteral("'IMPORTACAO', '2025-01-01 00:00:00', 'PC0'");
        for (const QString e : {"1, 'Maria'", "2, 'João'", "3, 'ana'"})
            exec("INSERT INTO Emasculador VALUES (" + e + ", " + imp + ")");
        for (const QString p : {"101, 'P-A', 'Trat A', 'G1'", "102, 'P-B', 'Trat B', 'G2'", "103, 'P-C', 'Trat C', 'G3'"})
            exec("INSERT INTO Parental (ID, CODIGO, TRATAMENTO, GGEN, USUA, DUPD, CMAQ, UPD_TAL) VALUES (" + p + ", " + imp + ", 0)");
        for (const QString p : {"1, 'CR-1', 101, 102, 'PLANO A', 2", "2, 'CR-2', 102, 103, 'PLANO B', 1", "3, 'CR-3', 101, 199, 'PLANO B', 0"})
            exec("INSERT INTO Planejamento_Cruza (NC, CODIGO_CRUZA, ID_VASO_MAE, ID_VASO_PAI, PLANEJAMENTO, REP, USUA, DUPD, CMAQ) "
                 "VALUES (" + p + ", " + imp + ")");
        for (const QString e : {"1, 1, 123456789012, '123456789012'", "1, 2, 1000002, '1000002'", "2, 1, 2000001, '2000001'",
                                 "9, 1, 9000001, '9000001'"})
            exec("INSERT INTO Etiqueta_Cruza (NC, REP, NC_REP, NC_PRINT, USUA, DUPD, CMAQ) VALUES (" + e + ", 'T', '2025-01-01 00:00:00', 'PC0')");
        exec("INSERT INTO Cruza VALUES (NULL, 123456789012, 1, '0', 1, 'X', '2025-03-01 08:00:00', 'PC1', 2, '2025-03-02 08:00:00', 'PC1')");
        for (const QString c : {"NULL, 123456789012, 2, '1', 2, 'M', '2025-03-05 09:30:00', 'PC1'",
                                 "77, 1000002, 1, '0', 3, 'M', '2025-03-03 10:00:00', 'PC2'"})
            exec("INSERT INTO Cruza (ID_CRUZA, NC_REP, SEQ, REVERSO, ID_EMASCULADOR, STATUS, DUPD, CMAQ) VALUES (" + c + ")");
        exec("INSERT INTO Colheita (NC_REP, QTE_SEM, LOTE, DUPD, CMAQ) VALUES (1000002, 12, 'L1', '2025-04-01 10:00:00', 'PC2')");
        exec("INSERT INTO Colheita (NC_REP, QTE_SEM, LOTE, DUPD, CMAQ) VALUES (123456789012, 5, 'L1', '2025-04-02 10:00:00', 'PC2')");
    }

    // Opens sql with one parameter and gives its rows.
    QString lookup(const QString& sql, const QString& param, TFieldType type, const QVariant& value)
    {
        TADOQuery q;
        prepare(q, sql);
        SetParam(q.Parameters, param, type, value);
        q.Open();
        return DataSetRows(q);
    }

    // Runs sql as it stands and gives the named fields of each row.
    QString pick(const QString& sql, const QStringList& fields)
    {
        TADOQuery q;
        prepare(q, sql);
        q.Open();
        QStringList out;
        for (; !q.Eof(); q.Next()) {
            QStringList cells;
            for (const QString& f : fields)
                cells.append(q.FieldByName(f)->AsString());
            out.append(cells.join(u'|'));
        }
        return out.join(u';');
    }

    int maxSeq(qint64 ncRep)
    {
        TADOQuery q;
        prepare(q, MaxSeqSql);
        SetParam(q.Parameters, "nc_rep", ftLargeint, ncRep);
        q.Open();
        return q.IsEmpty() ? 0 : q.FieldByName("max_seq")->AsInteger();
    }

    int insert(qint64 ncRep, int seq, const QString& reverso, int executor)
    {
        TADOCommand cmd;
        cmd.setConnection(&conn);
        cmd.setCommandText(InsertSql);
        SetParam(cmd.Parameters, "nc_rep", ftLargeint, ncRep);
        SetParam(cmd.Parameters, "seq", ftInteger, seq);
        SetParam(cmd.Parameters, "reverso", ftString, reverso);
        SetParam(cmd.Parameters, "id_emasculador", ftInteger, executor);
        SetParam(cmd.Parameters, "status", ftString, "M");
        SetParam(cmd.Parameters, "dupd", ftString, "2025-05-01 12:00:00");
        SetParam(cmd.Parameters, "cmaq", ftString, "ESTACAO-7");
        return cmd.Execute();
    }
};

} // namespace

TEST(AdoCampaign, ReadStatementsOfTheMainAndHybridisationWindows)
{
    Campaign db;
    EXPECT_EQ(db.rows("SELECT cr.nc_rep, cr.seq, cr.status FROM " + SQL_Cruza_Ativa + " cr ORDER BY cr.nc_rep"),
              QStringLiteral("1000002|1|M;123456789012|2|M"));
    EXPECT_EQ(db.rows("SELECT e.id, e.nome   FROM Emasculador e  ORDER BY  e.nome"), QStringLiteral("3|ana;2|João;1|Maria"));
    EXPECT_EQ(db.maxSeq(123456789012LL), 2);
    EXPECT_EQ(db.maxSeq(1000002), 1);
    EXPECT_EQ(db.maxSeq(2000001), 0);

    // The hybridisation window: its grid with and without a condition, its label and pot look-ups.
    EXPECT_EQ(db.rows(SQL_Flor_Grid(QString())),
              QStringLiteral("|2025-03-05 09:30:00|123456789012|M|2|Sim|123456789012|CR-1|João|PLANO A|Adic;"
                             "77|2025-03-03 10:00:00|1000002|M|1|Não|1000002|CR-1|ana|PLANO A|Tal;"
                             "|2025-03-01 08:00:00|123456789012|X|1|Não|123456789012|CR-1|Maria|PLANO A|Adic"));
    const QString condition = " (c.nc_rep=" + QStringLiteral("1234567890128").left(12) + " ) " + " AND (c.status <> 'X')";
    EXPECT_EQ(db.rows(SQL_Flor_Grid(condition)),
              QStringLiteral("|2025-03-05 09:30:00|123456789012|M|2|Sim|123456789012|CR-1|João|PLANO A|Adic"));
    EXPECT_EQ(db.lookup(ValidNcSql, "nc_rep", ftFloat, 123456789012.0),
              QStringLiteral("1|1|123456789012|CR-1|101|102|2025-03-05 09:30:00|M"));
    EXPECT_EQ(db.lookup(ValidNcSql, "nc_rep", ftFloat, 2000001.0), QStringLiteral("2|1|2000001|CR-2|102|103||"));
    EXPECT_EQ(db.lookup(ValidNcSql, "nc_rep", ftFloat, 9000001.0), QStringLiteral("9|1|9000001|||||"));
    EXPECT_EQ(db.lookup(ValidNcSql, "nc_rep", ftFloat, 5555.0), QString());
    EXPECT_EQ(db.lookup(ValidParentalSql, "id", ftInteger, 102), QStringLiteral("102|P-B"));
    EXPECT_EQ(db.lookup(ValidParentalSql, "id", ftInteger, 999), QString());
}

TEST(AdoCampaign, InsertAfterWriteOffAndDeletion)
{
    Campaign db;
    EXPECT_EQ(db.insert(2000001, db.maxSeq(2000001) + 1, "0", 1), 1);
    EXPECT_EQ(db.lookup(ValidNcSql, "nc_rep", ftFloat, 2000001.0), QStringLiteral("2|1|2000001|CR-2|102|103|2025-05-01 12:00:00|M"));

    // The 12-digit label, written off again, takes SEQ 3; a second SEQ 3 is refused by the key.
    db.exec("UPDATE Cruza SET status = 'X' WHERE nc_rep = 123456789012 AND seq = 2");
    EXPECT_EQ(db.insert(123456789012LL, db.maxSeq(123456789012LL) + 1, "1", 2), 1);
    EXPECT_EQ(db.maxSeq(123456789012LL), 3);
    EXPECT_THROW(db.insert(123456789012LL, 3, "1", 2), EOleException);
    EXPECT_THROW(db.insert(3000001, 1, "10", 2), EOleException);   // REVERSO is TEXT(1)
    EXPECT_EQ(db.scalar("SELECT cmaq FROM Cruza WHERE nc_rep = 123456789012 AND seq = 3"), QStringLiteral("ESTACAO-7"));

    TADOCommand del;
    del.setConnection(&db.conn);
    del.setCommandText(DeleteSql);
    SetParam(del.Parameters, "nc_rep", ftFloat, 2000001.0);
    SetParam(del.Parameters, "seq", ftInteger, 1);
    EXPECT_EQ(del.Execute(), 1);
    EXPECT_EQ(db.maxSeq(2000001), 0);
}
