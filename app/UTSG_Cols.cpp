#include "UTSG_Cols.h"

#include "UXLib.h"

using namespace UTSG_Cols;

void TColInfo::SetName(const QString& Value)
{
    Name = Value.trimmed().toUpper();
}

void TColInfo::SetWidth(qint32 Value)
{
    Width = qMax(10, Value);
}

TSGCols::~TSGCols()
{
    Clear();
}

bool TSGCols::Add(TColInfo* Info)
{
    for (const auto& item : FItems)
        if (item.first == Info->Name) {
            ShowError(QStringLiteral("A Coluna [") + Info->Name + QStringLiteral("] está duplicado."));
            return false;
        }
    FItems.append({Info->Name, Info});
    return true;
}

void TSGCols::Clear()
{
    const auto items = std::exchange(FItems, {});
    for (const auto& item : items)
        delete item.second;
}
