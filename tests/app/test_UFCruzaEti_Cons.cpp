#include "ConsultationHarness.h"

#include "UFCruzaEti_Cons.h"
#include "XAdoEngine.h"

namespace {

// The views worked out another way: the current crossing is the one that
// no later sequence of its label follows.
const QString Current = QStringLiteral(
    "NOT EXISTS (SELECT 1 FROM Cruza n WHERE n.nc_rep = cur.nc_rep AND n.seq > cur.seq)");
const QString ResumoExpected = QStringLiteral(
    "SELECT pc.planejamento, CAST(pc.nc AS INTEGER), pc.codigo_cruza, CASE cur.reverso WHEN '0' THEN 'Nao' ELSE 'Sim' END AS rv, "
    "SUM(h.qte_sem), COUNT(*) FROM Colheita h, Etiqueta_Cruza e, Planejamento_Cruza pc, Cruza cur "
    "WHERE e.nc_rep = h.nc_rep AND pc.nc = e.nc AND cur.nc_rep = h.nc_rep AND %1 "
    "GROUP BY pc.planejamento, pc.nc, pc.codigo_cruza, rv ORDER BY pc.planejamento, pc.nc, rv").arg(Current);
const QString EnvelopeExpected = QStringLiteral(
    "SELECT h.lote, h.dupd, pc.planejamento, e.nc_rep, e.nc_print, pc.codigo_cruza, "
    "CASE cur.reverso WHEN '0' THEN 'Nao' ELSE 'Sim' END, h.qte_sem, h.obs, em.nome "
    "FROM Colheita h, Etiqueta_Cruza e, Planejamento_Cruza pc, Cruza cur, Emasculador em "
    "WHERE e.nc_rep = h.nc_rep AND pc.nc = e.nc AND cur.nc_rep = h.nc_rep AND em.id = cur.id_emasculador AND %1 "
    "ORDER BY h.lote, h.dupd").arg(Current);

constexpr qint64 Nc = 10003;
QString Label(int Rep) { return QString::number(TCampaignBuilder::LabelNumber(Nc, Rep, false)); }

// Crossing 10003 harvested anew: rep 1 normal, rep 2 reversed, rep 3 written
// off twice (reversed, then normal), rep 4 never crossed; a label of 10004
// crossed by an executor missing from Emasculador.
void ShapeEdgeCases(TCampaignFile& C)
{
    for (const char* table : {"Cruza", "Colheita"})
        C.Exec(QStringLiteral("DELETE FROM %1 WHERE nc_rep IN (SELECT nc_rep FROM Etiqueta_Cruza WHERE nc IN (10003, 10004))")
                   .arg(QLatin1String(table)));
    const QString other = QString::number(TCampaignBuilder::LabelNumber(10004, 1, false));
    const QStringList cruza{Label(1) + ", 1, '0', 'M', 1", Label(2) + ", 1, '1', 'M', 2", Label(3) + ", 1, '1', 'X', 1",
                            Label(3) + ", 2, '0', 'X', 3", other + ", 1, '0', 'M', 99"};
    for (const QString& v : cruza)
        C.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, status, id_emasculador, dupd, cmaq) "
                              "VALUES (%1, '2025-01-01 10:00:00', 'C1')").arg(v));
    const QStringList seeds{Label(1) + ", 5", Label(2) + ", 7", Label(3) + ", 3", Label(4) + ", 11", other + ", 13"};
    for (int i = 0; i < seeds.size(); ++i)
        C.Exec(QStringLiteral("INSERT INTO Colheita (nc_rep, qte_sem, lote, obs, dupd, cmaq) "
                              "VALUES (%1, 'AAA', 'O''Brien', '2025-02-01 08:00:0%2', 'C1')").arg(seeds[i]).arg(i));
    // Three harvested crossings numbered past 32 bits.
    ASSERT_EQ(C.GiveLargeNumbers(QStringLiteral("SELECT DISTINCT e.nc FROM Colheita h, Etiqueta_Cruza e, Cruza c "
                                                "WHERE e.nc_rep = h.nc_rep AND c.nc_rep = h.nc_rep AND e.nc > 10004 ORDER BY e.nc")), 3);
}

using ColheitaCons = TConsultationTest<TFCruzaEti_Cons>;

} // namespace

// Both views, the summary as opened; then the envelopes exported and read back, and a failing query.
TEST_F(ColheitaCons, ReverseSplitWriteOffsMissingRowsTheExportAndAFailure)
{
    Options.Labels = 240;
    Options.Crossings = 180;
    Options.Envelopes = 90;
    Options.EnvelopesWithoutCrossing = 8;
    Options.Seed = 15;
    ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LCRUZAETI_CONS, ShapeEdgeCases));
    const QString plan = Campaign->Scalar(QStringLiteral("SELECT planejamento FROM Planejamento_Cruza WHERE nc = %1").arg(Nc));
    ExpectGrid(ResumoExpected);
    // Rep 1 and the written-off rep 3 under "Nao", rep 2 under "Sim", rep 4 nowhere.
    EXPECT_EQ(GridRows().split(u';').filter(QStringLiteral("|CZ-10003|")),
              (QStringList{plan + QStringLiteral("|10003|CZ-10003|Nao|8|2"), plan + QStringLiteral("|10003|CZ-10003|Sim|7|1")}));
    EXPECT_TRUE(GridRows().contains(QStringLiteral("|CZ-10004|Nao|13|1")));   // its executor unlisted
    // The crossing numbers past 32 bits in the workbook as numbers, whole.
    const QString summary = Campaign->Dir.filePath(QStringLiteral("resumo.xls"));
    ExpectExport(summary);
    const XlsxBook book = ReadXlsx(summary);
    for (int r = 2; book.Cells.contains(TXXLS::CellName(r, 2)); ++r)
        EXPECT_EQ(book.Cells.value(TXXLS::CellName(r, 2)).Type, QString()) << r;
    QTest::mouseClick(W->RGFiltro->Item(1), Qt::LeftButton);
    Atualizar();
    ExpectGrid(EnvelopeExpected);
    const QStringList lot = GridRows().split(u';').filter(QStringLiteral("AAA|"));
    EXPECT_EQ(lot.size(), 3);   // the uncrossed label and the unlisted executor left out
    EXPECT_EQ(lot.filter(Label(3) + u'|' + Label(3) + QStringLiteral("|CZ-10003|Nao|3|O'Brien|")).size(), 1);
    // Exported, then not over the file now there.
    const QString file = Campaign->Dir.filePath(QStringLiteral("envelopes.xls"));
    ExpectExport(file);
    EXPECT_EQ(ReadXlsx(file).Cells.value(QStringLiteral("H2")).Type, QString());   // seed counts stay numbers
    const QByteArray saved = FileBytes(file);
    H.Dlg.Clear();
    H.Files.Answer(file);
    QTest::mouseClick(W->BExportar, Qt::LeftButton);
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("O arquivo ") + file + QStringLiteral(" já existe.")});
    EXPECT_EQ(FileBytes(file), saved);
    // A failing query: reported, no rows, the count kept; the next "Atualizar" recovers.
    H.Dlg.Clear();
    const QString before = W->LRegistro->text();
    Campaign->Conn.Engine()->Exec(QStringLiteral("ALTER TABLE Colheita RENAME TO Colheita_Fora"));
    Atualizar();
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_TRUE(H.Dlg.Last().Kind == mtError && H.Dlg.Last().Text.contains(QStringLiteral("Colheita"))) << H.Boxes();
    EXPECT_EQ(GridRows(), QString());
    EXPECT_EQ(W->LRegistro->text(), before);
    Campaign->Conn.Engine()->Exec(QStringLiteral("ALTER TABLE Colheita_Fora RENAME TO Colheita"));
    Atualizar();
    EXPECT_EQ(GridRows(), Campaign->Rows(EnvelopeExpected));
    EXPECT_EQ(H.Dlg.Count(), 1);
}
