#pragma once

#include "XObject.h"
#include <QList>
#include <QString>
#include <QStringList>

// A list of texts, each with an attached object. Look-ups ignore letter case
// and find the first match. The list never frees the attached objects
// (ClearStrings does that).
class TStringList : public TObject
{
public:
    TStringList() = default;
    explicit TStringList(const QStringList& Items);

    int Count() const { return int(m_items.size()); }
    QString Strings(int Index) const { return m_items.at(Index).Text; }
    QString operator[](int Index) const { return m_items.at(Index).Text; }
    void SetString(int Index, const QString& S) { m_items[Index].Text = S; }
    TObject* Objects(int Index) const { return m_items.at(Index).Object; }
    void SetObject(int Index, TObject* Obj) { m_items[Index].Object = Obj; }

    int Add(const QString& S) { return AddObject(S, nullptr); }
    int AddObject(const QString& S, TObject* Obj);
    void Insert(int Index, const QString& S, TObject* Obj = nullptr);
    void Delete(int Index) { m_items.removeAt(Index); }
    void Clear() { m_items.clear(); }
    void Exchange(int Index1, int Index2) { m_items.swapItemsAt(Index1, Index2); }

    // Position of the first item equal to S (letter case ignored), or -1.
    int IndexOf(const QString& S) const;
    int IndexOfObject(const TObject* Obj) const;
    bool Contains(const QString& S) const { return IndexOf(S) >= 0; }
    // The object of the first item equal to S, or nullptr.
    TObject* ObjectOf(const QString& S) const;

    // Texts joined by CR LF, each line ended by it; SetText splits on CR LF, LF or CR.
    QString Text() const;
    void SetText(const QString& Value);
    // Texts joined by commas.
    QString CommaText() const;
    QStringList ToStringList() const;

private:
    struct Item
    {
        QString Text;
        TObject* Object = nullptr;
    };
    QList<Item> m_items;
};
