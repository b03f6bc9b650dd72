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
#include "XExceptions.h"
#include "XGraphics.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QScopeGuard>
#include <QValidator>

#include <climits>
#include <exception>
#include <memory>

namespace {

const QString GridSQL = QStringLiteral(
    "SELECT c.id_cruza,        c.dupd, c.nc_rep, c.status, c.seq,        IIF(c.reverso='0', 'Não' , 'Sim' ) as reverso,"
    "        ec.nc_print as nc, pc.codigo_cruza, e.nome AS nome_emasculador, pc.planejamento,"
    "        IIF(isnull(c.id_cruza),'Adic', 'Tal') AS tal_transmissao   FROM ((Cruza c"
    "            LEFT OUTER JOIN Etiqueta_Cruza ec               ON (c.nc_rep = ec.nc_rep))"
    "            LEFT OUTER JOIN Planejamento_Cruza pc              ON (ec.nc = pc.nc))"
    "            LEFT OUTER JOIN Emasculador e              ON (c.id_emasculador = e.id)");

const QString LabelSQL = QStringLiteral(
    "SELECT ec.nc, ec.rep, ec.nc_print,        pc.codigo_cruza, pc.id_vaso_mae, pc.id_vaso_pai,"
    "        c.dupd AS data_cruza, c.status   FROM (Etiqueta_Cruza ec             LEFT OUTER JOIN Planejamento_Cruza pc"
    "               ON (ec.nc = pc.nc))             LEFT OUTER JOIN (SELECT *   FROM Cruza WHERE (status <> 'X')) c"
    "               ON (ec.nc_rep = c.nc_rep) WHERE ( ec.nc_rep = :nc_rep ) ");

const QString PotSQL = QStringLiteral("SELECT id, codigo   FROM Parental WHERE (id = :id)");

const QString InsertSQL = QStringLiteral(
    "INSERT INTO Cruza ( nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq )  values"
    "  (:nc_rep,:seq,:reverso,:id_emasculador,:status,:dupd,:cmaq ) ");

const QString DeleteSQL = QStringLiteral("DELETE FROM Cruza WHERE (nc_rep = :nc_rep)    AND (seq = :seq)");

// The scanned codes are typed in upper case, as the scanner's letters may come in either.
class TUpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& Input, int&) const override
    {
        Input = Input.toUpper();
        return Acceptable;
    }
};



QLineEdit* NewEdit(QWidget* Parent, const char* Name, const QRect& Geometry)
{
    auto* e = new QLineEdit(Parent);
    e->setObjectName(QLatin1String(Name));
    e->setGeometry(Geometry);
    return e;
}

TXNumEdit* NewNumEdit(QWidget* Parent, const char* Name, const QRect& Geometry)
{
    auto* e = new TXNumEdit(Parent);
    e->setObjectName(QLatin1String(Name));
    e->SetEntryRequired(integervalue);
    e->SetDisplayFormat(QStringLiteral("0;-0"));
    e->setGeometry(Geometry);
    e->setEnabled(false);
    return e;
}

QLabel* NewLabel(QWidget* Parent, const char* Name, const QString& Caption, int X, int Y)
{
    auto* l = new QLabel(Caption, Parent);
    l->setObjectName(QLatin1String(Name));
    l->move(X, Y);
    l->adjustSize();
    return l;
}

void AddColumn(TDBGrid* Grid, const char* Field, const QString& Title, int Width, TAlignment Alignment,
               TAlignment TitleAlignment)
{
    TColumn* c = Grid->Columns()->Add();
    c->SetFieldName(QLatin1String(Field));
    c->Title()->SetCaption(Title);
    c->Title()->SetAlignment(TitleAlignment);
    c->SetWidth(Width);
    c->SetAlignment(Alignment);
}

} // namespace

TFCruzaEti_Flor_Cad::TFCruzaEti_Flor_Cad(QWidget* Owner) : TFBCad(Owner)
{
    setObjectName(QStringLiteral("FCruzaEti_Flor_Cad"));
    setWindowTitle(QStringLiteral("Cadastro de Hibridação"));
    resize(924, 600);

    PEdicao = new QFrame(this);
    PEdicao->setObjectName(QStringLiteral("PEdicao"));
    PEdicao->setFrameShape(QFrame::StyledPanel);
    PEdicao->setGeometry(3, 3, 918, 569);

    RGOper = new QGroupBox(QStringLiteral(" Operação "), PEdicao);
    RGOper->setObjectName(QStringLiteral("RGOper"));
    RGOper->setGeometry(8, 4, 200, 44);
    RGOperItems = new QButtonGroup(RGOper);
    auto* operLayout = new QGridLayout(RGOper);
    operLayout->setContentsMargins(8, 2, 8, 4);
    const QString operItems[] = {QStringLiteral("Inclusão"), QStringLiteral("Exclusão")};
    for (int i = 0; i < 2; ++i) {
        auto* item = new QRadioButton(operItems[i], RGOper);
        item->setObjectName(QStringLiteral("RGOper_%1").arg(i));
        RGOperItems->addButton(item, i);
        operLayout->addWidget(item, 0, i);
    }
    SetRGOperItemIndex(0);

    BSetOper = new QPushButton(QStringLiteral("Operação"), PEdicao);
    BSetOper->setObjectName(QStringLiteral("BSetOper"));
    BSetOper->setGeometry(216, 16, 80, 25);
    BSetOper->setFocusPolicy(Qt::NoFocus);
    BSetOper->setAutoDefault(false);

    GBCad = new QGroupBox(PEdicao);
    GBCad->setObjectName(QStringLiteral("GBCad"));
    GBCad->setGeometry(0, 52, 918, 515);

    GBCruza = new QGroupBox(QStringLiteral(" Cruzamento "), GBCad);
    GBCruza->setObjectName(QStringLiteral("GBCruza"));
    GBCruza->setGeometry(8, 10, 500, 118);

    NewLabel(GBCruza, "LEmasculador", QStringLiteral("Executor"), 10, 27);
    id_emasculador = new TXComboBox(GBCruza);
    id_emasculador->setObjectName(QStringLiteral("id_emasculador"));
    id_emasculador->setGeometry(76, 22, 250, 24);
    NewLabel(GBCruza, "LReverso", QStringLiteral("Reverso"), 340, 27);
    reverso = new TXComboBox(GBCruza);
    reverso->setObjectName(QStringLiteral("reverso"));
    reverso->setGeometry(396, 22, 94, 24);
    reverso->Items().Add(QStringLiteral("1 - Não"));
    reverso->Items().Add(QStringLiteral("2 - Sim"));
    reverso->setCurrentIndex(0);

    NewLabel(GBCruza, "LMae", QStringLiteral("Vaso Mãe"), 10, 57);
    id_mae_lido = NewEdit(GBCruza, "id_mae_lido", QRect(76, 52, 130, 24));
    id_mae = NewNumEdit(GBCruza, "id_mae", QRect(212, 52, 90, 24));
    codigo_mae = NewEdit(GBCruza, "codigo_mae", QRect(308, 52, 182, 24));
    NewLabel(GBCruza, "LPai", QStringLiteral("Vaso Pai"), 10, 87);
    id_pai_lido = NewEdit(GBCruza, "id_pai_lido", QRect(76, 82, 130, 24));
    id_pai = NewNumEdit(GBCruza, "id_pai", QRect(212, 82, 90, 24));
    codigo_pai = NewEdit(GBCruza, "codigo_pai", QRect(308, 82, 182, 24));

    GBFlor = new QGroupBox(QStringLiteral(" Hibridação "), GBCad);
    GBFlor->setObjectName(QStringLiteral("GBFlor"));
    GBFlor->setGeometry(514, 10, 400, 118);

    // Sized for the longer of its two captions.
    LNC_Lido = NewLabel(GBFlor, "LNC_Lido", QStringLiteral("Etiqueta a Excluir"), 10, 27);
    LNC_Lido->setText(QStringLiteral("Etiqueta Lido"));
    NC_REP_LIDO = NewEdit(GBFlor, "NC_REP_LIDO", QRect(112, 22, 124, 24));
    Check_Etiq = new TXCheckBox(GBFlor);
    Check_Etiq->setObjectName(QStringLiteral("Check_Etiq"));
    Check_Etiq->setText(QStringLiteral("Ler somente Etiqueta"));
    Check_Etiq->setGeometry(242, 22, 154, 24);
    Check_Etiq->setFocusPolicy(Qt::ClickFocus);
    Check_Etiq->setChecked(false);
    NewLabel(GBFlor, "LRep", QStringLiteral("Rep."), 10, 57);
    rep = NewNumEdit(GBFlor, "rep", QRect(112, 52, 50, 24));
    NewLabel(GBFlor, "LNc_Rep", QStringLiteral("NC"), 172, 57);
    nc_rep = NewEdit(GBFlor, "nc_rep", QRect(196, 52, 190, 24));
    nc_rep->setEnabled(false);
    NewLabel(GBFlor, "LCodigo_Cruza", QStringLiteral("Código Cruza"), 10, 87);
    codigo_cruza = NewEdit(GBFlor, "codigo_cruza", QRect(112, 82, 274, 24));
    codigo_cruza->setEnabled(false);

    for (QLineEdit* e : {id_mae_lido, id_pai_lido, NC_REP_LIDO}) {
        e->setMaxLength(13);
        e->setValidator(new TUpperCaseValidator(e));
    }
    for (QLineEdit* e : {codigo_mae, codigo_pai}) {
        e->setMaxLength(30);
        e->setEnabled(false);
    }

    GCad = new TDBGrid(GBCad);
    GCad->setObjectName(QStringLiteral("GCad"));
    GCad->setGeometry(8, 136, 904, 354);
    GCad->SetOptions(dgTitles | dgIndicator | dgColumnResize | dgRowSelect);
    GCad->setFocusPolicy(Qt::ClickFocus);
    AddColumn(GCad, "dupd", QStringLiteral("Inclusão"), 110, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "nc_rep", QStringLiteral("NC_Rep"), 80, taRightJustify, taCenter);
    AddColumn(GCad, "nc", QStringLiteral("NC"), 83, taRightJustify, taCenter);
    AddColumn(GCad, "reverso", QStringLiteral("Reverso"), 45, taLeftJustify, taCenter);
    AddColumn(GCad, "codigo_cruza", QStringLiteral("Código Cruza"), 160, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "nome_emasculador", QStringLiteral("Executor Hibridação"), 120, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "planejamento", QStringLiteral("Planejamento"), 150, taLeftJustify, taLeftJustify);
    AddColumn(GCad, "tal_transmissao", QStringLiteral("Status"), 38, taLeftJustify, taLeftJustify);

    LReg = NewLabel(GBCad, "LReg", QStringLiteral("Registros: 0"), 8, 494);
    LReg->setMinimumWidth(200);

    QGrid = new TADOQuery(this);
    QGrid->setObjectName(QStringLiteral("QGrid"));
    QAtu = new TADOCommand(this);
    QAtu->setObjectName(QStringLiteral("QAtu"));
    if (DM) {
        QGrid->setConnection(DM->Conn);
        QAtu->setConnection(DM->Conn);
    }
    GCad->SetDataSet(QGrid);

    // The order in which Enter moves on.
    setTabOrder(id_emasculador, reverso);
    setTabOrder(reverso, id_mae_lido);
    setTabOrder(id_mae_lido, id_pai_lido);
    setTabOrder(id_pai_lido, NC_REP_LIDO);
    setTabOrder(NC_REP_LIDO, RGOperItems->button(0));
    setTabOrder(RGOperItems->button(0), RGOperItems->button(1));

    for (QWidget* e : Editors())
        e->installEventFilter(this);

    connect(BSetOper, &QPushButton::clicked, this, &TFCruzaEti_Flor_Cad::BSetOperClick);
    connect(BConfirm, &QPushButton::clicked, this, &TFCruzaEti_Flor_Cad::BConfirmClick);
    // Toggled, not clicked: unchecking it in code runs the handler as a user's click does.
    connect(Check_Etiq, &QCheckBox::toggled, this, &TFCruzaEti_Flor_Cad::Check_EtiqClick);
    connect(QGrid, &TCustomADODataSet::AfterOpen, this, &TFCruzaEti_Flor_Cad::QGridAfterOpen);
    // A closed grid shows no rows, so its count must not stay behind.
    connect(QGrid, &TCustomADODataSet::AfterClose, this, &TFCruzaEti_Flor_Cad::Show_Count);
    GCad->OnDrawColumnCell = [this](TDBGrid* Sender, const QRect& Rect, int DataCol, TColumn* Column,
                                    TGridDrawState State, int RecNo) {
        GCadDrawColumnCell(Sender, Rect, DataCol, Column, State, RecNo);
    };

    FEtiqFlor = new TEtiqFlor;
    FEtiqFlor->Conn = DM ? DM->Conn : nullptr;

    FormCreate();
}

TFCruzaEti_Flor_Cad::~TFCruzaEti_Flor_Cad()
{
    FEtiqFlor->Conn = nullptr;
    delete FEtiqFlor;
    FEtiqFlor = nullptr;
    GCad->SetDataSet(nullptr);
    QGrid->Close();
}

TAppConfig* TFCruzaEti_Flor_Cad::Config()
{
    return FMain ? FMain->AppConfig : nullptr;
}

void TFCruzaEti_Flor_Cad::FormCreate()
{
    for (const char* Name : {"ID_EMASCULADOR", "ID_MAE_LIDO", "ID_PAI_LIDO", "NC_REP_LIDO"})
        EditorNames->Add(QLatin1String(Name));
    Mode = 1;
}

int TFCruzaEti_Flor_Cad::RGOperItemIndex() const
{
    return RGOperItems->checkedId();
}

void TFCruzaEti_Flor_Cad::SetRGOperItemIndex(int Index)
{
    if (QAbstractButton* b = RGOperItems->button(Index))
        b->setChecked(true);
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
    if (!PEdicao)
        return;
    PEdicao->resize(qMax(0, width() - PEdicao->x() - 3), qMax(0, height() - PEdicao->y() - 28));
    GBCad->resize(qMax(0, PEdicao->width() - GBCad->x()), qMax(0, PEdicao->height() - GBCad->y() - 2));
    GCad->resize(qMax(0, GBCad->width() - GCad->x() - 6), qMax(0, GBCad->height() - GCad->y() - 25));
    LReg->move(GCad->x(), GCad->y() + GCad->height() + 4);
}

void TFCruzaEti_Flor_Cad::BSetOperClick()
{
    const bool opening = !RGOper->isEnabled();
    QFont font = BSetOper->font();
    font.setBold(opening);
    BSetOper->setFont(font);
    SetFontColor(BSetOper, opening ? clRed : clWindowText);

    RGOper->setEnabled(opening);
    GBCruza->setEnabled(!opening);
    BConfirm->setEnabled(!opening);
    Check_Etiq->setChecked(false);

    if (!opening) {
        if (RGOperItemIndex() == 1) {
            Mode = 4;
            Set_Oper_Label(true);
            NC_REP_LIDO->setFocus();
        } else {
            Mode = 1;
            QGrid->Close();
            QGrid->SQL.setText(SQL_Flor_Grid(QString()));
            QGrid->Open();
            id_emasculador->setFocus();
        }
        if (Mode == 1)
            Set_Oper_Label(false);
    }
    Clear_Fields();
}

// The editors that share the exit and key handlers.
QList<QWidget*> TFCruzaEti_Flor_Cad::Editors() const
{
    return {id_emasculador, reverso, id_mae_lido, id_mae, codigo_mae, id_pai_lido, id_pai, codigo_pai,
            NC_REP_LIDO, rep, nc_rep, codigo_cruza};
}

QWidget* TFCruzaEti_Flor_Cad::EditorOf(QObject* Object) const
{
    for (QWidget* e : Editors())
        if (e == Object)
            return e;
    return nullptr;
}

// A field is left when the focus moves to another control of this window; a
// box or another window taking the focus, or a popup opening, is no exit.
bool TFCruzaEti_Flor_Cad::IsFieldExit(const QFocusEvent* Event) const
{
    const Qt::FocusReason reason = Event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    const QWidget* next = QApplication::focusWidget();
    return next && (next == this || isAncestorOf(next));
}

bool TFCruzaEti_Flor_Cad::eventFilter(QObject* Watched, QEvent* Event)
{
    if (QWidget* editor = EditorOf(Watched)) {
        if (Event->type() == QEvent::KeyPress) {
            int key = static_cast<QKeyEvent*>(Event)->key();
            EditKeyDown(editor, key);
            // The key goes on to the editor unchanged.
            return false;
        }
        if (Event->type() == QEvent::FocusOut && IsFieldExit(static_cast<QFocusEvent*>(Event)))
            EditExit(editor);
    }
    return TFBCad::eventFilter(Watched, Event);
}

void TFCruzaEti_Flor_Cad::EditKeyDown(QWidget* Sender, int& Key)
{
    if (Key != Qt::Key_Return && Key != Qt::Key_Enter)
        return;
    if (Sender == NC_REP_LIDO && Mode == 1) {
        // Between the two presses of "Operação" nothing is confirmed.
        if (BConfirm->isEnabled())
            BConfirm->click();
        return;
    }
    SelectNextControl(Sender);
}

// The next control in tab order that is enabled, visible and a tab stop.
void TFCruzaEti_Flor_Cad::SelectNextControl(QWidget* Current)
{
    QWidget* next = nullptr;
    for (QWidget* w = Current->nextInFocusChain(); w && w != Current; w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus)) {
            next = w;
            break;
        }
    }
    if (next)
        next->setFocus(Qt::TabFocusReason);
}

void TFCruzaEti_Flor_Cad::EditExit(QWidget* Sender)
{
    if (Validating || FExiting)
        return;
    FExiting = true;
    auto done = qScopeGuard([this] { FExiting = false; });
    ValidateField(Sender);
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

void TFCruzaEti_Flor_Cad::Set_Oper_Label(bool Excluding)
{
    if (Excluding) {
        LNC_Lido->setText(QStringLiteral("Etiqueta a Excluir"));
        SetFontColor(LNC_Lido, clRed);
        QGrid->Close();
    } else {
        LNC_Lido->setText(QStringLiteral("Etiqueta Lido"));
        SetFontColor(LNC_Lido, clWindowText);
    }
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
            const QString code = NC_REP_LIDO->text();
            const int type = Config() ? Config()->NC_CODE : -1;
            QString msg;
            if (code.isEmpty()) {
                AlertMessage(QStringLiteral("Etiqueta de Hibridação deve ser informado."));
                result = false;
            } else if (!Check_Etiqueta(type, code, msg)) {
                AlertMessage(msg);
                result = false;
            } else {
                result = Valid_NC(Get_NC_Rep(type, code));
            }
        }
        if (!result && Validating) {
            if (auto* edit = qobject_cast<QLineEdit*>(Sender))
                edit->selectAll();
            Sender->setFocus();
        }
    } else if (Mode == 4 && Sender == NC_REP_LIDO) {
        result = Check_Etiqueta_Exclusao();
        if (result) {
            if (QGrid->Active())
                QGrid->Close();
            // The code has passed its check digit: only the number it carries reaches the SQL.
            const qint64 number = Get_NC_Rep(Config()->NC_CODE, NC_REP_LIDO->text());
            QGrid->SQL.setText(SQL_Flor_Grid(QStringLiteral(" (c.nc_rep=") + QString::number(number)
                                             + QStringLiteral(" ) ") + QStringLiteral(" AND (c.status <> 'X')")));
            QGrid->Open();
        } else {
            QGrid->Close();
            NC_REP_LIDO->setFocus();
        }
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

bool TFCruzaEti_Flor_Cad::Check_Etiqueta(int BarcodeType, const QString& Code, QString& Msg)
{
    switch (BarcodeType) {
    case 0:
        return CheckEAN8(Code, Msg);
    case 1:
        return CheckEAN13(Code, Msg);
    default:
        Msg = QStringLiteral("Index Inválido (") + QString::number(BarcodeType) + QStringLiteral(").");
        return false;
    }
}

qint64 TFCruzaEti_Flor_Cad::Get_NC_Rep(int BarcodeType, const QString& Code)
{
    const QString code = TrimControls(Code);
    int count = 0;
    if (BarcodeType == 0)
        count = 7;
    else if (BarcodeType == 1)
        count = code.size() == 12 ? 11 : 12;
    if (count == 0)
        return 0;
    return code.left(count).toLongLong();
}

bool TFCruzaEti_Flor_Cad::Valid_Parental(qint64 PotNumber, const QString& Which)
{
    const QString unknown = QStringLiteral("ID Vaso ") + Which + QStringLiteral(" não cadastrado.");
    if (PotNumber < INT_MIN || PotNumber > INT_MAX) {
        ShowError(unknown);
        return false;
    }
    std::unique_ptr<TADOQuery> q(NewQuery(DM->Conn));
    bool result = false;
    try {
        q->SQL.setText(PotSQL);
        TParameter* id = q->Parameters.ParamByName(QStringLiteral("id"));
        id->DataType = ftInteger;
        id->Value = int(PotNumber);
        q->Open();
        if (q->IsEmpty()) {
            ShowError(unknown);
        } else {
            const QString codigo = q->FieldByName(QStringLiteral("codigo"))->AsString();
            if (Which.toUpper() == QLatin1String("PAI")) {
                id_pai->SetValue(PotNumber);
                codigo_pai->setText(codigo);
            } else {
                id_mae->SetValue(PotNumber);
                codigo_mae->setText(codigo);
            }
            result = true;
        }
    } catch (...) {
        ShowError(QStringLiteral("Erro ao consultar os dados dos Parentais.\r\nMsg.: ") + ExceptionMessage(std::current_exception()));
        result = false;
    }
    q->Close();
    return result;
}

bool TFCruzaEti_Flor_Cad::Valid_NC(qint64 LabelNumber)
{
    std::unique_ptr<TADOQuery> q(NewQuery(DM->Conn));
    bool result = false;
    try {
        q->SQL.setText(LabelSQL);
        TParameter* p = q->Parameters.ParamByName(QStringLiteral("nc_rep"));
        p->DataType = ftFloat;
        p->Value = double(LabelNumber);
        q->Open();
        q->First();
        auto asInt = [&](const char* Name) {
            const TField* f = q->FieldByName(QLatin1String(Name));
            return f->IsNull() ? 0 : f->AsInteger();
        };
        if (q->Eof()) {
            AlertMessage(QStringLiteral("Etiqueta de Hibridação não cadastrado."));
        } else if (const QString data = q->FieldByName(QStringLiteral("data_cruza"))->AsString(); !data.isEmpty()) {
            AlertMessage(QStringLiteral("A Etiqueta já foi utilizado em : ") + data);
        } else {
            result = Check_Planejamento(asInt("id_vaso_mae"), asInt("id_vaso_pai"));
            if (result) {
                rep->SetValue(asInt("rep"));
                nc_rep->setText(q->FieldByName(QStringLiteral("nc_print"))->AsString());
                codigo_cruza->setText(q->FieldByName(QStringLiteral("codigo_cruza"))->AsString());
            }
        }
        if (!result) {
            rep->SetValue(0);
            nc_rep->clear();
            codigo_cruza->clear();
        }
    } catch (...) {
        const QString msg = ExceptionMessage(std::current_exception());
        q->Close();
        ShowError(QStringLiteral("Erro ao Consultar Dados (Valid_NC): ") + msg);
        return false;
    }
    q->Close();
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
    const QString code = NC_REP_LIDO->text();
    QString msg;
    bool result = false;
    if (code.trimmed().isEmpty()) {
        msg = QStringLiteral("Deve-se informar a Etiqueta de Cruzamento a ser excluído.");
    } else {
        const int type = Config() ? Config()->NC_CODE : -1;
        if (type == 0)
            result = CheckEAN8(code, msg);
        else if (type == 1)
            result = CheckEAN13(code, msg);
    }
    if (!result)
        ShowError(msg);
    return result;
}

// ---- confirmation and saving ------------------------------------------------

void TFCruzaEti_Flor_Cad::BConfirmClick()
{
    if (Mode == 1) {
        bool ok = true;
        {
            Validating = true;
            auto done = qScopeGuard([this] { Validating = false; });
            for (int i = 0; ok && i < EditorNames->Count(); ++i) {
                QObject* editor = FindEditor(EditorNames->Strings(i));
                if (qobject_cast<QLineEdit*>(editor) || qobject_cast<TXComboBox*>(editor))
                    ok = ValidateField(static_cast<QWidget*>(editor));
            }
        }
        if (!ok)
            return;
    } else if (Mode == 4) {
        if (!ValidateField(NC_REP_LIDO))
            return;
        if (!QGrid->Active() || QGrid->IsEmpty()) {
            ShowError(QStringLiteral("Etiqueta a ser excluído não foi encontrado."));
            return;
        }
        if (IfNull(QGrid->FieldByName(QStringLiteral("id_cruza"))->Value(), 0).toLongLong() != 0) {
            ShowError(QStringLiteral("Cadastro transmitido para o Talvora não pode ser excluído."));
            return;
        }
    }
    if (Save_Flor(Mode)) {
        Refresh_Grid(Mode == 1 ? 1 : 0);
        if (Mode == 1)
            Reset_Entry();
    }
}

bool TFCruzaEti_Flor_Cad::Save_Flor(int AMode)
{
    try {
        if (AMode == 1) {
            QAtu->setCommandText(InsertSQL);
            const TAppConfig* cfg = Config();
            // The number the label check read, by the same rule.
            const qint64 label = Get_NC_Rep(cfg->NC_CODE, NC_REP_LIDO->text());
            // The final check and the insert hold the write lock together: another instance cannot slip in.
            TADOTransaction tx(DM->Conn);
            if (QString used; FEtiqFlor->LiveCrossing(label, used)) {
                tx.Rollback();
                AlertMessage(QStringLiteral("A Etiqueta já foi utilizado em : ") + used);
                return false;
            }
            const int seq = FEtiqFlor->NextSeq(label);
            if (seq <= 0)
                return true;
            auto set = [this](const char* Name, TFieldType Type, const QVariant& Value) {
                TParameter* p = QAtu->Parameters.ParamByName(QLatin1String(Name));
                p->DataType = Type;
                p->Value = Value;
            };
            set("nc_rep", ftLargeint, label);
            set("seq", ftInteger, seq);
            set("reverso", ftString, QString::number(reverso->currentIndex()));
            set("id_emasculador", ftInteger, Get_ID_Usuario(id_emasculador));
            set("status", ftString, QStringLiteral("M"));
            set("dupd", ftString, NowStr());
            set("cmaq", ftString, cfg->ComputerName);
            QAtu->Execute();
            tx.Commit();
        } else if (AMode == 4) {
            const QString nc = QGrid->FieldByName(QStringLiteral("nc"))->AsString();
            const QString cruza = QGrid->FieldByName(QStringLiteral("codigo_cruza"))->AsString();
            const QString rev = QGrid->FieldByName(QStringLiteral("reverso"))->AsString();
            const int answer = XMessageBox(QStringLiteral("Confirma a exclusão da seguinte informação? \r\n Etiqueta: ") + nc
                                               + QStringLiteral("\r\n") + QStringLiteral("    Cruza: ") + cruza
                                               + QStringLiteral("\r\n") + QStringLiteral("  Reverso: ") + rev
                                               + QStringLiteral("."),
                                           QStringLiteral(" Exclusão de Registro "), mtWarning, mbYesNo, mrNo);
            if (answer != mrYes)
                return true;
            QAtu->setCommandText(DeleteSQL);
            TParameter* p = QAtu->Parameters.ParamByName(QStringLiteral("nc_rep"));
            p->DataType = ftFloat;
            p->Value = QGrid->FieldByName(QStringLiteral("nc_rep"))->AsFloat();
            p = QAtu->Parameters.ParamByName(QStringLiteral("seq"));
            p->DataType = ftInteger;
            p->Value = QGrid->FieldByName(QStringLiteral("seq"))->AsInteger();
            QAtu->Execute();
            NC_REP_LIDO->setFocus();
            Clear_Fields();
        }
    } catch (...) {
        ShowError(QStringLiteral("Erro ao ") + (AMode == 1 ? QStringLiteral("Incluir") : QStringLiteral("Excluir"))
                  + QStringLiteral(" a Etiqueta de Hibridação.") + QStringLiteral("\r\n") + QStringLiteral("Msg. Erro : ")
                  + ExceptionMessage(std::current_exception()));
        return false;
    }
    return true;
}

// ---- grid and entry upkeep --------------------------------------------------

QString TFCruzaEti_Flor_Cad::SQL_Flor_Grid(const QString& Condition)
{
    QString sql = GridSQL;
    if (!Condition.isEmpty())
        sql += QStringLiteral(" WHERE (") + Condition + QStringLiteral(") ");
    return sql + QStringLiteral(" ORDER BY c.DUPD desc");
}

void TFCruzaEti_Flor_Cad::Refresh_Grid(int Added)
{
    if (QGrid->Active())
        Added > 0 ? QGrid->RequeryAdded(Added) : QGrid->Requery();
    else
        QGrid->Open();
    Show_Count();
}

void TFCruzaEti_Flor_Cad::Show_Count()
{
    LReg->setText(QStringLiteral("Registros: ") + (QGrid->Active() ? QString::number(QGrid->RecordCount()) : QString()));
}

void TFCruzaEti_Flor_Cad::QGridAfterOpen()
{
    Show_Count();
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
