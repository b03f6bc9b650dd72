#pragma once

#include "XObject.h"
#include <QList>

// A plain list of object pointers; it never frees what it holds.
class TList : public TObject
{
public:
    int Count() const { return int(m_items.size()); }
    TObject* Items(int Index) const { return m_items.at(Index); }
    TObject* operator[](int Index) const { return m_items.at(Index); }
    void SetItem(int Index, TObject* Item) { m_items[Index] = Item; }
    int Add(TObject* Item) { m_items.append(Item); return int(m_items.size()) - 1; }
    void Insert(int Index, TObject* Item) { m_items.insert(Index, Item); }
    void Delete(int Index) { m_items.removeAt(Index); }
    int IndexOf(const TObject* Item) const { return int(m_items.indexOf(const_cast<TObject*>(Item))); }
    int Remove(const TObject* Item);
    virtual void Clear() { m_items.clear(); }
    TObject* First() const { return m_items.first(); }
    TObject* Last() const { return m_items.last(); }
    const QList<TObject*>& List() const { return m_items; }

protected:
    QList<TObject*> m_items;
};

// A list that owns its items: deleting an item, clearing or freeing the list
// frees the objects.
class TObjectList : public TList
{
public:
    explicit TObjectList(bool OwnsObjects = true) : m_owns(OwnsObjects) {}
    ~TObjectList() override;
    bool OwnsObjects() const { return m_owns; }
    void SetOwnsObjects(bool Value) { m_owns = Value; }
    void Delete(int Index);
    int Remove(const TObject* Item);
    void Clear() override;
    // Takes an item out of the list without freeing it.
    TObject* Extract(TObject* Item);

private:
    bool m_owns;
};
