#include "UFScanCad.h"

#include "UAppConfig.h"
#include "UDM.h"
#include "UEtiqFlor.h"
#include "UFMain.h"
#include "UXForms.h"
#include "UXLib.h"
#include "UXComboBox.h"
#include "UXNumEdit.h"
#include "XAdo.h"
#include "XDBGrid.h"
#include "XExceptions.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QValidator>

namespace {

const QString InsertCruzaSQL = QStringLiteral(
    "INSERT INTO Cruza ( nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq )  values"
    "  (:nc_rep,:seq,:reverso,:id_emasculador,:status,:dupd,:cmaq ) ");

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

} // namespace

bool Check_Etiqueta(int BarcodeType, const QString& Code, QString& Msg)
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

qint64 Get_NC_Rep(int BarcodeType, const QString& Code)
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

TFScanCad::TFScanCad(QWidget* Owner) : TFBCad(Owner)
{
    QGrid = new TADOQuery(this);
    QGrid->setObjectName(QStringLiteral("QGrid"));
    QAtu = new TADOCommand(this);
    QAtu->setObjectName(QStringLiteral("QAtu"));
    if (DM) {
        QGrid->setConnection(DM->Conn);
        QAtu->setConnection(DM->Conn);
    }
    connect(QGrid, &TCustomADODataSet::AfterOpen, this, &TFScanCad::QGridAfterOpen);
    connect(QGrid, &TCustomADODataSet::AfterCount, this, &TFScanCad::Show_Count);
    // A closed grid shows no rows, so its count must not stay behind.
    connect(QGrid, &TCustomADODataSet::AfterClose, this, [this] { Show_Count(); });

    FEtiqFlor = new TEtiqFlor;
    FEtiqFlor->Conn = DM ? DM->Conn : nullptr;
}

TFScanCad::~TFScanCad()
{
    FEtiqFlor->Conn = nullptr;
    delete FEtiqFlor;
    FEtiqFlor = nullptr;
    QGrid->disconnect(this);
    if (GCad)
        GCad->SetDataSet(nullptr);
    QGrid->Close();
}

TAppConfig* TFScanCad::Config()
{
    return FMain ? FMain->AppConfig : nullptr;
}

int TFScanCad::LabelCode()
{
    return Config() ? Config()->NC_CODE : -1;
}

bool TFScanCad::ConfigLoaded()
{
    const TAppConfig* cfg = Config();
    if (cfg && cfg->Loaded)
        return true;
    ShowError(QStringLiteral("Banco de dados não Conectado."));
    // Closed from the event loop: a window cannot be hidden while it is being shown.
    QMetaObject::invokeMethod(this, &TFScanCad::BCloseClick, Qt::QueuedConnection);
    return false;
}

// ---- building ---------------------------------------------------------------

void TFScanCad::BuildOperation(const QRect& Panel, const QRect& Group, const QStringList& Items, int ButtonX)
{
    PEdicao = new QFrame(this);
    PEdicao->setObjectName(QStringLiteral("PEdicao"));
    PEdicao->setFrameShape(QFrame::StyledPanel);
    PEdicao->setGeometry(Panel);

    RGOper = new QGroupBox(QStringLiteral(" Operação "), PEdicao);
    RGOper->setObjectName(QStringLiteral("RGOper"));
    RGOper->setGeometry(Group);
    RGOperItems = new QButtonGroup(RGOper);
    auto* layout = new QGridLayout(RGOper);
    layout->setContentsMargins(8, 2, 8, 4);
    for (int i = 0; i < Items.size(); ++i) {
        auto* item = new QRadioButton(Items[i], RGOper);
        item->setObjectName(QStringLiteral("RGOper_%1").arg(i));
        RGOperItems->addButton(item, i);
        layout->addWidget(item, 0, i);
    }
    SetRGOperItemIndex(0);

    BSetOper = new QPushButton(QStringLiteral("Operação"), PEdicao);
    BSetOper->setObjectName(QStringLiteral("BSetOper"));
    BSetOper->setGeometry(ButtonX, Group.y() + 12, 80, 25);
    BSetOper->setFocusPolicy(Qt::NoFocus);
    BSetOper->setAutoDefault(false);
    connect(BSetOper, &QPushButton::clicked, this, &TFScanCad::BSetOperClick);
}

void TFScanCad::BuildGrid(QWidget* Parent, const QRect& Geometry)
{
    GCad = new TDBGrid(Parent);
    GCad->setObjectName(QStringLiteral("GCad"));
    GCad->setGeometry(Geometry);
    GCad->SetOptions(dgTitles | dgIndicator | dgColumnResize | dgRowSelect);
    GCad->setFocusPolicy(Qt::ClickFocus);
    GCad->SetDataSet(QGrid);
    LReg = NewLabel(Parent, "LReg", QStringLiteral("Registros: 0"), Geometry.x(), Geometry.bottom() + 5);
    LReg->setMinimumWidth(200);
}

void TFScanCad::SetEditorNames(std::initializer_list<const char*> Names)
{
    for (const char* Name : Names)
        EditorNames->Add(QLatin1String(Name));
    Mode = 1;
}

void TFScanCad::AddEditors(const QList<QWidget*>& List)
{
    for (QWidget* e : List) {
        FEditors.append(e);
        e->installEventFilter(this);
    }
}

QLineEdit* TFScanCad::NewEdit(QWidget* Parent, const char* Name, const QRect& Geometry, int MaxLength, bool Upper)
{
    auto* e = new QLineEdit(Parent);
    e->setObjectName(QLatin1String(Name));
    e->setGeometry(Geometry);
    if (MaxLength > 0)
        e->setMaxLength(MaxLength);
    if (Upper)
        e->setValidator(new TUpperCaseValidator(e));
    return e;
}

TXNumEdit* TFScanCad::NewNumEdit(QWidget* Parent, const char* Name, const QRect& Geometry, bool Enabled)
{
    auto* e = new TXNumEdit(Parent);
    e->setObjectName(QLatin1String(Name));
    e->SetEntryRequired(integervalue);
    e->SetDisplayFormat(QStringLiteral("0;-0"));
    e->setGeometry(Geometry);
    e->setEnabled(Enabled);
    return e;
}

QLabel* TFScanCad::NewLabel(QWidget* Parent, const char* Name, const QString& Caption, int X, int Y)
{
    auto* l = new QLabel(Caption, Parent);
    l->setObjectName(QLatin1String(Name));
    l->move(X, Y);
    l->adjustSize();
    return l;
}

QGroupBox* TFScanCad::NewGroup(QWidget* Parent, const char* Name, const QString& Title, const QRect& Geometry)
{
    auto* g = new QGroupBox(Title, Parent);
    g->setObjectName(QLatin1String(Name));
    g->setGeometry(Geometry);
    return g;
}

TXComboBox* TFScanCad::NewCombo(QWidget* Parent, const char* Name, const QRect& Geometry)
{
    auto* c = new TXComboBox(Parent);
    c->setObjectName(QLatin1String(Name));
    c->setGeometry(Geometry);
    return c;
}

TXComboBox* TFScanCad::NewReverso(QWidget* Parent, const QRect& Geometry)
{
    TXComboBox* c = NewCombo(Parent, "reverso", Geometry);
    c->Items().Add(QStringLiteral("1 - Não"));
    c->Items().Add(QStringLiteral("2 - Sim"));
    c->setCurrentIndex(0);
    return c;
}

void TFScanCad::BuildLabelField(QWidget* Parent, int LabelY, const QRect& Edit)
{
    LNC_Lido = NewLabel(Parent, "LNC_Lido", QStringLiteral("Etiqueta a Excluir"), 10, LabelY);
    // The longer caption ends before the field, in whatever font is in use.
    LNC_Lido->move(qBound(2, Edit.x() - 4 - LNC_Lido->width(), 10), LabelY);
    LNC_Lido->setText(QStringLiteral("Etiqueta Lido"));
    NC_REP_LIDO = NewEdit(Parent, "NC_REP_LIDO", Edit, 13, true);
}

void TFScanCad::BuildLabelDisplay(QWidget* Parent, const QString& NcCaption, const QPoint& NcAt, const QRect& Nc,
                                  const QString& CruzaCaption, const QPoint& CruzaAt, const QRect& Cruza)
{
    NewLabel(Parent, "LNc_Rep", NcCaption, NcAt.x(), NcAt.y());
    nc_rep = NewEdit(Parent, "nc_rep", Nc);
    NewLabel(Parent, "LCodigo_Cruza", CruzaCaption, CruzaAt.x(), CruzaAt.y());
    codigo_cruza = NewEdit(Parent, "codigo_cruza", Cruza);
    nc_rep->setEnabled(false);
    codigo_cruza->setEnabled(false);
}

void TFScanCad::AddColumn(TDBGrid* Grid, const char* Field, const QString& Title, int Width, TAlignment Alignment,
                          TAlignment TitleAlignment)
{
    AddGridColumn(Grid, QLatin1String(Field), Title, Width, Alignment);
    Grid->Columns()->Items(Grid->Columns()->Count() - 1)->Title()->SetAlignment(TitleAlignment);
}

void TFScanCad::ResizeGridPanel(QWidget* Group)
{
    if (!PEdicao)
        return;
    PEdicao->resize(qMax(0, width() - PEdicao->x() - 3), qMax(0, height() - PEdicao->y() - 28));
    Group->resize(qMax(0, PEdicao->width() - Group->x()), qMax(0, PEdicao->height() - Group->y() - 2));
    GCad->resize(qMax(0, Group->width() - GCad->x() - 6), qMax(0, Group->height() - GCad->y() - 25));
    LReg->move(GCad->x(), GCad->y() + GCad->height() + 4);
}

// ---- operation choice -------------------------------------------------------

int TFScanCad::RGOperItemIndex() const
{
    return RGOperItems->checkedId();
}

void TFScanCad::SetRGOperItemIndex(int Index)
{
    if (QAbstractButton* b = RGOperItems->button(Index))
        b->setChecked(true);
}

void TFScanCad::BSetOperClick()
{
    // The focus the switch moves around is no field left by the user.
    FSwitching = true;
    auto done = qScopeGuard([this] { FSwitching = false; });
    const bool opening = !RGOper->isEnabled();
    QFont font = BSetOper->font();
    font.setBold(opening);
    BSetOper->setFont(font);
    SetFontColor(BSetOper, opening ? clRed : clWindowText);

    RGOper->setEnabled(opening);
    EnableEntry(!opening);
    BConfirm->setEnabled(!opening);
    if (!opening)
        ApplyOperation(RGOperItemIndex());
    AfterOperationPress();
}

void TFScanCad::ApplyOperation(int Item)
{
    if (Item == 1) {
        Mode = 4;
        Set_Oper_Label(true);
        NC_REP_LIDO->setFocus();
    } else {
        Mode = 1;
        OpenGrid(SQL_Grid(QString()));
        FirstEditor()->setFocus();
        Set_Oper_Label(false);
    }
}

void TFScanCad::Set_Oper_Label(bool Excluding)
{
    LNC_Lido->setText(Excluding ? QStringLiteral("Etiqueta a Excluir") : QStringLiteral("Etiqueta Lido"));
    SetFontColor(LNC_Lido, Excluding ? clRed : clWindowText);
    if (Excluding)
        QGrid->Close();
}

// ---- keys and exits ---------------------------------------------------------

QWidget* TFScanCad::EditorOf(QObject* Object) const
{
    for (QWidget* e : FEditors)
        if (e == Object)
            return e;
    return nullptr;
}

bool TFScanCad::eventFilter(QObject* Watched, QEvent* Event)
{
    if (QWidget* editor = EditorOf(Watched)) {
        if (Event->type() == QEvent::KeyPress) {
            int key = static_cast<QKeyEvent*>(Event)->key();
            EditKeyDown(editor, key);
            // The key goes on to the editor unchanged.
            return false;
        }
        if (Event->type() == QEvent::FocusOut && IsFieldExit(static_cast<QFocusEvent*>(Event))) {
            // The field takes its exit first, so that what the validation then does to it
            // (its text selected, the focus given back) is not undone by that exit.
            static_cast<QObject*>(editor)->event(Event);
            EditExit(editor);
            return true;
        }
    }
    return TFBCad::eventFilter(Watched, Event);
}

void TFScanCad::EditKeyDown(QWidget* Sender, int& Key)
{
    if (Key != Qt::Key_Return && Key != Qt::Key_Enter)
        return;
    if (ConfirmsOnEnter(Sender)) {
        // Between the two presses of "Operação" nothing is confirmed.
        if (BConfirm->isEnabled())
            BConfirm->click();
        return;
    }
    SelectNextControl(Sender);
}

// The next control in tab order that is enabled, visible and a tab stop.
void TFScanCad::SelectNextControl(QWidget* Current)
{
    for (QWidget* w = Current->nextInFocusChain(); w && w != Current; w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void TFScanCad::EditExit(QWidget* Sender)
{
    if (Validating || FExiting || FSwitching)
        return;
    FExiting = true;
    auto done = qScopeGuard([this] { FExiting = false; });
    ValidateField(Sender);
}

// ---- checks -----------------------------------------------------------------

qint64 TFScanCad::LabelNumber() const
{
    return Get_NC_Rep(LabelCode(), NC_REP_LIDO->text());
}

bool TFScanCad::ReadLabel(const QString& EmptyMsg, bool BlanksAreEmpty, qint64& Number)
{
    const QString code = NC_REP_LIDO->text();
    if (code.isEmpty() || (BlanksAreEmpty && code.trimmed().isEmpty())) {
        AlertMessage(EmptyMsg);
        return false;
    }
    QString msg;
    if (!Check_Etiqueta(LabelCode(), code, msg)) {
        AlertMessage(msg);
        return false;
    }
    Number = Get_NC_Rep(LabelCode(), code);
    return true;
}

bool TFScanCad::CheckLabelForDeletion(const QString& EmptyMsg)
{
    const QString code = NC_REP_LIDO->text();
    QString msg;
    bool result = false;
    if (code.trimmed().isEmpty()) {
        msg = EmptyMsg;
    } else {
        const int type = LabelCode();
        if (type == 0)
            result = CheckEAN8(code, msg);
        else if (type == 1)
            result = CheckEAN13(code, msg);
    }
    if (!result)
        ShowError(msg);
    return result;
}

bool TFScanCad::ConfirmChecks(const QString& NotFound, void (*Report)(const QString&))
{
    if (Mode == 1)
        return ValidateEditors();
    if (Mode != 4)
        return true;
    if (!ValidateField(NC_REP_LIDO))
        return false;
    if (QGrid->Active() && !QGrid->IsEmpty())
        return true;
    Report(NotFound);
    return false;
}

void TFScanCad::AfterSave(bool Saved)
{
    const int added = FAdded, writes = FWrites;
    FAdded = FWrites = 0;
    if (!Saved)
        return;
    Refresh_Grid(added, writes);
    if (Mode == 1)
        Reset_Entry();
}

void TFScanCad::FilterByLabel(bool Valid, const QString& Condition)
{
    if (Valid) {
        // The code has passed its check digit: only the number it carries reaches the SQL.
        OpenGrid(SQL_Grid(QStringLiteral(" (c.nc_rep=") + QString::number(LabelNumber()) + QStringLiteral(" ) ") + Condition));
    } else {
        QGrid->Close();
        NC_REP_LIDO->setFocus();
    }
}

void TFScanCad::FocusFailed(QWidget* Sender)
{
    if (auto* edit = qobject_cast<QLineEdit*>(Sender); edit && !qobject_cast<TXNumEdit*>(Sender))
        edit->selectAll();
    Sender->setFocus();
}

bool TFScanCad::ValidateEditors()
{
    Validating = true;
    auto done = qScopeGuard([this] { Validating = false; });
    bool ok = true;
    for (int i = 0; ok && i < EditorNames->Count(); ++i) {
        QObject* editor = FindEditor(EditorNames->Strings(i));
        if (qobject_cast<QLineEdit*>(editor) || qobject_cast<QComboBox*>(editor))
            ok = ValidateField(static_cast<QWidget*>(editor));
    }
    return ok;
}

// ---- grid -------------------------------------------------------------------

void TFScanCad::OpenGrid(const QString& SQL)
{
    QGrid->Close();
    QGrid->SQL.setText(SQL);
    QGrid->Open();
}

void TFScanCad::RequeryOrOpen(TADOQuery* Query)
{
    if (Query->Active())
        Query->Requery();
    else
        Query->Open();
}

QString TFScanCad::CountText(TADOQuery* Query)
{
    return QStringLiteral("Registros: ") + (Query->Active() ? QString::number(Query->RecordCount()) : QString());
}

void TFScanCad::Refresh_Grid(int Added, int Writes)
{
    if (Added != 0 && QGrid->Active())
        QGrid->RequeryAdded(Added, Writes);
    else
        RequeryOrOpen(QGrid);
    Show_Count();
}

void TFScanCad::Show_Count()
{
    LReg->setText(CountText(QGrid));
}

void TFScanCad::QGridAfterOpen()
{
    Show_Count();
}

// ---- shared statements ------------------------------------------------------

QString TFScanCad::SQL_Cruza_Grid(const QString& Extra, const QString& LocalTest)
{
    return QStringLiteral("SELECT c.id_cruza,        c.dupd, c.nc_rep, c.status, c.seq,") + Extra
        + QStringLiteral("        IIF(c.reverso='0', 'Não' , 'Sim' ) as reverso,"
                         "        ec.nc_print as nc, pc.codigo_cruza, e.nome AS nome_emasculador, pc.planejamento,"
                         "        IIF(")
        + LocalTest
        + QStringLiteral(",'Adic', 'Tal') AS tal_transmissao   FROM ((Cruza c"
                         "            LEFT OUTER JOIN Etiqueta_Cruza ec               ON (c.nc_rep = ec.nc_rep))"
                         "            LEFT OUTER JOIN Planejamento_Cruza pc              ON (ec.nc = pc.nc))"
                         "            LEFT OUTER JOIN Emasculador e              ON (c.id_emasculador = e.id)");
}

void TFScanCad::SetParam(TADOCommand* Command, const char* Name, TFieldType Type, const QVariant& Value)
{
    TParameter* p = Command->Parameters.ParamByName(QLatin1String(Name));
    p->DataType = Type;
    p->Value = Value;
}

bool TFScanCad::OpenLabel(TADOQuery& Query, const QString& SQL, qint64 Label)
{
    Query.SQL.setText(SQL);
    TParameter* p = Query.Parameters.ParamByName(QStringLiteral("nc_rep"));
    p->DataType = ftFloat;
    p->Value = double(Label);
    Query.Open();
    Query.First();
    return !Query.Eof();
}

bool TFScanCad::InsertCruza(TADOCommand* Command, qint64 Label, int Reverso, int Executor, const QString& Status)
{
    Command->setCommandText(InsertCruzaSQL);
    const int seq = FEtiqFlor->NextSeq(Label);
    if (seq <= 0)
        return false;
    SetParam(Command, "nc_rep", ftLargeint, Label);
    SetParam(Command, "seq", ftInteger, seq);
    SetParam(Command, "reverso", ftString, QString::number(Reverso));
    SetParam(Command, "id_emasculador", ftInteger, Executor);
    SetParam(Command, "status", ftString, Status);
    SetParam(Command, "dupd", ftString, NowStr());
    SetParam(Command, "cmaq", ftString, Config()->ComputerName);
    Command->Execute();
    return true;
}

int TFScanCad::WriteAsChecked(const std::function<QString()>& Check, const std::function<int()>& Write, const QString& Gone)
{
    TADOTransaction tx(DM->Conn);
    QString refusal = Check();
    const int changed = refusal.isEmpty() ? Write() : 0;
    if (refusal.isEmpty() && changed == 0)
        refusal = Gone;
    if (!refusal.isEmpty())
        throw Exception(refusal);
    tx.Commit();
    return changed;
}
