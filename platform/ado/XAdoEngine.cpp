#include "XAdoEngine.h"

#include "XCollation.h"
#include "XExceptions.h"
#include "XJetDdl.h"
#include "XJetSql.h"
#include "XResultSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QLocale>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include <sys/stat.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif

namespace XAdo {

namespace {

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


// Rows read on open before the statement is counted: a short result needs no count.
constexpr int FirstRows = 64;
// The longest a rollback journal's reader holds the file before it lets the writers in.
qint64 SliceMs = 100;
// Idle reader handles kept per engine.
constexpr size_t PooledReaders = 4;

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

// SQLite's URI of a file; a read-only file without a log is read as it stands,
// so that no log or shared-memory file is left beside it.
QByteArray fileUri(const QString& path, bool readOnly, bool immutable)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    QString query = readOnly ? QStringLiteral("mode=ro") : QStringLiteral("mode=rw");
    if (immutable)
        query += QStringLiteral("&immutable=1");
    url.setQuery(query);
    return url.toEncoded();
}

int openFile(const QString& path, bool readOnly, bool immutable, sqlite3** db)
{
    return sqlite3_open_v2(fileUri(path, readOnly, immutable).constData(), db,
                           (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI,
                           nullptr);
}

// No time-out set: a writer waits as long as it takes (a day).
int busyMs(int timeoutSeconds)
{
    return timeoutSeconds > 0 ? timeoutSeconds * 1000 : 24 * 3600 * 1000;
}

// A larger read-only file is read from the disk, without the look-ups' indexes:
// its copy would cost as much memory.
constexpr qint64 MaxCopyBytes = qint64(1) << 30;

// The in-memory copy of a read-only file, one per engine, shared with its readers.
int openCopy(const QByteArray& uri, sqlite3** db)
{
    const int rc = sqlite3_open_v2(uri.constData(), db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI,
                                   nullptr);
    if (rc == SQLITE_OK)
        RegisterCollations(*db);
    return rc;
}

} // namespace

std::unique_ptr<Engine> Engine::Open(const QString& path, int timeoutSeconds)
{
    // Only stat() here: a descriptor of our own on the file, once closed, would drop SQLite's locks.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        throw EOleException(QStringLiteral("Could not find file '%1'.").arg(path));
    if (info.size() == 0)
        throw EOleException(QStringLiteral("Unrecognized database format '%1': file is not a database (the file is empty).").arg(path));
    const bool readOnly = !info.isWritable();
    const bool immutable = readOnly && !QFileInfo::exists(path + QStringLiteral("-wal"));

    sqlite3* db = nullptr;
    const int rc = openFile(path, readOnly, immutable, &db);
    std::unique_ptr<Engine> e(new Engine(db));
    if (rc != SQLITE_OK)
        e->Raise(rc);
    e->setUp(timeoutSeconds);
    e->m_path = path;
    e->m_readOnly = readOnly || sqlite3_db_readonly(db, "main") == 1;
    e->m_immutable = immutable;
    e->m_network = !e->m_readOnly && OnNetworkFolder(path);
    if (e->m_network)
        e->holdAloneForNetwork();
    // Whether the file is a database is SQLite's verdict, after its own recovery of the log.
    // Nothing is written here: the file is changed only once the program accepts it.
    try {
        e->Exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (const EOleException& x) {
        const int code = sqlite3_errcode(db) & 0xFF;
        if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT)
            throw EOleException(QStringLiteral("Unrecognized database format '%1': %2.").arg(path, x.Message()));
        if (code == SQLITE_BUSY && e->m_network && QFileInfo::exists(path + QStringLiteral("-wal")))
            throw EOleException(NetworkInUseMessage(path));
        throw;
    }
    // A file cut short of a whole page was damaged outside SQLite (a page is always written whole).
    const qint64 pageSize = e->PragmaInteger("page_size");
    if (pageSize > 0 && QFileInfo(path).size() % pageSize != 0)
        throw EOleException(QStringLiteral("Unrecognized database format '%1': database disk image is malformed "
                                           "(the file is truncated).").arg(path));
    // The one change before acceptance: in a network folder no file is left in the log,
    // which this computer alone could then read safely.
    if (e->m_network)
        e->toRollbackJournal();
    // The journal belongs to the file: one in the rollback journal is never taken to the log,
    // since computers that cannot share a log's index may share the file, local as it looks here.
    e->m_wal = e->JournalMode() == QLatin1String("wal");
    // A rollback journal is safe from a cut mid-commit only when every commit is synced whole.
    e->Exec(e->m_wal ? QStringLiteral("PRAGMA synchronous = NORMAL") : QStringLiteral("PRAGMA synchronous = FULL"));
    // A checkpointed log is cut back, so that it stays small on disk.
    e->Exec(QStringLiteral("PRAGMA journal_size_limit = 4194304"));
    e->m_follow = immutable && info.size() <= MaxCopyBytes;
    e->followFile();
    return e;
}

namespace {

// What stat() tells of the file and its journals: any write of another station changes it.
FileStamp stampOf(const QString& path)
{
    FileStamp s;
    struct stat st;
    const QByteArray file = QFile::encodeName(path);
    if (::stat(file.constData(), &st) == 0) {
        s.size = st.st_size;
        s.time = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    if (::stat((file + "-wal").constData(), &st) == 0) {
        s.logSize = st.st_size;
        s.logTime = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    s.journal = ::stat((file + "-journal").constData(), &st) == 0;
    return s;
}

} // namespace

// A file nobody may write, read as it stands, cannot take the indexes the
// look-ups need: it is read into memory, and the copy takes them. It refuses
// writes as the file would. Another station may write the file meanwhile: the
// next statement then reads a new copy. When no copy can be made (no memory
// for it) what there is stays: the file as it stands, or the last copy.
void Engine::followFile()
{
    if (!m_follow)
        return;
    const FileStamp now = stampOf(m_path);
    if (InMemory() && now == m_stamp)
        return;
    // Without a station at work the file is read as it stands, and taken for
    // whole only when nothing changed it meanwhile; with one, under SQLite's locks.
    const bool atWork = now.logSize >= 0 || now.journal;
    sqlite3* source = nullptr;
    if (openFile(m_path, true, !atWork, &source) != SQLITE_OK) {
        sqlite3_close_v2(source);
        return;
    }
    RegisterCollations(source);
    sqlite3_busy_timeout(source, busyMs(m_timeout));
    static std::atomic<int> copies{0};
    const QByteArray uri = "file:xado-copy-" + QByteArray::number(++copies) + "?mode=memory&cache=shared";
    sqlite3* copy = nullptr;
    int rc = openCopy(uri, &copy);
    if (rc == SQLITE_OK) {
        sqlite3_backup* b = sqlite3_backup_init(copy, "main", source, "main");
        rc = b ? sqlite3_backup_step(b, -1) : sqlite3_errcode(copy);
        const int finished = sqlite3_backup_finish(b);
        if (rc == SQLITE_DONE)
            rc = finished;
    }
    sqlite3_close_v2(source);
    if (rc == SQLITE_OK && !atWork && stampOf(m_path) != now)
        rc = SQLITE_BUSY;   // written while read: taken again at the next statement
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(copy, "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(copy);
        // No memory for it: what there is stays, and is not copied at every statement.
        m_follow = rc == SQLITE_BUSY;
        return;
    }
    // The old copy's statements and idle readers go; a cursor still reading it keeps it until done.
    clearCache();
    sqlite3_finalize(m_dataVersion);
    m_dataVersion = nullptr;
    m_idle.clear();
    sqlite3_close_v2(m_db);
    m_db = copy;
    m_copy = uri;
    m_stamp = now;
    m_wal = false;
    setUp(m_timeout);
    // The look-ups' indexes again; a copy without one is only slower.
    for (const QString& index : std::as_const(m_copyIndexes)) {
        try {
            indexCopy(index);
        } catch (const EOleException&) {
        }
    }
}

void Engine::IndexCopy(const QString& jetSql)
{
    if (!InMemory() || JetSql::Classify(JetSql::Significant(JetSql::Tokenize(jetSql, true))) != JetSql::StatementKind::CreateIndex)
        throw EOleException(QStringLiteral("Cannot update. Database or object is read-only."));
    SuspendSnapshots();
    indexCopy(jetSql);
    m_copyIndexes.append(jetSql);
}

void Engine::indexCopy(const QString& jetSql)
{
    Exec(QStringLiteral("PRAGMA query_only = 0"));
    try {
        ExecuteDdl(*this, JetSql::Significant(JetSql::Tokenize(jetSql, true)), JetSql::StatementKind::CreateIndex);
    } catch (...) {
        Exec(QStringLiteral("PRAGMA query_only = 1"));
        throw;
    }
    Exec(QStringLiteral("PRAGMA query_only = 1"));
}

namespace {

// The folder as it really is, links resolved: a link in a local folder may lead into a share.
QString realFolder(const QString& path)
{
    const QFileInfo file(path);
    const QString real = file.exists() ? file.canonicalFilePath() : QString();
    const QString folder = real.isEmpty() ? file.absolutePath() : QFileInfo(real).absolutePath();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
}

} // namespace

bool OnNetworkFolder(const QString& path)
{
    const QString folder = realFolder(path);
    const QStringList declared = QString::fromLocal8Bit(qgetenv("X_NETWORK_FOLDERS")).split(u':', Qt::SkipEmptyParts);
    for (const QString& d : declared) {
        const QString canonical = QFileInfo(d).canonicalFilePath();
        const QString root = canonical.isEmpty() ? QDir::cleanPath(QFileInfo(d).absoluteFilePath()) : canonical;
        if (folder == root || folder.startsWith(root + u'/'))
            return true;
    }
#ifdef __linux__
    struct statfs fs;
    if (statfs(QFile::encodeName(folder).constData(), &fs) != 0)
        return false;
    switch (quint32(fs.f_type)) {
    case 0x6969:       // NFS
    case 0x517B:       // SMB
    case 0xFF534D42:   // CIFS
    case 0xFE534D42:   // SMB2
    case 0x5346414F:   // AFS
    case 0x6B414653:   // kAFS
    case 0x01021997:   // 9P
    case 0x00C36400:   // Ceph
    case 0x65735546:   // FUSE: sshfs and the like; a local one costs only some concurrency
        return true;
    default:
        break;
    }
#endif
    return false;
}

QString NetworkInUseMessage(const QString& path)
{
    return QStringLiteral("O arquivo %1 está em uso por outro computador num modo que não pode ser compartilhado pela "
                          "rede; feche o programa nos outros computadores.").arg(path);
}

// The first read takes the file's exclusive lock: a file in the log then keeps the log's index
// in this process alone (never in memory the other computers cannot see), and a file another
// connection holds in the log is refused before anything is read or written.
void Engine::holdAloneForNetwork()
{
    Exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
}

// Alone on the file: a log is folded back and left; the next read lets the lock go.
void Engine::toRollbackJournal()
{
    if (JournalMode() == QLatin1String("wal")) {
        Exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        // The log's index of a computer that used it last is nobody's now (the lock is ours alone).
        QFile::remove(QString::fromUtf8(sqlite3_db_filename(m_db, "main")) + QStringLiteral("-shm"));
    }
    Exec(QStringLiteral("PRAGMA locking_mode = NORMAL"));
    Exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
}

qint64 Engine::PragmaInteger(const char* name)
{
    sqlite3_stmt* st = nullptr;
    qint64 v = -1;
    if (sqlite3_prepare_v2(m_db, (QByteArray("PRAGMA ") + name).constData(), -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return v;
}

QString Engine::JournalMode()
{
    sqlite3_stmt* st = nullptr;
    QString mode;
    if (sqlite3_prepare_v2(m_db, "PRAGMA journal_mode", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        mode = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))).toLower();
    sqlite3_finalize(st);
    return mode;
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

void Engine::SetReadSlice(qint64 Ms)
{
    SliceMs = Ms;
}

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

std::unique_ptr<Engine> Engine::OpenReader(const QString& path, int timeoutSeconds, bool immutable)
{
    sqlite3* db = nullptr;
    const int rc = openFile(path, true, immutable, &db);
    std::unique_ptr<Engine> e(new Engine(db));
    if (rc != SQLITE_OK)
        e->Raise(rc);
    e->setUp(timeoutSeconds);
    // Every write of the main handle empties a reader's page cache; mapped pages come back cheaply.
    e->Exec(QStringLiteral("PRAGMA mmap_size = 268435456"));
    return e;
}

std::unique_ptr<Engine> Engine::OpenCopyReader()
{
    sqlite3* db = nullptr;
    const int rc = openCopy(m_copy, &db);
    std::unique_ptr<Engine> e(new Engine(db));
    if (rc != SQLITE_OK)
        e->Raise(rc);
    sqlite3_extended_result_codes(db, 1);
    e->Exec(QStringLiteral("PRAGMA query_only = 1"));
    e->m_copy = m_copy;
    return e;
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
        QByteArray id;
        const int end = m_visible + m_keyset->Keys();
        for (int c = end - m_keyset->Rowids(); c < end; ++c) {
            const qint64 rowid = sqlite3_column_int64(stmt, c);
            id.append(sqlite3_column_type(stmt, c) == SQLITE_NULL ? '\0' : '\1');
            id.append(reinterpret_cast<const char*>(&rowid), sizeof rowid);
        }
        const qsizetype before = m_read.size();
        m_read.insert(id);
        if (m_read.size() == before)
            return false;
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
