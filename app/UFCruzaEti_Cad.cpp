#include "UFCruzaEti_Cad.h"

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

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

namespace {

// Text as an SQL literal: quotes doubled, so that no text can end it early.
QString SqlLiteral(const QString& Text)
{
    QString s = Text;
    return u'\'' + s.replace(u'\'', QStringLiteral("''")) + u'\'';
}

} // namespace

TFCruzaEti_Cad::TFCruzaEti_Cad(QWidget* Owner) : TFScanCad(Owner)
{
    setObjectName(QStringLiteral("FCruzaEti_Cad"));
    setWindowTitle(QStringLiteral("Cadastro de Envelopes de Colheita / Cruzamento"));
    resize(924, 620);

    BuildOperation(QRect(0, 0, 923, 593), QRect(8, 4, 280, 44),
                   {QStringLiteral("Inclusão"), QStringLiteral("Exclusão"), QStringLiteral("Filtro")}, 296);

    GBUsuario = NewGroup(PEdicao, "GBUsuario", QStringLiteral(" Usuário "), QRect(8, 52, 300, 52));
    usua = NewCombo(GBUsuario, "usua", QRect(10, 20, 280, 24));
    GBLote = NewGroup(PEdicao, "GBLote", QStringLiteral(" Caixa / Lote "), QRect(316, 52, 260, 52));
    // Sized for the longer of its two captions.
    LLote = NewLabel(GBLote, "LLote", QStringLiteral("Lote a Filtrar"), 10, 25);
    LLote->setText(QStringLiteral("Caixa/Lote"));
    lote = NewEdit(GBLote, "lote", QRect(100, 20, 150, 24), 15, true);

    GBCad = NewGroup(PEdicao, "GBCad", QString(), QRect(8, 108, 907, 148));
    GBFlor = NewGroup(GBCad, "GBFlor", QStringLiteral(" Flor Emasculada / Trabalhada "), QRect(6, 6, 440, 136));
    BuildLabelField(GBFlor, 25, QRect(112, 20, 124, 24));
    BuildLabelDisplay(GBFlor, QString(), {242, 25}, QRect(242, 20, 188, 24), QStringLiteral("Cruza"), {10, 53},
                      QRect(112, 48, 318, 24));
    NewLabel(GBFlor, "LNsem", QStringLiteral("Nr. Sementes"), 10, 81);
    nsem = NewNumEdit(GBFlor, "nsem", QRect(112, 76, 80, 24), true);
    NewLabel(GBFlor, "LObs", QStringLiteral("Obs."), 10, 109);
    obs = NewEdit(GBFlor, "obs", QRect(112, 104, 318, 24), 50, true);

    GBCruza = NewGroup(GBCad, "GBCruza", QStringLiteral(" Cruzamento "), QRect(454, 6, 446, 136));
    NewLabel(GBCruza, "LEmasculador", QStringLiteral("Executor"), 10, 25);
    id_emasculador = NewCombo(GBCruza, "id_emasculador", QRect(76, 20, 250, 24));
    NewLabel(GBCruza, "LReverso", QStringLiteral("Reverso"), 10, 53);
    reverso = NewReverso(GBCruza, QRect(76, 48, 94, 24));
    // The planned parents, shown only.
    const QString parents[] = {QStringLiteral("Vaso Mãe"), QStringLiteral("Vaso Pai")};
    TXNumEdit** ids[] = {&id_mae, &id_pai};
    QLineEdit** codes[] = {&codigo_mae, &codigo_pai};
    for (int i = 0; i < 2; ++i) {
        const int y = 76 + 28 * i;
        NewLabel(GBCruza, i ? "LPai" : "LMae", parents[i], 10, y + 5);
        *ids[i] = NewNumEdit(GBCruza, i ? "id_pai" : "id_mae", QRect(76, y, 90, 24));
        *codes[i] = NewEdit(GBCruza, i ? "codigo_pai" : "codigo_mae", QRect(172, y, 264, 24), 30);
        (*codes[i])->setEnabled(false);
    }

    BuildGrid(PEdicao, QRect(8, 262, 680, 296));
    AddColumn(GCad, "dupd", QStringLiteral("Inclusão"), 110, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "lote", QStringLiteral("Lote"), 70, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "nc_print", QStringLiteral("NC"), 80, taRightJustify, taCenter);
    AddColumn(GCad, "codigo_cruza", QStringLiteral("Cruza"), 160, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "qte_sem", QStringLiteral("N.Semente"), 60, taRightJustify, taCenter);
    AddColumn(GCad, "reverso", QStringLiteral("Reverso"), 50, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "obs", QStringLiteral("Obs."), 200, taLeftJustify, taLeftJustify);

    QGridLote = new TADOQuery(this);
    QGridLote->setObjectName(QStringLiteral("QGridLote"));
    if (DM)
        QGridLote->setConnection(DM->Conn);
    GLote = new TDBGrid(PEdicao);
    GLote->setObjectName(QStringLiteral("GLote"));
    GLote->setGeometry(696, 262, 219, 296);
    GLote->SetOptions(dgTitles | dgIndicator | dgColumnResize | dgRowSelect);
    GLote->setFocusPolicy(Qt::ClickFocus);
    GLote->SetDataSet(QGridLote);
    AddColumn(GLote, "lote", QStringLiteral("Lote"), 70, taCenter, taCenter);
    AddColumn(GLote, "qte_cad", QStringLiteral("Cadastrado"), 59, taCenter, taCenter);
    LRegLote = NewLabel(PEdicao, "LRegLote", QStringLiteral("Registros: 0"), 696, 563);
    LRegLote->setMinimumWidth(150);
    connect(QGridLote, &TCustomADODataSet::AfterOpen, this, &TFCruzaEti_Cad::QGridAfterOpen);
    connect(QGridLote, &TCustomADODataSet::AfterClose, this, &TFCruzaEti_Cad::Show_Count);

    // The order in which Enter moves on.
    setTabOrder(usua, lote);
    setTabOrder(lote, NC_REP_LIDO);
    setTabOrder(NC_REP_LIDO, nsem);
    setTabOrder(nsem, obs);
    setTabOrder(obs, id_emasculador);
    setTabOrder(id_emasculador, reverso);
    setTabOrder(reverso, RGOperItems->button(0));

    AddEditors({usua, lote, NC_REP_LIDO, nc_rep, codigo_cruza, nsem, obs, id_emasculador, reverso, id_mae, codigo_mae,
                id_pai, codigo_pai});
    connect(BConfirm, &QPushButton::clicked, this, &TFCruzaEti_Cad::BConfirmClick);
    Enable_Cruza(false);

    FormCreate();
}

TFCruzaEti_Cad::~TFCruzaEti_Cad()
{
    QGridLote->disconnect(this);
    GLote->SetDataSet(nullptr);
    QGridLote->Close();
}

void TFCruzaEti_Cad::FormCreate()
{
    SetEditorNames({"USUA", "LOTE", "NC_REP_LIDO", "NSEM", "ID_EMASCULADOR", "OBS"});
}

void TFCruzaEti_Cad::FormShow()
{
    if (!ConfigLoaded())
        return;
    Inicialize_Usuario(usua, false);
    Inicialize_Usuario(id_emasculador, false);
    QGridLote->SQL.setText(SQL_Lote_Grid());
    QGridLote->Open();
    QGrid->SQL.setText(SQL_Colheita_Grid(QString()));
    QGrid->Open();
    Show_Count();
    BSetOperClick();
}

void TFCruzaEti_Cad::FormResize()
{
    if (!PEdicao)
        return;
    PEdicao->resize(qMax(0, width() - 1), qMax(0, height() - 27));
    // The grids take what the entry leaves.
    const int h = qMax(0, PEdicao->height() - GCad->y() - 30);
    GLote->setGeometry(qMax(GCad->x(), PEdicao->width() - GLote->width() - 8), GCad->y(), GLote->width(), h);
    GCad->resize(qMax(0, GLote->x() - GCad->x() - 8), h);
    LReg->move(GCad->x(), GCad->y() + h + 5);
    LRegLote->move(GLote->x(), GLote->y() + h + 5);
}

// ---- operation and keys -----------------------------------------------------

void TFCruzaEti_Cad::EnableEntry(bool Enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(GBUsuario), static_cast<QWidget*>(GBLote), static_cast<QWidget*>(GBCad)})
        w->setEnabled(Enabled);
}

void TFCruzaEti_Cad::ApplyOperation(int Item)
{
    if (Item != 2) {
        TFScanCad::ApplyOperation(Item);
        if (Mode == 1)
            Enable_Cruza(false);
        return;
    }
    Mode = 5;
    Set_Oper_Label(true);
    lote->setFocus();
}

void TFCruzaEti_Cad::AfterOperationPress()
{
    Clear_Fields();
    lote->clear();
}

bool TFCruzaEti_Cad::ConfirmsOnEnter(QWidget* Editor) const
{
    return Mode == 1 && (Editor == reverso || (Editor == obs && !reverso->isEnabled()));
}

void TFCruzaEti_Cad::Set_Oper_Label(bool Active)
{
    const bool filter = Active && Mode == 5;
    LNC_Lido->setText(!Active ? QStringLiteral("Etiqueta Lido")
                              : filter ? QStringLiteral("Etiqueta a Filtrar") : QStringLiteral("Etiqueta a Excluir"));
    SetFontColor(LNC_Lido, Active ? clRed : clWindowText);
    LLote->setText(filter ? QStringLiteral("Lote a Filtrar") : QStringLiteral("Caixa/Lote"));
    SetFontColor(LLote, filter ? clRed : clWindowText);
    if (Active && !filter)
        QGrid->Close();
}

void TFCruzaEti_Cad::Enable_Cruza(bool Enabled)
{
    id_emasculador->setEnabled(Enabled);
    reverso->setEnabled(Enabled);
}

void TFCruzaEti_Cad::Select_Executor(int Id)
{
    for (int i = 0; i < id_emasculador->count(); ++i) {
        if (id_emasculador->itemData(i).toInt() == Id) {
            id_emasculador->setCurrentIndex(i);
            return;
        }
    }
}

// ---- validation -------------------------------------------------------------

bool TFCruzaEti_Cad::ValidateField(QWidget* Sender)
{
    if (RGOper->isEnabled())
        return true;
    if (Mode == 4) {
        if (Sender != NC_REP_LIDO)
            return true;
        const bool result = Check_Etiqueta_Exclusao();
        if (result)
            OpenGrid(SQL_Colheita_Grid(QStringLiteral(" c.nc_rep = ") + QString::number(LabelNumber())));
        else
            QGrid->Close();
        return result;
    }
    if (Mode != 1)
        return true;
    bool result = true;
    bool takesFocus = Validating;
    auto tabStop = [](QWidget* W, bool On) { W->setFocusPolicy(On ? Qt::StrongFocus : Qt::ClickFocus); };
    if (Sender == usua) {
        result = usua->currentIndex() >= 0;
        if (!result)
            AlertMessage(QStringLiteral("Usuário deve ser selecionado."));
        tabStop(usua, !result);
    } else if (Sender == lote) {
        result = !lote->text().isEmpty();
        if (!result)
            AlertMessage(QStringLiteral("Caixa/Lote deve ser informado."));
        tabStop(lote, !result);
    } else if (Sender == NC_REP_LIDO) {
        tabStop(NC_REP_LIDO, true);
        // A bad label takes the focus back at once; an empty one does not.
        takesFocus = takesFocus || !NC_REP_LIDO->text().isEmpty();
        qint64 number = 0;
        result = ReadLabel(QStringLiteral("Etiqueta de Hibridação deve ser informado."), false, number) && Valid_NC(number);
    } else if (Sender == nsem) {
        result = Valid_Seeds();
    } else if (Sender == id_emasculador) {
        result = id_emasculador->currentIndex() >= 0;
        if (!result)
            AlertMessage(QStringLiteral("Executor da Hibridação deve ser informado."));
    }
    if (!result && takesFocus)
        FocusFailed(Sender);
    return result;
}

bool TFCruzaEti_Cad::Valid_Seeds()
{
    nsem->TextToValue();
    const int value = int(nsem->Value());
    if (value <= 0) {
        AlertMessage(QStringLiteral("Número de semente deve ser informado com um valor positivo."));
        return false;
    }
    if (value == AcceptedSeeds)
        return true;
    const int limit = Config()->SMT_MAX_HIBR;
    if (value > limit
        && !Ask(QStringLiteral("A quantidade de semente informado está acima do limite normal [") + QString::number(limit)
                    + QStringLiteral("].") + QStringLiteral("\r\n") + QStringLiteral("Confirma o número de sementes informado?"),
                true))
        return false;
    AcceptedSeeds = value;
    return true;
}

bool TFCruzaEti_Cad::Check_Etiqueta_Exclusao()
{
    return CheckLabelForDeletion(QStringLiteral("Deve-se informar o NC da Etiqueta a ser excluído."));
}

bool TFCruzaEti_Cad::Valid_NC(qint64 NcRep)
{
    struct
    {
        bool Found = false;
        QString NcPrint, Cruza, Reverso, Executor, Lote, Seeds, Mae, Pai;
        int IdMae = 0, IdPai = 0;
    } row;
    // Read whole before any box is shown.
    const bool read = WithQuery(
        DM->Conn, QStringLiteral("Erro ao Consultar Dados (Valid_NC): "),
        [&](TADOQuery& q) {
            const QString sql =
                QStringLiteral("SELECT ec.nc_print, pc.codigo_cruza,        cr.reverso, cr.id_emasculador,        c.lote, c.qte_sem,"
                               "        pc.codigo_cruza, pc.planejamento,        pc.id_vaso_mae, pc.id_vaso_pai,"
                               "        tmae.codigo AS mae, tpai.codigo as pai   FROM ((((Etiqueta_Cruza ec"
                               "           LEFT OUTER JOIN (")
                + FEtiqFlor->SQLCruzaNaoBaixada()
                + QStringLiteral(") cr             ON (ec.nc_rep = cr.nc_rep))           LEFT OUTER JOIN Colheita c"
                                 "             ON (ec.nc_rep = c.nc_rep))           LEFT OUTER JOIN Planejamento_Cruza pc"
                                 "             ON (ec.nc = pc.nc))           LEFT OUTER JOIN Parental tmae"
                                 "             ON (pc.id_vaso_mae = tmae.id))           LEFT OUTER JOIN Parental tpai"
                                 "             ON (pc.id_vaso_pai = tpai.id)  WHERE ( ec.nc_rep = :nc_rep ) ");
            row.Found = OpenLabel(q, sql, NcRep);
            if (!row.Found)
                return true;
            auto text = [&](const char* Name) { return q.FieldByName(QLatin1String(Name))->AsString(); };
            row.NcPrint = text("nc_print");
            row.Cruza = text("codigo_cruza");
            row.Reverso = text("reverso");
            row.Executor = text("id_emasculador");
            row.Lote = text("lote");
            row.Seeds = text("qte_sem");
            row.Mae = text("mae");
            row.Pai = text("pai");
            row.IdMae = text("id_vaso_mae").toInt();
            row.IdPai = text("id_vaso_pai").toInt();
            return true;
        },
        AlertMessage);
    if (!read)
        return false;
    if (!row.Found) {
        AlertMessage(QStringLiteral("Etiqueta de Hibridação não cadastrado."));
        return false;
    }
    if (!row.Lote.isEmpty()) {
        AlertMessage(Registered(row.Lote, row.Seeds));
        return false;
    }
    if (row.Executor.isEmpty()) {
        Enable_Cruza(true);
        // A label scanned again keeps the choices made for it.
        if (NewCruza == 0) {
            id_emasculador->setCurrentIndex(-1);
            reverso->setCurrentIndex(0);
            NewCruza = 1;
        }
    } else {
        Enable_Cruza(false);
        id_emasculador->setCurrentIndex(-1);
        Select_Executor(row.Executor.toInt());
        reverso->setCurrentIndex(row.Reverso.toInt());
        NewCruza = 0;
    }
    nc_rep->setText(row.NcPrint);
    codigo_cruza->setText(row.Cruza);
    id_pai->SetValue(row.IdPai);
    codigo_pai->setText(row.Pai);
    id_mae->SetValue(row.IdMae);
    codigo_mae->setText(row.Mae);
    return true;
}

// ---- confirmation and saving ------------------------------------------------

void TFCruzaEti_Cad::BConfirmClick()
{
    if (!ConfirmChecks(QStringLiteral("NC/Repetição a ser excluído não foi encontrado."), AlertMessage))
        return;
    FAddedLot.clear();
    AfterSave(Save_Colheita(Mode));
}

QString TFCruzaEti_Cad::Registered(const QString& Lot, const QString& Seeds)
{
    return QStringLiteral("Etiqueta de Hibridação já foi cadastrado:\r\nLote : ") + Lot + QStringLiteral("\r\n")
        + QStringLiteral("Nr. Sementes: ") + Seeds;
}

bool TFCruzaEti_Cad::Read_Envelope(qint64 Label, TEnvelope& Row)
{
    std::unique_ptr<TADOQuery> q(NewQuery(DM->Conn));
    q->SQL.setText(QStringLiteral("SELECT id_cruza, lote, qte_sem, dupd   FROM Colheita WHERE (nc_rep = :nc_rep)"));
    TParameter* p = q->Parameters.ParamByName(QStringLiteral("nc_rep"));
    p->DataType = ftLargeint;
    p->Value = Label;
    q->Open();
    if (q->IsEmpty())
        return false;
    Row.IdCruza = IfNull(q->FieldByName(QStringLiteral("id_cruza"))->Value(), 0).toLongLong();
    Row.Lote = q->FieldByName(QStringLiteral("lote"))->AsString();
    Row.Seeds = q->FieldByName(QStringLiteral("qte_sem"))->AsString();
    Row.Dupd = q->FieldByName(QStringLiteral("dupd"))->AsString();
    return true;
}

QString TFCruzaEti_Cad::Final_Check(qint64 Label)
{
    if (TEnvelope e; Read_Envelope(Label, e))
        return Registered(e.Lote, e.Seeds);
    QString used;
    const bool live = FEtiqFlor->LiveCrossing(Label, used);
    if (NewCruza == 1 && live)
        return QStringLiteral("A Etiqueta já foi utilizado em : ") + used;
    if (NewCruza == 0 && !live)
        return QStringLiteral("Etiqueta de Hibridação não utilizado no cruzamento.");
    return QString();
}

QString TFCruzaEti_Cad::Deletion_Check(qint64 Label, const TEnvelope& Shown, TEnvelope& Row)
{
    if (!Read_Envelope(Label, Row))
        return QStringLiteral("O Envelope de Semente já foi excluído.");
    // Deleted and registered again meanwhile: the new one is not what the user confirmed.
    if (Row.Lote != Shown.Lote || Row.Dupd != Shown.Dupd || Row.Seeds != Shown.Seeds)
        return QStringLiteral("O Envelope de Semente foi alterado e não foi excluído:\r\nLote : ") + Row.Lote
            + QStringLiteral("\r\n") + QStringLiteral("Nr. Sementes: ") + Row.Seeds;
    return QString();
}

bool TFCruzaEti_Cad::Add_Cruza()
{
    std::unique_ptr<TADOCommand> cmd(NewCommand(DM->Conn));
    const bool inserted = InsertCruza(cmd.get(), LabelNumber(), reverso->currentIndex(), Get_ID_Usuario(id_emasculador),
                                      QStringLiteral("A"));
    if (inserted)
        Wrote();
    return inserted;
}

void TFCruzaEti_Cad::Add_Colheita_Del(qint64 Label, qint64 IdCruza)
{
    if (IdCruza == 0)
        return;
    std::unique_ptr<TADOCommand> cmd(NewCommand(DM->Conn));
    cmd->setCommandText(QStringLiteral("INSERT INTO Colheita_Del ( id_cruza, id_usua_del, nc_rep, dupd, cmaq )  values"
                                       "  (:id_cruza,:id_usua_del,:nc_rep,:dupd,:cmaq ) "));
    const int user = Get_ID_Usuario(usua);
    SetParam(cmd.get(), "id_cruza", ftInteger, IdCruza);
    // Nobody chosen is recorded as nobody, not as a user numbered -1.
    SetParam(cmd.get(), "id_usua_del", ftInteger, user < 0 ? QVariant() : QVariant(user));
    SetParam(cmd.get(), "nc_rep", ftLargeint, Label);
    SetParam(cmd.get(), "dupd", ftString, NowStr());
    SetParam(cmd.get(), "cmaq", ftString, Config()->ComputerName);
    cmd->Execute();
    Wrote();
}

bool TFCruzaEti_Cad::Save_Colheita(int AMode)
{
    const QString prefix = QStringLiteral("Erro ao ") + (AMode == 1 ? QStringLiteral("Incluir") : QStringLiteral("Excluir"))
        + QStringLiteral(" o Cadastro de Envelope de Semente.") + QStringLiteral("\r\n") + QStringLiteral("Msg. Erro : ");
    // The statements of one operation go together or not at all; a failure is
    // told, with the statement it came from, once everything is rolled back.
    QString failing = prefix;
    const auto told = [&](const QString&, const QString& Message) { return failing + Message; };
    const auto whole = [&](const std::function<bool(TADOTransaction&)>& Work) {
        return ReportedAs(told,
                          [&] {
                              TADOTransaction tx(DM->Conn);
                              return Work(tx);
                          },
                          AlertMessage);
    };
    if (AMode == 1) {
        const qint64 label = LabelNumber();
        QString refusal;
        // The final check and the inserts hold the write lock together: another instance cannot slip in.
        const bool ok = whole([&](TADOTransaction& tx) {
            refusal = Final_Check(label);
            if (!refusal.isEmpty())
                return false;
            if (NewCruza == 1) {
                failing = QStringLiteral("Erro ao incluir Cruza.\r\nMsg. Erro: ");
                // Without its sequence no crossing is written, and no envelope may go without it.
                if (!Add_Cruza())
                    return false;
                failing = prefix;
            }
            QAtu->setCommandText(QStringLiteral("INSERT INTO Colheita ( lote, nc_rep, qte_sem, obs, id_usua, dupd, cmaq )  values"
                                                "  (:lote,:nc_rep,:qte_sem,:obs,:id_usua,:dupd,:cmaq ) "));
            const QString now = NowStr();
            SetParam(QAtu, "lote", ftString, lote->text());
            SetParam(QAtu, "nc_rep", ftLargeint, label);
            SetParam(QAtu, "qte_sem", ftInteger, int(nsem->Value()));
            SetParam(QAtu, "obs", ftString, obs->text());
            SetParam(QAtu, "id_usua", ftInteger, Get_ID_Usuario(usua));
            SetParam(QAtu, "dupd", ftString, now);
            SetParam(QAtu, "cmaq", ftString, Config()->ComputerName);
            Wrote(QAtu->Execute());
            tx.Commit();
            FAddedLot = {lote->text(), now};
            return true;
        });
        if (!refusal.isEmpty()) {
            AlertMessage(refusal);
            FocusFailed(NC_REP_LIDO);
        }
        // A failure leaves the scanned entry for another try.
        return ok;
    }
    if (AMode == 4) {
        if (!QGrid->Active() || QGrid->Eof())
            return true;
        const qint64 label = QGrid->FieldByName(QStringLiteral("nc_rep"))->AsLargeInt();
        TEnvelope shown;
        shown.Lote = QGrid->FieldByName(QStringLiteral("lote"))->AsString();
        shown.Seeds = QGrid->FieldByName(QStringLiteral("qte_sem"))->AsString();
        shown.Dupd = QGrid->FieldByName(QStringLiteral("dupd"))->AsString();
        const QString question = QStringLiteral("Confirma a exclusão da seguinte informação? \r\n Lote: ") + shown.Lote
            + QStringLiteral("\r\n") + QStringLiteral(" Etiqueta: ") + QGrid->FieldByName(QStringLiteral("nc_print"))->AsString()
            + QStringLiteral("\r\n") + QStringLiteral(" Cruza: ") + QGrid->FieldByName(QStringLiteral("codigo_cruza"))->AsString()
            + QStringLiteral("\r\n") + QStringLiteral(" Quantidade de Semente: ")
            + QString::number(QGrid->FieldByName(QStringLiteral("qte_sem"))->AsInteger());
        if (XMessageBox(question, QStringLiteral(" Exclusão de Registro "), mtWarning, mbYesNo, mrNo) != mrYes)
            return true;
        // The envelope the question showed, read again under the write lock, is the one deleted, by
        // its lot and time; the log carries its identifier as read then.
        TEnvelope row;
        const auto remove = [&] {
            failing = QStringLiteral("Erro ao gerar Log Colheita [Add_Colheita_Del].\r\nMsg. Erro: ");
            Add_Colheita_Del(label, row.IdCruza);
            failing = prefix;
            QAtu->setCommandText(QStringLiteral("DELETE FROM Colheita WHERE (nc_rep = :nc_rep) AND (lote = :lote) AND (dupd = :dupd)"));
            SetParam(QAtu, "nc_rep", ftFloat, double(label));
            SetParam(QAtu, "lote", ftString, row.Lote);
            SetParam(QAtu, "dupd", ftString, row.Dupd);
            const int deleted = QAtu->Execute();
            if (deleted == 0)
                return 0;
            // The grid shows this label alone: without its envelope it is empty.
            Wrote(-QGrid->RecordCount());
            QAtu->setCommandText(QStringLiteral("DELETE FROM Cruza c  WHERE ((c.nc_rep = :nc_rep) AND (c.status = :status)"
                                                " AND (c.id_cruza is null))"));
            SetParam(QAtu, "nc_rep", ftFloat, double(label));
            SetParam(QAtu, "status", ftString, QStringLiteral("A"));
            QAtu->Execute();
            Wrote();
            return deleted;
        };
        const bool ok = ReportedAs(
            told,
            [&] {
                WriteAsChecked([&] { return Deletion_Check(label, shown, row); }, remove,
                               QStringLiteral("O Envelope de Semente já foi excluído."));
                return true;
            },
            AlertMessage);
        if (ok) {
            NC_REP_LIDO->setFocus();
            Clear_Fields();
        }
        return ok;
    }
    if (AMode == 5) {
        QGrid->Close();
        bool failed = false;
        const QString condition = Filtro_Colheita(failed);
        if (!Reported(QStringLiteral("Erro ao aplicar o filtro.\r\nErro: "),
                      [&] {
                          OpenGrid(SQL_Colheita_Grid(condition));
                          return true;
                      },
                      AlertMessage))
            OpenGrid(SQL_Colheita_Grid(QString()));
    }
    return true;
}

// ---- filter -----------------------------------------------------------------

QString TFCruzaEti_Cad::Filtro_Colheita(bool& Failed)
{
    QString condition;
    Failed = false;
    if (!lote->text().trimmed().isEmpty())
        condition = QStringLiteral("(c.lote = ") + SqlLiteral(lote->text()) + QStringLiteral(")");
    if (!NC_REP_LIDO->text().trimmed().isEmpty()) {
        NC_REP_LIDO->setText(NC_REP_LIDO->text().trimmed());
        const QString number = Filtro_NC(NC_REP_LIDO->text(), LabelCode() == 0 ? 8 : 13, Failed);
        if (Failed) {
            ShowError(QStringLiteral("Filtro para Etiqueta deve conter somente valores numéricos."));
        } else {
            if (!condition.isEmpty())
                condition += QStringLiteral(" AND ");
            condition += QStringLiteral(" (c.NC_rep = ") + number + QStringLiteral(") ");
        }
    }
    return condition;
}

QString TFCruzaEti_Cad::Filtro_NC(const QString& Text, int Length, bool& Failed)
{
    bool ok = false;
    Text.toLongLong(&ok);
    // A lone sign is no number either.
    Failed = !IsIntegerStr(Text) || !ok;
    if (Failed)
        return QString();
    const QString digits = Text.size() == Length ? Text.left(Length - 1) : Text;
    return QString::number(digits.toLongLong());
}

// ---- grids and entry upkeep -------------------------------------------------

QString TFCruzaEti_Cad::SQL_Colheita_Grid(const QString& Condition)
{
    QString sql = QStringLiteral("SELECT c.id_cruza,        c.dupd, c.LOTE, c.NC_REP, ec.nc_print, c.qte_sem, c.obs,"
                                 "        IIF(cr.reverso = '0', 'Não', 'Sim' ) AS reverso,        cr.status,"
                                 "        pc.codigo_cruza, pc.planejamento   FROM ((Colheita c"
                                 "                LEFT JOIN Etiqueta_Cruza ec                   ON (c.nc_rep = ec.nc_rep))"
                                 "                LEFT JOIN (")
        + FEtiqFlor->SQLCruzaNaoBaixada()
        + QStringLiteral(") cr                   ON (c.nc_rep = cr.nc_rep))                LEFT JOIN Planejamento_Cruza pc"
                         "                   ON (ec.nc = pc.nc) ");
    if (!Condition.isEmpty())
        sql += QStringLiteral(" WHERE (") + Condition + QStringLiteral(") ");
    return sql + QStringLiteral(" ORDER BY c.DUPD desc, c.lote");
}

QString TFCruzaEti_Cad::SQL_Lote_Grid()
{
    return QStringLiteral("SELECT lote, count(1) as qte_cad, MAX(dupd) as last_upd   FROM Colheita GROUP BY lote ")
        + QStringLiteral(" ORDER BY MAX(dupd) DESC ");
}

void TFCruzaEti_Cad::Refresh_Grid(int Added, int Writes)
{
    // The lots grouped again would read every envelope: after this window's
    // own envelope its lot counts one more, last dated now, and takes its place.
    const QStringList lot = std::exchange(FAddedLot, QStringList());
    const auto addToLot = [&](QList<QVariantList>& Rows) {
        auto row = std::find_if(Rows.begin(), Rows.end(), [&](const QVariantList& r) { return r.value(0).toString() == lot[0]; });
        if (row == Rows.end())
            Rows.append({lot[0], 1, lot[1]});
        else
            *row = {lot[0], row->value(1).toLongLong() + 1, qMax(row->value(2).toString(), lot[1])};
        std::stable_sort(Rows.begin(), Rows.end(),
                         [](const QVariantList& a, const QVariantList& b) { return a.value(2).toString() > b.value(2).toString(); });
    };
    if (Added <= 0 || lot.size() != 2 || !QGridLote->EditOwnRows(Writes, addToLot))
        RequeryOrOpen(QGridLote);
    TFScanCad::Refresh_Grid(Added, Writes);
}

void TFCruzaEti_Cad::Show_Count()
{
    TFScanCad::Show_Count();
    LRegLote->setText(CountText(QGridLote));
}

void TFCruzaEti_Cad::Reset_Entry()
{
    NC_REP_LIDO->setFocus();
    Clear_Fields();
    NewCruza = 0;
    Enable_Cruza(false);
}

void TFCruzaEti_Cad::Clear_Fields()
{
    for (QLineEdit* e : {NC_REP_LIDO, nc_rep, codigo_cruza, obs, codigo_pai, codigo_mae})
        e->clear();
    for (TXNumEdit* e : {nsem, id_pai, id_mae})
        e->SetValue(0);
    id_emasculador->setCurrentIndex(-1);
    reverso->setCurrentIndex(0);
}
