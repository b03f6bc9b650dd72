#include "XExceptions.h"
#include <gtest/gtest.h>

TEST(XExceptions, ClassesReportTheirNamesAndMessage)
{
    try {
        throw EOleException(QStringLiteral("Arquivo não é um banco de dados"));
    } catch (const Exception& e) {
        EXPECT_EQ(e.ClassName(), QStringLiteral("EOleException"));
        EXPECT_EQ(e.Message(), QStringLiteral("Arquivo não é um banco de dados"));
        EXPECT_STREQ(e.what(), "Arquivo não é um banco de dados");
    }
    EXPECT_EQ(EInOutError("x").ClassName(), QStringLiteral("EInOutError"));
    EXPECT_EQ(Exception("x").ClassName(), QStringLiteral("Exception"));
}
