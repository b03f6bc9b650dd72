#include "UFCruzaEti_Cons.h"

#include "UFMain.h"

namespace {

const TConsColumns ResumoColumns = {
    {QStringLiteral("planejamento"), QStringLiteral("Planejamento"), 150, taLeftJustify},
    {QStringLiteral("nc"), QStringLiteral("NC"), 70, taRightJustify},
    {QStringLiteral("codigo_cruza"), QStringLiteral("Codigo_Cruza"), 150, taLeftJustify},
    {QStringLiteral("reverso"), QStringLiteral("Reverso"), 100, taLeftJustify},
    {QStringLiteral("tot_sem"), QStringLiteral("Tot_Semente"), 100, taRightJustify},
    {QStringLiteral("qte_envelope"), QStringLiteral("Qte_Envelope"), 80, taRightJustify},
};

const TConsColumns EnvelopeColumns = {
    {QStringLiteral("lote"), QStringLiteral("Lote"), 100, taLeftJustify},
    {QStringLiteral("dupd"), QStringLiteral("Dt_Cadastro"), 130, taLeftJustify},
    {QStringLiteral("planejamento"), QStringLiteral("Planejamento"), 150, taLeftJustify},
    {QStringLiteral("nc_cb"), QStringLiteral("NC-CB"), 70, taRightJustify},
    {QStringLiteral("nc"), QStringLiteral("NC-REP"), 70, taLeftJustify},
    {QStringLiteral("codigo_cruza"), QStringLiteral("Codigo_Cruza"), 120, taLeftJustify},
    {QStringLiteral("reverso"), QStringLiteral("Reverso"), 80, taLeftJustify},
    {QStringLiteral("qte_sem"), QStringLiteral("Qte_Semente"), 80, taRightJustify},
    {QStringLiteral("obs"), QStringLiteral("Obs."), 200, taLeftJustify},
    {QStringLiteral("nome"), QStringLiteral("Executor Hibridação"), 200, taLeftJustify},
};

} // namespace

TFCruzaEti_Cons::TFCruzaEti_Cons(QWidget* Owner) : TFBCons(Owner)
{
    setObjectName(QStringLiteral("FCruzaEti_Cons"));
    setWindowTitle(QStringLiteral("Consulta Colheita"));
    resize(900, 560);

    RGFiltro = new TRadioGroupBox(QStringLiteral(" Envelope Hibridação Cadastrado "),
                                  {QStringLiteral("Resumo por Cruza"), QStringLiteral("Envelope Cadastrado")}, 2, this);
    RGFiltro->setObjectName(QStringLiteral("RGFiltro"));
    RGFiltro->setGeometry(8, 4, 360, 44);
    RGFiltro->SetItemIndex(0);
    PlaceGrid(8, 54);

    connect(RGFiltro, &TRadioGroupBox::Click, this, &TFCruzaEti_Cons::RGFiltroClick);
}

QString TFCruzaEti_Cons::SQL_Resumo()
{
    return QStringLiteral("SELECT pc.planejamento, pc.nc, pc.codigo_cruza,        IIF(cr.reverso = '0', 'Nao', 'Sim') as reverso,"
                          "        SUM(c.qte_sem) AS tot_sem, COUNT(c.nc_rep) AS qte_envelope    FROM ((Planejamento_Cruza pc"
                          "                INNER JOIN Etiqueta_Cruza ec                  ON (pc.nc = ec.nc))"
                          "                INNER JOIN Colheita c                  ON (ec.nc_rep = c.nc_rep))"
                          "                INNER JOIN ")
        + SQL_Cruza_Ativa()
        + QStringLiteral(" cr                  ON (ec.nc_rep = cr.nc_rep)"
                         "  GROUP BY pc.planejamento, pc.nc, pc.codigo_cruza, cr.reverso"
                         "  ORDER BY pc.planejamento, pc.nc, cr.reverso  ");
}

QString TFCruzaEti_Cons::SQL_Envelope()
{
    return QStringLiteral("SELECT c.lote, c.dupd, pc.planejamento, ec.nc_print AS nc, ec.nc_rep AS nc_cb, pc.codigo_cruza, c.qte_sem,"
                          "        cr.id_emasculador, em.nome, c.obs,         IIF(cr.reverso = '0', 'Nao', 'Sim') as reverso"
                          "   FROM (((Planejamento_Cruza pc                  INNER JOIN Etiqueta_Cruza ec"
                          "                    ON (pc.nc= ec.nc))                  INNER JOIN Colheita c"
                          "                    ON (ec.nc_rep = c.nc_rep))                 INNER JOIN ")
        + SQL_Cruza_Ativa()
        + QStringLiteral(" cr                    ON (ec.nc_rep = cr.nc_rep))                 INNER JOIN Emasculador em"
                         "                    ON (cr.id_emasculador = em.id)  ORDER BY c.lote, c.dupd ");
}

void TFCruzaEti_Cons::ShowLoaded()
{
    BConfirm->click();
}

void TFCruzaEti_Cons::RGFiltroClick()
{
    MarkOutdated();
}

TConsView TFCruzaEti_Cons::CurrentView()
{
    if (RGFiltro->ItemIndex() == 1)
        return {SQL_Envelope(), EnvelopeColumns};
    return {SQL_Resumo(), ResumoColumns};
}
