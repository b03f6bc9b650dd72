#include "XAdoCursor.h"

#include "XAdoEngineParts.h"
#include "XExceptions.h"
#include "XJetSql.h"
#include "XResultSet.h"

#include <QVarLengthArray>

#include <sqlite3.h>

#include <algorithm>
#include <climits>

// A statement read lazily: its first rows, its count, and the rest as reached,
// in slices taken up after the key of the last row read.

namespace XAdo {

namespace {

// Rows read on open before the statement is counted: a short result needs no count.
constexpr int FirstRows = 64;
// The longest a rollback journal's reader holds the file before it lets the writers in.
qint64 SliceMs = 100;

// What the count pass sees of a column: kinds seen and the longest text.
enum KindBits : qint64 { SeenInt = 1, SeenBigInt = 2, SeenReal = 4, SeenText = 8, SeenBlob = 16 };

void addKind(qint64& acc, sqlite3_stmt* stmt, int col)
{
    switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_INTEGER: {
        const sqlite3_int64 i = sqlite3_column_int64(stmt, col);
        acc |= SeenInt | (i < INT_MIN || i > INT_MAX ? qint64(SeenBigInt) : 0);
        break;
    }
    case SQLITE_FLOAT: acc |= SeenReal; break;
    case SQLITE_TEXT: {
        sqlite3_column_text(stmt, col);
        const qint64 len = sqlite3_column_bytes(stmt, col);
        acc = (qMax(acc >> 8, len) << 8) | (acc & 0xFF) | SeenText;
        break;
    }
    case SQLITE_BLOB: acc |= SeenBlob; break;
    default: break;
    }
}

// The same for a cell of a result read already.
void addKind(qint64& acc, const XResultSet& rs, int row, int col)
{
    switch (rs.CellKind(row, col)) {
    case XResultSet::Int: {
        const qint64 i = rs.Int64(row, col);
        acc |= SeenInt | (i < INT_MIN || i > INT_MAX ? qint64(SeenBigInt) : 0);
        break;
    }
    case XResultSet::Real: acc |= SeenReal; break;
    case XResultSet::Text: acc = (qMax(acc >> 8, qint64(rs.TextLength(row, col))) << 8) | (acc & 0xFF) | SeenText; break;
    case XResultSet::Blob: acc |= SeenBlob; break;
    default: break;
    }
}

// The type inferTypes gives a column from what the count pass saw; false when
// only the order of the rows can tell (both texts and blobs).
bool typeFromKinds(qint64 kinds, ColumnInfo& col)
{
    if ((kinds & SeenText) && (kinds & SeenBlob))
        return false;
    col.size = 0;
    if (kinds & SeenText) {
        col.type = ftWideString;
        col.size = int(qMax<qint64>(kinds >> 8, 1));
    } else if (kinds & SeenBlob) {
        col.type = ftBlob;
    } else if (kinds & SeenReal) {
        col.type = ftFloat;
    } else if (kinds & SeenInt) {
        col.type = kinds & SeenBigInt ? ftLargeint : ftInteger;
    } else {
        col.type = ftUnknown;
    }
    return true;
}

// The statement as the subquery of a count: blanks for comments (so that the
// closing parenthesis survives a trailing "--"), no final ";", and without its
// top-level ORDER BY when nothing but the ordering follows it (SQLite then
// flattens the subquery). Empty when the text ends inside a parenthesis.
QString countableText(const QString& jetSql)
{
    QList<JetSql::Token> toks = JetSql::Tokenize(jetSql, true);
    while (!toks.isEmpty() && (toks.back().kind == JetSql::TokKind::Space
                               || (toks.back().kind == JetSql::TokKind::Punct && toks.back().text == u';')))
        toks.removeLast();
    int depth = 0;
    int orderAt = -1;
    bool limited = false;
    for (int i = 0; i < toks.size(); ++i) {
        const JetSql::Token& t = toks[i];
        if (t.kind == JetSql::TokKind::Punct && t.text == u'(')
            ++depth;
        else if (t.kind == JetSql::TokKind::Punct && t.text == u')')
            --depth;
        else if (depth == 0 && t.is("ORDER")) {
            int j = i + 1;
            while (j < toks.size() && toks[j].kind == JetSql::TokKind::Space)
                ++j;
            if (j < toks.size() && toks[j].is("BY")) {
                orderAt = i;
                limited = false;
            }
        } else if (depth == 0 && orderAt >= 0
                   && (t.is("LIMIT") || t.is("OFFSET") || t.is("UNION") || t.is("EXCEPT") || t.is("INTERSECT")
                       || t.is("SELECT"))) {
            limited = true;   // more than the ordering follows: count the statement as it is
        }
        if (depth < 0)
            return QString();
    }
    if (depth != 0)
        return QString();
    const int end = orderAt >= 0 && !limited ? orderAt : int(toks.size());
    QString out;
    for (int i = 0; i < end; ++i)
        out += toks[i].kind == JetSql::TokKind::Space ? QStringLiteral(" ") : toks[i].text;
    return out;
}

} // namespace

void Engine::SetReadSlice(qint64 Ms)
{
    SliceMs = Ms;
}

std::unique_ptr<Cursor> Engine::OpenLazy(const QString& jetSql, const TParameters& params, XResultSet& rs,
                                         std::vector<ColumnInfo>& columns, int* count, int known)
{
    followFile();
    // Uncommitted work of this handle is seen only by this handle.
    if (m_path.isEmpty() || !sqlite3_get_autocommit(m_db) || firstWord(jetSql) != QLatin1String("SELECT")) {
        Query(jetSql, params, rs, columns);
        *count = rs.Rows();
        return nullptr;
    }
    std::unique_ptr<Cursor> cur;
    try {
        cur = newCursor(rs, params);
    } catch (const EOleException&) {
        // No second handle on this file: read it whole on this one.
        Query(jetSql, params, rs, columns);
        *count = rs.Rows();
        return nullptr;
    }
    Engine* r = cur->m_reader.get();
    // Read in a total order, so that a read taken up again knows its rows; a rollback
    // journal's reader reads in short slices, each taken up after the key of the row before.
    int rc = SQLITE_DONE;
    cur->m_sliced = RollbackJournal();
    cur->m_keyset = Keyset::Of(jetSql);
    if (cur->m_keyset) {
        try {
            rc = cur->start(cur->m_keyset->First());
        } catch (const EOleException&) {
            cur->m_keyset.reset();   // a statement the layer cannot extend: read as it stands
        }
    }
    if (!cur->m_keyset) {
        cur->m_text = jetSql;
        rc = cur->start(jetSql);
    }
    Statement& st = *cur->m_st;
    sqlite3_stmt* stmt = st.stmt;
    cur->m_visible = int(st.columns.size()) - (cur->m_keyset ? cur->m_keyset->Keys() : 0);
    const std::vector<ColumnInfo> before = columns;
    columns.assign(st.columns.begin(), st.columns.begin() + cur->m_visible);
    const std::vector<bool> declared(st.declared.begin(), st.declared.begin() + cur->m_visible);
    rs.Reset(int(columns.size()));
    for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
        cur->take(stmt);
        if (rs.Rows() == FirstRows)
            break;
    }
    if (rc != SQLITE_ROW) {
        if (rc != SQLITE_DONE)
            throw EOleException(EngineMessage(r->m_db));
        cur->finish(true);
        inferTypes(rs, columns, declared);
        *count = rs.Rows();
        return nullptr;
    }
    // In a rollback journal a statement without identity cannot be taken up again, and a
    // sorted or grouped one read the file whole before its first row: read it now, and the lock goes for good.
    if (RollbackJournal() && (!cur->m_keyset || r->sortsBeforeFirstRow(stmt))) {
        cur->m_keyset.reset();
        cur->FetchTo(-1);
        inferTypes(rs, columns, declared);
        *count = rs.Rows();
        return nullptr;
    }

    suspendWhenIdle();
    if (known >= 0) {
        // The caller knows the count; the undeclared columns keep their types, widened by this page.
        std::vector<ColumnInfo> inferred = columns;
        inferTypes(rs, inferred, declared);
        for (size_t c = 0; c < columns.size(); ++c) {
            if (declared[c])
                continue;
            columns[c] = inferred[c];
            if (c < before.size() && before[c].name == columns[c].name) {
                columns[c].type = before[c].type;
                columns[c].size = before[c].type == inferred[c].type ? qMax(before[c].size, inferred[c].size) : before[c].size;
            }
        }
        *count = qMax(known, rs.Rows());
        cur->m_count = *count;
        cur->pause();
        return cur;
    }

    // Counted in the same snapshot by stepping the statement's rows without
    // their ordering and with no column but the undeclared ones, whose types
    // come from every row: SQLite then drops the joins that cannot change the
    // number of rows (a COUNT(*) aggregate keeps them).
    QString counted = countableText(jetSql);
    QStringList picked;
    std::vector<int> undeclared;
    for (int c = 0; c < int(columns.size()); ++c) {
        if (declared[size_t(c)])
            continue;
        const QString& name = columns[size_t(c)].name;
        int same = 0;
        for (const ColumnInfo& other : columns)
            same += other.name.compare(name, Qt::CaseInsensitive) == 0 ? 1 : 0;
        if (same != 1 || name.contains(u']') || name.isEmpty())
            counted.clear();   // cannot be named from outside the subquery
        undeclared.push_back(c);
        picked.append(JetSql::QuoteJet(name));
    }
    bool counted_ok = false;
    bool tooLong = false;
    std::vector<qint64> kinds(undeclared.size(), 0);
    qint64 n = 0;
    if (!counted.isEmpty()) {
        try {
            bool cached = false;
            const QString what = picked.isEmpty() ? QStringLiteral("0") : picked.join(QStringLiteral(", "));
            Statement* cs = r->prepare(QStringLiteral("SELECT %1 FROM (%2)").arg(what, counted), &cached);
            struct Finisher {
                Engine* e;
                Statement* st;
                bool cached;
                ~Finisher() { e->release(st, cached); }
            } finisher{r, cs, cached};
            r->bind(*cs, params);
            int crc;
            while ((crc = sqlite3_step(cs->stmt)) == SQLITE_ROW) {
                ++n;
                for (size_t i = 0; i < undeclared.size(); ++i)
                    addKind(kinds[i], cs->stmt, int(i));
                if (cur->m_sliced && (n & 255) == 0 && cur->m_held.elapsed() >= SliceMs) {
                    tooLong = true;
                    break;
                }
            }
            counted_ok = crc == SQLITE_DONE;
        } catch (const EOleException&) {
            counted_ok = false;   // read it all instead
        }
    }
    if (tooLong) {
        // Too long a hold for a rollback journal: counted by a walk of its own, a slice at a time.
        cur->suspend();
        std::fill(kinds.begin(), kinds.end(), 0);
        n = countInSlices(*cur, undeclared, kinds);
        counted_ok = n >= 0;
    }
    if (counted_ok && n <= INT_MAX) {
        *count = int(n);
        for (size_t i = 0; i < undeclared.size(); ++i)
            counted_ok = typeFromKinds(kinds[i], columns[size_t(undeclared[i])]) && counted_ok;
    } else {
        counted_ok = false;
    }
    if (!counted_ok) {
        cur->FetchTo(-1);
        inferTypes(rs, columns, declared);
        *count = rs.Rows();
        return nullptr;
    }
    cur->m_count = *count;
    cur->pause();
    return cur;
}

bool Engine::sortsBeforeFirstRow(sqlite3_stmt* stmt)
{
    if (sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_SORT, 0) == 0)
        return false;
    // Sorting each run of equal leading terms, for the ties' order only, still streams.
    sqlite3_stmt* plan = nullptr;
    const QByteArray sql = QByteArrayLiteral("EXPLAIN QUERY PLAN ") + sqlite3_sql(stmt);
    bool whole = sqlite3_prepare_v2(m_db, sql.constData(), -1, &plan, nullptr) != SQLITE_OK;
    while (!whole && sqlite3_step(plan) == SQLITE_ROW) {
        const QByteArray detail(reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)));
        whole = detail == "USE TEMP B-TREE FOR ORDER BY" || detail.startsWith("USE TEMP B-TREE FOR GROUP BY");
    }
    sqlite3_finalize(plan);
    return whole;
}

std::unique_ptr<Cursor> Engine::newCursor(XResultSet& Rows, const TParameters& Params)
{
    std::unique_ptr<Cursor> cur(new Cursor);
    cur->m_reader = takeReader();
    cur->m_owner = this;
    cur->m_rs = &Rows;
    cur->m_params = std::make_unique<TParameters>();
    cur->m_params->Assign(Params);
    m_cursors.push_back(cur.get());
    return cur;
}

qint64 Engine::countInSlices(const Cursor& Like, const std::vector<int>& Undeclared, std::vector<qint64>& Kinds)
{
    XResultSet rows;
    rows.Reset(Like.m_visible);
    std::unique_ptr<Cursor> walk;
    try {
        walk = newCursor(rows, *Like.m_params);
    } catch (const EOleException&) {
        return -1;
    }
    walk->m_keyset = Like.m_keyset;
    walk->m_visible = Like.m_visible;
    walk->m_sliced = true;
    qint64 counted = 0;
    // The rows of each slice are counted and dropped; their identities stay, so none counts twice.
    auto account = [&] {
        for (int row = 0; row < rows.Rows(); ++row)
            for (size_t i = 0; i < Undeclared.size(); ++i)
                addKind(Kinds[i], rows, row, Undeclared[i]);
        counted += rows.Rows();
        rows.Reset(Like.m_visible);
    };
    int rc = SQLITE_ROW;
    try {
        rc = walk->start(walk->m_keyset->First());
        if (rc == SQLITE_ROW)
            walk->take(walk->m_st->stmt);
        while (walk->m_reader && rc == SQLITE_ROW) {
            if (walk->m_held.elapsed() >= SliceMs) {
                account();
                walk->suspend();
                walk->resume();
                continue;
            }
            rc = sqlite3_step(walk->m_st->stmt);
            if (rc == SQLITE_ROW)
                walk->take(walk->m_st->stmt);
        }
    } catch (const EOleException&) {
        return -1;
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return -1;
    walk->finish(true);
    account();
    return counted;
}

Cursor::~Cursor()
{
    finish(false);
}

void Cursor::finish(bool keepReader)
{
    if (!m_reader)
        return;
    if (m_st)
        m_reader->release(m_st, m_cached);
    m_st = nullptr;
    const bool ended = m_suspended || sqlite3_exec(m_reader->m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    m_suspended = false;
    std::unique_ptr<Engine> reader = std::move(m_reader);
    if (m_owner) {
        m_owner->m_cursors.erase(std::find(m_owner->m_cursors.begin(), m_owner->m_cursors.end(), this));
        if (keepReader && ended)
            m_owner->giveBack(std::move(reader));
    }
    m_owner = nullptr;
}

int Cursor::start(const QString& jetSql, const TParameters* more)
{
    Engine* r = m_reader.get();
    for (bool retried = false;; retried = true) {
        try {
            r->Exec(QStringLiteral("BEGIN"));
            m_held.start();
            m_st = r->prepare(jetSql, &m_cached);
            r->bind(*m_st, *m_params, more);
            if (sqlite3_column_count(m_st->stmt) == 0)
                throw EOleException(QStringLiteral("CommandText does not return a result set."));
            const int rc = sqlite3_step(m_st->stmt);
            if (rc != SQLITE_ROW && rc != SQLITE_DONE)
                throw EOleException(EngineMessage(r->m_db));
            if (m_st->described != sqlite3_stmt_status(m_st->stmt, SQLITE_STMTSTATUS_REPREPARE, 0))
                r->describe(*m_st);
            return rc;
        } catch (const EOleException&) {
            const bool hot = sqlite3_extended_errcode(r->m_db) == SQLITE_READONLY_ROLLBACK;
            if (m_st)
                r->release(m_st, m_cached);
            m_st = nullptr;
            sqlite3_exec(r->m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            if (!hot || retried || !m_owner || !m_owner->rollBackHotJournal())
                throw;
        }
    }
}

void Cursor::keepKey()
{
    sqlite3_stmt* stmt = m_st->stmt;
    m_lastKey.clear();
    for (int i = 0; i < m_keyset->Keys(); ++i) {
        const int c = m_visible + i;
        switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER: m_lastKey.append(qint64(sqlite3_column_int64(stmt, c))); break;
        case SQLITE_FLOAT: m_lastKey.append(sqlite3_column_double(stmt, c)); break;
        case SQLITE_TEXT:
            m_lastKey.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                               sqlite3_column_bytes(stmt, c)));
            break;
        case SQLITE_BLOB:
            m_lastKey.append(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, c)), sqlite3_column_bytes(stmt, c)));
            break;
        default: m_lastKey.append(QVariant()); break;
        }
    }
}

bool Cursor::take(sqlite3_stmt* stmt)
{
    if (m_keyset) {
        QVarLengthArray<char, 72> id;
        const int end = m_visible + m_keyset->Keys();
        for (int c = end - m_keyset->Rowids(); c < end; ++c) {
            const qint64 rowid = sqlite3_column_int64(stmt, c);
            id.append(sqlite3_column_type(stmt, c) == SQLITE_NULL ? '\0' : '\1');
            id.append(reinterpret_cast<const char*>(&rowid), sizeof rowid);
        }
        if (!m_takenUp) {
            m_gathered.append(id.constData(), id.size());   // one snapshot shows a row once
        } else {
            const qsizetype before = m_read.size();
            m_read.insert(QByteArray(id.constData(), id.size()));
            if (m_read.size() == before)
                return false;
        }
    }
    m_rs->AppendRow(stmt);
    return true;
}

void Cursor::suspend()
{
    if (!m_reader || m_suspended)
        return;
    if (m_keyset)
        keepKey();
    sqlite3_reset(m_st->stmt);
    sqlite3_exec(m_reader->m_db, "COMMIT", nullptr, nullptr, nullptr);
    m_suspended = true;
}

// A rollback journal's reader holds off every writer, the other computers'
// too: its lock goes as soon as the rows asked for are read, not when idle.
void Cursor::pause()
{
    if (m_owner && m_owner->RollbackJournal())
        suspend();
}

void Cursor::resume()
{
    m_suspended = false;
    if (m_keyset) {
        resumeAfterKey();
    } else {
        // The rows read so far are stepped over; the file may have changed meanwhile.
        const int rows = m_rs->Rows();
        m_reader->release(m_st, m_cached);
        m_st = nullptr;
        int rc = start(m_text);
        for (int i = 1; i < rows && rc == SQLITE_ROW; ++i)
            rc = sqlite3_step(m_st->stmt);
        if (rc != SQLITE_ROW) {
            const QString msg = rc == SQLITE_DONE ? QString() : EngineMessage(m_reader->m_db);
            finish(true);
            if (!msg.isEmpty())
                throw EOleException(msg);
            return;
        }
    }
    if (m_reader && m_owner)
        m_owner->suspendWhenIdle();
}

// Taken up strictly after the key of the last row read; a row read already,
// changed since so that it comes again, is not read twice.
void Cursor::resumeAfterKey()
{
    if (!m_takenUp) {
        const qsizetype size = qsizetype(1 + sizeof(qint64)) * m_keyset->Rowids();
        m_read.reserve(m_gathered.size() / size);
        for (qsizetype at = 0; at < m_gathered.size(); at += size)
            m_read.insert(m_gathered.mid(at, size));
        m_gathered = QByteArray();
        m_takenUp = true;
    }
    m_reader->release(m_st, m_cached);
    m_st = nullptr;
    TParameters key;
    for (int i = 0; i < m_keyset->Keys(); ++i)
        if (!m_lastKey.value(i).isNull())
            key.Add(Keyset::KeyParam(i), m_lastKey[i]);
    int rc = start(m_keyset->After(m_lastKey), &key);
    while (rc == SQLITE_ROW && !take(m_st->stmt))
        rc = sqlite3_step(m_st->stmt);
    if (rc == SQLITE_ROW)
        return;
    const QString msg = rc == SQLITE_DONE ? QString() : EngineMessage(m_reader->m_db);
    finish(true);
    if (!msg.isEmpty())
        throw EOleException(msg);
}

void Cursor::FetchTo(int row)
{
    if (!m_reader)
        return;
    if (m_suspended) {
        resume();
        if (!m_reader)
            return;
    }
    int rc = SQLITE_ROW;
    // Past the counted rows only the end remains: read it, so the snapshot goes now.
    while (row < 0 || m_rs->Rows() <= row || m_rs->Rows() >= m_count) {
        if (m_sliced && m_keyset && m_held.elapsed() >= SliceMs) {
            // The other computers' writers go first, then the reading goes on.
            suspend();
            resume();
            if (!m_reader)
                return;
            continue;
        }
        rc = sqlite3_step(m_st->stmt);
        if (rc != SQLITE_ROW)
            break;
        take(m_st->stmt);
    }
    if (rc == SQLITE_ROW) {
        pause();
        return;
    }
    const QString msg = rc == SQLITE_DONE ? QString() : EngineMessage(m_reader->m_db);
    finish(true);
    if (!msg.isEmpty())
        throw EOleException(msg);
}

} // namespace XAdo
