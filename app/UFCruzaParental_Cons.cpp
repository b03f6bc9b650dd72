#include "UFCruzaParental_Cons.h"

#include "UAppConfig.h"
#include "UDM.h"
#include "UXForms.h"
#include "UXLib.h"
#include "XAdo.h"
#include "XAnchors.h"
#include "XCollation.h"
#include "XJetSql.h"
#include "XStringGrid.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

const TConsColumns Columns = {
    {QStringLiteral("planejamento"), QStringLiteral("Planejamento"), 150, taLeftJustify},
    {QStringLiteral("nc"), QStringLiteral("NC_CRUZA"), 70, taRightJustify},
    {QStringLiteral("codigo_cruza"), QStringLiteral("CODIGO_CRUZA"), 150, taLeftJustify},
    {QStringLiteral("id_vaso_mae"), QStringLiteral("NC_Mae"), 70, taRightJustify},
    {QStringLiteral("codigo_mae"), QStringLiteral("Codigo_Mae"), 150, taLeftJustify},
    {QStringLiteral("id_vaso_pai"), QStringLiteral("NC_Pai"), 70, taRightJustify},
    {QStringLiteral("codigo_pai"), QStringLiteral("Codigo_Pai"), 150, taLeftJustify},
    {QStringLiteral("etiq_total"), QStringLiteral("Planejado"), 80, taRightJustify},
    {QStringLiteral("etiq_usado"), QStringLiteral("Hibridado"), 80, taRightJustify},
    {QStringLiteral("etiq_abort"), QStringLiteral("Abortado"), 80, taRightJustify},
    {QStringLiteral("etiq_viavel"), QStringLiteral("Viável"), 80, taRightJustify},
    {QStringLiteral("etiq_disp"), QStringLiteral("A Hibridar"), 80, taRightJustify},
};

enum { fdNumero, fdCodigo, fdBarra };



} // namespace

TFCruzaParental_Cons::TFCruzaParental_Cons(QWidget* Owner) : TFBCons(Owner)
{
    setObjectName(QStringLiteral("FCruzaParental_Cons"));
    setWindowTitle(QStringLiteral("Filtro Parental x Planejamento Cruza"));
    resize(1100, 600);

    GParental = new QGroupBox(QStringLiteral(" Parentais "), this);
    GParental->setObjectName(QStringLiteral("GParental"));
    GParental->setGeometry(4, 4, 262, height() - 8);
    SetAnchors(GParental, akLeft | akTop | akBottom);

    CBParental = NewList(GParental, "CBParental",
                         {QStringLiteral("1 - Mãe OU Pai (Um dos parentais)"), QStringLiteral("2 - Mãe"),
                          QStringLiteral("3 - Pai"), QStringLiteral("4 - Mãe E Pai (Ambos os parentais)")},
                         QRect(8, 22, 246, 24));
    CBField = NewList(GParental, "CBField",
                      {QStringLiteral("1 - NC_Parental"), QStringLiteral("2 - Código"),
                       QStringLiteral("3 - NC_Parental/C.Barra")},
                      QRect(8, 52, 246, 24));
    efiltro = new QLineEdit(GParental);
    efiltro->setObjectName(QStringLiteral("efiltro"));
    efiltro->setMaxLength(20);
    efiltro->setGeometry(8, 82, 170, 24);
    BIns = NewButton(GParental, "BIns", QStringLiteral("+"), QRect(182, 82, 34, 24));
    BDel = NewButton(GParental, "BDel", QStringLiteral("-"), QRect(220, 82, 34, 24));

    NParental = new QLabel(QStringLiteral("Parentais: 0"), GParental);
    NParental->setObjectName(QStringLiteral("NParental"));
    NParental->setGeometry(8, GParental->height() - 24, 200, 16);
    SetAnchors(NParental, akLeft | akBottom);

    SG = new TStringGrid(GParental);
    SG->setObjectName(QStringLiteral("SG"));
    SG->SetColCount(2);
    SG->SetFixedRows(1);
    SG->SetRowCount(2);
    SG->SetColWidths(0, 89);
    SG->SetColWidths(1, 146);
    SG->SetRowSelect(true);
    SG->setGeometry(8, 112, 246, NParental->y() - 4 - 112);
    SetAnchors(SG, akLeft | akTop | akBottom);

    PlaceGrid(GParental->geometry().right() + 5, 8);

    setTabOrder(CBParental, CBField);
    setTabOrder(CBField, efiltro);
    efiltro->installEventFilter(this);
    connect(BIns, &QPushButton::clicked, this, &TFCruzaParental_Cons::BInsClick);
    connect(BDel, &QPushButton::clicked, this, &TFCruzaParental_Cons::BDelClick);
    connect(CBParental, &QComboBox::currentIndexChanged, this, &TFCruzaParental_Cons::CBParentalChange);
}

void TFCruzaParental_Cons::ShowLoaded()
{
    SG->SetCells(0, 0, QStringLiteral("NC_Parental"));
    SG->SetCells(1, 0, QStringLiteral("Código"));
    FCount = 0;
}

bool TFCruzaParental_Cons::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == efiltro && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            BIns->click();
            return true;
        }
    }
    return TFBCons::eventFilter(Watched, Event);
}

QString TFCruzaParental_Cons::ValueToAdd()
{
    QString value = TrimControls(efiltro->text());
    if (value.isEmpty())
        return value;
    switch (CBField->currentIndex()) {
    case fdNumero:
        if (!IsIntegerStr(value)) {
            ShowError(QStringLiteral("NC_Parental deve ser um valor numérico."));
            return QString();
        }
        break;
    case fdBarra: {
        const TAppConfig* cfg = Config();
        QString msg;
        if (!(cfg && cfg->ID_PAIS_CODE != 0 ? CheckEAN13(value, msg) : CheckEAN8(value, msg))) {
            ShowError(msg);
            return QString();
        }
        // The pot number: the digits before the check digit, leading zeros dropped.
        value = QString::number(value.left(value.size() - 1).toLongLong());
        break;
    }
    default:
        break;
    }
    return value;
}

bool TFCruzaParental_Cons::Listed(int Col, const QString& Value) const
{
    for (int r = 1; r < SG->RowCount(); ++r)
        if (SG->Cells(Col, r) == Value)
            return true;
    return false;
}

void TFCruzaParental_Cons::BInsClick()
{
    const QString value = ValueToAdd();
    if (value.isEmpty())
        return;
    const bool byCode = CBField->currentIndex() == fdCodigo;
    const QString duplicate = QStringLiteral("O Valor informado já está lançado na relação dos parentais a filtrar.");
    if (Listed(byCode ? 1 : 0, value)) {
        ShowError(duplicate);
        return;
    }
    QString id, codigo;
    const bool looked = WithQuery(DM->Conn, QStringLiteral("Erro ao consultar Parentais.\r\nMsg.: "), [&](TADOQuery& q) {
        q.SQL.Add(QStringLiteral("SELECT id, codigo   FROM Parental"));
        if (byCode) {
            const XAdo::TTypedCode code(QStringLiteral("codigo"), value);
            q.SQL.Add(QStringLiteral(" WHERE ") + code.Condition());
            code.Bind(q.Parameters);
        } else {
            // Bound: a number beyond 64 bits, or a lone "-", names no pot.
            bool ok = false;
            const qint64 number = value.toLongLong(&ok);
            q.SQL.Add(QStringLiteral(" WHERE (id = :id)"));
            TParameter* p = q.Parameters.ParamByName(QStringLiteral("id"));
            p->DataType = ftLargeint;
            p->Value = ok ? QVariant(number) : QVariant();
        }
        q.Open();
        if (!q.Eof()) {
            id = q.FieldByName(QStringLiteral("id"))->AsString();
            codigo = q.FieldByName(QStringLiteral("codigo"))->AsString();
        }
        return true;
    });
    if (!looked)
        return;
    if (id.isEmpty()) {
        ShowError((byCode ? QStringLiteral("CODIGO") : QStringLiteral("NC_PARENTAL")) + QStringLiteral(" não cadastrado."));
        return;
    }
    // Codes match without regard to case and numbers may carry zeros in front:
    // the pot found may be listed already under another spelling.
    if (Listed(0, id)) {
        ShowError(duplicate);
        return;
    }
    if (SG->RowCount() == FCount + 1)
        SG->SetRowCount(SG->RowCount() + 1);
    ++FCount;
    SG->SetCells(0, FCount, id);
    SG->SetCells(1, FCount, codigo);
    efiltro->clear();
    SG->SetRow(FCount);
    MarkOutdated();
    ShowParentais();
}

void TFCruzaParental_Cons::BDelClick()
{
    if (FCount > 1) {
        SG->DeleteRow(SG->Row());
        --FCount;
    } else {
        SG->ClearRow(1);
        FCount = 0;
    }
    MarkOutdated();
    ShowParentais();
}

void TFCruzaParental_Cons::ShowParentais()
{
    NParental->setText(QStringLiteral("Parentais: ") + QString::number(FCount));
}

void TFCruzaParental_Cons::CBParentalChange()
{
    MarkOutdated();
}

QString TFCruzaParental_Cons::SQL_Parental() const
{
    const QString x = JetSql::QuoteString(QStringLiteral("X"));
    QString sql = QStringLiteral(
        "SELECT pc.planejamento, pc.nc, pc.codigo_cruza, pc.id_vaso_mae, pc.id_vaso_pai, pc.rep,"
        "        m.codigo AS codigo_mae, p.codigo AS codigo_pai,"
        "        etiq.etiq_total, etiq.etiq_usado, etiq.etiq_abort, etiq.etiq_viavel,"
        "        ( etiq.etiq_total - etiq.etiq_viavel ) as etiq_disp   FROM  ((Planejamento_Cruza pc LEFT OUTER JOIN Parental m"
        "                    ON pc.id_vaso_mae = m.id)                  LEFT OUTER JOIN Parental p"
        "                    ON pc.ID_vaso_pai = p.id )                 LEFT OUTER JOIN (");
    sql += QStringLiteral("SELECT ec.nc, COUNT(c.nc_rep) AS etiq_usado, MAX(ec.rep) AS etiq_total,"
                          "        SUM(IIF(ISNULL(c.status), 0, IIF(c.status = ")
        + x + QStringLiteral(", 1, 0))) AS etiq_abort, ")
        + QStringLiteral("       SUM(IIF(ISNULL(c.status), 0, IIF(c.status <> ") + x
        + QStringLiteral(", 1, 0))) AS etiq_viavel ") + QStringLiteral("  FROM ") + QStringLiteral("Etiqueta_Cruza")
        + QStringLiteral(" ec ") + QStringLiteral("           LEFT OUTER JOIN ") + QStringLiteral("Cruza")
        + QStringLiteral(" c ") + QStringLiteral("              ON (ec.nc_rep = c.nc_rep) ")
        + QStringLiteral(" GROUP BY ec.nc ");
    sql += QStringLiteral(") etiq ") + QStringLiteral("                   ON pc.nc = etiq.nc ");
    if (FCount > 0) {
        QStringList pots;
        for (int r = 1; r <= FCount; ++r)
            pots << SG->Cells(0, r);
        const QString list = pots.join(QStringLiteral(", "));
        const QString mae = QStringLiteral("(pc.id_vaso_mae in (") + list + QStringLiteral("))");
        const QString pai = QStringLiteral("(pc.id_vaso_pai in (") + list + QStringLiteral("))");
        switch (CBParental->currentIndex()) {
        case 1:
            sql += QStringLiteral(" WHERE ") + mae + u' ';
            break;
        case 2:
            sql += QStringLiteral(" WHERE ") + pai + u' ';
            break;
        case 3:
            sql += QStringLiteral(" WHERE (") + mae + QStringLiteral(" ") + QStringLiteral("        AND ")
                + QStringLiteral("        ") + pai + QStringLiteral(") ");
            break;
        default:
            sql += QStringLiteral(" WHERE (") + mae + QStringLiteral(" ") + QStringLiteral("        OR ")
                + QStringLiteral("        ") + pai + QStringLiteral(") ");
            break;
        }
    }
    return sql + QStringLiteral(" ORDER BY pc.planejamento, pc.codigo_cruza ");
}

TConsView TFCruzaParental_Cons::CurrentView()
{
    return {SQL_Parental(), Columns};
}
