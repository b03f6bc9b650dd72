#include "XAdo.h"

#include "XAdoEngine.h"
#include "XExceptions.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace {

struct Part
{
    QString name;
    QString value;
};

// "name=value" parts separated by ";"; a value may be quoted to hold ";",
// the quote char doubled inside it.
QList<Part> splitConnectionString(const QString& s)
{
    QList<Part> parts;
    int i = 0;
    const int n = s.size();
    while (i < n) {
        const int eq = s.indexOf(u'=', i);
        const int semi = s.indexOf(u';', i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            i = semi < 0 ? n : semi + 1;
            continue;
        }
        Part p;
        p.name = s.mid(i, eq - i).trimmed();
        int j = eq + 1;
        while (j < n && s[j] == u' ')
            ++j;
        if (j < n && (s[j] == u'"' || s[j] == u'\'')) {
            const QChar q = s[j];
            int k = j + 1;
            for (; k < n; ++k) {
                if (s[k] != q) {
                    p.value += s[k];
                } else if (k + 1 < n && s[k + 1] == q) {
                    p.value += q;
                    ++k;
                } else {
                    break;
                }
            }
            const int next = s.indexOf(u';', k);
            i = next < 0 ? n : next + 1;
        } else {
            const int end = semi < 0 ? n : semi;
            p.value = s.mid(eq + 1, end - eq - 1).trimmed();
            i = end + 1;
        }
        parts.append(p);
    }
    return parts;
}

const QString schemaTablesSql = QStringLiteral(
    "SELECT NULL AS TABLE_CATALOG, NULL AS TABLE_SCHEMA, name AS TABLE_NAME, "
    "CASE WHEN type = 'view' THEN 'VIEW' WHEN name LIKE 'sqlite!_%' ESCAPE '!' THEN 'SYSTEM TABLE' "
    "ELSE 'TABLE' END AS TABLE_TYPE, NULL AS DESCRIPTION "
    "FROM sqlite_master WHERE type IN ('table', 'view') ORDER BY name COLLATE NOCASE");

} // namespace

QString QuoteConnectionValue(const QString& Value)
{
    const bool plain = !Value.contains(u';') && !Value.contains(u'"') && !Value.contains(u'\'')
                       && Value == Value.trimmed();
    if (plain)
        return Value;
    const QChar q = Value.contains(u'"') && !Value.contains(u'\'') ? u'\'' : u'"';
    return q + QString(Value).replace(q, QString(2, q)) + q;
}

QString ConnectionStringValue(const QString& ConnStr, const QString& Name)
{
    for (const Part& p : splitConnectionString(ConnStr))
        if (p.name.compare(Name, Qt::CaseInsensitive) == 0)
            return p.value;
    return QString();
}

void CreateDatabaseFile(const QString& path)
{
    if (QFileInfo::exists(path))
        throw EOleException(QStringLiteral("Database '%1' already exists.").arg(path));
    // A file made in a network folder never sees the log, whose index other computers cannot share.
    const char* first = XAdo::OnNetworkFolder(path) ? "CREATE TABLE jet_new (x); DROP TABLE jet_new;"
                                                    : "PRAGMA journal_mode = WAL; CREATE TABLE jet_new (x); DROP TABLE jet_new;";
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, first, nullptr, nullptr, nullptr);
    const QString msg = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw EOleException(msg);
}

TADOConnection::TADOConnection(QObject* Owner) : QObject(Owner) {}

TADOConnection::~TADOConnection()
{
    Close();
    for (TCustomADODataSet* ds : std::as_const(m_dataSets))
        ds->m_connection = nullptr;
}

void TADOConnection::setConnectionString(const QString& value)
{
    if (m_engine)
        throw EOleException(QStringLiteral("Operation is not allowed when the object is open."));
    m_connectionString = value;
}

QString TADOConnection::ConnectionStringPart(const QString& name) const
{
    return ConnectionStringValue(m_connectionString, name);
}

QString TADOConnection::Provider() const
{
    const QString p = ConnectionStringPart(QStringLiteral("Provider"));
    return p.isEmpty() ? m_provider : p;
}

void TADOConnection::setConnectionTimeout(int seconds)
{
    m_timeout = seconds;
    if (m_engine)
        m_engine->SetTimeout(seconds);
}

bool TADOConnection::Connected() const
{
    return m_engine != nullptr;
}

void TADOConnection::Open()
{
    if (m_engine)
        return;
    const QString provider = Provider();
    if (!provider.startsWith(QLatin1String("Microsoft.Jet.OLEDB."), Qt::CaseInsensitive)
        && !provider.startsWith(QLatin1String("Microsoft.ACE.OLEDB."), Qt::CaseInsensitive))
        throw EOleException(QStringLiteral("Provider cannot be found. It may not be properly installed."));
    m_engine = XAdo::Engine::Open(DataSource(), m_timeout);
}

void TADOConnection::Close()
{
    if (!m_engine)
        return;
    const QList<TCustomADODataSet*> bound = m_dataSets;
    for (TCustomADODataSet* ds : bound)
        if (m_dataSets.contains(ds))
            ds->connectionClosing();
    m_engine.reset();
}

bool IsFileInUseError(const QString& Message)
{
    // The network folder's refusal: "O arquivo " + the path + the reason.
    const QString network = XAdo::NetworkInUseMessage(QString());
    return (Message.startsWith(QLatin1String("Could not use '")) && Message.endsWith(QLatin1String("; file already in use.")))
           || (Message.startsWith(network.left(10)) && Message.endsWith(network.mid(10)));
}

bool TADOConnection::ReadOnly() const
{
    return Engine()->ReadOnly();
}

void TADOConnection::BeginTrans()
{
    Engine()->BeginTransaction();
}

void TADOConnection::CommitTrans()
{
    Engine()->CommitTransaction();
}

void TADOConnection::RollbackTrans()
{
    if (m_engine)
        m_engine->RollbackTransaction();
}

TADOTransaction::TADOTransaction(TADOConnection* Conn) : m_conn(Conn)
{
    m_conn->BeginTrans();
    m_open = true;
}

TADOTransaction::~TADOTransaction()
{
    Rollback();
}

void TADOTransaction::Rollback()
{
    if (m_open)
        m_conn->RollbackTrans();
    m_open = false;
}

void TADOTransaction::Commit()
{
    if (!m_open)
        return;
    try {
        m_conn->CommitTrans();
    } catch (...) {
        Rollback();
        throw;
    }
    m_open = false;
}

XAdo::Engine* TADOConnection::Engine() const
{
    if (!m_engine)
        throw EOleException(QStringLiteral("Operation is not allowed when the object is closed."));
    return m_engine.get();
}

int TADOConnection::DataSetCount() const
{
    int n = 0;
    for (TCustomADODataSet* ds : m_dataSets)
        if (ds->Active())
            ++n;
    return n;
}

TCustomADODataSet* TADOConnection::DataSets(int index) const
{
    for (TCustomADODataSet* ds : m_dataSets)
        if (ds->Active() && index-- == 0)
            return ds;
    return nullptr;
}

void TADOConnection::OpenSchema(TSchemaInfo Schema, TADODataSet* DataSet)
{
    Q_UNUSED(Schema);
    DataSet->Close();
    DataSet->setConnection(this);
    DataSet->setCommandText(schemaTablesSql);
    DataSet->Open();
}

void TADOConnection::attach(TCustomADODataSet* ds)
{
    if (!m_dataSets.contains(ds))
        m_dataSets.append(ds);
}

void TADOConnection::detach(TCustomADODataSet* ds)
{
    m_dataSets.removeAll(ds);
}
