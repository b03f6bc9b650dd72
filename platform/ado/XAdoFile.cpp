#include "XAdoEngine.h"

#include "XAdoCursor.h"
#include "XAdoEngineParts.h"
#include "XCollation.h"
#include "XExceptions.h"
#include "XJetDdl.h"
#include "XJetSql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <sys/stat.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif

// The file behind an engine: how it is opened, its journal, whether it lies in a
// network folder, and the in-memory copy of a file nobody may write.

namespace XAdo {

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

} // namespace XAdo
