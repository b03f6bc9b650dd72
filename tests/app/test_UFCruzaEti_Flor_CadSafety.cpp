// The hybridisation window with another program instance on the same file:
// one live crossing per label, and a count that stays exact.

#include "MainWindowHarness.h"

#include "CampaignFile.h"
#include "UFCruzaEti_Flor_Cad.h"
#include "UXComboBox.h"
#include "XAdo.h"
#include "XAdoEngine.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

struct TFree
{
    qint64 Number;
    int Mother, Father;
};

class HibridacaoSafety : public ::testing::Test
{
protected:
    TMainWindowHarness H;
    std::unique_ptr<TCampaignFile> Campaign;   // its connection is the other instance
    TFCruzaEti_Flor_Cad* W = nullptr;

    void SetUp() override
    {
        TCampaignOptions o;
        // More crossings than a grid reads on opening: the count is not just the rows read.
        o.Labels = 160;
        o.Crossings = 120;
        Campaign = std::make_unique<TCampaignFile>(o);
        H.SaveSettings(Campaign->Path);
        TFMain* Main = H.Start();
        ASSERT_TRUE(Main->AppConfig->Loaded) << H.Dlg.Texts().join(u'\n').toStdString();
        Main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
        Main->LCRUZAETI_FLOR_CAD->trigger();
        W = Main->findChild<TFCruzaEti_Flor_Cad*>();
        ASSERT_TRUE(W && W->isVisible());
        H.Dlg.Clear();
    }

    QList<TFree> FreeLabels()
    {
        TADOQuery q;
        q.setConnection(&Campaign->Conn);
        q.SQL.setText(QStringLiteral("SELECT ec.nc_rep, pc.id_vaso_mae, pc.id_vaso_pai FROM Etiqueta_Cruza ec "
                                     "INNER JOIN Planejamento_Cruza pc ON ec.nc = pc.nc "
                                     "WHERE ec.nc_rep NOT IN (SELECT nc_rep FROM Cruza) ORDER BY ec.nc_rep"));
        q.Open();
        QList<TFree> out;
        for (; !q.Eof(); q.Next())
            out.append({q.Fields(0)->AsLargeInt(), q.Fields(1)->AsInteger(), q.Fields(2)->AsInteger()});
        return out;
    }

    static void Scan(const QString& Code)
    {
        QTest::keyClicks(QApplication::focusWidget(), Code);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    // Executor, reverse flag, mother, father, label: one whole flower.
    void Register(const TFree& L)
    {
        ASSERT_EQ(QApplication::focusWidget(), W->id_emasculador);
        QTest::keyClick(W->id_emasculador, Qt::Key_Down);
        QTest::keyClick(W->id_emasculador, Qt::Key_Return);
        QTest::keyClick(W->reverso, Qt::Key_Return);
        Scan(TCampaignBuilder::Barcode(L.Mother, false));
        Scan(TCampaignBuilder::Barcode(L.Father, false));
        Scan(TCampaignBuilder::Barcode(L.Number, false));
    }

    void OtherInstanceRegisters(qint64 Label, const QString& Dupd)
    {
        Campaign->Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq) "
                                      "VALUES (%1, 1, '0', 1, 'M', '%2', 'OUTRA')").arg(Label).arg(Dupd));
    }

    QString Counted() { return QStringLiteral("Registros: ") + QString::number(Campaign->Count(QStringLiteral("Cruza"))); }
};

// Runs Hook once, when the window's connection first starts a statement that Match accepts.
struct TStatementHook
{
    std::function<bool(const QString&)> Match;
    std::function<void()> Hook;
    bool Fired = false;

    static int Traced(unsigned, void* Self, void* Stmt, void*)
    {
        auto* h = static_cast<TStatementHook*>(Self);
        if (!h->Fired && h->Match(QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(Stmt))))) {
            h->Fired = true;
            h->Hook();
        }
        return 0;
    }
    void Install(sqlite3* Db) { sqlite3_trace_v2(Db, SQLITE_TRACE_STMT, &TStatementHook::Traced, this); }
};

} // namespace

TEST_F(HibridacaoSafety, TheOtherInstanceRegisteringAtTheLastMomentIsRefusedAsAlreadyUsed)
{
    const TFree L = FreeLabels().value(0);
    // The other instance confirms the same label right after this window's label check,
    // as the confirmation begins writing.
    TStatementHook hook;
    hook.Match = [](const QString& Sql) {
        return Sql.startsWith(QLatin1String("BEGIN")) || Sql.contains(QLatin1String("MAX( seq )"));
    };
    hook.Hook = [&] { OtherInstanceRegisters(L.Number, QStringLiteral("2026-03-01 10:00:00")); };
    hook.Install(DM->Conn->Engine()->Db());
    Register(L);
    sqlite3_trace_v2(DM->Conn->Engine()->Db(), 0, nullptr, nullptr);
    ASSERT_TRUE(hook.Fired);

    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("A Etiqueta já foi utilizado em : 2026-03-01 10:00:00")});
    EXPECT_EQ(Campaign->Rows(QStringLiteral("SELECT seq, cmaq FROM Cruza WHERE nc_rep = %1 AND status <> 'X'").arg(L.Number)),
              QStringLiteral("1|OUTRA"));
    // Nothing held: the other instance writes on.
    OtherInstanceRegisters(FreeLabels().value(0).Number, QStringLiteral("2026-03-01 10:00:01"));
}

TEST_F(HibridacaoSafety, CountStaysExactWithASecondWriter)
{
    const QList<TFree> free = FreeLabels();
    ASSERT_GE(free.size(), 8);
    EXPECT_EQ(W->LReg->text(), Counted());
    int next = 0;
    // Own registrations only, then with the other instance adding and removing rows between them.
    const std::function<void()> between[] = {
        [] {},
        [] {},
        [&] { OtherInstanceRegisters(free[7].Number, QStringLiteral("2026-03-02 08:00:00")); },
        [] {},
        [&] { Campaign->Exec(QStringLiteral("DELETE FROM Cruza WHERE nc_rep = %1").arg(free[0].Number)); },
        [&] { OtherInstanceRegisters(free[6].Number, QStringLiteral("2026-03-02 08:00:01")); },
    };
    for (const auto& other : between) {
        SCOPED_TRACE(next);
        other();
        ASSERT_NO_FATAL_FAILURE(Register(free[next++]));
        EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
        EXPECT_EQ(W->LReg->text(), Counted());
        EXPECT_EQ(W->QGrid->RecordCount(), Campaign->Count(QStringLiteral("Cruza")));
        // Idle between flowers: the grid's rows are still read right.
        QCoreApplication::processEvents();
        EXPECT_EQ(W->GCad->FieldText(1, QStringLiteral("nc_rep")),
                  Campaign->Scalar(QStringLiteral("SELECT c.nc_rep FROM Cruza c ORDER BY c.DUPD desc LIMIT 1")));
    }
}
