#include "UFMain.h"

#include "UAppConfig.h"
#include "UDBTables.h"
#include "UDBVersion.h"
#include "UDM.h"
#include "UFAppConfig.h"
#include "UFConfigDB.h"
#include "UFCruzaEti_Cons.h"
#include "UFCruzaParental_Cons.h"
#include "UFCruzaEti_Baixa_Cad.h"
#include "UFCruzaEti_Cad.h"
#include "UFCruzaEti_Flor_Cad.h"
#include "UFCruzaEti_Print_Expo.h"
#include "UFImport_CSV.h"
#include "UFCruza_Emasculador_Cons.h"
#include "UFCruza_Parental_Pivot_Cons.h"
#include "UFCruza_Planejado_Cons.h"
#include "UFEti_Hibridacao_Cons.h"
#include "UTBStruct_DB.h"
#include "UXForms.h"
#include "UXLib.h"
#include "UXWait.h"
#include "XAdo.h"
#include "XApplication.h"
#include "XExceptions.h"
#include "XMdi.h"
#include "XMediaPlayer.h"
#include "XStringList.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include <exception>
#include <memory>

TFMain* FMain = nullptr;

namespace {

const QString LockedMessage = QStringLiteral("Banco de dados devolvido não pode ser editado.");

// Opens the window of class T once: a second request brings the open one forward.
template <class T>
QWidget* OpenChild()
{
    return ShowMDIChild<T>(false, true);
}

// Window and frame moved inside its screen's free area, made smaller as far
// as they do not fit.
void KeepInside(QWidget* Window)
{
    const QRect Free = Window->screen()->availableGeometry();
    QRect Frame = Window->frameGeometry();
    if (Free.contains(Frame))
        return;
    const QRect Client = Window->geometry();
    const QMargins Border(Client.left() - Frame.left(), Client.top() - Frame.top(), Frame.right() - Client.right(),
                          Frame.bottom() - Client.bottom());
    Frame.setSize(Frame.size().boundedTo(Free.size()));
    Frame.moveTo(qBound(Free.left(), Frame.left(), Free.right() + 1 - Frame.width()),
                 qBound(Free.top(), Frame.top(), Free.bottom() + 1 - Frame.height()));
    Window->setGeometry(Frame.marginsRemoved(Border));
}

} // namespace

TFMain::TFMain(QWidget* Parent)
    : QMainWindow(Parent)
{
    if (!FMain)
        FMain = this;
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(QStringLiteral("Cadastro Hibridação - Talvora"));

    ClientArea = NewMDIArea(this);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(ClientArea);

    MM = menuBar();
    MM->setObjectName(QStringLiteral("MM"));
    AL = new QObject(this);
    AL->setObjectName(QStringLiteral("AL"));
    BuildMenu();

    StatusBar = statusBar();
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    const int Widths[3] = {100, 200, 400};
    const QString Texts[3] = {QStringLiteral("Conexao"), QStringLiteral("Configuração"), QStringLiteral("Banco de Dados")};
    for (int i = 0; i < 3; ++i) {
        Panels[i] = new QLabel(Texts[i], StatusBar);
        Panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
        Panels[i]->setFrameShape(QFrame::Panel);
        Panels[i]->setFrameShadow(QFrame::Sunken);
        Panels[i]->setFixedWidth(Widths[i]);
        StatusBar->addWidget(Panels[i]);
    }

    MPlayer = new TMediaPlayer(this);
    MPlayer->setObjectName(QStringLiteral("MPlayer"));

    // Centred on the screen when it is restored from maximised.
    resize(800, 600);
    if (const QScreen* Screen = QGuiApplication::primaryScreen())
        move(Screen->availableGeometry().center() - rect().center());
    setWindowState(Qt::WindowMaximized);

    AppConfig = new TAppConfig(this);
    RegisterWindows();
    FormCreate();
}

TFMain::~TFMain()
{
    // The configuration closes the player, which must still exist.
    delete AppConfig;
    AppConfig = nullptr;
    if (FMain == this)
        FMain = nullptr;
}

QAction* TFMain::NewAction(const char* Name, const QString& Caption, void (TFMain::*Handler)())
{
    auto* Action = new QAction(Caption, AL);
    Action->setObjectName(QLatin1String(Name));
    connect(Action, &QAction::triggered, this, Handler);
    return Action;
}

void TFMain::BuildMenu()
{
    LCRUZAETI_FLOR_CAD = NewAction("LCRUZAETI_FLOR_CAD", QStringLiteral("Hibridação"), &TFMain::LCRUZAETI_FLOR_CADExecute);
    LCRUZAETI_CAD = NewAction("LCRUZAETI_CAD", QStringLiteral("Envelope / Colheita"), &TFMain::LCRUZAETI_CADExecute);
    LCRUZAETI_BAIXA_CAD = NewAction("LCRUZAETI_BAIXA_CAD", QStringLiteral("Baixa Hibridação"), &TFMain::LCRUZAETI_BAIXA_CADExecute);
    LCaract_Parental = NewAction("LCaract_Parental", QStringLiteral("Parental - Caracterização"), &TFMain::LCaract_ParentalExecute);
    LCRUZAETI_CONS = NewAction("LCRUZAETI_CONS", QStringLiteral("Envelope / Hibridação"), &TFMain::LCRUZAETI_CONSExecute);
    LCRUZAPARENTAL_CONS = NewAction("LCRUZAPARENTAL_CONS", QStringLiteral("Filtro Parental"), &TFMain::LCRUZAPARENTAL_CONSExecute);
    LCRUZA_PARENTAL_PIVOT_CONS = NewAction("LCRUZA_PARENTAL_PIVOT_CONS", QStringLiteral("Resumo Parental x Cruza"),
                                           &TFMain::LCRUZA_PARENTAL_PIVOT_CONSExecute);
    LCRUZA_PLANEJADO_CONS = NewAction("LCRUZA_PLANEJADO_CONS", QStringLiteral("Planejamento Cruza"), &TFMain::LCRUZA_PLANEJADO_CONSExecute);
    LCRUZAETI_EMASC_CONS = NewAction("LCRUZAETI_EMASC_CONS", QStringLiteral("Relatório"), &TFMain::LCRUZAETI_EMASC_CONSExecute);
    LETI_HIBRIDACAO_CONS = NewAction("LETI_HIBRIDACAO_CONS", QStringLiteral("Etiqueta Hibridação"), &TFMain::LETI_HIBRIDACAO_CONSExecute);
    LCRUZAETI_PRINT_EXPO = NewAction("LCRUZAETI_PRINT_EXPO", QStringLiteral("Etiquetas de Cruzamento"), &TFMain::LCRUZAETI_PRINT_EXPOExecute);
    LConfigConexao = NewAction("LConfigConexao", QStringLiteral("Configurar"), &TFMain::LConfigConexaoExecute);
    LConection = NewAction("LConection", QStringLiteral("Conectar"), &TFMain::LConectionExecute);
    // The item's caption stands for the action's "Sistema".
    LAPPCONFIG = NewAction("LAPPCONFIG", QStringLiteral("Configuração da Aplicação"), &TFMain::LAPPCONFIGExecute);
    Sair1 = new QAction(QStringLiteral("Sair"), this);
    Sair1->setObjectName(QStringLiteral("Sair1"));
    connect(Sair1, &QAction::triggered, this, &TFMain::Sair1Click);

    auto SubMenu = [](QMenu* Parent, const QString& Caption) {
        QMenu* m = Parent->addMenu(Caption);
        return m;
    };

    QMenu* Processo = MM->addMenu(QStringLiteral("Processo"));
    QMenu* Cruzamento = SubMenu(Processo, QStringLiteral("Cruzamento"));
    Cruzamento->addActions({LCRUZAETI_FLOR_CAD, LCRUZAETI_CAD, LCRUZAETI_BAIXA_CAD});
    SubMenu(Processo, QStringLiteral("Cadastro"))->addAction(LCaract_Parental);

    QMenu* Consulta = MM->addMenu(QStringLiteral("Consulta"));
    Consulta->addAction(LCRUZAETI_CONS);
    SubMenu(Consulta, QStringLiteral("Parental x Cruza"))->addActions({LCRUZAPARENTAL_CONS, LCRUZA_PARENTAL_PIVOT_CONS});
    Consulta->addAction(LCRUZA_PLANEJADO_CONS);
    SubMenu(Consulta, QStringLiteral("Hibridação"))->addActions({LCRUZAETI_EMASC_CONS, LETI_HIBRIDACAO_CONS});
    Consulta->addAction(LCRUZAETI_PRINT_EXPO);

    QMenu* Configuracao = MM->addMenu(QStringLiteral("Configuração"));
    QMenu* Conexao = SubMenu(Configuracao, QStringLiteral("Conexão"));
    Conexao->addActions({LConfigConexao, LConection});
    LConection->setVisible(false);
    Configuracao->addAction(LAPPCONFIG);

    MM->addAction(Sair1);

    for (QMenu* m : MM->findChildren<QMenu*>())
        m->setObjectName(m->title());
}

// Each window action opens its window through this table; an action whose
// window is not part of the program yet stays disabled.
void TFMain::RegisterWindows()
{
    for (QAction* A : {LCRUZAETI_FLOR_CAD, LCRUZAETI_CAD, LCRUZAETI_BAIXA_CAD, LCaract_Parental, LCRUZAETI_CONS,
                       LCRUZAPARENTAL_CONS, LCRUZA_PARENTAL_PIVOT_CONS, LCRUZA_PLANEJADO_CONS, LCRUZAETI_EMASC_CONS,
                       LETI_HIBRIDACAO_CONS, LCRUZAETI_PRINT_EXPO, LAPPCONFIG})
        SetChildOpener(A, nullptr);
    // One line per window: SetChildOpener(<action>, OpenChild<TF...>);
    SetChildOpener(LCRUZAETI_FLOR_CAD, OpenChild<TFCruzaEti_Flor_Cad>);
    SetChildOpener(LCRUZAETI_PRINT_EXPO, OpenChild<TFCruzaEti_Print_Expo>);
    SetChildOpener(LCaract_Parental, OpenChild<TFImport_CSV>);
    SetChildOpener(LCRUZAETI_CONS, OpenChild<TFCruzaEti_Cons>);
    SetChildOpener(LCRUZA_PLANEJADO_CONS, OpenChild<TFCruza_Planejado_Cons>);
    SetChildOpener(LCRUZAETI_EMASC_CONS, OpenChild<TFCruza_Emasculador_Cons>);
    SetChildOpener(LCRUZA_PARENTAL_PIVOT_CONS, OpenChild<TFCruza_Parental_Pivot_Cons>);
    SetChildOpener(LCRUZAPARENTAL_CONS, OpenChild<TFCruzaParental_Cons>);
    SetChildOpener(LCRUZAETI_BAIXA_CAD, OpenChild<TFCruzaEti_Baixa_Cad>);
    SetChildOpener(LCRUZAETI_CAD, OpenChild<TFCruzaEti_Cad>);
    SetChildOpener(LAPPCONFIG, OpenChild<TFAppConfig>);
    SetChildOpener(LETI_HIBRIDACAO_CONS, OpenChild<TFEti_Hibridacao_Cons>);
}

void TFMain::SetChildOpener(QAction* Action, TChildOpener Open)
{
    Action->setEnabled(bool(Open));
    if (Open)
        FOpeners.insert(Action, std::move(Open));
    else
        FOpeners.remove(Action);
}

void TFMain::OpenWindow(QAction* Action)
{
    if (const auto it = FOpeners.constFind(Action); it != FOpeners.constEnd())
        it.value()();
}

void TFMain::OpenEditingWindow(QAction* Action)
{
    // Read whatever the state of the configuration: 0 before any was read.
    if (AppConfig->TAL_LOCK != 1) {
        ShowError(LockedMessage);
        return;
    }
    OpenWindow(Action);
}

QString TFMain::PanelText(int Index) const
{
    return Panels[Index]->text();
}

void ShowBusyWait(bool On)
{
    static TXWait* Wait = nullptr;
    if (On && !Wait && FMain) {
        Wait = new TXWait;
        Wait->Show(FMain);
        Wait->SetText(1, QStringLiteral("Banco de dados em uso por outra estação."));
        Wait->Refresh();
    } else if (!On) {
        delete Wait;
        Wait = nullptr;
    }
}

void TFMain::FormCreate()
{
    InitLib(this, true);
}

void TFMain::showEvent(QShowEvent* Event)
{
    QMainWindow::showEvent(Event);
    // The start-up runs from the event loop once the window is on screen, so
    // that its boxes stand over the maximised window.
    if (!FStarted && !Event->spontaneous()) {
        FStarted = true;
        QMetaObject::invokeMethod(this, &TFMain::FormShow, Qt::QueuedConnection);
    }
}

void TFMain::changeEvent(QEvent* Event)
{
    QMainWindow::changeEvent(Event);
    // The size it is restored to leaves out the window manager's frame, known
    // only once the window is on screen: on a small screen the status bar and
    // the work area's scroll bars would lie below it.
    if (Event->type() == QEvent::WindowStateChange && windowState() == Qt::WindowNoState
        && (static_cast<QWindowStateChangeEvent*>(Event)->oldState() & Qt::WindowMaximized))
        QMetaObject::invokeMethod(this, [this] { KeepInside(this); }, Qt::QueuedConnection);
}

void TFMain::FormShow()
{
    // The data module is made right after the main window; without one
    // there is nothing to connect.
    if (!DM)
        return;
    DM->ClearDatabase();
    AppConfig->SetConnection(DM->Conn);
    AppConfig->MPlayer = MPlayer;
    AppConfig->ExpoCad = IsExpoCad();

    bool Ok = false;
    try {
        Ok = DM->SetConnected(true);
    } catch (...) {
        // A damaged settings file: shown like any other failure, and the
        // user picks the database file again.
        XApplication::HandleException(std::current_exception());
    }
    if (Ok)
        Ok = CheckDBStructure();

    if (Ok) {
        AppConfig->Load(true);
        AppConfig->SetDBFile(DM->GetDataSource());
    } else {
        if (DM->TestConnection())
            DM->Conn->setConnected(false);
        if (!IsMDIChildOpen(FMain, QStringLiteral("FConfigDB")))
            FConfigDB = new TFConfigDB(nullptr);
        ShowConfigDB();
    }
    UpdateStatusBar();
}

void TFMain::closeEvent(QCloseEvent* Event)
{
    // Owns no table of its own; closing ends the program without asking.
    Event->accept();
}

void TFMain::Sair1Click()
{
    close();
}

void TFMain::UpdateStatusBar()
{
    if (DM->TestConnection()) {
        Panels[0]->setText(QStringLiteral("Conectado"));
        Panels[2]->setText(DM->GetDataSource());
    } else {
        Panels[0]->setText(QStringLiteral("Desconectado"));
        Panels[2]->clear();
    }
    Panels[1]->clear();
}

void TFMain::LConectionExecute()
{
    if (!DM->TestConnection()) {
        if (!DM->DataSourceExists()) {
            ShowError(QStringLiteral("Selecione o Banco de Dados a conectar."));
            return;
        }
        DM->Conn->setConnected(true);
        LConection->setText(QStringLiteral("Desconectar"));
    } else {
        if (DM->ActiveDataSetCount() > 0 && !Ask(QStringLiteral("Há conexões ativas. Desconectar assim mesmo?")))
            return;
        DM->Conn->setConnected(false);
        LConection->setText(QStringLiteral("Conectar"));
    }
}

void TFMain::LConfigConexaoExecute()
{
    if (!IsMDIChildOpen(FMain, QStringLiteral("FConfigDB")))
        FConfigDB = new TFConfigDB(nullptr);
    ShowConfigDB();
}

void TFMain::ShowConfigDB()
{
    if (QMdiSubWindow* Sub = MDISubWindowOf(FConfigDB))
        ActivateMDIChild(Sub);
}

void TFMain::LAPPCONFIGExecute() { OpenWindow(LAPPCONFIG); }
void TFMain::LCRUZAETI_FLOR_CADExecute() { OpenEditingWindow(LCRUZAETI_FLOR_CAD); }
void TFMain::LCRUZAETI_CADExecute() { OpenEditingWindow(LCRUZAETI_CAD); }
void TFMain::LCRUZAETI_BAIXA_CADExecute() { OpenEditingWindow(LCRUZAETI_BAIXA_CAD); }
void TFMain::LCaract_ParentalExecute() { OpenWindow(LCaract_Parental); }
void TFMain::LCRUZAETI_CONSExecute() { OpenWindow(LCRUZAETI_CONS); }
void TFMain::LCRUZAPARENTAL_CONSExecute() { OpenWindow(LCRUZAPARENTAL_CONS); }
void TFMain::LCRUZA_PARENTAL_PIVOT_CONSExecute() { OpenWindow(LCRUZA_PARENTAL_PIVOT_CONS); }
void TFMain::LCRUZA_PLANEJADO_CONSExecute() { OpenWindow(LCRUZA_PLANEJADO_CONS); }
void TFMain::LCRUZAETI_EMASC_CONSExecute() { OpenWindow(LCRUZAETI_EMASC_CONS); }
void TFMain::LETI_HIBRIDACAO_CONSExecute() { OpenWindow(LETI_HIBRIDACAO_CONS); }
void TFMain::LCRUZAETI_PRINT_EXPOExecute() { OpenWindow(LCRUZAETI_PRINT_EXPO); }

// ---- Shared routines -------------------------------------------------------

bool CheckDBStructure()
{
    auto Expected = std::make_unique<TDB_Struct>();
    auto Actual = std::make_unique<TDB_Struct>();
    TStringList Log;
    RegisterDBStructs(Expected.get());
    SetConnection(Actual.get(), DM->Conn);
    bool Ok = false;
    try {
        ReadSchema(Actual.get());
        Ok = UpdateDBVersion(Actual.get());
        if (Ok)
            Ok = CompareSchema(Expected.get(), Actual.get(), &Log);
    } catch (...) {
        // A file that opens but cannot be read: shown, and the check fails
        // so that the caller closes it.
        Ok = false;
        ClearConnection(Actual.get());
        XApplication::HandleException(std::current_exception());
    }
    if (!Ok && !Log.Text().isEmpty())
        ShowError(Log.Text());
    // Freeing the schema must not close the shared connection.
    ClearConnection(Actual.get());
    if (Ok) {
        // Accepted: only now may the file change (the look-ups' indexes).
        try {
            CreateQueryIndexes(DM->Conn);
        } catch (...) {
            Ok = false;
            XApplication::HandleException(std::current_exception());
        }
    }
    return Ok;
}

bool IsMDIChildOpen(TFMain* Form, const QString& Name)
{
    if (!Form)
        return false;
    for (QMdiSubWindow* Sub : Form->ClientArea->subWindowList()) {
        QWidget* Child = Sub->widget();
        // A window closed to be freed is on its way out.
        if (!Child || (Sub->isHidden() && Child->testAttribute(Qt::WA_DeleteOnClose)))
            continue;
        if (Child->objectName() == Name)
            return true;
    }
    return false;
}

QString NowStr()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void AlertMessage(const QString& Msg)
{
    std::exception_ptr PlayerError;
    TMediaPlayer* Player = FMain && FMain->AppConfig ? FMain->AppConfig->MPlayer : nullptr;
    if (Player && !Player->FileName().isEmpty()) {
        try {
            Player->Open();
            Player->Play();
        } catch (...) {
            PlayerError = std::current_exception();
        }
    }
    ShowError(Msg);
    if (PlayerError)
        std::rethrow_exception(PlayerError);
}

QString SQL_Cruza_Ativa()
{
    return QStringLiteral("(SELECT c.*   FROM Cruza c         INNER JOIN (")
        + QStringLiteral("SELECT nc_rep, MAX(seq) AS seq   FROM Cruza GROUP BY nc_rep ") + QStringLiteral(") c_ativa ")
        + QStringLiteral("           ON ((c.nc_rep = c_ativa.nc_rep) AND (c.seq = c_ativa.seq)))");
}

void Inicialize_Usuario(QComboBox* Combo, bool AddAll)
{
    WithQuery(DM->Conn, QStringLiteral("Erro ao Carregar a lista dos Usuários (Inicialize_Usuario): "), [&](TADOQuery& q) {
        q.SQL.setText(QStringLiteral("SELECT e.id, e.nome   FROM Emasculador e  ORDER BY  e.nome COLLATE NAME_PT"));
        q.Open();
        Combo->clear();
        if (AddAll)
            Combo->addItem(QStringLiteral("Todos"), 0);
        for (q.First(); !q.Eof(); q.Next())
            Combo->addItem(q.FieldByName(QStringLiteral("nome"))->AsString(),
                           q.FieldByName(QStringLiteral("id"))->AsInteger());
        // Qt selects the first item added; the list starts with nobody chosen.
        Combo->setCurrentIndex(-1);
        return true;
    });
}

int Get_ID_Usuario(QComboBox* Combo)
{
    const int Index = Combo->currentIndex();
    if (Index < 0)
        return -1;
    bool Ok = false;
    const int Id = Combo->itemData(Index).toInt(&Ok);
    if (!Ok) {
        ShowError(QStringLiteral("Erro ao Acessar o ID do Usuário/Executor Hibridação."));
        return -1;
    }
    return Id;
}

bool IsExpoCad(const QStringList& Arguments)
{
    return Arguments.size() == 1 && Arguments.first() == QLatin1String("ExpoCad");
}

bool IsExpoCad()
{
    return IsExpoCad(QCoreApplication::arguments().mid(1));
}
