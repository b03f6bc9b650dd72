#pragma once

// The columns of a string grid whose rows are built by code: title, the
// dataset field that fills each one (empty when the builder computes it),
// grid column and width.

#include "UXObject.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QtGlobal>

// The module's own namespace: the master-data module has a TColInfo of its own.
namespace UTSG_Cols {

class TColInfo : public TXObject
{
public:
    TColInfo() = default;

    // Trimmed and upper-cased: the title, and the key within its list.
    QString Name;
    QString FieldName;
    qint32 Col = 0;
    // Never below 10 pixels.
    qint32 Width = 10;
    // The data layer's field-type code of the value (1 text, 3 integer, 6 float).
    quint8 DataType = 0;
    bool Visible = false;

    void SetName(const QString& Value);
    void SetWidth(qint32 Value);
};

// The column descriptors of one grid, in the order added; owns them.
class TSGCols : public TXObject
{
public:
    TSGCols() = default;
    ~TSGCols() override;

    // Refuses a name already in the list (the error box, False; the caller
    // keeps the descriptor); otherwise takes the descriptor over.
    bool Add(TColInfo* Info);
    int Count() const { return int(FItems.size()); }
    TColInfo* Items(int Index) const { return FItems.at(Index).second; }
    void Clear();

private:
    QList<QPair<QString, TColInfo*>> FItems;
};

} // namespace UTSG_Cols
