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

QByteArray Bytes(std::initializer_list<int> Values)
{
    QByteArray b;
    for (int v : Values)
        b += char(v);
    return b;
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
    EXPECT_EQ(pack.Data, Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0xBC, 0x02, 2, 0, 0, 0, 'a', 'b', 0, 0, 0, 0}));
    SetPack(pack.Data, pack);
    EXPECT_EQ(GetI(pack), -2);
    EXPECT_EQ(GetW(pack), 700);
    QByteArray s;
    GetS(pack, s);
    EXPECT_EQ(s, QByteArray("ab"));
    EXPECT_EQ(pack.Position, 13);

    // Growing past the first capacity keeps every byte.
    PackInit(pack);
    QByteArray expected;
    for (int i = 0; i < 700; ++i) {
        PutW(pack, quint16(i * 91));
        expected += Bytes({(i * 91) & 0xFF, ((i * 91) >> 8) & 0xFF});
    }
    PutS(pack, QByteArray(3000, 'z'));
    PackFinish(pack);
    EXPECT_EQ(pack.Data, expected + Bytes({0xB8, 0x0B, 0, 0}) + QByteArray(3000, 'z'));
}

TEST(UXCodecPrintable, MarkersRunsAndRoundTrip)
{
    EXPECT_EQ(ToPrintable(Bytes({1, 2, 65})), QByteArray("!B!CA")); // too near the end for a run
    EXPECT_EQ(ToPrintable(Bytes({0, 0, 0, 0, 65})), QByteArray(" $AAAAA"));
    EXPECT_EQ(ToPrintable(Bytes({32, 33, 34})), QByteArray("!a!b\""));
    const QByteArray low(230, '\x05'); // a run of 220, then the rest afresh
    EXPECT_EQ(ToPrintable(low + "xyz"),
              QByteArray(" ") + char(252) + QByteArray(220, 'F') + " *" + QByteArray(10, 'F') + "xyz");

    QRandomGenerator rng(20240611);
    for (int n = 0; n < 400; ++n) {
        const QByteArray data = RandomBytes(rng, int(rng.bounded(5001)));
        const QByteArray printable = ToPrintable(data);
        ASSERT_EQ(FromPrintable(printable), data) << "size " << data.size();
        ASSERT_TRUE(std::all_of(printable.begin(), printable.end(), [](char c) { return uchar(c) >= 32; }));
    }
    // Damaged text: a count past the end or a marker at the end stops there.
    EXPECT_EQ(FromPrintable("a \x7f" "AB"), QByteArray("a") + char(0) + char(1));
    EXPECT_EQ(FromPrintable("x!"), QByteArray("x"));
    EXPECT_EQ(FromPrintable("  "), QByteArray());
}

TEST(UXCodecText, LayoutOfTheEncodedText)
{
    const QByteArray encoded = EncodeText("C:\\dados\\campo.mdb", QStringLiteral("Chave#01"));
    TXData pack;
    SetPack(FromPrintable(encoded), pack);
    const int salt = GetW(pack);
    EXPECT_TRUE(salt >= 100 && salt <= 999) << salt;
    QByteArray body;
    GetS(pack, body);
    EXPECT_EQ(pack.Capacity, 2 + 4 + 18 + 14);
    // Key characters and salt digits alternate for three places.
    const QString d = QString::number(salt);
    const QString key = QStringLiteral("C%1h%2a%3ve#01").arg(d[0]).arg(d[1]).arg(d[2]);
    const QByteArray plain = UnscrambleStr(body, key);
    EXPECT_EQ(plain.mid(7, 18), QByteArray("C:\\dados\\campo.mdb"));
    const QByteArray digits = plain.left(7) + plain.right(7);
    EXPECT_TRUE(std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

TEST(UXCodecText, RoundTripOfRandomTextsAndKeys)
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
    const QByteArray b = EncodeText("texto", QStringLiteral("Chave#01"));
    const QByteArray c = EncodeText("texto", QStringLiteral("Chave#01"));
    EXPECT_TRUE(a != b || a != c); // salt and digits change each time
    EXPECT_EQ(DecodeText(b, QStringLiteral("Chave#01")), QByteArray("texto"));
    EXPECT_NE(DecodeText(a, QStringLiteral("Chave#02")), QByteArray("texto")); // a wrong key: a wrong text
}

TEST(UXCodecText, ShortOrDamagedInput)
{
    EXPECT_TRUE(DecodeText(QByteArray(), QStringLiteral("k")).isEmpty());
    EXPECT_TRUE(DecodeText("abcdefghijklmn", QStringLiteral("k")).isEmpty()); // 14 bytes
    for (int salt : {0, 99, 1000, 65535}) // a salt not of three digits
        EXPECT_TRUE(DecodeText(ToPrintable(Pack(salt, QByteArray(20, '5'))), QStringLiteral("key")).isEmpty());
    EXPECT_TRUE(DecodeText(ToPrintable(Pack(500, QByteArray(9, '5'))), QStringLiteral("key")).isEmpty());
    QByteArray raw = FromPrintable(EncodeText("abc", QStringLiteral("key")));
    raw[2] = char(0x7F); // the length beyond the data: the pack's error reaches the caller
    EXPECT_THROW(DecodeText(ToPrintable(raw), QStringLiteral("key")), Exception);

}
