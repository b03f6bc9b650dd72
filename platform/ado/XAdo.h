#pragma once

// The database layer: ADO-like connection, datasets and commands over an
// SQLite file that speaks the Jet dialect.

#include "XAdoTypes.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class TADOConnection;
class TCustomADODataSet;
class TADODataSet;
class XResultSet;
namespace XAdo {
class Engine;
class Cursor;
// Where a file stands for counts: writes by other connections, and a connection's own.
struct WriteMark
{
    qint64 dataVersion = -1;
    quint64 writes = 0;       // statements of the connection that changed rows
    int lastChanges = 0;      // rows the last of them changed
};
}

// Creates an empty database file (EOleException when the file exists or
// cannot be made); the stand-in for a new, empty ".mdb".
void CreateDatabaseFile(const QString& path);

// A value as a part of a connection string: as it stands, or quoted when it
// holds ";", a quote or blanks at its ends (in double quotes, in single ones
// when it holds double quotes only; the quote char doubled inside).
QString QuoteConnectionValue(const QString& Value);
// The value of the part Name (letter case ignored) of a connection string,
// unquoted; empty when there is none.
QString ConnectionStringValue(const QString& ConnStr, const QString& Name);

// The engine refused the file because another program holds its lock.
bool IsFileInUseError(const QString& Message);

// One named statement parameter. An invalid QVariant is Null. With
// ftUnknown the type follows the value.
class TParameter
{
public:
    QString Name;
    TFieldType DataType = ftUnknown;
    QVariant Value;
    int Size = 0;
};

// The parameters of a statement, made from its ":name" markers (each name
// once, letter case ignored).
class TParameters
{
public:
    int Count() const { return int(m_items.size()); }
    TParameter* Items(int index) const { return m_items.at(size_t(index)).get(); }
    TParameter* FindParam(const QString& name) const;
    TParameter* ParamByName(const QString& name) const;   // EDatabaseError when missing
    void ParseSQL(const QString& sql);                     // makes the list afresh
    void Assign(const TParameters& other);                 // a copy of other's list
    void Add(const QString& name, const QVariant& value);  // a parameter of the value's type
    void Clear() { m_items.clear(); }

private:
    std::vector<std::unique_ptr<TParameter>> m_items;
};

// A column of an open dataset, reading the current record.
class TField
{
public:
    TField(TCustomADODataSet* dataSet, int index, const QString& name, TFieldType type, int size);

    const QString& FieldName() const { return m_name; }
    TFieldType DataType() const { return m_type; }
    int Size() const { return m_size; }
    int Index() const { return m_index; }
    TCustomADODataSet* DataSet() const { return m_dataSet; }

    bool IsNull() const;
    QVariant Value() const;
    QString AsString() const;
    QString DisplayText() const { return AsString(); }
    int AsInteger() const;
    qint64 AsLargeInt() const;
    double AsFloat() const;
    bool AsBoolean() const;
    QDateTime AsDateTime() const;

private:
    int row() const;

    TCustomADODataSet* m_dataSet;
    int m_index;
    QString m_name;
    TFieldType m_type;
    int m_size;
};

// The open connection to one database file.
class TADOConnection : public QObject
{
    Q_OBJECT
public:
    explicit TADOConnection(QObject* Owner = nullptr);
    ~TADOConnection() override;

    // "Provider=...;Data Source=...;Persist Security Info=False;Jet OLEDB:Database Password=..."
    QString ConnectionString() const { return m_connectionString; }
    void setConnectionString(const QString& value);   // refused while open
    // The value of one part of the connection string (name letter case ignored), or empty.
    QString ConnectionStringPart(const QString& name) const;
    QString DataSource() const { return ConnectionStringPart(QStringLiteral("Data Source")); }
    // Parsed and carried: SQLite files have no password.
    QString Password() const { return ConnectionStringPart(QStringLiteral("Jet OLEDB:Database Password")); }
    QString Provider() const;
    void setProvider(const QString& value) { m_provider = value; }

    int ConnectionTimeout() const { return m_timeout; }   // seconds; the wait on a locked file
    void setConnectionTimeout(int seconds);
    bool LoginPrompt() const { return m_loginPrompt; }
    void setLoginPrompt(bool value) { m_loginPrompt = value; }
    TConnectMode Mode() const { return m_mode; }
    void setMode(TConnectMode value) { m_mode = value; }
    int Tag() const { return m_tag; }
    void setTag(int value) { m_tag = value; }

    bool Connected() const;
    void setConnected(bool value) { value ? Open() : Close(); }
    void Open();    // EOleException when the file is missing or is no database
    void Close();   // closes the datasets bound to it

    // Open datasets (queries and tables) bound to this connection.
    int DataSetCount() const;
    TCustomADODataSet* DataSets(int index) const;

    // The provider's schema rowset into DataSet: TABLE_CATALOG, TABLE_SCHEMA,
    // TABLE_NAME, TABLE_TYPE ('TABLE', 'VIEW', 'SYSTEM TABLE'), DESCRIPTION.
    void OpenSchema(TSchemaInfo Schema, TADODataSet* DataSet);

    XAdo::Engine* Engine() const;   // the open engine; EOleException when closed

    // The file could not be opened for writing: it reads, and every write is refused.
    bool ReadOnly() const;

    // A write transaction that holds the file's write lock from its start,
    // so that a check and the write it allows are one step.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

private:
    friend class TCustomADODataSet;
    void attach(TCustomADODataSet* ds);
    void detach(TCustomADODataSet* ds);

    QString m_connectionString;
    QString m_provider;
    int m_timeout = 15;
    bool m_loginPrompt = true;
    TConnectMode m_mode = cmUnknown;
    int m_tag = 0;
    std::unique_ptr<XAdo::Engine> m_engine;
    QList<TCustomADODataSet*> m_dataSets;
};

// The lines of a query's SQL text.
class TSQLStrings
{
public:
    void Add(const QString& line);
    void Clear();
    QString Text() const;
    void setText(const QString& text);
    int Count() const { return int(m_lines.size()); }

private:
    friend class TADOQuery;
    std::function<void()> m_changed;
    QStringList m_lines;
};

// A dataset with the semantics of a client-side cursor: exact record counts,
// free movement, cells readable at random, the rows those of the moment of
// opening. Rows past the first few are read as they are reached, in a
// snapshot of their own, until the last row or Close/Requery.
class TCustomADODataSet : public QObject
{
    Q_OBJECT
public:
    explicit TCustomADODataSet(QObject* Owner = nullptr);
    ~TCustomADODataSet() override;

    TADOConnection* Connection() const { return m_connection; }
    void setConnection(TADOConnection* value);

    TParameters Parameters;
    int Tag = 0;

    bool Active() const { return m_active; }
    void setActive(bool value) { value ? Open() : Close(); }
    void Open();
    void Close();
    void Requery();   // runs the current text again with the current parameters
    // Requery after this connection's last Writes statements added Rows rows
    // to the result (negative: took them out): the count is the last one plus
    // Rows, and counted afresh when anything else was written since. A lone
    // statement must itself have changed as many rows as it moved.
    void RequeryAdded(int Rows, int Writes = 1);
    // After this connection's last Writes statements, when the caller can tell
    // what they did to the result and nobody else wrote: Edit changes the rows
    // as read (every column by field), and they become the result, without
    // running the statement again. False, with nothing changed, otherwise.
    bool EditOwnRows(int Writes, const std::function<void(QList<QVariantList>&)>& Edit);

    // Rows kept only where Filter (a condition on the result's columns) holds.
    QString Filter() const { return m_filter; }
    void setFilter(const QString& value);
    bool Filtered() const { return m_filtered; }
    void setFiltered(bool value);

    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Eof() const;
    bool Bof() const;
    bool IsEmpty() const;
    int RecordCount() const;
    int RecNo() const;            // 1-based; 0 when empty
    void setRecNo(int value);

    int FieldCount() const { return int(m_fields.size()); }
    TField* Fields(int index) const { return m_fields.at(size_t(index)).get(); }
    TField* FindField(const QString& name) const;
    TField* FieldByName(const QString& name) const;   // EDatabaseError when missing
    // The result's columns; a table gives its catalogue's definitions.
    virtual QList<TFieldDef> FieldDefs() const;

    // Random access, rows from 0, without moving the current record.
    int ColumnCount() const { return FieldCount(); }
    QString ColumnName(int col) const { return Fields(col)->FieldName(); }
    int FieldIndex(const QString& name) const;      // -1 when missing
    bool CellIsNull(int row, int col) const;
    QVariant CellValue(int row, int col) const;
    QString CellText(int row, int col) const;
    size_t ResultMemoryBytes() const;

signals:
    void AfterOpen(TCustomADODataSet* DataSet);
    void AfterClose(TCustomADODataSet* DataSet);
    void AfterRefresh(TCustomADODataSet* DataSet);   // after Requery
    void AfterScroll(TCustomADODataSet* DataSet);    // the current record moved
    // The last row read: RecordCount() is the rows read, no longer the count made at opening.
    void AfterCount(TCustomADODataSet* DataSet);

protected:
    virtual QString CommandTextForOpen() const = 0;
    void checkActive() const;
    void setCurrent(int row);
    XAdo::Engine* engine() const;

private:
    friend class TField;
    friend class TADOConnection;
    void execute(int known = -1);
    void reexecute(int known);   // an active dataset run again; known: its count, or -1
    void connectionClosing();
    int rows() const;              // the record count, read or not
    void need(int row) const;      // reads rows up to row (from 0)
    void stopReading() const;

    QPointer<TADOConnection> m_connection;
    std::unique_ptr<XResultSet> m_result;
    mutable std::unique_ptr<XAdo::Cursor> m_cursor;   // the rows not read yet
    int m_count = 0;
    std::vector<std::unique_ptr<TField>> m_fields;
    XAdo::WriteMark m_mark;   // the file when counted
    bool m_active = false;
    int m_row = 0;         // current row from 0
    bool m_eof = true;
    bool m_bof = true;
    QString m_filter;
    bool m_filtered = false;
};

class TADOQuery : public TCustomADODataSet
{
    Q_OBJECT
public:
    explicit TADOQuery(QObject* Owner = nullptr);

    TSQLStrings SQL;
    int ExecSQL();                 // runs a statement that returns no rows; rows affected
    int RowsAffected() const { return m_rowsAffected; }

protected:
    QString CommandTextForOpen() const override { return SQL.Text(); }

private:
    int m_rowsAffected = 0;
};

class TADODataSet : public TCustomADODataSet
{
    Q_OBJECT
public:
    explicit TADODataSet(QObject* Owner = nullptr);

    QString CommandText() const { return m_commandText; }
    void setCommandText(const QString& value);

protected:
    QString CommandTextForOpen() const override { return m_commandText; }

private:
    QString m_commandText;
};

// One table: its rows, and its field and index definitions from the file's catalogue.
class TADOTable : public TCustomADODataSet
{
    Q_OBJECT
public:
    explicit TADOTable(QObject* Owner = nullptr);

    QString TableName() const { return m_tableName; }
    void setTableName(const QString& value);

    // Read from the catalogue; need an open connection, not an open table.
    QList<TFieldDef> FieldDefs() const override;
    QList<TIndexDef> IndexDefs() const;

protected:
    QString CommandTextForOpen() const override;

private:
    QString m_tableName;
};

// A write transaction of a connection: the statements run while it lives are
// kept together by Commit, or dropped together when it goes without one.
// The write lock is taken at the start, so a busy file fails there and not
// halfway through; transactions do not nest (a second one raises).
class TADOTransaction
{
public:
    explicit TADOTransaction(TADOConnection* Conn);
    // Rolls back unless committed; never raises.
    ~TADOTransaction();
    TADOTransaction(const TADOTransaction&) = delete;
    TADOTransaction& operator=(const TADOTransaction&) = delete;
    // A commit that fails drops the statements and raises.
    void Commit();
    void Rollback();
    bool Active() const { return m_open; }

private:
    TADOConnection* m_conn;
    bool m_open = false;
};

// A statement that returns no rows.
class TADOCommand : public QObject
{
    Q_OBJECT
public:
    explicit TADOCommand(QObject* Owner = nullptr);

    TADOConnection* Connection() const { return m_connection; }
    void setConnection(TADOConnection* value) { m_connection = value; }
    QString CommandText() const { return m_commandText; }
    void setCommandText(const QString& value);

    TParameters Parameters;
    int Tag = 0;

    int Execute();   // rows affected

private:
    QPointer<TADOConnection> m_connection;
    QString m_commandText;
};
