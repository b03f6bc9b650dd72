#pragma once

#include "XAdoTypes.h"
#include "XJetSql.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace XAdo {

class Engine;

// A table as the layer keeps it in the file: Jet-typed columns and named keys.
struct DdlColumn
{
    QString name;
    JetSql::ColumnType type;
    bool notNull = false;
    QString defaultSql;   // SQL text of the default, empty for none
};

struct DdlKey
{
    QString name;         // empty for an unnamed key of a file made elsewhere
    bool primary = false;
    QStringList columns;
};

struct DdlTable
{
    QString name;
    QList<DdlColumn> columns;
    QList<DdlKey> keys;

    int columnIndex(const QString& name) const;
};

// CREATE TABLE, CREATE [UNIQUE] INDEX ... [WITH PRIMARY], ALTER TABLE ADD/ALTER COLUMN,
// DROP CONSTRAINT; other ALTER TABLE forms go to SQLite as written.
void ExecuteDdl(Engine& engine, const QList<JetSql::Token>& sig, JetSql::StatementKind kind);

DdlTable ReadTable(Engine& engine, const QString& name);   // EOleException when missing
QString CreateTableSql(const DdlTable& table);
QString ColumnSql(const QString& table, const DdlColumn& column);

QList<TFieldDef> TableFieldDefs(Engine& engine, const QString& table);
QList<TIndexDef> TableIndexDefs(Engine& engine, const QString& table);

} // namespace XAdo
