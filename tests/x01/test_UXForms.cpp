#include "UXForms.h"

#include "XAdo.h"
#include "XExceptions.h"

#include <QDate>
#include <QTime>

#include <gtest/gtest.h>

#include <memory>

// Runs first in this program: the counter starts at 0 and is shared.
TEST(UXForms, QueriesAndCommandsShareOneNameSequence)
{
    TADOConnection conn;
    std::unique_ptr<TADOQuery> q0(NewQuery(&conn));
    std::unique_ptr<TADOQuery> q1(NewQuery(&conn));
    std::unique_ptr<TADOCommand> c2(NewCommand(&conn));
    EXPECT_EQ(q0->objectName(), QStringLiteral("q0"));
    EXPECT_EQ(q1->objectName(), QStringLiteral("q1"));
    EXPECT_EQ(c2->objectName(), QStringLiteral("q2"));
    EXPECT_EQ(q1->Connection(), &conn);
    EXPECT_EQ(c2->Connection(), &conn);
    EXPECT_EQ(q0->parent(), nullptr);
    std::unique_ptr<TADOQuery> q3(NewQuery(nullptr));
    EXPECT_EQ(q3->objectName(), QStringLiteral("q3"));
    EXPECT_EQ(q3->Connection(), nullptr);
}

TEST(UXForms, ComputerNameIsTheHostNameUpToItsFirstDot)
{
    EXPECT_EQ(ComputerNameOf("estacao-07.lab.example"), QStringLiteral("estacao-07"));
    EXPECT_EQ(ComputerNameOf("laboratorio-de-cruzamento"), QStringLiteral("laboratorio-de-"));
    for (const char* none : {"", ".example", "  "}) {
        try {
            ComputerNameOf(none);
            ADD_FAILURE() << "no name for '" << none << "' was accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Computer name not detected"));
        }
    }
    const QString name = GetComputerNameStr();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_LE(name.size(), 15);
    EXPECT_FALSE(name.contains(u'.'));
}

TEST(UXForms, ProcessWideDateAndTimeFormats)
{
    SetShortDateFormat("dd/mm/yyyy");
    SetLongTimeFormat("HH:MM:SS");
    EXPECT_EQ(ShortDateFormat(), QStringLiteral("dd/mm/yyyy"));
    EXPECT_EQ(DateToStr(QDate(2026, 12, 5)), QStringLiteral("05/12/2026"));
    EXPECT_EQ(TimeToStr(QTime(9, 5, 7)), QStringLiteral("09:05:07"));
    EXPECT_EQ(QtDateTimeFormat("d/m/yy hh:nn"), QStringLiteral("d/M/yy HH:mm"));
    EXPECT_EQ(QtDateTimeFormat("yyyy-mm-dd 'as' hh"), QStringLiteral("yyyy-MM-dd 'as' HH"));
}
