#include "UXForms.h"

#include "XAdo.h"
#include "XExceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

TEST(UXForms, AFailureIsReportedOnceWithItsPrefixAndAnswersFalse)
{
    QStringList shown;
    const TReportProc report = [&](const QString& Msg) { shown << Msg; };
    EXPECT_FALSE(Reported(QStringLiteral("Erro (A): "), [] { return false; }, report));
    EXPECT_TRUE(Reported(QStringLiteral("Erro (B): "), [] { return true; }, report));
    EXPECT_FALSE(Reported(QStringLiteral("Erro (C): "), []() -> bool { throw EConvertError(QStringLiteral("ruim")); }, report));
    EXPECT_FALSE(Reported(QStringLiteral("Erro (D): "), []() -> bool { throw 7; }, report));
    TADOConnection conn;   // never opened: the query fails, and is closed before the report
    EXPECT_FALSE(WithQuery(&conn, QStringLiteral("Erro (E): "), [&](TADOQuery& q) {
        q.SQL.setText(QStringLiteral("SELECT 1"));
        q.Open();
        return true;
    }, report));
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0], QStringLiteral("Erro (C): ruim"));
    EXPECT_EQ(shown[1], QStringLiteral("Erro (D): "));
    EXPECT_TRUE(shown[2].startsWith(QStringLiteral("Erro (E): ")) && shown[2].size() > 10) << shown[2].toStdString();

    // Messages that name the class: every kind of exception is caught and named.
    shown.clear();
    const TFailureText text = [](const QString& ClassName, const QString& Message) {
        return QStringLiteral("Tipo: ") + ClassName + QStringLiteral(" Erro: ") + Message;
    };
    EXPECT_FALSE(ReportedAs(text, []() -> bool { throw EOleException(QStringLiteral("no such table")); }, report));
    EXPECT_FALSE(ReportedAs(text, []() -> bool { throw std::bad_alloc(); }, report));
    EXPECT_FALSE(ReportedAs(text, []() -> bool { throw std::runtime_error("disco cheio"); }, report));
    EXPECT_EQ(shown, QStringList({QStringLiteral("Tipo: EOleException Erro: no such table"),
                                  QStringLiteral("Tipo: EOutOfMemory Erro: Out of memory"),
                                  QStringLiteral("Tipo: Exception Erro: disco cheio")}));
}

TEST(UXForms, ComputerNameIsTheHostNameUpToItsFirstDot)
{
    EXPECT_EQ(ComputerNameOf("estacao-07.lab.example"), QStringLiteral("estacao-07"));
    EXPECT_EQ(ComputerNameOf("laboratorio-de-cruzamento"), QStringLiteral("laboratorio-de-"));
    for (const char* none : {"", ".example", "  "})
        EXPECT_THAT([&] { ComputerNameOf(none); }, testing::ThrowsMessage<Exception>(testing::StrEq("Computer name not detected")))
            << none;
    const QString name = GetComputerNameStr();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_LE(name.size(), 15);
    EXPECT_FALSE(name.contains(u'.'));
}

TEST(UXForms, DateAndTimeFormatsInQtTerms)
{
    EXPECT_EQ(QtDateTimeFormat("d/m/yy hh:nn"), QStringLiteral("d/M/yy HH:mm"));
    EXPECT_EQ(QtDateTimeFormat("yyyy-mm-dd 'as' hh"), QStringLiteral("yyyy-MM-dd 'as' HH"));
}
