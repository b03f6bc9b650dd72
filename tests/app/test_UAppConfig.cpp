#include "UAppConfig.h"

#include "CampaignFile.h"
#include "UXForms.h"
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

    void SetUp() override
    {
        Config.SetConnection(&Campaign.Conn);
        Config.MPlayer = &Player;
    }
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
        EXPECT_EQ(Config.ParentalCodeLength(), 7);
        try {
            Config.Load(true);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message(), QStringLiteral("Defina a Conexão antes de ler a configuração."));
        }
        EXPECT_FALSE(Config.Loaded);
        ASSERT_TRUE(Player.IsOpen());
    }
    EXPECT_FALSE(Player.IsOpen());
}

TEST_F(AppConfig, ReadsTheRowAndTheLock)
{
    Campaign.Exec(QStringLiteral("UPDATE Configuracao SET nc_code = 1, id_pais_code = 1, etiq_pag = 24, "
                                 "limpa_emasc = 1, cab_etiq_flor = 2, plan_etiq_flor = 0, smt_max_hibr = 9"));
    EXPECT_TRUE(Config.Load(true) && Config.Loaded);
    EXPECT_EQ((QList<int>{Config.NC_CODE, Config.ID_PAIS_CODE, Config.ETIQ_PAG, Config.LIMPA_EMASC, Config.CAB_ETIQ_FLOR,
                          Config.PLAN_ETIQ_FLOR, Config.SMT_MAX_HIBR, Config.TAL_LOCK}),
              (QList<int>{1, 1, 24, 1, 2, 0, 9, 1}));
    EXPECT_EQ(Config.ComputerName, GetComputerNameStr());
    EXPECT_EQ(Config.ParentalCodeLength(), 12);
    Config.ID_PAIS_CODE = 5;
    EXPECT_EQ(Config.ParentalCodeLength(), 0);

    // Only a returned campaign (2) reads as such; only Load sets Loaded.
    for (const char* Lock : {"2", "0", "NULL", "1", "3"}) {
        Campaign.Exec(QStringLiteral("UPDATE Configuracao SET tal_lock = ") + QLatin1String(Lock));
        Config.Loaded = false;
        Config.ReadConfig();
        EXPECT_EQ(Main.windowTitle(), Caption + (*Lock == '2' ? QStringLiteral(" - Somente Consulta") : QString())) << Lock;
        EXPECT_FALSE(Config.Loaded);
    }
    EXPECT_EQ(Config.TAL_LOCK, 3);

    // Unloading reads nothing: a broken connection does not matter.
    Campaign.Conn.Close();
    EXPECT_FALSE(Config.Load(false) || Config.Loaded);
    EXPECT_EQ(Dlg.Count(), 0);
}

TEST_F(AppConfig, AlertSound)
{
    const QString Wav = Campaign.Dir.filePath(QStringLiteral("alerta.wav"));
    Campaign.Exec(QStringLiteral("UPDATE Configuracao SET alert_sound = '%1'").arg(Wav));
    Config.ReadConfig();
    EXPECT_EQ(Player.FileName(), QString());   // not there yet
    ASSERT_TRUE(QFile(Wav).open(QIODevice::WriteOnly));
    Config.ReadConfig();
    EXPECT_EQ(Player.FileName(), Wav);
    // A sound that disappeared from the settings keeps the one chosen before.
    for (const char* Gone : {"'/nao/existe.wav'", "NULL"}) {
        Campaign.Exec(QStringLiteral("UPDATE Configuracao SET alert_sound = ") + QLatin1String(Gone));
        Config.ReadConfig();
        EXPECT_EQ(Player.FileName(), Wav) << Gone;
    }
}

TEST_F(AppConfig, DatabaseFileName)
{
    Config.SetDBFile(Campaign.Path);
    const QString Missing = Campaign.Dir.filePath(QStringLiteral("outro.mdb"));
    Config.SetDBFile(Missing);
    EXPECT_EQ(Dlg.Texts(), QStringList{QStringLiteral("Banco de dados [") + Missing + QStringLiteral("] não encontrado.")});
    EXPECT_EQ(Config.DBFile, Campaign.Path);
    Config.ClearDBFile();
    EXPECT_TRUE(Config.DBFile.isEmpty());
}
