#include "MainWindowHarness.h"

#include "XAdo.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

const QString Ask = QStringLiteral("Há conexões ativas. Desconectar assim mesmo?");

class ConfigDB : public ::testing::Test
{
protected:
    TMainWindowHarness H;
    TCampaignFile Campaign;

    // First start: no settings file, so the window is open and empty.
    TFMain* FirstStart()
    {
        TFMain* Main = H.Start();
        EXPECT_TRUE(H.Dlg.Count() == 1 && FConfigDB);
        H.Dlg.Clear();
        return Main;
    }
    void Pick(const QString& Path) { H.Files.Answer(Path); FConfigDB->BLoadDBFile->click(); }
    QString State(TFMain* Main)
    {
        return QStringList{FConfigDB->BConfirm->text(), Main->PanelText(0), Main->PanelText(2),
                           Main->AppConfig->Loaded ? Main->AppConfig->DBFile : QStringLiteral("-")}.join(u'|');
    }
};

} // namespace

TEST_F(ConfigDB, PickingRefusedCancelledOrOfAnotherStructure)
{
    TFMain* Main = FirstStart();
    Pick(Campaign.Dir.filePath(QStringLiteral("nada.mdb")));
    H.Files.Cancel();
    FConfigDB->BLoadDBFile->click();
    EXPECT_EQ(FConfigDB->EDBase->text() + DM->GetDataSource(), QString());
    // The path typed into the field is only shown: the picked one counts.
    FConfigDB->EDBase->setText(Campaign.Path);
    FConfigDB->BConfirm->click();
    EXPECT_EQ(H.Dlg.Texts(), (QStringList{QStringLiteral(" Arquivo não Encontrado. "), QStringLiteral("Banco de Dados  não Encontrado.")}));
    EXPECT_EQ(State(Main), QStringLiteral("Conectar|Desconectado||-"));
    EXPECT_FALSE(QFile::exists(H.SettingsFile()));
    // A file of another structure: the differences in one box, and the file closed again.
    Campaign.Exec(QStringLiteral("ALTER TABLE Emasculador DROP COLUMN cmaq"));
    H.Dlg.Clear();
    Pick(Campaign.Path);
    FConfigDB->BConfirm->click();
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_TRUE(H.Dlg.Last().Text.contains(QStringLiteral("CMAQ"), Qt::CaseInsensitive)) << H.Boxes();
    EXPECT_FALSE(DM->Conn->Connected() || Main->AppConfig->Loaded || QFile::exists(H.SettingsFile()));
}

TEST_F(ConfigDB, DisconnectUnloadsTheConfigurationAndADeclinedOneChecksAgain)
{
    H.SaveSettings(Campaign.Path);
    const QByteArray Settings = FileBytes(H.SettingsFile());
    TFMain* Main = H.Start();
    Main->LConfigConexao->trigger();
    ASSERT_TRUE(FConfigDB);
    EXPECT_EQ(FConfigDB->EDBase->text(), Campaign.Path);
    FConfigDB->BConfirm->click();
    EXPECT_EQ(State(Main), QStringLiteral("Conectar|Desconectado||-"));
    EXPECT_TRUE(FConfigDB->BLoadDBFile->isEnabled());
    EXPECT_EQ(FileBytes(H.SettingsFile()), Settings);
    // Connecting again loads again.
    FConfigDB->BConfirm->click();
    EXPECT_EQ(State(Main), QStringLiteral("Desconectar|Conectado|%1|%1").arg(Campaign.Path));
    // An open dataset: No keeps the connection; Yes closes it.
    TADOQuery Open;
    Open.setConnection(DM->Conn);
    Open.SQL.setText(QStringLiteral("SELECT * FROM Parental"));
    Open.Open();
    H.Dlg.Answer({mrNo, mrYes});
    FConfigDB->BConfirm->click();
    EXPECT_EQ(State(Main), QStringLiteral("Desconectar|Conectado|%1|%1").arg(Campaign.Path));
    FConfigDB->BConfirm->click();
    EXPECT_EQ(H.Dlg.Texts(), QStringList(2, Ask));
    EXPECT_FALSE(DM->Conn->Connected() || Open.Active() || Main->AppConfig->Loaded);
}

// The file picked on a first start, its path holding ";", quotes and accents, is the one
// connected, and again after a restart; a decoy waits where the path cut at ";" would lead.
TEST_F(ConfigDB, PathWithSeparatorQuotesAndAccentsAcrossARestart)
{
    TCampaignOptions options;
    options.Executors = 7;
    TCampaignFile Odd(options, QStringLiteral("semi;colon \"aspas\" it's ção.mdb"));
    Odd.Conn.Close();
    options.Executors = 3;
    TCampaignBuilder::Build(Odd.Dir.filePath(QStringLiteral("semi")), options);
    const auto connectedTo = [] {
        TADOQuery q;
        q.setConnection(DM->Conn);
        q.SQL.setText(QStringLiteral("SELECT COUNT(1) FROM Emasculador"));
        q.Open();
        return QStringLiteral("%1|%2|%3 executors").arg(DM->Conn->DataSource(), FMain->AppConfig->DBFile).arg(q.Fields(0)->AsInteger());
    };
    TFMain* Main = FirstStart();
    Pick(Odd.Path);
    EXPECT_EQ(FConfigDB->EDBase->text(), Odd.Path);
    EXPECT_FALSE(QFile::exists(H.SettingsFile()));   // only connecting writes it
    FConfigDB->BConfirm->click();
    EXPECT_EQ(State(Main), QStringLiteral("Desconectar|Conectado|%1|%1").arg(Odd.Path));
    EXPECT_FALSE(FConfigDB->BLoadDBFile->isEnabled());
    EXPECT_EQ(connectedTo(), QStringLiteral("%1|%1|7 executors").arg(Odd.Path));
    H.Start();
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Boxes();
    EXPECT_TRUE(FMain->AppConfig->Loaded && !FConfigDB);
    EXPECT_EQ(connectedTo(), QStringLiteral("%1|%1|7 executors").arg(Odd.Path));
}
