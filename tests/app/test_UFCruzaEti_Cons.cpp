#include "ConsultationHarness.h"

#include "UFCruzaEti_Cons.h"
#include "UXXLS.h"
#include "XAdoEngine.h"
#include "../platform/XlsxReadBack.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// The summary worked out another way: the current crossing is the one no
// later sequence of its label follows.
const QString ResumoExpected = QStringLiteral(
    "SELECT pc.planejamento, pc.nc, pc.codigo_cruza, CASE cur.reverso WHEN '0' THEN 'Nao' ELSE 'Sim' END AS rv, "
    "       SUM(h.qte_sem), COUNT(*) "
    "  FROM Colheita h, Etiqueta_Cruza e, Planejamento_Cruza pc, Cruza cur "
    " WHERE e.nc_rep = h.nc_rep AND pc.nc = e.nc AND cur.nc_rep = h.nc_rep "
    "   AND NOT EXISTS (SELECT 1 FROM Cruza n WHERE n.nc_rep = cur.nc_rep AND n.seq > cur.seq) "
    " GROUP BY pc.planejamento, pc.nc, pc.codigo_cruza, rv ORDER BY pc.planejamento, pc.nc, rv");

const QString EnvelopeExpected = QStringLiteral(
    "SELECT h.lote, h.dupd, pc.planejamento, e.nc_rep, e.nc_print, pc.codigo_cruza, "
    "       CASE cur.reverso WHEN '0' THEN 'Nao' ELSE 'Sim' END, h.qte_sem, h.obs, em.nome "
    "  FROM Colheita h, Etiqueta_Cruza e, Planejamento_Cruza pc, Cruza cur, Emasculador em "
    " WHERE e.nc_rep = h.nc_rep AND pc.nc = e.nc AND cur.nc_rep = h.nc_rep AND em.id = cur.id_emasculador "
    "   AND cur.seq = (SELECT MAX(x.seq) FROM Cruza x WHERE x.nc_rep = h.nc_rep) "
    " ORDER BY h.lote, h.dupd");

class ColheitaCons : public TConsultationTest<TFCruzaEti_Cons>
{
protected:
    ColheitaCons()
    {
        Options.Labels = 240;
        Options.Crossings = 180;
        Options.Envelopes = 90;
        Options.EnvelopesWithoutCrossing = 8;
        Options.Seed = 15;
    }

    void Open(const std::function<void(TCampaignFile&)>& Shape = {})
    {
        ASSERT_NO_FATAL_FAILURE(Start(Shape));
        ASSERT_NO_FATAL_FAILURE(OpenFrom(Main->LCRUZAETI_CONS));
    }

    void Choose(int Item) { QTest::mouseClick(W->RGFiltro->Item(Item), Qt::LeftButton); }
};

// One planned crossing, its four labels cleared and harvested anew: rep 1
// normal, rep 2 reversed, rep 3 written off (normal), rep 4 without any
// crossing, and a label of another crossing whose executor is not listed.
constexpr qint64 Nc = 10003;

void ShapeEdgeCases(TCampaignFile& C)
{
    auto label = [](int Rep) { return TCampaignBuilder::LabelNumber(Nc, Rep, false); };
    const qint64 other = TCampaignBuilder::LabelNumber(10004, 1, false);
    for (const char* table : {"Cruza", "Colheita"})
        C.Exec(QStringLiteral("DELETE FROM %1 WHERE nc_rep IN (SELECT nc_rep FROM Etiqueta_Cruza WHERE nc IN (%2, 10004))")
                   .arg(QLatin1String(table)).arg(Nc));
    auto cruza = [&](qint64 L, int Seq, const char* Rev, const char* Status, int Executor) {
        C.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq) "
                              "VALUES (%1, %2, '%3', %4, '%5', '2025-01-0%2 10:00:00', 'CAMPO01')")
                   .arg(L).arg(Seq).arg(QLatin1String(Rev)).arg(Executor).arg(QLatin1String(Status)));
    };
    auto envelope = [&](qint64 L, int Seeds) {
        C.Exec(QStringLiteral("INSERT INTO Colheita (nc_rep, qte_sem, lote, obs, dupd, cmaq, id_usua) "
                              "VALUES (%1, %2, 'AAA', 'O''Brien', '2025-02-01 08:00:%2', 'CAMPO01', 1)")
                   .arg(L).arg(Seeds));
    };
    cruza(label(1), 1, "0", "M", 1);
    cruza(label(2), 1, "1", "M", 2);
    // Written off, registered again reversed, written off again: the last one counts.
    cruza(label(3), 1, "1", "X", 1);
    cruza(label(3), 2, "0", "X", 3);
    cruza(other, 1, "0", "M", 99);
    envelope(label(1), 5);
    envelope(label(2), 7);
    envelope(label(3), 3);
    envelope(label(4), 11);
    envelope(other, 13);
}

} // namespace

TEST_F(ColheitaCons, OpensWithTheSummaryAndSwitchesViewOnlyOnAtualizar)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    const QString resumo = Campaign->Rows(ResumoExpected);
    ASSERT_GT(RowCount(resumo), 10);
    EXPECT_EQ(GridRows(), resumo);
    EXPECT_EQ(Count(), Registros(RowCount(resumo)));
    EXPECT_TRUE(W->GCons->isVisible());
    EXPECT_FALSE(W->Outdated());
    EXPECT_EQ(H.Dlg.Count(), 0);

    Choose(1);
    EXPECT_TRUE(W->Outdated());
    EXPECT_EQ(GridRows(), resumo);   // the summary stays until "Atualizar"
    Atualizar();
    const QString envelopes = Campaign->Rows(EnvelopeExpected);
    EXPECT_EQ(W->GCons->Columns()->Count(), 10);
    EXPECT_EQ(GridRows(), envelopes);
    EXPECT_EQ(Count(), Registros(RowCount(envelopes)));
    EXPECT_FALSE(W->Outdated());
    // Every envelope on a crossed label with a listed executor, none other.
    EXPECT_EQ(RowCount(envelopes), Campaign->Info.Envelopes - Campaign->Info.EnvelopesWithoutCrossing);
    EXPECT_GT(Campaign->Info.EnvelopesWrittenOff, 0);

    Choose(0);
    Atualizar();
    EXPECT_EQ(GridRows(), resumo);
}

TEST_F(ColheitaCons, ReverseSplitWriteOffsAndMissingRows)
{
    ASSERT_NO_FATAL_FAILURE(Open(ShapeEdgeCases));
    const QString plan = Campaign->Scalar(QStringLiteral("SELECT planejamento FROM Planejamento_Cruza WHERE nc = %1").arg(Nc));
    const QString code = QStringLiteral("CZ-%1").arg(Nc);
    QStringList mine;
    for (const QString& row : GridRows().split(u';'))
        if (row.section(u'|', 1, 1) == QString::number(Nc))
            mine << row;
    // Rep 1 and the written-off rep 3 under "Nao"; rep 2 under "Sim"; rep 4 nowhere.
    EXPECT_EQ(mine, (QStringList{plan + QStringLiteral("|%1|%2|Nao|8|2").arg(Nc).arg(code),
                                 plan + QStringLiteral("|%1|%2|Sim|7|1").arg(Nc).arg(code)}));
    EXPECT_EQ(GridRows(), Campaign->Rows(ResumoExpected));
    EXPECT_TRUE(GridRows().contains(QStringLiteral("|CZ-10004|Nao|13|1")));

    Choose(1);
    Atualizar();
    EXPECT_EQ(GridRows(), Campaign->Rows(EnvelopeExpected));
    auto label = [](int Rep) { return QString::number(TCampaignBuilder::LabelNumber(Nc, Rep, false)); };
    // Lot "AAA" sorts first; the envelope of the unlisted executor and the uncrossed one are left out.
    const QStringList lotAAA = GridRows().split(u';').filter(QRegularExpression(QStringLiteral("^AAA\\|")));
    EXPECT_EQ(lotAAA.size(), 3);
    EXPECT_TRUE(lotAAA.join(u';').contains(label(3) + u'|' + label(3) + QStringLiteral("|CZ-10003|Nao|3|O'Brien|")));
    EXPECT_FALSE(GridRows().contains(QStringLiteral("|CZ-10004|")));
    EXPECT_FALSE(GridRows().contains(label(4) + u'|'));
}

TEST_F(ColheitaCons, EmptyHarvestAndAReturnedCampaign)
{
    Options.TalLock = 2;
    ASSERT_NO_FATAL_FAILURE(Open([](TCampaignFile& C) { C.Exec(QStringLiteral("DELETE FROM Colheita")); }));
    EXPECT_EQ(GridRows(), QString());
    EXPECT_EQ(Count(), Registros(0));
    EXPECT_TRUE(W->GCons->isVisible());
    Choose(1);
    Atualizar();
    EXPECT_EQ(Count(), Registros(0));
    EXPECT_EQ(H.Dlg.Count(), 0);
}

TEST_F(ColheitaCons, FailingQueryReachesTheExceptionBoxAndTheWindowGoesOn)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    const QString before = Count();
    Choose(1);
    // Another program takes the table away under the open window.
    Campaign->Conn.Engine()->Exec(QStringLiteral("ALTER TABLE Colheita RENAME TO Colheita_Fora"));
    Atualizar();
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_EQ(H.Dlg.Last().Kind, mtError);
    EXPECT_TRUE(H.Dlg.Last().Text.contains(QStringLiteral("Colheita"))) << H.Dlg.Last().Text.toStdString();
    // Set up for the envelopes, without rows; the count as it was.
    EXPECT_EQ(W->GCons->Columns()->Count(), 10);
    EXPECT_EQ(GridRows(), QString());
    EXPECT_EQ(Count(), before);

    Campaign->Conn.Engine()->Exec(QStringLiteral("ALTER TABLE Colheita_Fora RENAME TO Colheita"));
    Atualizar();
    EXPECT_EQ(GridRows(), Campaign->Rows(EnvelopeExpected));
    EXPECT_EQ(H.Dlg.Count(), 1);
}

TEST_F(ColheitaCons, ExportReadBackAndExistingFileRefused)
{
    ASSERT_NO_FATAL_FAILURE(Open(ShapeEdgeCases));
    Choose(1);
    Atualizar();
    const QString file = Campaign->Dir.filePath(QStringLiteral("envelopes.xls"));
    H.Files.Answer(file);
    QTest::mouseClick(W->BExportar, Qt::LeftButton);
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Arquivo ") + file + QStringLiteral(" exportado com sucesso.")});
    ASSERT_EQ(H.Files.Count(), 1);
    EXPECT_EQ(H.Files.Last().Filter, QStringLiteral("Arquivo MS-Excel|*.xls|Todos Arquivos|*.*"));

    const XlsxBook book = ReadXlsx(file);
    ASSERT_TRUE(book.Error.isEmpty()) << book.Error.toStdString();
    QStringList titles;
    for (int c = 1; c <= 10; ++c)
        titles << book.Text(TXXLS::CellName(1, c));
    EXPECT_EQ(titles, GridTitles());
    const int records = W->Q->RecordCount();
    QStringList rows;
    for (int r = 2; r <= records + 1; ++r) {
        QStringList cells;
        for (int c = 1; c <= 10; ++c)
            cells << book.Text(TXXLS::CellName(r, c));
        rows << cells.join(u'|');
    }
    EXPECT_EQ(rows.join(u';'), Campaign->Rows(EnvelopeExpected));
    EXPECT_FALSE(book.Cells.contains(TXXLS::CellName(records + 2, 1)));
    // Seed counts stay numbers.
    EXPECT_EQ(book.Cells.value(QStringLiteral("H2")).Type, QString());

    // The same name again: refused, the file untouched.
    const QByteArray saved = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    H.Dlg.Clear();
    H.Files.Answer(file);
    QTest::mouseClick(W->BExportar, Qt::LeftButton);
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("O arquivo ") + file + QStringLiteral(" já existe.")});
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), saved);

    // A cancelled dialog does nothing.
    H.Dlg.Clear();
    H.Files.Cancel();
    QTest::mouseClick(W->BExportar, Qt::LeftButton);
    EXPECT_EQ(H.Dlg.Count(), 0);
}

TEST_F(ColheitaCons, RefusesToWorkWithoutConfiguration)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Main->AppConfig->Load(false);
    Main->LCRUZAETI_CONS->trigger();
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Banco de dados não Conectado.")});
    H.Settle();
    EXPECT_TRUE(Main->findChildren<TFCruzaEti_Cons*>().isEmpty());
}

// The grid fills the window down to the buttons and the count sits below
// it, also after the window is maximised.
TEST_F(ColheitaCons, GridAndCountFollowTheWindow)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    for (int pass = 0; pass < 2; ++pass) {
        const QRect grid = W->GCons->geometry();
        EXPECT_EQ(grid.right(), W->BClose->geometry().right());
        EXPECT_EQ(grid.bottom() + 1 + 4, W->BExportar->y());
        EXPECT_EQ(W->LRegistro->x(), grid.x());
        EXPECT_GT(W->LRegistro->y(), grid.bottom());
        EXPECT_LT(W->LRegistro->geometry().bottom(), W->height());
        W->parentWidget()->showMaximized();
        H.Settle();
    }
}
