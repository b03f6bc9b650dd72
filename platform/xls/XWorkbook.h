#pragma once

#include <QString>
#include <QVariant>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

// An in-memory workbook with what the program asks of a spreadsheet: sheets,
// cells holding numbers, texts or Booleans, per-cell borders, horizontal
// alignment and interior colour, and column widths fitted to the contents.
// It is saved as an Office Open XML workbook (.xlsx). Rows and columns are
// 1-based, as in A1 names. Invalid requests raise EOleException, the class of
// the automation errors the program once got from the spreadsheet itself.

constexpr int XMaxRows = 1048576;
constexpr int XMaxColumns = 16384;
constexpr int XMaxCellTextLength = 32767;  // characters
constexpr int XMaxCellStyles = 64000;
constexpr double XDefaultColumnWidth = 8.43;
constexpr double XMaxColumnWidth = 255.0;

enum class XBorderLine : uint8_t { None, Continuous, Dash, DashDot, DashDotDot, Dot, Double, SlantDashDot };

enum class XHorizontalAlignment : uint8_t {
    General, Left, Center, Right, Fill, Justify, CenterAcrossSelection, Distributed
};

enum class XCellKind : uint8_t { Empty, Number, Text, Boolean };

struct XCellStyle
{
    XBorderLine Border = XBorderLine::None;  // the same line on all four edges
    XHorizontalAlignment Alignment = XHorizontalAlignment::General;
    bool HasFill = false;
    uint32_t FillRgb = 0;  // 0xRRGGBB, solid fill

    bool operator==(const XCellStyle&) const = default;
};

// A rectangle of cells, corners included.
struct XCellRange
{
    int FirstRow = 1;
    int FirstCol = 1;
    int LastRow = 1;
    int LastCol = 1;
};

// "C7", "A1:E11", "$A$1:$E$11", any letter case; the corners may come in
// any order. Raises EOleException for anything else or beyond the sheet.
XCellRange XParseRange(const QString& Text);

// Texts of one sheet, each kept once, UTF-8 and NUL-terminated in one arena.
class XTextPool
{
public:
    uint32_t Intern(std::string_view Text);
    std::string_view Get(uint32_t Id) const;
    const char* CStr(uint32_t Id) const { return m_arena.data() + m_starts[Id]; }
    size_t Count() const { return m_starts.size(); }
    size_t MemoryUsed() const;

private:
    void Grow();

    std::string m_arena;
    std::vector<uint64_t> m_starts;
    std::vector<uint32_t> m_slots;  // open addressing: Id + 1, 0 = free
};

class XWorkbook;

class XWorksheet
{
public:
    XWorksheet(const XWorksheet&) = delete;
    XWorksheet& operator=(const XWorksheet&) = delete;

    const QString& Name() const { return m_name; }
    // Raises EOleException for a name the spreadsheet refuses.
    void SetName(const QString& Name);

    // Numbers stay numbers, Booleans stay Booleans, everything else is kept
    // as its text; a null value or an empty text empties the cell (its
    // formatting stays).
    void SetValue(int Row, int Col, const QVariant& Value);
    QVariant Value(int Row, int Col) const;
    XCellKind Kind(int Row, int Col) const;
    XCellStyle Style(int Row, int Col) const;

    // Each changes one property of every cell in the range, keeping the others.
    void SetBorder(const XCellRange& Range, XBorderLine Line);
    void SetAlignment(const XCellRange& Range, XHorizontalAlignment Alignment);
    void SetInteriorColor(const XCellRange& Range, uint32_t Rgb);

    // Fits the whole columns to the widest shown value of each; a column
    // without values goes back to the standard width.
    void AutoFitColumns(int FirstCol, int LastCol);
    bool HasColumnWidth(int Col) const { return m_widths.count(Col) != 0; }
    double ColumnWidth(int Col) const;  // in characters of the standard font

    int LastRow() const;  // 0 on an empty sheet
    size_t CellCount() const;
    size_t MemoryUsed() const;

private:
    friend class XWorkbook;

    struct Cell
    {
        union {
            double Number;
            uint32_t Text;
            bool Boolean;
        };
        uint16_t Col;  // 0-based
        uint16_t Style;
        XCellKind Kind;
    };
    using Row = std::vector<Cell>;

    XWorksheet(XWorkbook& Book, const QString& Name);
    const Cell* Find(int Row, int Col) const;
    Cell& Take(int Row, int Col);
    template <class Change>
    void Restyle(const XCellRange& Range, Change&& Modify);
    QString ShownText(const Cell& C) const;

    XWorkbook& m_book;
    QString m_name;
    std::vector<Row> m_rows;  // index Row - 1
    size_t m_typicalRowWidth = 1;
    XTextPool m_texts;
    std::map<int, double> m_widths;  // by 1-based column
};

class XWorkbook
{
public:
    XWorkbook();
    ~XWorkbook();
    XWorkbook(const XWorkbook&) = delete;
    XWorkbook& operator=(const XWorkbook&) = delete;

    XWorksheet& AddSheet(const QString& Name);
    int SheetCount() const { return int(m_sheets.size()); }
    // 1-based; raises EOleException for an index without a sheet.
    XWorksheet& Sheet(int Index) const;
    // The sheet that cell writes without a sheet go to: the first one.
    XWorksheet& ActiveSheet() const { return Sheet(1); }

    int StyleCount() const { return int(m_styles.size()); }
    const XCellStyle& StyleAt(int Id) const { return m_styles[size_t(Id)]; }

    // Writes the workbook under FileName, replacing an existing file only
    // once the new one is complete and read back whole. False, with the
    // reason in Error, when it cannot be written.
    bool SaveAs(const QString& FileName, QString* Error = nullptr) const;

private:
    friend class XWorksheet;
    uint16_t InternStyle(const XCellStyle& Style);

    std::vector<std::unique_ptr<XWorksheet>> m_sheets;
    std::vector<XCellStyle> m_styles;  // Id 0 is the default style
    std::unordered_map<uint64_t, uint16_t> m_styleIds;
};
