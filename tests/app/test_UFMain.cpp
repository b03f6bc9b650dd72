#include "MainWindowHarness.h"

#include "CampaignFile.h"
#include "UFBCad.h"
#include "UXForms.h"
#include "XAdo.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QDateTime>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>

#include <gtest/gtest.h>

namespace {

const QString BaseCaption = QStringLiteral("Cadastro Hibridação - Talvora");
const QString Locked = QStringLiteral("Banco de dados devolvido não pode ser editado.");

QStringList MenuItems(const QList<QAction*>& Actions, const QString& Prefix = QString())
{
    QStringList items;
    for (QAction* a : Actions) {
        const QString path = Prefix + a->text();
        if (a->menu())
            items += MenuItems(a->menu()->actions(), path + QStringLiteral(" > "));
        else
            items << path + (a->objectName().isEmpty() ? QString() : QStringLiteral(" [") + a->objectName() + u']');
    }
    return items;
}

QStringList ChildNames(TFMain* Main)
{
    QStringList names;
    for (QMdiSubWindow* sub : Main->ClientArea->subWindowList(QMdiArea::CreationOrder))
        names << sub->widget()->objectName();
    return names;
}

class StartUp : public ::testing::Test
{
protected:
    TMainWindowHarness H;

    void ExpectDisconnectedWithConfigWindow(TFMain* Main)
    {
        EXPECT_EQ(Main->PanelText(0), QStringLiteral("Desconectado"));
        EXPECT_EQ(Main->PanelText(1), QString());
        EXPECT_EQ(Main->PanelText(2), QString());
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

TEST(MainWindow, MenuTreeActionsAndStatusBar)
{
    TMainWindowHarness H;
    auto* Main = new TFMain;
    EXPECT_EQ(FMain, Main);
    EXPECT_EQ(Main->windowTitle(), BaseCaption);
    EXPECT_EQ(MainForm(), Main);   // the parent of the child windows
    EXPECT_EQ(MenuItems(Main->MM->actions()),
              (QStringList{
                  QStringLiteral("Processo > Cruzamento > Hibridação [LCRUZAETI_FLOR_CAD]"),
                  QStringLiteral("Processo > Cruzamento > Envelope / Colheita [LCRUZAETI_CAD]"),
                  QStringLiteral("Processo > Cruzamento > Baixa Hibridação [LCRUZAETI_BAIXA_CAD]"),
                  QStringLiteral("Processo > Cadastro > Parental - Caracterização [LCaract_Parental]"),
                  QStringLiteral("Consulta > Envelope / Hibridação [LCRUZAETI_CONS]"),
                  QStringLiteral("Consulta > Parental x Cruza > Filtro Parental [LCRUZAPARENTAL_CONS]"),
                  QStringLiteral("Consulta > Parental x Cruza > Resumo Parental x Cruza [LCRUZA_PARENTAL_PIVOT_CONS]"),
                  QStringLiteral("Consulta > Planejamento Cruza [LCRUZA_PLANEJADO_CONS]"),
                  QStringLiteral("Consulta > Hibridação > Relatório [LCRUZAETI_EMASC_CONS]"),
                  QStringLiteral("Consulta > Hibridação > Etiqueta Hibridação [LETI_HIBRIDACAO_CONS]"),
                  QStringLiteral("Consulta > Etiquetas de Cruzamento [LCRUZAETI_PRINT_EXPO]"),
                  QStringLiteral("Configuração > Conexão > Configurar [LConfigConexao]"),
                  QStringLiteral("Configuração > Conexão > Conectar [LConection]"),
                  QStringLiteral("Configuração > Configuração da Aplicação [LAPPCONFIG]"),
                  QStringLiteral("Sair [Sair1]"),
              }));
    EXPECT_FALSE(Main->LConection->isVisible());
    EXPECT_TRUE(Main->LConfigConexao->isEnabled());
    for (QAction* a : Main->AL->findChildren<QAction*>())
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->objectName().toStdString();

    ASSERT_EQ(Main->StatusBar, Main->findChild<QStatusBar*>(QStringLiteral("StatusBar")));
    EXPECT_EQ(Main->PanelText(0), QStringLiteral("Conexao"));
    EXPECT_EQ(Main->PanelText(1), QStringLiteral("Configuração"));
    EXPECT_EQ(Main->PanelText(2), QStringLiteral("Banco de Dados"));
    EXPECT_EQ(Main->Panels[0]->width(), 100);
    EXPECT_EQ(Main->Panels[1]->width(), 200);
    EXPECT_EQ(Main->Panels[2]->width(), 400);
    EXPECT_TRUE(Main->windowState() & Qt::WindowMaximized);
    // Nothing touches the database before the data module exists.
    EXPECT_EQ(DM, nullptr);
    EXPECT_EQ(H.Dlg.Count(), 0);
    delete Main;
    EXPECT_EQ(FMain, nullptr);
}

TEST_F(StartUp, NoSettingsFileOpensTheDatabaseFileWindow)
{
    TFMain* Main = H.Start();
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Banco de Dados  não Encontrado.")});
    EXPECT_EQ(H.Dlg.Last().Kind, mtError);
    ASSERT_NO_FATAL_FAILURE(ExpectDisconnectedWithConfigWindow(Main));
    EXPECT_EQ(FConfigDB->EDBase->text(), QString());
    EXPECT_FALSE(QFile::exists(H.SettingsFile()));   // only the window writes it
}

TEST_F(StartUp, SettingsNamingAMissingFile)
{
    TCampaignFile Campaign;
    H.SaveSettings(Campaign.Path);
    QFile::remove(Campaign.Path);
    TFMain* Main = H.Start();
    // The data module's two boxes, then the window reads the settings file again.
    EXPECT_EQ(H.Dlg.Texts(), (QStringList{QStringLiteral("Nome do Banco de Dados inválido."),
                                          QStringLiteral("Banco de Dados  não Encontrado."),
                                          QStringLiteral("Nome do Banco de Dados inválido.")}));
    ASSERT_NO_FATAL_FAILURE(ExpectDisconnectedWithConfigWindow(Main));
}

TEST_F(StartUp, ValidCampaignConnects)
{
    TCampaignFile Campaign;
    H.SaveSettings(Campaign.Path);
    const QByteArray Settings = [&] { QFile f(H.SettingsFile()); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    TFMain* Main = H.Start();
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
    EXPECT_EQ(Main->PanelText(0), QStringLiteral("Conectado"));
    EXPECT_EQ(Main->PanelText(1), QString());
    EXPECT_EQ(Main->PanelText(2), Campaign.Path);
    EXPECT_EQ(Main->windowTitle(), BaseCaption + QStringLiteral(" -  V. 02.005"));
    EXPECT_TRUE(Main->AppConfig->Loaded);
    EXPECT_EQ(Main->AppConfig->DBFile, Campaign.Path);
    EXPECT_EQ(Main->AppConfig->TAL_LOCK, 1);
    EXPECT_EQ(Main->AppConfig->Conn, DM->Conn);
    EXPECT_EQ(Main->AppConfig->MPlayer, Main->MPlayer);
    EXPECT_FALSE(Main->AppConfig->ExpoCad);
    EXPECT_TRUE(ChildNames(Main).isEmpty());
    EXPECT_TRUE(DM->Conn->Connected());
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
    EXPECT_TRUE(Main->AppConfig->Loaded);
    Campaign.Conn.Open();
    EXPECT_EQ(Campaign.Scalar(QStringLiteral("SELECT versao_db FROM Configuracao")), QStringLiteral("02.005"));
    EXPECT_EQ(Campaign.Scalar(QStringLiteral("SELECT smt_max_hibr FROM Configuracao")), QStringLiteral("4"));
    EXPECT_EQ(Main->AppConfig->SMT_MAX_HIBR, 4);
}

TEST_F(StartUp, NewerCampaignIsRefused)
{
    TCampaignFile Campaign;
    Campaign.Exec(QStringLiteral("UPDATE Configuracao SET versao_db = '02.006'"));
    H.SaveSettings(Campaign.Path);
    TFMain* Main = H.Start();
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral(
                                 "Versão do Aplicativo diferente da versão do Banco de Dados.\r\nDeve-se Atualizar o "
                                 "Aplicativo.\r\nAplicativo: [02.005]\r\nBanco de Dados: [02.006]")});
    ASSERT_NO_FATAL_FAILURE(ExpectDisconnectedWithConfigWindow(Main));
    // The window shows the path of the refused file, ready to try another.
    EXPECT_EQ(FConfigDB->EDBase->text(), Campaign.Path);
    EXPECT_EQ(Campaign.Scalar(QStringLiteral("SELECT versao_db FROM Configuracao")), QStringLiteral("02.006"));
}

TEST_F(StartUp, ReturnedCampaignIsReadOnly)
{
    TCampaignOptions Returned;
    Returned.TalLock = 2;
    TCampaignFile Campaign(Returned);
    H.SaveSettings(Campaign.Path);
    TFMain* Main = H.Start();
    ASSERT_EQ(H.Dlg.Count(), 0);
    EXPECT_EQ(Main->windowTitle(), BaseCaption + QStringLiteral(" -  V. 02.005 - Somente Consulta"));

    // Windows that will open: a plain child window stands for them here.
    auto Open = [] { return ShowMDIChild<TFBCad>(false, true); };
    Main->SetChildOpener(Main->LCRUZAETI_FLOR_CAD, Open);
    Main->SetChildOpener(Main->LCRUZAETI_CAD, Open);
    Main->SetChildOpener(Main->LCRUZAETI_BAIXA_CAD, Open);
    Main->SetChildOpener(Main->LCRUZAETI_CONS, Open);
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
    H.SaveSettings(Campaign.Path);
    TFMain* Main = H.Start();
    // An action without its window waits disabled and does nothing.
    Main->SetChildOpener(Main->LCRUZAETI_CAD, nullptr);
    EXPECT_FALSE(Main->LCRUZAETI_CAD->isEnabled());
    Main->LCRUZAETI_CAD->trigger();
    EXPECT_TRUE(ChildNames(Main).isEmpty());

    Main->SetChildOpener(Main->LCRUZAETI_CAD, [] { return ShowMDIChild<TFBCad>(false, true); });
    EXPECT_TRUE(Main->LCRUZAETI_CAD->isEnabled());
    Main->LCRUZAETI_CAD->trigger();
    Main->LCRUZAETI_CAD->trigger();   // the open one comes forward
    EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FBCad")});
    EXPECT_EQ(H.Dlg.Count(), 0);
}

TEST_F(StartUp, NullLockReadsAsZero)
{
    TCampaignOptions NullLock;
    NullLock.TalLock = QVariant();
    TCampaignFile Campaign(NullLock);
    H.SaveSettings(Campaign.Path);
    TFMain* Main = H.Start();
    ASSERT_EQ(H.Dlg.Count(), 0);
    EXPECT_EQ(Main->AppConfig->TAL_LOCK, 0);
    EXPECT_EQ(Main->windowTitle(), BaseCaption + QStringLiteral(" -  V. 02.005"));
    Main->LCRUZAETI_CADExecute();
    EXPECT_EQ(H.Dlg.Texts(), QStringList{Locked});
}

TEST_F(StartUp, EditingRefusedBeforeAnyConfiguration)
{
    TFMain* Main = H.Start();
    H.Dlg.Clear();
    Main->SetChildOpener(Main->LCRUZAETI_BAIXA_CAD, [] { return ShowMDIChild<TFBCad>(false, true); });
    Main->LCRUZAETI_BAIXA_CAD->trigger();
    EXPECT_EQ(H.Dlg.Texts(), QStringList{Locked});
    EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FConfigDB")});
}

TEST_F(StartUp, FileThatIsNotADatabase)
{
    TCampaignFile Campaign;
    const QString Path = Campaign.Dir.filePath(QStringLiteral("texto.mdb"));
    {
        QFile f(Path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("NC;REP;NC_REP\r\n").repeated(400));
    }
    H.SaveSettings(Path);
    TFMain* Main = H.Start();
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("O arquivo ") + Path
                                         + QStringLiteral(" não é compatível com o banco de dados utilizado na aplicação.")});
    ASSERT_NO_FATAL_FAILURE(ExpectDisconnectedWithConfigWindow(Main));
}

TEST_F(StartUp, DamagedSettingsFile)
{
    TCampaignFile Campaign;
    H.SaveSettings(QString(Campaign.Path));
    // Cut short, the stored path runs past the end of the file.
    QFile f(H.SettingsFile());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(f.size() - 8));
    f.close();
    TFMain* Main = H.Start();
    ASSERT_EQ(H.Dlg.Count(), 1) << H.Dlg.Texts().join(u'\n').toStdString();
    EXPECT_EQ(H.Dlg.Last().Kind, mtError);
    EXPECT_TRUE(H.Dlg.Last().Text.startsWith(QStringLiteral("GetS error - bigger than pack")))
        << H.Dlg.Last().Text.toStdString();
    ASSERT_NO_FATAL_FAILURE(ExpectDisconnectedWithConfigWindow(Main));
    EXPECT_EQ(FConfigDB->EDBase->text(), QString());
}

TEST_F(StartUp, ConfigurationRowMissing)
{
    TCampaignFile Campaign;
    Campaign.Exec(QStringLiteral("UPDATE Configuracao SET cfg_id = 2"));
    H.SaveSettings(Campaign.Path);
    TFMain* Main = H.Start();
    // The default exception box; the connection stays, nothing is loaded.
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral(
                                 "Erro ao carregar a configuração.\r\nEntre em contato com o Administrador.")});
    EXPECT_TRUE(DM->Conn->Connected());
    EXPECT_FALSE(Main->AppConfig->Loaded);
    EXPECT_EQ(Main->AppConfig->DBFile, QString());
    EXPECT_EQ(Main->PanelText(0), QStringLiteral("Conexao"));
    EXPECT_TRUE(ChildNames(Main).isEmpty());
}

TEST_F(StartUp, ConfigurarShowsTheOneWindowAgain)
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
    EXPECT_FALSE(IsMDIChildOpen(Main, QStringLiteral("FConfigDB")));
    H.Settle();
    EXPECT_TRUE(First.isNull());
    EXPECT_TRUE(ChildNames(Main).isEmpty());
    Main->LConfigConexao->trigger();
    ASSERT_TRUE(FConfigDB);
    EXPECT_EQ(ChildNames(Main), QStringList{QStringLiteral("FConfigDB")});
    EXPECT_TRUE(FConfigDB->isVisible());
}

TEST_F(StartUp, HiddenConnectionToggle)
{
    TCampaignFile Campaign;
    H.SaveSettings(Campaign.Path);
    TFMain* Main = H.Start();
    ASSERT_TRUE(DM->Conn->Connected());
    Main->LConectionExecute();
    EXPECT_FALSE(DM->Conn->Connected());
    EXPECT_EQ(Main->LConection->text(), QStringLiteral("Conectar"));
    EXPECT_EQ(Main->PanelText(0), QStringLiteral("Conectado"));   // the toggle leaves the status bar
    Main->LConectionExecute();
    EXPECT_TRUE(DM->Conn->Connected());
    EXPECT_EQ(Main->LConection->text(), QStringLiteral("Desconectar"));

    // An open dataset makes it ask; No keeps the connection.
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

TEST_F(StartUp, SairClosesTheMainWindow)
{
    TFMain* Main = H.Start();
    ASSERT_TRUE(Main->isVisible());
    Main->Sair1->trigger();
    EXPECT_FALSE(Main->isVisible());
    EXPECT_EQ(H.Dlg.Count(), 1);   // only the start-up's box: no confirmation
}

// ---- Shared routines ---------------------------------------------------------

TEST(MainRoutines, NowStr)
{
    const QDateTime Before = QDateTime::currentDateTime().addMSecs(-1000);
    const QString S = NowStr();
    const QDateTime After = QDateTime::currentDateTime();
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")).match(S).hasMatch())
        << S.toStdString();
    const QDateTime Read = QDateTime::fromString(S, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    EXPECT_GE(Read, Before);
    EXPECT_LE(Read, After);
}

TEST(MainRoutines, ExpoCadArgument)
{
    EXPECT_TRUE(IsExpoCad(QStringList{QStringLiteral("ExpoCad")}));
    EXPECT_FALSE(IsExpoCad(QStringList{QStringLiteral("expocad")}));
    EXPECT_FALSE(IsExpoCad(QStringList{QStringLiteral("ExpoCad"), QStringLiteral("x")}));
    EXPECT_FALSE(IsExpoCad(QStringList{}));
    EXPECT_FALSE(IsExpoCad());   // the test program runs without arguments
}

TEST(MainRoutines, CurrentCrossingsTable)
{
    EXPECT_EQ(SQL_Cruza_Ativa(),
              QStringLiteral("(SELECT c.*   FROM Cruza c         INNER JOIN (SELECT nc_rep, MAX(seq) AS seq   FROM "
                             "Cruza GROUP BY nc_rep ) c_ativa            ON ((c.nc_rep = c_ativa.nc_rep) AND (c.seq = "
                             "c_ativa.seq)))"));
    TCampaignOptions Options;
    Options.Labels = 20;
    Options.Crossings = 12;
    TCampaignFile Campaign(Options);
    const qint64 L = Campaign.Info.FirstLabel;
    Campaign.Exec(QStringLiteral("DELETE FROM Cruza WHERE nc_rep = %1").arg(L));
    Campaign.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd) "
                                 "VALUES (%1, 1, '0', 1, 'X', '2026-01-01 08:00:00')").arg(L));
    Campaign.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd) "
                                 "VALUES (%1, 2, '1', 1, 'M', '2026-01-02 08:00:00')").arg(L));
    EXPECT_EQ(Campaign.Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + SQL_Cruza_Ativa() + QStringLiteral(" a")),
              Campaign.Scalar(QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT nc_rep FROM Cruza) d")));
    EXPECT_EQ(Campaign.Rows(QStringLiteral("SELECT a.seq, a.reverso, a.status FROM ") + SQL_Cruza_Ativa()
                            + QStringLiteral(" a WHERE a.nc_rep = %1").arg(L)),
              QStringLiteral("2|1|M"));
}

TEST(MainRoutines, ExecutorList)
{
    TMainWindowHarness H;
    TCampaignOptions Options;
    Options.Executors = 3;
    TCampaignFile Campaign(Options);
    H.SaveSettings(Campaign.Path);
    H.Start();
    QComboBox Combo;
    Combo.addItem(QStringLiteral("velho"), 99);
    EXPECT_EQ(Get_ID_Usuario(&Combo), 99);
    Inicialize_Usuario(&Combo, true);
    ASSERT_EQ(Combo.count(), 4);
    EXPECT_EQ(Combo.itemText(0), QStringLiteral("Todos"));
    QStringList Names;
    for (int i = 1; i < Combo.count(); ++i)
        Names << Combo.itemText(i);
    EXPECT_EQ(Names.join(u'|'),
              Campaign.Rows(QStringLiteral("SELECT nome FROM Emasculador ORDER BY nome")).replace(u';', u'|'));
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
    EXPECT_TRUE(H.Dlg.Last().Text.startsWith(
        QStringLiteral("Erro ao Carregar a lista dos Usuários (Inicialize_Usuario): ")));
    EXPECT_EQ(Combo.count(), 3);
}

TEST(MainRoutines, AlertMessage)
{
    TMainWindowHarness H;
    TCampaignFile Campaign;
    H.SaveSettings(Campaign.Path);
    TFMain* Main = H.Start();

    AlertMessage(QStringLiteral("Etiqueta inválida."));   // no sound configured
    EXPECT_TRUE(H.Sound.Log.isEmpty());
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Etiqueta inválida.")});

    const QString Wav = Campaign.Dir.filePath(QStringLiteral("alerta.wav"));
    Main->MPlayer->SetFileName(Wav);
    AlertMessage(QStringLiteral("Vaso não cadastrado."));
    EXPECT_EQ(H.Sound.Played, QStringList{Wav});
    EXPECT_EQ(H.Dlg.Count(), 2);

    // The box comes first, then the player's failure reaches the caller.
    H.Sound.FailOpen = true;
    EXPECT_THROW(AlertMessage(QStringLiteral("Outra.")), EMCIDeviceError);
    EXPECT_EQ(H.Dlg.Last().Text, QStringLiteral("Outra."));
    EXPECT_EQ(H.Dlg.Count(), 3);
}
