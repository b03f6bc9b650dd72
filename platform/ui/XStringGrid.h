#pragma once

// The string grid: rows and columns of text addressed as Cells(Col, Row).
// With FixedRows 1, row 0 is the title row, shown as the grid's heading; the
// data rows are 1 and on. Rows and columns count from 0 and RowCount counts
// the title row. A window paints data cells through OnDrawCell, on the
// canvas the grid hands it.

#include "XGraphics.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>

#include <functional>
#include <vector>

class TStringGrid;

class XStringTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit XStringTableModel(TStringGrid* Grid);

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role = Qt::DisplayRole) const override;

private:
    friend class TStringGrid;
    TStringGrid* m_grid;
};

class TStringGrid : public QTableView
{
    Q_OBJECT
public:
    using TDrawCellEvent = std::function<void(TStringGrid* Sender, int ACol, int ARow, const QRect& Rect,
                                              TGridDrawState State)>;

    explicit TStringGrid(QWidget* Owner = nullptr);

    int ColCount() const { return m_colCount; }
    void SetColCount(int Value);
    // Rows including the title row; never below FixedRows.
    int RowCount() const { return int(m_cells.size()); }
    void SetRowCount(int Value);
    int FixedRows() const { return m_fixedRows; }
    void SetFixedRows(int Value);   // 0 or 1

    QString Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const QString& Value);
    // Empties every cell of a row.
    void ClearRow(int ARow);
    // Removes a row; the rows below move up one.
    void DeleteRow(int ARow);
    // Replaces every data row at once (each cut or padded to ColCount); the
    // title row stays. One reset instead of a signal per cell.
    void SetRows(std::vector<QStringList> Rows);

    int DefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(int Value);
    int ColWidths(int ACol) const;
    void SetColWidths(int ACol, int Value);
    int DefaultRowHeight() const;
    void SetDefaultRowHeight(int Value);

    // Selected row (a data row), and column.
    int Row() const { return m_row; }
    void SetRow(int Value);
    int Col() const { return m_col; }
    bool RowSelect() const;
    void SetRowSelect(bool Value);

    TDrawCellEvent OnDrawCell;
    bool DefaultDrawing = true;
    TGridCanvas* Canvas() const { return m_canvas; }
    // The grid's own drawing of a data cell: its text on the canvas's brush.
    void DefaultDrawCell(int ACol, int ARow, const QRect& Rect, TGridDrawState State);

    // Viewport rectangle of a data cell (empty when not laid out).
    QRect CellRect(int ACol, int ARow) const;

private:
    friend class XStringTableModel;
    template <class> friend class XGridCellDelegate;

    int ModelRow(int ARow) const { return ARow - m_fixedRows; }
    void ApplyWidths();
    void SelectCurrent();
    void PaintCell(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index);

    XStringTableModel* m_model;
    std::vector<QStringList> m_cells;   // by grid row
    std::vector<int> m_widths;          // by column; -1 for the default
    int m_colCount = 0;
    int m_fixedRows = 1;
    int m_defaultColWidth = 64;
    int m_row = 1;
    int m_col = 0;
    bool m_syncing = false;
    TGridCanvas* m_canvas = nullptr;
};
