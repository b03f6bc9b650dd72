#include "UFCruzaEti_Baixa_Cad.h"

#include "UAppConfig.h"
#include "UDM.h"
#include "UEtiqFlor.h"
#include "UFMain.h"
#include "UXComboBox.h"
#include "UXForms.h"
#include "UXLib.h"
#include "UXNumEdit.h"
#include "XAdo.h"
#include "XDBGrid.h"
#include "XExceptions.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <memory>

namespace {

const QString LabelSQL = QStringLiteral(
    "SELECT ec.nc, ec.rep, ec.nc_print,        pc.codigo_cruza,        c.dupd AS data_cruza, c.status, c.seq, c.x_dupd,"
    " c.id_cruza,        clt.dupd as dt_colheita   FROM ((Etiqueta_Cruza ec             LEFT OUTER JOIN Planejamento_Cruza pc"
    "               ON (ec.nc = pc.nc))             LEFT OUTER JOIN Cruza c               ON (ec.nc_rep = c.nc_rep))"
    "            LEFT OUTER JOIN Colheita clt               ON (ec.nc_rep = clt.nc_rep) WHERE ( ec.nc_rep = :nc_rep ) "
    " ORDER BY c.seq DESC ");

} // namespace

TFCruzaEti_Baixa_Cad::TFCruzaEti_Baixa_Cad(QWidget* Owner) : TFScanCad(Owner)
{
    setObjectName(QStringLiteral("FCruzaEti_Baixa_Cad"));
    setWindowTitle(QStringLiteral("Cadastro de Baixa de Etiquetas Emasculada / Trabalhada"));
    resize(924, 600);

    BuildOperation(QRect(3, 3, 918, 569), QRect(8, 4, 200, 44), {QStringLiteral("Inclusão"), QStringLiteral("Exclusão")},
                   216);

    GBUsuario = NewGroup(PEdicao, "GBUsuario", QStringLiteral(" Usuário "), QRect(310, 2, 330, 48));
    NewLabel(GBUsuario, "LUsua", QStringLiteral("Nome"), 10, 22);
    // On the window over the group box, so that disabling the group leaves it enabled.
    usua = NewCombo(this, "usua", QRect(PEdicao->x() + GBUsuario->x() + 50, PEdicao->y() + GBUsuario->y() + 17, 270, 24));

    GBCad = NewGroup(PEdicao, "GBCad", QString(), QRect(0, 52, 918, 515));
    GBFlor = NewGroup(GBCad, "GBFlor", QStringLiteral("Baixa da Etiqueta de  Hibridação "), QRect(8, 10, 640, 88));
    BuildLabelField(GBFlor, 27, QRect(112, 22, 124, 24));
    rep = NewNumEdit(GBFlor, "rep", QRect(284, 22, 50, 24));
    NewLabel(GBFlor, "LRep", QStringLiteral("Rep."), 250, 27);
    BuildLabelDisplay(GBFlor, QStringLiteral("NC"), {346, 27}, QRect(372, 22, 180, 24), QStringLiteral("Código Cruza"), {10, 57},
                      QRect(112, 52, 440, 24));
    id_cruza = new QLabel(GBFlor);
    id_cruza->setObjectName(QStringLiteral("id_cruza"));
    id_cruza->setVisible(false);

    BuildGrid(GBCad, QRect(8, 106, 904, 384));
    AddColumn(GCad, "x_dupd", QStringLiteral("Baixa"), 110, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "dupd", QStringLiteral("Inclusão"), 110, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "nc_rep", QStringLiteral("NC_Rep"), 80, taRightJustify, taCenter);
    AddColumn(GCad, "nc", QStringLiteral("NC"), 83, taRightJustify, taCenter);
    AddColumn(GCad, "reverso", QStringLiteral("Reverso"), 53, taLeftJustify, taCenter);
    AddColumn(GCad, "codigo_cruza", QStringLiteral("Código Cruza"), 160, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "tal_transmissao", QStringLiteral("Status"), 40, taLeftJustify, taLeftJustify);

    // The order in which Enter moves on: the label, the user, the label again.
    setTabOrder(NC_REP_LIDO, usua);
    setTabOrder(usua, RGOperItems->button(0));
    setTabOrder(RGOperItems->button(0), RGOperItems->button(1));

    AddEditors({usua, NC_REP_LIDO, rep, nc_rep, codigo_cruza});
    connect(BConfirm, &QPushButton::clicked, this, &TFCruzaEti_Baixa_Cad::BConfirmClick);

    FormCreate();
}

void TFCruzaEti_Baixa_Cad::FormCreate()
{
    SetEditorNames({"USUA", "NC_REP_LIDO"});
}

void TFCruzaEti_Baixa_Cad::FormShow()
{
    if (!ConfigLoaded())
        return;
    Inicialize_Usuario(usua, false);
    id_cruza->clear();
    QGrid->SQL.setText(SQL_Baixa_Grid(QString()));
    QGrid->Open();
    Show_Count();
    BSetOperClick();
    usua->setFocus();
}

void TFCruzaEti_Baixa_Cad::FormResize()
{
    ResizeGridPanel(GBCad);
}

// ---- operation and keys -----------------------------------------------------

void TFCruzaEti_Baixa_Cad::EnableEntry(bool Enabled)
{
    GBUsuario->setEnabled(Enabled);
}

bool TFCruzaEti_Baixa_Cad::ConfirmsOnEnter(QWidget* Editor) const
{
    return Editor == NC_REP_LIDO;
}

// ---- validation -------------------------------------------------------------

bool TFCruzaEti_Baixa_Cad::ValidateField(QWidget* Sender)
{
    if (RGOper->isEnabled())
        return true;
    bool result = true;
    if (Mode == 1) {
        if (Sender == usua) {
            result = usua->currentIndex() >= 0;
            if (!result)
                AlertMessage(QStringLiteral("Usuário deve ser Selecionado."));
            // A chosen user is passed over by Enter and Tab.
            usua->setFocusPolicy(result ? Qt::ClickFocus : Qt::StrongFocus);
        } else if (Sender == NC_REP_LIDO) {
            NC_REP_LIDO->setFocusPolicy(Qt::StrongFocus);
            // Leaving the label checks nothing: the confirmation does.
            if (!Validating)
                return true;
            qint64 number = 0;
            result = ReadLabel(QStringLiteral("Etiqueta deve ser informado."), true, number) && Valid_NC(number);
        }
        if (!result && Validating)
            FocusFailed(Sender);
    } else if (Mode == 4 && Sender == NC_REP_LIDO) {
        result = Valid_NC_Exclusao();
        FilterByLabel(result, QStringLiteral(" AND (c.status = 'X')"));
    }
    return result;
}

void TFCruzaEti_Baixa_Cad::LookUp(TADOQuery& Query, qint64 LabelNumber, TLabelRow& Row)
{
    Row.Found = OpenLabel(Query, LabelSQL, LabelNumber);
    if (!Row.Found)
        return;
    auto text = [&](const char* Name) { return Query.FieldByName(QLatin1String(Name))->AsString(); };
    const TField* r = Query.FieldByName(QStringLiteral("rep"));
    Row.Rep = r->IsNull() ? 0 : r->AsInteger();
    Row.Seq = text("seq").toInt();
    Row.NcPrint = text("nc_print");
    Row.Cruza = text("codigo_cruza");
    Row.Status = text("status");
    Row.XDupd = text("x_dupd");
    Row.IdCruza = text("id_cruza");
    Row.DtColheita = text("dt_colheita");
}

bool TFCruzaEti_Baixa_Cad::ReadLabelRow(qint64 LabelNumber, const QString& Prefix, TLabelRow& Row)
{
    // Read whole before any box is shown.
    return WithQuery(DM->Conn, Prefix, [&](TADOQuery& q) {
        LookUp(q, LabelNumber, Row);
        return true;
    });
}

QString TFCruzaEti_Baixa_Cad::Refusal(const TLabelRow& Row, int AMode)
{
    if (!Row.Found)
        return QStringLiteral("Etiqueta de Hibridação não cadastrado.");
    if (AMode == 4) {
        if (Row.Status != QLatin1String("X"))
            return Reused();
        if (Row.IdCruza.toLongLong() > 0)
            return QStringLiteral("A Etiqueta de Hibridação atualizado no Talvora não pode ser excluído.");
        return QString();
    }
    if (Row.Status == QLatin1String("X"))
        return QStringLiteral("A Etiqueta já foi dado baixa em : ") + Row.XDupd;
    if (!Row.DtColheita.isEmpty())
        return QStringLiteral("A Etiqueta de Hibridação já foi lançado como colhido em : ") + Row.DtColheita;
    if (Row.Status.isEmpty())
        return NotUsed();
    return QString();
}

void TFCruzaEti_Baixa_Cad::ShowLabel(const TLabelRow& Row)
{
    rep->SetValue(Row.Rep);
    nc_rep->setText(Row.NcPrint);
    codigo_cruza->setText(Row.Cruza);
}

bool TFCruzaEti_Baixa_Cad::Valid_NC(qint64 LabelNumber)
{
    TLabelRow row;
    if (!ReadLabelRow(LabelNumber, QStringLiteral("Erro ao Consultar Dados (Valid_NC): "), row))
        return false;
    const QString refusal = Refusal(row, 1);
    if (!refusal.isEmpty()) {
        ShowLabel(TLabelRow());
        id_cruza->clear();
        AlertMessage(refusal);
        return false;
    }
    ShowLabel(row);
    id_cruza->setText(row.IdCruza);
    return true;
}

bool TFCruzaEti_Baixa_Cad::Valid_NC_Exclusao()
{
    const QString code = NC_REP_LIDO->text();
    if (code.trimmed().isEmpty()) {
        AlertMessage(QStringLiteral("Deve-se informar a Etiqueta de Hibridação a ser excluído."));
        return false;
    }
    QString msg;
    if (!Check_Etiqueta(LabelCode(), code, msg)) {
        AlertMessage(msg);
        return false;
    }
    TLabelRow row;
    if (!ReadLabelRow(Get_NC_Rep(LabelCode(), code),
                      QStringLiteral("Erro ao Consultar Dados Exclusão (Valid_NC_Exclusao): "), row))
        return false;
    // Shown also when the cancellation is refused.
    ShowLabel(row);
    const QString refusal = Refusal(row, 4);
    if (!refusal.isEmpty()) {
        AlertMessage(refusal);
        return false;
    }
    id_cruza->setText(row.IdCruza);
    FCheckedSeq = row.Seq;
    return true;
}

// ---- confirmation and saving ------------------------------------------------

void TFCruzaEti_Baixa_Cad::BConfirmClick()
{
    if (!ConfirmChecks(QStringLiteral("Etiqueta a ser excluído não foi encontrado."), ShowError))
        return;
    const bool saved = Save_Baixa(Mode);
    AfterSave(saved);
    if (!saved)
        Clear_Fields();
}

bool TFCruzaEti_Baixa_Cad::Save_Baixa(int AMode)
{
    if (AMode == 4) {
        const QString nc = QGrid->FieldByName(QStringLiteral("nc"))->AsString();
        const QString cruza = QGrid->FieldByName(QStringLiteral("codigo_cruza"))->AsString();
        const int answer = XMessageBox(QStringLiteral("Confirma o Cancelamento da Baixa da Etiqueta? \r\n Etiqueta: ") + nc
                                           + QStringLiteral("\r\n") + QStringLiteral("    Cruza: ") + cruza + QStringLiteral(".")
                                           + QStringLiteral("\r\n")
                                           + QStringLiteral("Será cancelado somente a baixa da última ocorrência."),
                                       QStringLiteral(" Cancelamento da baixa de Registro "), mtWarning, mbYesNo, mrNo);
        if (answer != mrYes)
            return true;
    }
    const bool writeOff = AMode == 1;
    const qint64 label = LabelNumber();
    const QString prefix = QStringLiteral("Erro ao ") + (writeOff ? QStringLiteral("Incluir") : QStringLiteral("Cancelar"))
        + QStringLiteral(" a Baixa da Etiqueta de Hibridação do Cruzamento.") + QStringLiteral("\r\n")
        + QStringLiteral("Msg. Erro : ");
    const bool ok = Reported(prefix, [&] {
        TLabelRow row;
        // Checked again under the write lock, so that the row checked is the row written.
        const auto check = [&] {
            std::unique_ptr<TADOQuery> q(NewQuery(DM->Conn));
            LookUp(*q, label, row);
            // The question was about one write-off: a later one of the label is not it.
            const QString refusal = Refusal(row, AMode);
            return refusal.isEmpty() && !writeOff && row.Seq != FCheckedSeq ? Reused() : refusal;
        };
        const auto write = [&] {
            id_cruza->setText(row.IdCruza);
            const bool withId = !row.IdCruza.isEmpty();
            QAtu->setCommandText(QStringLiteral(" UPDATE Cruza    SET id_usua_baixa = :x_usua,         x_dupd = :x_dupd,"
                                                "         x_cmaq = :x_cmaq,         status = :x_status ")
                                 + (withId ? QStringLiteral(", id_cruza = :id_cruza") : QString())
                                 + QStringLiteral("  WHERE (( nc_rep = :nc_rep ) AND (seq = :seq)) ")
                                 + (writeOff ? QStringLiteral(" AND (status <> 'X')") : QStringLiteral(" AND (status = 'X')")));
            SetParam(QAtu, "nc_rep", ftLargeint, label);
            SetParam(QAtu, "seq", ftInteger, row.Seq);
            if (withId)
                SetParam(QAtu, "id_cruza", ftInteger, -row.IdCruza.toInt());
            SetParam(QAtu, "x_status", ftString, writeOff ? QStringLiteral("X") : QStringLiteral("M"));
            SetParam(QAtu, "x_usua", ftInteger, writeOff ? QVariant(Get_ID_Usuario(usua)) : QVariant());
            SetParam(QAtu, "x_dupd", ftString, writeOff ? QVariant(NowStr()) : QVariant());
            SetParam(QAtu, "x_cmaq", ftString, writeOff ? QVariant(Config()->ComputerName) : QVariant());
            return QAtu->Execute();
        };
        const int changed =
            WriteAsChecked(check, write, writeOff ? NotUsed() : QStringLiteral("Etiqueta a ser excluído não foi encontrado."));
        // Written off, the crossing joins the grid; cancelled, it leaves it.
        Wrote(writeOff ? changed : -changed);
        return true;
    });
    if (ok && AMode == 4) {
        NC_REP_LIDO->setFocus();
        Clear_Fields();
    }
    return ok;
}

// ---- grid and entry upkeep --------------------------------------------------

QString TFCruzaEti_Baixa_Cad::SQL_Baixa_Grid(const QString& Condition)
{
    QString sql = SQL_Cruza_Grid(QStringLiteral(" c.x_dupd,"), QStringLiteral("isnull(c.id_cruza) or (c.id_cruza < 0)"))
        + QStringLiteral(" WHERE (c.status = 'X') ");
    if (!Condition.isEmpty())
        sql += QStringLiteral(" AND (") + Condition + QStringLiteral(") ");
    return sql + QStringLiteral(" ORDER BY c.x_dupd DESC");
}

QString TFCruzaEti_Baixa_Cad::SQL_Valid_NC()
{
    return LabelSQL;
}

void TFCruzaEti_Baixa_Cad::Reset_Entry()
{
    Clear_Fields();
    NC_REP_LIDO->setFocus();
}

void TFCruzaEti_Baixa_Cad::Clear_Fields()
{
    NC_REP_LIDO->clear();
    nc_rep->clear();
    codigo_cruza->clear();
    rep->SetValue(0);
}
