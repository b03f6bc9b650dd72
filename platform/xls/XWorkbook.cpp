#include "XWorkbook.h"

#include "XExceptions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

[[noreturn]] void Fail(const QString& Message)
{
    throw EOleException(Message);
}

void CheckCell(int Row, int Col)
{
    if (Row < 1 || Row > XMaxRows || Col < 1 || Col > XMaxColumns)
        Fail(QStringLiteral("Cell (row %1, column %2) lies outside the sheet.").arg(Row).arg(Col));
}

void CheckRange(const XCellRange& R)
{
    CheckCell(R.FirstRow, R.FirstCol);
    CheckCell(R.LastRow, R.LastCol);
    if (R.FirstRow > R.LastRow || R.FirstCol > R.LastCol)
        Fail(QStringLiteral("Empty cell range."));
}

// One corner of a range: optional '$', column letters, optional '$', row.
bool ParseCorner(QStringView Text, int& Row, int& Col)
{
    qsizetype i = 0;
    const qsizetype n = Text.size();
    if (i < n && Text[i] == u'$')
        ++i;
    long long col = 0;
    const qsizetype lettersFrom = i;
    while (i < n && i - lettersFrom < 4) {
        const char16_t ch = QChar::toUpper(Text[i].unicode());
        if (ch < u'A' || ch > u'Z')
            break;
        col = col * 26 + (ch - u'A' + 1);
        ++i;
    }
    if (i == lettersFrom || col > XMaxColumns)
        return false;
    if (i < n && Text[i] == u'$')
        ++i;
    long long row = 0;
    const qsizetype digitsFrom = i;
    while (i < n && Text[i] >= u'0' && Text[i] <= u'9' && i - digitsFrom < 8) {
        row = row * 10 + (Text[i].unicode() - u'0');
        ++i;
    }
    if (i == digitsFrom || i != n || row < 1 || row > XMaxRows)
        return false;
    Row = int(row);
    Col = int(col);
    return true;
}

// Calibri 11 at 96 dpi, the standard font of a new workbook, in pixels,
// for the printable ASCII characters from the blank on.
constexpr unsigned char AsciiPixels[95] = {
    3, 4, 5, 7, 7, 10, 10, 3, 4, 4, 7, 7, 4, 4, 4, 5,         // ' ' .. '/'
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7,                             // digits
    4, 4, 7, 7, 7, 6, 12,                                     // ':' .. '@'
    8, 8, 8, 9, 7, 7, 9, 9, 4, 5, 8, 6, 13,                   // 'A' .. 'M'
    9, 10, 8, 10, 8, 7, 7, 9, 8, 13, 8, 7, 7,                 // 'N' .. 'Z'
    4, 5, 4, 7, 7, 4,                                         // '[' .. '`'
    7, 8, 6, 8, 7, 4, 7, 8, 3, 4, 7, 3, 12,                   // 'a' .. 'm'
    8, 8, 8, 8, 5, 6, 5, 8, 7, 11, 6, 7, 6,                   // 'n' .. 'z'
    4, 7, 4, 7                                                // '{' .. '~'
};

int CharPixels(char32_t Ch)
{
    if (Ch >= 32 && Ch < 127)
        return AsciiPixels[Ch - 32];
    if (Ch >= 0x2E80)  // CJK and other full-width scripts
        return 14;
    return 7;
}

// Width of the widest line of a UTF-8 text.
int TextPixels(std::string_view Utf8)
{
    int widest = 0;
    int line = 0;
    for (size_t i = 0; i < Utf8.size();) {
        const unsigned char b = static_cast<unsigned char>(Utf8[i]);
        char32_t ch = b;
        int extra = 0;
        if (b >= 0xF0) { ch = b & 0x07; extra = 3; }
        else if (b >= 0xE0) { ch = b & 0x0F; extra = 2; }
        else if (b >= 0xC0) { ch = b & 0x1F; extra = 1; }
        ++i;
        for (; extra > 0 && i < Utf8.size(); --extra, ++i)
            ch = (ch << 6) | (static_cast<unsigned char>(Utf8[i]) & 0x3F);
        if (ch == U'\n') {
            widest = std::max(widest, line);
            line = 0;
        } else if (ch >= 32) {
            line += CharPixels(ch);
        }
    }
    return std::max(widest, line);
}

// A number as the General format shows it.
std::string GeneralText(double V)
{
    char buf[40];
    if (std::floor(V) == V && std::fabs(V) < 1e11)
        std::snprintf(buf, sizeof buf, "%.0f", V);
    else
        std::snprintf(buf, sizeof buf, "%.10G", V);
    return buf;
}

uint64_t StyleKey(const XCellStyle& S)
{
    return uint64_t(S.Border) | uint64_t(S.Alignment) << 4 | uint64_t(S.HasFill) << 8
           | uint64_t(S.FillRgb & 0xFFFFFF) << 9;
}

QString CapText(const QString& Text)
{
    if (Text.size() <= XMaxCellTextLength)
        return Text;
    QList<uint> codes = Text.toUcs4();
    if (codes.size() <= XMaxCellTextLength)
        return Text;
    codes.resize(XMaxCellTextLength);
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(codes.constData()), codes.size());
}

}  // namespace

XCellRange XParseRange(const QString& Text)
{
    XCellRange r;
    const qsizetype colon = Text.indexOf(u':');
    bool ok;
    if (colon < 0) {
        ok = ParseCorner(Text, r.FirstRow, r.FirstCol);
        r.LastRow = r.FirstRow;
        r.LastCol = r.FirstCol;
    } else {
        ok = ParseCorner(QStringView(Text).left(colon), r.FirstRow, r.FirstCol)
             && ParseCorner(QStringView(Text).mid(colon + 1), r.LastRow, r.LastCol);
    }
    if (!ok)
        Fail(QStringLiteral("Invalid cell range \"%1\".").arg(Text));
    if (r.FirstRow > r.LastRow)
        std::swap(r.FirstRow, r.LastRow);
    if (r.FirstCol > r.LastCol)
        std::swap(r.FirstCol, r.LastCol);
    return r;
}

// ---------------------------------------------------------------- XTextPool

uint32_t XTextPool::Intern(std::string_view Text)
{
    if ((m_starts.size() + 1) * 2 > m_slots.size())
        Grow();
    const size_t mask = m_slots.size() - 1;
    size_t h = std::hash<std::string_view>{}(Text) & mask;
    while (m_slots[h] != 0) {
        if (Get(m_slots[h] - 1) == Text)
            return m_slots[h] - 1;
        h = (h + 1) & mask;
    }
    const auto id = uint32_t(m_starts.size());
    m_starts.push_back(m_arena.size());
    m_arena.append(Text);
    m_arena.push_back('\0');
    m_slots[h] = id + 1;
    return id;
}

std::string_view XTextPool::Get(uint32_t Id) const
{
    const uint64_t from = m_starts[Id];
    const uint64_t to = (Id + 1 < m_starts.size() ? m_starts[Id + 1] : m_arena.size()) - 1;
    return {m_arena.data() + from, size_t(to - from)};
}

size_t XTextPool::MemoryUsed() const
{
    return m_arena.capacity() + m_starts.capacity() * sizeof(uint64_t)
           + m_slots.capacity() * sizeof(uint32_t);
}

void XTextPool::Grow()
{
    std::vector<uint32_t> table(std::max<size_t>(64, m_slots.size() * 2), 0);
    const size_t mask = table.size() - 1;
    for (uint32_t id = 0; id < m_starts.size(); ++id) {
        size_t h = std::hash<std::string_view>{}(Get(id)) & mask;
        while (table[h] != 0)
            h = (h + 1) & mask;
        table[h] = id + 1;
    }
    m_slots.swap(table);
}

// ---------------------------------------------------------------- XWorksheet

XWorksheet::XWorksheet(XWorkbook& Book, const QString& Name) : m_book(Book), m_name(Name) {}

void XWorksheet::SetName(const QString& Name)
{
    static const QString forbidden = QStringLiteral(":\\/?*[]");
    bool ok = !Name.isEmpty() && Name.size() <= 31 && !Name.startsWith(u'\'') && !Name.endsWith(u'\'');
    for (QChar ch : Name)
        ok = ok && !forbidden.contains(ch);
    if (!ok)
        Fail(QStringLiteral("Invalid sheet name \"%1\".").arg(Name));
    for (const auto& other : m_book.m_sheets)
        if (other.get() != this && other->m_name.compare(Name, Qt::CaseInsensitive) == 0)
            Fail(QStringLiteral("A sheet named \"%1\" already exists.").arg(Name));
    m_name = Name;
}

const XWorksheet::Cell* XWorksheet::Find(int Row, int Col) const
{
    if (Row < 1 || size_t(Row) > m_rows.size() || Col < 1 || Col > XMaxColumns)
        return nullptr;
    const auto& row = m_rows[size_t(Row) - 1];
    const auto col = uint16_t(Col - 1);
    auto it = std::lower_bound(row.begin(), row.end(), col, [](const Cell& c, uint16_t v) { return c.Col < v; });
    return it != row.end() && it->Col == col ? &*it : nullptr;
}

XWorksheet::Cell& XWorksheet::Take(int Row, int Col)
{
    if (size_t(Row) > m_rows.size())
        m_rows.resize(size_t(Row));
    auto& row = m_rows[size_t(Row) - 1];
    Cell fresh;
    fresh.Number = 0;
    fresh.Col = uint16_t(Col - 1);
    fresh.Style = 0;
    fresh.Kind = XCellKind::Empty;
    if (row.empty() || row.back().Col < fresh.Col) {
        // Rows of a table are alike: reserving the last row's width avoids
        // both regrowth and slack.
        if (row.capacity() == 0)
            row.reserve(m_typicalRowWidth);
        row.push_back(fresh);
        m_typicalRowWidth = std::max<size_t>(1, row.size());
        return row.back();
    }
    auto it = std::lower_bound(row.begin(), row.end(), fresh.Col,
                               [](const Cell& c, uint16_t v) { return c.Col < v; });
    if (it->Col == fresh.Col)
        return *it;
    return *row.insert(it, fresh);
}

void XWorksheet::SetValue(int Row, int Col, const QVariant& Value)
{
    CheckCell(Row, Col);
    XCellKind kind = XCellKind::Empty;
    double number = 0;
    bool boolean = false;
    QString text;
    // A typed null (a Null field of a number column) is empty too, not 0.
    switch (Value.isNull() ? QMetaType::UnknownType : Value.typeId()) {
    case QMetaType::UnknownType:
        break;
    case QMetaType::Bool:
        kind = XCellKind::Boolean;
        boolean = Value.toBool();
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        number = Value.toDouble();
        if (std::isfinite(number)) {
            kind = XCellKind::Number;
        } else {
            // The file format has no infinite or undefined numbers.
            kind = XCellKind::Text;
            text = QString::number(number);
        }
        break;
    default:
        text = Value.toString();
        if (!text.isEmpty())
            kind = XCellKind::Text;
        break;
    }

    if (kind == XCellKind::Empty) {
        if (size_t(Row) > m_rows.size())
            return;
        auto& row = m_rows[size_t(Row) - 1];
        auto it = std::lower_bound(row.begin(), row.end(), uint16_t(Col - 1),
                                   [](const Cell& c, uint16_t v) { return c.Col < v; });
        if (it == row.end() || it->Col != Col - 1)
            return;
        if (it->Style == 0)
            row.erase(it);
        else
            it->Kind = XCellKind::Empty;
        return;
    }

    Cell& cell = Take(Row, Col);
    cell.Kind = kind;
    if (kind == XCellKind::Number)
        cell.Number = number;
    else if (kind == XCellKind::Boolean)
        cell.Boolean = boolean;
    else {
        const QByteArray utf8 = CapText(text).toUtf8();
        cell.Text = m_texts.Intern(std::string_view(utf8.constData(), size_t(utf8.size())));
    }
}

QVariant XWorksheet::Value(int Row, int Col) const
{
    const Cell* c = Find(Row, Col);
    if (!c)
        return {};
    switch (c->Kind) {
    case XCellKind::Number:
        return c->Number;
    case XCellKind::Boolean:
        return c->Boolean;
    case XCellKind::Text: {
        const std::string_view s = m_texts.Get(c->Text);
        return QString::fromUtf8(s.data(), qsizetype(s.size()));
    }
    case XCellKind::Empty:
        break;
    }
    return {};
}

XCellKind XWorksheet::Kind(int Row, int Col) const
{
    const Cell* c = Find(Row, Col);
    return c ? c->Kind : XCellKind::Empty;
}

XCellStyle XWorksheet::Style(int Row, int Col) const
{
    const Cell* c = Find(Row, Col);
    return c ? m_book.StyleAt(c->Style) : XCellStyle{};
}

template <class Change>
void XWorksheet::Restyle(const XCellRange& Range, Change&& Modify)
{
    CheckRange(Range);
    // Every old style maps to one new style; work it out once per style.
    std::vector<int> memo;
    auto next = [&](uint16_t old) {
        if (old >= memo.size())
            memo.resize(size_t(old) + 1, -1);
        if (memo[old] < 0) {
            XCellStyle s = m_book.StyleAt(old);
            Modify(s);
            memo[old] = m_book.InternStyle(s);
        }
        return uint16_t(memo[old]);
    };
    // Whether empty places get a format: the change applied to no format.
    XCellStyle onDefault;
    Modify(onDefault);
    const uint16_t fromDefault = onDefault == XCellStyle{} ? 0 : next(0);
    const auto first = uint16_t(Range.FirstCol - 1);
    const auto last = uint16_t(Range.LastCol - 1);
    const size_t width = size_t(last) - first + 1;
    for (int r = Range.FirstRow; r <= Range.LastRow; ++r) {
        if (size_t(r) > m_rows.size()) {
            if (fromDefault == 0)
                break;  // nothing to mark on rows without cells
            m_rows.resize(size_t(r));
        }
        auto& row = m_rows[size_t(r) - 1];
        auto lo = std::lower_bound(row.begin(), row.end(), first, [](const Cell& c, uint16_t v) { return c.Col < v; });
        auto hi = std::upper_bound(lo, row.end(), last, [](uint16_t v, const Cell& c) { return v < c.Col; });
        if (fromDefault == 0 || size_t(hi - lo) == width) {
            for (auto it = lo; it != hi; ++it)
                it->Style = next(it->Style);
            continue;
        }
        // The range covers empty places too: they become formatted empty cells.
        Row merged;
        merged.reserve(row.size() - size_t(hi - lo) + width);
        merged.insert(merged.end(), row.begin(), lo);
        auto it = lo;
        for (uint32_t c = first; c <= last; ++c) {
            if (it != hi && it->Col == c) {
                Cell kept = *it++;
                kept.Style = next(kept.Style);
                merged.push_back(kept);
            } else {
                Cell blank;
                blank.Number = 0;
                blank.Col = uint16_t(c);
                blank.Style = fromDefault;
                blank.Kind = XCellKind::Empty;
                merged.push_back(blank);
            }
        }
        merged.insert(merged.end(), hi, row.end());
        row.swap(merged);
    }
}

void XWorksheet::SetBorder(const XCellRange& Range, XBorderLine Line)
{
    Restyle(Range, [Line](XCellStyle& s) { s.Border = Line; });
}

void XWorksheet::SetAlignment(const XCellRange& Range, XHorizontalAlignment Alignment)
{
    Restyle(Range, [Alignment](XCellStyle& s) { s.Alignment = Alignment; });
}

void XWorksheet::SetInteriorColor(const XCellRange& Range, uint32_t Rgb)
{
    if (Rgb > 0xFFFFFF)
        Fail(QStringLiteral("Invalid colour %1.").arg(Rgb));
    Restyle(Range, [Rgb](XCellStyle& s) {
        s.HasFill = true;
        s.FillRgb = Rgb;
    });
}

void XWorksheet::AutoFitColumns(int FirstCol, int LastCol)
{
    CheckRange({1, FirstCol, 1, LastCol});
    std::vector<int> pixels(size_t(LastCol - FirstCol) + 1, -1);
    const auto first = uint16_t(FirstCol - 1);
    const auto last = uint16_t(LastCol - 1);
    for (const auto& row : m_rows) {
        auto it = std::lower_bound(row.begin(), row.end(), first, [](const Cell& c, uint16_t v) { return c.Col < v; });
        for (; it != row.end() && it->Col <= last; ++it) {
            int px;
            switch (it->Kind) {
            case XCellKind::Number: px = TextPixels(GeneralText(it->Number)); break;
            case XCellKind::Text: px = TextPixels(m_texts.Get(it->Text)); break;
            case XCellKind::Boolean: px = TextPixels(it->Boolean ? "TRUE" : "FALSE"); break;
            default: continue;
            }
            int& widest = pixels[it->Col - first];
            widest = std::max(widest, px);
        }
    }
    for (size_t i = 0; i < pixels.size(); ++i) {
        const int col = FirstCol + int(i);
        if (pixels[i] < 0) {
            m_widths.erase(col);
            continue;
        }
        // Column widths count characters of 7 pixels, plus a little margin.
        const double width = std::ceil((pixels[i] + 3) / 7.0 * 100.0) / 100.0;
        m_widths[col] = std::min(width, XMaxColumnWidth);
    }
}

double XWorksheet::ColumnWidth(int Col) const
{
    auto it = m_widths.find(Col);
    return it == m_widths.end() ? XDefaultColumnWidth : it->second;
}

int XWorksheet::LastRow() const
{
    for (size_t r = m_rows.size(); r > 0; --r)
        if (!m_rows[r - 1].empty())
            return int(r);
    return 0;
}

size_t XWorksheet::CellCount() const
{
    size_t n = 0;
    for (const auto& row : m_rows)
        n += row.size();
    return n;
}

size_t XWorksheet::MemoryUsed() const
{
    size_t bytes = m_rows.capacity() * sizeof(Row) + m_texts.MemoryUsed();
    for (const auto& row : m_rows)
        bytes += row.capacity() * sizeof(Cell);
    return bytes;
}

// ---------------------------------------------------------------- XWorkbook

XWorkbook::XWorkbook() : m_styles{XCellStyle{}}
{
    m_styleIds.emplace(StyleKey(m_styles.front()), 0);
}

XWorkbook::~XWorkbook() = default;

XWorksheet& XWorkbook::AddSheet(const QString& Name)
{
    std::unique_ptr<XWorksheet> sheet(new XWorksheet(*this, QString()));
    sheet->SetName(Name);
    m_sheets.push_back(std::move(sheet));
    return *m_sheets.back();
}

XWorksheet& XWorkbook::Sheet(int Index) const
{
    if (Index < 1 || Index > SheetCount())
        Fail(QStringLiteral("The workbook has no sheet %1.").arg(Index));
    return *m_sheets[size_t(Index) - 1];
}

uint16_t XWorkbook::InternStyle(const XCellStyle& Style)
{
    const uint64_t key = StyleKey(Style);
    auto it = m_styleIds.find(key);
    if (it != m_styleIds.end())
        return it->second;
    if (m_styles.size() >= size_t(XMaxCellStyles))
        Fail(QStringLiteral("Too many different cell formats."));
    const auto id = uint16_t(m_styles.size());
    m_styles.push_back(Style);
    m_styleIds.emplace(key, id);
    return id;
}
