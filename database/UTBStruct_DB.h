#pragma once

// The schema model of an Access database (database, tables, fields,
// indexes) and the tools that read the structure of an open file, compare
// it with an expected one and add or alter columns.

#include "UXObject.h"
#include "XAdoTypes.h"
#include "XStringList.h"

#include <QString>
#include <QtGlobal>

class TADOConnection;

// Type codes of the model.
enum : quint8 {
    fcNone = 0,       // a kind the model does not describe
    fcAutoInc = 1,
    fcText = 2,       // TEXT(Size)
    fcLong = 3,
    fcFloat = 4,
    fcDateTime = 5,
    fcMemo = 6
};

class TField_Struct : public TXObject
{
public:
    bool AllowNull = true;
    qint32 Size = 0;
    QString Name;
    quint8 FieldType = fcNone;
};

class TIndex_Struct : public TXObject
{
public:
    QString Fields;   // "NC_REP, SEQ"
    bool Primary = false;
    bool Unique = false;
    QString Name;
};

class TTab_Struct : public TXObject
{
public:
    explicit TTab_Struct(const QString& Name = QString());
    ~TTab_Struct() override;

    QString Name;
    TStringList Fields;    // column name -> TField_Struct, owned
    TStringList Indexes;   // index name -> TIndex_Struct, owned

    // First match, letter case ignored; nullptr when absent.
    TField_Struct* FindField(const QString& FieldName) const;
    TIndex_Struct* FindIndex(const QString& IndexName) const;
    TField_Struct* FieldAt(int Index) const;
    TIndex_Struct* IndexAt(int Index) const;
};

class TDB_Struct : public TXObject
{
public:
    TDB_Struct();
    // Frees the tables; closes a connection still set and open.
    ~TDB_Struct() override;

    TStringList Tables;   // registered name -> TTab_Struct, owned
    TADOConnection* Connection = nullptr;
    QString DatabaseName;
    QString Password;
    QString ExtraParams;

    // First match of the registered name, letter case ignored; nullptr when absent.
    TTab_Struct* FindTable(const QString& TableName) const;
    TTab_Struct* TableAt(int Index) const;
};

// Model building.
bool AddTable(TDB_Struct* DB, const QString& Name, TTab_Struct* Tab);
void AddField(TTab_Struct* Tab, const QString& Name, quint8 FieldType, qint32 Size, bool AllowNull);
void AddIndex(TTab_Struct* Tab, const QString& Fields, const QString& Name, bool Primary, bool Unique);
bool UpdateField(TTab_Struct* Tab, const QString& Name, quint8 FieldType, qint32 Size, bool AllowNull);

// Connection.
bool IsConnected(TDB_Struct* DB);
void SetConnection(TDB_Struct* DB, TADOConnection* Conn);
void ClearConnection(TDB_Struct* DB);
void ConnectDB(TDB_Struct* DB, bool Open);

// Reading and comparing. ReadSchema and ReadTable let the provider's errors through.
bool ReadSchema(TDB_Struct* DB);
TTab_Struct* ReadTable(TDB_Struct* DB, const QString& Name);
bool CompareTable(TTab_Struct* Expected, TTab_Struct* Actual, TStringList* Log);
bool CompareSchema(TDB_Struct* Expected, TDB_Struct* Actual, TStringList* Log);

// Changing the database; each statement commits on its own.
bool ExecSQL(TADOConnection* Conn, const QString& SQL);
bool AddColumn(TTab_Struct* Tab, TADOConnection* Conn, const QString& Field, quint8 FieldType, qint32 Size,
               bool AllowNull);
bool AlterColumn(TTab_Struct* Tab, TADOConnection* Conn, const QString& Field, quint8 FieldType, qint32 Size,
                 bool AllowNull);

// Type conversions.
quint8 FieldTypeCode(TFieldType DataType);
QString SQLTypeText(quint8 FieldType, qint32 Size);
