#include "XJetSql.h"

#include <gtest/gtest.h>

using namespace JetSql;

// The Jet forms become SQLite's; joins, literals and plain deletes stay as written (no rewrite given).
TEST(AdoDialect, JetFormsBecomeSqliteOnesAndTheRestStaysAsWritten)
{
    const std::pair<const char*, const char*> cases[] = {
        {"SELECT SUM(IIF(ISNULL(c.status), 0, 1)) FROM Cruza c", "SELECT SUM(IIF(((c.status) IS NULL), 0, 1)) FROM Cruza c"},
        {"SELECT LEFT(c.dupd, 7) as ano_mes FROM Cruza c", "SELECT substr(c.dupd, 1,  7) as ano_mes FROM Cruza c"},
        {"SELECT isnull( Left( a, 2 ) ) FROM t", "SELECT (( substr( a, 1,  2 ) ) IS NULL) FROM t"},
        {"SELECT * FROM t WHERE a = \"it's\"", "SELECT * FROM t WHERE a = 'it''s'"},   // Jet's double-quoted literal
        {"DELETE FROM Cruza c  WHERE ((c.nc_rep = :nc_rep) AND (c.status = :status))",
         "DELETE FROM Cruza AS c  WHERE ((c.nc_rep = :nc_rep) AND (c.status = :status))"},
        {"SELECT * FROM (a LEFT OUTER JOIN b ON (a.x = b.x)) LEFT JOIN c ON (b.y = c.y)", nullptr},
        {"SELECT 'isnull(x) and LEFT(y, 2)' AS t FROM a WHERE b = 'DELETE FROM t c'", nullptr},
        {"DELETE FROM Cruza WHERE (nc_rep = :nc_rep)    AND (seq = :seq)", nullptr},
        {"DELETE FROM Cruza AS c WHERE c.seq = 1", nullptr},
    };
    for (const auto& [jet, sqlite] : cases)
        EXPECT_EQ(RewriteStatement(jet), QString::fromUtf8(sqlite ? sqlite : jet)) << jet;
}

TEST(AdoDialect, ParameterNamesOnceEachIgnoringCaseAndLiterals)
{
    EXPECT_EQ(ParameterNames("SELECT * FROM t WHERE (a = :Id) OR (b = :id) OR (c = :other) AND d = '10:30'"),
              QStringList({"Id", "other"}));
    EXPECT_EQ(ParameterNames("INSERT INTO Cruza ( nc_rep, seq )  values  (:nc_rep,:seq ) "), QStringList({"nc_rep", "seq"}));
}
