#include "MainWindowHarness.h"

#include "CampaignFile.h"
#include "XAdo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class ConfigDB : public ::testing::Test
{
protected:
    TMainWindowHarness H;

    // First start: no settings file, so the window is open and empty.
    TFMain* FirstStart()
    {
        TFMain* Main = H.Start();
        EXPECT_EQ(H.Dlg.Count(), 1);
        H.Dlg.Clear();
        EXPECT_TRUE(FConfigDB);
        return Main;
    }

    void Pick(const QString& Path)
    {
        H.Files.Answer(Path);
        FConfigDB->BLoadDBFile->click();
    }
};

} // namespace

TEST_F(ConfigDB, FirstStartPickConnectAndStartAgain)
{
    TCampaignFile Campaign;
    Campaign.Conn.Close();
    TFMain* Main = FirstStart();

    Pick(Campaign.Path);
    ASSERT_EQ(H.Files.Count(), 1);
    const TFileDialogRequest& ask = H.Files.Last();
    EXPECT_EQ(ask.Kind, TFileDialogKind::Open);
    EXPECT_EQ(ask.InitialDir, QFileInfo(QCoreApplication::applicationFilePath()).absolutePath());
    EXPECT_EQ(ask.Filter + u' ' + ask.DefaultExt, QStringLiteral("Banco de Dados (*.MDB)|*.mdb|Todos Arquivos (*.*)|*.* *.mdb"));
    EXPECT_EQ(FConfigDB->windowTitle(), QStringLiteral("Configurar Conexão DB"));
    EXPECT_EQ(FConfigDB->EDBase->text(), Campaign.Path);
    EXPECT_EQ(DM->GetDataSource(), Campaign.Path);
    EXPECT_FALSE(QFile::exists(H.SettingsFile()));   // only connecting writes it

    FConfigDB->BConfirm->click();
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
    EXPECT_EQ(FConfigDB->BConfirm->text(), QStringLiteral("Desconectar"));
    EXPECT_FALSE(FConfigDB->BLoadDBFile->isEnabled());
    EXPECT_EQ(Main->PanelText(0) + u' ' + Main->PanelText(2), QStringLiteral("Conectado ") + Campaign.Path);
    EXPECT_EQ(Main->AppConfig->DBFile, Campaign.Path);
    EXPECT_EQ(Main->windowTitle(), QStringLiteral("Cadastro Hibridação - Talvora -  V. 02.005"));
    EXPECT_TRUE(QFile::exists(H.SettingsFile()));

    // The program started again finds the file by itself.
    H.Start();
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
    EXPECT_EQ(FMain->PanelText(0) + u' ' + FMain->PanelText(2), QStringLiteral("Conectado ") + Campaign.Path);
    EXPECT_TRUE(FMain->AppConfig->Loaded);
    EXPECT_FALSE(FConfigDB);
}

TEST_F(ConfigDB, PickingRefusedOrCancelled)
{
    TCampaignFile Campaign;
    FirstStart();
    Pick(Campaign.Dir.filePath(QStringLiteral("nada.mdb")));
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral(" Arquivo não Encontrado. ")});
    EXPECT_EQ(FConfigDB->EDBase->text(), QString());
    EXPECT_EQ(DM->GetDataSource(), QString());

    H.Files.Cancel();
    FConfigDB->BLoadDBFile->click();
    EXPECT_EQ(H.Files.Count(), 2);
    EXPECT_EQ(H.Dlg.Count(), 1);
    EXPECT_EQ(DM->GetDataSource(), QString());

    // The path typed into the field is only shown: the picked one counts.
    FConfigDB->EDBase->setText(Campaign.Path);
    FConfigDB->BConfirm->click();
    EXPECT_EQ(H.Dlg.Last().Text, QStringLiteral("Banco de Dados  não Encontrado."));
    EXPECT_EQ(FConfigDB->BConfirm->text(), QStringLiteral("Conectar"));
    EXPECT_FALSE(DM->Conn->Connected());
    EXPECT_FALSE(QFile::exists(H.SettingsFile()));
}

TEST_F(ConfigDB, DisconnectUnloadsTheConfiguration)
{
    TCampaignFile Campaign;
    H.SaveSettings(Campaign.Path);
    const QByteArray Settings = FileBytes(H.SettingsFile());
    TFMain* Main = H.Start();
    ASSERT_TRUE(Main->AppConfig->Loaded);
    Main->LConfigConexao->trigger();
    ASSERT_TRUE(FConfigDB);
    EXPECT_EQ(FConfigDB->EDBase->text(), Campaign.Path);
    EXPECT_EQ(FConfigDB->BConfirm->text(), QStringLiteral("Desconectar"));

    FConfigDB->BConfirm->click();
    EXPECT_EQ(H.Dlg.Count(), 0);
    EXPECT_FALSE(DM->Conn->Connected());
    EXPECT_FALSE(Main->AppConfig->Loaded);
    EXPECT_EQ(Main->AppConfig->DBFile, QString());
    EXPECT_EQ(FConfigDB->BConfirm->text(), QStringLiteral("Conectar"));
    EXPECT_TRUE(FConfigDB->BLoadDBFile->isEnabled());
    EXPECT_EQ(Main->PanelText(0) + u'|' + Main->PanelText(2), QStringLiteral("Desconectado|"));
    EXPECT_EQ(FileBytes(H.SettingsFile()), Settings);

    // Connecting again checks, saves and loads again.
    FConfigDB->BConfirm->click();
    EXPECT_EQ(H.Dlg.Count(), 0);
    EXPECT_TRUE(Main->AppConfig->Loaded);
    EXPECT_EQ(Main->PanelText(0), QStringLiteral("Conectado"));
    EXPECT_EQ(FileBytes(H.SettingsBase() + QStringLiteral(".bkp")), Settings);
}

TEST_F(ConfigDB, DeclinedDisconnectionChecksAgain)
{
    TCampaignFile Campaign;
    H.SaveSettings(Campaign.Path);
    TFMain* Main = H.Start();
    Main->LConfigConexao->trigger();
    TADOQuery Open;
    Open.setConnection(DM->Conn);
    Open.SQL.setText(QStringLiteral("SELECT * FROM Parental"));
    Open.Open();

    H.Dlg.Answer(mrNo);
    FConfigDB->BConfirm->click();
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Há conexões ativas. Desconectar assim mesmo?")});
    EXPECT_TRUE(DM->Conn->Connected());
    EXPECT_TRUE(Main->AppConfig->Loaded);
    EXPECT_EQ(FConfigDB->BConfirm->text(), QStringLiteral("Desconectar"));
    // Still connected, so the settings file was written once more.
    EXPECT_TRUE(QFile::exists(H.SettingsBase() + QStringLiteral(".bkp")));

    H.Dlg.Answer(mrYes);
    FConfigDB->BConfirm->click();
    EXPECT_FALSE(DM->Conn->Connected());
    EXPECT_FALSE(Open.Active());
    EXPECT_FALSE(Main->AppConfig->Loaded);
}

TEST_F(ConfigDB, FileWithADifferentStructure)
{
    TCampaignFile Campaign;
    Campaign.Exec(QStringLiteral("ALTER TABLE Emasculador DROP COLUMN cmaq"));
    TFMain* Main = FirstStart();
    Pick(Campaign.Path);
    FConfigDB->BConfirm->click();
    // The differences in one box; the file is closed again.
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_TRUE(H.Dlg.Last().Text.contains(QStringLiteral("CMAQ"), Qt::CaseInsensitive))
        << H.Dlg.Last().Text.toStdString();
    EXPECT_FALSE(DM->Conn->Connected());
    EXPECT_FALSE(Main->AppConfig->Loaded);
    EXPECT_FALSE(QFile::exists(H.SettingsFile()));
}
