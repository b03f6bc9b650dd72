#pragma once

#include <QString>

// Field data types of datasets, fields and parameters, in the platform's order.
enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
    ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
    ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
    ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd
};

// "ftInteger" for ftInteger, and so on.
QString FieldTypeName(TFieldType type);

enum TConnectMode {
    cmUnknown, cmRead, cmWrite, cmReadWrite, cmShareDenyRead, cmShareDenyWrite,
    cmShareExclusive, cmShareDenyNone
};

// Schema rowsets the connection provides.
enum TSchemaInfo { siTables };

// One field of a dataset as the provider describes it.
struct TFieldDef
{
    QString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;            // declared length of text columns, 0 for the others
    bool Required = false;   // NOT NULL
    int FieldNo = 0;         // 1-based position
};

// One index of a table.
struct TIndexDef
{
    QString Name;
    QString Fields;          // "NC_REP, SEQ"
    bool Primary = false;
    bool Unique = false;     // also true for the primary key
};
