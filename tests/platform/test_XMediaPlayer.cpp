#include "XMediaPlayer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

TEST(XMediaPlayer, TheSoundEffectPlayerPlaysOnlyFilesItCanDecode)
{
    QTemporaryDir dir;
    const auto write = [&](const char* Name, const QByteArray& Bytes) {
        QFile f(dir.filePath(QLatin1String(Name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(Bytes) == Bytes.size());
        return f.fileName();
    };
    // RIFF/WAVE, PCM mono 8 kHz 16 bit, 1600 bytes of silence; and a text with the name of a sound.
    const QString wav = write("alerta.wav", QByteArray::fromHex("524946466406000057415645666d74201000000001000100"
                                                                "401f0000803e0000020010006461746140060000")
                                                + QByteArray(1600, '\0'));
    const QString garbage = write("estragado.wav", "isto não é um som");
    TMediaPlayer player;
    // What reaches the user's box after the alert when the sound fails: no English text.
    const auto failure = [&](bool Open) {
        try {
            Open ? player.Open() : player.Play();
        } catch (const EMCIDeviceError& e) {
            return e.Message().toStdString();
        }
        return std::string("<no failure>");
    };
    for (const QString& file : {dir.filePath("falta.wav"), garbage}) {
        player.SetFileName(file);
        EXPECT_EQ(failure(true), QStringLiteral("Não foi possível abrir o arquivo de som \"%1\".").arg(file).toStdString());
        EXPECT_EQ(failure(false), "O arquivo de som não está aberto.");
    }
    player.SetFileName(wav);
    player.Open();
    EXPECT_FALSE(player.IsPlaying());
    player.Play();
    EXPECT_TRUE(player.IsPlaying());
}
