#pragma once

#include "UXComponent.h"
#include "XWorkbook.h"

#include <QString>
#include <QVariant>
#include <memory>

// Values of the spreadsheet's automation constants that the writer takes.
constexpr int xlContinuous = 1;
constexpr int xlDash = -4115;
constexpr int xlDashDot = 4;
constexpr int xlDashDotDot = 5;
constexpr int xlDot = -4118;
constexpr int xlDouble = -4119;
constexpr int xlSlantDashDot = 13;
constexpr int xlLineStyleNone = -4142;

constexpr int xlGeneral = 1;
constexpr int xlLeft = -4131;
constexpr int xlCenter = -4108;
constexpr int xlRight = -4152;
constexpr int xlFill = 5;
constexpr int xlJustify = -4130;
constexpr int xlCenterAcrossSelection = 7;
constexpr int xlDistributed = -4117;

// Writes a new workbook with one sheet, "Plan1": cell values, borders,
// alignment, interior colours and fitted columns, saved as an Office Open XML
// workbook. Open, fill and format, SaveAs, Close. Rows and columns are 1-based.
class TXXLS : public TXComponent
{
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(bool NewFile READ NewFile WRITE SetNewFile)

public:
    explicit TXXLS(QObject* Owner = nullptr);
    ~TXXLS() override;

    QString FileName() const { return m_fileName; }
    void SetFileName(const QString& Value) { m_fileName = Value; }
    bool NewFile() const { return m_newFile; }
    void SetNewFile(bool Value) { m_newFile = Value; }

    // The workbook being written (null while closed) and its working sheet.
    XWorkbook* ExcelApp() const { return m_excelApp.get(); }
    XWorksheet* Sheet() const { return m_sheet; }
    // Name of an existing workbook that was opened; existing workbooks are
    // never opened, so it stays empty.
    QString WorkbookName() const { return m_workbookName; }

    // True when a new workbook with its sheet "Plan1" is ready. Existing
    // workbooks (NewFile false) cannot be opened: False. Never raises.
    bool Open();
    // True once the workbook is written under FileName; False when it cannot
    // be written (no workbook, missing folder, no permission, a full disk),
    // with the reason in Error. Never raises.
    bool SaveAs(QString* Error = nullptr);
    // Drops the workbook, unsaved changes included.
    void Close();
    bool IsOpen() const { return m_excelApp != nullptr; }

    // Makes sheet Index the working sheet; raises EOleException when there
    // is no such sheet.
    void SelectSheet(int Index);
    // Writes to the active sheet; does nothing while closed.
    void SetCell(int Col, int Row, const QVariant& Value);
    // "C1" for Row 1, Col 3; empty when Row or Col is below 1.
    static QString CellName(int Row, int Col);

    // Range operations on the working sheet, with A1-style ranges ("A1:E11").
    // They raise EOleException for an invalid range or value, or when no
    // sheet is selected.
    void SetBorder(const QString& Range, int LineStyle);
    void SetAlignment(const QString& Range, int Value);
    // Color in the automation form 0x00BBGGRR.
    void SetColor(const QString& Range, int Color);
    // Fits the whole columns of the range to their contents.
    void AutoFit(const QString& Range);

private:
    XWorksheet& RangeSheet() const;

    QString m_fileName;
    bool m_newFile = false;
    std::unique_ptr<XWorkbook> m_excelApp;
    XWorksheet* m_sheet = nullptr;
    QString m_workbookName;
};

// Column letters in bijective base 26: 1 A, 26 Z, 27 AA, 703 AAA; empty below 1.
QString ColumnLetters(int Col);
