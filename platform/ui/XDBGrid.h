#pragma once

// The data grid: a table view over a dataset's result set. Cells are read
// from the result on demand (nothing is copied into the view), so a result of
// any size scrolls at once. The current record follows the selected row and
// the selected row follows the dataset's current record; opening, closing and
// re-querying the dataset keep the grid in step.
//
// A window paints cells through OnDrawColumnCell: it receives the cell's
// rectangle, column, draw state and record number; Canvas() holds the brush
// and font of the cell, already set for the grid's own drawing, and
// DefaultDrawColumnCell() draws the cell's text with them.

#include "XAdo.h"
#include "XGraphics.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>
#include <memory>
#include <vector>

class TDBGrid;
class TDBGridColumns;

class TColumnTitle
{
public:
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& Value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);

private:
    friend class TColumn;
    explicit TColumnTitle(class TColumn* Column) : m_column(Column) {}
    class TColumn* m_column;
    QString m_caption;
    TAlignment m_alignment = taLeftJustify;
};

// One grid column: the field it shows, its title, width and alignment. The
// width is in the windows' own pixels; the grid shows it scaled to its font.
class TColumn
{
public:
    QString FieldName() const { return m_fieldName; }
    void SetFieldName(const QString& Value);
    TColumnTitle* Title() { return &m_title; }
    const TColumnTitle* Title() const { return &m_title; }
    int Width() const { return m_width; }
    void SetWidth(int Value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);
    int Index() const;
    TDBGrid* Grid() const;

private:
    friend class TDBGridColumns;
    friend class TColumnTitle;
    friend class TDBGrid;
    explicit TColumn(TDBGridColumns* Owner) : m_owner(Owner), m_title(this) {}
    void Changed(bool Layout);

    TDBGridColumns* m_owner;
    QString m_fieldName;
    TColumnTitle m_title;
    int m_width = 64;
    TAlignment m_alignment = taLeftJustify;
};

class TDBGridColumns
{
public:
    int Count() const { return int(m_items.size()); }
    TColumn* Items(int Index) const { return m_items.at(size_t(Index)).get(); }
    TColumn* operator[](int Index) const { return Items(Index); }
    // Appends a column (64 pixels wide, left-aligned, no field, no title).
    TColumn* Add();
    void Delete(int Index);
    void Clear();
    TDBGrid* Grid() const { return m_grid; }

private:
    friend class TDBGrid;
    friend class TColumn;
    explicit TDBGridColumns(TDBGrid* Grid) : m_grid(Grid) {}

    TDBGrid* m_grid;
    std::vector<std::unique_ptr<TColumn>> m_items;
};

// The grid's table: one row per record (row r is record number r + 1), one
// column per grid column, the text of each cell read from the result.
class XDataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit XDataSetModel(TDBGrid* Grid);

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role = Qt::DisplayRole) const override;

    // The field index in the result of grid column Col, -1 without one.
    int FieldOf(int Col) const { return Col >= 0 && Col < int(m_fieldOf.size()) ? m_fieldOf[size_t(Col)] : -1; }

private:
    friend class TDBGrid;
    void Rebuild();                 // after any change of the dataset or the columns
    void FollowCount();             // the dataset's rows, once it read them all, keeping the view
    void ResolveFields();

    TDBGrid* m_grid;
    int m_rows = 0;
    std::vector<int> m_fieldOf;
    int m_indicatorRow = -1;
};

enum TDBGridOption {
    dgTitles = 1,
    dgIndicator = 2,
    dgColumnResize = 4,
    dgRowSelect = 8
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridOptions)

class TDBGrid : public QTableView
{
    Q_OBJECT
public:
    using TDrawColumnCellEvent = std::function<void(TDBGrid* Sender, const QRect& Rect, int DataCol,
                                                    TColumn* Column, TGridDrawState State, int RecNo)>;

    explicit TDBGrid(QWidget* Owner = nullptr);
    ~TDBGrid() override;

    TCustomADODataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(TCustomADODataSet* DataSet);

    TDBGridColumns* Columns() { return &m_columns; }

    TDBGridOptions Options() const { return m_options; }
    void SetOptions(TDBGridOptions Value);

    // Called for every data cell after the grid's own drawing (when
    // DefaultDrawing is on) with the record number of the cell's row.
    TDrawColumnCellEvent OnDrawColumnCell;
    bool DefaultDrawing = true;

    // The canvas of the cell being drawn; null outside drawing.
    TGridCanvas* Canvas() const { return m_canvas; }
    // Draws the text of Column's field in the current record of the drawing
    // on the canvas's brush and font.
    void DefaultDrawColumnCell(const QRect& Rect, int DataCol, TColumn* Column, TGridDrawState State);

    // Record number shown in view row Row (from 0); 0 outside the rows.
    int RecNoOfRow(int Row) const;
    // The text of field FieldName in record RecNo; empty when either is missing.
    QString FieldText(int RecNo, const QString& FieldName) const;
    QVariant FieldValue(int RecNo, const QString& FieldName) const;
    // The rectangle of a cell in viewport coordinates (empty when not laid out).
    QRect CellRect(int RecNo, int DataCol) const;
    int RowHeight() const;

    XDataSetModel* DataModel() const { return m_model; }

protected:
    // Column widths follow the font: see FontScale.
    void changeEvent(QEvent* Event) override;

private:
    friend class XDataSetModel;
    friend class TColumn;
    friend class TDBGridColumns;
    template <class> friend class XGridCellDelegate;

    void ColumnsChanged();                 // a column added or removed
    void ColumnChanged(TColumn* Column, bool Layout);
    void ApplyColumnLayout();
    void DataSetChanged();
    void DataSetScrolled();
    void FollowDataSet();
    void CurrentRowChanged(const QModelIndex& Current);
    void MoveIndicator(int Row);
    void PaintCell(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index);

    TDBGridColumns m_columns;
    XDataSetModel* m_model;
    QPointer<TCustomADODataSet> m_dataSet;
    std::vector<QMetaObject::Connection> m_links;
    TDBGridOptions m_options;
    TGridCanvas* m_canvas = nullptr;
    int m_drawRow = -1;          // view row of the cell being drawn
    bool m_syncing = false;
};
