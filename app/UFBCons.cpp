#include "UFBCons.h"

#include "UAppConfig.h"
#include "UDM.h"
#include "UFMain.h"
#include "UXForms.h"
#include "UXLib.h"
#include "UXXLS.h"
#include "XAdo.h"
#include "XAnchors.h"
#include "XApplication.h"
#include "XDBGrid.h"
#include "XFileDialogs.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

#include <exception>

TRadioGroupBox::TRadioGroupBox(const QString& Caption, const QStringList& Items, int Columns, QWidget* Parent)
    : QGroupBox(Caption, Parent), m_items(new QButtonGroup(this))
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 2, 8, 4);
    for (int i = 0; i < Items.size(); ++i) {
        auto* item = new QRadioButton(Items[i], this);
        m_items->addButton(item, i);
        layout->addWidget(item, i / qMax(1, Columns), i % qMax(1, Columns));
    }
    connect(m_items, &QButtonGroup::idClicked, this, [this] { emit Click(); });
}

int TRadioGroupBox::ItemIndex() const
{
    return m_items->checkedId();
}

void TRadioGroupBox::SetItemIndex(int Index)
{
    if (QAbstractButton* b = m_items->button(Index))
        b->setChecked(true);
}

QAbstractButton* TRadioGroupBox::Item(int Index) const
{
    return m_items->button(Index);
}

TFBCons::TFBCons(QWidget* Owner) : TFBCad(Owner)
{
    setObjectName(QStringLiteral("FBCons"));
    SetBorderIcons(this, biSystemMenu | biMaximize);
    BConfirm->setText(QStringLiteral("Atualizar"));

    BExportar = new QPushButton(QStringLiteral("Exportar"), this);
    BExportar->setObjectName(QStringLiteral("BExportar"));
    BExportar->setGeometry(BConfirm->x() - 80, BConfirm->y(), 75, 25);
    BExportar->setFocusPolicy(Qt::NoFocus);
    BExportar->setAutoDefault(false);
    SetAnchors(BExportar, akRight | akBottom);

    LRegistro = new QLabel(QStringLiteral("Registros: 0"), this);
    LRegistro->setObjectName(QStringLiteral("LRegistro"));

    Q = new TADOQuery(this);
    connect(Q, &TCustomADODataSet::AfterCount, this, &TFBCons::ShowCount);
    Q->setObjectName(QStringLiteral("Q"));
    if (DM)
        Q->setConnection(DM->Conn);

    GCons = new TDBGrid(this);
    GCons->setObjectName(QStringLiteral("GCons"));
    GCons->SetOptions(dgTitles | dgIndicator | dgColumnResize | dgRowSelect);
    GCons->SetDataSet(Q);
    GCons->hide();
    PlaceGrid(8, 8);
    GCons->OnDrawColumnCell = [this](TDBGrid* Sender, const QRect& Rect, int DataCol, TColumn* Column,
                                     TGridDrawState State, int RecNo) {
        GConsDrawColumnCell(Sender, Rect, DataCol, Column, State, RecNo);
    };

    SD = new TSaveDialog(this);
    SD->setObjectName(QStringLiteral("SD"));
    SD->SetDefaultExt(QStringLiteral("*.xls"));
    SD->SetFilter(QStringLiteral("Arquivo MS-Excel|*.xls|Todos Arquivos|*.*"));
    XLS = new TXXLS(this);
    XLS->setObjectName(QStringLiteral("XLS"));

    connect(BConfirm, &QPushButton::clicked, this, &TFBCons::BConfirmClick);
    connect(BExportar, &QPushButton::clicked, this, &TFBCons::BExportarClick);
}

TFBCons::~TFBCons()
{
    GCons->SetDataSet(nullptr);
    Q->Close();
}

TAppConfig* TFBCons::Config()
{
    return FMain ? FMain->AppConfig : nullptr;
}

void TFBCons::FormShow()
{
    if (ConfigLoaded())
        ShowLoaded();
}

void TFBCons::PlaceGrid(int Left, int Top)
{
    // From the window's size, not from the buttons: while the window is
    // hidden they keep their place until it is shown.
    const int right = width() - 8, bottom = height() - 31 - 4;
    GCons->setGeometry(Left, Top, right - Left, bottom - Top);
    SetAnchors(GCons, akLeft | akTop | akRight | akBottom);
    LRegistro->setGeometry(Left, height() - 26, 250, 16);
    SetAnchors(LRegistro, akLeft | akBottom);
}

void TFBCons::MarkOutdated()
{
    SetFontColor(BConfirm, clRed);
}

void TFBCons::MarkUpToDate()
{
    SetFontColor(BConfirm, clGreen);
}

bool TFBCons::Outdated() const
{
    return FontColor(BConfirm) == clRed;
}

void TFBCons::SetView(const TConsView& View)
{
    GCons->hide();
    Q->SQL.setText(View.SQL);
    GCons->Columns()->Clear();
    for (const TConsColumn& c : View.Columns)
        AddGridColumn(GCons, c.Field, c.Title, c.Width, c.Alignment);
    GCons->show();
    MarkUpToDate();
}

void TFBCons::BConfirmClick()
{
    Q->Close();
    SetView(CurrentView());
    try {
        Q->Open();
    } catch (...) {
        // Shown here rather than unwound through the button's signal, so the
        // window stays as usable as after any other failed query.
        XApplication::HandleException(std::current_exception());
        return;
    }
    ShowCount();
}

void TFBCons::ShowCount()
{
    const int count = Q->Active() && !Q->Eof() ? Q->RecordCount() : 0;
    LRegistro->setText(QStringLiteral("Registros: ") + QString::number(count));
}

void TFBCons::BExportarClick()
{
    if (!SD->Execute())
        return;
    const QString name = SD->FileName();
    if (QFileInfo::exists(name)) {
        ShowError(QStringLiteral("O arquivo ") + name + QStringLiteral(" já existe."));
        return;
    }
    ExportGridToXLS(name, GCons, XLS);
}

void TFBCons::GConsDrawColumnCell(TDBGrid* Sender, const QRect& Rect, int, TColumn* Column, TGridDrawState State,
                                  int RecNo)
{
    DrawCellShaded(RecNo, Sender, Rect, Column, State);
}
