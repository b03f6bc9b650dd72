#include "UXLib.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

TEST(UXLibDialogs, PortugueseBoxesAndTheirDefaultButton)
{
    TDlgRecorder rec;
    ShowError(QStringLiteral("Falhou"));
    EXPECT_EQ(rec.Last().Caption + '|' + rec.Last().Text, QStringLiteral("Erro|Falhou"));
    ShowInfo(QStringLiteral("Pronto"));
    EXPECT_EQ(rec.Last().Kind, mtInformation);

    rec.Answer(mrCancel);
    EXPECT_EQ(XMessageDlg(QStringLiteral("m"), mtWarning, mbYesNoCancel, 7, mrCancel, true), mrCancel);
    EXPECT_EQ(rec.Last().Caption, QStringLiteral("Aviso"));
    EXPECT_EQ(rec.Last().ButtonCaptions(), QStringLiteral("&Sim|&Não|&Cancelar"));
    EXPECT_EQ(rec.Last().Buttons.at(rec.Last().Default).Kind, mbCancel);
    // The platform's own box speaks Portuguese through Qt's translation.
    XMessageDlg(QStringLiteral("m"), mtConfirmation, mbYesNoCancel, 0, mrNone, false);
    EXPECT_EQ(rec.Last().ButtonCaptions(), QStringLiteral("&Sim|&Não|Cancelar"));
    // Result 0: only a Help button answers 0 and takes the focus; otherwise the platform chooses.
    XMessageDlg(QStringLiteral("m"), mtConfirmation, TMsgDlgButtons{mbYes, mbNo, mbHelp}, 0, mrNone, true);
    EXPECT_EQ(rec.Last().Buttons.at(rec.Last().Default).Kind, mbHelp);

    EXPECT_FALSE(Ask(QStringLiteral("Excluir?"), true)); // Enter on the focused No
    const TDlgRequest& r = rec.Last();
    EXPECT_EQ(r.Caption + '|' + r.ButtonCaptions(), QStringLiteral("Confirmação|&Sim|&Não"));
    EXPECT_EQ(r.Buttons.at(r.Default).Caption, QStringLiteral("&Não"));
    EXPECT_TRUE(Ask(QStringLiteral("Continuar?"))); // the platform focuses Yes
    EXPECT_EQ(rec.Last().Default, -1);
    rec.Answer({mrYes, mrCancel});
    EXPECT_TRUE(Ask(QStringLiteral("a"), true));
    EXPECT_FALSE(Ask(QStringLiteral("b")));
}

namespace {

// The published rule: weights 3, 1, 3, ... leftwards from the check digit.
int StandardCheckDigit(const QString& Body)
{
    int sum = 0;
    for (qsizetype i = Body.size() - 1, w = 3; i >= 0; --i, w = 4 - w)
        sum += (Body.at(i).unicode() - '0') * int(w);
    return (10 - sum % 10) % 10;
}

} // namespace

TEST(UXLibEAN, AgreesWithTheStandardOverManyCodes)
{
    QString msg;
    QRandomGenerator random(13);
    const auto digits = [&](int Count) {
        return QString::number(random.bounded(qint64(1e12))).rightJustified(12, u'0').right(Count);
    };
    for (int n = 0; n < 500; ++n) {
        const QString b8 = digits(7), b13 = digits(12), b12 = digits(11);
        const int c8 = StandardCheckDigit(b8), c13 = StandardCheckDigit(b13);
        const int w8 = (c8 + 1 + n % 9) % 10, w13 = (c13 + 1 + n % 9) % 10;
        EXPECT_TRUE(CheckEAN8(b8 + QString::number(c8), msg) && msg.isEmpty()) << b8.toStdString();
        EXPECT_FALSE(CheckEAN8(b8 + QString::number(w8), msg));
        EXPECT_EQ(msg, QStringLiteral("Dígito Verificador não confere (%1). Esperado (%2)").arg(w8).arg(c8));
        EXPECT_TRUE(CheckEAN13(b13 + QString::number(c13), msg) && msg.isEmpty()) << b13.toStdString();
        EXPECT_FALSE(CheckEAN13(b13 + QString::number(w13), msg));
        EXPECT_EQ(msg, QStringLiteral("Dígito Verificador EAN13 não confere (%1). Esperado (%2).").arg(w13).arg(c13));
        // Twelve digits are read with a leading zero.
        EXPECT_TRUE(CheckEAN13(b12 + QString::number(StandardCheckDigit(QChar('0') + b12)), msg));
    }
}

TEST(UXLibEAN, LengthAndCharacterRefusals)
{
    const QString len8 = QStringLiteral("Código deve conter 8 dígitos.");
    const QString len13 = QStringLiteral("Código deve conter 13 dígitos.");
    const QString digits = QStringLiteral("Código deve conter somente números.");
    const std::tuple<bool, const char*, bool, QString> cases[] = {
        {true, " \t96385074\r\n", true, QString()}, // blanks and controls trimmed
        {true, "9638507", false, len8},            {true, "963850745", false, len8},
        {true, "1234567A", false, digits},         {true, "١٢٣٤٥٦٧٠", false, digits}, // other digit systems are no digits
        {false, "036000291452", true, QString()},  {false, "400638133393x", false, digits},
        {false, "40063813339", false, len13},      {false, "40063813339311", false, len13},
    };
    for (const auto& [ean8, code, valid, message] : cases) {
        QString msg = QStringLiteral("stale");
        const QString c = QString::fromUtf8(code);
        EXPECT_EQ(ean8 ? CheckEAN8(c, msg) : CheckEAN13(c, msg), valid) << code;
        EXPECT_EQ(msg, message) << code;
    }
}

TEST(UXLibHelpers, VariantsTextsAndNumbers)
{
    EXPECT_EQ(IfNull(QVariant(QString()), 0).typeId(), QMetaType::QString); // an empty string is no Null

    for (const char* yes : {" -42 ", "-12", "007", "-", "0"})
        EXPECT_TRUE(IsIntegerStr(QString::fromLatin1(yes))) << yes;
    for (const char* no : {"", "   ", "1-2", "1.5", "+5", "--1", "12a", "1 2"})
        EXPECT_FALSE(IsIntegerStr(QString::fromLatin1(no))) << no;

    const std::pair<double, int> digits[] = {{0, 1},  {-500, 1}, {9, 1},    {9.99, 1},
                                             {10, 2}, {99, 2},   {100, 3}, {123456789012.0, 12}};
    for (const auto& [x, n] : digits)
        EXPECT_EQ(DigitCount(x), n) << x;
    EXPECT_EQ(DigitCount(std::numeric_limits<double>::infinity()), 309); // ends
}

TEST(UXLibFormat, FormatFloat)
{
    const std::tuple<const char*, long double, const char*> cases[] = {
        {"0;-0", 12.5, "13"}, {"0;-0", -12.5, "-13"}, {"0;-0", 0, "0"},
        {"0;-0", -0.4, "0"}, // rounds to zero: no sign
        {",0.00;(,0.00)", 1234567.891, "1.234.567,89"}, {",0.00;(,0.00)", -1234.5, "(1.234,50)"},
        {",0.00;(,0.00)", 0, "0,00"}, {",0.00;(,0.00)", 999.995, "1.000,00"},
        {"#,###,##0", 1234567, "1.234.567"}, {"#,###,##0", 0, "0"}, {"#,#00", 5, "05"}, {"#,#00", 2026, "2.026"},
        {"0.00", 2.675, "2,68"}, {"0.00", 0.125, "0,13"}, {"0", 123456789012.0L, "123456789012"}, {"", 1.5, "1,5"},
    };
    for (const auto& [format, value, expected] : cases)
        EXPECT_EQ(FormatFloat(QString::fromUtf8(format), value, FormatSettingsBR), QString::fromUtf8(expected))
            << format << " " << double(value);
}
