#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

namespace XAdo {

// A SELECT read in the order of its ORDER BY can be taken up again after its
// read lock went, strictly after the key of the last row read, instead of from
// its first row: other stations write between two reads. The key is the ORDER
// BY terms' values followed by the rowid of every table in FROM, which makes
// the order total and tells each row by what never changes while it is read.
class Keyset
{
public:
    // None for a statement that cannot be taken up so: no ORDER BY, a compound,
    // grouped, DISTINCT, TOP or LIMIT statement, a term by position, or a
    // subquery in FROM other than a plain read of one table (no rowid for its rows).
    static std::optional<Keyset> Of(const QString& jetSql);

    // The statement in its total order, with the key terms as extra columns after its own.
    const QString& First() const { return m_first; }
    int Keys() const { return int(m_terms.size()); }
    // The last Rowids() keys: the row's identity.
    int Rowids() const { return m_rowids; }
    // The rows strictly after the key Last, in the same order and with the same columns.
    // A key value that is not Null is bound as the parameter KeyParam(term).
    QString After(const QVariantList& Last) const;
    static QString KeyParam(int Term);

private:
    static std::optional<Keyset> read(const QString& jetSql);
    struct Term
    {
        QString expr;
        bool desc = false;
    };
    QString key(int i) const;
    QString after(int i, const QVariantList& Last) const;

    QList<Term> m_terms;
    int m_rowids = 0;
    QString m_first;
    QString m_head;      // SELECT and its columns, the keys added
    QString m_from;      // FROM up to the WHERE condition, or to ORDER BY without one
    QString m_where;     // the WHERE condition, or empty
    QString m_order;     // ORDER BY and its terms, the rowids added
};

} // namespace XAdo
