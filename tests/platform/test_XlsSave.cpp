#include "ForkedChild.h"
#include "XWorkbook.h"
#include "XlsxReadBack.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/file.h>

namespace {

QStringList Entries(const QString& Path)
{
    return QDir(Path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

TEST(XlsSave, WritesValuesFormatsAndWidthsThatReadBackFromTheFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("consulta.xlsx");
    XWorkbook book;
    XWorksheet& s = book.AddSheet(QStringLiteral("Relatório"));
    for (int c = 1; c <= 3; ++c)
        s.SetValue(1, c, QStringList({"NC_REP", "CODIGO", "TEXTO"})[c - 1]);
    s.SetValue(2, 1, 123456789012LL);
    s.SetValue(2, 2, QStringLiteral("BRS-0123 Algodão 日本"));
    s.SetValue(2, 3, QStringLiteral("  <a & b>\tbell\x07 "));
    s.SetValue(3, 1, -0.125);
    s.SetValue(3, 3, true);  // B3 stays empty
    s.SetInteriorColor({1, 1, 1, 3}, 0x808080);
    s.AutoFitColumns(1, 3);
    s.SetAlignment({1, 1, 3, 3}, XHorizontalAlignment::Center);
    s.SetBorder({1, 1, 3, 3}, XBorderLine::Continuous);
    book.AddSheet("Plan1").SetValue(1, 1, 2);
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));   // an older file of that name is replaced
    QString error;
    ASSERT_TRUE(book.SaveAs(file, &error)) << error.toStdString();
    ASSERT_TRUE(XlsxArchiveSound(file));
    const XlsxBook x = ReadXlsx(file);
    ASSERT_TRUE(x.Error.isEmpty()) << x.Error.toStdString();
    EXPECT_EQ(x.SheetNames, QStringList({QStringLiteral("Relatório"), "Plan1"}));
    EXPECT_TRUE(XlsxPart(file, "xl/worksheets/sheet2.xml").contains("<v>2</v>"));
    // Numbers are a bare <v>; texts are strings with every character kept
    // (a control character, which XML cannot carry, escaped as the format says).
    EXPECT_EQ(x.Cells["A2"].Type + "|" + x.Cells["A2"].Value + "|" + x.Cells["A3"].Value, "|123456789012|-0.125");
    EXPECT_EQ(x.Text("B2"), QStringLiteral("BRS-0123 Algodão 日本"));
    EXPECT_EQ(x.Text("C2"), "  <a & b>\tbell_x0007_ ");
    EXPECT_EQ(x.Cells["C3"].Type + x.Cells["C3"].Value, "b1");

    // Each cell's fill, centring and borders: test_UFBCad.
    EXPECT_EQ(x.Cells.size(), 9);  // the empty B3 is a formatted blank
    EXPECT_EQ(x.Styles.size(), 3);  // default, titles, body: nothing passed through on the way
    EXPECT_GT(x.Widths.value(1), 12.0);
    EXPECT_FALSE(x.Widths.contains(4));
    EXPECT_EQ(Entries(dir.path()), QStringList{"consulta.xlsx"});
}

// An export killed half-way leaves its temporary file, locked no more; the
// next save of that file removes it. One a live writer holds, one of the same
// shape for another file, and the user's own files stay.
TEST(XlsSave, LeftoversOfAKilledSaveAreRemovedByTheNextOne)
{
    QTemporaryDir dir;
    for (const char* name : {".consulta.xlsx.4242-1.tmp", ".etiquetas.txt.77-12.tmp", ".consulta.xlsx.4243-2.tmp",
                             "consulta.4242-1.tmp", ".notas.tmp"})
        ASSERT_TRUE(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
    QFile live(dir.filePath(".consulta.xlsx.4243-2.tmp"));
    ASSERT_TRUE(live.open(QIODevice::ReadOnly) && flock(live.handle(), LOCK_EX | LOCK_NB) == 0);
    XWorkbook book;
    book.AddSheet("Plan1").SetValue(1, 1, 2);
    ASSERT_TRUE(book.SaveAs(dir.filePath("consulta.xlsx")));
    EXPECT_EQ(Entries(dir.path()), QStringList({".consulta.xlsx.4243-2.tmp", ".etiquetas.txt.77-12.tmp", ".notas.tmp",
                                                "consulta.4242-1.tmp", "consulta.xlsx"}));
}

// A full disk: the save fails with the reason, the old workbook stays whole
// and nothing is left beside it.
TEST(XlsSave, AFullDiskKeepsTheOldWorkbook)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("consulta.xlsx");
    const auto bytes = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    XWorkbook small;
    small.AddSheet("Plan1").SetValue(1, 1, 1);
    ASSERT_TRUE(small.SaveAs(file));
    const QByteArray old = bytes();

    XWorkbook big;
    XWorksheet& s = big.AddSheet("Plan1");
    for (int r = 1; r <= 2000; ++r)
        s.SetValue(r, 1, QStringLiteral("linha %1 de um texto que não se repete").arg(r));
    const QByteArray answer = WithFileSizeLimit(old.size(), [&] {
        QString why;
        return big.SaveAs(file, &why) ? QByteArray("ok") : why.toUtf8();
    });
    EXPECT_TRUE(answer.endsWith("(File too large)")) << answer.toStdString();
    EXPECT_TRUE(bytes() == old);
    EXPECT_EQ(Entries(dir.path()), QStringList{"consulta.xlsx"});
}
