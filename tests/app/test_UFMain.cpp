#include "MainWindowHarness.h"

#include "CampaignFile.h"
#include "UFBCad.h"
#include "UXForms.h"
#include "XAdo.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString BaseCaption = QStringLiteral("Cadastro Hibridação - Talvora");
const QString Caption = BaseCaption + QStringLiteral(" -  V. 02.005");
const QString Locked = QStringLiteral("Banco de dados devolvido não pode ser editado.");

QStringList ChildNames(TFMain* Main)
{
    QStringList names;
    for (QMdiSubWindow* sub : Main->ClientArea->subWindowList(QMdiArea::CreationOrder))
        names << sub->widget()->objectName();
    return names;
}

TFBCad* OpenPlainChild() { return ShowMDIChild<TFBCad>(false, true); }

class StartUp : public ::testing::Test
{
protected:
    TMainWindowHarness H;

    // The program started on a new campaign, changed first by SQL when given.
    TFMain* StartOn(TCampaignFile& Campaign, const QString& SQL = QString())
    {
        if (!SQL.isEmpty())
            Campaign.Exec(SQL);
        H.SaveSettings(Campaign.Path);
        return H.Start();
    }

    void ExpectDisconnectedWithConfigWindow(TFMain* Main)
    {
        EXPECT_EQ((QStringList{Main->PanelText(0), Main->PanelText(1), Main->PanelText(2)}),
                  (QStringList{QStringLiteral("Desconectado"), QString(), QString()}));
        EXPECT_FALSE(DM->Conn->Connected());
        EXPECT_FALSE(Main->AppConfig->Loaded);
        EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FConfigDB")});
        ASSERT_TRUE(FConfigDB);
        EXPECT_TRUE(FConfigDB->isVisible());
        EXPECT_EQ(FConfigDB->BConfirm->text(), QStringLiteral("Conectar"));
        EXPECT_EQ(Main->windowTitle(), BaseCaption);
    }
};

} // namespace

TEST(MainWindow, MadeWithoutTouchingTheDatabase)
{
    TMainWindowHarness H;
    auto* Main = new TFMain;
    EXPECT_EQ(FMain, Main);
    EXPECT_EQ(MainForm(), Main);   // the parent of the child windows
    EXPECT_EQ(Main->windowTitle(), BaseCaption);
    EXPECT_FALSE(Main->LConection->isVisible());
    EXPECT_EQ(DM, nullptr);
    EXPECT_EQ(H.Dlg.Count(), 0);
    delete Main;
    EXPECT_EQ(FMain, nullptr);
}

// Every start-up that cannot connect: its boxes, then disconnected with the database-file window open.
TEST_F(StartUp, FailedStartOpensTheDatabaseFileWindow)
{
    TCampaignFile Campaign, Gone, Newer;
    Newer.Exec(QStringLiteral("UPDATE Configuracao SET versao_db = '02.006'"));
    const QString Text = Campaign.Dir.filePath(QStringLiteral("texto.mdb"));
    {
        QFile f(Text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("NC;REP;NC_REP\r\n").repeated(400));
    }
    const QString NotFound = QStringLiteral("Banco de Dados  não Encontrado.");
    const QString Invalid = QStringLiteral("Nome do Banco de Dados inválido.");
    struct Case
    {
        const char* Name;
        std::function<void()> Prepare;
        QStringList Texts;
        QVariant Shown;          // the window's path, where it matters
        bool Prefix = false;     // the last text is its beginning only
    };
    const Case cases[] = {
        {"no settings file", [] {}, {NotFound}, QString()},
        {"missing file", [&] { H.SaveSettings(Gone.Path); QFile::remove(Gone.Path); }, {Invalid, NotFound, Invalid}, {}},
        {"newer campaign", [&] { H.SaveSettings(Newer.Path); },
         {QStringLiteral("Versão do Aplicativo diferente da versão do Banco de Dados.\r\nDeve-se Atualizar o Aplicativo.\r\n"
                         "Aplicativo: [02.005]\r\nBanco de Dados: [02.006]")},
         Newer.Path},
        {"not a database", [&] { H.SaveSettings(Text); },
         {QStringLiteral("O arquivo ") + Text + QStringLiteral(" não é compatível com o banco de dados utilizado na aplicação.")}, {}},
        // Cut short, the stored path runs past the end of the file.
        {"damaged settings", [&] {
             H.SaveSettings(Campaign.Path);
             QFile f(H.SettingsFile());
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             ASSERT_TRUE(f.resize(f.size() - 8));
         },
         {QStringLiteral("GetS error - bigger than pack")}, QString(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        H.Stop();
        H.RemoveSettings();
        H.Dlg.Clear();
        c.Prepare();
        TFMain* Main = H.Start();
        QStringList texts = H.Dlg.Texts();
        if (c.Prefix && texts.size() == c.Texts.size() && texts.last().startsWith(c.Texts.last()))
            texts.last() = c.Texts.last();
        EXPECT_EQ(texts, c.Texts);
        EXPECT_EQ(H.Dlg.Last().Kind, mtError);
        ASSERT_NO_FATAL_FAILURE(ExpectDisconnectedWithConfigWindow(Main));
        if (!c.Shown.isNull()) {
            EXPECT_EQ(FConfigDB->EDBase->text(), c.Shown.toString());
        }
    }
    // The refused file is left as it was.
    EXPECT_EQ(Newer.Scalar(QStringLiteral("SELECT versao_db FROM Configuracao")), QStringLiteral("02.006"));
}

TEST_F(StartUp, ValidCampaignConnects)
{
    TCampaignFile Campaign;
    H.SaveSettings(Campaign.Path);
    const QByteArray Settings = [&] { QFile f(H.SettingsFile()); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    TFMain* Main = H.Start();
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
    EXPECT_EQ((QStringList{Main->PanelText(0), Main->PanelText(1), Main->PanelText(2)}),
              (QStringList{QStringLiteral("Conectado"), QString(), Campaign.Path}));
    EXPECT_EQ(Main->windowTitle(), Caption);
    EXPECT_TRUE(Main->AppConfig->Loaded);
    EXPECT_EQ(Main->AppConfig->DBFile, Campaign.Path);
    EXPECT_EQ(Main->AppConfig->TAL_LOCK, 1);
    EXPECT_EQ(Main->AppConfig->Conn, DM->Conn);
    EXPECT_EQ(Main->AppConfig->MPlayer, Main->MPlayer);
    EXPECT_FALSE(Main->AppConfig->ExpoCad);
    EXPECT_TRUE(ChildNames(Main).isEmpty());
    // The start-up leaves the settings file as it was.
    QFile f(H.SettingsFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), Settings);
    EXPECT_FALSE(QFile::exists(H.SettingsBase() + QStringLiteral(".bkp")));
}

TEST_F(StartUp, OlderCampaignIsUpgraded)
{
    TCampaignOptions Old;
    Old.Version = TCampaignBuilder::Versions().first();
    TCampaignFile Campaign(Old);
    ASSERT_NE(Campaign.Scalar(QStringLiteral("SELECT versao_db FROM Configuracao")), QStringLiteral("02.005"));
    H.SaveSettings(Campaign.Path);
    Campaign.Conn.Close();
    TFMain* Main = H.Start();
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
    EXPECT_EQ(Main->PanelText(0), QStringLiteral("Conectado"));
    EXPECT_EQ(Main->AppConfig->SMT_MAX_HIBR, 4);
    Campaign.Conn.Open();
    EXPECT_EQ(Campaign.Rows(QStringLiteral("SELECT versao_db, smt_max_hibr FROM Configuracao")), QStringLiteral("02.005|4"));
}

TEST_F(StartUp, ReturnedCampaignIsReadOnly)
{
    TCampaignOptions Returned;
    Returned.TalLock = 2;
    TCampaignFile Campaign(Returned);
    TFMain* Main = StartOn(Campaign);
    ASSERT_EQ(H.Dlg.Count(), 0);
    EXPECT_EQ(Main->windowTitle(), Caption + QStringLiteral(" - Somente Consulta"));
    // Windows that will open: a plain child window stands for them here.
    for (QAction* a : {Main->LCRUZAETI_FLOR_CAD, Main->LCRUZAETI_CAD, Main->LCRUZAETI_BAIXA_CAD, Main->LCRUZAETI_CONS})
        Main->SetChildOpener(a, OpenPlainChild);
    for (QAction* a : {Main->LCRUZAETI_FLOR_CAD, Main->LCRUZAETI_CAD, Main->LCRUZAETI_BAIXA_CAD})
        a->trigger();
    EXPECT_EQ(H.Dlg.Texts(), (QStringList{Locked, Locked, Locked}));
    EXPECT_TRUE(ChildNames(Main).isEmpty());
    Main->LCRUZAETI_CONS->trigger();
    EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FBCad")});
    EXPECT_EQ(H.Dlg.Count(), 3);
}

TEST_F(StartUp, EditingNeedsLockOne)
{
    TCampaignFile Campaign;
    TFMain* Main = StartOn(Campaign);
    // An action without its window waits disabled and does nothing.
    Main->SetChildOpener(Main->LCRUZAETI_CAD, nullptr);
    EXPECT_FALSE(Main->LCRUZAETI_CAD->isEnabled());
    Main->LCRUZAETI_CAD->trigger();
    EXPECT_TRUE(ChildNames(Main).isEmpty());
    Main->SetChildOpener(Main->LCRUZAETI_CAD, OpenPlainChild);
    EXPECT_TRUE(Main->LCRUZAETI_CAD->isEnabled());
    Main->LCRUZAETI_CAD->trigger();
    Main->LCRUZAETI_CAD->trigger();   // the open one comes forward
    EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FBCad")});
    EXPECT_EQ(H.Dlg.Count(), 0);

    // A lock read as Null counts as 0: no editing, no caption suffix.
    TCampaignFile NullLock;
    Main = StartOn(NullLock, QStringLiteral("UPDATE Configuracao SET tal_lock = NULL"));
    ASSERT_EQ(H.Dlg.Count(), 0);
    EXPECT_EQ(Main->AppConfig->TAL_LOCK, 0);
    EXPECT_EQ(Main->windowTitle(), Caption);
    Main->LCRUZAETI_CADExecute();
    EXPECT_EQ(H.Dlg.Texts(), QStringList{Locked});

    // Nor before any configuration was read.
    H.RemoveSettings();
    Main = H.Start();
    H.Dlg.Clear();
    Main->SetChildOpener(Main->LCRUZAETI_BAIXA_CAD, OpenPlainChild);
    Main->LCRUZAETI_BAIXA_CAD->trigger();
    EXPECT_EQ(H.Dlg.Texts(), QStringList{Locked});
    EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FConfigDB")});
}

TEST_F(StartUp, ConfigurationRowMissing)
{
    TCampaignFile Campaign;
    TFMain* Main = StartOn(Campaign, QStringLiteral("UPDATE Configuracao SET cfg_id = 2"));
    // The default exception box; the connection stays, nothing is loaded.
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Erro ao carregar a configuração.\r\nEntre em contato com o Administrador.")});
    EXPECT_TRUE(DM->Conn->Connected());
    EXPECT_FALSE(Main->AppConfig->Loaded);
    EXPECT_EQ(Main->AppConfig->DBFile, QString());
    EXPECT_EQ(Main->PanelText(0), QStringLiteral("Conexao"));
    EXPECT_TRUE(ChildNames(Main).isEmpty());
}

TEST_F(StartUp, ConfigurarShowsTheOneWindowAgainAndSairCloses)
{
    TFMain* Main = H.Start();
    QPointer<TFConfigDB> First = FConfigDB;
    Main->LConfigConexao->trigger();
    Main->LConfigConexao->trigger();
    EXPECT_EQ(FConfigDB, First);
    EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FConfigDB")});
    EXPECT_TRUE(IsMDIChildOpen(Main, QStringLiteral("FConfigDB")));
    EXPECT_FALSE(IsMDIChildOpen(Main, QStringLiteral("fconfigdb")));
    First->BClose->click();
    H.Settle();
    EXPECT_TRUE(First.isNull());
    EXPECT_TRUE(ChildNames(Main).isEmpty());
    Main->LConfigConexao->trigger();
    ASSERT_TRUE(FConfigDB);
    EXPECT_TRUE(FConfigDB->isVisible());

    Main->Sair1->trigger();
    EXPECT_FALSE(Main->isVisible());
    EXPECT_EQ(H.Dlg.Count(), 1);   // only the start-up's box: no confirmation
}

TEST_F(StartUp, HiddenConnectionToggle)
{
    TCampaignFile Campaign;
    TFMain* Main = StartOn(Campaign);
    ASSERT_TRUE(DM->Conn->Connected());
    Main->LConectionExecute();
    EXPECT_FALSE(DM->Conn->Connected());
    EXPECT_EQ(Main->LConection->text(), QStringLiteral("Conectar"));
    EXPECT_EQ(Main->PanelText(0), QStringLiteral("Conectado"));   // the toggle leaves the status bar
    Main->LConectionExecute();
    EXPECT_TRUE(DM->Conn->Connected());
    EXPECT_EQ(Main->LConection->text(), QStringLiteral("Desconectar"));

    // An open dataset makes it ask (Yes by default); No keeps the connection.
    TADOQuery Open;
    Open.setConnection(DM->Conn);
    Open.SQL.setText(QStringLiteral("SELECT * FROM Emasculador"));
    Open.Open();
    H.Dlg.Answer(mrNo);
    Main->LConectionExecute();
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Há conexões ativas. Desconectar assim mesmo?")});
    EXPECT_EQ(H.Dlg.Last().Buttons[H.Dlg.Last().EffectiveDefault()].ModalResult, int(mrYes));
    EXPECT_TRUE(DM->Conn->Connected());

    DM->Conn->Close();
    DM->ClearDatabase();
    H.Dlg.Clear();
    Main->LConectionExecute();
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Selecione o Banco de Dados a conectar.")});
}

// ---- Shared routines ---------------------------------------------------------

TEST(MainRoutines, NowStrAndExpoCad)
{
    const QDateTime Before = QDateTime::currentDateTime().addMSecs(-1000);
    const QDateTime Read = QDateTime::fromString(NowStr(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    EXPECT_GE(Read, Before);
    EXPECT_LE(Read, QDateTime::currentDateTime());

    EXPECT_TRUE(IsExpoCad(QStringList{QStringLiteral("ExpoCad")}));
    for (const QStringList& Args : {QStringList{QStringLiteral("expocad")}, QStringList{QStringLiteral("ExpoCad"), QStringLiteral("x")}, QStringList{}})
        EXPECT_FALSE(IsExpoCad(Args)) << Args.join(u' ').toStdString();
}

TEST(MainRoutines, CurrentCrossingsTable)
{
    TCampaignOptions Options;
    Options.Labels = 20;
    Options.Crossings = 12;
    TCampaignFile Campaign(Options);
    const qint64 L = Campaign.Info.FirstLabel;
    Campaign.Exec(QStringLiteral("DELETE FROM Cruza WHERE nc_rep = %1").arg(L));
    Campaign.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd) "
                                 "VALUES (%1, 1, '0', 1, 'X', '2026-01-01 08:00:00'), (%1, 2, '1', 1, 'M', '2026-01-02 08:00:00')").arg(L));
    EXPECT_EQ(Campaign.Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + SQL_Cruza_Ativa() + QStringLiteral(" a")),
              Campaign.Scalar(QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT nc_rep FROM Cruza) d")));
    EXPECT_EQ(Campaign.Rows(QStringLiteral("SELECT a.seq, a.reverso, a.status FROM ") + SQL_Cruza_Ativa()
                            + QStringLiteral(" a WHERE a.nc_rep = %1").arg(L)),
              QStringLiteral("2|1|M"));
}

TEST(MainRoutines, ExecutorListAndAlertMessage)
{
    TMainWindowHarness H;
    TCampaignOptions Options;
    Options.Executors = 3;
    TCampaignFile Campaign(Options);
    H.SaveSettings(Campaign.Path);
    TFMain* Main = H.Start();

    AlertMessage(QStringLiteral("Etiqueta inválida."));   // no sound configured
    EXPECT_TRUE(H.Sound.Log.isEmpty());
    const QString Wav = Campaign.Dir.filePath(QStringLiteral("alerta.wav"));
    Main->MPlayer->SetFileName(Wav);
    AlertMessage(QStringLiteral("Vaso não cadastrado."));
    EXPECT_EQ(H.Sound.Played, QStringList{Wav});
    // The box comes first, then the player's failure reaches the caller.
    H.Sound.FailOpen = true;
    EXPECT_THROW(AlertMessage(QStringLiteral("Outra.")), EMCIDeviceError);
    EXPECT_EQ(H.Dlg.Texts(), (QStringList{QStringLiteral("Etiqueta inválida."), QStringLiteral("Vaso não cadastrado."), QStringLiteral("Outra.")}));
    H.Dlg.Clear();

    QComboBox Combo;
    Combo.addItem(QStringLiteral("velho"), 99);
    EXPECT_EQ(Get_ID_Usuario(&Combo), 99);
    Inicialize_Usuario(&Combo, true);
    QStringList Names;
    for (int i = 0; i < Combo.count(); ++i)
        Names << Combo.itemText(i);
    EXPECT_EQ(Names.join(u'|'), QStringLiteral("Todos|")
                                    + Campaign.Rows(QStringLiteral("SELECT nome FROM Emasculador ORDER BY nome")).replace(u';', u'|'));
    EXPECT_EQ(Get_ID_Usuario(&Combo), -1);   // nobody chosen until the user picks
    Combo.setCurrentIndex(0);
    EXPECT_EQ(Get_ID_Usuario(&Combo), 0);
    Combo.setCurrentIndex(2);
    EXPECT_EQ(QString::number(Get_ID_Usuario(&Combo)),
              Campaign.Scalar(QStringLiteral("SELECT id FROM Emasculador WHERE nome = '%1'").arg(Combo.itemText(2))));
    Combo.setCurrentIndex(-1);
    EXPECT_EQ(Get_ID_Usuario(&Combo), -1);
    Inicialize_Usuario(&Combo, false);
    EXPECT_EQ(Combo.count(), 3);

    // A failed read keeps what was added and says so.
    Campaign.Exec(QStringLiteral("DROP TABLE Emasculador"));
    DM->Conn->Close();
    DM->Conn->Open();
    Inicialize_Usuario(&Combo, false);
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_TRUE(H.Dlg.Last().Text.startsWith(QStringLiteral("Erro ao Carregar a lista dos Usuários (Inicialize_Usuario): ")));
    EXPECT_EQ(Combo.count(), 3);
}
