#include "UFCruza_Planejado_Cons.h"

#include "UFMain.h"

namespace {

const TConsColumns RealizadoColumns = {
    {QStringLiteral("planejamento"), QStringLiteral("Planejamento"), 150, taLeftJustify},
    {QStringLiteral("nc"), QStringLiteral("NC"), 70, taRightJustify},
    {QStringLiteral("codigo_cruza"), QStringLiteral("Codigo_Cruza"), 150, taLeftJustify},
    {QStringLiteral("reverso"), QStringLiteral("Reverso"), 70, taLeftJustify},
    {QStringLiteral("tot_sem"), QStringLiteral("Tot_Semente"), 100, taRightJustify},
    {QStringLiteral("qte_envelope"), QStringLiteral("Qte_Envelope"), 80, taRightJustify},
    {QStringLiteral("nome_mae"), QStringLiteral("Mãe Planejado"), 150, taLeftJustify},
    {QStringLiteral("nome_pai"), QStringLiteral("Pai Planejado"), 150, taLeftJustify},
    {QStringLiteral("mae_cflor"), QStringLiteral("CFlor Mãe"), 70, taLeftJustify},
    {QStringLiteral("pai_cflor"), QStringLiteral("CFlor Pai"), 70, taLeftJustify},
    {QStringLiteral("mae_cpub"), QStringLiteral("CPub Mãe"), 70, taLeftJustify},
    {QStringLiteral("pai_cpub"), QStringLiteral("CPub Pai"), 70, taLeftJustify},
};

const TConsColumns AnaliticoColumns = {
    {QStringLiteral("planejamento"), QStringLiteral("Planejamento"), 150, taLeftJustify},
    {QStringLiteral("nc"), QStringLiteral("NC"), 80, taRightJustify},
    {QStringLiteral("codigo_cruza"), QStringLiteral("Codigo_Cruza"), 120, taLeftJustify},
    {QStringLiteral("id_mae"), QStringLiteral("NC_Mae"), 80, taRightJustify},
    {QStringLiteral("codigo_mae"), QStringLiteral("Codigo_Mae"), 120, taLeftJustify},
    {QStringLiteral("nome_mae"), QStringLiteral("Mae"), 150, taLeftJustify},
    {QStringLiteral("mae_cflor"), QStringLiteral("CFlor Mãe"), 70, taLeftJustify},
    {QStringLiteral("mae_cpub"), QStringLiteral("CPub Mãe"), 70, taLeftJustify},
    {QStringLiteral("mae_ggen"), QStringLiteral("GGEN Mãe"), 70, taLeftJustify},
    {QStringLiteral("id_pai"), QStringLiteral("NC_Pai"), 80, taRightJustify},
    {QStringLiteral("codigo_pai"), QStringLiteral("Codigo_Pai"), 120, taLeftJustify},
    {QStringLiteral("nome_pai"), QStringLiteral("Pai"), 150, taLeftJustify},
    {QStringLiteral("pai_cflor"), QStringLiteral("CFlor Pai"), 70, taLeftJustify},
    {QStringLiteral("pai_cpub"), QStringLiteral("CPub Pai"), 70, taLeftJustify},
    {QStringLiteral("pai_ggen"), QStringLiteral("GGEN Pai"), 70, taLeftJustify},
    {QStringLiteral("plan_emasc"), QStringLiteral("Hibridar"), 70, taRightJustify},
    {QStringLiteral("realizado_emasc"), QStringLiteral("Tot.Hibridado"), 100, taRightJustify},
    {QStringLiteral("abortado_emasc"), QStringLiteral("Abortado"), 70, taRightJustify},
    {QStringLiteral("emasc_viavel"), QStringLiteral("Viável"), 70, taRightJustify},
    {QStringLiteral("tot_semente"), QStringLiteral("Tot_Semente"), 80, taRightJustify},
    {QStringLiteral("tot_envelope"), QStringLiteral("Tot_Envelope"), 80, taRightJustify},
};

// Realizado: harvest per planned crossing and reverse flag of the current crossing.
QString SQL_Realizado()
{
    const QString x = QStringLiteral("'0', 'Nao', 'Sim'");
    return QStringLiteral("SELECT pc.planejamento, pc.nc, pc.codigo_cruza,        m.tratamento as nome_mae, "
        "p.tratamento as nome_pai,        IIF(cr.reverso = ")
        + x + QStringLiteral(") as reverso, ")
        + QStringLiteral("       m.genealogia as genealogia_mae, p.genealogia as genealogia_pai, ")
        + QStringLiteral("       m.cflor as mae_cflor, p.cflor as pai_cflor, ")
        + QStringLiteral("       m.cpub as mae_cpub, p.cpub as pai_cpub, ")
        + QStringLiteral("       SUM(c.qte_sem) AS tot_sem, COUNT(c.nc_rep) AS qte_envelope ")
        + QStringLiteral("  FROM ((((") + QStringLiteral("Planejamento_Cruza") + QStringLiteral(" pc ")
        + QStringLiteral("               INNER JOIN ") + QStringLiteral("Etiqueta_Cruza") + QStringLiteral(" ec ")
        + QStringLiteral("                 ON (pc.nc = ec.nc)) ")
        + QStringLiteral("               INNER JOIN ") + QStringLiteral("Colheita") + QStringLiteral(" c ")
        + QStringLiteral("                 ON (ec.nc_rep = c.nc_rep)) ")
        + QStringLiteral("               INNER JOIN ") + SQL_Cruza_Ativa() + QStringLiteral(" cr ")
        + QStringLiteral("                 ON (c.nc_rep = cr.nc_rep)) ")
        + QStringLiteral("               LEFT OUTER JOIN ") + QStringLiteral("Parental") + QStringLiteral(" m ")
        + QStringLiteral("                 ON (pc.id_vaso_mae = m.id)) ")
        + QStringLiteral("               LEFT OUTER JOIN ") + QStringLiteral("Parental") + QStringLiteral(" p ")
        + QStringLiteral("                 ON (pc.id_vaso_pai = p.id) ")
        + QStringLiteral(" GROUP BY pc.planejamento, pc.nc, pc.codigo_cruza, ")
        + QStringLiteral("          m.tratamento, p.tratamento, cr.reverso, ")
        + QStringLiteral("          m.genealogia, p.genealogia, ")
        + QStringLiteral("          m.cflor, p.cflor, ")
        + QStringLiteral("          m.cpub, p.cpub ")
        + QStringLiteral(" ORDER BY pc.planejamento, pc.nc, cr.reverso ");
}

// Analítico / Livro Cruza: one row per planned crossing with its label counts.
QString SQL_Analitico()
{
    const QString plan = QStringLiteral("SELECT ec.nc, COUNT(1) AS plan_emasc  FROM Etiqueta_Cruza ec  GROUP BY ec.nc ");
    const QString done = QStringLiteral("SELECT ec.nc, COUNT(1) AS tot_emasc  FROM Etiqueta_Cruza ec       INNER JOIN Cruza cr     "
        "    ON (ec.nc_rep = cr.nc_rep) GROUP BY ec.nc ");
    const QString aborted = QStringLiteral("SELECT ec.nc, COUNT(1) AS tot_abortado  FROM Etiqueta_Cruza ec       INNER JOIN Cruza cr  "
        "       ON (ec.nc_rep = cr.nc_rep) WHERE (cr.status = ")
        + QStringLiteral("'X'") + QStringLiteral(") ") + QStringLiteral(" GROUP BY ec.nc ");
    const QString harvest = QStringLiteral("SELECT ec.nc, COUNT(1) AS tot_env, "
        "SUM(co.qte_sem) as tot_sem  FROM Etiqueta_Cruza ec       INNER JOIN Colheita co         "
        "ON (ec.nc_rep = co.nc_rep) GROUP BY ec.nc ");
    return QStringLiteral("SELECT pc.planejamento, pc.nc, pc.codigo_cruza,        pc.id_vaso_mae as id_mae, "
        "pc.id_vaso_pai as id_pai,        tmae.codigo as codigo_mae, tmae.tratamento as nome_mae, "
        "tmae.genealogia as genealogia_mae, tmae.cflor as mae_cflor, tmae.cpub as mae_cpub, "
        "tmae.ggen as mae_ggen,        tpai.codigo as codigo_pai, tpai.tratamento as nome_pai, "
        "tpai.genealogia as genealogia_pai, tpai.cflor as pai_cflor, tpai.cpub as pai_cpub, "
        "tpai.ggen as pai_ggen,        pl_emasc.plan_emasc,        IIF(ISNULL(t_emasc.tot_emasc), "
        "0, t_emasc.tot_emasc) as realizado_emasc,        IIF(ISNULL(t_abort.tot_abortado), 0, "
        "t_abort.tot_abortado) as abortado_emasc,        (IIF(ISNULL(t_emasc.tot_emasc), 0, "
        "t_emasc.tot_emasc) -        IIF(ISNULL(t_abort.tot_abortado), 0, "
        "t_abort.tot_abortado)) as emasc_viavel,        IIF(ISNULL(t_col.tot_sem), 0, "
        "t_col.tot_sem) as tot_semente,        IIF(ISNULL(t_col.tot_env), 0, "
        "t_col.tot_env) as tot_envelope   FROM (((((Planejamento_Cruza pc                  LEFT "
        "OUTER JOIN Parental tmae                    ON (pc.id_vaso_mae = tmae.id))                "
        " LEFT OUTER JOIN Parental tpai                    ON (pc.id_vaso_pai = tpai.id))          "
        "       LEFT OUTER JOIN (")
        + plan + QStringLiteral(") PL_Emasc ") + QStringLiteral("                   ON (pc.nc = pl_emasc.nc))")
        + QStringLiteral("                 LEFT OUTER JOIN (") + done + QStringLiteral(") T_Emasc ")
        + QStringLiteral("                   ON (pc.nc = t_emasc.nc))")
        + QStringLiteral("                 LEFT OUTER JOIN (") + aborted + QStringLiteral(") T_Abort ")
        + QStringLiteral("                   ON (pc.nc = t_abort.nc))")
        + QStringLiteral("                 LEFT OUTER JOIN (") + harvest + QStringLiteral(") T_Col ")
        + QStringLiteral("                   ON (pc.nc = t_col.nc)")
        + QStringLiteral(" ORDER BY pc.planejamento, pc.nc ");
}

} // namespace

TFCruza_Planejado_Cons::TFCruza_Planejado_Cons(QWidget* Owner) : TFBCons(Owner)
{
    setObjectName(QStringLiteral("FCruza_Planejado_Cons"));
    setWindowTitle(QStringLiteral("Cruzamento Planejado x Realizado"));
    resize(900, 520);

    RGFiltro = new TRadioGroupBox(QStringLiteral(" Relatório "),
                                  {QStringLiteral("Realizado"), QStringLiteral("Analítico / Livro Cruza")}, 2, this);
    RGFiltro->setObjectName(QStringLiteral("RGFiltro"));
    RGFiltro->setGeometry(8, 4, 360, 44);
    RGFiltro->SetItemIndex(0);
    connect(RGFiltro, &TRadioGroupBox::Click, this, &TFCruza_Planejado_Cons::RGFiltroClick);

    PlaceGrid(8, 54);
}

void TFCruza_Planejado_Cons::RGFiltroClick()
{
    MarkOutdated();
}

void TFCruza_Planejado_Cons::ShowLoaded()
{
    BConfirmClick();
}

TConsView TFCruza_Planejado_Cons::CurrentView()
{
    if (RGFiltro->ItemIndex() == 1)
        return {SQL_Analitico(), AnaliticoColumns};
    return {SQL_Realizado(), RealizadoColumns};
}
