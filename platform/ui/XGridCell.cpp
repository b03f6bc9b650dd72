#include "XGridCell.h"

#include "XDialogs.h"
#include "XExceptions.h"

#include <QPalette>
#include <QTimer>
#include <QWidget>

TGridDrawState CellDrawState(const QStyleOptionViewItem& Option)
{
    TGridDrawState state;
    if (Option.state & QStyle::State_Selected)
        state |= gdSelected;
    if (Option.state & QStyle::State_HasFocus)
        state |= gdFocused;
    return state;
}

void PrepareCellCanvas(TGridCanvas& Canvas, const QStyleOptionViewItem& Option, TGridDrawState State)
{
    const QPalette::ColorGroup group = !(Option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (Option.state & QStyle::State_Active) ? QPalette::Active
                                                                               : QPalette::Inactive;
    const bool selected = State.testFlag(gdSelected);
    Canvas.Brush.Color = Option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
    static_cast<QFont&>(Canvas.Font) = Option.font;
    Canvas.Font.Color = Option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
}

void ReportCellError(QWidget* Grid, const std::exception& Error)
{
    if (Grid->property("x_cellErrorShown").toBool())
        return;
    Grid->setProperty("x_cellErrorShown", true);
    const QString message = ExceptionMessage(Error);
    QTimer::singleShot(0, Grid, [message] { ShowExceptionMessage(message); });
}

void ResetCellError(QWidget* Grid)
{
    Grid->setProperty("x_cellErrorShown", false);
}
