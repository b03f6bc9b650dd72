#include "XMediaPlayer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

TEST(XMediaPlayer, TheSoundEffectPlayerOpensOnlyFilesThatExist)
{
    QTemporaryDir dir;
    TMediaPlayer player;
    // What reaches the user's box after the alert when the sound fails.
    const QString missing = dir.filePath("falta.wav");
    const struct
    {
        const char* Name;
        QString File;
        bool Open;
        QString Message;
    } failures[] = {
        {"missing file", missing, true, QStringLiteral("Não foi possível abrir o arquivo de som \"%1\".").arg(missing)},
        {"no file name", QString(), true, QStringLiteral("Não foi possível abrir o arquivo de som \"\".")},
        {"played while closed", missing, false, QStringLiteral("O arquivo de som não está aberto.")},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.Name);
        player.SetFileName(f.File);
        try {
            f.Open ? player.Open() : player.Play();
            ADD_FAILURE() << "no failure";
        } catch (const EMCIDeviceError& e) {
            EXPECT_EQ(e.Message(), f.Message);
        }
    }

    // A short silent PCM file.
    const QString wav = dir.filePath("alerta.wav");
    QFile f(wav);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // RIFF/WAVE, PCM mono 8 kHz 16 bit, 1600 bytes of data.
    f.write(QByteArray::fromHex("524946466406000057415645666d74201000000001000100"
                                "401f0000803e0000020010006461746140060000"));
    f.write(QByteArray(1600, '\0'));
    f.close();
    player.SetFileName(wav);
    player.Open();
    EXPECT_TRUE(player.IsOpen());
    EXPECT_NO_THROW(player.Play());
    player.Close();
}
