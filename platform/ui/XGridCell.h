#pragma once

// What the string grid and the data grid share in painting a cell: a
// delegate that hands the cell to its grid, and the cell's starting state
// and canvas colours taken from the view's style option.

#include "XGraphics.h"

#include <QStyledItemDelegate>

#include <exception>

class QWidget;

// A cell that cannot be read (a dataset reads its rows as they are reached)
// must not take the paint down: the error is shown once, after the paint,
// until the grid's data is reset.
void ReportCellError(QWidget* Grid, const std::exception& Error);
void ResetCellError(QWidget* Grid);

// Grid needs PaintCell(QPainter*, const QStyleOptionViewItem&, const QModelIndex&).
template <class Grid>
class XGridCellDelegate : public QStyledItemDelegate
{
public:
    explicit XGridCellDelegate(Grid* Owner) : QStyledItemDelegate(Owner), m_grid(Owner) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        try {
            m_grid->PaintCell(Painter, Option, Index);
        } catch (const std::exception& e) {
            ReportCellError(m_grid, e);
        }
    }

private:
    Grid* m_grid;
};

// gdSelected and gdFocused as the view has them for the cell.
TGridDrawState CellDrawState(const QStyleOptionViewItem& Option);
// The brush and font the grid's own drawing uses: highlight colours on a
// selected cell, the palette group following the view's enabled/active state.
void PrepareCellCanvas(TGridCanvas& Canvas, const QStyleOptionViewItem& Option, TGridDrawState State);
