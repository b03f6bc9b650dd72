#include "UXXLS.h"

#include "XExceptions.h"

namespace {

XBorderLine BorderLine(int LineStyle)
{
    switch (LineStyle) {
    case xlContinuous: return XBorderLine::Continuous;
    case xlDash: return XBorderLine::Dash;
    case xlDashDot: return XBorderLine::DashDot;
    case xlDashDotDot: return XBorderLine::DashDotDot;
    case xlDot: return XBorderLine::Dot;
    case xlDouble: return XBorderLine::Double;
    case xlSlantDashDot: return XBorderLine::SlantDashDot;
    case xlLineStyleNone: return XBorderLine::None;
    }
    throw EOleException(QStringLiteral("Unable to set the LineStyle property of the Borders class (%1).").arg(LineStyle));
}

XHorizontalAlignment HorizontalAlignment(int Value)
{
    switch (Value) {
    case xlGeneral: return XHorizontalAlignment::General;
    case xlLeft: return XHorizontalAlignment::Left;
    case xlCenter: return XHorizontalAlignment::Center;
    case xlRight: return XHorizontalAlignment::Right;
    case xlFill: return XHorizontalAlignment::Fill;
    case xlJustify: return XHorizontalAlignment::Justify;
    case xlCenterAcrossSelection: return XHorizontalAlignment::CenterAcrossSelection;
    case xlDistributed: return XHorizontalAlignment::Distributed;
    }
    throw EOleException(
        QStringLiteral("Unable to set the HorizontalAlignment property of the Range class (%1).").arg(Value));
}

}  // namespace

TXXLS::TXXLS(QObject* Owner) : TXComponent(Owner) {}

TXXLS::~TXXLS()
{
    Close();
}

bool TXXLS::Open()
{
    Close();
    try {
        // Only new workbooks are written; there is no reader of existing ones.
        if (!m_newFile)
            return false;
        m_excelApp = std::make_unique<XWorkbook>();
        m_excelApp->AddSheet(QStringLiteral("Plan1"));
        SelectSheet(1);
        return true;
    } catch (...) {
        Close();
        return false;
    }
}

bool TXXLS::SaveAs(QString* Error)
{
    try {
        if (!m_excelApp || !m_newFile)
            return false;
        return m_excelApp->SaveAs(m_fileName, Error);
    } catch (...) {
        return false;
    }
}

void TXXLS::Close()
{
    m_sheet = nullptr;
    m_excelApp.reset();
}

void TXXLS::SelectSheet(int Index)
{
    if (!m_excelApp)
        throw EOleException(QStringLiteral("No workbook is open."));
    if (!m_newFile)
        throw EOleException(QStringLiteral("No workbook named \"%1\" is open.").arg(m_workbookName));
    m_sheet = &m_excelApp->Sheet(Index);
}

void TXXLS::SetCell(int Col, int Row, const QVariant& Value)
{
    if (IsOpen())
        m_excelApp->ActiveSheet().SetValue(Row, Col, Value);
}

QString TXXLS::CellName(int Row, int Col)
{
    if (Row < 1 || Col < 1)
        return {};
    return ColumnLetters(Col) + QString::number(Row);
}

XWorksheet& TXXLS::RangeSheet() const
{
    if (!m_sheet)
        throw EOleException(QStringLiteral("No worksheet is selected."));
    return *m_sheet;
}

void TXXLS::SetBorder(const QString& Range, int LineStyle)
{
    XWorksheet& sheet = RangeSheet();
    sheet.SetBorder(XParseRange(Range), BorderLine(LineStyle));
}

void TXXLS::SetAlignment(const QString& Range, int Value)
{
    XWorksheet& sheet = RangeSheet();
    sheet.SetAlignment(XParseRange(Range), HorizontalAlignment(Value));
}

void TXXLS::SetColor(const QString& Range, int Color)
{
    XWorksheet& sheet = RangeSheet();
    if (Color < 0 || Color > 0xFFFFFF)
        throw EOleException(QStringLiteral("Unable to set the Color property of the Interior class (%1).").arg(Color));
    const auto bgr = uint32_t(Color);
    const uint32_t rgb = (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
    sheet.SetInteriorColor(XParseRange(Range), rgb);
}

void TXXLS::AutoFit(const QString& Range)
{
    XWorksheet& sheet = RangeSheet();
    const XCellRange r = XParseRange(Range);
    sheet.AutoFitColumns(r.FirstCol, r.LastCol);
}

QString ColumnLetters(int Col)
{
    QString letters;
    while (Col > 0) {
        int r = Col % 26;
        int q = Col / 26;
        if (r == 0) {
            r = 26;
            --q;
        }
        letters.prepend(QChar(u'A' + r - 1));
        Col = q;
    }
    return letters;
}
