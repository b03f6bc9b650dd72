#include "XDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QGuiApplication>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>

namespace {

const TMsgDlgBtn kAllButtons[] = {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore,
                                  mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose};

TQtDlgProvider g_qtProvider;
TDlgProvider* g_provider = nullptr;

} // namespace

// The program speaks Portuguese: Qt's own translation has no box captions,
// so they are written here; button texts are Qt's, translated when Qt's
// Portuguese is loaded (XApplication does).
QString DefaultDlgCaption(TMsgDlgType Kind)
{
    switch (Kind) {
    case mtWarning: return QStringLiteral("Aviso");
    case mtError: return QStringLiteral("Erro");
    case mtInformation: return QStringLiteral("Informação");
    case mtConfirmation: return QStringLiteral("Confirmação");
    case mtCustom: break;
    }
    return QGuiApplication::applicationDisplayName();
}

QString DefaultButtonCaption(TMsgDlgBtn Button)
{
    const char* text = nullptr;
    switch (Button) {
    case mbYes: text = "&Yes"; break;
    case mbNo: text = "&No"; break;
    case mbOK: text = "OK"; break;
    case mbCancel: text = "Cancel"; break;
    case mbAbort: text = "Abort"; break;
    case mbRetry: text = "Retry"; break;
    case mbIgnore: text = "Ignore"; break;
    case mbAll: return QStringLiteral("&Todos");
    case mbNoToAll: text = "N&o to All"; break;
    case mbYesToAll: text = "Yes to &All"; break;
    case mbHelp: text = "Help"; break;
    case mbClose: text = "Close"; break;
    }
    return text ? QCoreApplication::translate("QPlatformTheme", text) : QString();
}

QString DefaultButtonName(TMsgDlgBtn Button)
{
    switch (Button) {
    case mbYes: return QStringLiteral("Yes");
    case mbNo: return QStringLiteral("No");
    case mbOK: return QStringLiteral("OK");
    case mbCancel: return QStringLiteral("Cancel");
    case mbAbort: return QStringLiteral("Abort");
    case mbRetry: return QStringLiteral("Retry");
    case mbIgnore: return QStringLiteral("Ignore");
    case mbAll: return QStringLiteral("All");
    case mbNoToAll: return QStringLiteral("NoToAll");
    case mbYesToAll: return QStringLiteral("YesToAll");
    case mbHelp: return QStringLiteral("Help");
    case mbClose: return QStringLiteral("Close");
    }
    return {};
}

int ButtonModalResult(TMsgDlgBtn Button)
{
    switch (Button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    case mbHelp: return mrNone; // Help answers nothing: it never closes the box by itself
    case mbClose: return mrClose;
    }
    return mrNone;
}

int TDlgRequest::IndexOfName(const QString& Name) const
{
    for (int i = 0; i < Buttons.size(); ++i)
        if (Buttons.at(i).Name.compare(Name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TDlgRequest::IndexOfResult(int ModalResult) const
{
    for (int i = 0; i < Buttons.size(); ++i)
        if (Buttons.at(i).ModalResult == ModalResult)
            return i;
    return -1;
}

int TDlgRequest::EffectiveDefault() const
{
    if (Default >= 0 && Default < Buttons.size())
        return Default;
    for (TMsgDlgBtn b : {mbOK, mbYes, mbRetry})
        for (int i = 0; i < Buttons.size(); ++i)
            if (Buttons.at(i).Kind == b)
                return i;
    return -1;
}

int TDlgRequest::EscapeResult() const
{
    for (TMsgDlgBtn b : {mbCancel, mbNo, mbOK})
        for (const TDlgButton& button : Buttons)
            if (button.Kind == b)
                return button.ModalResult;
    return mrCancel;
}

QString TDlgRequest::ButtonCaptions() const
{
    QStringList captions;
    for (const TDlgButton& b : Buttons)
        captions.append(b.Caption);
    return captions.join(QChar('|'));
}

TDlgRequest CreateMessageDialog(const QString& Msg, TMsgDlgType Kind, TMsgDlgButtons Buttons)
{
    TDlgRequest r;
    r.Kind = Kind;
    r.Caption = DefaultDlgCaption(Kind);
    r.Text = Msg;
    for (TMsgDlgBtn b : kAllButtons)
        if (Buttons.Contains(b))
            r.Buttons.append(TDlgButton{b, DefaultButtonName(b), DefaultButtonCaption(b), ButtonModalResult(b)});
    return r;
}

int TQtDlgProvider::Show(const TDlgRequest& Request)
{
    // Owned by the active window, which gets the activation back when the
    // box closes: without a window manager nothing else would give it, and
    // the next scanned keys would be lost.
    QPointer<QWidget> owner = QApplication::activeWindow();
    QMessageBox box(owner);
    switch (Request.Kind) {
    case mtWarning: box.setIcon(QMessageBox::Warning); break;
    case mtError: box.setIcon(QMessageBox::Critical); break;
    case mtInformation: box.setIcon(QMessageBox::Information); break;
    case mtConfirmation: box.setIcon(QMessageBox::Question); break;
    case mtCustom: box.setIcon(QMessageBox::NoIcon); break;
    }
    box.setWindowTitle(Request.Caption);
    box.setText(Request.Text);

    QHash<QAbstractButton*, int> results;
    QList<QPushButton*> buttons;
    for (const TDlgButton& b : Request.Buttons) {
        QMessageBox::ButtonRole role = QMessageBox::ActionRole;
        switch (b.Kind) {
        case mbYes: case mbYesToAll: case mbAll: role = QMessageBox::YesRole; break;
        case mbNo: case mbNoToAll: role = QMessageBox::NoRole; break;
        case mbOK: role = QMessageBox::AcceptRole; break;
        case mbCancel: case mbClose: role = QMessageBox::RejectRole; break;
        case mbHelp: role = QMessageBox::HelpRole; break;
        default: break;
        }
        QPushButton* button = box.addButton(b.Caption, role);
        button->setObjectName(b.Name);
        results.insert(button, b.ModalResult);
        buttons.append(button);
    }
    if (buttons.isEmpty()) {
        QPushButton* ok = box.addButton(DefaultButtonCaption(mbOK), QMessageBox::AcceptRole);
        results.insert(ok, mrOk);
    }
    const int def = Request.EffectiveDefault();
    if (def >= 0) {
        box.setDefaultButton(buttons.at(def));
        buttons.at(def)->setFocus();
    }
    const int escape = Request.EscapeResult();
    for (auto it = results.cbegin(); it != results.cend(); ++it)
        if (it.value() == escape) {
            box.setEscapeButton(it.key());
            break;
        }
    box.exec();
    if (owner && owner->isVisible() && !owner->isActiveWindow() && !QApplication::activeModalWidget())
        owner->activateWindow();
    QAbstractButton* clicked = box.clickedButton();
    return clicked && results.contains(clicked) ? results.value(clicked) : escape;
}

TDlgProvider* SetDlgProvider(TDlgProvider* Provider)
{
    TDlgProvider* before = DlgProvider();
    g_provider = Provider;
    return before;
}

TDlgProvider* DlgProvider()
{
    return g_provider ? g_provider : &g_qtProvider;
}

int ShowDlg(const TDlgRequest& Request)
{
    return DlgProvider()->Show(Request);
}

int XMessageBox(const QString& Text, const QString& Caption, TMsgDlgType Kind, TMsgDlgButtons Buttons,
                int DefaultResult)
{
    TDlgRequest r = CreateMessageDialog(Text, Kind, Buttons);
    r.Caption = Caption.isEmpty() ? QGuiApplication::applicationDisplayName() : Caption;
    if (DefaultResult != mrNone)
        r.Default = r.IndexOfResult(DefaultResult);
    return ShowDlg(r);
}

void ShowExceptionMessage(const QString& Message)
{
    QString text = Message;
    if (!text.isEmpty() && text.at(text.size() - 1) > QChar('.'))
        text += QChar('.');
    XMessageBox(text, QString(), mtError, TMsgDlgButtons{mbOK});
}

TDlgRecorder::TDlgRecorder()
    : m_previous(SetDlgProvider(this))
{
}

TDlgRecorder::~TDlgRecorder()
{
    SetDlgProvider(m_previous == &g_qtProvider ? nullptr : m_previous);
}

int TDlgRecorder::Show(const TDlgRequest& Request)
{
    Requests.append(Request);
    if (!m_script.isEmpty())
        return m_script.takeFirst();
    const int def = Request.EffectiveDefault();
    return def >= 0 ? Request.Buttons.at(def).ModalResult : Request.EscapeResult();
}

QStringList TDlgRecorder::Texts() const
{
    QStringList texts;
    for (const TDlgRequest& r : Requests)
        texts.append(r.Text);
    return texts;
}
