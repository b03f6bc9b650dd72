#include "UFCruza_Parental_Pivot_Cons.h"

#include "UDM.h"
#include "UXForms.h"
#include "UXNumEdit.h"
#include "XAdo.h"
#include "XJetSql.h"

#include <QComboBox>
#include <QLabel>

#include <cmath>

namespace {

const TConsColumns PivotColumns = {
    {QStringLiteral("planejamento"), QStringLiteral("Planejamento"), 150, taLeftJustify},
    {QStringLiteral("codigo"), QStringLiteral("Codigo_Vaso"), 150, taLeftJustify},
    {QStringLiteral("tratamento"), QStringLiteral("Parental"), 200, taLeftJustify},
    {QStringLiteral("tot_cruza"), QStringLiteral("Tot_Ocorrencia"), 100, taRightJustify},
    {QStringLiteral("mae"), QStringLiteral("Mae"), 80, taRightJustify},
    {QStringLiteral("pai"), QStringLiteral("Pai"), 80, taRightJustify},
};

// Viable hybridisations (not written off) per planned crossing.
QString SQL_Viavel()
{
    return QStringLiteral("SELECT ec.nc, count(1) as nviavel   FROM Etiqueta_Cruza ec INNER JOIN Cruza c           "
        "ON (ec.nc_rep = c.nc_rep)  WHERE (c.status <> ")
        + QStringLiteral("'X'") + QStringLiteral(") ") + QStringLiteral(" GROUP BY ec.nc ");
}

// Per plan and pot, the planned crossings in which the pot takes the role of
// Column whose viable count is below Threshold or absent.
QString SQL_Ocorrencia(const QString& Column, qint64 Threshold)
{
    return QStringLiteral("SELECT pc.planejamento, ") + Column + QStringLiteral(" as id_vaso, COUNT(1) as nOcor ")
        + QStringLiteral("  FROM ") + QStringLiteral("Planejamento_Cruza") + QStringLiteral(" pc LEFT OUTER JOIN (") + SQL_Viavel()
        + QStringLiteral(") fv ") + QStringLiteral("          ON (pc.nc = fv.nc) ")
        + QStringLiteral(" WHERE ((fv.nviavel < ") + QString::number(Threshold) + QStringLiteral(") OR (fv.nviavel is null))")
        + QStringLiteral(" GROUP BY pc.planejamento, ") + Column;
}

QString SQL_Vasos()
{
    const QString u = QStringLiteral("SELECT pc.planejamento, ") + QStringLiteral("pc.id_vaso_mae") + QStringLiteral(" as id_vaso ")
        + QStringLiteral("  FROM ") + QStringLiteral("Planejamento_Cruza") + QStringLiteral(" pc ") + QStringLiteral(" UNION ALL ")
        + QStringLiteral("SELECT pc.planejamento, ") + QStringLiteral("pc.id_vaso_pai") + QStringLiteral(" as id_vaso ")
        + QStringLiteral("  FROM ") + QStringLiteral("Planejamento_Cruza") + QStringLiteral(" pc ");
    return QStringLiteral("SELECT DISTINCT up.planejamento, up.id_vaso, p.codigo, "
        "p.tratamento   FROM Parental p INNER JOIN ( ") + u
        + QStringLiteral(") up ") + QStringLiteral("         ON ( p.id = up.id_vaso )");
}

QString SQL_Pivot(qint64 Threshold, const QString& PlanCondition)
{
    auto role = [&](const QString& Column, const QString& Alias) {
        return QStringLiteral("          LEFT OUTER JOIN ") + QStringLiteral("            (") + SQL_Ocorrencia(Column, Threshold)
            + QStringLiteral(") ") + Alias + QStringLiteral(" ")
            + QStringLiteral("               ON ((b.planejamento = ") + Alias + QStringLiteral(".planejamento) AND (b.id_vaso = ")
            + Alias + QStringLiteral(".id_vaso))) ");
    };
    return QStringLiteral("SELECT b.planejamento, b.id_vaso, b.codigo, b.tratamento,        (IIF(ISNULL( m.nOcor ), "
        "0, m.nOcor ) + IIF(ISNULL( P.nOcor ), 0, P.nOcor )) AS tot_cruza,        m.nOcor as mae, "
        "p.nOcor as pai   FROM (((")
        + SQL_Vasos() + QStringLiteral(") b ")
        + role(QStringLiteral("pc.id_vaso_mae"), QStringLiteral("m"))
        + role(QStringLiteral("pc.id_vaso_pai"), QStringLiteral("p"))
        + PlanCondition
        + QStringLiteral(" ORDER BY b.planejamento, b.codigo ");
}

} // namespace

TFCruza_Parental_Pivot_Cons::TFCruza_Parental_Pivot_Cons(QWidget* Owner) : TFBCons(Owner)
{
    setObjectName(QStringLiteral("FCruza_Parental_Pivot_Cons"));
    setWindowTitle(QStringLiteral("Resumo Parental x Cruza"));
    resize(800, 520);

    GBFiltro = new QGroupBox(QStringLiteral(" Filtro "), this);
    GBFiltro->setObjectName(QStringLiteral("GBFiltro"));
    GBFiltro->setGeometry(8, 4, 640, 76);

    auto* lplan = new QLabel(QStringLiteral("Planejamento Cruza:"), GBFiltro);
    lplan->setObjectName(QStringLiteral("LPlanejamento"));
    lplan->setGeometry(10, 23, 130, 16);
    id_planejamento = new QComboBox(GBFiltro);
    id_planejamento->setObjectName(QStringLiteral("id_planejamento"));
    id_planejamento->setGeometry(144, 18, 250, 24);

    auto* lviavel = new QLabel(QStringLiteral("Filtrar somente cruzamento com CRUZA viável abaixo de (MENOR QUE) :"), GBFiltro);
    lviavel->setObjectName(QStringLiteral("LViavel"));
    lviavel->setGeometry(10, 51, 500, 16);
    nviavel = new TXNumEdit(GBFiltro);
    nviavel->setObjectName(QStringLiteral("nviavel"));
    nviavel->SetEntryRequired(integervalue);
    nviavel->SetDisplayFormat(QStringLiteral("0;-0"));
    nviavel->setGeometry(514, 46, 60, 24);

    connect(id_planejamento, &QComboBox::activated, this, &TFCruza_Parental_Pivot_Cons::id_planejamentoChange);

    PlaceGrid(8, 86);
}

void TFCruza_Parental_Pivot_Cons::ShowLoaded()
{
    Inicializa_Dados();
    MarkOutdated();
}

void TFCruza_Parental_Pivot_Cons::Inicializa_Dados()
{
    WithQuery(DM->Conn, QStringLiteral("Erro ao Carregar os Dados (Inicializa_Dados): "), [this](TADOQuery& q) {
        q.SQL.setText(QStringLiteral("SELECT pc.planejamento   FROM Planejamento_Cruza pc  GROUP BY pc.planejamento  ORDER BY  "
            "pc.planejamento"));
        q.Open();
        id_planejamento->clear();
        id_planejamento->addItem(QStringLiteral("Todos"));
        id_planejamento->setCurrentIndex(0);
        for (q.First(); !q.Eof(); q.Next())
            id_planejamento->addItem(q.FieldByName(QStringLiteral("planejamento"))->AsString());
        q.Close();
        q.SQL.setText(QStringLiteral("SELECT Max(rep) as MAX_REP   FROM Planejamento_Cruza"));
        q.Open();
        nviavel->SetValue(q.FieldByName(QStringLiteral("max_rep"))->AsInteger() + 1);
        return true;
    });
}

void TFCruza_Parental_Pivot_Cons::id_planejamentoChange()
{
    MarkOutdated();
}

TConsView TFCruza_Parental_Pivot_Cons::CurrentView()
{
    const qint64 threshold = std::llround(double(nviavel->Value()));
    // The name goes in as a literal: a plan named with a quote is still selected.
    const QString plan = id_planejamento->currentIndex() > 0
        ? QStringLiteral(" WHERE ") + QStringLiteral("( b.planejamento = ") + JetSql::QuoteString(id_planejamento->currentText()) + QStringLiteral(")")
        : QString();
    return {SQL_Pivot(threshold, plan), PivotColumns};
}
