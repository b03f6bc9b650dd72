#include "ConsultationHarness.h"

#include "UFCruza_Parental_Pivot_Cons.h"
#include "UXNumEdit.h"

#include <QComboBox>

namespace {

const QString QuotedPlan = QStringLiteral("Plano D'Água");
const QString SelfPlan = QStringLiteral("Plano Único");

// Per plan and pot: its crossings as mother and as father whose events not
// written off number fewer than Threshold (none at all always counts).
QString PivotRows(int Threshold, const QString& Plan = {})
{
    const QString counted = QStringLiteral(
        "(SELECT COUNT(*) FROM Planejamento_Cruza x WHERE x.planejamento = k.planejamento AND x.%1 = k.pot "
        "AND ((SELECT COUNT(*) FROM Cruza c WHERE c.status <> 'X' AND c.nc_rep IN "
        "(SELECT e.nc_rep FROM Etiqueta_Cruza e WHERE e.nc = x.nc)) < %2 OR NOT EXISTS (SELECT 1 FROM Cruza c WHERE c.status <> 'X' "
        "AND c.nc_rep IN (SELECT e.nc_rep FROM Etiqueta_Cruza e WHERE e.nc = x.nc))))");
    const QString mae = counted.arg(QStringLiteral("id_vaso_mae")).arg(Threshold);
    const QString pai = counted.arg(QStringLiteral("id_vaso_pai")).arg(Threshold);
    QString sql = QStringLiteral("SELECT k.planejamento, par.codigo, par.tratamento, %1 + %2, NULLIF(%1, 0), NULLIF(%2, 0) "
                                 "FROM (SELECT planejamento, id_vaso_mae AS pot FROM Planejamento_Cruza UNION "
                                 "SELECT planejamento, id_vaso_pai FROM Planejamento_Cruza) k JOIN Parental par ON par.id = k.pot ")
                      .arg(mae, pai);
    if (!Plan.isNull())
        sql += QStringLiteral("WHERE k.planejamento = '") + QString(Plan).replace(u'\'', QStringLiteral("''")) + QStringLiteral("' ");
    return sql + QStringLiteral("ORDER BY k.planejamento, par.codigo");
}

using PivotCons = TConsultationTest<TFCruza_Parental_Pivot_Cons>;

} // namespace

TEST_F(PivotCons, CountsCrossingsBelowTheThresholdThenOnePlan)
{
    Options.Labels = 120;
    Options.Crossings = 70;
    Options.RepsPerCrossing = 3;
    Options.Parentals = 9;
    ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LCRUZA_PARENTAL_PIVOT_CONS, [](TCampaignFile& C) {
        // A plan named with a quote, and one whose only crossing has the same pot as both parents.
        C.Exec(QStringLiteral("UPDATE Planejamento_Cruza SET planejamento = '%1' WHERE nc % 5 = 0")
                   .arg(QString(QuotedPlan).replace(u'\'', QStringLiteral("''"))));
        C.Exec(QStringLiteral("UPDATE Planejamento_Cruza SET planejamento = '%1', id_vaso_pai = id_vaso_mae, rep = 7 "
                              "WHERE nc = (SELECT MAX(nc) FROM Planejamento_Cruza)").arg(SelfPlan));
    }));
    const auto threshold = [this](const QString& Typed) { W->nviavel->setFocus(), W->nviavel->selectAll(), QTest::keyClicks(W->nviavel, Typed); };
    // Opened with every plan and the threshold one above the largest repetition.
    EXPECT_EQ(W->id_planejamento->count() - 1, Campaign->Scalar(QStringLiteral("SELECT COUNT(DISTINCT planejamento) FROM Planejamento_Cruza")).toInt());
    EXPECT_EQ(W->nviavel->text(), QStringLiteral("8"));   // the single crossing planned with 7 repetitions
    for (int t : {8, 2, 1, 0, -1}) {
        if (t != 8) {
            threshold(QString::number(t));
            EXPECT_FALSE(W->Outdated());   // editing the threshold leaves the mark alone
        }
        Atualizar();
        ExpectGrid(PivotRows(t));
    }
    // Threshold -1: only crossings still untouched or only aborted count; some pots then have none.
    EXPECT_TRUE(GridRows().contains(QStringLiteral("||")));
    // One plan, even with a quote in its name.
    threshold(QStringLiteral("8"));
    for (const QString& plan : {QuotedPlan, SelfPlan}) {
        const int item = W->id_planejamento->findText(plan);
        W->id_planejamento->setFocus();
        W->id_planejamento->setCurrentIndex(item - 1);
        QTest::keyClick(W->id_planejamento, Qt::Key_Down);
        ASSERT_EQ(W->id_planejamento->currentIndex(), item);
        Atualizar();
        ExpectGrid(PivotRows(8, plan));
    }
    // The pot that is mother and father of the same crossing counts once in each.
    EXPECT_TRUE(GridRows().endsWith(QStringLiteral("|2|1|1"))) << GridRows().toStdString();
}
