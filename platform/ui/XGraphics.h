#pragma once

// What the windows paint grid cells with: colours in the form the windows
// name them (0x00BBGGRR values and the system colours), the canvas of a cell
// being drawn, the draw state of a cell and text alignment.

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QRect>
#include <QString>
#include <Qt>

class QPainter;

// A colour as 0x00BBGGRR (255 is red), or a system colour (high byte 0xFF).
using TColor = int;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clGray = 0x808080;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor clMenu = int(0xFF000004);
constexpr TColor clWindow = int(0xFF000005);
constexpr TColor clWindowText = int(0xFF000008);
constexpr TColor clHighlight = int(0xFF00000D);
constexpr TColor clHighlightText = int(0xFF00000E);
constexpr TColor clBtnFace = int(0xFF00000F);

// The Qt colour of Color; system colours come from the application's palette
// (clMenu is the palette's Window colour, the face of menus and dialogs).
QColor ColorToQColor(TColor Color);
// The 0x00BBGGRR value of an opaque colour.
TColor QColorToColor(const QColor& Color);

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The windows' sizes were laid out for an 8-point font in which a full
// "yyyy-mm-dd hh:mm:ss" took about 100 pixels. FontScale is the
// one factor that makes those sizes fit Font (never below 1); FontPixels
// scales one size by it.
double FontScale(const QFont& Font);
int FontPixels(int Pixels, const QFont& Font);

Qt::Alignment AlignmentToQt(TAlignment Alignment);

enum TGridDrawStateFlag { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

struct TCanvasBrush
{
    QColor Color;
};

struct TCanvasFont : QFont
{
    QColor Color;
};

// The canvas of the cell being drawn. Before a drawing hook runs, Brush and
// Font hold what the grid's own drawing uses for that cell (highlight colours
// on a selected cell); a hook changes them and fills or writes.
class TGridCanvas
{
public:
    explicit TGridCanvas(QPainter* Painter) : m_painter(Painter) {}

    TCanvasBrush Brush;
    TCanvasFont Font;

    QPainter* Painter() const { return m_painter; }
    void FillRect(const QRect& Rect);
    // Text with its top-left corner at (X, Y), clipped to Rect, on Rect
    // filled with the brush.
    void TextRect(const QRect& Rect, int X, int Y, const QString& Text);
    // Text on one line inside Rect: vertically centred, placed by Alignment
    // with the grid's margins, clipped, on Rect filled with the brush.
    void CellText(const QRect& Rect, const QString& Text, TAlignment Alignment = taLeftJustify);
    int TextWidth(const QString& Text) const;
    int TextHeight(const QString& Text) const;

private:
    QPainter* m_painter;
};

class QWidget;

// The colour of a control's text (a label's or a button's caption) while it
// is enabled, kept so that it reads back as it was set; disabled, the control
// shows the platform's disabled text colour.
void SetFontColor(QWidget* Control, TColor Color);
TColor FontColor(const QWidget* Control);
