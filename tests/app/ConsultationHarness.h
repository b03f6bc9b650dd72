#pragma once

// The program started on a builder campaign with one consultation window
// opened from its menu action, and what a user sees of it: the grid's rows
// and titles, the count, the refresh mark and the recorded boxes.

#include "MainWindowHarness.h"

#include "CampaignFile.h"
#include "UFBCons.h"
#include "UXXLS.h"
#include "XDialogs.h"
#include "XFileDialogs.h"
#include "XDBGrid.h"

#include "../platform/XlsxReadBack.h"

#include <QAction>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

template <class TWindow>
class TConsultationTest : public ::testing::Test
{
protected:
    TMainWindowHarness H;
    std::unique_ptr<TCampaignFile> Campaign;
    TCampaignOptions Options;
    TFMain* Main = nullptr;
    TWindow* W = nullptr;

    // Makes the campaign (Shape may change it first) and starts the program on it.
    void Start(const std::function<void(TCampaignFile&)>& Shape = {})
    {
        Campaign = std::make_unique<TCampaignFile>(Options);
        if (Shape)
            Shape(*Campaign);
        H.SaveSettings(Campaign->Path);
        Main = H.Start();
        ASSERT_TRUE(Main->AppConfig->Loaded) << H.Dlg.Texts().join(u'\n').toStdString();
    }

    // Opens the window from its menu action.
    void OpenFrom(QAction* Action)
    {
        Action->trigger();
        H.Settle();
        W = Main->findChild<TWindow*>();
        ASSERT_TRUE(W && W->isVisible()) << H.Dlg.Texts().join(u'\n').toStdString();
    }

    void Atualizar() { QTest::mouseClick(W->BConfirm, Qt::LeftButton); }

    // The grid as shown: every record, the cells of its columns joined by
    // "|", records by ";" (the form of TCampaignFile::Rows).
    QString GridRows() const
    {
        QStringList rows;
        const TCustomADODataSet* ds = W->GCons->DataSet();
        const int n = ds && ds->Active() ? ds->RecordCount() : 0;
        for (int r = 1; r <= n; ++r) {
            QStringList cells;
            for (int c = 0; c < W->GCons->Columns()->Count(); ++c)
                cells << W->GCons->FieldText(r, W->GCons->Columns()->Items(c)->FieldName());
            rows << cells.join(u'|');
        }
        return rows.join(u';');
    }

    QStringList GridTitles() const
    {
        QStringList t;
        for (int c = 0; c < W->GCons->Columns()->Count(); ++c)
            t << W->GCons->Columns()->Items(c)->Title()->Caption();
        return t;
    }

    // Exports the grid through "Exportar" to File and reads the workbook back:
    // the title row, then the data rows, in the form of GridRows; a cell
    // beyond the last record comes back as one more row.
    QString ExportedRows(const QString& File)
    {
        H.Dlg.Clear();
        H.Files.Answer(File);
        QTest::mouseClick(W->BExportar, Qt::LeftButton);
        EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Arquivo ") + File + QStringLiteral(" exportado com sucesso.")});
        const XlsxBook book = ReadXlsx(File);
        EXPECT_TRUE(book.Error.isEmpty()) << book.Error.toStdString();
        const int cols = W->GCons->Columns()->Count();
        const int records = W->Q->RecordCount();
        QStringList rows;
        for (int r = 1; r <= records + 2; ++r) {
            QStringList cells;
            bool any = false;
            for (int c = 1; c <= cols + 1; ++c) {
                any = any || book.Cells.contains(TXXLS::CellName(r, c));
                if (c <= cols)
                    cells << book.Text(TXXLS::CellName(r, c));
            }
            if (r <= records + 1 || any)
                rows << cells.join(u'|');
        }
        return rows.join(u';');
    }
    // The title row and the rows as the grid shows them.
    QString ShownRows() const
    {
        const QString rows = GridRows();
        return GridTitles().join(u'|') + (rows.isEmpty() ? QString() : u';' + rows);
    }

    // The grid holds exactly the rows of an independent statement, counted, and "Atualizar" is green.
    void ExpectGrid(const QString& Sql)
    {
        const QString expected = Campaign->Rows(Sql);
        EXPECT_EQ(GridRows(), expected);
        EXPECT_EQ(Count(), Registros(RowCount(expected)));
        EXPECT_FALSE(W->Outdated());
    }

    QString Count() const { return W->LRegistro->text(); }
    static QString Registros(int N) { return QStringLiteral("Registros: ") + QString::number(N); }
    // Rows of an independent statement in the grid's form, and their number.
    int RowCount(const QString& Rows) const { return Rows.isEmpty() ? 0 : int(Rows.count(u';')) + 1; }
};
