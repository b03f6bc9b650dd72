#include "XLists.h"
#include "XStringList.h"
#include <gtest/gtest.h>

namespace {
class TNode : public TObject
{
public:
    explicit TNode(int* Freed = nullptr) : m_freed(Freed) {}
    ~TNode() override { m_freed && ++*m_freed; }

private:
    int* m_freed;
};
} // namespace

TEST(XStringList, ObjectsAndCaseInsensitiveLookUp)
{
    TNode a, b;
    TStringList list;
    list.AddObject(QStringLiteral("Cruza"), &a);
    list.Add(QStringLiteral("Época"));
    list.AddObject(QStringLiteral("CRUZA"), &b);
    EXPECT_EQ(list.IndexOf(QStringLiteral("cruza")), 0); // the first match wins
    EXPECT_EQ(list.ObjectOf(QStringLiteral("cRuZa")), &a);
    EXPECT_EQ(list.IndexOf(QStringLiteral("ÉPOCA")), 1);
    EXPECT_EQ(list.IndexOf(QStringLiteral("Cruz")), -1);
    list.Delete(0);
    EXPECT_EQ(list.ObjectOf(QStringLiteral("cruza")), &b);
    list.Insert(0, QStringLiteral("first"), &a);
    EXPECT_EQ(list.ToStringList(), (QStringList{"first", "Época", "CRUZA"}));
    EXPECT_EQ(list.Objects(0), &a);

    list.SetText(QStringLiteral("a\r\nb\nc\rd\r\n"));
    EXPECT_EQ(list.ToStringList(), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(list.Text(), QStringLiteral("a\r\nb\r\nc\r\nd\r\n"));
    list.SetText(QStringLiteral("\r\nx"));
    EXPECT_EQ(list.ToStringList(), (QStringList{"", "x"}));
}

TEST(XLists, PlainListKeepsAndOwningListFrees)
{
    int freed = 0;
    auto* n1 = new TNode(&freed);
    auto* n2 = new TNode(&freed);
    {
        TList plain;
        plain.Add(n1);
        plain.Add(n2);
    }
    EXPECT_EQ(freed, 0);
    {
        TObjectList owned;
        owned.Add(n1);
        owned.Add(n2);
        owned.Add(new TNode(&freed));
        owned.Delete(0);
        EXPECT_EQ(freed, 1);
    }
    EXPECT_EQ(freed, 3);
}
