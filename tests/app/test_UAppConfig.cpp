#include "UAppConfig.h"

#include "CampaignFile.h"
#include "XAdo.h"
#include "XDialogs.h"
#include "XExceptions.h"
#include "XMediaPlayer.h"

#include <QFile>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

const QString Caption = QStringLiteral("Cadastro Hibridação - Talvora -  V. 02.005");

class AppConfig : public ::testing::Test
{
protected:
    TDlgRecorder Dlg;
    TCampaignFile Campaign;
    QWidget Main;
    TMediaPlayer Player;
    TAppConfig Config{&Main};

    void SetUp() override { Config.SetConnection(&Campaign.Conn); Config.MPlayer = &Player; }
};

} // namespace

TEST(AppConfigNew, NoConnectionAndTheDestructorClosesThePlayer)
{
    TSoundRecorder Sound;
    TMediaPlayer Player;
    Player.SetFileName(QStringLiteral("/tmp/alerta.wav"));
    Player.Open();
    {
        TAppConfig Config;
        Config.MPlayer = &Player;
        EXPECT_THROW(Config.Load(true), Exception);
        EXPECT_FALSE(Config.Loaded);
        ASSERT_TRUE(Player.IsOpen());
    }
    EXPECT_FALSE(Player.IsOpen());
}

// Each value's reading is shown by the windows that use it; here what no window shows.
TEST_F(AppConfig, ReadsTheRowAndTheLockAndKeepsAnExistingFileName)
{
    // Only a returned campaign (2) reads as such.
    Campaign.Exec(QStringLiteral("UPDATE Configuracao SET tal_lock = 3"));
    EXPECT_TRUE(Config.Load(true) && Config.Loaded);
    EXPECT_EQ(Main.windowTitle(), Caption);
    // Unloading reads nothing: a broken connection does not matter.
    Campaign.Conn.Close();
    EXPECT_FALSE(Config.Load(false) || Config.Loaded);
    EXPECT_EQ(Dlg.Count(), 0);
    // A database file that is not there: said so, the one before kept.
    Config.SetDBFile(Campaign.Path);
    const QString Missing = Campaign.Dir.filePath(QStringLiteral("outro.mdb"));
    Config.SetDBFile(Missing);
    EXPECT_EQ(Dlg.Texts(), QStringList{QStringLiteral("Banco de dados [") + Missing + QStringLiteral("] não encontrado.")});
    EXPECT_EQ(Config.DBFile, Campaign.Path);
}

TEST_F(AppConfig, AlertSound)
{
    const QString Wav = Campaign.Dir.filePath(QStringLiteral("alerta.wav"));
    ASSERT_TRUE(QFile(Wav).open(QIODevice::WriteOnly));
    Campaign.Exec(QStringLiteral("UPDATE Configuracao SET alert_sound = '%1'").arg(Wav));
    Config.ReadConfig();
    EXPECT_EQ(Player.FileName(), Wav);
    // A sound missing from the settings or from the disk keeps the one chosen before.
    for (const char* Gone : {"'/nao/existe.wav'", "NULL"}) {
        Campaign.Exec(QStringLiteral("UPDATE Configuracao SET alert_sound = ") + QLatin1String(Gone));
        Config.ReadConfig();
        EXPECT_EQ(Player.FileName(), Wav) << Gone;
    }
}
