#pragma once

#include "XAdoTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

// The Jet dialect as the layer reads it: a tokenizer, the rewrite of the
// few Jet forms that SQLite's parser refuses, the scan of ":name"
// parameters and the mapping of Jet column types.
namespace JetSql {

enum class TokKind {
    Space,      // blanks, line ends and comments
    Word,       // keyword or plain identifier
    Ident,      // [bracketed], `back-quoted` or, in SQLite text, "double-quoted" identifier
    String,     // 'text' (and "text" in Jet text, where double quotes delimit strings)
    Number,
    Param,      // :name
    Punct       // everything else, one character (two for <>, <=, >=, ||, !=, ==)
};

struct Token
{
    TokKind kind;
    QString text;
    bool is(const char* word) const;   // a Word equal to word, letter case ignored
};

// JetText: double quotes delimit strings (Jet); otherwise identifiers (SQLite).
QList<Token> Tokenize(const QString& sql, bool jetText = true);
QList<Token> Significant(const QList<Token>& tokens);   // without Space tokens

// The name of an identifier token without its quotes.
QString Unquote(const Token& tok);
// An identifier quoted for SQLite.
QString Quote(const QString& name);
// An identifier quoted for Jet text ([name]).
QString QuoteJet(const QString& name);
// A text as an SQL string literal.
QString QuoteString(const QString& text);

// Rewrites one Jet DML statement into text SQLite prepares: isnull(x) and
// LEFT(s, n) as functions, "DELETE FROM t alias", double-quoted strings.
// Nothing inside string literals changes.
QString RewriteStatement(const QString& jetSql);

// Parameter names in order of first use, each once (letter case ignored).
QStringList ParameterNames(const QString& sql);

// What the layer does with a statement.
enum class StatementKind { Dml, CreateTable, CreateIndex, AlterTable };
StatementKind Classify(const QList<Token>& significant);

// A Jet column type: its kind and declared size.
enum class JetType {
    Unknown, Text, Memo, Long, Short, Byte, Float, Single, Currency, DateTime, Bit, Counter,
    Binary, VarBinary, LongBinary, BigInt
};

struct ColumnType
{
    JetType type = JetType::Unknown;
    int size = 0;
};

// Parses a Jet type name with its optional size ("TEXT(30)", "LONG", "MEMO", "AutoInc"),
// as written in Jet DDL or as stored in the file.
ColumnType ParseType(const QString& typeName, int size = -1);
// The type text the layer stores in the file ("TEXT(30)", "LONG", "LONGTEXT", ...).
QString StoredTypeText(const ColumnType& t);
// The dataset field type of a column type.
TFieldType FieldTypeOf(const ColumnType& t);
// The CHECK expression that makes a column refuse what Jet refuses (empty: none).
QString CheckExpression(const ColumnType& t, const QString& quotedColumn);
// Text kinds compare without regard to letter case.
bool IsTextType(JetType t);

} // namespace JetSql
