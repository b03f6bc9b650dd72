#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

namespace XAdo {

// A SELECT read in the order of its ORDER BY can be taken up again after its
// read lock went, from the key (the ORDER BY terms' values) of the last row
// read, instead of from its first row: a rollback journal's reader lets the
// other computers write between two short reads.
class Keyset
{
public:
    // None for a statement that cannot be taken up so: no ORDER BY, a compound,
    // grouped, DISTINCT, TOP or LIMIT statement, or a term by position.
    static std::optional<Keyset> Of(const QString& jetSql);

    // The statement with the key terms as extra columns after its own.
    const QString& First() const { return m_first; }
    int Keys() const { return int(m_terms.size()); }
    // The rows at or after the key Last (in the statement's order), the key
    // terms and then a column that is 1 for the rows whose key equals Last.
    // A key value that is not Null is bound as the parameter KeyParam(term).
    QString After(const QVariantList& Last) const;
    static QString KeyParam(int Term);

private:
    struct Term
    {
        QString expr;
        bool desc = false;
    };
    QString key(int i) const;
    QString atOrAfter(int i, const QVariantList& Last) const;

    QList<Term> m_terms;
    QString m_first;
    QString m_head;      // SELECT and its columns, the keys added
    QString m_from;      // FROM up to the WHERE condition, or to ORDER BY without one
    QString m_where;     // the WHERE condition, or empty
    QString m_order;     // ORDER BY to the end
};

} // namespace XAdo
