#include "XGraphics.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QVariant>
#include <QWidget>

QColor ColorToQColor(TColor Color)
{
    const unsigned v = unsigned(Color);
    if ((v & 0xFF000000u) == 0xFF000000u) {
        const QPalette pal = QApplication::palette();
        switch (v & 0xFFu) {
        case 0x04: return pal.color(QPalette::Window);           // menu
        case 0x05: return pal.color(QPalette::Base);             // window background
        case 0x08: return pal.color(QPalette::WindowText);
        case 0x0D: return pal.color(QPalette::Highlight);
        case 0x0E: return pal.color(QPalette::HighlightedText);
        case 0x0F: return pal.color(QPalette::Button);
        default: return pal.color(QPalette::Window);
        }
    }
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

TColor QColorToColor(const QColor& Color)
{
    return TColor(unsigned(Color.red()) | (unsigned(Color.green()) << 8) | (unsigned(Color.blue()) << 16));
}

double FontScale(const QFont& Font)
{
    const int DateTime = QFontMetrics(Font).horizontalAdvance(QStringLiteral("0000-00-00 00:00:00"));
    return qMax(1.0, DateTime / 100.0);
}

int FontPixels(int Pixels, const QFont& Font)
{
    return qRound(Pixels * FontScale(Font));
}

Qt::Alignment AlignmentToQt(TAlignment Alignment)
{
    switch (Alignment) {
    case taRightJustify: return Qt::AlignRight;
    case taCenter: return Qt::AlignHCenter;
    case taLeftJustify: break;
    }
    return Qt::AlignLeft;
}

void TGridCanvas::FillRect(const QRect& Rect)
{
    m_painter->fillRect(Rect, Brush.Color);
}

void TGridCanvas::TextRect(const QRect& Rect, int X, int Y, const QString& Text)
{
    FillRect(Rect);
    m_painter->save();
    m_painter->setClipRect(Rect, Qt::IntersectClip);
    m_painter->setFont(Font);
    m_painter->setPen(Font.Color);
    const QFontMetrics fm(Font);
    m_painter->drawText(X, Y + fm.ascent(), Text);
    m_painter->restore();
}

void TGridCanvas::CellText(const QRect& Rect, const QString& Text, TAlignment Alignment)
{
    FillRect(Rect);
    if (Text.isEmpty())
        return;
    m_painter->save();
    m_painter->setClipRect(Rect, Qt::IntersectClip);
    m_painter->setFont(Font);
    m_painter->setPen(Font.Color);
    // The grid's margins: 2 pixels on the left, 3 on the right.
    m_painter->drawText(Rect.adjusted(2, 0, -3, 0), int(AlignmentToQt(Alignment) | Qt::AlignVCenter) | Qt::TextSingleLine, Text);
    m_painter->restore();
}

int TGridCanvas::TextWidth(const QString& Text) const
{
    return QFontMetrics(Font).horizontalAdvance(Text);
}

int TGridCanvas::TextHeight(const QString& Text) const
{
    return QFontMetrics(Font).boundingRect(Text).height();
}

void SetFontColor(QWidget* Control, TColor Color)
{
    QPalette pal = Control->palette();
    const QColor c = ColorToQColor(Color);
    // A disabled control keeps the platform's disabled colour, so that it
    // does not look enabled.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            pal.setColor(group, role, c);
    Control->setPalette(pal);
    Control->setProperty("FontColor", Color);
}

TColor FontColor(const QWidget* Control)
{
    const QVariant v = Control->property("FontColor");
    return v.isValid() ? v.toInt() : clWindowText;
}
