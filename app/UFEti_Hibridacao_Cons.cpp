#include "UFEti_Hibridacao_Cons.h"

#include "UAppConfig.h"
#include "UDM.h"
#include "UFMain.h"
#include "UFScanCad.h"
#include "UXComboBox.h"
#include "UXForms.h"
#include "UXLib.h"
#include "UXNumEdit.h"
#include "XAdo.h"
#include "XGraphics.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>

namespace {

const QString LabelSQL = QStringLiteral(
    "SELECT ec.nc, ec.rep, ec.nc_print,"
    "        pc.codigo_cruza, pc.id_vaso_mae, tmae.codigo AS codigo_mae, pc.id_vaso_pai, tpai.codigo AS codigo_pai,"
    "        c.dupd AS data_cruza, c.status, c.id_emasculador, c.reverso   FROM (((Etiqueta_Cruza ec"
    "             LEFT OUTER JOIN Planejamento_Cruza pc  ON (ec.nc = pc.nc))"
    "             LEFT OUTER JOIN Cruza c   ON (ec.nc_rep = c.nc_rep))"
    "             LEFT OUTER JOIN Parental tmae   ON (pc.id_vaso_mae = tmae.id))"
    "             LEFT OUTER JOIN Parental tpai"
    "   ON (pc.id_vaso_pai = tpai.id)  WHERE ( ec.nc_rep = :nc_rep )  ORDER BY c.seq DESC");

TAppConfig* Config()
{
    return FMain ? FMain->AppConfig : nullptr;
}

// A display field with its caption above it.
template <class T>
T* Shown(T* Field, const char* Caption, int X, int Y)
{
    TFScanCad::NewLabel(Field->parentWidget(), "", QString::fromUtf8(Caption), X, Y);
    Field->move(X, Y + 16);
    Field->setEnabled(false);
    return Field;
}

} // namespace

TFEti_Hibridacao_Cons::TFEti_Hibridacao_Cons(QWidget* Owner) : TFBCad(Owner)
{
    setObjectName(QStringLiteral("FEti_Hibridacao_Cons"));
    setWindowTitle(QStringLiteral("Consulta de Etiqueta de Hibridação"));
    resize(560, 262);

    GBFlor = new QGroupBox(QStringLiteral(" Hibridação "), this);
    GBFlor->setObjectName(QStringLiteral("GBFlor"));
    GBFlor->setGeometry(6, 4, 548, 102);
    TFScanCad::NewLabel(GBFlor, "LNC_Lido", QStringLiteral("Etiqueta Lido"), 10, 20);
    NC_REP_LIDO = TFScanCad::NewEdit(GBFlor, "NC_REP_LIDO", QRect(10, 36, 120, 24), 13, true);
    // The display fields hold whole values: no length limit cuts what the file holds.
    rep = Shown(TFScanCad::NewNumEdit(GBFlor, "rep", QRect(0, 0, 60, 24)), "Repetição", 140, 20);
    nc_rep = Shown(TFScanCad::NewEdit(GBFlor, "nc_rep", QRect(0, 0, 120, 24), 0, true), "Etiqueta Hibridação", 210, 20);
    codigo_cruza = Shown(TFScanCad::NewEdit(GBFlor, "codigo_cruza", QRect(0, 0, 200, 24), 0, true), "Código Cruza", 340, 20);
    LStatus = new QLabel(GBFlor);
    LStatus->setObjectName(QStringLiteral("LStatus"));
    LStatus->setGeometry(10, 66, 530, 30);
    QFont bold = LStatus->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.6);
    LStatus->setFont(bold);
    LStatus->hide();

    GBCruza = new QGroupBox(QStringLiteral(" Hibridação "), this);
    GBCruza->setObjectName(QStringLiteral("GBCruza"));
    GBCruza->setGeometry(6, 110, 548, 116);
    GBCruza->setEnabled(false);
    id_emasculador = Shown(new TXComboBox(GBCruza), "Executor da Hibridação", 10, 20);
    id_emasculador->setObjectName(QStringLiteral("id_emasculador"));
    id_emasculador->resize(300, 24);
    reverso = Shown(new TXComboBox(GBCruza), "Hibridação Reversa", 320, 20);
    reverso->setObjectName(QStringLiteral("reverso"));
    reverso->resize(110, 24);
    reverso->Items().Add(QStringLiteral("1 - Não"));
    reverso->Items().Add(QStringLiteral("2 - Sim"));
    id_mae = Shown(TFScanCad::NewNumEdit(GBCruza, "id_mae", QRect(0, 0, 80, 24)), "NC Vaso Mãe", 10, 64);
    codigo_mae = Shown(TFScanCad::NewEdit(GBCruza, "codigo_mae", QRect(0, 0, 170, 24)), "Código Mãe", 96, 64);
    id_pai = Shown(TFScanCad::NewNumEdit(GBCruza, "id_pai", QRect(0, 0, 80, 24)), "NC Vaso Pai", 280, 64);
    codigo_pai = Shown(TFScanCad::NewEdit(GBCruza, "codigo_pai", QRect(0, 0, 170, 24)), "Código Pai", 366, 64);

    // Carries the look-up for Enter; never seen.
    BConfirm->hide();
    connect(BConfirm, &QPushButton::clicked, this, &TFEti_Hibridacao_Cons::BConfirmClick);
    NC_REP_LIDO->installEventFilter(this);
    ClearDisplay();
}

TFEti_Hibridacao_Cons::~TFEti_Hibridacao_Cons() = default;

void TFEti_Hibridacao_Cons::FormShow()
{
    if (!Config() || !Config()->Loaded) {
        ShowError(QStringLiteral("Banco de dados não Conectado."));
        BCloseClick();
        return;
    }
    Inicialize_Usuario(id_emasculador, false);
    NC_REP_LIDO->setFocus();
}

bool TFEti_Hibridacao_Cons::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == NC_REP_LIDO && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(Event)->key();
        NC_REP_LIDOKeyDown(key);
        // Enter is the look-up's; the edit has nothing to do with it.
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return TFBCad::eventFilter(Watched, Event);
}

void TFEti_Hibridacao_Cons::NC_REP_LIDOKeyDown(int Key)
{
    if (Key == Qt::Key_Return || Key == Qt::Key_Enter)
        BConfirm->click();
}

// ---- the look-up --------------------------------------------------------------

bool TFEti_Hibridacao_Cons::ValidLabelCode(const QString& Code, qint64& Number, QString& Msg) const
{
    if (!IsIntegerStr(Code)) {
        Msg = QStringLiteral("Valor informado não é um Código numérico válido.");
        return false;
    }
    const int type = Config() ? Config()->NC_CODE : -1;
    if (!Check_Etiqueta(type, Code, Msg))
        return false;
    Number = Get_NC_Rep(type, Code);
    return true;
}

void TFEti_Hibridacao_Cons::BConfirmClick()
{
    // The next scan replaces the text, also after a player failure leaves the alert.
    auto select = qScopeGuard([this] { NC_REP_LIDO->selectAll(); });
    const QString code = NC_REP_LIDO->text();
    qint64 number = 0;
    QString msg;
    if (code.isEmpty()) {
        ClearDisplay();
        AlertMessage(QStringLiteral("Etiqueta de Hibridação deve ser informado."));
    } else if (!ValidLabelCode(code, number, msg)) {
        ClearDisplay();
        AlertMessage(msg);
    } else {
        Valid_NC(number);
    }
}

bool TFEti_Hibridacao_Cons::Valid_NC(qint64 LabelNumber)
{
    bool found = false;
    const bool read = WithQuery(DM->Conn, QStringLiteral("Erro ao Consultar Dados (Valid_NC): "), [&](TADOQuery& q) {
        q.SQL.setText(LabelSQL);
        TParameter* p = q.Parameters.ParamByName(QStringLiteral("nc_rep"));
        p->DataType = ftFloat;
        p->Value = double(LabelNumber);
        q.Open();
        if (q.IsEmpty())
            return true;
        found = true;
        // The first row carries the current crossing; empty values read as 0 or empty text.
        auto text = [&q](const char* Name) { return q.FieldByName(QLatin1String(Name))->AsString(); };
        auto number = [&q](const char* Name) { return q.FieldByName(QLatin1String(Name))->AsInteger(); };
        rep->SetValue(number("rep"));
        nc_rep->setText(text("nc_print"));
        codigo_cruza->setText(text("codigo_cruza"));
        id_pai->SetValue(number("id_vaso_pai"));
        codigo_pai->setText(text("codigo_pai"));
        id_mae->SetValue(number("id_vaso_mae"));
        codigo_mae->setText(text("codigo_mae"));
        const int executor = number("id_emasculador");
        if (executor == 0) {
            id_emasculador->setCurrentIndex(-1);
            reverso->setCurrentIndex(-1);
            SetStatus(0);
        } else {
            // An executor missing from the list shows no name; the state is the crossing's.
            id_emasculador->setCurrentIndex(id_emasculador->findData(executor));
            const QString flag = text("reverso");
            reverso->setCurrentIndex(flag == QLatin1String("0") ? 0 : flag == QLatin1String("1") ? 1 : -1);
            SetStatus(text("status") == QLatin1String("X") ? 2 : 1);
        }
        return true;
    });
    if (read && !found) {
        ClearDisplay();
        AlertMessage(QStringLiteral("Etiqueta de Hibridação não cadastrado."));
    }
    return read && found;
}

void TFEti_Hibridacao_Cons::SetStatus(int State)
{
    struct TState
    {
        const char* Word;
        TColor Color;
    };
    static const TState States[] = {{"Não Utilizado", clGray}, {"Em Hibridação", clRed}, {"Abortado/Baixado", clGreen}};
    if (State < 0 || State > 2) {
        LStatus->hide();
        return;
    }
    LStatus->setText(QString::fromUtf8(States[State].Word));
    SetFontColor(LStatus, States[State].Color);
    LStatus->show();
}

void TFEti_Hibridacao_Cons::ClearDisplay()
{
    rep->SetValue(0);
    id_pai->SetValue(0);
    id_mae->SetValue(0);
    for (QLineEdit* e : {nc_rep, codigo_cruza, codigo_pai, codigo_mae})
        e->clear();
    id_emasculador->setCurrentIndex(-1);
    reverso->setCurrentIndex(-1);
    SetStatus(-1);
}
