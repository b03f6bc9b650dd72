#include "ConsultationHarness.h"

#include "PeopleNames.h"

#include "UFCruza_Emasculador_Cons.h"
#include "UXComboBox.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QLineEdit>

namespace {

// Every event with its executor's name and planned crossing looked up one by
// one, limited by a plain text range of registration times.
QString Events(const QString& Where)
{
    const QString plan = QStringLiteral("(SELECT pc.%1 FROM Etiqueta_Cruza ec, Planejamento_Cruza pc WHERE ec.nc_rep = c.nc_rep AND pc.nc = ec.nc)");
    return QStringLiteral("WITH ev AS (SELECT (SELECT e.nome FROM Emasculador e WHERE e.id = c.id_emasculador) AS nome, %1 AS plano, %2 AS codigo, "
                          "(SELECT ec.nc_print FROM Etiqueta_Cruza ec WHERE ec.nc_rep = c.nc_rep) AS etiqueta, "
                          "(SELECT co.qte_sem FROM Colheita co WHERE co.nc_rep = c.nc_rep) AS sementes, "
                          "c.status, c.dupd, c.reverso FROM Cruza c WHERE 1 = 1 %3) ")
        .arg(plan.arg(QStringLiteral("planejamento")), plan.arg(QStringLiteral("codigo_cruza")), Where);
}

QString SummaryRows()
{
    return Events({}) + QStringLiteral("SELECT nome, plano, codigo, COUNT(codigo), SUM(status = 'X'), SUM(status <> 'X') "
                                       "FROM ev GROUP BY nome, plano, codigo ORDER BY nome, plano, codigo");
}

QString DetailRows(const QString& Where = {})
{
    return Events(Where) + QStringLiteral("SELECT nome, dupd, plano, codigo, etiqueta, CASE reverso WHEN '0' THEN 'Nao' ELSE 'Sim' END, "
                                          "CASE status WHEN 'X' THEN 'Sim' ELSE 'Nao' END, substr(dupd, 1, 7), "
                                          "CASE status WHEN 'X' THEN 0 ELSE sementes END FROM ev ORDER BY nome, dupd");
}

QString Day(const QDate& D) { return D.toString(QStringLiteral("yyyy-MM-dd")); }

class EmasculadorCons : public TConsultationTest<TFCruza_Emasculador_Cons>
{
protected:
    qint64 Rehybridised = 0;   // label written off and hybridised again by executor 2
    // The day the window took for today, between the clock's days before and after it opened.
    QDate Before, Today, After;

    void SetUp() override
    {
        Options.Labels = 80;
        Options.Crossings = 40;
        Options.TalLock = QVariant();   // never unlocked: the consultations open all the same
        Before = QDate::currentDate();
        ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LCRUZAETI_EMASC_CONS));
        After = QDate::currentDate();
        // The window reads only on "Atualizar": the events go in now, around the day it took for
        // today, so that a run across midnight sees the same.
        Today = W->datai->date();
        Rehybridised = Campaign->Scalar(QStringLiteral("SELECT MIN(nc_rep) FROM Etiqueta_Cruza WHERE nc NOT IN (SELECT e.nc FROM Etiqueta_Cruza e "
                                                       "JOIN Cruza c ON c.nc_rep = e.nc_rep)")).toLongLong();
        const QString insert = QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd) VALUES ");
        Campaign->Exec(insert + QStringLiteral("(%1, 1, '1', 2, 'X', '2026-03-01 08:00:00'), (%1, 2, '0', 2, 'M', '2026-03-02 08:00:00')").arg(Rehybridised));
        Campaign->Exec(QStringLiteral("INSERT INTO Colheita (nc_rep, qte_sem, lote, dupd, cmaq) VALUES (%1, 6, 'L', '2026-04-01 10:00:00', 'C')").arg(Rehybridised));
        // An executor gone from Emasculador, on labels gone from Etiqueta_Cruza.
        Campaign->Exec(insert + QStringLiteral("(1, 1, '0', 77, 'M', '2026-03-03 09:00:00'), (2, 1, '0', 77, 'X', '2026-03-03 09:10:00')"));
        // Around today: the last second before it, its first and last second, the first after it.
        Campaign->Exec(insert + QStringLiteral("(3, 1, '0', 1, 'M', '%1 23:59:59'), (4, 1, '0', 1, 'M', '%2 00:00:00'), (5, 1, '1', 3, 'X', '%2 12:00:00'), "
                                               "(6, 1, '0', 3, 'M', '%2 23:59:59'), (7, 1, '0', 1, 'M', '%3 00:00:00')")
                           .arg(Day(Today.addDays(-1)), Day(Today), Day(Today.addDays(1))));
    }
};

} // namespace

TEST_F(EmasculadorCons, SummaryThenTheDetailByWholeDaysAndExecutor)
{
    // Opened with every executor, the period off and both pickers on today.
    EXPECT_EQ(W->id_emasculador->count(), Campaign->Info.Executors + 1);
    EXPECT_TRUE(!W->datai->isEnabled() && Before <= Today && Today <= After && W->dataf->date() == Today);
    Atualizar();
    ExpectGrid(SummaryRows());
    // The detail in whole days: as opened (today only), longer periods, a first day after the last;
    // with the number of the events made around today each shows.
    QTest::mouseClick(W->RGFiltro->Item(1), Qt::LeftButton);
    QTest::mouseClick(W->ckfiltro, Qt::LeftButton);
    auto range = [this](int First, int Last) {
        return QStringLiteral("AND c.dupd BETWEEN '%1 00:00:00' AND '%2 23:59:59'").arg(Day(Today.addDays(First)), Day(Today.addDays(Last)));
    };
    for (const auto& [first, last, rows] : {std::tuple{0, 0, 3}, {-1, 0, 4}, {0, 1, 4}, {1, 0, 0}, {-30, 30, 5}}) {
        W->datai->setDate(Today.addDays(first));
        W->dataf->setDate(Today.addDays(last));
        Atualizar();
        ExpectGrid(DetailRows(range(first, last)));
        EXPECT_EQ(RowCount(GridRows()), rows) << first << ".." << last;
    }
    // One executor, picked with the arrow keys: its id, not its place in the list.
    auto pick = [this](int Id) {
        const int item = W->id_emasculador->findText(Campaign->Scalar(QStringLiteral("SELECT nome FROM Emasculador WHERE id = %1").arg(Id)));
        W->id_emasculador->setFocus();
        while (W->id_emasculador->currentIndex() != item)
            QTest::keyClick(W->id_emasculador, W->id_emasculador->currentIndex() < item ? Qt::Key_Down : Qt::Key_Up);
    };
    pick(3);   // within the last period
    Atualizar();
    ExpectGrid(DetailRows(QStringLiteral("AND c.id_emasculador = 3 ") + range(-30, 30)));
    EXPECT_EQ(RowCount(GridRows()), 2);
    // The period off: every day of another executor, with the re-hybridised label's two lines (no seeds on the aborted one).
    QTest::mouseClick(W->ckfiltro, Qt::LeftButton);
    pick(2);
    Atualizar();
    ExpectGrid(DetailRows(QStringLiteral("AND c.id_emasculador = 2")));
    QStringList own = GridRows().split(u';').filter(QString::number(Rehybridised));
    for (QString& line : own)
        line = line.section(u'|', -4);
    EXPECT_EQ(own, QStringList({"Sim|Sim|2026-03|0", "Nao|Nao|2026-03|6"}));
}

using EmasculadorNames = TConsultationTest<TFCruza_Emasculador_Cons>;

TEST_F(EmasculadorNames, BothReportsListTheExecutorsInAPortugueseReadersOrder)
{
    Options.Labels = 20;
    Options.Executors = int(PeopleNames.size());
    ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LCRUZAETI_EMASC_CONS, [](TCampaignFile& C) {
        C.Exec(PeopleAsExecutors());
        // One event each, the later registered the earlier in the list.
        const QStringList labels = C.Rows(QStringLiteral("SELECT nc_rep FROM Etiqueta_Cruza ORDER BY nc_rep")).split(u';');
        for (int i = 0; i < PeopleNames.size(); ++i)
            C.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd) "
                                  "VALUES (%1, 1, '0', %2, 'M', '2026-03-01 08:%3:00')").arg(labels[i]).arg(i + 1).arg(59 - i));
    }));
    auto executors = [this] {
        QStringList names;
        for (const QString& row : GridRows().split(u';'))
            names << row.section(u'|', 0, 0);
        return names.join(u'|').toStdString();
    };
    for (int view : {0, 1}) {
        QTest::mouseClick(W->RGFiltro->Item(view), Qt::LeftButton);
        Atualizar();
        EXPECT_EQ(executors(), PeopleInOrder.toStdString());
    }
}

TEST_F(EmasculadorCons, AClickOnTheDayMonthOrYearThenDigitsReplaceIt)
{
    QTest::mouseClick(W->ckfiltro, Qt::LeftButton);
    W->datai->setDate(QDate(2024, 10, 2));
    auto* edit = W->datai->findChild<QLineEdit*>();
    // A click on the character before Pos of "dd/MM/yyyy".
    auto click = [edit](int Pos) {
        QPoint p(0, edit->height() / 2);
        while (p.x() < edit->width() && edit->cursorPositionAt(p) < Pos)
            p.rx()++;
        QTest::mouseClick(edit, Qt::LeftButton, {}, p);
    };
    for (const auto& [pos, digits, date] : {std::tuple{1, "15", "15/10/2024"}, {4, "03", "15/03/2024"}, {8, "2025", "15/03/2025"}}) {
        click(pos);
        QTest::keyClicks(edit, QLatin1String(digits));
        EXPECT_EQ(W->datai->date().toString(QStringLiteral("dd/MM/yyyy")).toStdString(), date);
    }
}
