#include "XJetDdl.h"

#include "XAdoEngine.h"
#include "XExceptions.h"

#include <sqlite3.h>

using JetSql::JetType;
using JetSql::TokKind;
using JetSql::Token;

namespace XAdo {

namespace {

// Rows of a catalogue statement with text arguments.
class Rows
{
public:
    Rows(Engine& e, const QString& sql, const QStringList& args = {}) : m_engine(e)
    {
        const QByteArray u = sql.toUtf8();
        const int rc = sqlite3_prepare_v2(e.Db(), u.constData(), int(u.size()), &m_stmt, nullptr);
        if (rc != SQLITE_OK)
            e.Raise(rc);
        for (int i = 0; i < args.size(); ++i) {
            const QByteArray a = args[i].toUtf8();
            sqlite3_bind_text(m_stmt, i + 1, a.constData(), int(a.size()), SQLITE_TRANSIENT);
        }
    }
    ~Rows() { sqlite3_finalize(m_stmt); }
    Rows(const Rows&) = delete;
    Rows& operator=(const Rows&) = delete;

    bool next()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            m_engine.Raise(rc);
        return false;
    }
    QString text(int c) const { return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, c))); }
    int integer(int c) const { return sqlite3_column_int(m_stmt, c); }
    bool isNull(int c) const { return sqlite3_column_type(m_stmt, c) == SQLITE_NULL; }

private:
    Engine& m_engine;
    sqlite3_stmt* m_stmt = nullptr;
};

[[noreturn]] void syntaxError(const char* where)
{
    throw EOleException(QStringLiteral("Syntax error in %1.").arg(QLatin1String(where)));
}

QString tokenSql(const Token& t)
{
    if (t.kind == TokKind::String)
        return JetSql::QuoteString(JetSql::Unquote(t));
    return t.text;
}

// A reading position over significant tokens.
class Cursor
{
public:
    Cursor(const QList<Token>& toks, int from, int to, const char* what) : m_toks(toks), m_pos(from), m_end(to), m_what(what) {}

    bool atEnd() const { return m_pos >= m_end; }
    int pos() const { return m_pos; }
    const Token& peek(int k = 0) const
    {
        static const Token none{TokKind::Space, QString()};
        return m_pos + k < m_end ? m_toks[m_pos + k] : none;
    }
    bool peekPunct(QChar c, int k = 0) const { return peek(k).kind == TokKind::Punct && peek(k).text == c; }
    const Token& take()
    {
        if (atEnd())
            fail();
        return m_toks[m_pos++];
    }
    bool accept(const char* word)
    {
        if (peek().is(word)) {
            ++m_pos;
            return true;
        }
        return false;
    }
    void expect(const char* word)
    {
        if (!accept(word))
            fail();
    }
    bool acceptPunct(QChar c)
    {
        if (peekPunct(c)) {
            ++m_pos;
            return true;
        }
        return false;
    }
    void expectPunct(QChar c)
    {
        if (!acceptPunct(c))
            fail();
    }
    QString name()
    {
        const Token& t = take();
        if (t.kind != TokKind::Word && t.kind != TokKind::Ident)
            fail();
        return JetSql::Unquote(t);
    }
    // The index after the ")" matching the "(" here.
    int skipParens()
    {
        int depth = 0;
        do {
            const Token& t = take();
            if (t.kind == TokKind::Punct && t.text == u'(')
                ++depth;
            else if (t.kind == TokKind::Punct && t.text == u')')
                --depth;
        } while (depth > 0);
        return m_pos;
    }
    [[noreturn]] void fail() const { syntaxError(m_what); }
    // The SQL of the tokens read since from.
    QString textSince(int from) const
    {
        QStringList parts;
        for (int i = from; i < m_pos; ++i)
            parts.append(tokenSql(m_toks[i]));
        return parts.join(u' ');
    }

private:
    const QList<Token>& m_toks;
    int m_pos;
    int m_end;
    const char* m_what;
};

// Token ranges of the top-level comma-separated items between from and to.
QList<QPair<int, int>> items(const QList<Token>& toks, int from, int to)
{
    QList<QPair<int, int>> out;
    int depth = 0;
    int start = from;
    for (int i = from; i < to; ++i) {
        const Token& t = toks[i];
        if (t.kind != TokKind::Punct)
            continue;
        if (t.text == u'(')
            ++depth;
        else if (t.text == u')')
            --depth;
        else if (t.text == u',' && depth == 0) {
            out.append({start, i});
            start = i + 1;
        }
    }
    if (start < to)
        out.append({start, to});
    return out;
}

QStringList columnList(Cursor& c)
{
    QStringList cols;
    c.expectPunct(u'(');
    do {
        cols.append(c.name());
        while (!c.atEnd() && !c.peekPunct(u',') && !c.peekPunct(u')'))
            c.take();   // ASC, DESC
    } while (c.acceptPunct(u','));
    c.expectPunct(u')');
    return cols;
}

QString defaultExpression(Cursor& c)
{
    const int from = c.pos();
    if (c.peekPunct(u'(')) {
        c.skipParens();
        return c.textSince(from);
    }
    QString sql;
    if (c.peekPunct(u'-') || c.peekPunct(u'+'))
        sql += c.take().text;
    const Token& t = c.take();
    if (t.is("TRUE"))
        return QStringLiteral("-1");
    if (t.is("FALSE"))
        return QStringLiteral("0");
    if (t.kind == TokKind::Word && c.peekPunct(u'(')) {
        c.skipParens();
        return u'(' + c.textSince(from) + u')';
    }
    return sql + tokenSql(t);
}

struct ColumnDef
{
    DdlColumn column;
    QList<DdlKey> keys;
};

ColumnDef parseColumn(Cursor& c)
{
    ColumnDef def;
    DdlColumn& col = def.column;
    col.name = c.name();
    const Token& typeTok = c.take();
    if (typeTok.kind != TokKind::Word)
        syntaxError("field definition");
    int size = -1;
    if (c.acceptPunct(u'(')) {
        const Token& n = c.take();
        bool ok = false;
        size = n.text.toInt(&ok);
        if (n.kind != TokKind::Number || !ok || size <= 0)
            syntaxError("field definition");
        if (c.acceptPunct(u','))
            c.take();
        c.expectPunct(u')');
    }
    col.type = JetSql::ParseType(typeTok.text, size);
    if (col.type.type == JetType::Unknown)
        syntaxError("field definition");
    while (!c.atEnd()) {
        QString keyName;
        if (c.accept("NOT")) {
            c.expect("NULL");
            col.notNull = true;
        } else if (c.accept("NULL")) {
            col.notNull = false;
        } else if (c.accept("DEFAULT")) {
            col.defaultSql = defaultExpression(c);
        } else if (c.accept("WITH")) {
            if (!c.accept("COMPRESSION") && !c.accept("COMP"))
                syntaxError("field definition");
        } else {
            if (c.accept("CONSTRAINT"))
                keyName = c.name();
            if (c.accept("PRIMARY")) {
                c.expect("KEY");
                def.keys.append({keyName, true, {col.name}});
            } else if (c.accept("UNIQUE")) {
                def.keys.append({keyName, false, {col.name}});
            } else if (!keyName.isEmpty() && c.accept("NOT")) {
                c.expect("NULL");
                col.notNull = true;
            } else {
                syntaxError("field definition");
            }
        }
    }
    return def;
}

DdlKey parseTableKey(Cursor& c)
{
    DdlKey key;
    if (c.accept("CONSTRAINT"))
        key.name = c.name();
    if (c.accept("PRIMARY")) {
        c.expect("KEY");
        key.primary = true;
    } else if (!c.accept("UNIQUE")) {
        syntaxError("CONSTRAINT clause");
    }
    key.columns = columnList(c);
    if (!c.atEnd())
        syntaxError("CONSTRAINT clause");
    return key;
}

bool startsKey(const Cursor& c)
{
    return c.peek().is("CONSTRAINT") || c.peek().is("PRIMARY") || c.peek().is("UNIQUE");
}

// Key columns spelled as the table declares them.
void canonicalKeys(DdlTable& t)
{
    bool primary = false;
    for (DdlKey& k : t.keys) {
        if (k.primary) {
            if (primary)
                throw EOleException(QStringLiteral("Primary key already exists."));
            primary = true;
        }
        for (QString& col : k.columns) {
            const int i = t.columnIndex(col);
            if (i < 0)
                throw EOleException(QStringLiteral("The field '%1' of the key '%2' is not a field of the table '%3'.")
                                        .arg(col, k.name, t.name));
            col = t.columns[i].name;
        }
    }
}

QString counterTriggerName(const QString& table, const QString& column)
{
    return table + u'.' + column + QLatin1String(" counter");
}

QString counterTriggerSql(const QString& table, const QString& column)
{
    const QString t = JetSql::Quote(table);
    const QString c = JetSql::Quote(column);
    return QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 FOR EACH ROW WHEN NEW.%3 IS NULL BEGIN "
                          "UPDATE %2 SET %3 = (SELECT IFNULL(MAX(%3), 0) + 1 FROM %2) WHERE rowid = NEW.rowid; END")
        .arg(JetSql::Quote(counterTriggerName(table, column)), t, c);
}

// Runs body inside a savepoint: all of it or nothing.
template <typename F>
void atomically(Engine& e, F body)
{
    e.Exec(QStringLiteral("SAVEPOINT jet_ddl"));
    try {
        body();
    } catch (...) {
        try {
            e.Exec(QStringLiteral("ROLLBACK TO jet_ddl"));
            e.Exec(QStringLiteral("RELEASE jet_ddl"));
        } catch (...) {
        }
        throw;
    }
    e.Exec(QStringLiteral("RELEASE jet_ddl"));
}

// Builds the table afresh as target, keeping its rows, indexes and triggers.
void rebuild(Engine& e, const DdlTable& old, DdlTable target)
{
    canonicalKeys(target);
    struct Saved { QString type, name, sql; };
    QList<Saved> saved;
    {
        Rows r(e, QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE tbl_name = ?1 COLLATE NOCASE "
                                 "AND type IN ('index', 'trigger') AND sql IS NOT NULL ORDER BY rowid"),
               {old.name});
        while (r.next())
            saved.append({r.text(0), r.text(1), r.text(2)});
    }
    QStringList copied;
    for (const DdlColumn& c : target.columns)
        if (old.columnIndex(c.name) >= 0)
            copied.append(JetSql::Quote(c.name));
    const QString tmp = JetSql::Quote(QLatin1String("jet_old_") + old.name);
    const QString name = JetSql::Quote(target.name);

    // Legacy renaming leaves other objects' text alone while the table is away.
    e.Exec(QStringLiteral("PRAGMA legacy_alter_table = ON"));
    try {
        atomically(e, [&] {
            e.Exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(JetSql::Quote(old.name), tmp));
            e.Exec(CreateTableSql(target));
            e.Exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(name, copied.join(QLatin1String(", ")), tmp));
            e.Exec(QStringLiteral("DROP TABLE %1").arg(tmp));
            for (const Saved& s : saved)
                if (!(s.type == QLatin1String("trigger") && s.name.endsWith(QLatin1String(" counter"))))
                    e.Exec(s.sql);
            for (const DdlColumn& c : target.columns)
                if (c.type.type == JetType::Counter)
                    e.Exec(counterTriggerSql(target.name, c.name));
        });
    } catch (...) {
        e.Exec(QStringLiteral("PRAGMA legacy_alter_table = OFF"));
        throw;
    }
    e.Exec(QStringLiteral("PRAGMA legacy_alter_table = OFF"));
}

void createTable(Engine& e, const QList<Token>& sig)
{
    Cursor c(sig, 2, sig.size(), "CREATE TABLE statement");
    DdlTable t;
    t.name = c.name();
    if (!c.peekPunct(u'('))
        c.fail();
    const int open = c.pos();
    const int close = c.skipParens() - 1;
    if (!c.atEnd() && !(c.peekPunct(u';') && c.pos() + 1 == sig.size()))
        c.fail();
    for (const auto& [from, to] : items(sig, open + 1, close)) {
        Cursor item(sig, from, to, "CREATE TABLE statement");
        if (startsKey(item)) {
            t.keys.append(parseTableKey(item));
        } else {
            ColumnDef def = parseColumn(item);
            if (t.columnIndex(def.column.name) >= 0)
                throw EOleException(QStringLiteral("Field '%1' already exists in table '%2'.").arg(def.column.name, t.name));
            t.columns.append(def.column);
            t.keys.append(def.keys);
        }
    }
    if (t.columns.isEmpty())
        c.fail();
    canonicalKeys(t);
    atomically(e, [&] {
        e.Exec(CreateTableSql(t));
        for (const DdlColumn& col : t.columns)
            if (col.type.type == JetType::Counter)
                e.Exec(counterTriggerSql(t.name, col.name));
    });
}

void createIndex(Engine& e, const QList<Token>& sig)
{
    Cursor c(sig, 1, sig.size(), "CREATE INDEX statement");
    const bool unique = c.accept("UNIQUE");
    c.expect("INDEX");
    const QString index = c.name();
    c.expect("ON");
    const QString table = c.name();
    // Keep ASC/DESC as written.
    QStringList cols;
    c.expectPunct(u'(');
    QStringList names;
    do {
        const QString col = c.name();
        names.append(col);
        QString item = JetSql::Quote(col);
        if (c.accept("ASC"))
            item += QLatin1String(" ASC");
        else if (c.accept("DESC"))
            item += QLatin1String(" DESC");
        cols.append(item);
    } while (c.acceptPunct(u','));
    c.expectPunct(u')');
    bool primary = false;
    if (c.accept("WITH")) {
        c.expect("PRIMARY");
        primary = true;
    }
    c.acceptPunct(u';');
    if (!c.atEnd())
        c.fail();
    if (primary) {
        const DdlTable old = ReadTable(e, table);
        DdlTable target = old;
        target.keys.append({index, true, names});
        rebuild(e, old, target);
        return;
    }
    e.Exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
               .arg(unique ? QStringLiteral("UNIQUE ") : QString(), JetSql::Quote(index), JetSql::Quote(table),
                    cols.join(QLatin1String(", "))));
}

void addColumn(Engine& e, const DdlTable& old, const ColumnDef& def)
{
    if (old.columnIndex(def.column.name) >= 0)
        throw EOleException(QStringLiteral("Field '%1' already exists in table '%2'.").arg(def.column.name, old.name));
    const DdlColumn& col = def.column;
    if (!def.keys.isEmpty() || (col.notNull && col.defaultSql.isEmpty() && col.type.type != JetType::Counter)) {
        DdlTable target = old;
        target.columns.append(col);
        target.keys.append(def.keys);
        rebuild(e, old, target);
        return;
    }
    atomically(e, [&] {
        e.Exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(JetSql::Quote(old.name), ColumnSql(old.name, col)));
        if (col.type.type == JetType::Counter) {
            e.Exec(QStringLiteral("UPDATE %1 SET %2 = rowid").arg(JetSql::Quote(old.name), JetSql::Quote(col.name)));
            e.Exec(counterTriggerSql(old.name, col.name));
        }
    });
}

void alterColumn(Engine& e, const DdlTable& old, const ColumnDef& def)
{
    const int i = old.columnIndex(def.column.name);
    if (i < 0)
        throw EOleException(QStringLiteral("Field '%1' does not exist in table '%2'.").arg(def.column.name, old.name));
    DdlTable target = old;
    DdlColumn& col = target.columns[i];
    col.type = def.column.type;
    col.notNull = def.column.notNull;
    if (!def.column.defaultSql.isEmpty())
        col.defaultSql = def.column.defaultSql;
    for (DdlKey k : def.keys) {
        k.columns = {col.name};
        target.keys.append(k);
    }
    rebuild(e, old, target);
}

void dropConstraint(Engine& e, const DdlTable& old, const QString& name)
{
    for (int k = 0; k < old.keys.size(); ++k) {
        const DdlKey& key = old.keys[k];
        const QString keyName = key.name.isEmpty() && key.primary ? QStringLiteral("PrimaryKey") : key.name;
        if (keyName.compare(name, Qt::CaseInsensitive) == 0) {
            DdlTable target = old;
            target.keys.removeAt(k);
            rebuild(e, old, target);
            return;
        }
    }
    QString index;
    {
        Rows r(e, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 COLLATE NOCASE "
                                 "AND name = ?2 COLLATE NOCASE AND sql IS NOT NULL"),
               {old.name, name});
        if (r.next())
            index = r.text(0);
    }
    if (!index.isEmpty()) {
        e.Exec(QStringLiteral("DROP INDEX %1").arg(JetSql::Quote(index)));
        return;
    }
    throw EOleException(QStringLiteral("The constraint '%1' does not exist in table '%2'.").arg(name, old.name));
}

void alterTable(Engine& e, const QList<Token>& sig)
{
    Cursor c(sig, 2, sig.size(), "ALTER TABLE statement");
    const QString table = c.name();
    int end = sig.size();
    if (end > 0 && sig[end - 1].kind == TokKind::Punct && sig[end - 1].text == u';')
        --end;
    if (c.accept("ADD")) {
        if (!c.peek().is("CONSTRAINT")) {
            c.accept("COLUMN");
            Cursor col(sig, c.pos(), end, "field definition");
            const ColumnDef def = parseColumn(col);
            addColumn(e, ReadTable(e, table), def);
            return;
        }
    } else if (c.accept("ALTER")) {
        c.accept("COLUMN");
        Cursor col(sig, c.pos(), end, "field definition");
        const ColumnDef def = parseColumn(col);
        alterColumn(e, ReadTable(e, table), def);
        return;
    } else if (c.accept("DROP") && c.accept("CONSTRAINT")) {
        const QString name = c.name();
        if (c.pos() != end)
            c.fail();
        dropConstraint(e, ReadTable(e, table), name);
        return;
    }
    // Other forms (DROP COLUMN, RENAME) as SQLite knows them.
    QStringList words;
    for (const Token& t : sig)
        words.append(tokenSql(t));
    e.Exec(words.join(u' '));
}

// Keys of a table from the CREATE TABLE text kept in the file.
QList<DdlKey> storedKeys(const QString& createSql)
{
    const QList<Token> sig = JetSql::Significant(JetSql::Tokenize(createSql, false));
    QList<DdlKey> keys;
    int open = -1;
    for (int i = 0; i < sig.size(); ++i)
        if (sig[i].kind == TokKind::Punct && sig[i].text == u'(') {
            open = i;
            break;
        }
    if (open < 0)
        return keys;
    int depth = 0;
    int close = sig.size();
    for (int i = open; i < sig.size(); ++i) {
        if (sig[i].kind != TokKind::Punct)
            continue;
        if (sig[i].text == u'(')
            ++depth;
        else if (sig[i].text == u')' && --depth == 0) {
            close = i;
            break;
        }
    }
    for (const auto& [from, to] : items(sig, open + 1, close)) {
        Cursor c(sig, from, to, "table definition");
        try {
            if (c.peek().is("CONSTRAINT") || c.peek().is("PRIMARY") || c.peek().is("UNIQUE")) {
                QString name;
                if (c.accept("CONSTRAINT"))
                    name = c.name();
                if (c.accept("PRIMARY")) {
                    c.expect("KEY");
                    keys.append({name, true, columnList(c)});
                } else if (c.accept("UNIQUE")) {
                    keys.append({name, false, columnList(c)});
                }
                continue;
            }
            if (c.peek().is("CHECK") || c.peek().is("FOREIGN"))
                continue;
            const QString column = c.name();
            QString name;
            while (!c.atEnd()) {
                if (c.accept("CONSTRAINT")) {
                    name = c.name();
                    continue;
                }
                if (c.accept("PRIMARY")) {
                    keys.append({name, true, {column}});
                } else if (c.accept("UNIQUE")) {
                    keys.append({name, false, {column}});
                } else if (c.accept("CHECK") || c.accept("DEFAULT") || c.accept("COLLATE") || c.accept("REFERENCES")) {
                    // their argument follows; the name, if any, was theirs
                } else if (c.peekPunct(u'(')) {
                    c.skipParens();
                    continue;
                } else {
                    c.take();
                    continue;
                }
                name.clear();
            }
        } catch (const EOleException&) {
            // A clause the layer does not write; the keys read so far stand.
        }
    }
    return keys;
}

} // namespace

int DdlTable::columnIndex(const QString& n) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(n, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString ColumnSql(const QString& table, const DdlColumn& col)
{
    const QString stored = JetSql::StoredTypeText(col.type);
    QString sql = JetSql::Quote(col.name) + u' ' + stored;
    if (col.notNull && col.type.type != JetType::Counter)
        sql += QLatin1String(" NOT NULL");
    if (!col.defaultSql.isEmpty())
        sql += QLatin1String(" DEFAULT ") + col.defaultSql;
    if (JetSql::IsTextType(col.type.type))
        sql += QLatin1String(" COLLATE NOCASE");
    const QString check = JetSql::CheckExpression(col.type, JetSql::Quote(col.name));
    if (!check.isEmpty())
        sql += QStringLiteral(" CONSTRAINT %1 CHECK (%2)").arg(JetSql::Quote(table + u'.' + col.name + u' ' + stored), check);
    return sql;
}

QString CreateTableSql(const DdlTable& t)
{
    QStringList parts;
    for (const DdlColumn& c : t.columns)
        parts.append(ColumnSql(t.name, c));
    for (const DdlKey& k : t.keys) {
        QStringList cols;
        for (const QString& c : k.columns)
            cols.append(JetSql::Quote(c));
        QString sql = k.name.isEmpty() ? QString() : QStringLiteral("CONSTRAINT %1 ").arg(JetSql::Quote(k.name));
        sql += (k.primary ? QLatin1String("PRIMARY KEY (") : QLatin1String("UNIQUE (")) + cols.join(QLatin1String(", ")) + u')';
        parts.append(sql);
        // SQLite lets a key that is not an integer hold Null; Jet does not. A
        // check rather than NOT NULL keeps the fields' own "required" as declared.
        if (k.primary) {
            QStringList held;
            for (const QString& c : cols)
                held.append(c + QLatin1String(" IS NOT NULL"));
            const QString name = (k.name.isEmpty() ? QStringLiteral("PrimaryKey") : k.name) + QLatin1String(" NOT NULL");
            parts.append(QStringLiteral("CONSTRAINT %1 CHECK (%2)").arg(JetSql::Quote(name), held.join(QLatin1String(" AND "))));
        }
    }
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(JetSql::Quote(t.name), parts.join(QLatin1String(", ")));
}

DdlTable ReadTable(Engine& e, const QString& name)
{
    DdlTable t;
    QString sql;
    {
        Rows r(e, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"), {name});
        if (!r.next())
            throw EOleException(QStringLiteral("no such table: %1").arg(name));
        t.name = r.text(0);
        sql = r.text(1);
    }
    Rows cols(e, QStringLiteral("PRAGMA table_info(%1)").arg(JetSql::Quote(t.name)));
    while (cols.next()) {
        DdlColumn c;
        c.name = cols.text(1);
        c.type = JetSql::ParseType(cols.text(2));
        c.notNull = cols.integer(3) != 0;
        if (!cols.isNull(4))
            c.defaultSql = cols.text(4);
        t.columns.append(c);
    }
    t.keys = storedKeys(sql);
    for (DdlKey& k : t.keys)
        for (QString& col : k.columns) {
            const int i = t.columnIndex(col);
            if (i >= 0)
                col = t.columns[i].name;
        }
    return t;
}

QList<TFieldDef> TableFieldDefs(Engine& e, const QString& table)
{
    const DdlTable t = ReadTable(e, table);
    QList<TFieldDef> defs;
    for (int i = 0; i < t.columns.size(); ++i) {
        const DdlColumn& c = t.columns[i];
        TFieldDef d;
        d.Name = c.name;
        d.DataType = JetSql::FieldTypeOf(c.type);
        const JetType k = c.type.type;
        d.Size = (k == JetType::Text || k == JetType::Binary || k == JetType::VarBinary) ? c.type.size : 0;
        d.Required = c.notNull && k != JetType::Counter;
        d.FieldNo = i + 1;
        defs.append(d);
    }
    return defs;
}

QList<TIndexDef> TableIndexDefs(Engine& e, const QString& table)
{
    const DdlTable t = ReadTable(e, table);
    struct Index { QString name; QString origin; bool unique; QStringList cols; };
    QList<Index> indexes;
    {
        Rows list(e, QStringLiteral("PRAGMA index_list(%1)").arg(JetSql::Quote(t.name)));
        while (list.next())
            indexes.append({list.text(1), list.text(3), list.integer(2) != 0, {}});
    }
    for (Index& ix : indexes) {
        Rows info(e, QStringLiteral("PRAGMA index_info(%1)").arg(JetSql::Quote(ix.name)));
        while (info.next())
            if (!info.isNull(2))
                ix.cols.append(info.text(2));
    }
    auto sameColumns = [](const QStringList& a, const QStringList& b) {
        if (a.size() != b.size())
            return false;
        for (int i = 0; i < a.size(); ++i)
            if (a[i].compare(b[i], Qt::CaseInsensitive) != 0)
                return false;
        return true;
    };

    QList<TIndexDef> defs;
    for (const DdlKey& k : t.keys) {
        TIndexDef d;
        d.Name = k.name;
        if (d.Name.isEmpty()) {
            d.Name = k.primary ? QStringLiteral("PrimaryKey") : QString();
            for (const Index& ix : indexes)
                if (ix.origin == (k.primary ? QLatin1String("pk") : QLatin1String("u")) && sameColumns(ix.cols, k.columns))
                    d.Name = ix.name;
        }
        d.Fields = k.columns.join(QLatin1String(", "));
        d.Primary = k.primary;
        d.Unique = true;
        defs.append(d);
    }
    Rows created(e, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 "
                                   "AND sql IS NOT NULL ORDER BY rowid"),
                 {t.name});
    while (created.next()) {
        const QString name = created.text(0);
        for (const Index& ix : indexes)
            if (ix.name == name) {
                TIndexDef d;
                d.Name = name;
                QStringList cols;
                for (const QString& c : ix.cols) {
                    const int i = t.columnIndex(c);
                    cols.append(i >= 0 ? t.columns[i].name : c);
                }
                d.Fields = cols.join(QLatin1String(", "));
                d.Unique = ix.unique;
                defs.append(d);
            }
    }
    return defs;
}

void ExecuteDdl(Engine& e, const QList<Token>& sig, JetSql::StatementKind kind)
{
    switch (kind) {
    case JetSql::StatementKind::CreateTable: createTable(e, sig); break;
    case JetSql::StatementKind::CreateIndex: createIndex(e, sig); break;
    case JetSql::StatementKind::AlterTable: alterTable(e, sig); break;
    case JetSql::StatementKind::Dml: break;
    }
}

} // namespace XAdo
