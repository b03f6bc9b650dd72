#include "UFAppConfig.h"

#include "UAppConfig.h"
#include "UDBTables.h"
#include "UDBVersion.h"
#include "UDM.h"
#include "UFMain.h"
#include "UXForms.h"
#include "UXLib.h"
#include "UXNumEdit.h"
#include "XAdo.h"
#include "XFileDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

const QString BarcodeItems[] = {QStringLiteral("EAN-8"), QStringLiteral("EAN-13")};
const QString YesNoItems[] = {QStringLiteral("Não"), QStringLiteral("Sim")};
const QString HeaderItems[] = {QStringLiteral("Pais"), QStringLiteral("Pais / Cruza"),
                               QStringLiteral("Pais (C.Barra) / Cruza")};


// An editor with its caption above it; Y is the caption's.
template <class T>
T* Captioned(T* Editor, QGroupBox* Parent, const char* Name, const QString& Caption, int X, int Y, int Width)
{
    auto* l = new QLabel(Caption, Parent);
    l->move(X, Y);
    l->adjustSize();
    Editor->setObjectName(QLatin1String(Name));
    Editor->setGeometry(X, Y + 16, Width, 22);
    return Editor;
}

template <size_t N>
QComboBox* NewCombo(QGroupBox* Parent, const char* Name, const QString& Caption, int X, int Y, int Width,
                    const QString (&Items)[N])
{
    auto* c = Captioned(new QComboBox(Parent), Parent, Name, Caption, X, Y, Width);
    for (const QString& item : Items)
        c->addItem(item);
    return c;
}

TXNumEdit* NewNumber(QGroupBox* Parent, const char* Name, const QString& Caption, int X, int Y, int Width)
{
    auto* e = Captioned(new TXNumEdit(Parent), Parent, Name, Caption, X, Y, Width);
    e->SetEntryRequired(wordvalue);
    e->SetDisplayFormat(QStringLiteral("0;-0"));
    return e;
}

TAppConfig* Config()
{
    return FMain ? FMain->AppConfig : nullptr;
}

} // namespace

TFAppConfig::TFAppConfig(QWidget* Owner) : TFBCad(Owner)
{
    setObjectName(QStringLiteral("FAppConfig"));
    setWindowTitle(QStringLiteral("Configuração"));
    resize(538, 228);

    GBFlor = NewGroup(this, "GBFlor", QStringLiteral(" Etiqueta Cruza/Flor "), QRect(6, 2, 526, 106));
    nc_code = NewCombo(GBFlor, "nc_code", QStringLiteral("Padrão do Código de Barra"), 10, 20, 160, BarcodeItems);
    etiq_pag = NewNumber(GBFlor, "etiq_pag", QStringLiteral("Etiq. Página"), 200, 20, 70);
    CAB_ETIQ_FLOR = NewCombo(GBFlor, "CAB_ETIQ_FLOR", QStringLiteral("Tipo de Cabeçalho"), 10, 62, 160, HeaderItems);
    PLAN_ETIQ_FLOR = NewCombo(GBFlor, "PLAN_ETIQ_FLOR", QStringLiteral("Agrupar Cruza por Planejamento"), 200, 62, 100,
                              YesNoItems);

    GBParental = NewGroup(this, "GBParental", QStringLiteral(" Etiqueta Parental/Vaso "), QRect(6, 110, 176, 62));
    id_pais_code = NewCombo(GBParental, "id_pais_code", QStringLiteral("Padrão do Código de Barra"), 10, 20, 156,
                            BarcodeItems);
    GBEmasc = NewGroup(this, "GBEmasc", QStringLiteral(" Cadastro de Etiquetas de Flor  "), QRect(186, 110, 186, 62));
    limpa_emasc = NewCombo(GBEmasc, "limpa_emasc", QStringLiteral("Manter Emasculador"), 10, 20, 100, YesNoItems);
    GBSemente = NewGroup(this, "GBSemente", QStringLiteral(" Cad. Semente "), QRect(376, 110, 156, 62));
    smt_max_hibr = NewNumber(GBSemente, "smt_max_hibr", QStringLiteral("Semente por Hibridação"), 6, 20, 70);

    GBSom = NewGroup(this, "GBSom", QStringLiteral(" Som de Alerta "), QRect(6, 174, 362, 50));
    alert_sound = new QLineEdit(GBSom);
    alert_sound->setObjectName(QStringLiteral("alert_sound"));
    alert_sound->setGeometry(10, 22, 312, 22);
    // No length limit: a path too long for the column is refused by the save, never cut.
    alert_sound->setReadOnly(true);
    BLoadFile = new QPushButton(QStringLiteral("..."), GBSom);
    BLoadFile->setObjectName(QStringLiteral("BLoadFile"));
    BLoadFile->setGeometry(326, 21, 28, 24);
    BLoadFile->setFocusPolicy(Qt::NoFocus);
    BLoadFile->setAutoDefault(false);

    QAtu = new TADOCommand(this);
    QAtu->setObjectName(QStringLiteral("QAtu"));
    if (DM)
        QAtu->setConnection(DM->Conn);
    OD = new TOpenDialog(this);
    OD->setObjectName(QStringLiteral("OD"));
    OD->SetDefaultExt(QStringLiteral("*.wav"));
    OD->SetFilter(QStringLiteral("Arquivo de Audio (*.wav)|*.wav|Todos Arquivos (*.*)|*.*"));

    QWidget* order[] = {nc_code, etiq_pag, CAB_ETIQ_FLOR, PLAN_ETIQ_FLOR, id_pais_code, limpa_emasc, smt_max_hibr,
                        alert_sound};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    for (QWidget* e : BoundEditors())
        e->installEventFilter(this);

    connect(BConfirm, &QPushButton::clicked, this, &TFAppConfig::BConfirmClick);
    connect(BLoadFile, &QPushButton::clicked, this, &TFAppConfig::BLoadFileClick);

    FormCreate();
}

TFAppConfig::~TFAppConfig() = default;

void TFAppConfig::FormCreate()
{
    for (const char* Name : {"nc_code", "etiq_pag", "cab_etiq_flor", "plan_etiq_flor", "id_pais_code", "limpa_emasc",
                             "smt_max_hibr", "alert_sound"})
        EditorNames->Add(QLatin1String(Name));
}

void TFAppConfig::FormShow()
{
    if (!Config() || !Config()->Loaded) {
        ShowError(QStringLiteral("Banco de dados não Conectado."));
        BCloseClick();
        return;
    }
    Load_F_Edit();
    nc_code->setFocus();
}

// ---- loading ----------------------------------------------------------------

void TFAppConfig::LoadDefaults()
{
    nc_code->setCurrentIndex(0);
    CAB_ETIQ_FLOR->setCurrentIndex(0);
    PLAN_ETIQ_FLOR->setCurrentIndex(1);
    id_pais_code->setCurrentIndex(0);
    etiq_pag->SetValue(16);
    limpa_emasc->setCurrentIndex(0);
    alert_sound->clear();
    smt_max_hibr->SetValue(4);
}

void TFAppConfig::Load_F_Edit()
{
    LoadDefaults();
    WithQuery(DM->Conn, QStringLiteral("Erro ao verificar função [Load_F_Edit] : "), [&](TADOQuery& q) {
        q.SQL.setText(ConfigSelectSQL());
        q.Open();
        if (q.IsEmpty())
            return true;
        // A value beyond the items (or Null) leaves no selection, so the save keeps the stored one.
        auto choose = [&q](QComboBox* Combo, const char* Column) {
            const TField* f = q.FieldByName(QLatin1String(Column));
            const qint64 v = f->IsNull() ? -1 : f->AsLargeInt();
            Combo->setCurrentIndex(v >= 0 && v < Combo->count() ? int(v) : -1);
        };
        choose(nc_code, "nc_code");
        choose(id_pais_code, "id_pais_code");
        choose(CAB_ETIQ_FLOR, "cab_etiq_flor");
        choose(PLAN_ETIQ_FLOR, "plan_etiq_flor");
        etiq_pag->SetValue(q.FieldByName(QStringLiteral("etiq_pag"))->AsInteger());
        alert_sound->setText(q.FieldByName(QStringLiteral("alert_sound"))->AsString());
        choose(limpa_emasc, "limpa_emasc");
        smt_max_hibr->SetValue(q.FieldByName(QStringLiteral("smt_max_hibr"))->AsInteger());
        return true;
    });
}

// ---- validation ---------------------------------------------------------------

bool TFAppConfig::ValidateField(QWidget*)
{
    if (etiq_pag->Value() <= 0) {
        ShowError(QStringLiteral("Quantidade de etiquetas por página deve ser um valor positivo."));
        return false;
    }
    // Without a selection the stored type stays: nothing is being changed.
    const int type = id_pais_code->currentIndex();
    if (type >= 0 && Config() && type != Config()->ID_PAIS_CODE) {
        const int digits = MaxIdParentalDigits();
        // Pot numbers that could not be read cannot be shown to fit.
        if (digits == 0)
            return false;
        if (digits > (type == 0 ? 7 : 12)) {
            ShowError(QStringLiteral("Padrão do código de barra selecionado para etiqueta de parental é incompatível com o tamanho dos dados."));
            return false;
        }
    }
    if (smt_max_hibr->Value() <= 0) {
        ShowError(QStringLiteral("Quantidade máxima de sementes por hibridação deve ser um valor inteiro positivo."));
        return false;
    }
    return true;
}

int TFAppConfig::MaxIdParentalDigits()
{
    int result = 0;
    WithQuery(DM->Conn, QStringLiteral("Erro ao consultar o banco de dados.\r\nMsg.: "), [&](TADOQuery& q) {
        q.SQL.setText(QStringLiteral("SELECT MAX( id ) as max_id_parental   FROM Parental"));
        q.Open();
        if (!q.IsEmpty())
            result = DigitCount(q.FieldByName(QStringLiteral("max_id_parental"))->AsFloat());
        return true;
    });
    return result;
}

// ---- keys and exits -----------------------------------------------------------

QList<QWidget*> TFAppConfig::BoundEditors() const
{
    return {nc_code, CAB_ETIQ_FLOR, PLAN_ETIQ_FLOR, id_pais_code, limpa_emasc, alert_sound};
}

bool TFAppConfig::eventFilter(QObject* Watched, QEvent* Event)
{
    auto* editor = qobject_cast<QWidget*>(Watched);
    if (editor && BoundEditors().contains(editor)) {
        if (Event->type() == QEvent::KeyPress)
            EDITKeyDown(editor, static_cast<QKeyEvent*>(Event)->key());
        else if (Event->type() == QEvent::FocusOut && IsFieldExit(static_cast<QFocusEvent*>(Event)))
            EDITExit(editor);
    }
    return TFBCad::eventFilter(Watched, Event);
}

void TFAppConfig::EDITExit(QWidget* Sender)
{
    if (!Validating)
        ValidateField(Sender);
}

void TFAppConfig::EDITKeyDown(QWidget* Sender, int Key)
{
    if ((Key == Qt::Key_Return || Key == Qt::Key_Enter) && ValidateField(Sender))
        focusNextPrevChild(true);
}

// ---- saving -------------------------------------------------------------------

bool TFAppConfig::CONFIG_EOF()
{
    bool result = false;
    WithQuery(DM->Conn, QStringLiteral("Erro ao verificar função [CONFIG_EOF] : "), [&](TADOQuery& q) {
        q.SQL.setText(ConfigSelectSQL());
        q.Open();
        result = q.IsEmpty();
        return true;
    });
    return result;
}

bool TFAppConfig::SaveConfiguracao()
{
    const bool insert = CONFIG_EOF();
    return Reported(QStringLiteral("Erro ao atualizar a Configuração: "), [&] {
        QString fields, params;
        BuildFieldLists(fields, params, insert);
        if (insert) {
            // The row the configuration is read from, with the columns the table
            // requires and no editor holds; the lock stays unset, as only Talvora writes it.
            QAtu->setCommandText(QStringLiteral("INSERT INTO Configuracao (") + fields
                                 + QStringLiteral(", cfg_id, versao_db, id_hibridacao, version_hibrid) values (") + params
                                 + QStringLiteral(", :cfg_id, :versao_db, :id_hibridacao, :version_hibrid) "));
            auto set = [this](const char* Name, TFieldType Type, const QVariant& Value) {
                TParameter* p = QAtu->Parameters.ParamByName(QLatin1String(Name));
                p->DataType = Type;
                p->Value = Value;
            };
            set("cfg_id", ftInteger, 1);
            set("versao_db", ftString, DBVersion);
            set("id_hibridacao", ftInteger, 0);
            set("version_hibrid", ftInteger, 0);
        } else {
            QAtu->setCommandText(QStringLiteral("UPDATE Configuracao SET ") + fields);
        }
        SetFieldParams(QAtu);
        QAtu->Execute();
        return true;
    });
}

void TFAppConfig::BConfirmClick()
{
    if (!ValidateFields())
        return;
    if (!SaveConfiguracao())
        return;
    // New barcode types, alert sound and caption take effect at once.
    Config()->ReadConfig();
    ShowInfo(QStringLiteral("Configuração Atualizado."));
    BCloseClick();
}

void TFAppConfig::BLoadFileClick()
{
    OD->SetInitialDir(QFileInfo(QCoreApplication::applicationFilePath()).absolutePath());
    if (!OD->Execute())
        return;
    const QString name = OD->FileName();
    if (QFileInfo(name).isFile())
        alert_sound->setText(QFileInfo(name).absoluteFilePath());
    else
        ShowError(QStringLiteral(" Arquivo não Encontrado. "));
}
