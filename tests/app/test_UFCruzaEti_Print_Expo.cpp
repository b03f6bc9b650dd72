// Environment: LC_ALL=pt_BR.UTF-8
// Grouped pot numbers read as on the campaign's Brazilian computers.
#include "LongFileName.h"
#include "MainWindowHarness.h"

#include "UFCruzaEti_Print_Expo.h"
#include "UXComboBox.h"
#include "UXNumEdit.h"
#include "UXWait.h"
#include "XGraphics.h"
#include "XStringGrid.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

#include <unistd.h>

namespace {

enum { Algodao = 0, Soja = 1 };

const QByteArray FlorTitle = "PLANEJAMENTO;NC;PAG;SEQ;CODIGO;REP;NC_IMP;NC_CB;STATUS;PARENTAIS;\r\n";

// A planned crossing: number, labels, plan, mother and father (builder pot indexes).
struct TPlan { qint64 Nc; int Reps; QString Name = QStringLiteral("Plano A"); int Mother = 0, Father = 1; };

class EtiquetasImpressao : public ::testing::Test
{
protected:
    TMainWindowHarness H;
    std::unique_ptr<TCampaignFile> Campaign;
    TFCruzaEti_Print_Expo* W = nullptr;

    // A campaign with six pots and the given plans, the program started on it, the window open from its menu.
    void Open(const QList<TPlan>& Plans, int EtiqPag = 16, int Cab = 0, int PlanEtiq = 0)
    {
        TCampaignOptions o;
        o.Labels = 0;
        Campaign = std::make_unique<TCampaignFile>(o);
        Campaign->Exec(QStringLiteral("UPDATE Configuracao SET etiq_pag = %1, cab_etiq_flor = %2, plan_etiq_flor = %3")
                           .arg(EtiqPag).arg(Cab).arg(PlanEtiq));
        for (const TPlan& p : Plans)
            TCampaignBuilder::AddPlannedCrossing(&Campaign->Conn, p.Nc, QStringLiteral("CZ-%1").arg(p.Nc),
                                                 TCampaignBuilder::PotNumber(p.Mother),
                                                 TCampaignBuilder::PotNumber(p.Father), p.Name, p.Reps);
        ASSERT_TRUE(H.StartOn(*Campaign)->AppConfig->Loaded) << H.Boxes();
        FMain->LCRUZAETI_PRINT_EXPO->trigger();
        ASSERT_TRUE((W = FMain->findChild<TFCruzaEti_Print_Expo*>()) && W->isVisible());
        H.Dlg.Clear();
    }

    // Chooses an item with the keyboard, as a user does.
    static void Pick(QComboBox* Combo, int Index)
    {
        Combo->setFocus();
        QTest::keyClick(Combo, Qt::Key_Home);
        for (int i = 0; i < Index; ++i)
            QTest::keyClick(Combo, Qt::Key_Down);
        ASSERT_EQ(Combo->currentIndex(), Index);
    }

    static void Type(TXNumEdit* Edit, const QString& Digits) { Edit->setFocus(); Edit->selectAll(); QTest::keyClicks(Edit, Digits); }
    void Build(int Crop = Soja) { Pick(W->CBCultura, Crop), Update(); }
    void Update() { QTest::mouseClick(W->BConfirm, Qt::LeftButton); }

    QStringList Lines(int From = 1) const
    {
        QStringList out;
        for (int r = From; r < W->SG->RowCount(); ++r)
            out << W->SG->RowCells(r).join(u'|');
        return out;
    }

    // The sheet as kind, NC, REP, PAG, SEQ per row (STATUS, NC, REP, PAG, SEQ columns); "-" for an empty row.
    QStringList Sheet() const
    {
        QStringList out;
        for (const QString& l : Lines()) {
            const QStringList c = l.split(u'|');
            out << (l.count(u'|') == l.size() ? QStringLiteral("-") : QStringList{c[8], c[1], c[5], c[2], c[3]}.join(u' '));
        }
        return out;
    }

    // NC of every label row, in sheet order.
    QString LabelNcs() const
    {
        QStringList out;
        for (const QString& row : Sheet())
            if (row.startsWith(QLatin1String("E ")))
                out << row.section(u' ', 1, 1);
        return out.join(u' ');
    }

    QString Export(const QString& Name)
    {
        H.Files.Answer(Campaign->Dir.filePath(Name));
        QTest::mouseClick(W->BExportar, Qt::LeftButton);
        return Campaign->Dir.filePath(Name);
    }

    QString Boxes() const { return H.Dlg.Texts().join(u'\n'); }
};

} // namespace

TEST_F(EtiquetasImpressao, OpensPendingAndIsReadyOnlyAfterABuild)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 2}, {102, 1, QStringLiteral("Plano B")}}));
    EXPECT_FALSE(W->SG->isVisible() || W->BExportar->isEnabled());
    EXPECT_EQ(FontColor(W->BConfirm), 255);
    Build();
    EXPECT_TRUE(W->SG->isVisible() && W->BExportar->isEnabled() && !W->Wait->Frame()->isVisible());
    EXPECT_EQ(FontColor(W->BConfirm), 32768);
    // The counts alone leave the sheet ready; every option sends it back to pending.
    Pick(W->CBOpcao, 1), Build();
    Type(W->qte_etiq, QStringLiteral("2"));
    EXPECT_TRUE(W->BExportar->isEnabled());
    for (QComboBox* c : {static_cast<QComboBox*>(W->CBPlan), W->CBOpcao, W->CBOrdem, W->CBCultura}) {
        Build();
        Pick(c, c == W->CBOpcao ? 2 : c->currentIndex() == 0 ? 1 : 0);
        EXPECT_FALSE(W->BExportar->isEnabled()) << c->objectName().toStdString();
        EXPECT_EQ(FontColor(W->BConfirm), 255);
        if (c == W->CBOpcao)
            Pick(W->CBOpcao, 0);
    }
    EXPECT_EQ(Boxes(), QString());
}

// Rows worked out by hand: crossing 101 with five labels, 102 with two, three labels a page.
TEST_F(EtiquetasImpressao, HybridisationSheetsRowForRow)
{
    struct TCase { const char* Name; int Crop, EtiqPag, Cab; QList<TPlan> Plans; QStringList Rows; };
    const QList<TPlan> example{{101, 5}, {102, 2}};
    const TCase cases[] = {
        {"Soja", Soja, 3, 0, example,
         {"E 101 1 1 1", "E 101 2 1 2", "E 101 3 1 3", "-", "M 101 1 1 4", "P 101 1 1 5", "E 101 4 2 1", "E 101 5 2 2",
          "M 101 1 2 3", "P 101 1 2 4", "E 102 1 1 1", "E 102 2 1 2", "M 102 1 1 3", "P 102 1 1 4"}},
        {"Algodão", Algodao, 3, 0, example,
         {"M 101 1 1 1", "E 101 1 1 2", "E 101 2 1 3", "E 101 3 1 4", "M 101 1 2 1", "E 101 4 2 2", "E 101 5 2 3",
          "M 102 1 1 1", "E 102 1 1 2", "E 102 2 1 3", "-"}},
        // A page of X, M and two labels; the last label fills a page, whose rows still open the next.
        {"Algodão, crossing rows", Algodao, 3, 1, example,
         {"X 101 1 1 1", "M 101 1 1 2", "E 101 1 1 3", "E 101 2 1 4", "X 101 1 2 1", "M 101 1 2 2", "E 101 3 2 3",
          "E 101 4 2 4", "X 101 1 3 1", "M 101 1 3 2", "E 101 5 3 3", "X 102 1 1 1", "M 102 1 1 2", "E 102 1 1 3",
          "E 102 2 1 4", "X 102 1 2 1", "M 102 1 2 2", "-"}},
        // The last crossing gets its parents only with two labels on its page.
        {"Soja, 16 a page", Soja, 16, 0, {{101, 2}, {102, 1}},
         {"E 101 1 1 1", "E 101 2 1 2", "M 101 1 1 3", "P 101 1 1 4", "E 102 1 1 1"}},
        // A crossing followed by another gets them after one label; the mother stays on an odd row.
        {"Soja, mother on an odd row", Soja, 16, 0, {{101, 1}, {102, 3}},
         {"E 101 1 1 1", "-", "M 101 1 1 2", "P 101 1 1 3", "E 102 1 1 1", "E 102 2 1 2", "E 102 3 1 3", "-",
          "M 102 1 1 4", "P 102 1 1 5"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_NO_FATAL_FAILURE(Open(c.Plans, c.EtiqPag, c.Cab));
        Build(c.Crop);
        EXPECT_EQ(Sheet(), c.Rows);
        EXPECT_EQ(W->LRegistro->text(), QStringLiteral("Registros: %1").arg(c.Rows.size()));
    }
}

// Soybean crossing rows follow the parents; cotton's are in the large-number file below.
TEST_F(EtiquetasImpressao, SoybeanCrossingRows)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 2}}, 16, 1));
    Build(Soja);
    const QString label = QStringLiteral("Plano A|101|1|%1|CZ-101|%2|1010%2|1010%2|E|[2.000.001] X [2.000.002]");
    EXPECT_EQ(Lines(), (QStringList{label.arg(1).arg(1), label.arg(2).arg(2), "Plano A|101|1|3|MAE: PAR-00001|1|2000001||M|",
                                    "Plano A|101|1|4|PAI: PAR-00002|1|2000002||P|", "Plano A|101|1|5|Cruza: CZ-101|1|||X|",
                                    "Plano A|101|1|6|Cruza: CZ-101|1|||X|"}));
}

TEST_F(EtiquetasImpressao, OrderOfCrossingsAndPlans)
{
    // Plan B holds 101 (mother PAR-00004), plan A holds 102 (mother PAR-00002).
    const QList<TPlan> plans{{101, 1, QStringLiteral("Plano B"), 3, 0}, {102, 1, QStringLiteral("Plano A"), 1, 2}};
    const struct { int PlanEtiq, Ordem; const char* Ncs; } cases[] = {
        {0, 0, "101 102"}, {1, 0, "102 101"}, {0, 1, "102 101"}, {0, 2, "101 102"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.PlanEtiq * 10 + c.Ordem);
        ASSERT_NO_FATAL_FAILURE(Open(plans, 16, 0, c.PlanEtiq));
        Pick(W->CBOrdem, c.Ordem);
        Build();
        EXPECT_EQ(LabelNcs(), QLatin1String(c.Ncs));
    }
}

TEST_F(EtiquetasImpressao, WrittenOffLabelsInCrossingOrder)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 3, QStringLiteral("Plano A"), 3, 0}, {102, 2, QStringLiteral("Plano A"), 1, 2}}));
    // Label, SEQ, status: 10101 was registered again, so it is not written off any more.
    for (const auto& [label, seq, status] : {std::tuple{10101, 1, "X"}, {10101, 2, "M"}, {10102, 1, "X"}, {10103, 1, "M"},
                                             {10201, 1, "X"}})
        Campaign->Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq) "
                                      "VALUES (%1, %2, '0', 1, '%3', '2024-10-02 08:00:0%2', 'CAMPO01')")
                           .arg(label).arg(seq).arg(QLatin1String(status)));
    Pick(W->CBOrdem, 1);   // the mother order is not this sheet's
    Pick(W->CBCultura, Algodao);
    Pick(W->CBOpcao, 3);
    Update();
    EXPECT_EQ(Sheet(), (QStringList{"M 101 1 1 1", "E 101 2 1 2", "M 102 1 1 1", "E 102 1 1 2", "-"}));
}

TEST_F(EtiquetasImpressao, PotSheets)
{
    // Pot 2000002 is a father in one crossing of the plan and a mother in the other.
    ASSERT_NO_FATAL_FAILURE(Open({{101, 1, QStringLiteral("Plano A"), 0, 1}, {102, 1, QStringLiteral("Plano A"), 1, 2},
                                  {103, 1, QStringLiteral("Plano B"), 4, 5}}));
    Pick(W->CBOpcao, 1);
    Type(W->qte_etiq, QStringLiteral("3"));
    Type(W->adic_epoca, QStringLiteral("2"));
    Pick(W->CBPlan, 1);
    Update();
    QStringList expected{"NC|CODIGO|EPOCA|NC_IMP|NC_CB|TRATAMENTO"};
    for (int pot = 1; pot <= 3; ++pot)
        for (const char* season : {"01", "03", "05"})
            expected << QStringLiteral("200000%1|PAR-0000%1|%2 EPOCA|200000%1|200000%1|Tratamento %1").arg(pot).arg(QLatin1String(season));
    EXPECT_EQ(Lines(0), expected);
    // Parental identification: no season column; every pot of the file with "Todos"; no copies below one.
    Pick(W->CBOpcao, 2);
    Pick(W->CBPlan, 0);
    Type(W->qte_etiq, QStringLiteral("0"));
    Update();
    EXPECT_EQ(Lines(0).first(), QStringLiteral("NC|CODIGO|NC_IMP|NC_CB|TRATAMENTO"));
    EXPECT_EQ(Lines().join(u' ').count(u'|'), 6 * 4);   // every pot of the file, once
    EXPECT_EQ(Boxes(), QString());
}

TEST_F(EtiquetasImpressao, PlanningsWithAQuoteOrWithoutAName)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 1, QString()}, {102, 1, QStringLiteral("D'Ávila")}, {103, 1}}));
    EXPECT_EQ(W->CBPlan->itemText(1) + W->CBPlan->itemText(2), QStringLiteral(" D'Ávila"));   // the empty name as one blank
    for (int i = 1; i <= 3; ++i) {
        Pick(W->CBPlan, i);
        Build();
        EXPECT_EQ(LabelNcs() + Boxes(), QString::number(100 + i)) << i;
    }
}

// Crossing numbers past 32 bits beside a small one: each its own group, in all its digits on every row.
TEST_F(EtiquetasImpressao, CrossingNumbersPast32Bits)
{
    const auto open = [this](int Cab) {
        const QString plan = QStringLiteral("Plano Ação");
        ASSERT_NO_FATAL_FAILURE(Open({{101, 1, plan}, {102, 2, plan}, {103, 2, plan}, {104, 2, plan}}, 16, Cab));
        ASSERT_EQ(Campaign->GiveLargeNumbers(QStringLiteral("SELECT nc FROM Planejamento_Cruza WHERE nc > 101 ORDER BY nc")), 3);
    };
    ASSERT_NO_FATAL_FAILURE(open(0));
    Build(Soja);
    QStringList rows{"E 101 1 1 1", "-", "M 101 1 1 2", "P 101 1 1 3"};
    for (const char* nc : {"2147483653", "1099511627776", "9007199254740991"})
        for (const char* row : {"E %1 1 1 1", "E %1 2 1 2", "M %1 1 1 3", "P %1 1 1 4"})
            rows << QString::fromLatin1(row).arg(QLatin1String(nc));
    EXPECT_EQ(Sheet(), rows);
    // The crossing's own row carries its number in NC_IMP and NC_CB too; the plan in Windows-1252.
    ASSERT_NO_FATAL_FAILURE(open(2));
    Build(Algodao);
    const auto crossing = [](const QByteArray& Nc, const QByteArray& Code, int Reps) {
        const QByteArray plan("Plano A\xE7\xE3o;");
        QByteArray out = plan + Nc + ";1;1;Cruza: CZ-" + Code + ";1;" + Nc + ';' + Nc + ";X;Cruza: CZ-" + Code + ";\r\n"
                         + plan + Nc + ";1;2;MAE: PAR-00001;1;2000001;2000001;M;MAE: PAR-00001;\r\n";
        for (int r = 1; r <= Reps; ++r) {
            const QByteArray rep = QByteArray::number(r), label = Code + '0' + rep;
            out += plan + Nc + ";1;" + QByteArray::number(r + 2) + ";CZ-" + Code + ';' + rep + ';' + label + ';' + label
                   + ";E;[2.000.001] X [2.000.002];\r\n";
        }
        return out;
    };
    EXPECT_EQ(FileBytes(Export(QStringLiteral("grandes.csv"))),
              FlorTitle + crossing("101", "101", 1) + crossing("2147483653", "102", 2) + crossing("1099511627776", "103", 2)
                  + crossing("9007199254740991", "104", 2) + ";;;;;;;;;;\r\n");
}

// The overwrite question both ways; a failed write and values the file cannot carry leave the old file whole.
TEST_F(EtiquetasImpressao, ExportKeepsTheOldFileUnlessItIsReallyReplaced)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 2}}));
    Build();
    const QString folder = Campaign->Dir.filePath(QStringLiteral("fechada")), path = folder + QStringLiteral("/etiquetas.csv");
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("antigo\r\n") == 8);
    old.close();
    H.Dlg.Answer({mrNo, mrYes});
    Export(QStringLiteral("fechada/etiquetas.csv"));
    EXPECT_NE(H.Dlg.Last().Buttons.value(H.Dlg.Last().EffectiveDefault()).ModalResult, mrNo);
    EXPECT_EQ(FileBytes(path), QByteArray("antigo\r\n"));
    // Permissions do not bind the superuser; an immutable folder does.
    const auto lock = [&folder](bool On) {
        if (::geteuid() == 0)
            return QProcess::execute(QStringLiteral("chattr"), {On ? QStringLiteral("+i") : QStringLiteral("-i"), folder}) == 0;
        return QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | (On ? QFile::Permissions() : QFile::WriteOwner));
    };
    ASSERT_TRUE(lock(true));
    auto unlock = qScopeGuard([&] { lock(false); });
    Export(QStringLiteral("fechada/etiquetas.csv"));
    ASSERT_EQ(H.Dlg.Count(), 3);
    EXPECT_TRUE(H.Dlg.Last().Text.startsWith(QStringLiteral("Erro ao exportar arquivo.\r\n")));
    EXPECT_EQ(FileBytes(path), QByteArray("antigo\r\n"));
    EXPECT_FALSE(W->Wait->Frame()->isVisible());
    unlock.dismiss();
    ASSERT_TRUE(lock(false));
    // Refused by row and column before any question: every planning cell, and the father's code on row 4 ("PAI: PAR\n1").
    Campaign->Exec(QStringLiteral("UPDATE Planejamento_Cruza SET planejamento = 'Plano;A'"));
    Campaign->Exec(QStringLiteral("UPDATE Parental SET codigo = 'PAR' || CHAR(10) || '1' WHERE id = 2000002"));
    Build();
    H.Dlg.Clear();
    Export(QStringLiteral("fechada/etiquetas.csv"));
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_TRUE(Boxes().contains(QStringLiteral("Linha 1, coluna PLANEJAMENTO")) && Boxes().contains(QStringLiteral("Linha 4, coluna CODIGO"))
                && !Boxes().contains(QStringLiteral("Linha 3, coluna CODIGO"))) << Boxes().toStdString();
    EXPECT_EQ(FileBytes(path), QByteArray("antigo\r\n"));
}

// The empty sheet a failed build leaves is exported as the title line and one line of separators,
// under a name of 250 bytes too.
TEST_F(EtiquetasImpressao, AFailedBuildIsReportedAndLeavesTheSheetReady)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 2}}));
    Campaign->Exec(QStringLiteral("DROP TABLE Parental"));
    Build();
    EXPECT_TRUE(Boxes().startsWith(QStringLiteral("Erro ao Consultar Dados das etiquetas de flor (Load_Etiq_Flor): \r\nMsg: ")));
    EXPECT_TRUE(Sheet() == QStringList{"-"} && W->BExportar->isEnabled() && !W->Wait->Frame()->isVisible());
    for (const QString& name : {QStringLiteral("vazio.csv"), LongFileName(250, QStringLiteral(".csv"))}) {
        H.Dlg.Clear();
        const QString path = Export(name);
        EXPECT_EQ(FileBytes(path), FlorTitle + ";;;;;;;;;;\r\n");
        EXPECT_EQ(Boxes(), QStringLiteral("Dados exportado com sucesso.\r\n") + path);
    }
}
