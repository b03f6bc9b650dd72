#include "ForkedChild.h"
#include "XTextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

TEST(XTextFile, AnsiHoldsWhatWindows1252HoldsAndNamesTheFirstCharacterItLacks)
{
    QByteArray out;
    ASSERT_TRUE(ToAnsi(QStringLiteral("Algodão € “x”"), out));
    EXPECT_EQ(out, QByteArray("Algod\xe3o \x80 \x93x\x94"));
    struct { QString text; QString bad; } refused[] = {
        {QStringLiteral("ok Ā e ő"), QStringLiteral("Ā")}, {QStringLiteral("vaso 🌱 1"), QStringLiteral("🌱")},
        {QStringLiteral("\u0081"), QStringLiteral("\u0081")},
    };
    for (const auto& c : refused) {
        QString bad;
        EXPECT_FALSE(ToAnsi(c.text, out, &bad)) << c.text.toStdString();
        EXPECT_EQ(bad, c.bad);
        EXPECT_TRUE(out.isEmpty());
    }
}

TEST(XTextFile, FilesReadAsUtf8WhenTheyAreAndAsWindows1252Otherwise)
{
    EXPECT_EQ(DecodeTextFile("Jo\xe3o;\x80;\x93"), QStringLiteral("João;€;“"));
    EXPECT_EQ(DecodeTextFile("a\x81z"), QStringLiteral("a\u0081z"));
    // Longer than one conversion buffer.
    const QByteArray big = QByteArray(40000, '\xe7');
    EXPECT_EQ(DecodeTextFile(big), QString(40000, QChar(0xe7)));
}

TEST(XTextFile, CellsTheReaderWouldMisreadAreNamedByRowAndColumn)
{
    const QList<QStringList> rows = {
        {QStringLiteral("1"), QStringLiteral("a;b"), QStringLiteral("ok")},
        {QStringLiteral("2"), QStringLiteral("ok"), QStringLiteral("linha\nquebrada")},
        {QStringLiteral("Ā"), QStringLiteral("ok"), QStringLiteral("x\ry")},
    };
    const QList<TCellProblem> problems = CheckCells(rows, u';');
    ASSERT_EQ(problems.size(), 4);
    EXPECT_EQ(DescribeCellProblems(problems, {QStringLiteral("NC"), QStringLiteral("NOME")}, 2, 3),
              QStringLiteral("Linha 2, coluna NOME: o valor contém o separador \";\".\r\n"
                             "Linha 3, coluna 3: o valor contém uma quebra de linha.\r\n"
                             "Linha 4, coluna NC: o caractere \"Ā\" não pode ser gravado no arquivo.\r\n"
                             "... e mais 1 valor(es)."));
    EXPECT_TRUE(CheckCells({{QStringLiteral("Soja"), QStringLiteral("çã")}}, u';').isEmpty());
}

// A full disk: the write fails below and above the 16 KiB a buffer may hold.
TEST(XTextFile, AFullDiskIsAFailureWithItsReasonAndTheOldFileStaysWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("etiquetas.txt"));
    const QByteArray old = QByteArray("NC;REP;\r\n").repeated(300);
    QString error;
    ASSERT_TRUE(WriteFileReplacing(path, QByteArray(5000, 'v'), error));
    for (const auto& [limit, size] : {std::pair{1000, 5000}, {20000, 40000}}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(WriteFileReplacing(path, old, error));   // a longer file replaced whole
        const QByteArray answer = WithFileSizeLimit(limit, [&, size = size] {
            return WriteFileReplacing(path, QByteArray(size, 'x'), error) ? QByteArray("ok") : error.toUtf8();
        });
        EXPECT_EQ(answer.toStdString(), "File too large");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly) && f.readAll() == old);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("etiquetas.txt")});
    }
}
