// The pack buffer and the settings-text codec of UXLib.
#include "UXLib.h"

#include "XExceptions.h"
#include <QRandomGenerator>
#include <cstring>

// ---- Pack buffer -----------------------------------------------------------

void PackInit(TXData& Pack)
{
    Pack.Data = QByteArray(1000, '\0');
    Pack.Capacity = 1000;
    Pack.Position = 1;
}

void PackGrow(TXData& Pack, int Need)
{
    if (qint64(Pack.Position) + Need > Pack.Capacity) {
        Pack.Capacity = Pack.Capacity + Need + Pack.Capacity / 2;
        Pack.Data.resize(Pack.Capacity);
    }
}

void PutI(TXData& Pack, qint32 Value)
{
    PackGrow(Pack, 4);
    const quint32 v = quint32(Value);
    char* p = Pack.Data.data() + Pack.Position - 1;
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
    Pack.Position += 4;
}

void PutW(TXData& Pack, quint16 Value)
{
    PackGrow(Pack, 2);
    char* p = Pack.Data.data() + Pack.Position - 1;
    p[0] = char(Value & 0xFF);
    p[1] = char(Value >> 8);
    Pack.Position += 2;
}

void PutS(TXData& Pack, const QByteArray& Text)
{
    const int n = int(Text.size());
    PutI(Pack, n);
    PackGrow(Pack, n);
    if (n > 0)
        std::memcpy(Pack.Data.data() + Pack.Position - 1, Text.constData(), size_t(n));
    Pack.Position += n;
}

void PackFinish(TXData& Pack)
{
    Pack.Capacity = Pack.Position - 1;
    Pack.Data.truncate(Pack.Capacity);
}

void SetPack(const QByteArray& Text, TXData& Pack)
{
    Pack.Data = Text;
    Pack.Capacity = qint32(Text.size());
    Pack.Position = 1;
}

namespace {

// Bytes left from Position to the end; a damaged pack reads as consumed.
qint64 Remaining(const TXData& Pack)
{
    const qint64 available = qMin<qint64>(Pack.Capacity, Pack.Data.size());
    if (Pack.Position < 1)
        return 0;
    return qMax<qint64>(0, available - Pack.Position + 1);
}

} // namespace

qint32 GetI(TXData& Pack)
{
    if (Remaining(Pack) < 4) {
        Pack.Position = Pack.Capacity + 1;
        return 0;
    }
    const uchar* p = reinterpret_cast<const uchar*>(Pack.Data.constData()) + Pack.Position - 1;
    const quint32 v = quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
    Pack.Position += 4;
    return qint32(v);
}

quint16 GetW(TXData& Pack)
{
    if (Remaining(Pack) < 2) {
        Pack.Position = Pack.Capacity + 1;
        return 0;
    }
    const uchar* p = reinterpret_cast<const uchar*>(Pack.Data.constData()) + Pack.Position - 1;
    Pack.Position += 2;
    return quint16(p[0] | (p[1] << 8));
}

void GetS(TXData& Pack, QByteArray& Text)
{
    const qint32 n = GetI(Pack);
    if (n < 0 || n > Remaining(Pack))
        throw Exception(QStringLiteral("Erro de leitura (GetS): texto maior que o pacote."));
    Text = Pack.Data.mid(Pack.Position - 1, n);
    Pack.Position += n;
}

// ---- Codec -----------------------------------------------------------------

namespace {

// Fills a key shorter than four characters.
const char kKeyFill[] = "XL01";

QByteArray KeyBytes(const QString& Key)
{
    return Key.toUtf8();
}

// The key with the salt's three digits woven in after its first three
// characters; empty when the salt is not of three digits.
QByteArray EffectiveKey(const QString& Key, int Salt)
{
    QByteArray key = KeyBytes(Key);
    if (key.size() < 4)
        key += QByteArray(kKeyFill + key.size(), 4 - key.size());
    const QByteArray digits = QByteArray::number(Salt);
    if (digits.size() != 3)
        return QByteArray();
    QByteArray result;
    result.reserve(key.size() + 3);
    for (int i = 0; i < 3; ++i) {
        result += key.at(i);
        result += digits.at(i);
    }
    result += key.mid(3);
    return result;
}

// Byte i (counting from 1) moves by i - k on odd places and by i + k on even
// ones, k being the key's bytes in turn; unscrambling moves it back.
enum TShift { Scrambling = 1, Unscrambling = -1 };

void ShiftBytes(uchar* Buffer, int Count, const QByteArray& Key, TShift Direction)
{
    if (Key.isEmpty() || Count < 1)
        return;
    const int keyLen = int(Key.size());
    int j = 0;
    for (int i = 1; i <= Count; ++i) {
        const int k = uchar(Key.at(j));
        const int shift = (i % 2 == 1) ? i - k : i + k;
        Buffer[i - 1] = uchar((Buffer[i - 1] + Direction * shift) & 0xFF);
        j = (j + 1) % keyLen;
    }
}

QByteArray ShiftedCopy(const QByteArray& Text, const QByteArray& Key, TShift Direction)
{
    QByteArray result = Text;
    if (!result.isEmpty())
        ShiftBytes(reinterpret_cast<uchar*>(result.data()), int(result.size()), Key, Direction);
    return result;
}

QByteArray ScrambleWith(const QByteArray& Text, const QByteArray& Key)
{
    return ShiftedCopy(Text, Key, Scrambling);
}

QByteArray UnscrambleWith(const QByteArray& Text, const QByteArray& Key)
{
    return ShiftedCopy(Text, Key, Unscrambling);
}

} // namespace

void Scramble(char* Buffer, int Count, const QString& Key)
{
    ShiftBytes(reinterpret_cast<uchar*>(Buffer), Count, KeyBytes(Key), Scrambling);
}

void Unscramble(char* Buffer, int Count, const QString& Key)
{
    ShiftBytes(reinterpret_cast<uchar*>(Buffer), Count, KeyBytes(Key), Unscrambling);
}

QByteArray ScrambleStr(const QByteArray& Text, const QString& Key)
{
    return ScrambleWith(Text, KeyBytes(Key));
}

QByteArray UnscrambleStr(const QByteArray& Text, const QString& Key)
{
    return UnscrambleWith(Text, KeyBytes(Key));
}

QByteArray ToPrintable(const QByteArray& Data)
{
    const qsizetype len = Data.size();
    const uchar* d = reinterpret_cast<const uchar*>(Data.constData());
    QByteArray out;
    out.reserve(len + len / 8 + 4);
    qsizetype i = 0; // 0-based: position i + 1
    while (i < len) {
        const uchar b = d[i];
        if (b >= 34) {
            out += char(b);
            ++i;
        } else if (i + 1 < len - 2 && d[i + 1] < 34) {
            out += ' ';
            const qsizetype countAt = out.size();
            out += ' ';
            int count = 0;
            while (i < len && d[i] < 34 && count < 220) {
                out += char(d[i] + 65);
                ++count;
                ++i;
            }
            out[countAt] = char(count + 32);
        } else {
            out += '!';
            out += char(b + 65);
            ++i;
        }
    }
    return out;
}

QByteArray FromPrintable(const QByteArray& Text)
{
    const qsizetype len = Text.size();
    const uchar* t = reinterpret_cast<const uchar*>(Text.constData());
    QByteArray out;
    out.reserve(len);
    qsizetype i = 0;
    while (i < len) {
        const uchar c = t[i++];
        if (c == ' ') {
            if (i >= len)
                break;
            // A damaged count never reads past the end.
            qsizetype count = qsizetype(t[i++]) - 32;
            while (count > 0 && i < len) {
                out += char((t[i++] - 65) & 0xFF);
                --count;
            }
        } else if (c == '!') {
            if (i >= len)
                break;
            out += char((t[i++] - 65) & 0xFF);
        } else {
            out += char(c);
        }
    }
    return out;
}

QByteArray EncodeText(const QByteArray& Text, const QString& Key)
{
    QRandomGenerator* random = QRandomGenerator::global();
    int salt = 0;
    do
        salt = int(random->bounded(1000));
    while (salt < 100);
    TXData pack;
    PackInit(pack);
    PutW(pack, quint16(salt));
    const QByteArray key = EffectiveKey(Key, salt);
    QByteArray body = Text;
    for (int n = 0; n < 7; ++n) {
        const char d1 = char('0' + random->bounded(10));
        const char d2 = char('0' + random->bounded(10));
        body = d1 + body + d2;
    }
    PutS(pack, ScrambleWith(body, key));
    PackFinish(pack);
    return ToPrintable(pack.Data);
}

QByteArray DecodeText(const QByteArray& Text, const QString& Key)
{
    TXData pack;
    SetPack(FromPrintable(Text), pack);
    if (pack.Data.size() < 15)
        return QByteArray();
    const int salt = GetW(pack);
    const QByteArray key = EffectiveKey(Key, salt);
    if (key.isEmpty())
        return QByteArray();
    QByteArray body;
    GetS(pack, body);
    body = UnscrambleWith(body, key);
    if (body.size() < 14)
        return QByteArray();
    return body.mid(7, body.size() - 14);
}
