#include "AdoTestDb.h"

#include "XCollation.h"
#include "XJetSql.h"

namespace {

using XAdo::TTypedCode;

struct CollationDb : AdoTestDb
{
    CollationDb()
    {
        exec("CREATE TABLE Pessoa (ID LONG NOT NULL, NOME TEXT(60) NOT NULL, CONSTRAINT PK_Pessoa PRIMARY KEY (ID))");
        exec("CREATE TABLE Vaso (ID LONG NOT NULL, CODIGO TEXT(30) NOT NULL, CONSTRAINT PK_Vaso PRIMARY KEY (ID), "
             "CONSTRAINT AK1_Vaso UNIQUE (CODIGO))");
    }
    QString rows(const QString& sql, const TTypedCode* code = nullptr)
    {
        TADOQuery q;
        prepare(q, sql);
        if (code)
            code->Bind(q.Parameters);
        q.Open();
        return DataSetRows(q);
    }
};

} // namespace

TEST(AdoCollation, NamesInTheOrderOfAPortugueseReaderOnEveryConnection)
{
    CollationDb db;
    const QStringList names{"O'Brien", "álvaro b", "Zé", "Érica", "Eduardo", "Ana", "Zeca", "zé", "Çarlos", "ana", "Ênio", "Álvaro Dias"};
    for (int i = 0; i < names.size(); ++i)
        db.exec(QStringLiteral("INSERT INTO Pessoa VALUES (%1, %2)").arg(i).arg(JetSql::QuoteString(names[i])));
    // Enough rows after them that a reader connection of its own reads the rest.
    db.exec("WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < 199) "
            "INSERT INTO Pessoa SELECT i, 'zz ' || i FROM n");
    const QString order = QStringLiteral("álvaro b;Álvaro Dias;Ana;ana;Çarlos;Eduardo;Ênio;Érica;O'Brien;Zé;zé;Zeca");
    const QString sql = QStringLiteral("SELECT NOME FROM Pessoa ORDER BY NOME COLLATE NAME_PT");
    EXPECT_EQ(db.rows(sql).section(u';', 0, 11).toStdString(), order.toStdString());
    // The column's own comparison is the file's: SQLite's NOCASE, ASCII letters only.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT NOME FROM Pessoa WHERE NOME = 'ZÉ'")), QString());
}

TEST(AdoCollation, TypedCodesIgnoreCaseAndKeepAccents)
{
    CollationDb db;
    const QStringList stored{"ção-1", "cao-1", "PAR_1", "PARX1", "época", "X@É", "AZÇ", "K-\u212A"};
    for (int i = 0; i < stored.size(); ++i)
        db.exec(QStringLiteral("INSERT INTO Vaso VALUES (%1, %2)").arg(i).arg(JetSql::QuoteString(stored[i])));
    const struct
    {
        const char* Typed;
        const char* Found;
    } cases[] = {
        {"ÇÃO-1", "ção-1"}, {"Ção-1", "ção-1"}, {"ção-1", "ção-1"}, {"cao-1", "cao-1"}, {"CAO-1", "cao-1"}, {"cão-1", ""},
        {"par_1", "PAR_1"}, {"PAR", ""},        {"ÉPOCA", "época"}, {"Época", "época"}, {"epoca", ""},
        {"x@é", "X@É"},     {"aZç", "AZÇ"},     {"k-k", ""},        {"K-\u212A", "K-\u212A"},
    };
    for (const auto& c : cases) {
        const QString typed = QString::fromUtf8(c.Typed);
        SCOPED_TRACE(c.Typed);
        const TTypedCode code(QStringLiteral("CODIGO"), typed);
        EXPECT_EQ(db.rows(QStringLiteral("SELECT CODIGO FROM Vaso WHERE ") + code.Condition(), &code), QString::fromUtf8(c.Found));
        // The import's checks in memory agree with the look-up.
        for (const QString& s : stored)
            EXPECT_EQ(XAdo::CodeKey(typed) == XAdo::CodeKey(s), s == QString::fromUtf8(c.Found)) << s.toStdString();
    }
}

TEST(AdoCollation, TheFileNamesNoneOfThemAndStaysReadableBySQLite)
{
    CollationDb db;
    db.exec("INSERT INTO Vaso VALUES (1, 'ção-1')");
    db.exec("CREATE INDEX IX_Pessoa_NOME ON Pessoa (NOME)");
    const TTypedCode code(QStringLiteral("CODIGO"), QStringLiteral("ÇÃO-1"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT ID FROM Vaso WHERE ") + code.Condition(), &code), QStringLiteral("1"));
    db.conn.Close();

    RawConnection raw(db.path);
    EXPECT_EQ(raw.rows("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%NAME_PT%' OR sql LIKE '%CODE_NOCASE%'"), QStringLiteral("0"));
    EXPECT_EQ(raw.rows("PRAGMA integrity_check"), QStringLiteral("ok"));
    EXPECT_EQ(raw.rows("SELECT ID FROM Vaso WHERE CODIGO = 'ÇÃO-1'"), QString());
    EXPECT_EQ(raw.rows("SELECT ID FROM Vaso WHERE CODIGO = 'çãO-1'"), QStringLiteral("1"));
}
