#include "UFCruza_Emasculador_Cons.h"

#include "UFMain.h"
#include "UXComboBox.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

const TConsColumns SinteticoColumns = {
    {QStringLiteral("nome_emasc"), QStringLiteral("Emasculador"), 200, taLeftJustify},
    {QStringLiteral("planejamento"), QStringLiteral("Planejamento"), 150, taLeftJustify},
    {QStringLiteral("codigo_cruza"), QStringLiteral("Codigo_Cruza"), 120, taLeftJustify},
    {QStringLiteral("qte_flor"), QStringLiteral("Total_Hibridação"), 100, taRightJustify},
    {QStringLiteral("flor_abort"), QStringLiteral("Flor_Abortado"), 100, taRightJustify},
    {QStringLiteral("flor_viavel"), QStringLiteral("Flor_Viavel"), 100, taRightJustify},
};

const TConsColumns AnaliticoColumns = {
    {QStringLiteral("nome_emasc"), QStringLiteral("Executor Hibridação"), 200, taLeftJustify},
    {QStringLiteral("dupd"), QStringLiteral("Data"), 150, taLeftJustify},
    {QStringLiteral("planejamento"), QStringLiteral("Planejamento"), 150, taLeftJustify},
    {QStringLiteral("codigo_cruza"), QStringLiteral("Codigo_Cruza"), 120, taLeftJustify},
    {QStringLiteral("nc_print"), QStringLiteral("Etiqueta"), 100, taLeftJustify},
    {QStringLiteral("reverso"), QStringLiteral("Reverso"), 70, taLeftJustify},
    {QStringLiteral("abortado"), QStringLiteral("Abortado"), 70, taLeftJustify},
    {QStringLiteral("ano_mes"), QStringLiteral("Mes-Hibridação"), 90, taLeftJustify},
    {QStringLiteral("qte_smts"), QStringLiteral("Smt. Colhido"), 70, taRightJustify},
};

// Every hybridisation event with its executor and planned crossing, both
// reports' source (the caller opens the parentheses).
QString EventJoins()
{
    return QStringLiteral("Cruza") + QStringLiteral(" c ")
        + QStringLiteral("          LEFT OUTER JOIN ") + QStringLiteral("Emasculador") + QStringLiteral(" emasc ")
        + QStringLiteral("            ON (c.id_emasculador = emasc.id))")
        + QStringLiteral("          LEFT OUTER JOIN ") + QStringLiteral("Etiqueta_Cruza") + QStringLiteral(" ec ")
        + QStringLiteral("            ON (c.nc_rep = ec.nc_rep))")
        + QStringLiteral("          LEFT OUTER JOIN ") + QStringLiteral("Planejamento_Cruza") + QStringLiteral(" pc ")
        + QStringLiteral("            ON (ec.nc = pc.nc)");
}

QString SQL_Sintetico(const QString& Where)
{
    return QStringLiteral("SELECT emasc.nome as nome_emasc, pc.planejamento,        pc.codigo_cruza, "
        "COUNT(pc.codigo_cruza) AS qte_flor,        SUM(IIF( c.status = ")
        + QStringLiteral("'X'") + QStringLiteral(" ,1, 0)) AS flor_abort, ")
        + QStringLiteral("       SUM(IIF( c.status <> ") + QStringLiteral("'X'") + QStringLiteral(" ,1, 0)) AS flor_viavel ")
        + QStringLiteral("  FROM ((") + EventJoins()
        + Where
        + QStringLiteral(" GROUP BY emasc.nome, pc.planejamento, pc.codigo_cruza ")
        + QStringLiteral(" ORDER BY emasc.nome COLLATE NAME_PT, pc.planejamento, pc.codigo_cruza ");
}

QString SQL_Analitico(const QString& Where)
{
    return QStringLiteral("SELECT emasc.nome as nome_emasc, c.dupd, pc.planejamento,        pc.codigo_cruza, "
        "ec.nc_print,        IIF(c.reverso = ")
        + QStringLiteral("'0', 'Nao', 'Sim'") + QStringLiteral(") as reverso, ")
        + QStringLiteral("       IIF(c.status = ") + QStringLiteral("'X', 'Sim', 'Nao'") + QStringLiteral(") as abortado, ")
        + QStringLiteral("       smt.qte_sem, LEFT(c.dupd, 7) as ano_mes, ")
        + QStringLiteral("       IIF(c.status = ") + QStringLiteral("'X'") + QStringLiteral(", 0, smt.qte_sem ) as qte_smts ")
        + QStringLiteral("  FROM (((") + EventJoins() + QStringLiteral(")")
        + QStringLiteral("          LEFT OUTER JOIN ") + QStringLiteral("Colheita") + QStringLiteral(" smt ")
        + QStringLiteral("            ON (ec.nc_rep = smt.nc_rep) ")
        + Where
        + QStringLiteral(" ORDER BY emasc.nome COLLATE NAME_PT, c.dupd ");
}

// As the Windows date picker: a click selects the day, month or year it lands
// on, so the digits typed next replace it (Qt only places the cursor there).
class TDatePicker : public QDateEdit
{
public:
    explicit TDatePicker(QWidget* Parent) : QDateEdit(Parent) { lineEdit()->installEventFilter(this); }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Watched == lineEdit() && Event->type() == QEvent::MouseButtonRelease && !lineEdit()->hasSelectedText())
            setSelectedSection(currentSection());
        return QDateEdit::eventFilter(Watched, Event);
    }
};

} // namespace

TFCruza_Emasculador_Cons::TFCruza_Emasculador_Cons(QWidget* Owner) : TFBCons(Owner)
{
    setObjectName(QStringLiteral("FCruza_Emasculador_Cons"));
    setWindowTitle(QStringLiteral("Hibridações Realizadas"));
    resize(900, 540);

    RGFiltro = new TRadioGroupBox(QStringLiteral(" Relatório "), {QStringLiteral("Sintético"), QStringLiteral("Analítico")}, 2, this);
    RGFiltro->setObjectName(QStringLiteral("RGFiltro"));
    RGFiltro->setGeometry(8, 4, 220, 76);
    RGFiltro->SetItemIndex(0);

    GBFiltro = new QGroupBox(QStringLiteral(" Filtro "), this);
    GBFiltro->setObjectName(QStringLiteral("GBFiltro"));
    GBFiltro->setGeometry(236, 4, 520, 76);

    ckfiltro = new QCheckBox(QStringLiteral("Filtrar por período"), GBFiltro);
    ckfiltro->setObjectName(QStringLiteral("ckfiltro"));
    ckfiltro->setGeometry(10, 20, 140, 22);

    auto picker = [this](const char* Name, int Left) {
        auto* d = new TDatePicker(GBFiltro);
        d->setObjectName(QLatin1String(Name));
        d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        d->setCalendarPopup(true);
        d->setGeometry(Left, 19, 110, 24);
        d->setEnabled(false);
        return d;
    };
    datai = picker("datai", 154);
    auto* a = new QLabel(QStringLiteral("a "), GBFiltro);
    a->setObjectName(QStringLiteral("LA"));
    a->setGeometry(270, 23, 14, 16);
    dataf = picker("dataf", 286);

    auto* lexec = new QLabel(QStringLiteral("Executor Hibridação:"), GBFiltro);
    lexec->setObjectName(QStringLiteral("LEmasculador"));
    lexec->setGeometry(10, 51, 130, 16);
    id_emasculador = new TXComboBox(GBFiltro);
    id_emasculador->setObjectName(QStringLiteral("id_emasculador"));
    id_emasculador->setGeometry(154, 46, 242, 24);

    connect(RGFiltro, &TRadioGroupBox::Click, this, &TFCruza_Emasculador_Cons::RGFiltroClick);
    connect(ckfiltro, &QCheckBox::clicked, this, &TFCruza_Emasculador_Cons::ckfiltroClick);
    for (QDateEdit* d : {datai, dataf})
        connect(d, &QDateEdit::dateChanged, this, &TFCruza_Emasculador_Cons::dataChange);
    connect(id_emasculador, &QComboBox::activated, this, &TFCruza_Emasculador_Cons::id_emasculadorChange);

    PlaceGrid(8, 86);
}

void TFCruza_Emasculador_Cons::ShowLoaded()
{
    Inicialize_Usuario(id_emasculador, true);
    id_emasculador->setCurrentIndex(0);
    const QDate today = QDate::currentDate();
    datai->setDate(today);
    dataf->setDate(today);
    MarkOutdated();
}

void TFCruza_Emasculador_Cons::RGFiltroClick() { MarkOutdated(); }
void TFCruza_Emasculador_Cons::dataChange() { MarkOutdated(); }
void TFCruza_Emasculador_Cons::id_emasculadorChange() { MarkOutdated(); }

void TFCruza_Emasculador_Cons::ckfiltroClick()
{
    datai->setEnabled(ckfiltro->isChecked());
    dataf->setEnabled(ckfiltro->isChecked());
    MarkOutdated();
}

QString TFCruza_Emasculador_Cons::Condition() const
{
    // The date part of the registration text against whole days.
    QString period;
    if (ckfiltro->isChecked()) {
        auto quoted = [](const QDate& D) { return QStringLiteral("'") + D.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("'"); };
        const QDate first = datai->date();
        const QDate last = dataf->date();
        const QString test = first == last
            ? QStringLiteral("Left( c.dupd, 10 ) = ") + quoted(first)
            : QStringLiteral("( Left( c.dupd, 10 ) >= ") + quoted(first) + QStringLiteral(")") + QStringLiteral(" AND ")
                + QStringLiteral("( Left( c.dupd, 10 ) <= ") + quoted(last) + QStringLiteral(")");
        period = QStringLiteral(" (") + test + QStringLiteral(") ");
    }
    QString executor;
    if (id_emasculador->currentIndex() > 0)
        executor = QStringLiteral("( c.id_emasculador = ") + QString::number(Get_ID_Usuario(id_emasculador)) + QStringLiteral(")");
    if (period.isEmpty() && executor.isEmpty())
        return {};
    return QStringLiteral(" WHERE ") + period + (period.isEmpty() || executor.isEmpty() ? QString() : QStringLiteral(" AND "))
        + executor;
}

TConsView TFCruza_Emasculador_Cons::CurrentView()
{
    if (RGFiltro->ItemIndex() == 1)
        return {SQL_Analitico(Condition()), AnaliticoColumns};
    return {SQL_Sintetico(Condition()), SinteticoColumns};
}
