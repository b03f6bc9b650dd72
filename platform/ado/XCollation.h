#pragma once

// Text orders of the program's own statements, beside SQLite's NOCASE (which
// folds ASCII letters only). They are registered on every connection and
// named only in statements, never in the file's schema: any SQLite tool still
// reads the file and its indexes.

#include <QString>

struct sqlite3;
class TParameters;

namespace XAdo {

// Names as a Portuguese reader orders them: accents and letter case ignored
// ("Álvaro" among the A's), equal spellings then in byte order, so that only
// equal texts are equal and the order is the same on every run.
inline constexpr char NameCollation[] = "NAME_PT";
// Typed codes: letter case ignored, accented capitals too ("ÇÃO-1" is
// "ção-1"); accents kept ("cao-1" is another code).
inline constexpr char CodeCollation[] = "CODE_NOCASE";

// Registers both collations on db; false when SQLite refuses.
bool RegisterCollations(sqlite3* db);

// Two codes are equal under CODE_NOCASE exactly when their keys are equal
// (a key is for comparing, not for showing).
QString CodeKey(const QString& Code);

// The condition of a look-up of a typed code in a text column: the column's
// own NOCASE index gives the candidates, those that start with the code's
// leading ASCII characters, and CODE_NOCASE decides among them. A code folds
// ASCII letters only to ASCII and other letters only to non-ASCII ones, so the
// candidates hold every match.
class TTypedCode
{
public:
    TTypedCode(const QString& Column, const QString& Code);
    // "(...)", with the parameters :code (and :code_from, :code_to).
    const QString& Condition() const { return m_condition; }
    // Once the statement's text is set.
    void Bind(TParameters& Params) const;

private:
    QString m_code, m_from, m_to;
    QString m_condition;
};

} // namespace XAdo
