#include "CampaignFile.h"
#include "ForkedChild.h"
#include "LongFileName.h"
#include "XReplaceFile.h"
#include "XWorkbook.h"
#include "XlsxReadBack.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>

namespace {

QStringList Entries(const QString& Path)
{
    return QDir(Path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// In a forked child: its temporary folder becomes a file system of its own
// with Room bytes, filled up when Room is 0. The mount is the child's alone
// and goes with it.
bool TemporaryFolderOfItsOwn(const QString& Folder, qint64 Room)
{
    const QByteArray path = QFile::encodeName(Folder);
    const QByteArray size = "size=" + QByteArray::number(std::max<qint64>(Room, 1));
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount("tmpfs", path.constData(), "tmpfs", 0, size.constData()) != 0)
        return false;
    qputenv("TMPDIR", path);
    if (Room == 0) {
        const int fd = ::open((path + "/cheio").constData(), O_WRONLY | O_CREAT, 0600);
        const QByteArray block(4096, 'x');
        while (fd >= 0 && ::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        ::close(fd);
    }
    return true;
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
}

// An export killed half-way leaves its temporary file, locked no more: the next save of that file
// removes it. One a live writer holds, one of the same shape for another file, the user's own stay.
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

// Names up to the folder's limit of 255 bytes, wherever a character falls: each is saved, and the
// leftover of a killed save is removed by the next save of that very name, not of one that
// differs only at its end.
TEST(XlsSave, NamesUpToTheFoldersLimitAndTheirLeftovers)
{
    XWorkbook book;
    book.AddSheet("Plan1").SetValue(1, 1, 2);
    for (const auto& [bytes, lead] : {std::pair{250, 1}, {251, 2}, {254, 3}, {255, 4}}) {
        SCOPED_TRACE(std::to_string(bytes) + " bytes, lead " + std::to_string(lead));
        QTemporaryDir dir;
        const QString a = LongFileName(bytes, "1.xlsx", lead), b = LongFileName(bytes, "2.xlsx", lead);
        const auto killed = [&](const QString& Name) {
            InForkedChild([&] {
                XReplacingFile::SetStepHook([](XReplacingFile::Step) { ::_exit(0); });
                return QByteArray(book.SaveAs(dir.filePath(Name)) ? "not killed" : "failed");
            });
            return Entries(dir.path());
        };
        const QStringList leftB = killed(b);
        QStringList leftA = killed(a);
        leftA.removeOne(leftB.value(0));
        EXPECT_EQ(leftB.size() + leftA.size(), 2);
        EXPECT_FALSE((leftA + leftB).join(u'|').contains(QChar::ReplacementCharacter)) << "a character cut in half";
        for (const QString& name : {a, b}) {
            QString why;
            ASSERT_TRUE(book.SaveAs(dir.filePath(name), &why)) << why.toStdString();
            EXPECT_EQ(ReadXlsx(dir.filePath(name)).Cells.size(), 1);
            QStringList expected{a, name == a ? leftB.value(0) : b};
            expected.sort();
            EXPECT_EQ(Entries(dir.path()).join(u'|').toStdString(), expected.join(u'|').toStdString());
        }
    }
}

// A small sheet (its rows still in the library's 4 KiB buffer) or a large one: a failure with the
// system's reason, the old workbook byte for byte, nothing left behind; with room, every row reads back.
TEST(XlsSave, AFullTemporaryFolderOrAFileSizeLimitIsAFailureWithItsReason)
{
    QTemporaryDir dir, scratch, tempFolder;
    const QString file = dir.filePath("consulta.xlsx");
    XWorkbook old;
    old.AddSheet("Plan1").SetValue(1, 1, 1);
    ASSERT_TRUE(old.SaveAs(file));

    for (const int rows : {3, 2000}) {
        XWorkbook book;
        XWorksheet& s = book.AddSheet("Plan1");
        for (int r = 1; r <= rows; ++r) {
            s.SetValue(r, 1, r);
            s.SetValue(r, 2, QStringLiteral("linha %1 de um texto que não se repete").arg(r));
        }
        ASSERT_TRUE(book.SaveAs(scratch.filePath("medida.xlsx")));
        const qint64 sheet = XlsxPart(scratch.filePath("medida.xlsx"), "xl/worksheets/sheet1.xml").size();
        const struct { const char* What; qint64 Room; rlim_t Limit; const char* Answer; } cases[] = {
            {"a full temporary folder", 0, 0, "No space left on device"},
            {"room for the rows, not for the sheet", sheet * 3 / 2, 0, "No space left on device"},
            {"a file-size limit a byte below the sheet", 8 * sheet, rlim_t(sheet - 1), "File too large"},
            {"room", 8 * sheet + (1 << 20), 0, "ok"},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(rows) + " rows, " + c.What);
            const QByteArray before = FileBytes(file);
            const QList<QByteArray> answer = WithFileSizeLimit(c.Limit ? c.Limit : RLIM_INFINITY, [&] {
                if (!TemporaryFolderOfItsOwn(tempFolder.path(), c.Room))
                    return "no temporary folder of its own: " + QByteArray(std::strerror(errno));
                QString why;
                const QByteArray saved = book.SaveAs(file, &why) ? "ok" : why.toUtf8();
                QStringList left = Entries(tempFolder.path());
                left.removeOne("cheio");
                return saved + '\n' + left.join(' ').toUtf8();
            }).split('\n');
            EXPECT_TRUE(answer.value(0).contains(c.Answer)) << answer.value(0).toStdString();
            EXPECT_EQ(answer.value(1), "") << "left in the temporary folder";
            EXPECT_EQ(Entries(dir.path()), QStringList{"consulta.xlsx"});
            if (qstrcmp(c.Answer, "ok") != 0) {
                EXPECT_TRUE(FileBytes(file) == before);
                continue;
            }
            const XlsxBook x = ReadXlsx(file);
            ASSERT_TRUE(x.Error.isEmpty()) << x.Error.toStdString();
            EXPECT_EQ(x.Cells.size(), 2 * rows);
            for (int r = 1; r <= rows; ++r)
                ASSERT_EQ(x.Cells.value(u'A' + QString::number(r)).Value + u'|' + x.Text(u'B' + QString::number(r)),
                          s.Value(r, 1).toString() + u'|' + s.Value(r, 2).toString());
        }
    }
}
