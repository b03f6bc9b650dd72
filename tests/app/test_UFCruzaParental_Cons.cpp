#include "ConsultationHarness.h"

#include "UFCruzaParental_Cons.h"
#include "UXXLS.h"
#include "XStringGrid.h"

#include "../platform/XlsxReadBack.h"

#include <QComboBox>
#include <QLineEdit>

#include <functional>
#include <random>
#include <set>

namespace {

// Every planned crossing with its label counts, worked out one crossing at a
// time; a crossing without labels gets no counts. Columns as the grid shows
// them, then the two pot numbers again for filtering.
const QString AllExpected = QStringLiteral(
    "SELECT pc.planejamento, pc.nc, pc.codigo_cruza, pc.id_vaso_mae, m.codigo, pc.id_vaso_pai, p.codigo, "
    "       t.tot, t.usado, t.abort, t.viavel, t.tot - t.viavel, pc.id_vaso_mae, pc.id_vaso_pai "
    "  FROM Planejamento_Cruza pc "
    "  LEFT JOIN Parental m ON m.id = pc.id_vaso_mae "
    "  LEFT JOIN Parental p ON p.id = pc.id_vaso_pai "
    "  LEFT JOIN (SELECT e.nc AS nc, MAX(e.rep) AS tot, "
    "                    (SELECT COUNT(*) FROM Cruza c, Etiqueta_Cruza f WHERE c.nc_rep = f.nc_rep AND f.nc = e.nc) AS usado, "
    "                    (SELECT COUNT(*) FROM Cruza c, Etiqueta_Cruza f WHERE c.nc_rep = f.nc_rep AND f.nc = e.nc AND c.status = 'X') AS abort, "
    "                    (SELECT COUNT(*) FROM Cruza c, Etiqueta_Cruza f WHERE c.nc_rep = f.nc_rep AND f.nc = e.nc AND c.status <> 'X') AS viavel "
    "               FROM Etiqueta_Cruza e GROUP BY e.nc) t ON t.nc = pc.nc "
    " ORDER BY pc.planejamento, pc.codigo_cruza");

enum TRole { Either, Mother, Father, Both };

class ParentalCons : public TConsultationTest<TFCruzaParental_Cons>
{
protected:
    ParentalCons()
    {
        Options.Labels = 160;
        Options.Crossings = 110;
        Options.Parentals = 9;
        Options.Seed = 16;
    }

    void Open(const std::function<void(TCampaignFile&)>& Shape = {})
    {
        ASSERT_NO_FATAL_FAILURE(Start(Shape));
        ASSERT_NO_FATAL_FAILURE(OpenFrom(Main->LCRUZAPARENTAL_CONS));
    }

    // Types the value under the chosen kind and presses Enter, as a scanner does.
    void Add(int Field, const QString& Value)
    {
        W->CBField->setCurrentIndex(Field);
        W->efiltro->setFocus();
        W->efiltro->clear();
        QTest::keyClicks(W->efiltro, Value);
        QTest::keyClick(W->efiltro, Qt::Key_Return);
    }

    QStringList Listed() const
    {
        QStringList out;
        for (int r = 1; r < W->SG->RowCount(); ++r)
            out << W->SG->Cells(0, r) + u'|' + W->SG->Cells(1, r);
        return out;
    }

    // The expected rows for the pots given in Role, filtered here, not in SQL.
    QString Expected(const std::set<QString>& Pots, TRole Role)
    {
        QStringList out;
        for (const QString& row : Campaign->Rows(AllExpected).split(u';')) {
            QStringList cells = row.split(u'|');
            const bool m = Pots.count(cells.value(12)), p = Pots.count(cells.value(13));
            const bool in = Pots.empty() || (Role == Either ? m || p : Role == Mother ? m : Role == Father ? p : m && p);
            cells = cells.mid(0, 12);
            if (in)
                out << cells.join(u'|');
        }
        return out.join(u';');
    }

    void ExpectBox(const QString& Text)
    {
        EXPECT_EQ(H.Dlg.Texts(), QStringList{Text});
        H.Dlg.Clear();
    }

    QString Code(int Pot) { return Campaign->Scalar(QStringLiteral("SELECT codigo FROM Parental WHERE id = %1").arg(Pot)); }
};

const QString Duplicate = QStringLiteral("O Valor informado já está lançado na relação dos parentais a filtrar.");

} // namespace

TEST_F(ParentalCons, EmptyListListsEveryPlannedCrossing)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    // Nothing runs until "Atualizar".
    EXPECT_FALSE(W->GCons->isVisible());
    EXPECT_EQ(Count(), Registros(0));
    EXPECT_EQ(Listed(), QStringList{QStringLiteral("|")});
    EXPECT_EQ(W->SG->Cells(0, 0) + u'|' + W->SG->Cells(1, 0), QStringLiteral("NC_Parental|Código"));
    Atualizar();
    const QString all = Expected({}, Either);
    EXPECT_EQ(RowCount(all), Campaign->Info.Plans);
    EXPECT_EQ(GridRows(), all);
    EXPECT_EQ(Count(), Registros(Campaign->Info.Plans));
    EXPECT_FALSE(W->Outdated());
    EXPECT_EQ(H.Dlg.Count(), 0);
}

TEST_F(ParentalCons, ParentsAsMotherFatherEitherAndBoth)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    // The two parents of one crossing and a third pot, entered three ways.
    const QStringList first = Campaign->Rows(QStringLiteral("SELECT id_vaso_mae, id_vaso_pai FROM Planejamento_Cruza WHERE nc = 10005"))
                                  .split(u'|');
    const int mae = first[0].toInt(), pai = first[1].toInt();
    const int third = TCampaignBuilder::PotNumber(0) == mae || TCampaignBuilder::PotNumber(0) == pai
        ? (TCampaignBuilder::PotNumber(1) == mae || TCampaignBuilder::PotNumber(1) == pai ? TCampaignBuilder::PotNumber(2)
                                                                                           : TCampaignBuilder::PotNumber(1))
        : TCampaignBuilder::PotNumber(0);
    Add(0, QString::number(mae));
    Add(1, Code(pai));
    Add(2, TCampaignBuilder::Barcode(third, false));
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
    EXPECT_EQ(Listed(), (QStringList{QString::number(mae) + u'|' + Code(mae), QString::number(pai) + u'|' + Code(pai),
                                     QString::number(third) + u'|' + Code(third)}));
    EXPECT_EQ(W->NParental->text(), QStringLiteral("Parentais: 3"));
    EXPECT_TRUE(W->efiltro->text().isEmpty());
    EXPECT_EQ(W->SG->Row(), 3);
    EXPECT_TRUE(W->Outdated());

    const std::set<QString> pots{QString::number(mae), QString::number(pai), QString::number(third)};
    for (TRole role : {Either, Mother, Father, Both}) {
        W->CBParental->setCurrentIndex(int(role));
        if (role != Either) {
            EXPECT_TRUE(W->Outdated());
        }
        Atualizar();
        const QString expected = Expected(pots, role);
        EXPECT_GT(RowCount(expected), 0) << int(role);
        EXPECT_EQ(GridRows(), expected) << int(role);
        EXPECT_EQ(Count(), Registros(RowCount(expected)));
        EXPECT_FALSE(W->Outdated());
    }
    EXPECT_TRUE(GridRows().contains(QStringLiteral("|10005|")));
}

TEST_F(ParentalCons, LabelCountsOfRehybridisedAndUntouchedCrossings)
{
    const qint64 label = TCampaignBuilder::LabelNumber(10002, 1, false);
    ASSERT_NO_FATAL_FAILURE(Open([&](TCampaignFile& C) {
        C.Exec(QStringLiteral("DELETE FROM Cruza WHERE nc_rep IN (SELECT nc_rep FROM Etiqueta_Cruza WHERE nc IN (10002, 10003))"));
        // Hybridised, written off and hybridised again.
        C.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq) "
                              "VALUES (%1, 1, '0', 1, 'X', '2025-01-01 10:00:00', 'C1')").arg(label));
        C.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq) "
                              "VALUES (%1, 2, '0', 1, 'M', '2025-01-02 10:00:00', 'C1')").arg(label));
        // A crossing without labels, its mother missing from Parental.
        C.Exec(QStringLiteral("INSERT INTO Planejamento_Cruza (nc, codigo_cruza, id_vaso_mae, id_vaso_pai, planejamento, rep, usua, dupd, cmaq) "
                              "VALUES (99001, 'CZ-SEM', 1234567, %1, 'Plano A', 3, 'T', '2025-01-01 00:00:00', 'C1')")
                   .arg(TCampaignBuilder::PotNumber(0)));
    }));
    Atualizar();
    auto row = [&](const QString& Code) {
        const QStringList rows = GridRows().split(u';').filter(u'|' + Code + u'|');
        return rows.size() == 1 ? rows[0].section(u'|', 7) : QStringLiteral("%1 rows").arg(rows.size());
    };
    EXPECT_EQ(row(QStringLiteral("CZ-10002")), QStringLiteral("4|2|1|1|3"));
    EXPECT_EQ(row(QStringLiteral("CZ-10003")), QStringLiteral("4|0|0|0|4"));
    EXPECT_EQ(row(QStringLiteral("CZ-SEM")), QStringLiteral("||||"));
    EXPECT_TRUE(GridRows().contains(QStringLiteral("|CZ-SEM|1234567||%1|").arg(TCampaignBuilder::PotNumber(0))));
    EXPECT_EQ(GridRows(), Expected({}, Either));
}

TEST_F(ParentalCons, PotBarcodeOfThirteenDigitsWithLeadingZeros)
{
    Options.ParentalEan13 = true;
    ASSERT_NO_FATAL_FAILURE(Open());
    const int pot = TCampaignBuilder::PotNumber(3);
    const QString code = TCampaignBuilder::Barcode(pot, true);
    ASSERT_TRUE(code.startsWith(QStringLiteral("00000")));
    QString wrong = code;
    wrong[12] = QChar(u'0' + (code[12].digitValue() + 1) % 10);
    Add(2, wrong);
    EXPECT_EQ(H.Dlg.Count(), 1);
    EXPECT_EQ(Listed(), QStringList{QStringLiteral("|")});
    H.Dlg.Clear();
    Add(2, TCampaignBuilder::Barcode(pot, false));   // an EAN-8 pot code where EAN-13 is set
    EXPECT_EQ(H.Dlg.Count(), 1);
    H.Dlg.Clear();
    Add(2, code);
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
    EXPECT_EQ(Listed(), QStringList{QString::number(pot) + u'|' + Code(pot)});
    // The same pot by its number is a duplicate.
    Add(0, QString::number(pot));
    ExpectBox(Duplicate);
    Atualizar();
    EXPECT_EQ(GridRows(), Expected({QString::number(pot)}, Either));
}

TEST_F(ParentalCons, RefusalsLeaveListAndGrid)
{
    ASSERT_NO_FATAL_FAILURE(Open([](TCampaignFile& C) {
        C.Exec(QStringLiteral("UPDATE Parental SET codigo = 'PAR''05' WHERE codigo = 'PAR-00005'"));
    }));
    const int pot = TCampaignBuilder::PotNumber(1);
    Add(0, QString::number(pot));
    Atualizar();
    const QString grid = GridRows();
    const QStringList listed = Listed();
    struct TCase
    {
        int Field;
        QString Value, Box;
    };
    const TCase cases[] = {
        {0, QStringLiteral("12a"), QStringLiteral("NC_Parental deve ser um valor numérico.")},
        {0, QString::number(pot), Duplicate},
        {1, Code(pot), Duplicate},
        // The same pot spelled otherwise: found, and refused as listed.
        {1, Code(pot).toLower(), Duplicate},
        {0, QStringLiteral("00") + QString::number(pot), Duplicate},
        {0, QStringLiteral("1999999"), QStringLiteral("NC_PARENTAL não cadastrado.")},
        {0, QStringLiteral("-"), QStringLiteral("NC_PARENTAL não cadastrado.")},
        {0, QStringLiteral("123456789012345678901"), QStringLiteral("NC_PARENTAL não cadastrado.")},
        {1, QStringLiteral("PAR'99"), QStringLiteral("CODIGO não cadastrado.")},
        {1, QStringLiteral("x') OR (1=1"), QStringLiteral("CODIGO não cadastrado.")},
        {2, QStringLiteral("2000002"), QStringLiteral("Código deve conter 8 dígitos.")},
    };
    for (const TCase& c : cases) {
        Add(c.Field, c.Value);
        ExpectBox(c.Box);
        EXPECT_EQ(Listed(), listed) << c.Value.toStdString();
    }
    EXPECT_EQ(GridRows(), grid);
    EXPECT_FALSE(W->Outdated());
    // Blank input does nothing.
    Add(1, QStringLiteral("   "));
    EXPECT_EQ(H.Dlg.Count(), 0);

    // A code with a quote selects its own pot.
    Add(1, QStringLiteral("PAR'05"));
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
    EXPECT_EQ(Listed().last(), QStringLiteral("%1|PAR'05").arg(TCampaignBuilder::PotNumber(4)));
    Atualizar();
    EXPECT_EQ(GridRows(), Expected({QString::number(pot), QString::number(TCampaignBuilder::PotNumber(4))}, Either));
}

TEST_F(ParentalCons, RemovingParentals)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    for (int i : {0, 1, 2})
        Add(0, QString::number(TCampaignBuilder::PotNumber(i)));
    Atualizar();
    const QString three = GridRows();
    // The middle one, chosen in the list.
    QTest::mouseClick(W->SG->viewport(), Qt::LeftButton, {}, W->SG->CellRect(0, 2).center());
    ASSERT_EQ(W->SG->Row(), 2);
    QTest::mouseClick(W->BDel, Qt::LeftButton);
    EXPECT_EQ(Listed(), (QStringList{QStringLiteral("%1|PAR-00001").arg(TCampaignBuilder::PotNumber(0)),
                                     QStringLiteral("%1|PAR-00003").arg(TCampaignBuilder::PotNumber(2))}));
    EXPECT_EQ(W->NParental->text(), QStringLiteral("Parentais: 2"));
    EXPECT_TRUE(W->Outdated());
    EXPECT_EQ(GridRows(), three);   // the old result until "Atualizar"
    Atualizar();
    EXPECT_EQ(GridRows(), Expected({QString::number(TCampaignBuilder::PotNumber(0)), QString::number(TCampaignBuilder::PotNumber(2))}, Either));

    QTest::mouseClick(W->BDel, Qt::LeftButton);
    QTest::mouseClick(W->BDel, Qt::LeftButton);
    EXPECT_EQ(Listed(), QStringList{QStringLiteral("|")});
    EXPECT_EQ(W->NParental->text(), QStringLiteral("Parentais: 0"));
    EXPECT_TRUE(W->Outdated());
    Atualizar();
    EXPECT_EQ(RowCount(GridRows()), Campaign->Info.Plans);
    // Listed again after emptying: one row, no blank one left behind.
    Add(0, QString::number(TCampaignBuilder::PotNumber(5)));
    EXPECT_EQ(Listed(), QStringList{QStringLiteral("%1|PAR-00006").arg(TCampaignBuilder::PotNumber(5))});
}

TEST_F(ParentalCons, ExportReadBack)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    Add(0, QString::number(TCampaignBuilder::PotNumber(2)));
    Atualizar();
    const QString file = Campaign->Dir.filePath(QStringLiteral("parentais.xls"));
    H.Files.Answer(file);
    QTest::mouseClick(W->BExportar, Qt::LeftButton);
    ExpectBox(QStringLiteral("Arquivo ") + file + QStringLiteral(" exportado com sucesso."));
    const XlsxBook book = ReadXlsx(file);
    ASSERT_TRUE(book.Error.isEmpty()) << book.Error.toStdString();
    const int cols = W->GCons->Columns()->Count();
    QStringList titles, rows;
    for (int c = 1; c <= cols; ++c)
        titles << book.Text(TXXLS::CellName(1, c));
    EXPECT_EQ(titles, GridTitles());
    for (int r = 2; book.Cells.contains(TXXLS::CellName(r, 1)); ++r) {
        QStringList cells;
        for (int c = 1; c <= cols; ++c)
            cells << book.Text(TXXLS::CellName(r, c));
        rows << cells.join(u'|');
    }
    EXPECT_EQ(rows.join(u';'), Expected({QString::number(TCampaignBuilder::PotNumber(2))}, Either));
}
