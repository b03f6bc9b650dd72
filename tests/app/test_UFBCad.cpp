#include "ForkedChild.h"
#include "MdiMainWindow.h"
#include "UDM.h"
#include "UFBCad.h"
#include "UXComboBox.h"
#include "UXForms.h"
#include "UXNumEdit.h"
#include "UXXLS.h"
#include "XDialogs.h"
#include "../platform/AdoTestDb.h"
#include "../platform/XlsxReadBack.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// A window built the way every child window is: base frame, own controls,
// then its FormCreate.
class TFTestCad : public TFBCad
{
    Q_OBJECT
public:
    explicit TFTestCad(QWidget* Owner = nullptr) : TFBCad(Owner)
    {
        c->addItems({"0 - Não", "1 - Sim"});
        c->setCurrentIndex(-1);
        b->SetEntryRequired(integervalue);
        // Listed as the columns are named; letter case is not significant.
        for (const char* n : {"a", "B", "c"})
            EditorNames->Add(n);
        Mode = 1;
    }

    QLineEdit* a = add<QLineEdit>("a");
    TXNumEdit* b = add<TXNumEdit>("b");
    QComboBox* c = add<QComboBox>("c");
    TXNumEdit* d = add<TXNumEdit>("d");
    TXComboBox* e = add<TXComboBox>("e");
    QCheckBox* check = add<QCheckBox>("f");

    QStringList validated;
    QString refuse;
    int shows = 0;
    bool closeOnShow = false;
    TCloseAction closeAction = caFree;

    bool ValidateField(QWidget* Editor) override { validated << Editor->objectName(); return Editor->objectName() != refuse; }

protected:
    void FormShow() override { if (++shows && closeOnShow) Close(); }
    void FormClose(TCloseAction& Action) override { Action = closeAction; }

private:
    template <class T>
    T* add(const char* name) { auto* w = new T(this); w->setObjectName(name); return w; }
};

static void freeClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

TEST(UFBCad, ClosingFreesTheWindowUnlessItMinimisesAndShowingOnce)
{
    TMdiMainWindow m;
    // Fechar, the frame's own close button, and a window never placed in a frame.
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        TFTestCad* w = way == 2 ? new TFTestCad : ShowMDIChild<TFTestCad>(false, true);
        QPointer<TFTestCad> win = w;
        QPointer<QMdiSubWindow> frame = MDISubWindowOf(w);
        if (way == 0)
            QTest::mouseClick(w->BClose, Qt::LeftButton);
        else if (way == 1)
            frame->close();
        else
            w->show(), w->Close();
        freeClosed();
        EXPECT_TRUE(win.isNull() && frame.isNull() && m.area->subWindowList().isEmpty());
    }
    // Minimised on closing, restored without being shown anew.
    TFTestCad* w = ShowMDIChild<TFTestCad>(false, true);
    w->closeAction = caMinimize;
    w->Close();
    EXPECT_TRUE(MDISubWindowOf(w)->isMinimized());
    EXPECT_EQ(ShowMDIChild<TFTestCad>(false, true), w);
    EXPECT_TRUE(!MDISubWindowOf(w)->isMinimized() && w->shows == 1);   // restoring is not showing anew
    // A window that closes while being shown goes away.
    w = new TFTestCad;
    w->closeOnShow = true;
    QPointer<TFTestCad> other = w;
    AddMDIChild(m.area, w);
    freeClosed();
    EXPECT_TRUE(other.isNull() && m.area->subWindowList().size() == 1);
}

TEST(UFBCad, ValidateFieldsWalksTheListAndStopsAtTheFirstFailure)
{
    TFTestCad w;
    w.EditorNames->Clear();
    for (const char* n : {"A", "f", "semcomponente", "b", "C", "d", "e"})
        w.EditorNames->Add(n);
    EXPECT_TRUE(w.ValidateFields());
    EXPECT_EQ(w.validated, (QStringList{"a", "b", "c", "d", "e"})) << "other kinds and missing names are skipped";
    w.validated.clear();
    w.refuse = "c";
    EXPECT_FALSE(w.ValidateFields());
    EXPECT_EQ(w.validated, (QStringList{"a", "b", "c"}));
}

// Only the editors holding a value take part (the configuration window's tests run the statements).
TEST(UFBCad, FieldListsTakeTheEditorsThatHoldAValue)
{
    TFTestCad w;
    QString fields, params;
    w.EditorNames->Add("e");
    w.BuildFieldLists(fields, params, true);   // an empty edit, no item chosen, no text: only the number
    EXPECT_EQ(fields + " / " + params, "B / :B");
    w.a->setText("x");
    w.c->setCurrentIndex(0);
    w.e->setEditable(true);
    w.e->setEditText("Sim");
    w.BuildFieldLists(fields, params, true);
    EXPECT_EQ(fields + " / " + params, "a, B, c, e / :a, :B, :c, :e");
    w.BuildFieldLists(fields, params, false);
    EXPECT_EQ(fields + " / " + params, "a =:a, B =:B, c =:c, e =:e / ");
}

namespace {

struct ExportDb : AdoTestDb
{
    TADOQuery q;
    TDBGrid grid;
    TXXLS xls;
    TFBCad window;
    TDlgRecorder boxes;

    explicit ExportDb(int Records)
    {
        exec("CREATE TABLE Cruzamento (NC LONG NOT NULL, CODIGO TEXT(30) NOT NULL, PESO FLOAT NULL, "
             "CONSTRAINT PK_Cruzamento PRIMARY KEY (NC))");
        for (int i = 1; i <= Records; ++i)
            exec(QStringLiteral("INSERT INTO Cruzamento VALUES (%1, 'BRS %1', %2)").arg(i).arg(i == 4 ? QStringLiteral("NULL") : QString::number(i * 0.5)));
        q.setConnection(&conn);
        q.SQL.setText("SELECT nc, codigo, peso FROM Cruzamento ORDER BY nc");
        AddGridColumn(&grid, "nc", "NC", 70, taRightJustify);
        AddGridColumn(&grid, "codigo", u"Código"_qs, 150, taLeftJustify);
        AddGridColumn(&grid, "peso", "Peso", 60, taRightJustify);
        grid.SetOptions(dgTitles | dgRowSelect);
        grid.SetDataSet(&q);
        q.Open();
    }
};

} // namespace

// Titles on a grey row, every record below, the whole table centred and bordered
// (the values read back are the consultation windows' tests).
TEST(UFBCad, ExportGridToXLSFormatsTheTable)
{
    for (int records : {10, 0}) {
        SCOPED_TRACE(records);
        ExportDb db(records);
        const QString f = db.dir.filePath("cruzamentos.xlsx");
        ASSERT_TRUE(db.window.ExportGridToXLS(f, &db.grid, &db.xls));
        const XlsxBook b = ReadXlsx(f);
        ASSERT_TRUE(b.Error.isEmpty());
        EXPECT_EQ(QStringList({b.Text("A1"), b.Text("B1"), b.Text("C1")}), QStringList({"NC", u"Código"_qs, "Peso"}));
        for (int row = 1; row <= records + 1; ++row)
            for (const char* col : {"A", "B", "C"}) {
                const QString ref = QString::fromLatin1(col) + QString::number(row);
                const XlsxStyle st = b.StyleOf(ref);
                EXPECT_EQ(st.Fill + st.Horizontal + st.Left + st.Right + st.Top + st.Bottom,
                          (row == 1 ? "FF808080" : "") + QStringLiteral("centerthinthinthinthin")) << ref.toStdString();
            }
        EXPECT_FALSE(b.Cells.contains("A" + QString::number(records + 2)) || b.Cells.contains("D1"));
        if (records == 0)
            continue;
        EXPECT_FALSE(b.Cells.value("C5").HasValue) << "an empty field leaves the cell empty";
        EXPECT_GT(b.Widths.value(2), b.Widths.value(1)) << "columns fitted";
    }
}

TEST(UFBCad, ExportGridToXLSReportsFailuresInItsOwnWords)
{
    ExportDb db(3);
    auto expectFailure = [&](const QString& Path, const QString& Error) {
        db.boxes.Clear();
        EXPECT_FALSE(db.window.ExportGridToXLS(Path, &db.grid, &db.xls));
        EXPECT_EQ(db.boxes.Texts(), QStringList{"Erro ao Exportar os dados.\r\n Erro: " + Error});
        EXPECT_EQ(db.boxes.Last().Kind, mtError);
        EXPECT_FALSE(QFile::exists(Path) || db.xls.IsOpen());
    };
    // A column whose field the dataset lacks.
    AddGridColumn(&db.grid, "nada", "Nada", 40, taLeftJustify);
    expectFailure(db.dir.filePath("falha.xlsx"), "(EDatabaseError)  : Field 'nada' not found");
    db.grid.Columns()->Delete(3);
    // A workbook that cannot be written.
    const QString nowhere = db.dir.filePath("nao/existe/pasta.xlsx");
    expectFailure(nowhere, u"(EInOutError)  Não foi possível gravar o arquivo "_qs + nowhere + ".\r\nThe folder "
                               + db.dir.filePath("nao/existe") + " does not exist.");
}

// Under a file-size limit the program lives on: an export and a settings save each show why
// they failed, nothing is left beside the old files and these stay whole.
TEST(UFBCad, AFileSizeLimitFailsTheExportAndTheSettingsInTheirBoxes)
{
    ExportDb db(3);
    QTemporaryDir out;
    const QString book = out.filePath("cruzamentos.xlsx"), settings = out.filePath("crossing");
    ASSERT_TRUE(db.window.ExportGridToXLS(book, &db.grid, &db.xls));
    TDM::SetConfigBaseName(settings);
    const auto restore = qScopeGuard([] { TDM::SetConfigBaseName(QString()); });
    TDM dm;
    for (const QString& chosen : {db.path, book}) {
        dm.SetDatabase(chosen);
        ASSERT_TRUE(dm.SaveConfig());
    }
    const QStringList files = QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
    QList<QByteArray> before;
    for (const QString& f : files)
        before << FileBytes(out.filePath(f));

    db.boxes.Clear();
    const QByteArray shown = WithFileSizeLimit(64, [&] {
        db.window.ExportGridToXLS(book, &db.grid, &db.xls);
        dm.SetDatabase(db.path);
        dm.SaveConfig();
        return db.boxes.Texts().join(u'\n').toUtf8() + "\n<lives on>";
    });
    EXPECT_EQ(QString::fromUtf8(shown).toStdString(),
              ("Erro ao Exportar os dados.\r\n Erro: (EInOutError)  Não foi possível gravar o arquivo " + book
               + ".\r\nFile too large\nNão foi possível gravar o arquivo de configuração " + settings
               + ".dat.\r\nErro: File too large\n<lives on>").toStdString());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).join(u'|').toStdString(), files.join(u'|').toStdString());
    for (int i = 0; i < files.size(); ++i)
        EXPECT_TRUE(FileBytes(out.filePath(files[i])) == before[i]) << files[i].toStdString();
}

#include "test_UFBCad.moc"
