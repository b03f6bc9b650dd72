#include "XCollation.h"

#include "XAdo.h"

#include <QChar>
#include <QStringView>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace XAdo {

namespace {

// Folded code points of the scripts names and codes are written in, made at
// the first comparison; the rest is folded as it comes.
constexpr char32_t TableSize = 0x3000;
// A combining mark, left out of a name's order.
constexpr char32_t Skip = 0xFFFFFFFF;
// A byte that starts no UTF-8 sequence sorts after every code point, by its value.
constexpr char32_t BadByte = 0x110000;

// The letter under its accents: the canonical decomposition, as long as what
// it adds is only combining marks (a Hangul syllable stays whole).
char32_t baseLetter(char32_t c)
{
    for (int depth = 0; depth < 4 && QChar::decompositionTag(c) == QChar::Canonical; ++depth) {
        const QList<uint> parts = QChar::decomposition(c).toUcs4();
        if (parts.isEmpty())
            break;
        for (qsizetype i = 1; i < parts.size(); ++i)
            if (QChar::category(parts[i]) != QChar::Mark_NonSpacing)
                return c;
        c = parts[0];
    }
    return c;
}

char32_t foldName(char32_t c)
{
    if (c >= BadByte)
        return c;
    if (QChar::category(c) == QChar::Mark_NonSpacing)
        return Skip;
    return baseLetter(QChar::toCaseFolded(baseLetter(c)));
}

// A letter that is not ASCII never folds to ASCII (the Kelvin sign stays
// itself), so the ASCII letters of two equal codes stand in the same places.
char32_t foldCode(char32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (c >= BadByte)
        return c;
    const char32_t f = QChar::toCaseFolded(c);
    return f < 0x80 ? c : f;
}

struct Tables
{
    std::vector<char32_t> name, code;
    Tables() : name(TableSize), code(TableSize)
    {
        for (char32_t c = 0; c < TableSize; ++c) {
            name[c] = QChar::isSurrogate(c) ? c : foldName(c);
            code[c] = QChar::isSurrogate(c) ? c : foldCode(c);
        }
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

// The next code point of UTF-8 text, or -1 at its end.
inline qint64 next(const uchar*& p, const uchar* end)
{
    if (p == end)
        return -1;
    const uchar b = *p++;
    if (b < 0x80)
        return b;
    int n;
    char32_t c;
    if ((b & 0xE0) == 0xC0) {
        n = 1;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        n = 2;
        c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        n = 3;
        c = b & 0x07;
    } else {
        return BadByte + b;
    }
    if (end - p < n)
        return BadByte + b;
    for (int i = 0; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return BadByte + b;
        c = (c << 6) | (p[i] & 0x3F);
    }
    p += n;
    return c;
}

// The next folded code point (-1 at the end), marks left out when Fold skips them.
template <char32_t (*Fold)(char32_t)>
inline qint64 nextFolded(const uchar*& p, const uchar* end, const std::vector<char32_t>& table)
{
    for (;;) {
        const qint64 c = next(p, end);
        if (c < 0)
            return c;
        const char32_t f = c < qint64(TableSize) ? table[size_t(c)] : Fold(char32_t(c));
        if (f != Skip)
            return f;
    }
}

template <char32_t (*Fold)(char32_t)>
int compareFolded(const std::vector<char32_t>& table, int na, const void* a, int nb, const void* b)
{
    const uchar* pa = static_cast<const uchar*>(a);
    const uchar* pb = static_cast<const uchar*>(b);
    const uchar* ea = pa + na;
    const uchar* eb = pb + nb;
    for (;;) {
        // Letters as NOCASE folds them, without the table.
        if (pa != ea && pb != eb && *pa < 0x80 && *pb < 0x80) {
            const int x = *pa >= 'A' && *pa <= 'Z' ? *pa + 32 : *pa;
            const int y = *pb >= 'A' && *pb <= 'Z' ? *pb + 32 : *pb;
            if (x != y)
                return x < y ? -1 : 1;
            ++pa;
            ++pb;
            continue;
        }
        const qint64 x = nextFolded<Fold>(pa, ea, table);
        const qint64 y = nextFolded<Fold>(pb, eb, table);
        if (x != y)
            return x < y ? -1 : 1;
        if (x < 0)
            return 0;
    }
}

int compareNames(void*, int na, const void* a, int nb, const void* b)
{
    // A sort meets the same name over and over.
    if (na == nb && std::memcmp(a, b, size_t(na)) == 0)
        return 0;
    const int order = compareFolded<foldName>(tables().name, na, a, nb, b);
    if (order != 0)
        return order;
    const int bytes = std::memcmp(a, b, size_t(std::min(na, nb)));
    if (bytes != 0)
        return bytes < 0 ? -1 : 1;
    return na < nb ? -1 : na > nb ? 1 : 0;
}

int compareCodes(void*, int na, const void* a, int nb, const void* b)
{
    if (na == nb && std::memcmp(a, b, size_t(na)) == 0)
        return 0;
    return compareFolded<foldCode>(tables().code, na, a, nb, b);
}

} // namespace

bool RegisterCollations(sqlite3* db)
{
    return sqlite3_create_collation_v2(db, NameCollation, SQLITE_UTF8, nullptr, compareNames, nullptr) == SQLITE_OK
           && sqlite3_create_collation_v2(db, CodeCollation, SQLITE_UTF8, nullptr, compareCodes, nullptr) == SQLITE_OK;
}

QString CodeKey(const QString& Code)
{
    // A code of ASCII letters equals only such codes: its key is in capitals,
    // as most codes are written, so that most keys are the code's own text.
    if (std::all_of(Code.cbegin(), Code.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return Code.toUpper();
    QList<uint> points = Code.toUcs4();
    for (uint& c : points)
        c = foldCode(c);
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), points.size());
}

TTypedCode::TTypedCode(const QString& Column, const QString& Code) : m_code(Code)
{
    const QString exact = Column + QStringLiteral(" = :code COLLATE ") + QLatin1String(CodeCollation);
    qsizetype ascii = 0;
    while (ascii < Code.size() && Code.at(ascii).unicode() < 0x80)
        ++ascii;
    // As NOCASE orders them: every text that starts so lies from m_from up to m_to.
    m_from = Code.left(ascii).toLower();
    while (!m_from.isEmpty() && m_from.back().unicode() == 0x7F)
        m_from.chop(1);
    if (m_from.isEmpty()) {
        m_condition = QLatin1Char('(') + exact + QLatin1Char(')');
        return;
    }
    m_to = m_from;
    m_to.back() = QChar(m_to.back().unicode() + 1);
    m_condition = QLatin1Char('(') + Column + QStringLiteral(" >= :code_from AND ") + Column + QStringLiteral(" < :code_to AND ")
                  + exact + QLatin1Char(')');
}

void TTypedCode::Bind(TParameters& Params) const
{
    auto set = [&](const char* Name, const QString& Value) {
        TParameter* p = Params.ParamByName(QLatin1String(Name));
        p->DataType = ftString;
        p->Value = Value;
    };
    set("code", m_code);
    if (!m_from.isEmpty()) {
        set("code_from", m_from);
        set("code_to", m_to);
    }
}

} // namespace XAdo
