#include "XMediaPlayer.h"

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

TEST(XMediaPlayer, RecorderKeepsWhatWasOpenedPlayedAndClosed)
{
    TSoundRecorder rec;
    TMediaPlayer player;
    player.setObjectName("MPlayer");
    player.SetFileName("/sons/alerta.wav");
    EXPECT_FALSE(player.IsOpen());
    EXPECT_THROW(player.Play(), EMCIDeviceError);

    player.Open();
    player.Play();
    player.Open();   // opening again closes first
    player.Play();
    player.Close();
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(rec.Log, (QStringList{"Open /sons/alerta.wav", "Play /sons/alerta.wav", "Close /sons/alerta.wav",
                                    "Open /sons/alerta.wav", "Play /sons/alerta.wav", "Close /sons/alerta.wav"}));
    EXPECT_EQ(rec.Played, (QStringList{"/sons/alerta.wav", "/sons/alerta.wav"}));

    rec.FailOpen = true;
    EXPECT_THROW(player.Open(), EMCIDeviceError);
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(rec.Played.size(), 2);
}

TEST(XMediaPlayer, APlayerMayOutliveTheRecorder)
{
    auto player = std::make_unique<TMediaPlayer>();
    {
        TSoundRecorder rec;
        player->SetFileName("a.wav");
        player->Open();
    }
    EXPECT_TRUE(player->IsOpen());
    player->Play();
    player.reset();
}

TEST(XMediaPlayer, TheSoundEffectPlayerOpensOnlyFilesThatExist)
{
    QTemporaryDir dir;
    TMediaPlayer player;
    player.SetFileName(dir.filePath("falta.wav"));
    try {
        player.Open();
        FAIL() << "a missing file was opened";
    } catch (const EMCIDeviceError& e) {
        EXPECT_TRUE(e.Message().contains("falta.wav"));
        EXPECT_EQ(e.ClassName(), "EMCIDeviceError");
    }
    player.SetFileName(QString());
    EXPECT_THROW(player.Open(), EMCIDeviceError);

    // A short silent PCM file.
    const QString wav = dir.filePath("alerta.wav");
    QFile f(wav);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QDataStream s(&f);
    s.setByteOrder(QDataStream::LittleEndian);
    const quint32 samples = 800;
    f.write("RIFF");
    s << quint32(36 + samples * 2);
    f.write("WAVEfmt ");
    s << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2) << quint16(16);
    f.write("data");
    s << quint32(samples * 2);
    f.write(QByteArray(int(samples * 2), '\0'));
    f.close();
    player.SetFileName(wav);
    player.Open();
    EXPECT_TRUE(player.IsOpen());
    EXPECT_NO_THROW(player.Play());
    player.Close();
}
