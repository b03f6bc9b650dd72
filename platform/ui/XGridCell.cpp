#include "XGridCell.h"

#include <QPalette>

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
