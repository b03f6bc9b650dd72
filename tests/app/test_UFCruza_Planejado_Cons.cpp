#include "ConsultationHarness.h"

#include "UFCruza_Planejado_Cons.h"

namespace {

// Both views written per planned crossing with correlated sub-selects rather than the window's grouped joins.
QString BookRows()
{
    return QStringLiteral("SELECT pc.planejamento, CAST(pc.nc AS INTEGER), pc.codigo_cruza, pc.id_vaso_mae, m.codigo, m.tratamento, m.cflor, m.cpub, m.ggen, "
                          "pc.id_vaso_pai, f.codigo, f.tratamento, f.cflor, f.cpub, f.ggen, "
                          "(SELECT NULLIF(COUNT(*), 0) FROM Etiqueta_Cruza e WHERE e.nc = pc.nc), (SELECT COUNT(*) FROM Cruza c WHERE c.nc_rep IN %1), "
                          "(SELECT COUNT(*) FROM Cruza c WHERE c.status = 'X' AND c.nc_rep IN %1), "
                          "(SELECT COUNT(*) FROM Cruza c WHERE c.status <> 'X' AND c.nc_rep IN %1), "
                          "(SELECT COALESCE(SUM(qte_sem), 0) FROM Colheita co WHERE co.nc_rep IN %1), (SELECT COUNT(*) FROM Colheita co WHERE co.nc_rep IN %1) "
                          "FROM Planejamento_Cruza pc LEFT JOIN Parental m ON m.id = pc.id_vaso_mae "
                          "LEFT JOIN Parental f ON f.id = pc.id_vaso_pai ORDER BY pc.planejamento, pc.nc")
        .arg(QStringLiteral("(SELECT e.nc_rep FROM Etiqueta_Cruza e WHERE e.nc = pc.nc)"));
}

// Envelopes by the reverse flag of the newest crossing of their label.
const QString HarvestRows = QStringLiteral(
    "SELECT pc.planejamento, CAST(pc.nc AS INTEGER), pc.codigo_cruza, CASE c.reverso WHEN '0' THEN 'Nao' ELSE 'Sim' END, "
    "SUM(co.qte_sem), COUNT(*), m.tratamento, f.tratamento, m.cflor, f.cflor, m.cpub, f.cpub "
    "FROM Colheita co JOIN Etiqueta_Cruza ec ON ec.nc_rep = co.nc_rep JOIN Planejamento_Cruza pc ON pc.nc = ec.nc "
    "JOIN Cruza c ON c.nc_rep = co.nc_rep AND NOT EXISTS (SELECT 1 FROM Cruza d WHERE d.nc_rep = c.nc_rep AND d.seq > c.seq) "
    "LEFT JOIN Parental m ON m.id = pc.id_vaso_mae LEFT JOIN Parental f ON f.id = pc.id_vaso_pai "
    "GROUP BY pc.nc, c.reverso ORDER BY pc.planejamento, pc.nc, c.reverso");

using PlanejadoCons = TConsultationTest<TFCruza_Planejado_Cons>;

} // namespace

// Opens on the harvest view, then the crossing book after "Atualizar".
TEST_F(PlanejadoCons, HarvestByReverseFlagThenTheCrossingBook)
{
    qint64 Rehybridised = 0;   // crossing whose one label was written off and hybridised again
    Options.Labels = 80;
    Options.Crossings = 30;
    Options.TalLock = 2;   // a returned file: the consultations still open
    ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LCRUZA_PLANEJADO_CONS, [&](TCampaignFile& C) {
        const QStringList free = C.Rows(QStringLiteral("SELECT pc.nc FROM Planejamento_Cruza pc WHERE NOT EXISTS (SELECT 1 FROM Etiqueta_Cruza e "
                                                       "JOIN Cruza c ON c.nc_rep = e.nc_rep WHERE e.nc = pc.nc) ORDER BY pc.nc")).split(u';');
        ASSERT_GE(free.size(), 3);
        Rehybridised = free[0].toLongLong();
        const QString labels = QStringLiteral("SELECT %1(nc_rep) FROM Etiqueta_Cruza WHERE nc = %2");
        const QString label = C.Scalar(labels.arg(QStringLiteral("MIN")).arg(Rehybridised));
        const QString neverCrossed = C.Scalar(labels.arg(QStringLiteral("MAX")).arg(Rehybridised));
        C.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd) VALUES "
                              "(%1, 1, '0', 1, 'X', '2026-03-01 08:00:00'), (%1, 2, '1', 2, 'M', '2026-03-02 08:00:00')").arg(label));
        // A crossing without labels, and one whose mother pot is not in Parental.
        C.Exec(QStringLiteral("DELETE FROM Etiqueta_Cruza WHERE nc = %1").arg(free[1]));
        C.Exec(QStringLiteral("UPDATE Planejamento_Cruza SET id_vaso_mae = 9999999 WHERE nc = %1").arg(free[2]));
        C.Exec(QStringLiteral("UPDATE Parental SET cflor = 'F' || (id % 3), cpub = 'P' || (id % 4)"));
        // Envelopes on half the crossed labels, on the re-hybridised one, and on one never crossed.
        C.Exec(QStringLiteral("INSERT INTO Colheita (nc_rep, qte_sem, lote, dupd, cmaq) SELECT DISTINCT nc_rep, 1 + CAST(nc_rep AS INTEGER) % 7, "
                              "'L1', '2026-04-01 10:00:00', 'C' FROM Cruza WHERE CAST(nc_rep AS INTEGER) % 2 = 0 AND nc_rep <> %1").arg(label));
        C.Exec(QStringLiteral("INSERT INTO Colheita (nc_rep, qte_sem, lote, dupd, cmaq) VALUES (%1, 5, 'L2', '2026-04-02 10:00:00', 'C'), "
                              "(%2, 9, 'L2', '2026-04-02 10:00:00', 'C')").arg(label, neverCrossed));
        // Three harvested crossings numbered past 32 bits.
        ASSERT_EQ(C.GiveLargeNumbers(QStringLiteral("SELECT DISTINCT e.nc FROM Colheita co, Etiqueta_Cruza e, Cruza c WHERE "
                                                    "e.nc_rep = co.nc_rep AND c.nc_rep = co.nc_rep AND e.nc <> %1 ORDER BY e.nc")
                                         .arg(Rehybridised)), 3);
    }));
    ExpectGrid(HarvestRows);
    auto rehybridised = [&] { return GridRows().split(u';').filter(QStringLiteral("|%1|").arg(Rehybridised)).value(0).split(u'|'); };
    // The re-hybridised label's envelope goes with its newest crossing, reversed;
    // the envelope of its label never crossed is not counted.
    EXPECT_EQ(rehybridised().mid(3, 3), (QStringList{"Sim", "5", "1"}));
    const QString before = GridRows();
    QTest::mouseClick(W->RGFiltro->Item(1), Qt::LeftButton);
    EXPECT_TRUE(W->Outdated());
    EXPECT_EQ(GridRows(), before);   // nothing changes until "Atualizar"
    Atualizar();
    ExpectGrid(BookRows());
    EXPECT_EQ(rehybridised().mid(16, 3), (QStringList{"2", "1", "1"}));   // Tot.Hibridado, Abortado, Viável
}
