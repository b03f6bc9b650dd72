#include "XLists.h"

int TList::Remove(const TObject* Item)
{
    const int i = IndexOf(Item);
    if (i >= 0)
        m_items.removeAt(i);
    return i;
}

TObjectList::~TObjectList()
{
    TObjectList::Clear();
}

void TObjectList::Delete(int Index)
{
    TObject* item = m_items.takeAt(Index);
    if (m_owns)
        delete item;
}

int TObjectList::Remove(const TObject* Item)
{
    const int i = IndexOf(Item);
    if (i >= 0)
        Delete(i);
    return i;
}

void TObjectList::Clear()
{
    // Taken out one by one from the end, so an item's destructor never sees
    // itself still listed.
    while (!m_items.isEmpty()) {
        TObject* item = m_items.takeLast();
        if (m_owns)
            delete item;
    }
}

TObject* TObjectList::Extract(TObject* Item)
{
    const int i = IndexOf(Item);
    if (i < 0)
        return nullptr;
    return m_items.takeAt(i);
}
