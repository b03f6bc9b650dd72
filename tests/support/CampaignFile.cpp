#include "CampaignFile.h"

#include "XAdoEngine.h"

#include <QFile>
#include <QStringList>

#include <sqlite3.h>

QByteArray FileBytes(const QString& Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString DataSetRows(TCustomADODataSet& DataSet)
{
    QStringList out;
    for (; !DataSet.Eof(); DataSet.Next()) {
        QStringList cells;
        for (int c = 0; c < DataSet.FieldCount(); ++c)
            cells.append(DataSet.Fields(c)->AsString());
        out.append(cells.join(u'|'));
    }
    return out.join(u';');
}

TCampaignFile::TCampaignFile(const TCampaignOptions& Options, const QString& FileName)
{
    Path = Dir.filePath(FileName);
    Info = TCampaignBuilder::Build(Path, Options);
    Conn.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + QuoteConnectionValue(Path)
                             + QStringLiteral(";Persist Security Info=False"));
    Conn.Open();
}

int TCampaignFile::Exec(const QString& SQL)
{
    return TCampaignBuilder::Exec(&Conn, SQL);
}

QString TCampaignFile::Scalar(const QString& SQL)
{
    TADOQuery q;
    q.setConnection(&Conn);
    q.SQL.setText(SQL);
    q.Open();
    return q.IsEmpty() ? QStringLiteral("<none>") : q.Fields(0)->IsNull() ? QStringLiteral("<null>") : q.Fields(0)->AsString();
}

QString TCampaignFile::Rows(const QString& SQL)
{
    TADOQuery q;
    q.setConnection(&Conn);
    q.SQL.setText(SQL);
    q.Open();
    return DataSetRows(q);
}

int TCampaignFile::Count(const QString& Table)
{
    return Scalar(QStringLiteral("SELECT COUNT(*) FROM ") + Table).toInt();
}

int TCampaignFile::Changes()
{
    return sqlite3_total_changes(Conn.Engine()->Db());
}

int TCampaignFile::SchemaCookie()
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(Conn.Engine()->Db(), "PRAGMA schema_version", -1, &st, nullptr);
    const int v = st && sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
    sqlite3_finalize(st);
    return v;
}

void TCampaignFile::Reopen()
{
    Conn.Close();
    Conn.Open();
}

int TCampaignFile::GiveLargeNumbers(const QString& SQL)
{
    const QStringList from = Rows(SQL).split(u';', Qt::SkipEmptyParts);
    int done = 0;
    for (; done < qMin(int(from.size()), int(std::size(LargeCrossingNumbers))); ++done) {
        const QString set = QStringLiteral(" SET nc = %1 WHERE nc = %2").arg(LargeCrossingNumbers[done]).arg(from[done]);
        Exec(QStringLiteral("UPDATE Planejamento_Cruza") + set);
        Exec(QStringLiteral("UPDATE Etiqueta_Cruza") + set);
    }
    return done;
}
