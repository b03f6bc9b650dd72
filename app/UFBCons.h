#pragma once

// Base of the consultation windows: a query set up from the window's
// choices, a grid whose columns are rebuilt at every query, shaded rows,
// "Registros: N", the refresh mark on "Atualizar" and the export of the grid
// to a new workbook.
//
// A derived window builds its choices in its constructor, places the grid
// with PlaceGrid, calls MarkOutdated from every handler that changes a
// choice, and answers CurrentView with the statement and the columns that
// the choices ask for. BConfirmClick does the rest:
//
//   TConsView TFMyCons::CurrentView()
//   {
//       return {SQL_Of(RGFiltro->ItemIndex()), RGFiltro->ItemIndex() == 0 ? SummaryColumns : DetailColumns};
//   }
//
// FormShow refuses to work without a loaded configuration ("Banco de dados
// não Conectado.", then the window closes); otherwise it calls ShowLoaded,
// where a window that opens with a result presses "Atualizar".

#include "UFBCad.h"
#include "XGraphics.h"

#include <QGroupBox>
#include <QList>
#include <QString>
#include <QStringList>

class QButtonGroup;
class QLabel;
class TADOQuery;
class TAppConfig;
class TDBGrid;
class TSaveDialog;
class TXXLS;

// One grid column of a view: the field it shows, its centred title, its
// width in the original pixels and the alignment of its cells.
struct TConsColumn
{
    QString Field;
    QString Title;
    int Width = 64;
    TAlignment Alignment = taLeftJustify;
};
using TConsColumns = QList<TConsColumn>;

// What one query shows: its statement and its columns.
struct TConsView
{
    QString SQL;
    TConsColumns Columns;
};

// A group box of radio buttons laid out in columns, chosen by index.
class TRadioGroupBox : public QGroupBox
{
    Q_OBJECT
public:
    TRadioGroupBox(const QString& Caption, const QStringList& Items, int Columns, QWidget* Parent);

    int ItemIndex() const;
    void SetItemIndex(int Index);
    QAbstractButton* Item(int Index) const;

signals:
    // The user chose an item (not emitted by SetItemIndex).
    void Click();

private:
    QButtonGroup* m_items;
};

class TFBCons : public TFBCad
{
    Q_OBJECT
public:
    explicit TFBCons(QWidget* Owner = nullptr);
    ~TFBCons() override;

    QPushButton* BExportar = nullptr;
    QLabel* LRegistro = nullptr;
    TDBGrid* GCons = nullptr;
    TADOQuery* Q = nullptr;
    TSaveDialog* SD = nullptr;
    TXXLS* XLS = nullptr;

    // "Atualizar": the view of the current choices set up and queried. A
    // failing query reaches the default exception box; the grid keeps its
    // new columns without rows and the count stays as it was.
    void BConfirmClick();
    // "Exportar": the grid to a new workbook; an existing file is refused.
    void BExportarClick();
    void GConsDrawColumnCell(TDBGrid* Sender, const QRect& Rect, int DataCol, TColumn* Column, TGridDrawState State,
                             int RecNo);

    // The refresh mark, the font colour of "Atualizar": red while the grid
    // no longer answers the choices, green after each query is set up.
    void MarkOutdated();
    void MarkUpToDate();
    bool Outdated() const;

    // The configuration of the main window; null without one.
    static TAppConfig* Config();

protected:
    // The statement and the columns that the current choices ask for.
    virtual TConsView CurrentView() = 0;
    // The window's own start, once the configuration is known to be loaded.
    virtual void ShowLoaded() {}

    void FormShow() override;
    // The grid from (Left, Top) down to 4 pixels above the buttons and right
    // to the right edge of "Fechar", the record count below its left edge;
    // both follow the window's size. Call it
    // after the window has its size; place the window's own controls in
    // that size too.
    void PlaceGrid(int Left, int Top);

private:
    void SetView(const TConsView& View);
    void ShowCount();
};
