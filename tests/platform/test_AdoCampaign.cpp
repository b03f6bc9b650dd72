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

TEST(AdoCampaign, ReportStatementsOfTheLaterWindows)
{
    Campaign db;
    // Planned against realised, the crossing book: nested joins and ISNULL guards.
    const QString plan = "SELECT ec.nc, COUNT(1) AS plan_emasc  FROM Etiqueta_Cruza ec  GROUP BY ec.nc ";
    const QString done = "SELECT ec.nc, COUNT(1) AS tot_emasc  FROM Etiqueta_Cruza ec       INNER JOIN Cruza cr         ON (ec.nc_rep = cr.nc_rep) GROUP BY ec.nc ";
    const QString aborted = QStringLiteral("SELECT ec.nc, COUNT(1) AS tot_abortado  FROM Etiqueta_Cruza ec       INNER JOIN Cruza cr         ON (ec.nc_rep = cr.nc_rep) WHERE (cr.status = ") + "'X'" + ") " + " GROUP BY ec.nc ";
    const QString harvest = "SELECT ec.nc, COUNT(1) AS tot_env, SUM(co.qte_sem) as tot_sem  FROM Etiqueta_Cruza ec       INNER JOIN Colheita co         ON (ec.nc_rep = co.nc_rep) GROUP BY ec.nc ";
    const QString book = QStringLiteral("SELECT pc.planejamento, pc.nc, pc.codigo_cruza,        pc.id_vaso_mae as id_mae, pc.id_vaso_pai as id_pai,        tmae.codigo as codigo_mae, tmae.tratamento as nome_mae, tmae.genealogia as genealogia_mae, tmae.cflor as mae_cflor, tmae.cpub as mae_cpub, tmae.ggen as mae_ggen,        tpai.codigo as codigo_pai, tpai.tratamento as nome_pai, tpai.genealogia as genealogia_pai, tpai.cflor as pai_cflor, tpai.cpub as pai_cpub, tpai.ggen as pai_ggen,        pl_emasc.plan_emasc,        IIF(ISNULL(t_emasc.tot_emasc), 0, t_emasc.tot_emasc) as realizado_emasc,        IIF(ISNULL(t_abort.tot_abortado), 0, t_abort.tot_abortado) as abortado_emasc,        (IIF(ISNULL(t_emasc.tot_emasc), 0, t_emasc.tot_emasc) -        IIF(ISNULL(t_abort.tot_abortado), 0, t_abort.tot_abortado)) as emasc_viavel,        IIF(ISNULL(t_col.tot_sem), 0, t_col.tot_sem) as tot_semente,        IIF(ISNULL(t_col.tot_env), 0, t_col.tot_env) as tot_envelope   FROM (((((Planejamento_Cruza pc                  LEFT OUTER JOIN Parental tmae                    ON (pc.id_vaso_mae = tmae.id))                 LEFT OUTER JOIN Parental tpai                    ON (pc.id_vaso_pai = tpai.id))                 LEFT OUTER JOIN (")
                         + plan + ") PL_Emasc " + "                   ON (pc.nc = pl_emasc.nc))"
                         + "                 LEFT OUTER JOIN (" + done + ") T_Emasc " + "                   ON (pc.nc = t_emasc.nc))"
                         + "                 LEFT OUTER JOIN (" + aborted + ") T_Abort " + "                   ON (pc.nc = t_abort.nc))"
                         + "                 LEFT OUTER JOIN (" + harvest + ") T_Col " + "                   ON (pc.nc = t_col.nc)"
                         + " ORDER BY pc.planejamento, pc.nc ";
    EXPECT_EQ(db.pick(book, {"nc", "codigo_mae", "codigo_pai", "plan_emasc", "realizado_emasc", "abortado_emasc",
                             "emasc_viavel", "tot_semente", "tot_envelope"}),
              QStringLiteral("1|P-A|P-B|2|3|1|2|17|2;2|P-B|P-C|1|0|0|0|0|0;3|P-A|||0|0|0|0|0"));

    // Executor report, analytic sheet, with a period on the date part of the text.
    const QString period = " WHERE  (" + QStringLiteral("( Left( c.dupd, 10 ) >= '2025-03-02')") + " AND "
                           + "( Left( c.dupd, 10 ) <= '2025-03-05')" + ") ";
    const QString report = QStringLiteral("SELECT emasc.nome as nome_emasc, c.dupd, pc.planejamento,        pc.codigo_cruza, ec.nc_print,        IIF(c.reverso = ")
                           + "'0', 'Nao', 'Sim'" + ") as reverso, " + "       IIF(c.status = " + "'X', 'Sim', 'Nao'"
                           + ") as abortado, " + "       smt.qte_sem, LEFT(c.dupd, 7) as ano_mes, " + "       IIF(c.status = "
                           + "'X'" + ", 0, smt.qte_sem ) as qte_smts " + "  FROM (((" + "Cruza" + " c "
                           + "          LEFT OUTER JOIN " + "Emasculador" + " emasc " + "            ON (c.id_emasculador = emasc.id))"
                           + "          LEFT OUTER JOIN " + "Etiqueta_Cruza" + " ec " + "            ON (c.nc_rep = ec.nc_rep))"
                           + "          LEFT OUTER JOIN " + "Planejamento_Cruza" + " pc " + "            ON (ec.nc = pc.nc))"
                           + "          LEFT OUTER JOIN " + "Colheita" + " smt " + "            ON (ec.nc_rep = smt.nc_rep) "
                           + period + " ORDER BY emasc.nome, c.dupd ";
    EXPECT_EQ(db.pick(report, {"nome_emasc", "nc_print", "reverso", "abortado", "ano_mes", "qte_smts"}),
              QStringLiteral("ana|1000002|Nao|Nao|2025-03|12;João|123456789012|Sim|Nao|2025-03|5"));

    // Parental summary: the pots of each plan through UNION ALL.
    const QString u = QStringLiteral("SELECT pc.planejamento, ") + "pc.id_vaso_mae" + " as id_vaso " + "  FROM "
                      + "Planejamento_Cruza" + " pc " + " UNION ALL " + "SELECT pc.planejamento, " + "pc.id_vaso_pai"
                      + " as id_vaso " + "  FROM " + "Planejamento_Cruza" + " pc ";
    const QString pots = "SELECT DISTINCT up.planejamento, up.id_vaso, p.codigo, p.tratamento   FROM Parental p INNER JOIN ( " + u
                         + ") up " + "         ON ( p.id = up.id_vaso )";
    QStringList found = db.pick(pots, {"planejamento", "id_vaso", "codigo"}).split(u';');
    found.sort();
    EXPECT_EQ(found, QStringList({"PLANO A|101|P-A", "PLANO A|102|P-B", "PLANO B|101|P-A", "PLANO B|102|P-B", "PLANO B|103|P-C"}));
}
