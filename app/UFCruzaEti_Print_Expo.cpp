#include "UFCruzaEti_Print_Expo.h"

#include "UAppConfig.h"
#include "UDM.h"
#include "UEtiqFlor.h"
#include "UFMain.h"
#include "UTSG_Cols.h"
#include "UXComboBox.h"
#include "UXForms.h"
#include "UXLib.h"
#include "UXNumEdit.h"
#include "UXWait.h"
#include "XAdo.h"
#include "XAnchors.h"
#include "XFileDialogs.h"
#include "XGraphics.h"
#include "XStringGrid.h"
#include "XTextFile.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QScopeGuard>

#include <utility>

using namespace UTSG_Cols;

namespace {

struct TColDef
{
    const char* Name;
    const char* Field;   // empty: computed by the builder
    int Width;
    quint8 DataType;     // 1 text, 3 integer, 6 floating point
};

const TColDef FlorCols[] = {
    {"PLANEJAMENTO", "planejamento", 150, 1}, {"NC", "nc", 80, 6},          {"PAG", "", 50, 3},
    {"SEQ", "", 50, 3},                       {"CODIGO", "codigo_cruza", 150, 1}, {"REP", "rep", 40, 3},
    {"NC_IMP", "nc_print", 100, 1},           {"NC_CB", "nc_rep", 100, 6},  {"STATUS", "", 60, 1},
    {"PARENTAIS", "", 150, 1},
};

const TColDef VasoCols[] = {
    {"NC", "nc", 80, 3},           {"CODIGO", "codigo_vaso", 150, 1}, {"EPOCA", "", 100, 1},
    {"NC_IMP", "nc_print", 100, 3}, {"NC_CB", "nc_cb", 100, 3},         {"TRATAMENTO", "tratamento", 150, 1},
};

QString SqlText(const QString& Value)
{
    QString v = Value;
    return u'\'' + v.replace(u'\'', QStringLiteral("''")) + u'\'';
}

// Pot numbers and seasons are grouped with the separator of the user's
// regional settings, as they stand when a sheet is built.
TFormatSettings Regional;

void ReadRegionalSettings()
{
    Regional = FormatSettingsBR;
    const QString group = QLocale::system().groupSeparator();
    if (!group.isEmpty())
        Regional.ThousandSeparator = group.at(0);
}

QString PotText(int Number)
{
    return FormatFloat(QStringLiteral("#,###,##0"), Number, Regional);
}


TXNumEdit* NewCount(QWidget* Parent, const char* Name, const QString& Caption, int X)
{
    auto* l = new QLabel(Caption, Parent);
    l->move(X, 24);
    l->adjustSize();
    auto* e = new TXNumEdit(Parent);
    e->setObjectName(QLatin1String(Name));
    e->SetEntryRequired(wordvalue);
    e->SetDisplayFormat(QStringLiteral("0;-0"));
    e->setGeometry(X + l->width() + 6, 19, 44, 24);
    e->SetValue(1);
    return e;
}

} // namespace

TFCruzaEti_Print_Expo::TFCruzaEti_Print_Expo(QWidget* Owner) : TFBCad(Owner)
{
    setObjectName(QStringLiteral("FCruzaEti_Print_Expo"));
    setWindowTitle(QStringLiteral("Etiquetas de Cruza - Dados para Impressão "));
    resize(960, 560);

    GBOpcao = new QGroupBox(QStringLiteral(" Dados a Exportar "), this);
    GBOpcao->setObjectName(QStringLiteral("GBOpcao"));
    GBOpcao->setGeometry(8, 4, 262, 54);
    CBOpcao = NewList(GBOpcao, "CBOpcao",
                      {QStringLiteral("1 - Etiqueta de Hibridação"), QStringLiteral("2 - Etiqueta de Vaso/Época"),
                       QStringLiteral("3 - Etiqueta de Identificação dos Parentais"),
                       QStringLiteral("4 - Etiqueta de Hibridação Baixada")},
                      QRect(8, 20, 246, 24));

    GBPlan = new QGroupBox(QStringLiteral(" Planejamento Cruza "), this);
    GBPlan->setObjectName(QStringLiteral("GBPlan"));
    GBPlan->setGeometry(276, 4, 200, 54);
    CBPlan = new TXComboBox(GBPlan);
    CBPlan->setObjectName(QStringLiteral("CBPlan"));
    CBPlan->setGeometry(8, 20, 184, 24);

    GBOrdemLst = new QGroupBox(QStringLiteral("Ordenação "), this);
    GBOrdemLst->setObjectName(QStringLiteral("GBOrdemLst"));
    GBOrdemLst->setGeometry(482, 4, 470, 54);
    CBOrdem = NewList(GBOrdemLst, "CBOrdem",
                      {QStringLiteral("1 - NC"), QStringLiteral("2 - Mãe / NC"), QStringLiteral("3 - Pai / NC"),
                       QStringLiteral("4 - Pai / Mãe"), QStringLiteral("5 - Mãe / Pai")},
                      QRect(8, 20, 160, 24));
    CBCultura = NewList(GBOrdemLst, "CBCultura", {QStringLiteral("Algodão"), QStringLiteral("Soja")},
                        QRect(176, 20, 120, 24));
    CBCultura->setCurrentIndex(1);

    GBN_Etiq = new QGroupBox(this);
    GBN_Etiq->setObjectName(QStringLiteral("GBN_Etiq"));
    GBN_Etiq->setGeometry(GBOrdemLst->geometry());
    qte_etiq = NewCount(GBN_Etiq, "qte_etiq", QStringLiteral("Qte. Etiqueta por Parental"), 8);
    adic_epoca = NewCount(GBN_Etiq, "adic_epoca", QStringLiteral("Incremento por Vaso/Época"),
                          qte_etiq->geometry().right() + 16);
    GBN_Etiq->hide();

    SG = new TStringGrid(this);
    SG->setObjectName(QStringLiteral("SG"));
    SG->setGeometry(8, 64, 944, 450);
    SG->SetFixedRows(1);
    SG->SetColCount(1);
    SG->SetRowCount(2);
    SG->hide();
    SetAnchors(SG, akLeft | akTop | akRight | akBottom);

    LRegistro = new QLabel(QStringLiteral("Registros: 0"), this);
    LRegistro->setObjectName(QStringLiteral("LRegistro"));
    LRegistro->setGeometry(8, 526, 200, 20);
    SetAnchors(LRegistro, akLeft | akBottom);

    BConfirm->setText(QStringLiteral(" Atualizar "));
    BExportar = new QPushButton(QStringLiteral("Exportar"), this);
    BExportar->setObjectName(QStringLiteral("BExportar"));
    // Left of " Atualizar ", at the bottom right as the base places its buttons.
    BExportar->setGeometry(width() - 243, height() - 31, 75, 25);
    BExportar->setFocusPolicy(Qt::NoFocus);
    BExportar->setAutoDefault(false);
    SetAnchors(BExportar, akRight | akBottom);

    SD = new TSaveDialog(this);
    SD->setObjectName(QStringLiteral("SD"));
    SD->SetFilter(QStringLiteral("Planilha Excel (*.csv)|*.csv|Todos Arquivos (*.*)|*.*"));
    SD->SetDefaultExt(QStringLiteral("*.csv"));

    Wait = new TXWait;
    Cols = new TSGCols;

    connect(CBOpcao, &QComboBox::currentIndexChanged, this, &TFCruzaEti_Print_Expo::CBOpcaoChange);
    connect(CBPlan, &QComboBox::currentIndexChanged, this, &TFCruzaEti_Print_Expo::CBPlanChange);
    connect(CBOrdem, &QComboBox::currentIndexChanged, this, &TFCruzaEti_Print_Expo::CBOrdemChange);
    connect(CBCultura, &QComboBox::currentIndexChanged, this, &TFCruzaEti_Print_Expo::CBOrdemChange);
    connect(BConfirm, &QPushButton::clicked, this, &TFCruzaEti_Print_Expo::BConfirmClick);
    connect(BExportar, &QPushButton::clicked, this, &TFCruzaEti_Print_Expo::BExportarClick);
    SetPending(true);
}

TFCruzaEti_Print_Expo::~TFCruzaEti_Print_Expo()
{
    Wait->Show(nullptr);
    delete Wait;
    delete Cols;
}

TAppConfig* TFCruzaEti_Print_Expo::Config()
{
    return FMain ? FMain->AppConfig : nullptr;
}

void TFCruzaEti_Print_Expo::FormShow()
{
    const TAppConfig* cfg = Config();
    if (!cfg || !cfg->Loaded) {
        ShowError(QStringLiteral("Banco de dados não Conectado."));
        // Closed from the event loop: a window cannot be hidden while it is being shown.
        QMetaObject::invokeMethod(this, &TFCruzaEti_Print_Expo::BCloseClick, Qt::QueuedConnection);
        return;
    }
    {
        const QSignalBlocker quiet(CBOpcao);
        CBOpcao->setCurrentIndex(0);
    }
    Load_Planejamento();
    SetPending(true);
}

void TFCruzaEti_Print_Expo::SetPending(bool Pending)
{
    SetFontColor(BConfirm, Pending ? clRed : clGreen);
    BExportar->setEnabled(!Pending);
}

void TFCruzaEti_Print_Expo::CBOpcaoChange()
{
    SetPending(true);
    const int sheet = CBOpcao->currentIndex();
    GBN_Etiq->setVisible(sheet == 1 || sheet == 2);
    GBOrdemLst->setVisible(sheet == 0);
    if (sheet == 1) {
        adic_epoca->setEnabled(true);
    } else if (sheet == 2) {
        adic_epoca->setEnabled(false);
        adic_epoca->SetValue(1);
    }
}

void TFCruzaEti_Print_Expo::CBPlanChange()
{
    SetPending(true);
}

void TFCruzaEti_Print_Expo::CBOrdemChange()
{
    SetPending(true);
}

void TFCruzaEti_Print_Expo::BConfirmClick()
{
    SetPending(false);
    Load_Grid(CBOpcao->currentIndex());
    LRegistro->setText(QStringLiteral("Registros: ") + QString::number(SG->RowCount() - 1));
}

void TFCruzaEti_Print_Expo::BExportarClick()
{
    Export_CSV();
}

// ---- plannings and SQL ------------------------------------------------------

void TFCruzaEti_Print_Expo::Load_Planejamento()
{
    // The name itself rides with its item: an empty name is shown as one blank.
    const QSignalBlocker quiet(CBPlan);
    CBPlan->clear();
    CBPlan->Items().Add(QStringLiteral("Todos"));
    WithQuery(DM->Conn, QStringLiteral("Erro ao Consultar Planejamento Cruza (Load_Planejamento): \r\nMsg: "),
              [this](TADOQuery& Q) {
                  Q.SQL.setText(QStringLiteral("SELECT DISTINCT planejamento   FROM Planejamento_Cruza ORDER BY planejamento "));
                  Q.Open();
                  const TField* name = Q.FieldByName(QStringLiteral("planejamento"));
                  for (; !Q.Eof(); Q.Next())
                      CBPlan->Items().AddObject(name->AsString(), name->AsString());
                  return true;
              });
    CBPlan->setCurrentIndex(0);
}

bool TFCruzaEti_Print_Expo::Planejamento(QString& Name) const
{
    const int i = CBPlan->currentIndex();
    if (i <= 0)
        return false;
    Name = CBPlan->itemData(i).toString();
    return true;
}

QString TFCruzaEti_Print_Expo::PlanFilter() const
{
    QString name;
    if (!Planejamento(name))
        return QString();
    return QStringLiteral(" WHERE (pc.planejamento = ") + SqlText(name) + QStringLiteral(") ");
}

QString TFCruzaEti_Print_Expo::SQL_Etiq_Baixada() const
{
    return QStringLiteral("( ") + QStringLiteral("SELECT ec.*   FROM Etiqueta_Cruza ec INNER JOIN        (")
           + QStringLiteral("SELECT  c.nc_rep   FROM Cruza c INNER JOIN        (")
           + QStringLiteral("SELECT nc_rep, MAX(seq) as SEQ   FROM Cruza GROUP BY nc_rep ") + QStringLiteral(") cfiltro ")
           + QStringLiteral("          ON ((c.nc_rep = cfiltro.nc_rep) AND (c.seq = cfiltro.seq) AND (c.status = ")
           + SqlText(QStringLiteral("X")) + QStringLiteral("))") + QStringLiteral(") c ")
           + QStringLiteral("       ON (ec.nc_rep = c.nc_rep)") + QStringLiteral(" ) ");
}

QString TFCruzaEti_Print_Expo::SQL_Etiq_Flor(int Sheet) const
{
    const QString source = Sheet == 3 ? SQL_Etiq_Baixada() : QStringLiteral("Etiqueta_Cruza");
    QString order = QStringLiteral("pc.nc, ec.rep ");
    if (!GBOrdemLst->isHidden()) {
        switch (CBOrdem->currentIndex()) {
        case 1: order = QStringLiteral(" m.codigo, pc.nc, ec.rep "); break;
        case 2: order = QStringLiteral(" p.codigo, pc.nc, ec.rep "); break;
        case 3: order = QStringLiteral(" p.codigo, m.codigo, ec.rep "); break;
        case 4: order = QStringLiteral(" m.codigo, p.codigo, pc.nc, ec.rep "); break;
        default: break;
        }
    }
    if (Config() && Config()->PLAN_ETIQ_FLOR == 1)
        order = QStringLiteral(" pc.planejamento, ") + order;
    return QStringLiteral("SELECT pc.planejamento, pc.nc, pc.codigo_cruza,        ec.rep, ec.nc_rep, ec.nc_print,"
                          "        m.codigo AS codigo_mae, m.id AS nc_mae,        p.codigo AS codigo_pai, p.id AS nc_pai"
                          "   FROM ((")
           + source + QStringLiteral(" ec ") + QStringLiteral("               INNER JOIN ")
           + QStringLiteral("Planejamento_Cruza") + QStringLiteral(" pc ")
           + QStringLiteral("                  ON (ec.nc = pc.nc) ) ") + QStringLiteral("               INNER JOIN ")
           + QStringLiteral("Parental") + QStringLiteral(" m ")
           + QStringLiteral("                  ON (pc.id_vaso_mae = m.id) ) ")
           + QStringLiteral("               INNER JOIN ") + QStringLiteral("Parental") + QStringLiteral(" p ")
           + QStringLiteral("                  ON (pc.id_vaso_pai = p.id)  ") + PlanFilter() + QStringLiteral(" ORDER BY ")
           + order;
}

QString TFCruzaEti_Print_Expo::SQL_Etiq_Parental_Vaso() const
{
    QString name;
    if (!Planejamento(name))
        return QStringLiteral("SELECT d.id as nc, d.id as nc_print, d.id as nc_cb, d.codigo as codigo_vaso, d.tratamento"
                              "   FROM Parental d  ORDER BY d.id ");
    const auto part = [this](const char* Pot) {
        return QStringLiteral("SELECT p.id as NC, p.id as NC_PRINT, p.id as NC_CB, p.codigo as CODIGO_VASO,"
                              "        p.tratamento   FROM Parental p               INNER JOIN Planejamento_Cruza pc"
                              "                  ON (p.id = pc.")
               + QLatin1String(Pot) + QStringLiteral(")") + PlanFilter();
    };
    return QStringLiteral("SELECT DISTINCT d.nc, d.nc_print, d.nc_cb, d.codigo_vaso, d.tratamento   FROM (")
           + part("id_vaso_mae") + QStringLiteral(" UNION ALL ") + part("id_vaso_pai") + QStringLiteral(") d ")
           + QStringLiteral(" ORDER BY d.nc ");
}

// ---- building the sheet -----------------------------------------------------

void TFCruzaEti_Print_Expo::DefineColumns(int Sheet)
{
    const bool flor = Sheet == 0 || Sheet == 3;
    const auto add = [this](const TColDef& Def) {
        auto* info = new TColInfo;
        info->SetName(QLatin1String(Def.Name));
        info->FieldName = QLatin1String(Def.Field);
        info->Col = Cols->Count();
        info->SetWidth(Def.Width);
        info->DataType = Def.DataType;
        info->Visible = true;
        if (!Cols->Add(info))
            delete info;
    };
    if (flor) {
        for (const TColDef& d : FlorCols)
            add(d);
    } else {
        for (const TColDef& d : VasoCols)
            if (Sheet == 1 || qstrcmp(d.Name, "EPOCA") != 0)
                add(d);
    }
}

void TFCruzaEti_Print_Expo::Load_Grid(int Sheet)
{
    SG->hide();
    ReadRegionalSettings();
    Cols->Clear();
    DefineColumns(Sheet);
    SG->SetColCount(Cols->Count());
    QStringList titles;
    for (int i = 0; i < Cols->Count(); ++i) {
        SG->SetColWidths(i, Cols->Items(i)->Width);
        titles << Cols->Items(i)->Name;
    }
    FEmptyRow = QStringList(Cols->Count(), QString());
    FLastFields = FEmptyRow;
    FRows = {titles, FEmptyRow};
    SG->SetRows(FRows);
    SG->show();
    if (Sheet == 0 || Sheet == 3)
        Load_Etiq_Flor(Sheet);
    else if (Sheet == 1 || Sheet == 2)
        Load_Etiq_Parental_Vaso(Sheet);
    SetPending(false);
}

int TFCruzaEti_Print_Expo::ColOf(const char* Name) const
{
    for (int i = 0; i < Cols->Count(); ++i)
        if (Cols->Items(i)->Name == QLatin1String(Name))
            return i;
    return -1;
}

void TFCruzaEti_Print_Expo::OpenRow()
{
    FRows.push_back(FEmptyRow);
}

void TFCruzaEti_Print_Expo::DropOpenRow()
{
    FRows.pop_back();
}

const QString& TFCruzaEti_Print_Expo::Num(int N)
{
    static const QString none;
    if (N < 0)
        return none;
    while (int(FNumbers.size()) <= N)
        FNumbers.push_back(QString::number(FNumbers.size()));
    return FNumbers[size_t(N)];
}

void TFCruzaEti_Print_Expo::FillFields(TADOQuery& Query, const std::vector<int>& FieldIndexes)
{
    QStringList& row = FRows.back();
    for (int c = 0; c < int(FieldIndexes.size()); ++c) {
        const int f = FieldIndexes[size_t(c)];
        if (f < 0)
            continue;
        // Equal texts of consecutive rows share one string: a sheet repeats its plan, crossing and code.
        const QString v = Query.Fields(f)->AsString();
        if (v != FLastFields[c])
            FLastFields[c] = v;
        row[c] = FLastFields[c];
    }
}

void TFCruzaEti_Print_Expo::LoadInfo(TADOQuery& Query)
{
    // Whole numbers, fractions to the nearest; a crossing number in 64 bits.
    const auto whole = [&Query](const char* Name) { return Query.FieldByName(QLatin1String(Name))->AsLargeInt(); };
    const auto text = [&Query](const char* Name) { return Query.FieldByName(QLatin1String(Name))->AsString(); };
    FInfo->nc = whole("nc");
    FInfo->nc_mae = int(whole("nc_mae"));
    FInfo->nc_pai = int(whole("nc_pai"));
    FInfo->planejamento = text("planejamento");
    FInfo->codigo_mae = text("codigo_mae");
    FInfo->codigo_pai = text("codigo_pai");
    FInfo->codigo_cruza = text("codigo_cruza");
    FParentais = u'[' + PotText(FInfo->nc_mae) + QStringLiteral("] X [") + PotText(FInfo->nc_pai) + u']';
}

void TFCruzaEti_Print_Expo::Add_Etiq_Row(const QString& Kind, bool Soja, int Pag, int Seq)
{
    const int cab = Config()->CAB_ETIQ_FLOR;
    const bool m = Kind == QLatin1String("M"), p = Kind == QLatin1String("P");
    const QString imp = m ? QString::number(FInfo->nc_mae)
                      : p ? QString::number(FInfo->nc_pai)
                          : (Soja ? QString() : QString::number(FInfo->nc));
    QStringList& row = FRows.back();
    for (int i = 0; i < Cols->Count(); ++i) {
        const QString& title = Cols->Items(i)->Name;
        QString v;
        if (title == QLatin1String("PLANEJAMENTO"))
            v = FInfo->planejamento;
        else if (title == QLatin1String("NC"))
            v = QString::number(FInfo->nc);
        else if (title == QLatin1String("PAG"))
            v = Num(Pag);
        else if (title == QLatin1String("SEQ"))
            v = Num(Seq);
        else if (title == QLatin1String("CODIGO"))
            v = m ? QStringLiteral("MAE: ") + FInfo->codigo_mae
                : p ? QStringLiteral("PAI: ") + FInfo->codigo_pai
                    : QStringLiteral("Cruza: ") + FInfo->codigo_cruza;
        else if (title == QLatin1String("REP"))
            v = QStringLiteral("1");
        else if (title == QLatin1String("NC_IMP"))
            v = imp;
        else if (title == QLatin1String("NC_CB"))
            v = cab == 2 ? imp : QString();
        else if (title == QLatin1String("STATUS"))
            v = Kind;
        else if (title == QLatin1String("PARENTAIS") && !Soja)
            v = m ? QStringLiteral("MAE: ") + FInfo->codigo_mae
                : p ? QString()
                    : QStringLiteral("Cruza: ") + FInfo->codigo_cruza;
        row[i] = v;
    }
}

void TFCruzaEti_Print_Expo::Add_Etiq_Parentais(bool Soja, int Pag, int& Seq)
{
    OpenRow();
    if (Soja) {
        // The mother's label falls on an odd row: the sheet's pairs start there.
        if (FRows.size() % 2 == 1)
            OpenRow();
        Add_Etiq_Row(QStringLiteral("M"), Soja, Pag, Seq);
        OpenRow();
        Add_Etiq_Row(QStringLiteral("P"), Soja, Pag, ++Seq);
        if (Config()->CAB_ETIQ_FLOR > 0) {
            OpenRow();
            Add_Etiq_Row(QStringLiteral("X"), Soja, Pag, ++Seq);
            OpenRow();
            Add_Etiq_Row(QStringLiteral("X"), Soja, Pag, ++Seq);
        }
    } else {
        if (Config()->CAB_ETIQ_FLOR > 0) {
            Add_Etiq_Row(QStringLiteral("X"), Soja, Pag, Seq++);
            OpenRow();
        }
        Add_Etiq_Row(QStringLiteral("M"), Soja, Pag, Seq);
    }
}

void TFCruzaEti_Print_Expo::StartWait(const QString& Text)
{
    Wait->Show(this);
    Wait->SetText(1, Text);
    Wait->SetText(2, QString());
    Wait->Refresh();
}

void TFCruzaEti_Print_Expo::StopWait()
{
    Wait->Show(nullptr);
}

void TFCruzaEti_Print_Expo::BuildRows(const QString& WaitText, const QString& Prefix, const QString& SQL,
                                      const std::function<void(TADOQuery&, const std::vector<int>&)>& Rows)
{
    StartWait(WaitText);
    // The rows built so far reach the grid also after a failure, before its box.
    bool finished = false;
    const auto finish = [&] {
        if (std::exchange(finished, true))
            return;
        SG->SetRows(std::exchange(FRows, {}));
        StopWait();
    };
    const auto atEnd = qScopeGuard(finish);
    WithQuery(DM->Conn, Prefix, [&](TADOQuery& Q) {
        const auto done = qScopeGuard(finish);
        Q.SQL.setText(SQL);
        Q.Open();
        std::vector<int> fields;   // by grid column: the result column, or -1
        for (int i = 0; i < Cols->Count(); ++i) {
            const QString& f = Cols->Items(i)->FieldName;
            fields.push_back(f.isEmpty() ? -1 : Q.FieldByName(f)->Index());
        }
        Rows(Q, fields);
        return true;
    });
}

void TFCruzaEti_Print_Expo::Load_Etiq_Flor(int Sheet)
{
    const bool soja = CBCultura->currentIndex() == 1;
    const int limit = soja ? Config()->ETIQ_PAG : Config()->ETIQ_PAG + 1;
    TInfoFlor info;
    ClearEtiqFlorRec(&info);
    FInfo = &info;
    const auto forget = qScopeGuard([this] { FInfo = nullptr; });
    const auto rows = [&](TADOQuery& Q, const std::vector<int>& Fields) {
        const TField* ncField = Q.FieldByName(QStringLiteral("nc"));
        const int pag = ColOf("PAG"), seq = ColOf("SEQ"), status = ColOf("STATUS"), parentais = ColOf("PARENTAIS");
        const QString labelKind = QStringLiteral("E");
        int Pag = 1, Seq = 1;
        for (; !Q.Eof(); Q.Next()) {
            if (ncField->AsLargeInt() != FInfo->nc) {
                if (!soja) {
                    LoadInfo(Q);
                    Pag = 1;
                    Seq = 1;
                    DropOpenRow();
                    Add_Etiq_Parentais(false, Pag, Seq);
                    ++Seq;
                    OpenRow();
                } else {
                    if (FInfo->nc > 0 && Seq > 1) {
                        DropOpenRow();
                        Add_Etiq_Parentais(true, Pag, Seq);
                        ++Seq;
                        OpenRow();
                    }
                    LoadInfo(Q);
                    Pag = 1;
                    Seq = 1;
                }
            }
            FillFields(Q, Fields);
            QStringList& row = FRows.back();
            row[pag] = Num(Pag);
            row[seq] = Num(Seq);
            row[status] = labelKind;
            row[parentais] = FParentais;
            if (Seq < limit) {
                ++Seq;
            } else if (!soja) {
                Seq = 1;
                ++Pag;
                Add_Etiq_Parentais(false, Pag, Seq);
                ++Seq;
            } else {
                ++Seq;
                Add_Etiq_Parentais(true, Pag, Seq);
                Seq = 1;
                ++Pag;
            }
            OpenRow();
        }
        // A crossing's last page gets its parents only with two labels on it.
        if (soja && FRows.size() > 2) {
            DropOpenRow();
            if (Seq > 2)
                Add_Etiq_Parentais(true, Pag, Seq);
        }
    };
    BuildRows(QStringLiteral("Carregando Etiquetas de Hibridação."),
              QStringLiteral("Erro ao Consultar Dados das etiquetas de flor (Load_Etiq_Flor): \r\nMsg: "),
              SQL_Etiq_Flor(Sheet), rows);
}

void TFCruzaEti_Print_Expo::Load_Etiq_Parental_Vaso(int Sheet)
{
    const int epoca = ColOf("EPOCA");
    const int copies = int(qte_etiq->Value());
    const int step = int(adic_epoca->Value());
    const auto rows = [&](TADOQuery& Q, const std::vector<int>& Fields) {
        for (; !Q.Eof(); Q.Next()) {
            int copy = 1, season = 1;
            do {
                FillFields(Q, Fields);
                if (epoca >= 0)
                    FRows.back()[epoca] =
                        FormatFloat(QStringLiteral("#,#00"), season, Regional) + QStringLiteral(" EPOCA");
                ++copy;
                season += step;
                OpenRow();
            } while (copy <= copies);
        }
        if (FRows.size() > 2)
            DropOpenRow();
    };
    BuildRows(Sheet == 1 ? QStringLiteral("Carregando Etiquetas de Vaso/Época.")
                         : QStringLiteral("Carregando Etiquetas de Parental."),
              QStringLiteral("Erro ao Consultar Dados das etiquetas de Parental/vaso/época (Load_Etiq_Parental_Vaso): "
                             "\r\nMsg: "),
              SQL_Etiq_Parental_Vaso(), rows);
}

// ---- the label-data file ----------------------------------------------------

void TFCruzaEti_Print_Expo::Export_CSV()
{
    if (!SD->Execute())
        return;
    const QString name = SD->FileName();
    StartWait(QStringLiteral("Exportado dados da Etiqueta."));
    const auto done = qScopeGuard([this] { StopWait(); });

    QList<QStringList> rows;
    rows.reserve(SG->RowCount());
    for (int r = 0; r < SG->RowCount(); ++r)
        rows.append(SG->RowCells(r));
    // The printing tool reads no quoting: a value that would shift its
    // columns or split its line, or that its code page lacks, stops the export.
    const QList<TCellProblem> problems = CheckCells(rows, u';');
    if (!problems.isEmpty()) {
        ShowError(QStringLiteral("Dados não exportados: valores que o arquivo de etiquetas não pode levar.\r\n")
                  + DescribeCellProblems(problems, rows.value(0), 0));
        return;
    }
    if (QFileInfo::exists(name)
        && !Ask(QStringLiteral("O arquivo [") + name + QStringLiteral("] já existe.\r\nSobrescrever?")))
        return;
    QString error;
    if (!WriteFileReplacing(name, SeparatedText(rows, u';', true), error)) {
        ShowError(QStringLiteral("Erro ao exportar arquivo.\r\n") + error);
        return;
    }
    ShowInfo(QStringLiteral("Dados exportado com sucesso.\r\n") + name);
}
