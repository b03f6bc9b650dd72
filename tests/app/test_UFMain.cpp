#include "MainWindowHarness.h"

#include "PeopleNames.h"

#include "UFBCad.h"
#include "UXForms.h"
#include "XAdo.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString Caption = QStringLiteral("Cadastro Hibridação - Talvora -  V. 02.005");
const QString Locked = QStringLiteral("Banco de dados devolvido não pode ser editado.");

QStringList ChildNames(TFMain* Main)
{
    QStringList names;
    for (QMdiSubWindow* sub : Main->ClientArea->subWindowList(QMdiArea::CreationOrder))
        names << sub->widget()->objectName();
    return names;
}

TFBCad* OpenPlainChild() { return ShowMDIChild<TFBCad>(false, true); }

QString Panels(TFMain* Main) { return Main->PanelText(0) + u'|' + Main->PanelText(1) + u'|' + Main->PanelText(2); }

struct StartUp : ::testing::Test { TMainWindowHarness H; };

} // namespace

// Every start-up that cannot connect: its boxes, then disconnected with the database-file window open.
TEST_F(StartUp, FailedStartOpensTheDatabaseFileWindow)
{
    TCampaignFile Campaign, Newer;
    Newer.Exec(QStringLiteral("UPDATE Configuracao SET versao_db = '02.006'"));
    // The box's text begins with Text; the window shows the path Shown.
    const struct { const char* Name; std::function<void()> Prepare; QString Text, Shown; } cases[] = {
        {"no settings file", [] {}, QStringLiteral("Banco de Dados  não Encontrado."), QString()},
        {"newer campaign", [&] { H.SaveSettings(Newer.Path); }, QStringLiteral("Versão do Aplicativo diferente"), Newer.Path},
        // Cut short, the stored path runs past the end of the file.
        {"damaged settings", [&] {
             H.SaveSettings(Campaign.Path);
             QFile f(H.SettingsFile());
             ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.resize(f.size() - 8));
         },
         QStringLiteral("GetS error - bigger than pack"), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        H.Stop();
        H.RemoveSettings();
        H.Dlg.Clear();
        c.Prepare();
        TFMain* Main = H.Start();
        EXPECT_TRUE(H.Dlg.Count() == 1 && H.Dlg.Last().Text.startsWith(c.Text)) << H.Boxes();
        EXPECT_EQ(Panels(Main), QStringLiteral("Desconectado||"));
        EXPECT_FALSE(DM->Conn->Connected() || Main->AppConfig->Loaded);
        EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FConfigDB")});
        ASSERT_TRUE(FConfigDB && FConfigDB->isVisible());
        EXPECT_EQ(FConfigDB->EDBase->text(), c.Shown);
    }
    // The refused file is left as it was.
    EXPECT_EQ(Newer.Scalar(QStringLiteral("SELECT versao_db FROM Configuracao")), QStringLiteral("02.006"));
    // "Configurar" shows the one window again, and again once it was closed; "Sair" asks nothing.
    QPointer<TFConfigDB> First = FConfigDB;
    FMain->LConfigConexao->trigger();
    EXPECT_TRUE(FConfigDB == First && ChildNames(FMain).size() == 1);
    First->BClose->click();
    H.Settle();
    EXPECT_TRUE(First.isNull() && ChildNames(FMain).isEmpty());
    FMain->LConfigConexao->trigger();
    ASSERT_TRUE(FConfigDB && FConfigDB->isVisible());
    H.Dlg.Clear();
    FMain->Sair1->trigger();
    EXPECT_FALSE(FMain->isVisible() || H.Dlg.Count());
}

TEST_F(StartUp, ValidCampaignConnectsAndOlderIsUpgraded)
{
    TCampaignFile Campaign;
    H.SaveSettings(Campaign.Path);
    const QByteArray Settings = FileBytes(H.SettingsFile());
    TFMain* Main = H.Start();
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Boxes();
    EXPECT_EQ(Panels(Main), QStringLiteral("Conectado||") + Campaign.Path);
    EXPECT_TRUE(Main->AppConfig->Loaded && ChildNames(Main).isEmpty());
    // The start-up leaves the settings file as it was.
    EXPECT_EQ(FileBytes(H.SettingsFile()), Settings);
    EXPECT_FALSE(QFile::exists(H.SettingsBase() + QStringLiteral(".bkp")));
    TCampaignOptions Old;
    Old.Version = TCampaignBuilder::Versions().first();
    TCampaignFile Older(Old);
    Older.Conn.Close();
    Main = H.StartOn(Older);
    EXPECT_TRUE(H.Dlg.Count() == 0 && Main->AppConfig->SMT_MAX_HIBR == 4) << H.Boxes();
    Older.Conn.Open();
    EXPECT_EQ(Older.Rows(QStringLiteral("SELECT versao_db, smt_max_hibr FROM Configuracao")), QStringLiteral("02.005|4"));
}

TEST_F(StartUp, EditingNeedsLockOne)
{
    TCampaignOptions Returned;
    Returned.TalLock = 2;
    TCampaignFile Campaign(Returned);
    TFMain* Main = H.StartOn(Campaign);
    EXPECT_EQ(Main->windowTitle(), Caption + QStringLiteral(" - Somente Consulta"));
    // Windows that will open: a plain child window stands for them here.
    for (QAction* a : {Main->LCRUZAETI_FLOR_CAD, Main->LCRUZAETI_CAD, Main->LCRUZAETI_BAIXA_CAD, Main->LCRUZAETI_CONS}) {
        Main->SetChildOpener(a, OpenPlainChild);
        a->trigger();
    }
    EXPECT_EQ(H.Dlg.Texts(), QStringList(3, Locked));
    EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FBCad")});
    // Lock 1: the open window comes forward.
    TCampaignFile Open;
    Main = H.StartOn(Open);
    Main->SetChildOpener(Main->LCRUZAETI_CAD, OpenPlainChild);
    Main->LCRUZAETI_CAD->trigger();
    Main->LCRUZAETI_CAD->trigger();
    EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FBCad")});
    // A lock read as Null counts as 0: no editing, no caption suffix; nor before any configuration was read.
    TCampaignFile NullLock;
    H.Dlg.Clear();
    Main = H.StartOn(NullLock, QStringLiteral("UPDATE Configuracao SET tal_lock = NULL"));
    EXPECT_EQ(Main->windowTitle(), Caption);
    Main->LCRUZAETI_CADExecute();
    H.RemoveSettings();
    Main = H.Start();
    Main->SetChildOpener(Main->LCRUZAETI_BAIXA_CAD, OpenPlainChild);
    Main->LCRUZAETI_BAIXA_CAD->trigger();
    EXPECT_EQ(H.Dlg.Texts(), (QStringList{Locked, QStringLiteral("Banco de Dados  não Encontrado."), Locked}));
    EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FConfigDB")});
}

TEST_F(StartUp, ConfigurationRowMissing)
{
    TCampaignFile Campaign;
    TFMain* Main = H.StartOn(Campaign, QStringLiteral("UPDATE Configuracao SET cfg_id = 2"));
    // The default exception box; the connection stays, nothing is loaded.
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Erro ao carregar a configuração.\r\nEntre em contato com o Administrador.")});
    EXPECT_TRUE(DM->Conn->Connected() && !Main->AppConfig->Loaded && ChildNames(Main).isEmpty());
}

TEST_F(StartUp, HiddenConnectionToggle)
{
    TCampaignFile Campaign;
    TFMain* Main = H.StartOn(Campaign);
    Main->LConectionExecute();
    EXPECT_FALSE(DM->Conn->Connected());
    Main->LConectionExecute();
    EXPECT_TRUE(DM->Conn->Connected() && Main->LConection->text() == QStringLiteral("Desconectar"));
    // An open dataset makes it ask (Yes by default); No keeps the connection.
    TADOQuery Open;
    Open.setConnection(DM->Conn);
    Open.SQL.setText(QStringLiteral("SELECT * FROM Emasculador"));
    Open.Open();
    H.Dlg.Answer(mrNo);
    Main->LConectionExecute();
    EXPECT_EQ(H.Dlg.Last().Buttons[H.Dlg.Last().EffectiveDefault()].ModalResult, int(mrYes));
    EXPECT_TRUE(DM->Conn->Connected());
    DM->Conn->Close();
    DM->ClearDatabase();
    Main->LConectionExecute();
    EXPECT_EQ(H.Dlg.Texts(), (QStringList{QStringLiteral("Há conexões ativas. Desconectar assim mesmo?"),
                                          QStringLiteral("Selecione o Banco de Dados a conectar.")}));
}

// Restored from maximised on a screen as wide as the window (the offscreen one, 800 pixels), the main
// window and its frame lie inside the screen's free area, as large as that allows.
TEST_F(StartUp, TheRestoredMainWindowLiesInsideTheScreen)
{
    TFMain* Main = H.Start();
    ASSERT_TRUE(Main->isMaximized());
    Main->showNormal();
    const QRect Free = Main->screen()->availableGeometry();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Free.contains(Main->frameGeometry()); }, 1000));
    EXPECT_EQ(Main->frameGeometry().width(), Free.width());
    EXPECT_EQ(Main->height(), 600);
}

// ---- Shared routines ---------------------------------------------------------

TEST(MainRoutines, ExpoCad)
{
    EXPECT_TRUE(IsExpoCad(QStringList{QStringLiteral("ExpoCad")}));
    for (const QStringList& Args : {QStringList{QStringLiteral("expocad")}, QStringList{QStringLiteral("ExpoCad"), QStringLiteral("x")}, QStringList{}})
        EXPECT_FALSE(IsExpoCad(Args)) << Args.join(u' ').toStdString();
}

// The list a user picks executors from: "Todos" first, then the names as a Portuguese reader orders them.
TEST(MainRoutines, ExecutorListInAPortugueseReadersOrderAndAlertMessage)
{
    TMainWindowHarness H;
    TCampaignOptions Options;
    Options.Executors = int(PeopleNames.size());
    TCampaignFile Campaign(Options);
    Campaign.Exec(PeopleAsExecutors());
    H.StartOn(Campaign);
    QComboBox Combo;
    Combo.addItem(QStringLiteral("velho"), 99);
    Inicialize_Usuario(&Combo, true);
    EXPECT_EQ(Get_ID_Usuario(&Combo), -1);   // nobody chosen until the user picks
    QStringList Names;
    for (int i = 0; i < Combo.count(); ++i) {
        Names << Combo.itemText(i);
        Combo.setCurrentIndex(i);
        EXPECT_EQ(Get_ID_Usuario(&Combo), PeopleNames.indexOf(Combo.itemText(i)) + 1);   // "Todos" is 0
    }
    EXPECT_EQ(Names.join(u'|').toStdString(), "Todos|" + PeopleInOrder.toStdString());
    // A failed read keeps what was added and says so.
    Inicialize_Usuario(&Combo, false);
    Campaign.Exec(QStringLiteral("DROP TABLE Emasculador"));
    DM->Conn->Close();
    DM->Conn->Open();
    Inicialize_Usuario(&Combo, false);
    EXPECT_TRUE(H.Dlg.Count() == 1 && H.Dlg.Last().Text.startsWith(QStringLiteral("Erro ao Carregar a lista dos Usuários (Inicialize_Usuario): ")));
    EXPECT_EQ(Combo.count(), PeopleNames.size());
    // Without a sound configured the alert is its box alone (the scanner windows' tests have sounds).
    AlertMessage(QStringLiteral("A"));
    EXPECT_TRUE(H.Sound.Log.isEmpty());
    EXPECT_EQ(H.Dlg.Last().Text, QStringLiteral("A"));
}
