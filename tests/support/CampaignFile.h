#pragma once

// A campaign file made by the builder in a temporary folder, with a
// connection on it and small query helpers for assertions.

#include "CampaignBuilder.h"
#include "XAdo.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// The whole content of a file; empty when it cannot be read.
QByteArray FileBytes(const QString& Path);

// Every row from the current one on, columns joined by "|", rows by ";"
// (Null as empty).
QString DataSetRows(TCustomADODataSet& DataSet);

// Crossing numbers past 32 bits, the last the largest odd whole number a FLOAT holds exactly.
inline constexpr qint64 LargeCrossingNumbers[] = {Q_INT64_C(2147483653), Q_INT64_C(1099511627776),
                                                  Q_INT64_C(9007199254740991)};

class TCampaignFile
{
public:
    explicit TCampaignFile(const TCampaignOptions& Options = TCampaignOptions(),
                           const QString& FileName = QStringLiteral("campanha.mdb"));

    QTemporaryDir Dir;
    QString Path;
    TCampaignInfo Info;
    TADOConnection Conn;   // open on Path

    int Exec(const QString& SQL);
    // The first column of the first row as text; "<none>" without rows, "<null>" for Null.
    QString Scalar(const QString& SQL);
    // Every row, columns joined by "|", rows by ";" (Null as empty).
    QString Rows(const QString& SQL);
    int Count(const QString& Table);
    // Rows changed on Conn since it opened (a table rebuilt by DDL counts its rows).
    int Changes();
    // The file's schema counter: every DDL statement raises it.
    int SchemaCookie();
    void Reopen();
    // The first planned crossings that SQL lists (their numbers) renumbered, labels
    // with them, to LargeCrossingNumbers in turn; how many were.
    int GiveLargeNumbers(const QString& SQL);
};
