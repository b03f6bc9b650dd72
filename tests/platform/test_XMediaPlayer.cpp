#include "XMediaPlayer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

TEST(XMediaPlayer, TheSoundEffectPlayerOpensOnlyFilesThatExist)
{
    QTemporaryDir dir;
    TMediaPlayer player;
    // What reaches the user's box after the alert when the sound fails: no English text.
    const auto failure = [&](bool Open) {
        try {
            Open ? player.Open() : player.Play();
        } catch (const EMCIDeviceError& e) {
            return e.Message();
        }
        return QStringLiteral("<no failure>");
    };
    const QString missing = dir.filePath("falta.wav");
    player.SetFileName(missing);
    EXPECT_EQ(failure(true), QStringLiteral("Não foi possível abrir o arquivo de som \"%1\".").arg(missing));
    EXPECT_EQ(failure(false), QStringLiteral("O arquivo de som não está aberto."));
    // RIFF/WAVE, PCM mono 8 kHz 16 bit, 1600 bytes of silence.
    const QString wav = dir.filePath("alerta.wav");
    QFile f(wav);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromHex("524946466406000057415645666d74201000000001000100"
                                "401f0000803e0000020010006461746140060000"));
    f.write(QByteArray(1600, '\0'));
    f.close();
    player.SetFileName(wav);
    player.Open();
    EXPECT_TRUE(player.IsOpen());
    EXPECT_NO_THROW(player.Play());
}
