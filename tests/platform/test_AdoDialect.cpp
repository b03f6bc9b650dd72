#include "XJetSql.h"

#include <gtest/gtest.h>

using namespace JetSql;

TEST(AdoDialect, IsNullAndLeftBecomeSqliteForms)
{
    EXPECT_EQ(RewriteStatement("SELECT SUM(IIF(ISNULL(c.status), 0, 1)) FROM Cruza c"),
              QStringLiteral("SELECT SUM(IIF(((c.status) IS NULL), 0, 1)) FROM Cruza c"));
    EXPECT_EQ(RewriteStatement("SELECT LEFT(c.dupd, 7) as ano_mes FROM Cruza c"),
              QStringLiteral("SELECT substr(c.dupd, 1,  7) as ano_mes FROM Cruza c"));
    // Nested: the argument of isnull is rewritten too.
    EXPECT_EQ(RewriteStatement("SELECT isnull( Left( a, 2 ) ) FROM t"),
              QStringLiteral("SELECT (( substr( a, 1,  2 ) ) IS NULL) FROM t"));
}

TEST(AdoDialect, LeftJoinsAndStringLiteralsStayAsWritten)
{
    const QString joins = "SELECT * FROM (a LEFT OUTER JOIN b ON (a.x = b.x)) LEFT JOIN c ON (b.y = c.y)";
    EXPECT_EQ(RewriteStatement(joins), joins);
    const QString literal = "SELECT 'isnull(x) and LEFT(y, 2)' AS t FROM a WHERE b = 'DELETE FROM t c'";
    EXPECT_EQ(RewriteStatement(literal), literal);
    // Jet takes double quotes as a string literal.
    EXPECT_EQ(RewriteStatement("SELECT * FROM t WHERE a = \"it's\""), QStringLiteral("SELECT * FROM t WHERE a = 'it''s'"));
}

TEST(AdoDialect, DeleteWithAliasGetsAs)
{
    EXPECT_EQ(RewriteStatement("DELETE FROM Cruza c  WHERE ((c.nc_rep = :nc_rep) AND (c.status = :status))"),
              QStringLiteral("DELETE FROM Cruza AS c  WHERE ((c.nc_rep = :nc_rep) AND (c.status = :status))"));
    const QString plain = "DELETE FROM Cruza WHERE (nc_rep = :nc_rep)    AND (seq = :seq)";
    EXPECT_EQ(RewriteStatement(plain), plain);
    const QString withAs = "DELETE FROM Cruza AS c WHERE c.seq = 1";
    EXPECT_EQ(RewriteStatement(withAs), withAs);
}

TEST(AdoDialect, ParameterNamesOnceEachIgnoringCaseAndLiterals)
{
    EXPECT_EQ(ParameterNames("SELECT * FROM t WHERE (a = :Id) OR (b = :id) OR (c = :other) AND d = '10:30'"),
              QStringList({"Id", "other"}));
    EXPECT_EQ(ParameterNames("INSERT INTO Cruza ( nc_rep, seq )  values  (:nc_rep,:seq ) "),
              QStringList({"nc_rep", "seq"}));
}
