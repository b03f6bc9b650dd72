#include "UXNumEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <map>
#include <gtest/gtest.h>

namespace {

int Beeps = 0;

// Keeps the key presses (lone modifiers aside) that reach the watched widget.
struct KeyWatcher : QObject {
    QList<int> Keys;
    bool eventFilter(QObject*, QEvent* E) override
    {
        const int K = E->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(E)->key() : 0;
        if (K && K != Qt::Key_Control && K != Qt::Key_Shift)
            Keys.append(K);
        return false;
    }
};

class NumEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Edit = new TXNumEdit(&Window);
        Other = new QLineEdit(&Window);
        Other->move(0, 40);
        QObject::connect(Edit, &TNumberEdit::OnKeyPress, [this](QChar& K) { Keys.append(K); });
        Window.show();
        Window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
        Other->setFocus();
        OldBeep = TNumberEdit::SetBeepProc([] { ++Beeps; });
        Beeps = 0;
    }
    void TearDown() override { TNumberEdit::SetBeepProc(OldBeep); }

    // Tabs into the edit holding Value, caret after the text.
    void Hold(TNumberEditType Type, long double Value)
    {
        Other->setFocus();
        Edit->SetEntryRequired(Type);
        Edit->SetValue(Value);
        Type_("\t$");
        Keys.clear();
    }
    // Types into the focused widget; '^' Home, '$' End, '!' Shift+End,
    // '{' '}' Shift+Left/Right, '~' Backspace, '\t' Tab.
    void Type_(const char* Text)
    {
        static const std::map<char, std::pair<Qt::Key, Qt::KeyboardModifier>> Named = {
            {'^', {Qt::Key_Home, Qt::NoModifier}},       {'$', {Qt::Key_End, Qt::NoModifier}},
            {'!', {Qt::Key_End, Qt::ShiftModifier}},     {'{', {Qt::Key_Left, Qt::ShiftModifier}},
            {'}', {Qt::Key_Right, Qt::ShiftModifier}},   {'~', {Qt::Key_Backspace, Qt::NoModifier}},
            {'\t', {Qt::Key_Tab, Qt::NoModifier}}};
        for (const char* C = Text; *C; ++C) {
            const auto It = Named.find(*C);
            if (It != Named.end())
                QTest::keyClick(QApplication::focusWidget(), It->second.first, It->second.second);
            else
                QTest::keyClick(QApplication::focusWidget(), *C);
        }
    }

    QWidget Window;
    TXNumEdit* Edit = nullptr;
    QLineEdit* Other = nullptr;
    QList<QChar> Keys;
    TNumberEdit::TBeepProc OldBeep = nullptr;
};

} // namespace

TEST_F(NumEditTest, KeyFilterKeepsEachTypeWithinItsRange)
{
    struct Case { TNumberEditType Type; double Held; const char* Typed; const char* Shown; };
    const Case Cases[] = {
        {wordvalue, 6553, "6", "6553"},          {wordvalue, 6553, "5", "65535"},
        {wordvalue, 6553, "^-", "6553"},         {integervalue, 3276, "-", "3276"},
        {integervalue, 3276, "^-", "-3276"},     {integervalue, -3276, "9", "-3276"},
        {integervalue, -3276, "8", "-32768"},    {integervalue, 3276, "8", "3276"},
        {integervalue, 3276, "7", "32767"},      {integervalue, -3276, "^1", "-3276"},
        {integervalue, -3276, "^}1", "13276"},   {integervalue, 0, "~99999999999", "9999"},
        {floatingpointvalue, 0, "^!12,5,.x-", "12,5"}, {floatingpointvalue, 0, "^!12,5{{,75", "12,75"},
        {floatingpointvalue, 0, "^!-5^1", "-5"}, {integervalue, 123, "~", "12"},
    };
    for (const Case& C : Cases) {
        Hold(C.Type, C.Held);
        Type_(C.Typed);
        EXPECT_EQ(Edit->text(), QString::fromLatin1(C.Shown)) << C.Held << " + " << C.Typed;
    }
    EXPECT_EQ(double(Edit->Value()), 12.0);
}

TEST_F(NumEditTest, RefusedKeysGoToTheWindowAndNeverToOnKeyPress)
{
    Hold(integervalue, 5);
    KeyWatcher Watcher;
    Window.installEventFilter(&Watcher);
    QSignalSpy Returns(Edit, &QLineEdit::returnPressed);
    QApplication::clipboard()->setText(QStringLiteral("99"));
    QTest::keyClick(Edit, Qt::Key_Return);
    QTest::keyClick(Edit, Qt::Key_Enter);
    QTest::keyClick(Edit, Qt::Key_V, Qt::ControlModifier);
    Type_("x");
    EXPECT_EQ(Watcher.Keys, (QList<int>{Qt::Key_Return, Qt::Key_Enter, Qt::Key_V, Qt::Key_X}));
    EXPECT_TRUE(Keys.isEmpty());
    EXPECT_EQ(Returns.count(), 0);
    EXPECT_EQ(Edit->text(), QStringLiteral("5"));

    // A key dropped after looking at the text stays with the edit, as a null.
    Type_("-~");
    QTest::keyClick(Edit, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(Watcher.Keys.size(), 4);
    EXPECT_EQ(Keys, (QList<QChar>{QChar(), QChar(8), QChar(127)}));
}

TEST_F(NumEditTest, EntrySelectsAllAndExitShowsTheValueFormatted)
{
    Hold(integervalue, 4321);
    Type_("\t\t");
    EXPECT_EQ(Edit->selectedText(), QStringLiteral("4321"));
    Other->setFocus();
    Edit->setFocus();
    EXPECT_EQ(Edit->selectedText(), QStringLiteral("4321"));

    Edit->setText(QStringLiteral("(12)")); // as pasted
    Type_("\t");
    EXPECT_EQ(double(Edit->Value()), -12.0);
    EXPECT_EQ(Edit->text(), QStringLiteral("-12"));

    Hold(integervalue, 0);
    Type_("~-\t");
    EXPECT_EQ(Edit->text(), QStringLiteral("0"));
    EXPECT_FALSE(std::signbit(Edit->Value()));
}

TEST_F(NumEditTest, LeavingAndReturningToTheWindowIsNoExitNorEntry)
{
    Hold(floatingpointvalue, 0);
    Type_("^!1234,5");
    QTest::keyClick(Edit, Qt::Key_Left);
    QWidget Second;
    Second.show();
    Second.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Second));
    EXPECT_EQ(Edit->text(), QStringLiteral("1234,5"));
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    ASSERT_EQ(QApplication::focusWidget(), Edit);
    EXPECT_EQ(Edit->selectedText(), QString());
    EXPECT_EQ(Edit->cursorPosition(), 5);
    Type_("\t");
    EXPECT_EQ(Edit->text(), QStringLiteral("1.234,50"));
}

TEST_F(NumEditTest, ValueAndTextFollowEachOther)
{
    EXPECT_EQ(Edit->text(), QStringLiteral("0,00")); // a new edit is floating point
    Edit->SetValue(-1234.5);
    EXPECT_EQ(Edit->text(), QStringLiteral("(1.234,50)"));
    Edit->SetDisplayFormat(QStringLiteral("0.0"));
    Edit->SetEntryRequired(integervalue); // resets the format
    Edit->SetValue(-12);
    EXPECT_EQ(Edit->text(), QStringLiteral("-12"));
    Edit->setFocus(); // not while the user types in it
    Edit->SetValue(99);
    EXPECT_EQ(Edit->text(), QStringLiteral("-12"));

    for (const auto& [Text, Value] : {std::pair{"(1.234,50)", -1234.5}, {"-7", -7.0}, {" 1.000 ", 1000.0}, {"", 0.0},
                                      {",5", 0.5}, {"1,2,3", 0.5}, {",", 0.5}}) {
        Edit->setText(QString::fromLatin1(Text));
        EXPECT_EQ(double(Edit->Value()), Value) << Text;
    }
    EXPECT_EQ(Beeps, 2); // the last two are unreadable
}
