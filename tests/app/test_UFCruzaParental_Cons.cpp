#include "ConsultationHarness.h"

#include "UFCruzaParental_Cons.h"
#include "XStringGrid.h"

#include <QComboBox>
#include <QLineEdit>

#include <set>

namespace {

// Every planned crossing with its label counts worked out one crossing at a
// time (none for a crossing without labels), then both pot numbers again.
const QString Count = QStringLiteral("(SELECT COUNT(*) FROM Cruza c, Etiqueta_Cruza f WHERE c.nc_rep = f.nc_rep AND f.nc = e.nc %1)");
const QString AllExpected = QStringLiteral(
    "SELECT pc.planejamento, CAST(pc.nc AS INTEGER), pc.codigo_cruza, pc.id_vaso_mae, m.codigo, pc.id_vaso_pai, p.codigo, "
    "t.tot, t.usado, t.abort, t.viavel, t.tot - t.viavel, pc.id_vaso_mae, pc.id_vaso_pai FROM Planejamento_Cruza pc "
    "LEFT JOIN Parental m ON m.id = pc.id_vaso_mae LEFT JOIN Parental p ON p.id = pc.id_vaso_pai "
    "LEFT JOIN (SELECT e.nc AS nc, MAX(e.rep) AS tot, %1 AS usado, %2 AS abort, %3 AS viavel "
    "FROM Etiqueta_Cruza e GROUP BY e.nc) t ON t.nc = pc.nc ORDER BY pc.planejamento, pc.codigo_cruza")
                                .arg(Count.arg(QString()), Count.arg(QStringLiteral("AND c.status = 'X'")),
                                     Count.arg(QStringLiteral("AND c.status <> 'X'")));

enum TRole { Either, Mother, Father, Both };
const QString Duplicate = QStringLiteral("O Valor informado já está lançado na relação dos parentais a filtrar.");
QString Pot(int Index) { return QString::number(TCampaignBuilder::PotNumber(Index)); }

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
    void Open(const std::function<void(TCampaignFile&)>& Shape = {}) { TConsultationTest::Open(&TFMain::LCRUZAPARENTAL_CONS, Shape); }

    // Typed key by key under the chosen kind, then Enter, as a scanner does.
    void Add(int Field, const QString& Value)
    {
        W->CBField->setCurrentIndex(Field);
        W->efiltro->setFocus();
        W->efiltro->clear();
        for (const QChar ch : Value)
            QTest::sendKeyEvent(QTest::Click, W->efiltro, ch.unicode() < 0x80 ? QTest::asciiToKey(char(ch.unicode())) : Qt::Key_unknown,
                                QString(ch), Qt::NoModifier);
        QTest::keyClick(W->efiltro, Qt::Key_Return);
    }

    QStringList Listed() const
    {
        QStringList out;
        for (int r = 1; r < W->SG->RowCount(); ++r)
            out << W->SG->Cells(0, r) + u'|' + W->SG->Cells(1, r);
        return out;
    }

    // The expected rows for the pots in Role, filtered here rather than in SQL.
    QString Expected(const std::set<QString>& Pots, TRole Role)
    {
        QStringList out;
        for (const QString& row : Campaign->Rows(AllExpected).split(u';')) {
            const QStringList cells = row.split(u'|');
            const bool m = Pots.count(cells[12]), p = Pots.count(cells[13]);
            if (Pots.empty() || (Role == Either ? m || p : Role == Mother ? m : Role == Father ? p : m && p))
                out << cells.mid(0, 12).join(u'|');
        }
        return out.join(u';');
    }

    QString Code(const QString& Pot) { return Campaign->Scalar(QStringLiteral("SELECT codigo FROM Parental WHERE id = ") + Pot); }
};

} // namespace

TEST_F(ParentalCons, ParentsAsMotherFatherEitherAndBothThenRemoved)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    // The parents of one crossing and a third pot, entered by number, code and barcode.
    const QStringList pair = Campaign->Rows(QStringLiteral("SELECT id_vaso_mae, id_vaso_pai FROM Planejamento_Cruza WHERE nc = 10005")).split(u'|');
    QString third = Pot(0);
    for (int i = 1; pair.contains(third); ++i)
        third = Pot(i);
    Add(0, pair[0]);
    Add(1, Code(pair[1]));
    Add(2, TCampaignBuilder::Barcode(third.toInt(), false));
    const auto entry = [this](const QString& Pot) { return Pot + u'|' + Code(Pot); };
    EXPECT_EQ(Listed(), (QStringList{entry(pair[0]), entry(pair[1]), entry(third)}));
    EXPECT_EQ((QStringList{W->NParental->text(), W->efiltro->text(), QString::number(W->SG->Row())}),
              (QStringList{QStringLiteral("Parentais: 3"), QString(), QStringLiteral("3")}));
    for (TRole role : {Either, Mother, Father, Both}) {
        SCOPED_TRACE(int(role));
        W->CBParental->setCurrentIndex(int(role));
        EXPECT_TRUE(W->Outdated());
        Atualizar();
        ExpectRows(Expected({pair[0], pair[1], third}, role));
    }
    // The second removed: the old result until "Atualizar"; then all, without a blank row left behind.
    W->CBParental->setCurrentIndex(int(Either));
    Atualizar();
    const QString three = GridRows();
    QTest::mouseClick(W->SG->viewport(), Qt::LeftButton, {}, W->SG->CellRect(0, 2).center());
    ASSERT_EQ(W->SG->Row(), 2);
    QTest::mouseClick(W->BDel, Qt::LeftButton);
    EXPECT_EQ(Listed(), (QStringList{entry(pair[0]), entry(third)}));
    EXPECT_TRUE(W->Outdated());
    EXPECT_EQ(GridRows(), three);
    Atualizar();
    EXPECT_EQ(GridRows(), Expected({pair[0], third}, Either));
    for (int i = 0; i < 2; ++i)
        QTest::mouseClick(W->BDel, Qt::LeftButton);
    EXPECT_EQ(Listed(), QStringList{QStringLiteral("|")});
    EXPECT_EQ(W->NParental->text(), QStringLiteral("Parentais: 0"));
    Add(0, Pot(5));
    EXPECT_EQ(Listed(), QStringList{Pot(5) + QStringLiteral("|PAR-00006")});
}

TEST_F(ParentalCons, EmptyListCountsOfRehybridisedCrossingsThenRefusals)
{
    const QString label = QString::number(TCampaignBuilder::LabelNumber(10002, 1, false));
    ASSERT_NO_FATAL_FAILURE(Open([&](TCampaignFile& C) {
        C.Exec(QStringLiteral("DELETE FROM Cruza WHERE nc_rep IN (SELECT nc_rep FROM Etiqueta_Cruza WHERE nc IN (10002, 10003))"));
        for (const char* v : {"1, 'X'", "2, 'M'"})   // hybridised, written off and hybridised again
            C.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, status, reverso, id_emasculador, dupd, cmaq) "
                                  "VALUES (%1, %2, '0', 1, '2025-01-01 10:00:00', 'C1')").arg(label, QLatin1String(v)));
        C.Exec(QStringLiteral("UPDATE Parental SET codigo = 'PAR''05' WHERE codigo = 'PAR-00005'"));
        ASSERT_EQ(C.GiveLargeNumbers(QStringLiteral("SELECT nc FROM Planejamento_Cruza WHERE nc > 10003 ORDER BY nc")), 3);
        // Without labels, and its mother missing from Parental.
        C.Exec(QStringLiteral("INSERT INTO Planejamento_Cruza (nc, codigo_cruza, id_vaso_mae, id_vaso_pai, planejamento, rep, usua, dupd, cmaq) "
                              "VALUES (99001, 'CZ-SEM', 1234567, %1, 'Plano A', 3, 'T', '2025-01-01 00:00:00', 'C1')").arg(Pot(0)));
    }));
    EXPECT_FALSE(W->GCons->isVisible());   // nothing runs until "Atualizar"
    EXPECT_EQ(Listed(), QStringList{QStringLiteral("|")});
    Atualizar();   // the empty list: every planned crossing
    ExpectRows(Expected({}, Either));
    EXPECT_EQ(GridRows().split(u';').filter(QStringLiteral("|CZ-10002|")).join(u';').section(u'|', 7), QStringLiteral("4|2|1|1|3"));
    // Refusals leave the list and the grid.
    Add(0, Pot(1));
    Atualizar();
    const QString grid = GridRows();
    const QStringList listed = Listed();
    const QString unknownPot = QStringLiteral("NC_PARENTAL não cadastrado."), unknownCode = QStringLiteral("CODIGO não cadastrado.");
    const std::tuple<int, QString, QString> cases[] = {
        {0, QStringLiteral("12a"), QStringLiteral("NC_Parental deve ser um valor numérico.")},
        {0, Pot(1), Duplicate},
        {1, QStringLiteral("par-00002"), Duplicate},   // found under another spelling: listed already
        {0, QStringLiteral("00") + Pot(1), Duplicate},
        {0, QStringLiteral("-"), unknownPot},
        {0, QStringLiteral("123456789012345678901"), unknownPot},
        {1, QStringLiteral("x') OR (1=1"), unknownCode},
    };
    for (const auto& [field, value, box] : cases) {
        Add(field, value);
        EXPECT_EQ(H.Dlg.Texts(), QStringList{box});
        EXPECT_EQ(Listed(), listed) << value.toStdString();
        H.Dlg.Clear();
    }
    EXPECT_EQ(GridRows(), grid);
    EXPECT_FALSE(W->Outdated());
    Add(1, QStringLiteral("   "));   // blank: nothing
    Add(1, QStringLiteral("PAR'05"));   // a code with a quote selects its own pot
    EXPECT_EQ(Listed().last(), Pot(4) + QStringLiteral("|PAR'05"));
    Atualizar();
    EXPECT_EQ(GridRows(), Expected({Pot(1), Pot(4)}, Either));
}

TEST_F(ParentalCons, ThirteenDigitPotBarcodesAndAccentedCodes)
{
    Options.ParentalEan13 = true;
    ASSERT_NO_FATAL_FAILURE(Open());
    const QString code = TCampaignBuilder::Barcode(Pot(3).toInt(), true);
    ASSERT_TRUE(code.startsWith(QStringLiteral("00000")));
    Add(2, TCampaignBuilder::Barcode(Pot(3).toInt(), false));   // the 8-digit code of the same pot
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Código deve conter 13 dígitos.")});
    EXPECT_EQ(Listed(), QStringList{QStringLiteral("|")});
    H.Dlg.Clear();
    Add(2, code);
    EXPECT_EQ(Listed(), QStringList{Pot(3) + u'|' + Code(Pot(3))});
    // A typed code: found whatever the case of its accented capitals, then unknown without its accents, then listed already.
    Campaign->Exec(QStringLiteral("UPDATE Parental SET codigo = 'ção-1' WHERE codigo = 'PAR-00001'"));
    for (const char* typed : {"ÇÃO-1", "cao-1", "Ção-1"})
        Add(1, QString::fromUtf8(typed));
    EXPECT_EQ(H.Dlg.Texts(), (QStringList{QStringLiteral("CODIGO não cadastrado."), Duplicate}));
    EXPECT_EQ(Listed(), (QStringList{Pot(3) + u'|' + Code(Pot(3)), Pot(0) + QStringLiteral("|ção-1")}));
}
