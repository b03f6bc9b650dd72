#pragma once

// The program started on a builder campaign with one consultation window
// opened from its menu action, and what a user sees of it.

#include "MainWindowHarness.h"

#include "../platform/XlsxReadBack.h"
#include "CampaignFile.h"
#include "UFBCons.h"
#include "UXXLS.h"
#include "XDBGrid.h"

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
    TWindow* W = nullptr;

    // The campaign made (Shape may change it), the program started on it, the window opened from its menu.
    void Open(QAction* TFMain::*Action, const std::function<void(TCampaignFile&)>& Shape = {})
    {
        Campaign = std::make_unique<TCampaignFile>(Options);
        if (Shape)
            Shape(*Campaign);
        TFMain* Main = H.StartOn(*Campaign);
        ASSERT_TRUE(Main->AppConfig->Loaded) << H.Boxes();
        (Main->*Action)->trigger();
        H.Settle();
        W = Main->findChild<TWindow*>();
        ASSERT_TRUE(W && W->isVisible()) << H.Boxes();
    }

    void Atualizar() { QTest::mouseClick(W->BConfirm, Qt::LeftButton); }

    // The grid as shown, in the form of TCampaignFile::Rows ("a|b;c|d").
    QString GridRows() const
    {
        return Table(W->GCons->DataSet()->Active() ? W->GCons->DataSet()->RecordCount() : 0, [&](int r, int c) {
            return W->GCons->FieldText(r + 1, W->GCons->Columns()->Items(c)->FieldName());
        });
    }
    // The grid exported to File, with its success box, and read back: the titles, the rows and nothing after.
    void ExpectExport(const QString& File)
    {
        H.Dlg.Clear();
        H.Files.Answer(File);
        QTest::mouseClick(W->BExportar, Qt::LeftButton);
        EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Arquivo ") + File + QStringLiteral(" exportado com sucesso.")});
        const XlsxBook book = ReadXlsx(File);
        const QString rows = GridRows();
        const int lines = RowCount(rows) + 1;
        EXPECT_EQ(Table(lines, [&](int r, int c) { return book.Text(TXXLS::CellName(r + 1, c + 1)); }),
                  Table(1, [&](int, int c) { return W->GCons->Columns()->Items(c)->Title()->Caption(); }) + (rows.isEmpty() ? QString() : u';' + rows));
        EXPECT_FALSE(book.Cells.contains(TXXLS::CellName(lines + 1, 1)));
    }
    QString Table(int Rows, const std::function<QString(int, int)>& Cell) const
    {
        QStringList rows;
        for (int r = 0; r < Rows; ++r) {
            QStringList cells;
            for (int c = 0; c < W->GCons->Columns()->Count(); ++c)
                cells << Cell(r, c);
            rows << cells.join(u'|');
        }
        return rows.join(u';');
    }
    static int RowCount(const QString& Rows) { return Rows.isEmpty() ? 0 : int(Rows.count(u';')) + 1; }
    // Exactly the rows expected (of an independent statement), counted, and "Atualizar" no longer marked.
    void ExpectRows(const QString& Expected)
    {
        EXPECT_EQ(GridRows(), Expected);
        EXPECT_EQ(W->LRegistro->text(), QStringLiteral("Registros: %1").arg(RowCount(Expected)));
        EXPECT_FALSE(W->Outdated());
    }
    void ExpectGrid(const QString& Sql) { ExpectRows(Campaign->Rows(Sql)); }
};
