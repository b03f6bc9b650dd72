#pragma once

#include "UXObject.h"

#include <QFrame>
#include <QPointer>
#include <QString>

class QLabel;

// The panel of the wait indicator: "Aguarde" and two lines below it.
class TFXWait : public QFrame
{
    Q_OBJECT
public:
    explicit TFXWait(QWidget* Owner = nullptr);

    QFrame* Panel1;
    QLabel* Text1;
    QLabel* Text2;
    QLabel* Text3;
};

// Wait indicator shown in the middle of a window during a long operation.
class TXWait : public TXObject
{
public:
    TXWait();
    ~TXWait() override;

    // Centres the frame on Form's client area and shows it there; with no form
    // the frame leaves the screen.
    void Show(QWidget* Form);
    // Line 0 is the heading, line 1 the second line, any other the third.
    void SetText(int Line, const QString& Text);
    // Paints the frame now, for an operation that does not return to the
    // event loop; no input is processed meanwhile.
    void Refresh();

    // The frame goes with its host window if that is destroyed first.
    TFXWait* Frame() const { return FFrame; }
    QWidget* Host() const { return FHost; }

private:
    QPointer<TFXWait> FFrame;
    QPointer<QWidget> FHost;
};
