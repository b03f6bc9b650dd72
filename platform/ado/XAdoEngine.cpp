#include "XAdoEngine.h"

#include "XAdoCursor.h"
#include "XAdoEngineParts.h"
#include "XCollation.h"
#include "XExceptions.h"
#include "XJetDdl.h"
#include "XJetSql.h"
#include "XResultSet.h"

#include <QCoreApplication>
#include <QThread>
#include <QLocale>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cmath>

// The engine's statements: values bound and read, the statement cache, the wait on
// another program's lock, transactions. The file is XAdoFile's, lazy reads XAdoCursor's.

namespace XAdo {

QString firstWord(const QString& sql)
{
    int i = 0;
    const int n = sql.size();
    while (i < n && !sql[i].isLetter())
        ++i;
    int j = i;
    while (j < n && sql[j].isLetter())
        ++j;
    return sql.mid(i, j - i).toUpper();
}

// Columns without a declared type take the kind of their values.
void inferTypes(const XResultSet& rs, std::vector<ColumnInfo>& cols, const std::vector<bool>& declared)
{
    for (int c = 0; c < int(cols.size()); ++c) {
        if (declared[size_t(c)])
            continue;
        TFieldType t = ftUnknown;
        int size = 0;
        for (int r = 0; r < rs.Rows(); ++r) {
            const XResultSet::Kind k = rs.CellKind(r, c);
            if (k == XResultSet::Int) {
                const qint64 v = rs.Int64(r, c);
                if (t == ftUnknown)
                    t = ftInteger;
                if (t == ftInteger && (v < INT_MIN || v > INT_MAX))
                    t = ftLargeint;
            } else if (k == XResultSet::Real) {
                if (t != ftWideString && t != ftBlob)
                    t = ftFloat;
            } else if (k == XResultSet::Text) {
                t = ftWideString;
                size = qMax(size, rs.TextLength(r, c));
            } else if (k == XResultSet::Blob) {
                t = ftBlob;
            }
        }
        cols[size_t(c)].type = t;
        cols[size_t(c)].size = t == ftWideString ? qMax(size, 1) : 0;
    }
}

// No time-out set: a writer waits as long as it takes (a day).
int busyMs(int timeoutSeconds)
{
    return timeoutSeconds > 0 ? timeoutSeconds * 1000 : 24 * 3600 * 1000;
}

namespace {

[[noreturn]] void conversionError(const TParameter& p, const QVariant& v, TFieldType t)
{
    throw EOleException(QStringLiteral("Application uses a value of the wrong type for the current operation: "
                                       "parameter '%1' (%2) cannot take the value '%3'.")
                            .arg(p.Name, FieldTypeName(t), v.toString()));
}

qint64 toInteger(const TParameter& p, const QVariant& v, TFieldType t)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return qint64(std::nearbyint(v.toDouble()));
    case QMetaType::Bool:
        return v.toBool() ? -1 : 0;
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString s = v.toString().trimmed();
        bool ok = false;
        const qint64 r = s.toLongLong(&ok);
        if (!ok)
            conversionError(p, v, t);
        return r;
    }
    default: {
        bool ok = false;
        const qint64 r = v.toLongLong(&ok);
        if (!ok)
            conversionError(p, v, t);
        return r;
    }
    }
}

double toFloat(const TParameter& p, const QVariant& v, TFieldType t)
{
    if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray) {
        QString s = v.toString().trimmed();
        bool ok = false;
        double r = QLocale::c().toDouble(s, &ok);
        if (!ok && s.count(u',') == 1 && !s.contains(u'.'))
            r = QLocale::c().toDouble(s.replace(u',', u'.'), &ok);
        if (!ok)
            conversionError(p, v, t);
        return r;
    }
    bool ok = false;
    const double r = v.toDouble(&ok);
    if (!ok)
        conversionError(p, v, t);
    return r;
}

TFieldType typeOfValue(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::UChar:
    case QMetaType::SChar:
        return ftInteger;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
        return ftLargeint;
    case QMetaType::Double:
    case QMetaType::Float:
        return ftFloat;
    case QMetaType::Bool:
        return ftBoolean;
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return ftDateTime;
    case QMetaType::QByteArray:
        return ftBlob;
    default:
        return ftWideString;
    }
}

void bindText(sqlite3_stmt* stmt, int idx, const QString& s)
{
    const QByteArray u = s.toUtf8();
    sqlite3_bind_text(stmt, idx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

void bindValue(sqlite3_stmt* stmt, int idx, const TParameter& p)
{
    const QVariant& v = p.Value;
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(stmt, idx);
        return;
    }
    const TFieldType t = p.DataType == ftUnknown ? typeOfValue(v) : p.DataType;
    switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        sqlite3_bind_int64(stmt, idx, toInteger(p, v, t));
        break;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
        sqlite3_bind_double(stmt, idx, toFloat(p, v, t));
        break;
    case ftBoolean:
        sqlite3_bind_int(stmt, idx, v.toBool() ? -1 : 0);
        break;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
        if (v.typeId() == QMetaType::QDateTime)
            bindText(stmt, idx, v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        else if (v.typeId() == QMetaType::QDate)
            bindText(stmt, idx, v.toDate().toString(QStringLiteral("yyyy-MM-dd")));
        else
            bindText(stmt, idx, v.toString());
        break;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary: {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(stmt, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default:
        bindText(stmt, idx, v.toString());
        break;
    }
}

// Idle reader handles kept per engine.
constexpr size_t PooledReaders = 4;

} // namespace

QString EngineMessage(sqlite3* db)
{
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
    static const QLatin1String checkPrefix("CHECK constraint failed: ");
    if ((sqlite3_extended_errcode(db) & 0xFF) == SQLITE_READONLY)
        return QStringLiteral("Cannot update. Database or object is read-only.");
    if ((sqlite3_extended_errcode(db) & 0xFF) == SQLITE_BUSY)
        return QStringLiteral("Could not use '%1'; file already in use.")
            .arg(QString::fromUtf8(sqlite3_db_filename(db, "main")));
    if (sqlite3_extended_errcode(db) == SQLITE_CONSTRAINT_CHECK && msg.endsWith(QLatin1String(" NOT NULL"))
        && msg.startsWith(checkPrefix) && !msg.mid(checkPrefix.size()).contains(u'.'))
        return QStringLiteral("Index or primary key cannot contain a Null value.");
    if (sqlite3_extended_errcode(db) == SQLITE_CONSTRAINT_CHECK && msg.startsWith(checkPrefix)) {
        // The layer names each column check "Table.Column TYPE".
        const QString name = msg.mid(checkPrefix.size());
        const int blank = name.indexOf(u' ');
        if (blank > 0 && name.left(blank).contains(u'.')) {
            const QString field = name.left(blank);
            const QString type = name.mid(blank + 1);
            if (type.startsWith(QLatin1String("TEXT(")) || type.contains(QLatin1String("BINARY(")))
                return QStringLiteral("The field '%1' is too small to accept the amount of data you attempted "
                                      "to add (%2).").arg(field, type);
            return QStringLiteral("Data type mismatch: the field '%1' (%2) does not accept the value.").arg(field, type);
        }
    }
    return msg;
}

namespace {

std::function<void(bool)>& busyIndicator()
{
    static std::function<void(bool)> indicator;
    return indicator;
}
bool busyShown = false;
// A wait shorter than this shows nothing: a slice of another computer's reading.
constexpr qint64 ShowBusyAfterMs = 300;

} // namespace

void Engine::SetBusyIndicator(std::function<void(bool)> Indicator)
{
    busyIndicator() = std::move(Indicator);
}

void Engine::setUp(int timeoutSeconds)
{
    m_timeout = timeoutSeconds;
    sqlite3_extended_result_codes(m_db, 1);
    RegisterCollations(m_db);
    sqlite3_busy_handler(m_db, &Engine::busyHandler, this);
}

// SQLite's own steps of waiting, with the wait indicator once the wait is felt.
int Engine::busyHandler(void* self, int count)
{
    static const int delays[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    auto* e = static_cast<Engine*>(self);
    if (e->m_noWait)
        return 0;
    if (count == 0)
        e->m_busySince.start();
    const qint64 waited = e->m_busySince.elapsed();
    const qint64 limit = busyMs(e->m_timeout);
    if (waited >= limit)
        return 0;
    if (waited >= ShowBusyAfterMs && !busyShown && busyIndicator() && QCoreApplication::instance()) {
        busyShown = true;
        busyIndicator()(true);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [] {
                busyShown = false;
                if (busyIndicator())
                    busyIndicator()(false);
            },
            Qt::QueuedConnection);
    }
    const qint64 delay = delays[qMin(size_t(count), std::size(delays) - 1)];
    QThread::msleep(quint64(qMin(delay, limit - waited)));
    return 1;
}

bool Engine::rollBackHotJournal()
{
    if (m_readOnly || InMemory())
        return false;
    try {
        Exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (const EOleException&) {
        return false;
    }
    return true;
}

bool Engine::TryBeginExclusive()
{
    beforeWrite();
    NoWait now(this);
    const int rc = sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED)
        return false;
    if (rc != SQLITE_OK)
        Raise(rc);
    return true;
}

void Engine::SuspendSnapshots()
{
    for (Cursor* c : m_cursors)
        c->suspend();
}

void Engine::suspendWhenIdle()
{
    if (m_idleQueued || !QCoreApplication::instance())
        return;
    m_idleQueued = true;
    QMetaObject::invokeMethod(
        m_idleContext.get(),
        [this] {
            m_idleQueued = false;
            SuspendSnapshots();
        },
        Qt::QueuedConnection);
}

void Engine::beforeWrite()
{
    if (m_readOnly)
        throw EOleException(QStringLiteral("Cannot update. Database or object is read-only."));
    SuspendSnapshots();
}

WriteMark Engine::Mark()
{
    WriteMark m;
    m.writes = m_writes;
    m.lastChanges = m_lastChanges;
    if (!m_dataVersion && sqlite3_prepare_v3(m_db, "PRAGMA data_version", -1, SQLITE_PREPARE_PERSISTENT, &m_dataVersion, nullptr) != SQLITE_OK)
        return m;
    if (sqlite3_step(m_dataVersion) == SQLITE_ROW)
        m.dataVersion = sqlite3_column_int64(m_dataVersion, 0);
    sqlite3_reset(m_dataVersion);
    return m;
}

bool Engine::OnlyOwnWrite(const WriteMark& From, int Rows, int Writes)
{
    return OnlyOwnWrites(From, Writes) && (Writes > 1 || m_lastChanges == qAbs(Rows));
}

bool Engine::OnlyOwnWrites(const WriteMark& From, int Writes)
{
    const WriteMark now = Mark();
    return Writes > 0 && From.dataVersion >= 0 && now.dataVersion == From.dataVersion
           && now.writes == From.writes + quint64(Writes);
}

void Engine::BeginTransaction()
{
    beforeWrite();
    Exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void Engine::CommitTransaction()
{
    Exec(QStringLiteral("COMMIT"));
}

void Engine::RollbackTransaction()
{
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::unique_ptr<Engine> Engine::takeReader()
{
    if (m_idle.empty() && InMemory())
        return OpenCopyReader();
    if (m_idle.empty()) {
        std::unique_ptr<Engine> reader = OpenReader(m_path, m_timeout, m_immutable);
        // Mapped pages are for a disk of this computer; a share's pages are kept instead,
        // so that a read taken up again finds them in memory.
        if (m_network)
            reader->Exec(QStringLiteral("PRAGMA mmap_size = 0; PRAGMA cache_size = -65536"));
        return reader;
    }
    std::unique_ptr<Engine> r = std::move(m_idle.back());
    m_idle.pop_back();
    return r;
}

void Engine::giveBack(std::unique_ptr<Engine> reader)
{
    // A reader of a copy that a newer one replaced goes with it.
    if (m_idle.size() < PooledReaders && reader->m_copy == m_copy)
        m_idle.push_back(std::move(reader));
}

Engine::~Engine()
{
    // Readers first: the main handle's close is then the last one, and folds the log back.
    while (!m_cursors.empty())
        m_cursors.back()->finish(false);
    m_idle.clear();
    clearCache();
    sqlite3_finalize(m_dataVersion);
    if (m_db)
        sqlite3_close_v2(m_db);
}

void Engine::clearCache()
{
    for (Statement* st : std::as_const(m_cache)) {
        sqlite3_finalize(st->stmt);
        delete st;
    }
    m_cache.clear();
}

void Engine::Raise(int rc) const
{
    QString msg = m_db ? EngineMessage(m_db) : QString();
    if (msg.isEmpty() || msg == QLatin1String("not an error"))
        msg = QString::fromUtf8(sqlite3_errstr(rc));
    throw EOleException(msg);
}

void Engine::Exec(const QString& sqliteSql)
{
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sqliteSql.toUtf8().constData(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK)
        Raise(rc);
}

Engine::Statement* Engine::prepare(const QString& jetSql, bool* cached)
{
    if (Statement* st = m_cache.value(jetSql); st && !st->inUse && !sqlite3_stmt_busy(st->stmt)) {
        *cached = true;
        st->inUse = true;
        return st;
    }
    const QString text = JetSql::RewriteStatement(jetSql);
    const QByteArray utf8 = text.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &stmt, &tail);
    if (rc != SQLITE_OK)
        Raise(rc);
    if (!stmt)
        throw EOleException(QStringLiteral("Command text was not set for the command object."));
    for (const char* p = tail; p && *p; ++p) {
        if (!isspace(uchar(*p)) && *p != ';') {
            sqlite3_finalize(stmt);
            throw EOleException(QStringLiteral("Characters found after end of SQL statement."));
        }
    }
    auto st = std::make_unique<Statement>();
    st->stmt = stmt;
    const int n = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= n; ++i) {
        const char* name = sqlite3_bind_parameter_name(stmt, i);
        st->params.push_back(name ? QString::fromUtf8(name + 1) : QString());
    }
    const QString verb = firstWord(text);
    st->changesRows = verb == QLatin1String("INSERT") || verb == QLatin1String("UPDATE")
                      || verb == QLatin1String("DELETE") || verb == QLatin1String("REPLACE");
    // A busy cached copy (a statement run from inside another) keeps its place; this one runs once.
    *cached = !m_cache.contains(jetSql);
    if (*cached) {
        if (m_cache.size() >= 256)
            evictIdleStatements();
        m_cache.insert(jetSql, st.get());
    }
    st->inUse = true;
    return st.release();
}

// Statements being run (a cursor's, one run from inside another) stay with their runner.
void Engine::evictIdleStatements()
{
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        if (it.value()->inUse) {
            ++it;
            continue;
        }
        sqlite3_finalize(it.value()->stmt);
        delete it.value();
        it = m_cache.erase(it);
    }
}

void Engine::release(Statement* st, bool cached)
{
    sqlite3_reset(st->stmt);
    st->inUse = false;
    if (!cached) {
        sqlite3_finalize(st->stmt);
        delete st;
    }
}

void Engine::bind(Statement& st, const TParameters& params, const TParameters* more)
{
    for (int i = 0; i < int(st.params.size()); ++i) {
        const TParameter* p = params.FindParam(st.params[size_t(i)]);
        if (!p && more)
            p = more->FindParam(st.params[size_t(i)]);
        if (!p) {
            sqlite3_reset(st.stmt);
            throw EOleException(QStringLiteral("No value given for one or more required parameters (%1).")
                                    .arg(st.params[size_t(i)]));
        }
        try {
            bindValue(st.stmt, i + 1, *p);
        } catch (...) {
            sqlite3_reset(st.stmt);
            throw;
        }
    }
}

void Engine::Query(const QString& jetSql, const TParameters& params, XResultSet& rs, std::vector<ColumnInfo>& columns)
{
    followFile();
    bool cached = false;
    Statement* st = prepare(jetSql, &cached);
    struct Finisher {
        Engine* e;
        Statement* st;
        bool cached;
        ~Finisher() { e->release(st, cached); }
    } finisher{this, st, cached};

    bind(*st, params);
    sqlite3_stmt* stmt = st->stmt;
    if (sqlite3_column_count(stmt) == 0)
        throw EOleException(QStringLiteral("CommandText does not return a result set."));
    // SQLite prepares again inside the first step when the schema changed: describe after it.
    int rc = sqlite3_step(stmt);
    if (st->described != sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_REPREPARE, 0))
        describe(*st);
    columns = st->columns;
    rs.Reset(int(columns.size()));
    for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt))
        rs.AppendRow(stmt);
    if (rc != SQLITE_DONE)
        throw EOleException(EngineMessage(m_db));
    rs.Finish();
    inferTypes(rs, columns, st->declared);
}

void Engine::describe(Statement& st)
{
    sqlite3_stmt* stmt = st.stmt;
    const int cols = sqlite3_column_count(stmt);
    st.columns.assign(size_t(cols), ColumnInfo());
    st.declared.assign(size_t(cols), false);
    for (int c = 0; c < cols; ++c) {
        ColumnInfo& ci = st.columns[size_t(c)];
        ci.name = QString::fromUtf8(sqlite3_column_name(stmt, c));
        if (const char* decl = sqlite3_column_decltype(stmt, c)) {
            const JetSql::ColumnType t = JetSql::ParseType(QString::fromUtf8(decl));
            if (t.type != JetSql::JetType::Unknown) {
                ci.type = JetSql::FieldTypeOf(t);
                ci.size = (t.type == JetSql::JetType::Text || t.type == JetSql::JetType::Binary
                           || t.type == JetSql::JetType::VarBinary) ? t.size : 0;
                st.declared[size_t(c)] = true;
            }
        }
    }
    st.described = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_REPREPARE, 0);
}

int Engine::Execute(const QString& jetSql, const TParameters& params)
{
    const QString verb = firstWord(jetSql);
    if (verb == QLatin1String("CREATE") || verb == QLatin1String("ALTER")) {
        const QList<JetSql::Token> sig = JetSql::Significant(JetSql::Tokenize(jetSql, true));
        const JetSql::StatementKind kind = JetSql::Classify(sig);
        if (kind != JetSql::StatementKind::Dml) {
            beforeWrite();
            ++m_writes;
            m_lastChanges = -1;
            ExecuteDdl(*this, sig, kind);
            return 0;
        }
    }
    bool cached = false;
    Statement* st = prepare(jetSql, &cached);
    if (st->changesRows || !sqlite3_stmt_readonly(st->stmt)) {
        try {
            beforeWrite();
        } catch (...) {
            release(st, cached);
            throw;
        }
    }
    int changes = 0;
    int rc = SQLITE_OK;
    QString msg;
    try {
        bind(*st, params);
        do
            rc = sqlite3_step(st->stmt);
        while (rc == SQLITE_ROW);
        if (rc == SQLITE_DONE) {
            changes = st->changesRows ? sqlite3_changes(m_db) : 0;
            if (st->changesRows) {
                ++m_writes;
                m_lastChanges = changes;
            }
        }
        else
            msg = EngineMessage(m_db);
    } catch (...) {
        release(st, cached);
        throw;
    }
    release(st, cached);
    if (rc != SQLITE_DONE)
        throw EOleException(msg);
    return changes;
}

} // namespace XAdo
