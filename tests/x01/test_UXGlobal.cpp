#include "UXGlobal.h"
#include "UXObject.h"
#include "UXThread.h"
#include "XExceptions.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <thread>

// Classes of the global namespace, as the report names them.
class TLeakFirst : public TXObject {};
class TLeakSecond : public TXObject {};
class TLeakFirstChild : public TLeakFirst {};

namespace {

// Runs this program again with only the named child test (disabled in a plain
// run: a body for the child alone), which ends as a program ends: the leak
// report, if any, comes after main.
struct TChild
{
    int Code;
    QByteArray Out, Err;
};

TChild RunChild(const char* Test)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gtest_also_run_disabled_tests"), QStringLiteral("--gtest_filter=UXGlobalChild.DISABLED_") + Test});
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

TEST(UXGlobalChild, DISABLED_LeavesObjectsAlive)
{
    new TLeakFirst;
    new TLeakSecond;
    new TLeakFirst;
    new TLeakFirstChild; // its exact class counts apart
    new TLeakFirst;
    delete new TLeakSecond;
}

TEST(UXGlobalChild, DISABLED_FreesEverything)
{
    delete new TLeakFirst;
}

TEST(UXGlobalChild, DISABLED_UsesObjectsAfterTheEnd)
{
    UXGlobalEnd();
    EXPECT_EQ(MainExec, nullptr);
    EXPECT_EQ(ThreadManager, nullptr);
    auto* late = new TLeakSecond; // no registry: comes and goes without it
    EXPECT_EQ(XLiveObjectCount(), 0);
    delete late;
}

TEST(UXGlobal, LeakReportAtTheEnd)
{
    const TChild leak = RunChild("LeavesObjectsAlive");
    EXPECT_EQ(leak.Code, 1);
    // Class, count, CR LF, in the order of each class's oldest instance; then
    // the assertion's file and line. The global objects never appear.
    EXPECT_TRUE(QString::fromUtf8(leak.Err).contains(QRegularExpression(QStringLiteral(
        "^TLeakFirst:3\r\nTLeakSecond:1\r\nTLeakFirstChild:1\r\n \\(\\S*/UXGlobal\\.cpp, line \\d+\\)\n$"),
        QRegularExpression::MultilineOption)))
        << leak.Err.constData();
    EXPECT_FALSE(leak.Err.contains("TX"));

    for (const char* test : {"FreesEverything", "UsesObjectsAfterTheEnd"}) {
        const TChild child = RunChild(test);
        EXPECT_EQ(child.Code, 0) << child.Out.constData();
        EXPECT_FALSE(child.Err.contains("line ")) << test;
        EXPECT_FALSE(child.Out.contains("SKIPPED")) << test; // it really ran
    }
}

TEST(UXGlobal, RegistryHoldsTheLiveObjects)
{
    // Only the three global objects live between tests.
    ASSERT_EQ(XLiveObjectCount(), 3);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 2000; ++i)
                delete new TLeakSecond;
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(XLiveObjectCount(), 3);
}
