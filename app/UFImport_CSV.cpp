#include "UFImport_CSV.h"

#include "UAppConfig.h"
#include "UDM.h"
#include "UFMain.h"
#include "UXForms.h"
#include "UXLib.h"
#include "XAdo.h"
#include "XAdoTransaction.h"
#include "XAnchors.h"
#include "XCollation.h"
#include "XExceptions.h"
#include "XFileDialogs.h"
#include "XGraphics.h"
#include "XStringGrid.h"
#include "XTextFile.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <climits>
#include <exception>
#include <memory>

using namespace UFImport_CSV;

namespace {

const QString FileFilter = QStringLiteral("Planilha Excel (*.csv)|*.csv|Todos Arquivos (*.*)|*.*");
const QString ReadOnlyMsg = QStringLiteral(
    "O Banco de Dados está com Status SOMENTE CONSULTA.\r\nSomente a opção EXPORTAR está disponível.");
const QString NotNumeric = QStringLiteral("Valor Inválido. Deve ser um valor numérico.");
// The planned-crossing number lives in a floating-point column: past 2^53 it would be stored as another number.
const qint64 MaxWhole = qint64(1) << 53;
// Repaints of the progress label at most this often: a repaint per row would cost more than the row.
const qint64 PaintEveryMs = 40;


TAppConfig* Config()
{
    return FMain ? FMain->AppConfig : nullptr;
}

TADOConnection* Conn()
{
    return DM ? DM->Conn : nullptr;
}



const char* const DeleteSQL[] = {
    "DELETE   FROM  Planejamento_Cruza WHERE (nc = :nc)",
    "DELETE   FROM  Emasculador WHERE (id = :id)",
    "DELETE   FROM  Parental WHERE (id = :id)",
};
const char* const DeleteParam[] = {"nc", "id", "id"};
const char* const DeleteFailure[] = {
    "Erro ao excluir NC do cruzamento cadastrado: ",
    "Erro ao excluir Emasculador cadastrado: ",
    "Erro ao excluir Parental cadastrado: ",
};
// The sheet column holding each kind's key.
const char* const KeyTitle[] = {"NC", "CODIGO", "NC_PARENTAL", "NC_PARENTAL"};

const char* const DataSetSQL[] = {
    "SELECT pc.planejamento, nc, codigo_cruza AS codigo,        tmae.codigo AS  mae, tpai.codigo AS pai,"
    "        pc.rep AS qte_flor,        pc.id_vaso_mae AS id_mae, pc.id_vaso_pai AS id_pai,"
    "         null as f1_agrobase, null as cruza_agrobase, null as lote_semente_f1   FROM (Planejamento_Cruza pc"
    "          LEFT OUTER JOIN Parental tmae            ON (pc.id_vaso_mae = tmae.id))"
    "          LEFT OUTER JOIN Parental tpai            ON (pc.id_vaso_pai = tpai.id)  ORDER BY pc.planejamento, pc.nc ",
    "SELECT id AS codigo, nome   FROM Emasculador ORDER BY id ",
    "SELECT id AS nc_parental, codigo, tratamento AS parental, ggen, null as genealogia,"
    "        null as id_agrobase, null as codigo_fn, null as lote_semente_fn, null as expe_fn, null as parc_fn,"
    "        cflor, cpub   FROM Parental ORDER BY id ",
    "SELECT id AS nc_parental, codigo,         cflor, cpub   FROM Parental ORDER BY id ",
};

bool IsIntegerType(TFieldType Type)
{
    return Type == ftInteger || Type == ftLargeint;
}

// An integer cell as its parameter is bound: white space off both ends, then
// an optional "-" and decimal digits. Anything else, a lone "-" or a control
// character included, is no number; Out is then 0.
bool WholeOf(const QString& Value, qint64& Out, bool& InRange)
{
    const QString s = Value.trimmed();
    Out = 0;
    InRange = false;
    const qsizetype first = s.startsWith(u'-') ? 1 : 0;
    if (s.size() <= first)
        return false;
    for (qsizetype i = first; i < s.size(); ++i)
        if (s.at(i) < u'0' || s.at(i) > u'9')
            return false;
    bool ok = false;
    const qint64 v = s.toLongLong(&ok);
    InRange = ok;
    Out = ok ? v : 0;
    return true;
}

} // namespace

// ---- TColInfo ----------------------------------------------------------------

TColInfo::TColInfo()
{
    Init();
}

void TColInfo::Init()
{
    Title.clear();
    DBField.clear();
    Computed = false;
    Width = 10;
    DataType = ftUnknown;
    Required = false;
    CsvPos = -1;
    DupList.clear();
}

void TColInfo::SetTitle(const QString& Name)
{
    Title = TrimControls(Name).toUpper();
}

void TColInfo::SetWidth(int W)
{
    Width = qMax(10, W);
}

void TColInfo::ResetPos()
{
    CsvPos = -1;
    DupList.clear();
}

// ---- TColsImport ---------------------------------------------------------------

TColsImport::TColsImport() : Cols(new TStringList) {}

TColsImport::~TColsImport()
{
    ClearStrings(Cols);
    delete Cols;
}

bool TColsImport::Add(TColInfo* Col)
{
    for (int i = 0; i < Cols->Count(); ++i) {
        if (Items(i)->Title == Col->Title) {
            ShowError(QStringLiteral("A Coluna [") + Col->Title + QStringLiteral("] está duplicado na configuração a importar"));
            return false;
        }
    }
    Cols->AddObject(Col->Title, Col);
    return true;
}

int TColsImport::Count() const
{
    return Cols->Count();
}

TColInfo* TColsImport::Items(int Index) const
{
    return static_cast<TColInfo*>(Cols->Objects(Index));
}

void TColsImport::Clear()
{
    ClearStrings(Cols);
}

void TColsImport::ResetPositions()
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->ResetPos();
}

void TColsImport::SplitLine(const QString& Line, QStringList& List)
{
    List.clear();
    qsizetype from = 0;
    const qsizetype n = Line.size();
    while (from < n) {
        const qsizetype semi = Line.indexOf(u';', from);
        if (semi < 0) {
            List.append(Line.mid(from));
            break;
        }
        List.append(Line.mid(from, semi - from));
        from = semi + 1;
    }
}

void TColsImport::ParseHeader(const QString& Line)
{
    QStringList cells;
    SplitLine(Line, cells);
    for (int i = 0; i < cells.size(); ++i) {
        const QString t = cells[i].trimmed().toUpper();
        if (t.isEmpty())
            continue;
        TColInfo* col = FindByTitle(t);
        // The program fills the computed columns itself: a sheet's copy of
        // them (an exported file carries the parent ids) is never read.
        if (!col || col->Computed)
            continue;
        if (col->CsvPos != -1) {
            if (!col->DupList.isEmpty())
                col->DupList += QStringLiteral(", ");
            col->DupList += QString::number(col->CsvPos);
        }
        col->CsvPos = i;
    }
}

bool TColsImport::CheckHeader(QString& Msg) const
{
    Msg.clear();
    for (int i = 0; i < Count(); ++i) {
        const TColInfo* col = Items(i);
        const QString head = QStringLiteral("Coluna(") + QString::number(i + 1) + QStringLiteral(")[") + col->Title;
        if (!col->DupList.isEmpty())
            Msg += head + QStringLiteral("] duplicado. ") + QStringLiteral("\r\n");
        if (col->CsvPos == -1 && !col->Computed)
            Msg += head + QStringLiteral("] sem referência na planilha. ") + QStringLiteral("\r\n");
    }
    return !Msg.isEmpty();
}

void TColsImport::HeaderLine(QString& Line) const
{
    Line.clear();
    for (int i = 0; i < Count(); ++i) {
        const TColInfo* col = Items(i);
        if (col->Computed)
            continue;
        Line += (i == 0 ? QString() : QStringLiteral(";")) + col->Title;
    }
}

int TColsImport::GridColOf(const QString& Name) const
{
    const QString t = Name.trimmed().toUpper();
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Title == t)
            return Items(i)->GridCol;
    return -1;
}

TColInfo* TColsImport::FindByTitle(const QString& Name) const
{
    const int i = GridColOf(Name);
    return i < 0 ? nullptr : Items(i);
}

// ---- The window ------------------------------------------------------------------

TFImport_CSV::TFImport_CSV(QWidget* Owner) : TFBCad(Owner)
{
    setObjectName(QStringLiteral("FImport_CSV"));
    setWindowTitle(QStringLiteral("Dados Cadastrais"));
    resize(900, 560);
    ColsImport = new TColsImport;

    GBDados = NewGroup(this, "GBDados", QStringLiteral(" Dados "), QRect(4, 2, 210, 52));
    dados = new QComboBox(GBDados);
    dados->setObjectName(QStringLiteral("dados"));
    dados->setGeometry(8, 20, 194, 24);
    dados->addItems({QStringLiteral("1 - Cruzamento"), QStringLiteral("2 - Emasculadores"), QStringLiteral("3 - Parentais"),
                     QStringLiteral("Parentais - Caracterização")});

    GBOper = NewGroup(this, "GBOper", QStringLiteral(" Operação "), QRect(220, 2, 150, 52));
    CBOper = new QComboBox(GBOper);
    CBOper->setObjectName(QStringLiteral("CBOper"));
    CBOper->setGeometry(8, 20, 134, 24);
    CBOper->addItems({QStringLiteral("1 - Incluir"), QStringLiteral("2 - Excluir"), QStringLiteral("3 - Exportar")});
    CBOper->setCurrentIndex(0);

    BLoadInfo = NewButton(this, "BLoadInfo", QStringLiteral("Carregar BD"), QRect(378, 22, 90, 27));
    BModelo_CSV = NewButton(this, "BModelo_CSV", QStringLiteral("Modelo"), QRect(474, 22, 70, 27));

    GBFile = NewGroup(this, "GBFile", QStringLiteral(" Arquivo "), QRect(550, 2, 340, 52));
    EDFile = new QLineEdit(GBFile);
    EDFile->setObjectName(QStringLiteral("EDFile"));
    EDFile->setGeometry(8, 20, 290, 24);
    EDFile->setReadOnly(true);
    BLoadFile = NewButton(GBFile, "BLoadFile", QStringLiteral("..."), QRect(302, 20, 30, 24));

    SG = new TStringGrid(this);
    SG->setObjectName(QStringLiteral("SG"));
    SG->move(4, 60);
    SG->SetFixedRows(1);
    SG->SetRowSelect(true);
    SG->SetDefaultRowHeight(20);
    SG->OnDrawCell = [this](TStringGrid* Sender, int ACol, int ARow, const QRect& Rect, TGridDrawState State) {
        SGDrawCell(Sender, ACol, ARow, Rect, State);
    };
    SG->hide();

    MErro = new QPlainTextEdit(this);
    MErro->setObjectName(QStringLiteral("MErro"));
    MErro->setReadOnly(true);
    MErro->setLineWrapMode(QPlainTextEdit::NoWrap);

    BErro = NewButton(this, "BErro", QStringLiteral("Erros"), QRect(width() - 243, height() - 31, 75, 25));
    SetAnchors(BErro, akRight | akBottom);
    LErro = new QLabel(QStringLiteral("Linhas Decodificadas: 0   Erros: 0"), this);
    LErro->setObjectName(QStringLiteral("LErro"));
    LErro->setGeometry(8, height() - 27, 400, 20);
    SetAnchors(LErro, akLeft | akBottom);

    PLoad = new QFrame(this);
    PLoad->setObjectName(QStringLiteral("PLoad"));
    PLoad->setFrameShape(QFrame::Panel);
    PLoad->setFrameShadow(QFrame::Raised);
    PLoad->setAutoFillBackground(true);
    PLoad->setGeometry(250, 180, 400, 130);
    GBLoad = NewGroup(PLoad, "GBLoad", QString(), QRect(8, 6, 384, 116));
    PBLoad = new QProgressBar(GBLoad);
    PBLoad->setObjectName(QStringLiteral("PBLoad"));
    PBLoad->setGeometry(12, 28, 360, 22);
    LImportacao = new QLabel(GBLoad);
    LImportacao->setObjectName(QStringLiteral("LImportacao"));
    LImportacao->setGeometry(12, 58, 360, 44);
    QFont big = LImportacao->font();
    big.setPointSize(14);
    big.setBold(true);
    LImportacao->setFont(big);
    SetFontColor(LImportacao, clRed);
    PLoad->hide();

    OD = new TOpenDialog(this);
    OD->setObjectName(QStringLiteral("OD"));
    SD = new TSaveDialog(this);
    SD->setObjectName(QStringLiteral("SD"));
    for (TCommonDialog* d : {static_cast<TCommonDialog*>(OD), static_cast<TCommonDialog*>(SD)}) {
        d->SetDefaultExt(QStringLiteral("*.csv"));
        d->SetFilter(FileFilter);
    }
    QAtu = NewCommand(Conn());
    QAtu->setParent(this);
    QAtu->setObjectName(QStringLiteral("QAtu"));

    BConfirm->setEnabled(false);
    connect(dados, &QComboBox::activated, this, &TFImport_CSV::dadosChange);
    connect(CBOper, &QComboBox::activated, this, &TFImport_CSV::CBOperChange);
    connect(BLoadInfo, &QPushButton::clicked, this, &TFImport_CSV::BLoadInfoClick);
    connect(BModelo_CSV, &QPushButton::clicked, this, &TFImport_CSV::BModelo_CSVClick);
    connect(BLoadFile, &QPushButton::clicked, this, &TFImport_CSV::BLoadFileClick);
    connect(BConfirm, &QPushButton::clicked, this, &TFImport_CSV::BConfirmClick);
    connect(BErro, &QPushButton::clicked, this, &TFImport_CSV::BErroClick);
    FormResize();
    FormCreate();
}

TFImport_CSV::~TFImport_CSV()
{
    delete ColsImport;
}

int TFImport_CSV::Kind() const
{
    return dados->currentIndex();
}

int TFImport_CSV::Oper() const
{
    return CBOper->currentIndex();
}

int TFImport_CSV::Choice_Key() const
{
    return 10 * Kind() + Oper();
}

void TFImport_CSV::FormCreate()
{
    Show_Errors(false);
}

void TFImport_CSV::FormShow()
{
    const TAppConfig* cfg = Config();
    if (!cfg || !cfg->Loaded) {
        ShowError(QStringLiteral("Banco de dados não Conectado."));
        QMetaObject::invokeMethod(this, &TFImport_CSV::BCloseClick, Qt::QueuedConnection);
        return;
    }
    dados->setCurrentIndex(kdCaracParental);
    DadosTag = 3;
    dados->setEnabled(cfg->ExpoCad);
    Set_Oper();
}

void TFImport_CSV::FormResize()
{
    if (!SG)
        return;
    SG->resize(qMax(0, width() - 14), qMax(0, height() - (SG->y() + 62)));
    MErro->setGeometry(SG->geometry());
}

void TFImport_CSV::dadosChange()
{
    Refresh_Grid_State();
    EDFile->clear();
}

void TFImport_CSV::CBOperChange()
{
    Set_Oper();
    // A file named for another operation is never written without its own choice and question.
    EDFile->clear();
}

void TFImport_CSV::Refresh_Grid_State()
{
    const bool inPlace = Choice_Key() == DadosTag;
    SG->setVisible(inPlace);
    // A grid keeps the verdict of its own load: one that came with errors stays refused.
    BConfirm->setEnabled(inPlace && FGridUsable);
    if (Oper() != 0)
        Show_Errors(false);
    Set_Oper_Items();
    Show_Counts();
}

void TFImport_CSV::Set_Oper_Items()
{
    CBOper->setItemText(0, Kind() == kdCaracParental ? QStringLiteral("1 - Atualizar") : QStringLiteral("1 - Incluir"));
}

void TFImport_CSV::Set_Oper()
{
    Refresh_Grid_State();
    const int op = Oper();
    BErro->setVisible(op == 0);
    BLoadInfo->setEnabled(op != 0);
    BConfirm->setText(op == 0 ? QStringLiteral("Incluir") : op == 1 ? QStringLiteral("Excluir") : QStringLiteral("Exportar"));
    GBFile->setEnabled(op != 1);
}

void TFImport_CSV::Setup_Kind()
{
    if (Choice_Key() == DadosTag)
        return;
    ColsImport->Clear();
    Clear_Grid();
    switch (Kind()) {
    case kdCruzamento:
        Cols_Cruzamento();
        break;
    case kdEmasculador:
        Cols_Emasculador();
        break;
    case kdParental:
        Cols_Parental();
        break;
    default:
        Cols_Carac_Parental();
        break;
    }
    DadosTag = Choice_Key();
    FGridUsable = false;
    FErrorCol = ColsImport->GridColOf(QStringLiteral("Msg. Erro"));
    Setup_Grid();
}

void TFImport_CSV::Setup_Grid()
{
    SG->hide();
    SG->SetColCount(ColsImport->Count());
    for (int i = 0; i < ColsImport->Count(); ++i) {
        const TColInfo* col = ColsImport->Items(i);
        SG->SetColWidths(col->GridCol, col->Width);
        SG->SetCells(col->GridCol, 0, col->Title);
    }
    SG->show();
}

void TFImport_CSV::Clear_Grid()
{
    // Emptied and cut to one data row at once, as every caller wants it.
    SG->SetRows({SG->RowCells(0), QStringList()});
}

void TFImport_CSV::Show_Errors(bool Show)
{
    MErro->setGeometry(SG->geometry());
    MErro->setVisible(Show);
    if (Show)
        MErro->raise();
    BErro->setText(Show ? QStringLiteral("Todos") : QStringLiteral("Erros"));
}

void TFImport_CSV::BErroClick()
{
    Show_Errors(MErro->isHidden());
}

void TFImport_CSV::Show_Load_Panel(bool HideBar, bool Show)
{
    PBLoad->setVisible(!HideBar);
    PLoad->setVisible(Show);
    if (Show) {
        PLoad->raise();
        PLoad->repaint();
    }
}

bool TFImport_CSV::Progress_Due(bool Force)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!Force && now - FLastPaint < PaintEveryMs)
        return false;
    FLastPaint = now;
    return true;
}

void TFImport_CSV::Show_Progress(const QString& Text)
{
    LImportacao->setText(Text);
    PLoad->repaint();
}

void TFImport_CSV::Show_Counts()
{
    LErro->setVisible(SG->isVisibleTo(this));
    const int records = SG->RowCount() - 1;
    if (Oper() == 0) {
        const QString text = MErro->toPlainText().trimmed();
        const int errors = text.isEmpty() ? 0 : int(text.count(u'\n')) + 1;
        LErro->setText(QStringLiteral("Linhas Decodificadas: ") + QString::number(records) + QStringLiteral("   Erros: ")
                       + QString::number(errors));
    } else {
        LErro->setText(QStringLiteral("Registros: ") + QString::number(records));
    }
}

// ---- File choice, load, model ------------------------------------------------------

void TFImport_CSV::BLoadFileClick()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    switch (Oper()) {
    case 0: {
        OD->SetInitialDir(appDir);
        if (!OD->Execute())
            return;
        const QString name = OD->FileName();
        if (!QFileInfo(name).isFile()) {
            ShowError(QStringLiteral(" Arquivo não Encontrado. "));
            return;
        }
        Setup_Kind();
        EDFile->setText(name);
        Load_CSV();
        return;
    }
    case 2: {
        if (!SG->isVisibleTo(this)) {
            ShowError(QStringLiteral("Carregue os dados do BD antes de exportar os dados."));
            return;
        }
        SD->SetInitialDir(appDir);
        if (!SD->Execute())
            return;
        const QString name = SD->FileName();
        EDFile->setText(name);
        if (QFileInfo::exists(name)
            && !Ask(QStringLiteral("O arquivo [") + name + QStringLiteral("] já existe.") + QStringLiteral("\r\n")
                    + QStringLiteral("Sobrescrever?")))
            EDFile->clear();
        return;
    }
    default:
        return;
    }
}

bool TFImport_CSV::Read_Lines(const QString& FileName, QStringList& Lines)
{
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EInOutError(f.errorString());
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw EInOutError(f.errorString());
    TStringList list;
    list.SetText(DecodeTextFile(bytes));
    Lines = list.ToStringList();
    return !Lines.isEmpty();
}

void TFImport_CSV::Load_CSV()
{
    const QString name = EDFile->text();
    BLoadFile->setEnabled(false);
    BConfirm->setEnabled(false);
    FGridUsable = false;
    int dataLines = 0;
    QStringList errors;
    const bool read = Reported(QStringLiteral("Erro ao carregar a planilha [") + name + QStringLiteral("].\r\nMsg.: "), [&] {
        QStringList lines;
        if (!Read_Lines(name, lines)) {
            ShowError(QStringLiteral("Erro ao abrir o arquivo e/ou arquivo sem conteúdo: ") + name);
            return true;
        }
        MErro->clear();
        ColsImport->ResetPositions();
        Clear_Grid();
        ColsImport->ParseHeader(lines.first());
        QString msg;
        if (ColsImport->CheckHeader(msg)) {
            msg = QStringLiteral("Erros encontrados na Planilha: \r\n") + msg;
            MErro->setPlainText(msg);
            ShowError(msg);
            errors << msg;
            return true;
        }
        Show_Load_Panel(true, true);
        PBLoad->setValue(0);
        GBLoad->setTitle(QStringLiteral(" Importando Planilha "));
        std::vector<QStringList> rows;
        Check_Lines(lines, rows, errors);
        dataLines = int(rows.size());
        rows.insert(rows.begin(), SG->RowCells(0));
        SG->SetRows(std::move(rows));
        if (SG->RowCount() < 2)
            SG->SetRowCount(2);
        MErro->setPlainText(errors.join(QStringLiteral("\r\n")));
        return true;
    });
    if (!read) {
        // What was read is not what the file holds: nothing of it stays.
        MErro->clear();
        Clear_Grid();
        dataLines = 0;
    }
    BLoadFile->setEnabled(true);
    Show_Counts();
    Show_Load_Panel(false, false);
    FGridUsable = read && errors.isEmpty() && dataLines > 0;
    BConfirm->setEnabled(FGridUsable);
}

void TFImport_CSV::Check_Lines(const QStringList& Lines, std::vector<QStringList>& Rows, QStringList& Errors)
{
    FFirstRow.clear();
    FParentIds.clear();
    FInUse.clear();
    FInUseRead = FInUseFailed = false;
    FParentals.clear();
    FParentalsRead = FParentalsFailed = false;
    FExpectedRows = int(Lines.size()) - 1;
    Rows.reserve(size_t(FExpectedRows));
    QStringList cells;
    for (int r = 1; r < Lines.size(); ++r) {
        TColsImport::SplitLine(Lines[r], cells);
        QStringList row(ColsImport->Count());
        QString rowErr;
        FRowNo = r;
        Check_Row(cells, row, rowErr);
        if (!rowErr.isEmpty()) {
            if (FErrorCol >= 0)
                row[FErrorCol] = rowErr;
            Errors << QStringLiteral("Linha(") + QString::number(r + 1) + QStringLiteral("): ") + rowErr;
        }
        Rows.push_back(std::move(row));
        if (Progress_Due(r + 1 == Lines.size()))
            Show_Progress(QStringLiteral("Linhas Importadas: ") + QString::number(r));
    }
    FRow = nullptr;
}

void TFImport_CSV::BModelo_CSVClick()
{
    SD->SetInitialDir(QCoreApplication::applicationDirPath());
    SD->SetFileName(Model_File_Name(Kind()));
    if (!SD->Execute())
        return;
    const QString name = SD->FileName();
    if (QFileInfo::exists(name)) {
        ShowError(QStringLiteral(" Não é possível sobrescrever o arquivo [") + name + QStringLiteral("]. "));
        return;
    }
    Setup_Kind();
    Save_Model(name);
}

QString TFImport_CSV::Model_File_Name(int Kind)
{
    static const char* const names[] = {"Modelo_Cruzamento.csv", "Modelo_Emasculador.csv", "Modelo_Parental.csv",
                                        "Modelo_Carac_Parental.csv"};
    return QLatin1String(names[qBound(0, Kind, 3)]);
}

bool TFImport_CSV::Save_Model(const QString& FileName)
{
    QString line;
    ColsImport->HeaderLine(line);
    QString error;
    if (!WriteFileReplacing(FileName, SeparatedText({QStringList{line}}, u';', false), error)) {
        ShowError(QStringLiteral("Erro ao salvar modelo.\r\nErro: ") + error);
        return false;
    }
    ShowInfo(QStringLiteral("Modelo gerado com sucesso."));
    return true;
}

// ---- Confirm: import, delete-all, export ------------------------------------------------

void TFImport_CSV::BLoadInfoClick()
{
    if (Oper() == 0)
        return;
    Setup_Kind();
    FGridUsable = Prepare_DataSet();
    BConfirm->setEnabled(FGridUsable);
    Show_Counts();
}

void TFImport_CSV::BConfirmClick()
{
    const TAppConfig* cfg = Config();
    if (cfg && cfg->TAL_LOCK == 2 && Oper() != 2) {
        ShowError(ReadOnlyMsg);
        return;
    }
    switch (Oper()) {
    case 0:
        Import_Data();
        break;
    case 1:
        Delete_All();
        break;
    default:
        Export_Data();
        break;
    }
}

void TFImport_CSV::Import_Data()
{
    if (!Ask(QStringLiteral("Confirma a importação dos Dados?\r\nCaso haja tratamentos com DADOS duplicados no banco de "
                            "dados serão SUBSTITUÍDOS.")))
        return;
    const int n = SG->RowCount() - 1;
    PBLoad->setMaximum(n);
    PBLoad->setValue(0);
    GBLoad->setTitle(QStringLiteral(" Importando Dados "));
    Show_Load_Panel(false, true);
    int count = 0;
    FInsertParams.clear();
    // Every row commits on its own; the log is folded back less often meanwhile.
    TADOCheckpointSpacing spacing(Conn(), 10000);
    Reported(QStringLiteral("Erro ao Importar Dados.\r\n Erro: "), [&] {
        for (int r = 1; r <= n; ++r) {
            if (Progress_Due(r == n)) {
                PBLoad->setValue(r);
                Show_Progress(QStringLiteral("Linhas Processadas: ") + QString::number(r) + QStringLiteral("   Importar: ")
                              + QString::number(n));
            }
            if (Kind() == kdCaracParental ? Update_Parental(r) : Import_Row(r))
                ++count;
        }
        return true;
    });
    ShowInfo(QStringLiteral("Importação Concluída.\r\nLinhas Importadas com sucesso: ") + QString::number(count)
             + QStringLiteral("\r\n") + QStringLiteral("Linhas Descartadas: ") + QString::number(n - count));
    Show_Load_Panel(false, false);
}

QString TFImport_CSV::Stamp()
{
    // The local time text changes once a second; the clock is read cheaply in between.
    const qint64 second = QDateTime::currentMSecsSinceEpoch() / 1000;
    if (second != FStampSecond) {
        FStampSecond = second;
        FStamp = NowStr();
    }
    return FStamp;
}

bool TFImport_CSV::Import_Row(int Row)
{
    const int kind = Kind();
    QStringList messages;
    bool ok = false;
    try {
        // The delete and the insert of a row stand or fall together: a refused
        // insert leaves the stored row of its key as it was.
        TADOTransaction transaction(Conn());
        try {
            if (!FDelete) {
                FDelete = NewCommand(Conn());
                FDelete->setParent(this);
            }
            const QString sql = QLatin1String(DeleteSQL[kind]);
            if (FDelete->CommandText() != sql)
                FDelete->setCommandText(sql);
            TParameter* p = FDelete->Parameters.ParamByName(QLatin1String(DeleteParam[kind]));
            const TColInfo* key = ColsImport->FindByTitle(QLatin1String(KeyTitle[kind]));
            p->DataType = key->DataType;
            p->Value = Param_Value(key, Row);
            FDelete->Execute();
        } catch (...) {
            messages << QLatin1String(DeleteFailure[kind]) + ExceptionMessage(std::current_exception());
        }
        // Rows that leave the same cells empty share one statement and its parameters.
        quint64 mask = 0;
        for (int i = 0; i < ColsImport->Count(); ++i)
            if (!ColsImport->Items(i)->DBField.isEmpty() && !SG->Cells(ColsImport->Items(i)->GridCol, Row).isEmpty())
                mask |= quint64(1) << i;
        if (mask != FInsertMask || FInsertParams.empty()) {
            QString columns, params;
            Build_Insert_Lists(Row, columns, params);
            QAtu->setCommandText(QStringLiteral("INSERT INTO ") + Table_Name(kind) + QStringLiteral(" (") + columns
                                 + QStringLiteral(" ) values ( ") + params + QStringLiteral(")"));
            FInsertMask = mask;
            FInsertParams.assign(size_t(ColsImport->Count()), nullptr);
            for (int i = 0; i < ColsImport->Count(); ++i) {
                const TColInfo* col = ColsImport->Items(i);
                if (mask & (quint64(1) << i)) {
                    FInsertParams[size_t(i)] = QAtu->Parameters.ParamByName(col->DBField);
                    FInsertParams[size_t(i)]->DataType = col->DataType;
                }
            }
            auto set = [&](const QString& Name, TFieldType Type, const QVariant& Value) {
                TParameter* p = QAtu->Parameters.ParamByName(Name);
                p->DataType = Type;
                p->Value = Value;
            };
            set(QStringLiteral("usua"), ftString, QStringLiteral("IMPORTACAO"));
            set(QStringLiteral("cmaq"), ftString, Config() ? Config()->ComputerName : QString());
            if (kind == kdParental)
                set(QStringLiteral("upd_tal"), ftInteger, 0);
            FStampParam = QAtu->Parameters.ParamByName(QStringLiteral("dupd"));
            FStampParam->DataType = ftString;
        }
        for (int i = 0; i < ColsImport->Count(); ++i)
            if (TParameter* p = FInsertParams[size_t(i)])
                p->Value = Param_Value(ColsImport->Items(i), Row);
        FStampParam->Value = Stamp();
        QAtu->Execute();
        transaction.Commit();
        ok = true;
    } catch (...) {
        const std::exception_ptr e = std::current_exception();
        messages << QStringLiteral("Erro ao Importar Dados.\r\n Erro: (") + ExceptionClassName(e) + QStringLiteral(")  ")
                        + ExceptionMessage(e);
    }
    // Shown once the row's transaction is over, so no box waits on the file's write lock.
    for (const QString& m : std::as_const(messages))
        ShowError(m);
    return ok;
}

QVariant TFImport_CSV::Param_Value(const TColInfo* Col, int Row) const
{
    // An integer goes to the database as the check read it, not as text to be read again.
    const QString cell = SG->Cells(Col->GridCol, Row);
    qint64 v = 0;
    bool inRange = false;
    if (IsIntegerType(Col->DataType) && WholeOf(cell, v, inRange) && inRange)
        return QVariant(qlonglong(v));
    return QVariant(cell);
}

void TFImport_CSV::Build_Insert_Lists(int Row, QString& Columns, QString& Params)
{
    QStringList names;
    for (int i = 0; i < ColsImport->Count(); ++i) {
        const TColInfo* col = ColsImport->Items(i);
        if (!col->DBField.isEmpty() && !SG->Cells(col->GridCol, Row).isEmpty())
            names << col->DBField;
    }
    names << QStringLiteral("dupd") << QStringLiteral("usua") << QStringLiteral("cmaq");
    // UPD_TAL admits no Null and has no default: a new parental is not characterised yet.
    if (Kind() == kdParental)
        names << QStringLiteral("upd_tal");
    Columns = names.join(QStringLiteral(", "));
    Params = u':' + names.join(QStringLiteral(", :"));
}

bool TFImport_CSV::Update_Parental(int Row)
{
    return Reported(QStringLiteral("Erro ao Atualizar dados do Parental: "), [&] {
        const QString sql = QStringLiteral("UPDATE Parental   SET cflor = :cflor, cpub = :cpub, upd_tal = :upd_tal  WHERE (id = :id)");
        if (QAtu->CommandText() != sql)
            QAtu->setCommandText(sql);
        auto set = [&](const char* Name, TFieldType Type, const QVariant& Value) {
            TParameter* p = QAtu->Parameters.ParamByName(QLatin1String(Name));
            p->DataType = Type;
            p->Value = Value;
        };
        // Written as checked: trimmed.
        set("cflor", ftString, TrimControls(SG->Cells(ColsImport->GridColOf(QStringLiteral("CFLOR")), Row)));
        set("cpub", ftString, TrimControls(SG->Cells(ColsImport->GridColOf(QStringLiteral("CPUB")), Row)));
        set("upd_tal", ftInteger, 1);
        set("id", ftInteger, Param_Value(ColsImport->FindByTitle(QStringLiteral("NC_PARENTAL")), Row));
        QAtu->Execute();
        return true;
    });
}

QString TFImport_CSV::Table_Name(int Kind)
{
    static const char* const names[] = {"Planejamento_Cruza", "Emasculador", "Parental", "Parental"};
    return QLatin1String(names[qBound(0, Kind, 3)]);
}

bool TFImport_CSV::Can_Delete_All()
{
    const int kind = Kind();
    if (kind == kdCaracParental)
        return false;
    const bool labels = kind != kdParental;
    int count = -1;
    WithQuery(Conn(),
              labels ? QStringLiteral("Erro ao consultar a quantidade de etiquetas.\r\nMsg.: ")
                     : QStringLiteral("Erro ao consultar a quantidade de cruzamento cadastrado.\r\nMsg.: "),
              [&](TADOQuery& q) {
                  q.SQL.setText(labels ? QStringLiteral("SELECT COUNT(1) AS qte_etiq   FROM Etiqueta_Cruza")
                                       : QStringLiteral("SELECT COUNT(1) AS qte_cruza   FROM Cruza"));
                  q.Open();
                  count = q.Eof() ? 0 : q.Fields(0)->AsInteger();
                  return true;
              });
    if (count > 0)
        ShowError(labels ? QStringLiteral("Há etiquetas de cruzamento gerado.\r\nPara excluir os cruzamentos, deve-se excluir as etiquetas.")
                         : QStringLiteral("Há Cruzamento cadastrado/colhido.\r\nOs dados não podem ser excluídos."));
    return count == 0;
}

void TFImport_CSV::Delete_All()
{
    if (!Can_Delete_All())
        return;
    if (!Ask(QStringLiteral("Confirma a Exclusão dos dados?")))
        return;
    const bool done = Reported(QStringLiteral("Erro na exclusão dos dados.\r\nMsg.: "), [&] {
        std::unique_ptr<TADOCommand> cmd(NewCommand(Conn()));
        cmd->setCommandText(QStringLiteral("DELETE FROM ") + Table_Name(Kind()));
        cmd->Execute();
        return true;
    });
    if (!done)
        return;
    ShowInfo(QStringLiteral("Exclusão dos dados realizado com sucesso."));
    DadosTag = -1;
    FGridUsable = false;
    Refresh_Grid_State();
}

bool TFImport_CSV::Prepare_DataSet()
{
    FMissingFields.clear();
    const bool loaded = WithQuery(Conn(), QStringLiteral("Erro ao executar consulta (Prepare_DataSet).\r\nMsg.: "), [&](TADOQuery& q) {
        q.SQL.setText(QLatin1String(DataSetSQL[qBound(0, Kind(), 3)]));
        q.Open();
        if (q.IsEmpty())
            return false;
        return Load_DataSet(&q);
    });
    if (!FMissingFields.isEmpty())
        ShowError(QStringLiteral("A(s) Field(s) ") + FMissingFields + QStringLiteral(" não consta no DATASET."));
    return loaded;
}

bool TFImport_CSV::Load_DataSet(TADOQuery* DataSet)
{
    QStringList missing;
    std::vector<int> fields(size_t(ColsImport->Count()), -1);
    for (int i = 0; i < ColsImport->Count(); ++i) {
        fields[size_t(i)] = DataSet->FieldIndex(ColsImport->Items(i)->Title);
        if (fields[size_t(i)] < 0)
            missing << ColsImport->Items(i)->Title;
    }
    if (!missing.isEmpty()) {
        // Shown by the caller once the query is closed.
        FMissingFields = missing.join(QStringLiteral(", "));
        return false;
    }
    std::vector<QStringList> rows;
    rows.reserve(size_t(DataSet->RecordCount()));
    for (DataSet->First(); !DataSet->Eof(); DataSet->Next()) {
        QStringList row(ColsImport->Count());
        for (int i = 0; i < ColsImport->Count(); ++i) {
            const TField* field = DataSet->Fields(fields[size_t(i)]);
            // A whole number is written out in all its digits, however large, so that it reads back the same.
            row[ColsImport->Items(i)->GridCol] = ColsImport->Items(i)->DataType == ftLargeint && !field->IsNull()
                                                     ? QString::number(field->AsLargeInt())
                                                     : field->AsString();
        }
        rows.push_back(std::move(row));
    }
    rows.insert(rows.begin(), SG->RowCells(0));
    SG->SetRows(std::move(rows));
    return true;
}

void TFImport_CSV::Export_Data()
{
    const QString name = EDFile->text();
    if (name.isEmpty()) {
        ShowError(QStringLiteral("Informe o nome do arquivo para a qual será exportado os dados."));
        return;
    }
    const QString failure = QStringLiteral("Erro ao exportar os dados para o arquivo [") + name + QStringLiteral("]")
                            + QStringLiteral("\r\n") + QStringLiteral("Msg.: ");
    QList<QStringList> rows;
    rows.reserve(SG->RowCount());
    for (int r = 0; r < SG->RowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < SG->ColCount(); ++c)
            row << SG->Cells(c, r);
        rows << row;
    }
    // A value the next import would split or could not read is refused before anything is written.
    const QList<TCellProblem> problems = CheckCells(rows, u';');
    if (!problems.isEmpty()) {
        ShowError(failure + DescribeCellProblems(problems, rows.first(), 1));
        return;
    }
    QString error;
    if (!WriteFileReplacing(name, SeparatedText(rows, u';', true), error)) {
        ShowError(failure + error);
        return;
    }
    ShowInfo(QStringLiteral("Dados exportados com sucesso."));
}

void TFImport_CSV::SGDrawCell(TStringGrid* Sender, int ACol, int ARow, const QRect& Rect, TGridDrawState State)
{
    Q_UNUSED(State);
    if (ARow < 1)
        return;
    TGridCanvas* canvas = Sender->Canvas();
    const bool error = FErrorCol >= 0 && FErrorCol < Sender->ColCount() && !Sender->Cells(FErrorCol, ARow).isEmpty();
    if (!error && ARow % 2 != 0)
        return;
    canvas->Brush.Color = error ? QColor(255, 0, 0) : QColor(128, 128, 128);
    canvas->Font.Color = Qt::black;
    canvas->CellText(Rect, Sender->Cells(ACol, ARow));
}

// ---- Kinds and their checks ------------------------------------------------------

void TFImport_CSV::Add_Col(const char* Title, const char* DBField, TFieldType Type, bool Required, bool Computed, int Width)
{
    auto* col = new TColInfo;
    col->SetTitle(QString::fromUtf8(Title));
    col->DBField = QLatin1String(DBField);
    col->DataType = Type;
    col->Required = Required;
    col->Computed = Computed;
    col->SetWidth(Width);
    col->GridCol = ColsImport->Count();
    if (!ColsImport->Add(col))
        delete col;
}

void TFImport_CSV::Add_Error_Col(int Oper)
{
    if (Oper == 0)
        Add_Col("Msg. Erro", "", ftString, false, true, 400);
}

void TFImport_CSV::Cols_Cruzamento()
{
    Add_Col("PLANEJAMENTO", "planejamento", ftString, true, false, 150);
    Add_Col("NC", "nc", ftLargeint, true, false, 80);
    Add_Col("CODIGO", "codigo_cruza", ftString, true, false, 150);
    Add_Col("MAE", "", ftString, true, false, 150);
    Add_Col("PAI", "", ftString, true, false, 150);
    Add_Col("QTE_FLOR", "rep", ftInteger, true, false, 70);
    Add_Col("ID_MAE", "id_vaso_mae", ftInteger, false, true, 50);
    Add_Col("ID_PAI", "id_vaso_pai", ftInteger, false, true, 50);
    Add_Col("F1_AGROBASE", "f1_agrobase", ftString, false, false, 150);
    Add_Col("CRUZA_AGROBASE", "cruza_agrobase", ftString, false, false, 150);
    Add_Col("LOTE_SEMENTE_F1", "lote_semente_f1", ftString, false, false, 120);
    Add_Error_Col(Oper());
}

void TFImport_CSV::Cols_Emasculador()
{
    Add_Col("CODIGO", "id", ftInteger, true, false, 70);
    Add_Col("NOME", "nome", ftString, true, false, 300);
    Add_Error_Col(Oper());
}

void TFImport_CSV::Cols_Parental()
{
    Add_Col("NC_PARENTAL", "id", ftInteger, true, false, 100);
    Add_Col("CODIGO", "codigo", ftString, true, false, 150);
    Add_Col("PARENTAL", "tratamento", ftString, true, false, 150);
    Add_Col("GGEN", "ggen", ftString, false, false, 50);
    Add_Col("GENEALOGIA", "genealogia", ftString, false, false, 300);
    Add_Col("CFLOR", "cflor", ftString, false, false, 50);
    Add_Col("CPUB", "cpub", ftString, false, false, 50);
    Add_Col("ID_AGROBASE", "id_agrobase", ftString, false, false, 100);
    Add_Col("EXPE_FN", "expe_fn", ftString, false, false, 150);
    Add_Col("PARC_FN", "parc_fn", ftString, false, false, 80);
    Add_Col("CODIGO_FN", "codigo_fn", ftString, false, false, 150);
    Add_Col("LOTE_SEMENTE_FN", "lote_semente_fn", ftString, false, false, 120);
    Add_Error_Col(Oper());
}

void TFImport_CSV::Cols_Carac_Parental()
{
    Add_Col("NC_PARENTAL", "id", ftInteger, true, false, 100);
    Add_Col("CODIGO", "codigo", ftString, true, false, 150);
    Add_Col("CFLOR", "cflor", ftString, false, false, 50);
    Add_Col("CPUB", "cpub", ftString, false, false, 50);
    Add_Error_Col(Oper());
}

void TFImport_CSV::Add_Msg(QString& List, const QString& Item)
{
    List = List.isEmpty() ? Item : List + QStringLiteral(", ") + Item;
}

void TFImport_CSV::Check_Row(const QStringList& Cells, QStringList& Row, QString& RowErr)
{
    FRow = &Row;
    for (int i = 0; i < ColsImport->Count(); ++i) {
        TColInfo* col = ColsImport->Items(i);
        if (col->CsvPos == -1)
            continue;
        const QString value = col->CsvPos < Cells.size() ? Cells[col->CsvPos] : QString();
        if (col->Required && value.isEmpty()) {
            Add_Msg(RowErr, col->Title + QStringLiteral(" não pode ser vazio."));
            continue;
        }
        Row[col->GridCol] = value;
        Valid_Cell(value, col, RowErr);
    }
    if (Kind() == kdCaracParental && RowErr.isEmpty()) {
        int nc = 0;
        Int32Of(Row[ColsImport->GridColOf(QStringLiteral("NC_PARENTAL"))], nc);
        Valid_NC_X_COD(nc, Row[ColsImport->GridColOf(QStringLiteral("CODIGO"))], RowErr);
    }
}

bool TFImport_CSV::Int32Of(const QString& Value, int& Out) const
{
    qint64 v = 0;
    bool inRange = false;
    const bool ok = WholeOf(Value, v, inRange) && inRange && v >= INT_MIN && v <= INT_MAX;
    Out = ok ? int(v) : 0;
    return ok;
}

void TFImport_CSV::Valid_Cell(const QString& Value, TColInfo* Col, QString& RowErr)
{
    const int kind = Kind();
    const QString& t = Col->Title;
    QString msg;
    bool failed = false;
    auto is = [&](const char* Title) { return t == QLatin1String(Title); };
    if ((kind == kdCruzamento && (is("NC") || is("CODIGO"))) || (kind != kdCruzamento && (is("CODIGO") || is("NC_PARENTAL")))) {
        failed = Is_Duplicated(Value, Col->GridCol, msg);
        if (!failed && is("NC_PARENTAL") && kind == kdParental)
            failed = Parental_In_Use(Value, msg);
        if (!failed && is("NC_PARENTAL"))
            failed = Check_Barcode_Digits(Value, msg);
    } else if (kind == kdCruzamento && (is("MAE") || is("PAI"))) {
        failed = !Valid_Parental(Value, Col->GridCol, msg);
    } else if (kind == kdCaracParental && (is("CFLOR") || is("CPUB"))) {
        if (!Check_Max_Len(TrimControls(Value), 10)) {
            Add_Msg(RowErr, t + QStringLiteral(" excedeu o tamanho máximo da informação [10 Caracteres]."));
            return;
        }
    }
    // A value the statements could not bind as its integer is refused here, not by the database at import.
    if (!failed && IsIntegerType(Col->DataType) && !Col->Computed) {
        const bool large = Col->DataType == ftLargeint;
        const qint64 low = large ? -MaxWhole : INT_MIN, high = large ? MaxWhole : INT_MAX;
        qint64 v = 0;
        bool inRange = false;
        if (!WholeOf(Value, v, inRange)) {
            failed = true;
            msg = NotNumeric;
        } else if (!inRange || v < low || v > high) {
            failed = true;
            msg = QStringLiteral("Valor Inválido. Deve estar entre %1 e %2.").arg(low).arg(high);
        }
    }
    if (failed)
        Add_Msg(RowErr, t + QStringLiteral(" ") + msg);
}

bool TFImport_CSV::Is_Duplicated(const QString& Value, int GridCol, QString& Msg)
{
    // The first row of each value, kept as the rows are read: the same first
    // earlier row a walk over the grid would find. A value repeats only as the
    // same text; "ABC" and "abc" are two values here.
    QHash<QString, int>& first = FFirstRow[GridCol];
    if (first.isEmpty())
        first.reserve(FExpectedRows);
    const auto it = first.constFind(Value);
    if (it == first.constEnd()) {
        first.insert(Value, FRowNo);
        return false;
    }
    Msg = QStringLiteral("duplicado na linha (") + QString::number(it.value()) + QStringLiteral(").");
    return true;
}

bool TFImport_CSV::Valid_Parental(const QString& Code, int GridCol, QString& Msg)
{
    // Each code is asked once, and codes the database look-up finds alike
    // (letter case aside) share its answer; a failed query is not remembered.
    int id;
    const QString key = XAdo::CodeKey(Code);
    const auto it = FParentIds.constFind(key);
    if (it != FParentIds.constEnd()) {
        id = it.value();
    } else {
        bool asked = true;
        id = -2;
        Reported(QStringLiteral("Erro ao consultar Parental referenciado no Cruzamento: "), [&] {
            asked = false;
            id = Get_ID_Parental(Code);
            asked = true;
            return true;
        });
        if (asked)
            FParentIds.insert(key, id);
    }
    if (id == -2) {
        Msg = QStringLiteral(" Parental não Cadastrado.");
        return false;
    }
    const bool mother = ColsImport->Items(GridCol)->Title == QLatin1String("MAE");
    const int target = ColsImport->GridColOf(mother ? QStringLiteral("ID_MAE") : QStringLiteral("ID_PAI"));
    if (FRow && target >= 0)
        (*FRow)[target] = QString::number(id);
    return true;
}

int TFImport_CSV::Get_ID_Parental(const QString& Code)
{
    std::unique_ptr<TADOQuery> q(NewQuery(Conn()));
    const XAdo::TTypedCode code(QStringLiteral("codigo"), Code);
    q->SQL.setText(QStringLiteral("SELECT id   FROM  Parental WHERE ") + code.Condition());
    code.Bind(q->Parameters);
    q->Open();
    return q->Eof() ? -2 : q->Fields(0)->AsInteger();
}

bool TFImport_CSV::Load_In_Use()
{
    if (FInUseRead)
        return !FInUseFailed;
    FInUseRead = true;
    // One read of the planned parents for the whole sheet; a crossing whose
    // two parents are the same pot counts once, as the count of its rows does.
    FInUseFailed = !WithQuery(Conn(), QStringLiteral("Erro ao consultar Parental utilizado no Planejamento Cruza: "), [&](TADOQuery& q) {
        q.SQL.setText(QStringLiteral("SELECT id_vaso_mae, id_vaso_pai   FROM  Planejamento_Cruza"));
        q.Open();
        for (; !q.Eof(); q.Next()) {
            const int mother = q.Fields(0)->AsInteger();
            const int father = q.Fields(1)->AsInteger();
            ++FInUse[mother];
            if (father != mother)
                ++FInUse[father];
        }
        return true;
    });
    return !FInUseFailed;
}

bool TFImport_CSV::Parental_In_Use(const QString& Value, QString& Msg)
{
    if (!Load_In_Use()) {
        // A check that could not run does not pass.
        Msg = QStringLiteral("Não foi possível verificar o uso do Parental.");
        return true;
    }
    int id = 0;
    // A value that is no 32-bit number names no stored pot; the checks after this one refuse it.
    if (!Int32Of(Value, id))
        return false;
    const int count = FInUse.value(id);
    if (count <= 0)
        return false;
    Msg = QStringLiteral("Parental já referenciado em ") + QString::number(count) + QStringLiteral(" cruzamentos.");
    return true;
}

bool TFImport_CSV::Check_Barcode_Digits(const QString& Value, QString& Msg)
{
    qint64 v = 0;
    bool inRange = false;
    if (!WholeOf(Value, v, inRange)) {
        Msg = NotNumeric;
        return true;
    }
    const int length = Config() ? Config()->ParentalCodeLength() : 0;
    if (DigitCount(Value.trimmed().toDouble()) > length) {
        Msg = QStringLiteral("O número de dígitos do campo excede o tamanho máximo do Padrão de Código de Barra selecionado.");
        return true;
    }
    return false;
}

bool TFImport_CSV::Check_Max_Len(const QString& Text, int Max)
{
    return Text.size() <= Max;
}

bool TFImport_CSV::Load_Parentals()
{
    if (FParentalsRead)
        return !FParentalsFailed;
    FParentalsRead = true;
    FParentalsFailed = !WithQuery(Conn(), QStringLiteral("Erro ao conferir dados de parental a importar (Valid_NC_X_COD): "),
                                  [&](TADOQuery& q) {
                                      q.SQL.setText(QStringLiteral("SELECT  id, codigo   FROM  Parental"));
                                      q.Open();
                                      for (; !q.Eof(); q.Next())
                                          FParentals.insert(q.Fields(0)->AsInteger(), q.Fields(1)->AsString());
                                      return true;
                                  });
    return !FParentalsFailed;
}

void TFImport_CSV::Valid_NC_X_COD(int NC, const QString& Code, QString& RowErr)
{
    if (!Load_Parentals()) {
        RowErr = QStringLiteral("Não foi possível conferir o NC Parental.");
        return;
    }
    // The sheet's code must be the stored one as it stands, letter case included.
    const auto it = FParentals.constFind(NC);
    if (it == FParentals.constEnd())
        RowErr = QStringLiteral("NC Parental não Cadastrado. ");
    else if (it.value() != Code)
        RowErr = QStringLiteral("Código do Vaso não confere com o NC Parental relacionado.");
}
