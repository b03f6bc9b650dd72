#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <initializer_list>

// The one way every message box of the program is shown. A request record
// describes the box (icon kind, caption, text, buttons, focused button);
// the installed provider shows it and answers the modal result. The program
// uses the QMessageBox provider; tests install a TDlgRecorder.

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn {
    mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose
};

// A set of buttons, e.g. TMsgDlgButtons{mbYes, mbNo}.
class TMsgDlgButtons
{
public:
    constexpr TMsgDlgButtons() = default;
    constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> Buttons)
    {
        for (TMsgDlgBtn b : Buttons)
            m_bits |= 1u << unsigned(b);
    }
    constexpr bool Contains(TMsgDlgBtn B) const { return (m_bits >> unsigned(B)) & 1u; }
    constexpr TMsgDlgButtons& operator<<(TMsgDlgBtn B) { m_bits |= 1u << unsigned(B); return *this; }
    constexpr bool IsEmpty() const { return m_bits == 0; }
    constexpr bool operator==(const TMsgDlgButtons&) const = default;

private:
    unsigned m_bits = 0;
};

inline constexpr TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};

using TModalResult = int;
enum : int {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
    mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10, mrClose = 11
};

struct TDlgButton
{
    TMsgDlgBtn Kind = mbOK;
    QString Name;          // component name: "Yes", "No", "OK", "Cancel", ...
    QString Caption;       // with '&' before the accelerator letter
    int ModalResult = mrNone;
};

struct TDlgRequest
{
    TMsgDlgType Kind = mtCustom;   // the icon
    QString Caption;
    QString Text;
    QList<TDlgButton> Buttons;     // in the order shown
    int Default = -1;              // index of the focused button; -1: the provider's own choice
    int HelpCtx = 0;

    int IndexOfName(const QString& Name) const;        // letter case ignored; -1 when absent
    int IndexOfResult(int ModalResult) const;
    // The button Enter presses: Default, else the first of OK, Yes, Retry present.
    int EffectiveDefault() const;
    // The result of closing the box with Escape: Cancel, else No, else OK; mrCancel without them.
    int EscapeResult() const;
    QString ButtonCaptions() const;                     // captions joined by "|", for messages
};

// The platform's own caption of a dialog kind ("Warning", "Error", ...; a
// custom box takes the application's name).
QString DefaultDlgCaption(TMsgDlgType Kind);
QString DefaultButtonCaption(TMsgDlgBtn Button);
QString DefaultButtonName(TMsgDlgBtn Button);
int ButtonModalResult(TMsgDlgBtn Button);

// The platform's standard message dialog for Msg, not yet shown: default
// caption, the buttons in their standard order with default captions.
TDlgRequest CreateMessageDialog(const QString& Msg, TMsgDlgType Kind, TMsgDlgButtons Buttons);

class TDlgProvider
{
public:
    virtual ~TDlgProvider() = default;
    virtual int Show(const TDlgRequest& Request) = 0;
};

// The QMessageBox provider, installed unless something else is.
class TQtDlgProvider : public TDlgProvider
{
public:
    int Show(const TDlgRequest& Request) override;
};

// Installs Provider (nullptr restores the QMessageBox one); returns the one before.
TDlgProvider* SetDlgProvider(TDlgProvider* Provider);
TDlgProvider* DlgProvider();

// Shows a request through the installed provider; answers its modal result.
int ShowDlg(const TDlgRequest& Request);

// The platform's plain message box: Text, Caption (empty: the application's
// name), icon kind and buttons; DefaultResult picks the focused button.
int XMessageBox(const QString& Text, const QString& Caption, TMsgDlgType Kind,
                TMsgDlgButtons Buttons, int DefaultResult = mrNone);

// The default exception box: the message in an error box captioned with the
// application's name; a full stop is added when the last character is
// above "." (a letter or digit, not ")" or "!").
void ShowExceptionMessage(const QString& Message);

// Test provider: installs itself on creation and restores the previous one
// when destroyed. Keeps every request; answers the scripted results in turn,
// and when the script is empty presses the effective default button (Enter),
// or answers Escape when the box has none.
class TDlgRecorder : public TDlgProvider
{
public:
    TDlgRecorder();
    ~TDlgRecorder() override;
    TDlgRecorder(const TDlgRecorder&) = delete;
    TDlgRecorder& operator=(const TDlgRecorder&) = delete;

    int Show(const TDlgRequest& Request) override;

    void Answer(int ModalResult) { m_script.append(ModalResult); }
    void Answer(std::initializer_list<int> Results) { for (int r : Results) m_script.append(r); }
    int Pending() const { return int(m_script.size()); }

    int Count() const { return int(Requests.size()); }
    const TDlgRequest& Last() const { return Requests.last(); }
    QStringList Texts() const;
    void Clear() { Requests.clear(); m_script.clear(); }

    QList<TDlgRequest> Requests;

private:
    QList<int> m_script;
    TDlgProvider* m_previous = nullptr;
};
