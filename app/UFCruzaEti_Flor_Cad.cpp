#include "UFCruzaEti_Flor_Cad.h"

#include "UAppConfig.h"
#include "UDM.h"
#include "UEtiqFlor.h"
#include "UFMain.h"
#include "UXCheckBox.h"
#include "UXComboBox.h"
#include "UXForms.h"
#include "UXLib.h"
#include "UXNumEdit.h"
#include "XAdo.h"
#include "XDBGrid.h"
#include "XGraphics.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <climits>
#include <memory>

namespace {

const QString LabelSQL = QStringLiteral(
    "SELECT ec.nc, ec.rep, ec.nc_print,        pc.codigo_cruza, pc.id_vaso_mae, pc.id_vaso_pai,"
    "        c.dupd AS data_cruza, c.status   FROM (Etiqueta_Cruza ec             LEFT OUTER JOIN Planejamento_Cruza pc"
    "               ON (ec.nc = pc.nc))             LEFT OUTER JOIN (SELECT *   FROM Cruza WHERE (status <> 'X')) c"
    "               ON (ec.nc_rep = c.nc_rep) WHERE ( ec.nc_rep = :nc_rep ) ");

const QString PotSQL = QStringLiteral("SELECT id, codigo   FROM Parental WHERE (id = :id)");

// Only the live local crossing the question showed.
const QString DeleteSQL = QStringLiteral("DELETE FROM Cruza WHERE (nc_rep = :nc_rep)    AND (seq = :seq)"
                                         " AND (dupd = :dupd) AND (status <> 'X') AND (id_cruza IS NULL)");

} // namespace

TFCruzaEti_Flor_Cad::TFCruzaEti_Flor_Cad(QWidget* Owner) : TFScanCad(Owner)
{
    setObjectName(QStringLiteral("FCruzaEti_Flor_Cad"));
    setWindowTitle(QStringLiteral("Cadastro de Hibridação"));
    resize(924, 600);

    BuildOperation(QRect(3, 3, 918, 569), QRect(8, 4, 200, 44), {QStringLiteral("Inclusão"), QStringLiteral("Exclusão")},
                   216);

    GBCad = NewGroup(PEdicao, "GBCad", QString(), QRect(0, 52, 918, 515));
    GBCruza = NewGroup(GBCad, "GBCruza", QStringLiteral(" Cruzamento "), QRect(8, 10, 500, 118));
    NewLabel(GBCruza, "LEmasculador", QStringLiteral("Executor"), 10, 27);
    id_emasculador = NewCombo(GBCruza, "id_emasculador", QRect(76, 22, 250, 24));
    NewLabel(GBCruza, "LReverso", QStringLiteral("Reverso"), 340, 27);
    reverso = NewReverso(GBCruza, QRect(396, 22, 94, 24));
    NewLabel(GBCruza, "LMae", QStringLiteral("Vaso Mãe"), 10, 57);
    id_mae_lido = NewEdit(GBCruza, "id_mae_lido", QRect(76, 52, 130, 24), 13, true);
    id_mae = NewNumEdit(GBCruza, "id_mae", QRect(212, 52, 90, 24));
    codigo_mae = NewEdit(GBCruza, "codigo_mae", QRect(308, 52, 182, 24), 30);
    NewLabel(GBCruza, "LPai", QStringLiteral("Vaso Pai"), 10, 87);
    id_pai_lido = NewEdit(GBCruza, "id_pai_lido", QRect(76, 82, 130, 24), 13, true);
    id_pai = NewNumEdit(GBCruza, "id_pai", QRect(212, 82, 90, 24));
    codigo_pai = NewEdit(GBCruza, "codigo_pai", QRect(308, 82, 182, 24), 30);
    codigo_mae->setEnabled(false);
    codigo_pai->setEnabled(false);

    GBFlor = NewGroup(GBCad, "GBFlor", QStringLiteral(" Hibridação "), QRect(514, 10, 400, 118));
    BuildLabelField(GBFlor, 27, QRect(112, 22, 124, 24));
    Check_Etiq = new TXCheckBox(GBFlor);
    Check_Etiq->setObjectName(QStringLiteral("Check_Etiq"));
    Check_Etiq->setText(QStringLiteral("Ler somente Etiqueta"));
    Check_Etiq->setGeometry(242, 22, 154, 24);
    Check_Etiq->setFocusPolicy(Qt::ClickFocus);
    Check_Etiq->setChecked(false);
    NewLabel(GBFlor, "LRep", QStringLiteral("Rep."), 10, 57);
    rep = NewNumEdit(GBFlor, "rep", QRect(112, 52, 50, 24));
    BuildLabelDisplay(GBFlor, QStringLiteral("NC"), {172, 57}, QRect(196, 52, 190, 24), QStringLiteral("Código Cruza"), {10, 87},
                      QRect(112, 82, 274, 24));

    BuildGrid(GBCad, QRect(8, 136, 904, 354));
    AddColumn(GCad, "dupd", QStringLiteral("Inclusão"), 110, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "nc_rep", QStringLiteral("NC_Rep"), 80, taRightJustify, taCenter);
    AddColumn(GCad, "nc", QStringLiteral("NC"), 83, taRightJustify, taCenter);
    AddColumn(GCad, "reverso", QStringLiteral("Reverso"), 45, taLeftJustify, taCenter);
    AddColumn(GCad, "codigo_cruza", QStringLiteral("Código Cruza"), 160, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "nome_emasculador", QStringLiteral("Executor Hibridação"), 120, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "planejamento", QStringLiteral("Planejamento"), 150, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "tal_transmissao", QStringLiteral("Status"), 38, taLeftJustify, taLeftJustify);


    // The order in which Enter moves on.
    setTabOrder(id_emasculador, reverso);
    setTabOrder(reverso, id_mae_lido);
    setTabOrder(id_mae_lido, id_pai_lido);
    setTabOrder(id_pai_lido, NC_REP_LIDO);
    setTabOrder(NC_REP_LIDO, RGOperItems->button(0));
    setTabOrder(RGOperItems->button(0), RGOperItems->button(1));

    AddEditors({id_emasculador, reverso, id_mae_lido, id_mae, codigo_mae, id_pai_lido, id_pai, codigo_pai, NC_REP_LIDO,
                rep, nc_rep, codigo_cruza});

    connect(BConfirm, &QPushButton::clicked, this, &TFCruzaEti_Flor_Cad::BConfirmClick);
    // Toggled, not clicked: unchecking it in code runs the handler as a user's click does.
    connect(Check_Etiq, &QCheckBox::toggled, this, &TFCruzaEti_Flor_Cad::Check_EtiqClick);
    GCad->OnDrawColumnCell = [this](TDBGrid* Sender, const QRect& Rect, int DataCol, TColumn* Column,
                                    TGridDrawState State, int RecNo) {
        GCadDrawColumnCell(Sender, Rect, DataCol, Column, State, RecNo);
    };

    FormCreate();
}

TFCruzaEti_Flor_Cad::~TFCruzaEti_Flor_Cad() = default;

void TFCruzaEti_Flor_Cad::FormCreate()
{
    SetEditorNames({"ID_EMASCULADOR", "ID_MAE_LIDO", "ID_PAI_LIDO", "NC_REP_LIDO"});
}

// ---- show, operation, keys and exits ----------------------------------------

void TFCruzaEti_Flor_Cad::FormShow()
{
    if (!ConfigLoaded())
        return;
    Inicialize_Usuario(id_emasculador, false);
    QGrid->SQL.setText(SQL_Flor_Grid(QString()));
    QGrid->Open();
    Show_Count();
    BSetOperClick();
    id_emasculador->setFocus();
}

void TFCruzaEti_Flor_Cad::FormResize()
{
    ResizeGridPanel(GBCad);
}

void TFCruzaEti_Flor_Cad::EnableEntry(bool Enabled)
{
    GBCruza->setEnabled(Enabled);
    Check_Etiq->setChecked(false);
}

bool TFCruzaEti_Flor_Cad::ConfirmsOnEnter(QWidget* Editor) const
{
    return Editor == NC_REP_LIDO && Mode == 1;
}

void TFCruzaEti_Flor_Cad::Check_EtiqClick()
{
    Set_Tab_Stops(Check_Etiq->isChecked());
    if (!Check_Etiq->isChecked())
        Clear_Fields();
}

void TFCruzaEti_Flor_Cad::Set_Tab_Stops(bool OnlyLabel)
{
    auto setTabStop = [](QWidget* W, bool On) { W->setFocusPolicy(On ? Qt::StrongFocus : Qt::ClickFocus); };
    setTabStop(id_emasculador, !OnlyLabel);
    setTabStop(reverso, !OnlyLabel);
    setTabStop(id_mae_lido, id_mae_lido->text().isEmpty() || !OnlyLabel);
    setTabStop(id_pai_lido, id_pai_lido->text().isEmpty() || !OnlyLabel);
}

// ---- validation -------------------------------------------------------------

bool TFCruzaEti_Flor_Cad::ValidateField(QWidget* Sender)
{
    if (RGOper->isEnabled())
        return true;
    bool result = true;
    if (Mode == 1) {
        if (Sender == id_emasculador) {
            if (id_emasculador->currentIndex() < 0) {
                AlertMessage(QStringLiteral("Executor da Hibridação deve ser informado."));
                result = false;
            }
        } else if (Sender == id_mae_lido) {
            result = Valid_Vaso(id_mae_lido->text(), QStringLiteral("Mae"));
        } else if (Sender == id_pai_lido) {
            result = Valid_Vaso(id_pai_lido->text(), QStringLiteral("Pai"));
        } else if (Sender == NC_REP_LIDO) {
            NC_REP_LIDO->setFocusPolicy(Qt::StrongFocus);
            // Leaving the label checks nothing: the confirmation does.
            if (!Validating)
                return true;
            qint64 number = 0;
            result = ReadLabel(QStringLiteral("Etiqueta de Hibridação deve ser informado."), false, number)
                && Valid_NC(number);
        }
        if (!result && Validating)
            FocusFailed(Sender);
    } else if (Mode == 4 && Sender == NC_REP_LIDO) {
        result = Check_Etiqueta_Exclusao();
        FilterByLabel(result, QStringLiteral(" AND (c.status <> 'X')"));
    }
    return result;
}

bool TFCruzaEti_Flor_Cad::Valid_Vaso(const QString& Code, const QString& Which)
{
    if (Code.isEmpty()) {
        AlertMessage(QStringLiteral("ID ") + Which + QStringLiteral(" deve ser informado."));
        return false;
    }
    const int type = Config() ? Config()->ID_PAIS_CODE : -1;
    QString msg;
    if (!Check_Etiqueta(type, Code, msg)) {
        AlertMessage(msg);
        return false;
    }
    return Valid_Parental(Get_NC_Rep(type, Code), Which);
}

bool TFCruzaEti_Flor_Cad::Valid_Parental(qint64 PotNumber, const QString& Which)
{
    const QString unknown = QStringLiteral("ID Vaso ") + Which + QStringLiteral(" não cadastrado.");
    if (PotNumber < INT_MIN || PotNumber > INT_MAX) {
        ShowError(unknown);
        return false;
    }
    bool found = false;
    QString codigo;
    if (!WithQuery(DM->Conn, QStringLiteral("Erro ao consultar os dados dos Parentais.\r\nMsg.: "), [&](TADOQuery& q) {
            q.SQL.setText(PotSQL);
            TParameter* id = q.Parameters.ParamByName(QStringLiteral("id"));
            id->DataType = ftInteger;
            id->Value = int(PotNumber);
            q.Open();
            found = !q.IsEmpty();
            if (found)
                codigo = q.FieldByName(QStringLiteral("codigo"))->AsString();
            return true;
        }))
        return false;
    if (!found) {
        ShowError(unknown);
        return false;
    }
    if (Which.toUpper() == QLatin1String("PAI")) {
        id_pai->SetValue(PotNumber);
        codigo_pai->setText(codigo);
    } else {
        id_mae->SetValue(PotNumber);
        codigo_mae->setText(codigo);
    }
    return true;
}

bool TFCruzaEti_Flor_Cad::Valid_NC(qint64 LabelNumber)
{
    // The first row, read before any box is shown.
    bool found = false;
    QString dataCruza, ncPrint, cruza;
    int mother = 0, father = 0, repNo = 0;
    if (!WithQuery(DM->Conn, QStringLiteral("Erro ao Consultar Dados (Valid_NC): "), [&](TADOQuery& q) {
            found = OpenLabel(q, LabelSQL, LabelNumber);
            if (found) {
                auto asInt = [&](const char* Name) {
                    const TField* f = q.FieldByName(QLatin1String(Name));
                    return f->IsNull() ? 0 : f->AsInteger();
                };
                dataCruza = q.FieldByName(QStringLiteral("data_cruza"))->AsString();
                ncPrint = q.FieldByName(QStringLiteral("nc_print"))->AsString();
                cruza = q.FieldByName(QStringLiteral("codigo_cruza"))->AsString();
                mother = asInt("id_vaso_mae");
                father = asInt("id_vaso_pai");
                repNo = asInt("rep");
            }
            return true;
        }))
        return false;
    bool result = false;
    if (!found)
        AlertMessage(QStringLiteral("Etiqueta de Hibridação não cadastrado."));
    else if (!dataCruza.isEmpty())
        AlertMessage(QStringLiteral("A Etiqueta já foi utilizado em : ") + dataCruza);
    else
        result = Check_Planejamento(mother, father);
    rep->SetValue(result ? repNo : 0);
    nc_rep->setText(result ? ncPrint : QString());
    codigo_cruza->setText(result ? cruza : QString());
    return result;
}

bool TFCruzaEti_Flor_Cad::Check_Planejamento(int PlannedMother, int PlannedFather)
{
    const bool straight = reverso->currentIndex() == 0;
    const qint64 father = straight ? PlannedFather : PlannedMother;
    const qint64 mother = straight ? PlannedMother : PlannedFather;
    if (qint64(id_pai->Value()) != father) {
        AlertMessage(QStringLiteral("Informação do vaso pai não confere com a Etiqueta."));
        return false;
    }
    if (qint64(id_mae->Value()) != mother) {
        AlertMessage(QStringLiteral("Informação do vaso mãe não confere com a Etiqueta."));
        return false;
    }
    return true;
}

bool TFCruzaEti_Flor_Cad::Check_Etiqueta_Exclusao()
{
    return CheckLabelForDeletion(QStringLiteral("Deve-se informar a Etiqueta de Cruzamento a ser excluído."));
}

// ---- confirmation and saving ------------------------------------------------

void TFCruzaEti_Flor_Cad::BConfirmClick()
{
    if (!ConfirmChecks(QStringLiteral("Etiqueta a ser excluído não foi encontrado."), ShowError))
        return;
    if (Mode == 4 && IfNull(QGrid->FieldByName(QStringLiteral("id_cruza"))->Value(), 0).toLongLong() != 0) {
        ShowError(QStringLiteral("Cadastro transmitido para o Talvora não pode ser excluído."));
        return;
    }
    AfterSave(Save_Flor(Mode));
}

bool TFCruzaEti_Flor_Cad::Save_Flor(int AMode)
{
    const QString prefix = QStringLiteral("Erro ao ") + (AMode == 1 ? QStringLiteral("Incluir") : QStringLiteral("Excluir"))
        + QStringLiteral(" a Etiqueta de Hibridação.") + QStringLiteral("\r\n") + QStringLiteral("Msg. Erro : ");
    if (AMode == 1) {
        const qint64 label = LabelNumber();
        return Reported(prefix, [&] {
            // The final check and the insert hold the write lock together: another instance cannot slip in.
            TADOTransaction tx(DM->Conn);
            if (QString used; FEtiqFlor->LiveCrossing(label, used)) {
                tx.Rollback();
                AlertMessage(QStringLiteral("A Etiqueta já foi utilizado em : ") + used);
                return false;
            }
            // A failed sequence lookup has reported itself; the window goes on as after a save.
            if (InsertCruza(QAtu, label, reverso->currentIndex(), Get_ID_Usuario(id_emasculador), QStringLiteral("M"))) {
                tx.Commit();
                Wrote(1);
            }
            return true;
        });
    }
    if (AMode != 4)
        return true;
    TShown shown;
    shown.Label = QGrid->FieldByName(QStringLiteral("nc_rep"))->AsLargeInt();
    shown.Seq = QGrid->FieldByName(QStringLiteral("seq"))->AsInteger();
    shown.Dupd = QGrid->FieldByName(QStringLiteral("dupd"))->AsString();
    shown.Reverso = QGrid->FieldByName(QStringLiteral("reverso"))->AsString();
    // The label's envelope as it stands when asked: one made meanwhile stops the deletion.
    if (!Reported(prefix, [&] {
            shown.Harvested = HarvestDate(shown.Label);
            return true;
        }))
        return false;
    const QString nc = QGrid->FieldByName(QStringLiteral("nc"))->AsString();
    const QString cruza = QGrid->FieldByName(QStringLiteral("codigo_cruza"))->AsString();
    const int answer = XMessageBox(QStringLiteral("Confirma a exclusão da seguinte informação? \r\n Etiqueta: ") + nc
                                       + QStringLiteral("\r\n") + QStringLiteral("    Cruza: ") + cruza + QStringLiteral("\r\n")
                                       + QStringLiteral("  Reverso: ") + shown.Reverso + QStringLiteral("."),
                                   QStringLiteral(" Exclusão de Registro "), mtWarning, mbYesNo, mrNo);
    if (answer != mrYes)
        return true;
    // The crossing the question showed, read again under the write lock, is the one deleted.
    const bool ok = Reported(prefix, [&] {
        const auto remove = [&] {
            QAtu->setCommandText(DeleteSQL);
            SetParam(QAtu, "nc_rep", ftFloat, double(shown.Label));
            SetParam(QAtu, "seq", ftInteger, shown.Seq);
            SetParam(QAtu, "dupd", ftString, shown.Dupd);
            return QAtu->Execute();
        };
        Wrote(-WriteAsChecked([&] { return Deletion_Check(shown); }, remove,
                              QStringLiteral("O Cruzamento da Etiqueta já foi excluído.")));
        return true;
    });
    if (ok) {
        NC_REP_LIDO->setFocus();
        Clear_Fields();
    }
    return ok;
}

QString TFCruzaEti_Flor_Cad::HarvestDate(qint64 Label)
{
    std::unique_ptr<TADOQuery> q(NewQuery(DM->Conn));
    return OpenLabel(*q, QStringLiteral("SELECT dupd   FROM Colheita WHERE (nc_rep = :nc_rep)"), Label)
        ? q->FieldByName(QStringLiteral("dupd"))->AsString()
        : QString();
}

QString TFCruzaEti_Flor_Cad::Deletion_Check(const TShown& Shown)
{
    std::unique_ptr<TADOQuery> q(NewQuery(DM->Conn));
    q->SQL.setText(QStringLiteral("SELECT status, dupd, reverso, id_cruza, x_dupd   FROM Cruza"
                                  " WHERE (nc_rep = :nc_rep) AND (seq = :seq)"));
    TParameter* p = q->Parameters.ParamByName(QStringLiteral("nc_rep"));
    p->DataType = ftLargeint;
    p->Value = Shown.Label;
    p = q->Parameters.ParamByName(QStringLiteral("seq"));
    p->DataType = ftInteger;
    p->Value = Shown.Seq;
    q->Open();
    if (q->IsEmpty())
        return QStringLiteral("O Cruzamento da Etiqueta já foi excluído.");
    auto text = [&](const char* Name) { return q->FieldByName(QLatin1String(Name))->AsString(); };
    if (text("status") == QLatin1String("X"))
        return QStringLiteral("A Etiqueta já foi dado baixa em : ") + text("x_dupd");
    if (!text("id_cruza").isEmpty())
        return QStringLiteral("Cadastro transmitido para o Talvora não pode ser excluído.");
    // Deleted and registered again meanwhile: the new crossing is not what the user confirmed.
    const QString reverso = text("reverso") == QLatin1String("0") ? QStringLiteral("Não") : QStringLiteral("Sim");
    if (text("dupd") != Shown.Dupd || reverso != Shown.Reverso)
        return QStringLiteral("O Cruzamento da Etiqueta foi alterado e não foi excluído.");
    q->Close();
    const QString harvested = HarvestDate(Shown.Label);
    if (!harvested.isEmpty() && harvested != Shown.Harvested)
        return QStringLiteral("A Etiqueta de Hibridação já foi lançado como colhido em : ") + harvested;
    return QString();
}

// ---- grid and entry upkeep --------------------------------------------------

QString TFCruzaEti_Flor_Cad::SQL_Flor_Grid(const QString& Condition)
{
    QString sql = SQL_Cruza_Grid(QString(), QStringLiteral("isnull(c.id_cruza)"));
    if (!Condition.isEmpty())
        sql += QStringLiteral(" WHERE (") + Condition + QStringLiteral(") ");
    return sql + QStringLiteral(" ORDER BY c.DUPD desc");
}

void TFCruzaEti_Flor_Cad::Reset_Entry()
{
    Clear_Fields();
    if (Check_Etiq->isChecked())
        NC_REP_LIDO->setFocus();
    else
        id_emasculador->setFocus();
}

void TFCruzaEti_Flor_Cad::Clear_Fields()
{
    NC_REP_LIDO->clear();
    nc_rep->clear();
    codigo_cruza->clear();
    rep->SetValue(0);
    if (Check_Etiq->isChecked() && Mode == 1)
        return;
    if (!Config() || Config()->LIMPA_EMASC == 0)
        id_emasculador->setCurrentIndex(-1);
    reverso->setCurrentIndex(0);
    id_pai_lido->clear();
    id_pai->SetValue(0);
    codigo_pai->clear();
    id_mae_lido->clear();
    id_mae->SetValue(0);
    codigo_mae->clear();
}

void TFCruzaEti_Flor_Cad::GCadDrawColumnCell(TDBGrid* Sender, const QRect& Rect, int DataCol, TColumn* Column,
                                             TGridDrawState State, int RecNo)
{
    if (Sender->FieldText(RecNo, QStringLiteral("status")) != QLatin1String("X"))
        return;
    TGridCanvas* canvas = Sender->Canvas();
    canvas->Brush.Color = ColorToQColor(clRed);
    canvas->Font.Color = ColorToQColor(clBlack);
    Sender->DefaultDrawColumnCell(Rect, DataCol, Column, State);
}
