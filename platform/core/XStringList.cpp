#include "XStringList.h"

TStringList::TStringList(const QStringList& Items)
{
    for (const QString& s : Items)
        Add(s);
}

int TStringList::AddObject(const QString& S, TObject* Obj)
{
    m_items.append(Item{S, Obj});
    return int(m_items.size()) - 1;
}

void TStringList::Insert(int Index, const QString& S, TObject* Obj)
{
    m_items.insert(Index, Item{S, Obj});
}

int TStringList::IndexOf(const QString& S) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items.at(i).Text.compare(S, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TStringList::IndexOfObject(const TObject* Obj) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items.at(i).Object == Obj)
            return i;
    return -1;
}

TObject* TStringList::ObjectOf(const QString& S) const
{
    const int i = IndexOf(S);
    return i < 0 ? nullptr : m_items.at(i).Object;
}

QString TStringList::Text() const
{
    QString result;
    for (const Item& item : m_items)
        result += item.Text + QStringLiteral("\r\n");
    return result;
}

void TStringList::SetText(const QString& Value)
{
    m_items.clear();
    QString text = Value;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    if (text.isEmpty())
        return;
    QStringList lines = text.split(QChar('\n'));
    if (text.endsWith(QChar('\n')))
        lines.removeLast();
    for (const QString& line : lines)
        Add(line);
}

QString TStringList::CommaText() const
{
    return ToStringList().join(QChar(','));
}

QStringList TStringList::ToStringList() const
{
    QStringList result;
    result.reserve(m_items.size());
    for (const Item& item : m_items)
        result.append(item.Text);
    return result;
}
