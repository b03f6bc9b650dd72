#pragma once

#include <QChar>
#include <QLineEdit>
#include <QString>

enum TNumberEditType { integervalue, longintvalue, floatingpointvalue, wordvalue };

// Right-aligned numeric edit holding a typed value. Typed characters go
// through a key filter that keeps the text within the range of its type.
//
// Keys the filter does not accept at all (letters, Enter, Escape, Ctrl+
// letter combinations) are neither handled nor announced through OnKeyPress:
// their key event is ignored, so it travels on to the parent widgets like
// any key a widget does not use. A window therefore sees Enter typed in a
// number edit either in its own keyPressEvent (the event propagates up to it)
// or, before the edit itself, through an event filter installed on the edit
// or on the application. QLineEdit's returnPressed is never emitted here.
class TNumberEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(TNumberEditType EntryRequired READ EntryRequired WRITE SetEntryRequired)
    Q_PROPERTY(QString DisplayFormat READ DisplayFormat WRITE SetDisplayFormat)
    Q_PROPERTY(double Value READ ValueAsDouble WRITE SetValueAsDouble)

public:
    explicit TNumberEdit(QWidget* Owner = nullptr);

    TNumberEditType EntryRequired() const { return FEntryRequired; }
    void SetEntryRequired(TNumberEditType Type);

    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& Format);

    long double Value() const { return FValue; }
    void SetValue(long double NewValue);

    // Parses the text into Value; an unreadable text beeps and keeps Value.
    void TextToValue();
    // Shows Value in DisplayFormat, unless the edit has the focus.
    void ValueToText();

    // The sound of an unreadable text; tests replace it to hear it.
    using TBeepProc = void (*)();
    static TBeepProc SetBeepProc(TBeepProc Proc);

signals:
    // Runs on every text change, before Value follows the new text.
    void OnChange();
    // A typed character that the filter let through; a character the filter
    // dropped after looking at the text arrives as the null character.
    // A handler may change Key, or set it to null to drop it.
    void OnKeyPress(QChar& Key);

protected:
    void SetDefaultFormat();
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    enum class TKeyVerdict { Refused, Dropped, Passed };

    TKeyVerdict FilterKey(QChar Key) const;
    bool InRange(const QString& NewText) const;
    void TextChanged();
    double ValueAsDouble() const { return double(FValue); }
    void SetValueAsDouble(double NewValue) { SetValue(NewValue); }

    TNumberEditType FEntryRequired = floatingpointvalue;
    QString FDisplayFormat;
    long double FValue = 0;
    // Entered in the sense of the window: leaving the window (a dialog, another
    // application) is not an exit, coming back is not an entry.
    bool FEntered = false;
};

// The class the windows place.
class TXNumEdit : public TNumberEdit
{
    Q_OBJECT
public:
    using TNumberEdit::TNumberEdit;
};
