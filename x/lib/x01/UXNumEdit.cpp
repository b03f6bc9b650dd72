#include "UXNumEdit.h"

#include "UXLib.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <charconv>
#include <string>

namespace {

constexpr char16_t CharBackspace = 8;
constexpr char16_t CharCtrlBackspace = 127;

void DefaultBeep()
{
    QApplication::beep();
}

TNumberEdit::TBeepProc BeepProc = &DefaultBeep;

bool IsDigit(QChar C)
{
    return C.unicode() >= u'0' && C.unicode() <= u'9';
}

// The character a key event types, as the keyboard of a console terminal
// would send it: Backspace 8 (127 with Ctrl), Enter 13, Escape 27, Ctrl+letter
// the control code of the letter. Null for keys that type nothing (arrows,
// Delete, function keys, Ctrl+digit).
QChar TypedChar(const QKeyEvent* Event)
{
    const Qt::KeyboardModifiers Mods = Event->modifiers();
    switch (Event->key()) {
    case Qt::Key_Backspace:
        return QChar(Mods & Qt::ControlModifier ? CharCtrlBackspace : CharBackspace);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(u'\r');
    case Qt::Key_Escape:
        return QChar(u'\x1b');
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QChar(u'\t');
    case Qt::Key_Delete:
        return QChar();
    default:
        break;
    }
    const QString Text = Event->text();
    if (Text.isEmpty())
        return QChar();
    const char16_t C = Text.at(0).unicode();
    // Ctrl+Alt is AltGr on some keyboards and types ordinary characters.
    if ((Mods & Qt::ControlModifier) && !(Mods & Qt::AltModifier)) {
        if ((C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z'))
            return QChar(char16_t(C & 0x1f));
        return C < 0x20 ? QChar(C) : QChar();
    }
    return Text.at(0);
}

// A whole number of at most 32 bits, with an optional sign and nothing else.
bool ReadInt32(const QString& Text, qint64& Value)
{
    int I = 0;
    bool Negative = false;
    if (I < Text.size() && (Text.at(I) == u'-' || Text.at(I) == u'+')) {
        Negative = Text.at(I) == u'-';
        ++I;
    }
    if (I == Text.size())
        return false;
    qint64 V = 0;
    for (; I < Text.size(); ++I) {
        if (!IsDigit(Text.at(I)))
            return false;
        V = V * 10 + (Text.at(I).unicode() - u'0');
        if (V > qint64(1) << 31)
            return false;
    }
    Value = Negative ? -V : V;
    return Value >= -2147483648LL && Value <= 2147483647LL;
}

} // namespace

TNumberEdit::TBeepProc TNumberEdit::SetBeepProc(TBeepProc Proc)
{
    const TBeepProc Old = BeepProc;
    BeepProc = Proc ? Proc : &DefaultBeep;
    return Old;
}

TNumberEdit::TNumberEdit(QWidget* Owner) : QLineEdit(Owner)
{
    // Every character must come through the key filter.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    resize(121, 21);
    connect(this, &QLineEdit::textChanged, this, &TNumberEdit::TextChanged);
    FEntryRequired = floatingpointvalue;
    SetDefaultFormat();
    FValue = 0;
    ValueToText();
}

void TNumberEdit::SetEntryRequired(TNumberEditType Type)
{
    FEntryRequired = Type;
    SetDefaultFormat();
    ValueToText();
}

void TNumberEdit::SetDefaultFormat()
{
    FDisplayFormat = FEntryRequired == floatingpointvalue ? QStringLiteral(",0.00;(,0.00)")
                                                          : QStringLiteral("0;-0");
}

void TNumberEdit::SetDisplayFormat(const QString& Format)
{
    if (Format == FDisplayFormat)
        return;
    FDisplayFormat = Format;
    ValueToText();
}

void TNumberEdit::SetValue(long double NewValue)
{
    if (NewValue == FValue)
        return;
    FValue = NewValue;
    ValueToText();
}

void TNumberEdit::ValueToText()
{
    if (hasFocus())
        return;
    setText(FormatFloat(FDisplayFormat, FValue, FormatSettingsBR));
}

void TNumberEdit::TextToValue()
{
    const QString Text = text();
    const QChar Decimal = FormatSettingsBR.DecimalSeparator;
    const bool Negative = Text.contains(u'-') || Text.contains(u'(');
    std::string Collected;
    for (const QChar C : Text) {
        if (IsDigit(C))
            Collected += char(C.unicode());
        else if (C == Decimal)
            Collected += '.';
    }
    long double V = 0;
    if (!Collected.empty()) {
        const char* End = Collected.data() + Collected.size();
        const auto [Stop, Error] = std::from_chars(Collected.data(), End, V, std::chars_format::fixed);
        if (Error != std::errc() || Stop != End) {
            BeepProc();
            return;
        }
    }
    // No negative zero: "-" alone reads as 0.
    FValue = Negative && V != 0 ? -V : V;
}

void TNumberEdit::TextChanged()
{
    emit OnChange();
    TextToValue();
}

bool TNumberEdit::InRange(const QString& NewText) const
{
    qint64 V = 0;
    switch (FEntryRequired) {
    case integervalue:
        return ReadInt32(NewText, V) && V >= -32768 && V <= 32767;
    case wordvalue:
        return ReadInt32(NewText, V) && V >= 0 && V <= 65535;
    case longintvalue:
        return ReadInt32(NewText.startsWith(u'-') ? NewText.mid(1) : NewText, V);
    case floatingpointvalue:
        break;
    }
    return true;
}

TNumberEdit::TKeyVerdict TNumberEdit::FilterKey(QChar Key) const
{
    const QChar Decimal = FormatSettingsBR.DecimalSeparator;
    const bool Digit = IsDigit(Key);
    const bool Control = Key.unicode() == CharBackspace || Key.unicode() == CharCtrlBackspace;
    const bool Accepted = Digit || Control
        || (Key == u'-' && FEntryRequired != wordvalue)
        || (Key == Decimal && FEntryRequired == floatingpointvalue);
    if (!Accepted)
        return TKeyVerdict::Refused;
    if (Control)
        return TKeyVerdict::Passed;

    const QString Text = text();
    const int SelStart = hasSelectedText() ? selectionStart() : cursorPosition();
    const int SelEnd = hasSelectedText() ? selectionEnd() : SelStart;
    const QString Selected = Text.mid(SelStart, SelEnd - SelStart);

    if (Key == u'-')
        return SelStart == 0 ? TKeyVerdict::Passed : TKeyVerdict::Dropped;
    if (Key == Decimal)
        return !Text.contains(Decimal) || Selected.contains(Decimal) ? TKeyVerdict::Passed
                                                                     : TKeyVerdict::Dropped;
    // No digit in front of the minus sign.
    if (SelStart == 0 && Text.startsWith(u'-') && !Selected.contains(u'-'))
        return TKeyVerdict::Dropped;
    QString NewText = Text;
    NewText.replace(SelStart, SelEnd - SelStart, Key);
    return InRange(NewText) ? TKeyVerdict::Passed : TKeyVerdict::Dropped;
}

void TNumberEdit::keyPressEvent(QKeyEvent* Event)
{
    const QChar Typed = TypedChar(Event);
    if (Typed.isNull()) {
        QLineEdit::keyPressEvent(Event);
        return;
    }
    QChar Key = Typed;
    switch (FilterKey(Typed)) {
    case TKeyVerdict::Refused:
        // Not ours: let the parent widgets have it (Enter, Escape).
        Event->ignore();
        return;
    case TKeyVerdict::Dropped:
        Key = QChar();
        break;
    case TKeyVerdict::Passed:
        break;
    }
    emit OnKeyPress(Key);
    if (Key.isNull()) {
        Event->accept();
        return;
    }
    if (Key == Typed) {
        QLineEdit::keyPressEvent(Event);
        return;
    }
    // The handler typed another character in place of this one.
    if (Key.unicode() == CharBackspace || Key.unicode() == CharCtrlBackspace) {
        QKeyEvent Substitute(QEvent::KeyPress, Qt::Key_Backspace,
                             Key.unicode() == CharBackspace ? Qt::NoModifier : Qt::ControlModifier);
        QLineEdit::keyPressEvent(&Substitute);
    } else {
        QKeyEvent Substitute(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(Key));
        QLineEdit::keyPressEvent(&Substitute);
    }
    Event->accept();
}

void TNumberEdit::focusInEvent(QFocusEvent* Event)
{
    QLineEdit::focusInEvent(Event);
    if (!FEntered) {
        FEntered = true;
        selectAll();
    }
}

void TNumberEdit::focusOutEvent(QFocusEvent* Event)
{
    QLineEdit::focusOutEvent(Event);
    const bool WindowLeft = (Event->reason() == Qt::ActiveWindowFocusReason
                             || Event->reason() == Qt::PopupFocusReason)
        && window()->focusWidget() == this;
    if (WindowLeft)
        return;
    FEntered = false;
    TextToValue();
    ValueToText();
}
