#include "UXLib.h"
#include "XExceptions.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// Random bytes of every value; one string in three is mostly long runs of
// low bytes, to cross the 220-byte limit of a run.
QByteArray RandomBytes(QRandomGenerator& Rng, int Size)
{
    QByteArray data(Size, '\0');
    const bool lowRuns = Rng.bounded(3) == 0;
    for (int i = 0; i < Size; ++i)
        data[i] = char(lowRuns && Rng.bounded(50) != 0 ? Rng.bounded(34) : Rng.bounded(256));
    return data;
}

QByteArray Pack(int Salt, const QByteArray& Body)
{
    TXData pack;
    PackInit(pack);
    PutW(pack, quint16(Salt));
    PutS(pack, Body);
    PackFinish(pack);
    return pack.Data;
}

} // namespace

TEST(UXCodecPack, WriteAndReadBack)
{
    TXData pack;
    PackInit(pack);
    PutI(pack, -2);
    PutW(pack, 700);
    PutS(pack, "ab");
    PutS(pack, QByteArray());
    PackFinish(pack);
    EXPECT_EQ(pack.Data.toHex(), "feffffffbc0202000000616200000000");
    SetPack(pack.Data, pack);
    EXPECT_EQ(GetI(pack), -2);
    EXPECT_EQ(GetW(pack), 700);
    QByteArray s;
    GetS(pack, s);
    EXPECT_EQ(s, QByteArray("ab"));
    EXPECT_EQ(pack.Position, 13);
}

TEST(UXCodecPrintable, MarkersRunsAndRoundTrip)
{
    EXPECT_EQ(ToPrintable("\1\2A"), QByteArray("!B!CA")); // too near the end for a run
    EXPECT_EQ(ToPrintable(QByteArray(4, '\0') + 'A'), QByteArray(" $AAAAA"));
    EXPECT_EQ(ToPrintable(" !\""), QByteArray("!a!b\""));
    const QByteArray low(230, '\x05'); // a run of 220, then the rest afresh
    EXPECT_EQ(ToPrintable(low + "xyz"),
              QByteArray(" ") + char(252) + QByteArray(220, 'F') + " *" + QByteArray(10, 'F') + "xyz");
    QRandomGenerator rng(20240611);
    for (int n = 0; n < 400; ++n) {
        const QByteArray data = RandomBytes(rng, int(rng.bounded(5001))), printable = ToPrintable(data);
        ASSERT_EQ(FromPrintable(printable), data) << "size " << data.size();
        ASSERT_TRUE(std::all_of(printable.begin(), printable.end(), [](char c) { return uchar(c) >= 32; }));
    }
    // Damaged text: a count past the end or a marker at the end stops there.
    EXPECT_EQ(FromPrintable("a \x7f" "AB"), QByteArray("a") + char(0) + char(1));
    EXPECT_EQ(FromPrintable("x!"), QByteArray("x"));
    EXPECT_EQ(FromPrintable("  "), QByteArray());
}

TEST(UXCodecText, RoundTripOfRandomTextsAndKeysAndShortOrDamagedInput)
{
    QRandomGenerator rng(77);
    for (int n = 0; n < 300; ++n) {
        const QByteArray data = RandomBytes(rng, n < 10 ? n : int(rng.bounded(5001)));
        QString key; // 0 to 12 characters: short keys are filled up
        for (int k = int(rng.bounded(13)); k > 0; --k)
            key += QChar(char16_t(33 + rng.bounded(94)));
        ASSERT_EQ(DecodeText(EncodeText(data, key), key), data) << "size " << data.size() << " key " << qPrintable(key);
    }
    const QByteArray a = EncodeText("texto", QStringLiteral("Chave#01"));
    EXPECT_NE(a, EncodeText("texto", QStringLiteral("Chave#01"))); // salt and digits change each time
    EXPECT_NE(DecodeText(a, QStringLiteral("Chave#02")), QByteArray("texto")); // a wrong key: a wrong text

    // Short or damaged input.
    EXPECT_TRUE(DecodeText(QByteArray(), QStringLiteral("k")).isEmpty());
    EXPECT_TRUE(DecodeText("abcdefghijklmn", QStringLiteral("k")).isEmpty()); // 14 bytes
    for (int salt : {0, 99, 1000, 65535}) // a salt not of three digits
        EXPECT_TRUE(DecodeText(ToPrintable(Pack(salt, QByteArray(20, '5'))), QStringLiteral("key")).isEmpty());
    EXPECT_TRUE(DecodeText(ToPrintable(Pack(500, QByteArray(9, '5'))), QStringLiteral("key")).isEmpty());
    QByteArray raw = FromPrintable(EncodeText("abc", QStringLiteral("key")));
    raw[2] = char(0x7F); // the length beyond the data: the pack's error reaches the caller
    EXPECT_THROW(DecodeText(ToPrintable(raw), QStringLiteral("key")), Exception);
}
