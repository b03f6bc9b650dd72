#include "ConsultationHarness.h"

#include "UFCruza_Emasculador_Cons.h"
#include "UXComboBox.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>

namespace {

// Every hybridisation event with its executor's name and planned crossing,
// looked up one by one, limited by a plain text range of registration times.
QString Events(const QString& Where)
{
    return QStringLiteral(
               "WITH ev AS (SELECT (SELECT e.nome FROM Emasculador e WHERE e.id = c.id_emasculador) AS nome, "
               "(SELECT pc.planejamento FROM Etiqueta_Cruza ec, Planejamento_Cruza pc WHERE ec.nc_rep = c.nc_rep AND pc.nc = ec.nc) AS plano, "
               "(SELECT pc.codigo_cruza FROM Etiqueta_Cruza ec, Planejamento_Cruza pc WHERE ec.nc_rep = c.nc_rep AND pc.nc = ec.nc) AS codigo, "
               "(SELECT ec.nc_print FROM Etiqueta_Cruza ec WHERE ec.nc_rep = c.nc_rep) AS etiqueta, "
               "(SELECT co.qte_sem FROM Colheita co WHERE co.nc_rep = c.nc_rep) AS sementes, "
               "c.status, c.dupd, c.reverso FROM Cruza c WHERE 1 = 1 %1) ")
        .arg(Where);
}

QString SummaryRows(const QString& Where = {})
{
    return Events(Where)
        + QStringLiteral("SELECT nome, plano, codigo, COUNT(codigo), SUM(status = 'X'), SUM(status <> 'X') "
                         "FROM ev GROUP BY nome, plano, codigo ORDER BY nome, plano, codigo");
}

QString DetailRows(const QString& Where = {})
{
    return Events(Where)
        + QStringLiteral("SELECT nome, dupd, plano, codigo, etiqueta, CASE reverso WHEN '0' THEN 'Nao' ELSE 'Sim' END, "
                         "CASE status WHEN 'X' THEN 'Sim' ELSE 'Nao' END, substr(dupd, 1, 7), "
                         "CASE status WHEN 'X' THEN 0 ELSE sementes END FROM ev ORDER BY nome, dupd");
}

QString Day(const QDate& D) { return D.toString(QStringLiteral("yyyy-MM-dd")); }

class EmasculadorCons : public TConsultationTest<TFCruza_Emasculador_Cons>
{
protected:
    qint64 Rehybridised = 0;   // label written off and hybridised again
    const QDate Today = QDate::currentDate();

    EmasculadorCons()
    {
        Options.Labels = 80;
        Options.Crossings = 40;
        Options.TalLock = QVariant();   // never unlocked: consultations open all the same
    }

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(Start([this](TCampaignFile& C) { Shape(C); }));
        ASSERT_NO_FATAL_FAILURE(OpenFrom(Main->LCRUZAETI_EMASC_CONS));
    }

    void Shape(TCampaignFile& C)
    {
        Rehybridised = C.Scalar(QStringLiteral("SELECT MIN(nc_rep) FROM Etiqueta_Cruza WHERE nc_rep NOT IN (SELECT nc_rep FROM Cruza)")).toLongLong();
        const QString insert = QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd) VALUES ");
        C.Exec(insert + QStringLiteral("(%1, 1, '1', 2, 'X', '2026-03-01 08:00:00'), (%1, 2, '0', 2, 'M', '2026-03-02 08:00:00')").arg(Rehybridised));
        C.Exec(QStringLiteral("INSERT INTO Colheita (nc_rep, qte_sem, lote, dupd, cmaq) VALUES (%1, 6, 'L', '2026-04-01 10:00:00', 'C')").arg(Rehybridised));
        // An executor gone from Emasculador, and a label gone from Etiqueta_Cruza.
        C.Exec(insert + QStringLiteral("(1, 1, '0', 77, 'M', '2026-03-03 09:00:00'), (2, 1, '0', 77, 'X', '2026-03-03 09:10:00')"));
        // Around today: the last second before it, its first and last second, the first after it.
        const QString yesterday = Day(Today.addDays(-1)), today = Day(Today), tomorrow = Day(Today.addDays(1));
        C.Exec(insert + QStringLiteral("(3, 1, '0', 1, 'M', '%1 23:59:59'), (4, 1, '0', 1, 'M', '%2 00:00:00'), "
                                       "(5, 1, '1', 3, 'X', '%2 12:00:00'), (6, 1, '0', 3, 'M', '%2 23:59:59'), "
                                       "(7, 1, '0', 1, 'M', '%3 00:00:00')").arg(yesterday, today, tomorrow));
    }

    void Analitico()
    {
        QTest::mouseClick(W->RGFiltro->Item(1), Qt::LeftButton);
        ASSERT_EQ(W->RGFiltro->ItemIndex(), 1);
    }

    // Picks the executor of list item Index with the arrow keys.
    void Executor(int Index)
    {
        W->id_emasculador->setFocus();
        W->id_emasculador->setCurrentIndex(0);
        for (int i = 0; i < Index; ++i)
            QTest::keyClick(W->id_emasculador, Qt::Key_Down);
        ASSERT_EQ(W->id_emasculador->currentIndex(), Index);
    }
};

} // namespace

TEST_F(EmasculadorCons, OpensWithEveryExecutorAndNoResult)
{
    EXPECT_TRUE(W->Outdated());
    EXPECT_FALSE(W->GCons->isVisible());
    EXPECT_EQ(Count(), Registros(0));
    EXPECT_EQ(W->id_emasculador->currentText(), QStringLiteral("Todos"));
    EXPECT_EQ(W->id_emasculador->count(), Campaign->Info.Executors + 1);
    EXPECT_FALSE(W->ckfiltro->isChecked());
    for (QDateEdit* d : {W->datai, W->dataf}) {
        EXPECT_FALSE(d->isEnabled());
        EXPECT_EQ(d->date(), Today);
    }
    EXPECT_TRUE(H.Dlg.Texts().isEmpty()) << H.Dlg.Texts().join(u'\n').toStdString();
}

TEST_F(EmasculadorCons, SummaryCountsEveryEventUnderItsExecutorAndCrossing)
{
    Atualizar();
    ExpectGrid(SummaryRows());
    const QStringList rows = GridRows().split(u';');
    // The vanished executor's events and the labels without a plan come first, under empty names.
    EXPECT_EQ(rows.first(), QStringLiteral("|||0|1|1"));
    const QString key = Campaign->Scalar(QStringLiteral("SELECT e.nome || '|' || pc.planejamento || '|' || pc.codigo_cruza || '|' "
                                                        "FROM Emasculador e, Planejamento_Cruza pc JOIN Etiqueta_Cruza ec "
                                                        "ON ec.nc = pc.nc WHERE e.id = 2 AND ec.nc_rep = %1").arg(Rehybridised));
    QStringList mine;
    for (const QString& r : rows)
        if (r.startsWith(key))
            mine << r;
    ASSERT_EQ(mine.size(), 1);
    EXPECT_TRUE(mine[0].endsWith(QStringLiteral("|2|1|1"))) << mine[0].toStdString();
}

TEST_F(EmasculadorCons, DetailShowsEachEventWithItsHarvest)
{
    ASSERT_NO_FATAL_FAILURE(Analitico());
    EXPECT_TRUE(W->Outdated());
    Atualizar();
    ExpectGrid(DetailRows());
    const QStringList mine = GridRows().split(u';').filter(QString::number(Rehybridised));
    ASSERT_EQ(mine.size(), 2);
    EXPECT_TRUE(mine[0].endsWith(QStringLiteral("|Sim|Sim|2026-03|0"))) << mine[0].toStdString();
    EXPECT_TRUE(mine[1].endsWith(QStringLiteral("|Nao|Nao|2026-03|6"))) << mine[1].toStdString();
}

TEST_F(EmasculadorCons, PeriodTakesWholeDaysAndTheExecutorFilterNarrowsIt)
{
    struct Case
    {
        int First, Last;   // days from today
        int ExecutorItem;  // 0: "Todos"
        int Rows;          // of the events made around today
    };
    const Case cases[] = {
        {0, 0, 0, 3},    // as opened: today, from 00:00:00 to 23:59:59
        {-1, 0, 0, 4},
        {0, 1, 0, 4},
        {1, 0, 0, 0},    // first day after the last
        {-30, 30, 0, 5},
    };
    ASSERT_NO_FATAL_FAILURE(Analitico());
    QTest::mouseClick(W->ckfiltro, Qt::LeftButton);
    EXPECT_TRUE(W->datai->isEnabled() && W->dataf->isEnabled());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.First << ".." << c.Last);
        W->datai->setDate(Today.addDays(c.First));
        W->dataf->setDate(Today.addDays(c.Last));
        Atualizar();
        const QString range = QStringLiteral("AND c.dupd BETWEEN '%1 00:00:00' AND '%2 23:59:59'")
                                  .arg(Day(Today.addDays(c.First)), Day(Today.addDays(c.Last)));
        ExpectGrid(DetailRows(range));
        EXPECT_EQ(RowCount(GridRows()), c.Rows);
    }

    // One executor within the period: its id from the list, not its position.
    W->datai->setDate(Today.addDays(-1));
    W->dataf->setDate(Today.addDays(1));
    const int item = W->id_emasculador->findText(Campaign->Scalar(QStringLiteral("SELECT nome FROM Emasculador WHERE id = 3")));
    ASSERT_GT(item, 0);
    ASSERT_NO_FATAL_FAILURE(Executor(item));
    EXPECT_TRUE(W->Outdated());
    Atualizar();
    ExpectGrid(DetailRows(QStringLiteral("AND c.id_emasculador = 3 AND c.dupd BETWEEN '%1 00:00:00' AND '%2 23:59:59'")
                              .arg(Day(Today.addDays(-1)), Day(Today.addDays(1)))));
    EXPECT_EQ(RowCount(GridRows()), 2);

    // The period off again: the executor's events of every day.
    QTest::mouseClick(W->ckfiltro, Qt::LeftButton);
    EXPECT_FALSE(W->datai->isEnabled());
    Atualizar();
    ExpectGrid(DetailRows(QStringLiteral("AND c.id_emasculador = 3")));
}

TEST_F(EmasculadorCons, ExportsTheSummary)
{
    Atualizar();
    EXPECT_EQ(ExportedRows(Campaign->Dir.filePath(QStringLiteral("sintetico.xlsx"))), ShownRows());
}
