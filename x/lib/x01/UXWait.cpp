#include "UXWait.h"

#include <QFont>
#include <QLabel>
#include <QPalette>

namespace {

QLabel* MakeLabel(QWidget* Parent, const char* Name, const QString& Caption)
{
    auto* L = new QLabel(Caption, Parent);
    L->setObjectName(QLatin1String(Name));
    QFont F(QStringLiteral("MS Sans Serif"));
    F.setStyleHint(QFont::SansSerif);
    F.setPixelSize(11);
    F.setBold(true);
    L->setFont(F);
    QPalette P = L->palette();
    P.setColor(QPalette::WindowText, Qt::black);
    L->setPalette(P);
    L->setAutoFillBackground(false);
    L->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return L;
}

} // namespace

TFXWait::TFXWait(QWidget* Owner) : QFrame(Owner)
{
    setObjectName(QStringLiteral("FXWait"));
    setFixedSize(259, 70);
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    Panel1->setAutoFillBackground(true);
    Panel1->setGeometry(rect());
    Text1 = MakeLabel(Panel1, "Text1", QStringLiteral("Aguarde"));
    Text1->move(4, 9);
    Text1->adjustSize();
    Text2 = MakeLabel(Panel1, "Text2", QString());
    Text2->setGeometry(4, 26, 247, 13);
    Text3 = MakeLabel(Panel1, "Text3", QString());
    Text3->setGeometry(4, 42, 247, 13);
}

TXWait::TXWait() : FFrame(new TFXWait(nullptr))
{
    FFrame->Text2->clear();
    FFrame->Text3->clear();
}

TXWait::~TXWait()
{
    Show(nullptr);
    delete FFrame.data();
}

void TXWait::Show(QWidget* Form)
{
    FHost = Form;
    if (!FFrame)
        return;
    if (!Form) {
        FFrame->hide();
        FFrame->setParent(nullptr);
        return;
    }
    if (FFrame->parentWidget() != Form)
        FFrame->setParent(Form);
    FFrame->move(Form->width() / 2 - FFrame->width() / 2, Form->height() / 2 - FFrame->height() / 2);
    FFrame->raise();
    FFrame->show();
}

void TXWait::SetText(int Line, const QString& Text)
{
    if (!FFrame)
        return;
    switch (Line) {
    case 0:
        FFrame->Text1->setText(Text);
        FFrame->Text1->adjustSize();
        break;
    case 1:
        FFrame->Text2->setText(Text);
        break;
    default:
        FFrame->Text3->setText(Text);
        break;
    }
}

void TXWait::Refresh()
{
    // repaint() paints at once and flushes the window's other pending paints
    // with it, without running the event loop.
    if (FFrame)
        FFrame->repaint();
}
