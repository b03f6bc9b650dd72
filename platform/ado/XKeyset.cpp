#include "XKeyset.h"

#include "XJetSql.h"

#include <algorithm>
#include <iterator>

namespace XAdo {

namespace {

using JetSql::Token;
using JetSql::TokKind;

bool isPunct(const Token& t, QChar c)
{
    return t.kind == TokKind::Punct && t.text.size() == 1 && t.text[0] == c;
}

// The text of tokens [from, to), blanks and comments as one blank.
QString textOf(const QList<Token>& toks, int from, int to)
{
    QString out;
    for (int i = from; i < to; ++i)
        out += toks[i].kind == TokKind::Space ? QStringLiteral(" ") : toks[i].text;
    return out.trimmed();
}

int nextSignificant(const QList<Token>& toks, int i)
{
    for (++i; i < toks.size() && toks[i].kind == TokKind::Space; ++i) {
    }
    return i;
}

// The parts of [from, to) between top-level commas, as token ranges.
QList<std::pair<int, int>> splitAtCommas(const QList<Token>& toks, int from, int to)
{
    QList<std::pair<int, int>> parts;
    int depth = 0;
    int start = from;
    for (int i = from; i < to; ++i) {
        if (isPunct(toks[i], u'('))
            ++depth;
        else if (isPunct(toks[i], u')'))
            --depth;
        else if (depth == 0 && isPunct(toks[i], u',')) {
            parts.append({start, i});
            start = i + 1;
        }
    }
    parts.append({start, to});
    return parts;
}

bool notAlias(const Token& t)
{
    static const char* const words[] = {"LEFT", "RIGHT", "INNER", "OUTER", "FULL", "CROSS", "NATURAL", "JOIN", "ON",
                                        "USING", "WHERE", "ORDER", "GROUP", "HAVING", "INDEXED", "NOT", "UNION"};
    return std::any_of(std::begin(words), std::end(words), [&](const char* w) { return t.is(w); });
}

// The alias ([AS] name) of a table or subquery from j on, or -1.
int aliasAt(const QList<Token>& toks, int j, int end)
{
    if (j < end && toks[j].is("AS"))
        j = nextSignificant(toks, j);
    const bool alias = j < end && (toks[j].kind == TokKind::Ident || (toks[j].kind == TokKind::Word && !notAlias(toks[j])));
    return alias ? j : -1;
}

int closing(const QList<Token>& toks, int open, int end)
{
    int depth = 0;
    for (int i = open; i < end; ++i) {
        if (isPunct(toks[i], u'('))
            ++depth;
        else if (isPunct(toks[i], u')') && --depth == 0)
            return i;
    }
    return -1;
}

// The table a subquery [select, end) reads from, when it reads one table's rows
// each at most once (no join, grouping, DISTINCT or compound): the token of its
// name or alias, and where its FROM stands. None otherwise.
std::optional<std::pair<int, int>> plainSubquery(const QList<Token>& toks, int select, int end)
{
    int from = -1, depth = 0;
    const int first = nextSignificant(toks, select);
    if (first < end && (toks[first].is("DISTINCT") || toks[first].is("DISTINCTROW") || toks[first].is("TOP")))
        return std::nullopt;
    for (int i = first; i < end; i = nextSignificant(toks, i)) {
        const Token& t = toks[i];
        if (isPunct(t, u'('))
            ++depth;
        else if (isPunct(t, u')'))
            --depth;
        if (depth != 0)
            continue;
        if (t.is("GROUP") || t.is("HAVING") || t.is("UNION") || t.is("EXCEPT") || t.is("INTERSECT") || t.is("LIMIT")
            || t.is("JOIN") || t.is("SELECT") || (from >= 0 && isPunct(t, u',')))
            return std::nullopt;
        if (t.is("FROM") && from < 0)
            from = i;
    }
    if (from < 0)
        return std::nullopt;
    int name = nextSignificant(toks, from);
    if (name >= end || (toks[name].kind != TokKind::Word && toks[name].kind != TokKind::Ident))
        return std::nullopt;
    const int alias = aliasAt(toks, nextSignificant(toks, name), end);
    return std::make_pair(alias >= 0 ? alias : name, from);
}

// The rowid of each table FROM [a, b) names, the driving table first, qualified
// by its alias or its own name. A subquery of one table's rows gives its rowid as
// a column of its own, added where inserts say. None for any other subquery.
struct Tables
{
    QStringList rowids;
    QList<std::pair<int, QString>> inserts;   // text to put before the token at
};

std::optional<Tables> tablesOf(const QList<Token>& toks, int a, int b)
{
    Tables out;
    bool expect = true;   // after FROM, JOIN or a separating comma a table comes
    int depth = 0;
    int tableDepth = 0;   // deeper commas are an expression's (ON IIF(a, b, c))
    for (int i = nextSignificant(toks, a); i < b; i = nextSignificant(toks, i)) {
        const Token& t = toks[i];
        if (expect && isPunct(t, u'(') && nextSignificant(toks, i) < b && toks[nextSignificant(toks, i)].is("SELECT")) {
            const int close = closing(toks, i, b);
            const auto inner = close < 0 ? std::nullopt : plainSubquery(toks, nextSignificant(toks, i), close);
            if (!inner)
                return std::nullopt;
            const int alias = aliasAt(toks, nextSignificant(toks, close), b);
            if (alias < 0)
                return std::nullopt;
            out.inserts.append({inner->second, QStringLiteral(", %1.rowid AS xado_rowid ").arg(toks[inner->first].text)});
            out.rowids.append(toks[alias].text + QStringLiteral(".xado_rowid"));
            i = alias;
            tableDepth = depth;
            expect = false;
            continue;
        }
        if (isPunct(t, u'(')) {
            ++depth;
            continue;
        }
        if (isPunct(t, u')')) {
            --depth;
            continue;
        }
        if (!expect) {
            expect = t.is("JOIN") || (isPunct(t, u',') && depth <= tableDepth);
            continue;
        }
        if ((t.kind != TokKind::Word && t.kind != TokKind::Ident) || t.is("SELECT"))
            return std::nullopt;   // what this reading does not know
        QString name = t.text;
        int j = nextSignificant(toks, i);
        if (j + 1 < b && isPunct(toks[j], u'.')) {   // a schema's table
            i = nextSignificant(toks, j);
            name = toks[i].text;
            j = nextSignificant(toks, i);
        }
        if (const int alias = aliasAt(toks, j, b); alias >= 0) {
            name = toks[alias].text;
            i = alias;
        }
        out.rowids.append(name + QStringLiteral(".rowid"));
        tableDepth = depth;
        expect = false;
    }
    if (out.rowids.isEmpty() || expect)
        return std::nullopt;
    return out;
}

} // namespace

std::optional<Keyset> Keyset::Of(const QString& jetSql)
{
    // A grid opens the same few statements again and again: read each once.
    thread_local QHash<QString, std::optional<Keyset>> known;
    if (const auto it = known.constFind(jetSql); it != known.cend())
        return *it;
    if (known.size() >= 256)
        known.clear();
    std::optional<Keyset> k = read(jetSql);
    known.insert(jetSql, k);
    return k;
}

std::optional<Keyset> Keyset::read(const QString& jetSql)
{
    QList<Token> toks = JetSql::Tokenize(jetSql, true);
    while (!toks.isEmpty() && (toks.back().kind == TokKind::Space || isPunct(toks.back(), u';')))
        toks.removeLast();
    const int select = nextSignificant(toks, -1);
    if (select >= toks.size() || !toks[select].is("SELECT"))
        return std::nullopt;
    int listFrom = nextSignificant(toks, select);
    if (listFrom < toks.size() && (toks[listFrom].is("DISTINCT") || toks[listFrom].is("DISTINCTROW") || toks[listFrom].is("TOP")))
        return std::nullopt;
    if (listFrom < toks.size() && toks[listFrom].is("ALL"))
        ++listFrom;

    int from = -1, where = -1, order = -1, depth = 0;
    for (int i = listFrom; i < toks.size(); ++i) {
        const Token& t = toks[i];
        if (isPunct(t, u'('))
            ++depth;
        else if (isPunct(t, u')'))
            --depth;
        if (depth != 0 || t.kind != TokKind::Word)
            continue;
        if (t.is("GROUP") || t.is("HAVING") || t.is("UNION") || t.is("EXCEPT") || t.is("INTERSECT") || t.is("LIMIT")
            || t.is("OFFSET") || t.is("WINDOW") || t.is("NULLS") || t.is("SELECT"))
            return std::nullopt;
        if (t.is("FROM") && from < 0)
            from = i;
        else if (t.is("WHERE") && from >= 0 && where < 0 && order < 0)
            where = i;
        else if (t.is("ORDER") && order < 0) {
            const int by = nextSignificant(toks, i);
            if (by < toks.size() && toks[by].is("BY"))
                order = i;
        }
    }
    if (depth != 0 || from < 0 || order < from)
        return std::nullopt;

    // A bare name in ORDER BY names a result column's alias before any table's column.
    QHash<QString, QString> aliases;
    for (const auto& [a, b] : splitAtCommas(toks, listFrom, from)) {
        QList<int> sig;
        for (int i = a; i < b; ++i)
            if (toks[i].kind != TokKind::Space)
                sig.append(i);
        if (sig.size() >= 3 && toks[sig[sig.size() - 2]].is("AS"))
            aliases.insert(JetSql::Unquote(toks[sig.back()]).toLower(), textOf(toks, a, sig[sig.size() - 2]));
    }

    const std::optional<Tables> tables = tablesOf(toks, from, where >= 0 ? where : order);
    if (!tables)
        return std::nullopt;
    if (!tables->inserts.isEmpty()) {
        // A "*" of the statement would show the subquery's added column.
        for (int i = listFrom, d = 0; i < from; ++i) {
            d += isPunct(toks[i], u'(') ? 1 : isPunct(toks[i], u')') ? -1 : 0;
            if (d == 0 && isPunct(toks[i], u'*'))
                return std::nullopt;
        }
        for (auto it = tables->inserts.crbegin(); it != tables->inserts.crend(); ++it) {
            toks.insert(it->first, Token{TokKind::Word, it->second});
            where += where > it->first ? 1 : 0;
            order += 1;
        }
    }

    Keyset k;
    const int by = nextSignificant(toks, order);
    for (const auto& [a, b] : splitAtCommas(toks, by + 1, int(toks.size()))) {
        QList<int> sig;
        for (int i = a; i < b; ++i)
            if (toks[i].kind != TokKind::Space)
                sig.append(i);
        Term term;
        if (!sig.isEmpty() && (toks[sig.back()].is("ASC") || toks[sig.back()].is("DESC"))) {
            term.desc = toks[sig.back()].is("DESC");
            sig.removeLast();
        }
        if (sig.isEmpty() || (sig.size() == 1 && toks[sig[0]].kind == TokKind::Number))
            return std::nullopt;
        term.expr = textOf(toks, sig.first(), sig.back() + 1);
        if (sig.size() == 1 && (toks[sig[0]].kind == TokKind::Word || toks[sig[0]].kind == TokKind::Ident))
            term.expr = aliases.value(JetSql::Unquote(toks[sig[0]]).toLower(), term.expr);
        k.m_terms.append(term);
    }
    // Ties follow the first term's direction: newest first under a descending date.
    const bool desc = k.m_terms[0].desc;
    QString ties;
    for (const QString& rowid : tables->rowids) {
        k.m_terms.append({rowid, desc});
        ties += QStringLiteral(", %1%2").arg(rowid, desc ? QStringLiteral(" DESC") : QString());
    }
    k.m_rowids = int(tables->rowids.size());

    k.m_head = textOf(toks, 0, from);
    for (int i = 0; i < k.Keys(); ++i)
        k.m_head += QStringLiteral(", (%1) AS xado_k%2").arg(k.m_terms[i].expr).arg(i);
    k.m_from = textOf(toks, from, where >= 0 ? where : order);
    if (where >= 0)
        k.m_where = textOf(toks, where + 1, order);
    k.m_order = textOf(toks, order, int(toks.size())) + ties;
    k.m_first = k.m_head + u' ' + textOf(toks, from, order) + u' ' + k.m_order;
    return k;
}

QString Keyset::KeyParam(int Term)
{
    return QStringLiteral("xado_k%1").arg(Term);
}

QString Keyset::key(int i) const
{
    return u'(' + m_terms[i].expr + u')';
}

// Rows whose terms from i on come strictly after Last's, given equal terms before i.
// Null is the lowest value: first in ascending order, last in descending.
QString Keyset::after(int i, const QVariantList& Last) const
{
    const QString e = key(i);
    const bool null = Last.value(i).isNull();
    const QString v = u':' + KeyParam(i);
    QString after;
    if (m_terms[i].desc)
        after = null ? QStringLiteral("0") : QStringLiteral("coalesce(%1 < %2, 1)").arg(e, v);
    else
        after = null ? e + QStringLiteral(" IS NOT NULL") : e + QStringLiteral(" > ") + v;
    if (i + 1 == Keys())
        return after;
    const QString equal = null ? e + QStringLiteral(" IS NULL") : e + QStringLiteral(" = ") + v;
    return QStringLiteral("(%1 OR (%2 AND %3))").arg(after, equal, this->after(i + 1, Last));
}

QString Keyset::After(const QVariantList& Last) const
{
    QString cond = after(0, Last);
    // The first term alone gives the reader a place to start from, tested before any join,
    // where the whole key (the joined tables' rowids too) can be tested only after them.
    if (!Last.value(0).isNull())
        cond = (m_terms[0].desc ? QStringLiteral("(%1 <= :%2 OR %1 IS NULL)") : QStringLiteral("%1 >= :%2"))
                   .arg(key(0), KeyParam(0))
               + QStringLiteral(" AND ") + cond;
    const QString where = m_where.isEmpty() ? QStringLiteral(" WHERE ") + cond
                                            : QStringLiteral(" WHERE (%1) AND %2").arg(m_where, cond);
    return m_head + u' ' + m_from + where + u' ' + m_order;
}

} // namespace XAdo
