#include "MainWindowHarness.h"

#include "CampaignFile.h"
#include "UFCruzaEti_Print_Expo.h"
#include "UTSG_Cols.h"
#include "UXComboBox.h"
#include "UXNumEdit.h"
#include "UXWait.h"
#include "XGraphics.h"
#include "XStringGrid.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

enum { Algodao = 0, Soja = 1 };

// One planned crossing: number, labels, plan, mother and father (builder pot indexes).
struct TPlan
{
    qint64 Nc;
    int Reps;
    QString Name = QStringLiteral("Plano A");
    int Mother = 0;
    int Father = 1;
};

class EtiquetasImpressao : public ::testing::Test
{
protected:
    TMainWindowHarness H;
    std::unique_ptr<TCampaignFile> Campaign;
    TFCruzaEti_Print_Expo* W = nullptr;
    QLocale Before;

    // Grouped pot numbers read as on the campaign's Brazilian computers.
    EtiquetasImpressao() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    ~EtiquetasImpressao() override { QLocale::setDefault(Before); }

    // A campaign with six pots and the given plans, the program started on it, the window open.
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
        H.SaveSettings(Campaign->Path);
        TFMain* Main = H.Start();
        ASSERT_TRUE(Main->AppConfig->Loaded) << H.Dlg.Texts().join(u'\n').toStdString();
        Main->LCRUZAETI_PRINT_EXPO->trigger();
        W = Main->findChild<TFCruzaEti_Print_Expo*>();
        ASSERT_TRUE(W && W->isVisible());
        H.Dlg.Clear();
    }

    // Chooses an item as a user does with the keyboard.
    static void Pick(QComboBox* Combo, int Index)
    {
        Combo->setFocus();
        QTest::keyClick(Combo, Qt::Key_Home);
        for (int i = 0; i < Index; ++i)
            QTest::keyClick(Combo, Qt::Key_Down);
        ASSERT_EQ(Combo->currentIndex(), Index);
    }

    static void Type(TXNumEdit* Edit, const QString& Digits)
    {
        Edit->setFocus();
        Edit->selectAll();
        QTest::keyClicks(Edit, Digits);
    }

    void Build(int Crop = Soja)
    {
        Pick(W->CBCultura, Crop);
        QTest::mouseClick(W->BConfirm, Qt::LeftButton);
    }

    QString Cell(int Row, const char* Title) const
    {
        for (int c = 0; c < W->SG->ColCount(); ++c)
            if (W->SG->Cells(c, 0) == QLatin1String(Title))
                return W->SG->Cells(c, Row);
        return QStringLiteral("<no column>");
    }

    QString Line(int Row) const { return W->SG->RowCells(Row).join(u'|'); }

    // The sheet as kind, NC, REP, PAG, SEQ per row; "-" for an empty row.
    QStringList Sheet() const
    {
        QStringList out;
        for (int r = 1; r < W->SG->RowCount(); ++r)
            out << (Line(r).count(u'|') == Line(r).size()
                        ? QStringLiteral("-")
                        : QStringList{Cell(r, "STATUS"), Cell(r, "NC"), Cell(r, "REP"), Cell(r, "PAG"), Cell(r, "SEQ")}
                              .join(u' '));
        return out;
    }

    // Kind, page and position per row, a run of labels as one item ("E1.1-16 M1.17").
    QString Pages() const
    {
        QStringList out;
        for (const QString& row : Sheet()) {
            const QStringList f = row.split(u' ');
            if (f.size() < 5) {
                out << row;
                continue;
            }
            const QString head = f[0] + f[3] + u'.';
            if (f[0] == QLatin1String("E") && !out.isEmpty() && out.last().startsWith(head))
                out.last() = out.last().section(u'-', 0, 0) + u'-' + f[4];
            else
                out << head + f[4];
        }
        return out.join(u' ');
    }

    // NC of every label row, in sheet order.
    QStringList LabelNcs() const
    {
        QStringList out;
        for (int r = 1; r < W->SG->RowCount(); ++r)
            if (Cell(r, "STATUS") == QLatin1String("E"))
                out << Cell(r, "NC");
        return out;
    }

    QString Export(const QString& Name)
    {
        const QString path = Campaign->Dir.filePath(Name);
        H.Files.Answer(path);
        QTest::mouseClick(W->BExportar, Qt::LeftButton);
        return path;
    }

    static QByteArray Read(const QString& Path)
    {
        QFile f(Path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

} // namespace

TEST_F(EtiquetasImpressao, OpensPendingAndIsReadyOnlyAfterABuild)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 2}, {102, 1, QStringLiteral("Plano B")}}));
    EXPECT_EQ(W->windowTitle(), QStringLiteral("Etiquetas de Cruza - Dados para Impressão "));
    EXPECT_EQ(W->CBOpcao->currentIndex(), 0);
    EXPECT_EQ(W->CBPlan->count(), 3);
    EXPECT_EQ(W->CBPlan->itemText(0), QStringLiteral("Todos"));
    EXPECT_EQ(W->CBPlan->currentIndex(), 0);
    EXPECT_EQ(W->CBOrdem->currentIndex(), 0);
    EXPECT_EQ(W->CBCultura->currentText(), QStringLiteral("Soja"));
    EXPECT_TRUE(W->GBOrdemLst->isVisible());
    EXPECT_FALSE(W->GBN_Etiq->isVisible());
    EXPECT_FALSE(W->SG->isVisible());
    EXPECT_EQ(W->BConfirm->text(), QStringLiteral(" Atualizar "));
    EXPECT_EQ(FontColor(W->BConfirm), 255);
    EXPECT_FALSE(W->BExportar->isEnabled());

    Build();
    EXPECT_TRUE(W->SG->isVisible());
    EXPECT_EQ(FontColor(W->BConfirm), 32768);
    EXPECT_TRUE(W->BExportar->isEnabled());
    EXPECT_EQ(W->LRegistro->text(), QStringLiteral("Registros: 5"));
    QStringList titles;
    for (int c = 0; c < W->SG->ColCount(); ++c)
        titles << W->SG->Cells(c, 0) + u':' + QString::number(W->SG->ColWidths(c));
    EXPECT_EQ(titles.join(u' '), QStringLiteral("PLANEJAMENTO:150 NC:80 PAG:50 SEQ:50 CODIGO:150 REP:40 NC_IMP:100 "
                                                "NC_CB:100 STATUS:60 PARENTAIS:150"));
    EXPECT_FALSE(W->Wait->Frame()->isVisible());

    // The counts alone leave the sheet ready; every option sends it back to pending.
    W->CBOpcao->setCurrentIndex(1);
    EXPECT_TRUE(W->GBN_Etiq->isVisible());
    EXPECT_FALSE(W->GBOrdemLst->isVisible());
    Build();
    Type(W->qte_etiq, QStringLiteral("2"));
    EXPECT_TRUE(W->BExportar->isEnabled());
    for (QComboBox* c : {static_cast<QComboBox*>(W->CBPlan), W->CBOpcao}) {
        Build();
        Pick(c, 2);
        EXPECT_FALSE(W->BExportar->isEnabled()) << c->objectName().toStdString();
        EXPECT_EQ(FontColor(W->BConfirm), 255);
    }
    // The parental sheet has no season step of its own.
    EXPECT_FALSE(W->adic_epoca->isEnabled());
    EXPECT_EQ(W->adic_epoca->Value(), 1);
    Pick(W->CBOpcao, 0);
    for (QComboBox* c : {W->CBOrdem, W->CBCultura}) {
        Build();
        Pick(c, c->currentIndex() == 0 ? 1 : 0);
        EXPECT_FALSE(W->BExportar->isEnabled()) << c->objectName().toStdString();
    }

    // A second request shows the same window.
    FMain->LCRUZAETI_PRINT_EXPO->trigger();
    EXPECT_EQ(FMain->findChildren<TFCruzaEti_Print_Expo*>().size(), 1);
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
}

// Rows worked out by hand: crossing 101 with five labels, 102 with two, three labels a page.
TEST_F(EtiquetasImpressao, HybridisationSheetsRowForRow)
{
    struct TCase
    {
        const char* Name;
        int Crop, EtiqPag, Cab;
        QList<TPlan> Plans;
        QStringList Rows;
    };
    const QList<TPlan> example{{101, 5}, {102, 2}};
    const TCase cases[] = {
        {"Soja", Soja, 3, 0, example,
         {"E 101 1 1 1", "E 101 2 1 2", "E 101 3 1 3", "-", "M 101 1 1 4", "P 101 1 1 5", "E 101 4 2 1", "E 101 5 2 2",
          "M 101 1 2 3", "P 101 1 2 4", "E 102 1 1 1", "E 102 2 1 2", "M 102 1 1 3", "P 102 1 1 4"}},
        {"Soja, crossing rows", Soja, 3, 1, example,
         {"E 101 1 1 1", "E 101 2 1 2", "E 101 3 1 3", "-", "M 101 1 1 4", "P 101 1 1 5", "X 101 1 1 6", "X 101 1 1 7",
          "E 101 4 2 1", "E 101 5 2 2", "M 101 1 2 3", "P 101 1 2 4", "X 101 1 2 5", "X 101 1 2 6", "E 102 1 1 1",
          "E 102 2 1 2", "M 102 1 1 3", "P 102 1 1 4", "X 102 1 1 5", "X 102 1 1 6"}},
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
        for (int r = 1; r < W->SG->RowCount(); ++r)
            EXPECT_TRUE(c.Crop != Soja || Cell(r, "STATUS") != QLatin1String("M") || r % 2 == 1) << r;
    }
}

TEST_F(EtiquetasImpressao, PagesOfSixteenLabels)
{
    const struct
    {
        int Crop, Cab;
        const char* Pages;
    } cases[] = {
        {Soja, 0, "E1.1-16 M1.17 P1.18 E2.1-16 M2.17 P2.18 E3.1-8 M3.9 P3.10"},
        {Soja, 1, "E1.1-16 M1.17 P1.18 X1.19 X1.20 E2.1-16 M2.17 P2.18 X2.19 X2.20 E3.1-8 M3.9 P3.10 X3.11 X3.12"},
        {Algodao, 0, "M1.1 E1.2-17 M2.1 E2.2-17 M3.1 E3.2-9 -"},
        {Algodao, 1, "X1.1 M1.2 E1.3-17 X2.1 M2.2 E2.3-17 X3.1 M3.2 E3.3-12 -"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Pages);
        ASSERT_NO_FATAL_FAILURE(Open({{101, 40}}, 16, c.Cab));
        Build(c.Crop);
        EXPECT_EQ(Pages(), QLatin1String(c.Pages));
    }
}

TEST_F(EtiquetasImpressao, IdentificationRowsByHeaderType)
{
    // PLANEJAMENTO|NC|PAG|SEQ|CODIGO|REP|NC_IMP|NC_CB|STATUS|PARENTAIS
    const QString parents = QStringLiteral("[2.000.001] X [2.000.002]");
    const QString soja1 = QStringLiteral("Plano A|101|1|1|CZ-101|1|10101|10101|E|") + parents;
    const QString soja2 = QStringLiteral("Plano A|101|1|2|CZ-101|2|10102|10102|E|") + parents;
    const QString algodao1 = QStringLiteral("Plano A|101|1|3|CZ-101|1|10101|10101|E|") + parents;
    const QString algodao2 = QStringLiteral("Plano A|101|1|4|CZ-101|2|10102|10102|E|") + parents;
    const QString empty = QStringLiteral("|||||||||");
    const struct
    {
        int Crop, Cab;
        QStringList Lines;
    } cases[] = {
        {Soja, 0,
         {soja1, soja2, "Plano A|101|1|3|MAE: PAR-00001|1|2000001||M|", "Plano A|101|1|4|PAI: PAR-00002|1|2000002||P|"}},
        {Soja, 2,
         {soja1, soja2, "Plano A|101|1|3|MAE: PAR-00001|1|2000001|2000001|M|",
          "Plano A|101|1|4|PAI: PAR-00002|1|2000002|2000002|P|", "Plano A|101|1|5|Cruza: CZ-101|1|||X|",
          "Plano A|101|1|6|Cruza: CZ-101|1|||X|"}},
        {Algodao, 1,
         {"Plano A|101|1|1|Cruza: CZ-101|1|101||X|Cruza: CZ-101",
          "Plano A|101|1|2|MAE: PAR-00001|1|2000001||M|MAE: PAR-00001", algodao1, algodao2, empty}},
        {Algodao, 2,
         {"Plano A|101|1|1|Cruza: CZ-101|1|101|101|X|Cruza: CZ-101",
          "Plano A|101|1|2|MAE: PAR-00001|1|2000001|2000001|M|MAE: PAR-00001", algodao1, algodao2, empty}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Crop * 10 + c.Cab);
        ASSERT_NO_FATAL_FAILURE(Open({{101, 2}}, 16, c.Cab));
        Build(c.Crop);
        QStringList lines;
        for (int r = 1; r < W->SG->RowCount(); ++r)
            lines << Line(r);
        EXPECT_EQ(lines, c.Lines);
    }
}

TEST_F(EtiquetasImpressao, OrderOfCrossingsAndPlans)
{
    // Plan B holds 101 (mother PAR-00004), plan A holds 102 (mother PAR-00002).
    const QList<TPlan> plans{{101, 1, QStringLiteral("Plano B"), 3, 0}, {102, 1, QStringLiteral("Plano A"), 1, 2}};
    const struct
    {
        int PlanEtiq, Ordem;
        QStringList Ncs;
    } cases[] = {
        {0, 0, {"101", "102"}}, {1, 0, {"102", "101"}}, {0, 1, {"102", "101"}}, {0, 2, {"101", "102"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.PlanEtiq * 10 + c.Ordem);
        ASSERT_NO_FATAL_FAILURE(Open(plans, 16, 0, c.PlanEtiq));
        Pick(W->CBOrdem, c.Ordem);
        Build();
        EXPECT_EQ(LabelNcs(), c.Ncs);
    }
}

TEST_F(EtiquetasImpressao, WrittenOffLabelsInCrossingOrder)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 3, QStringLiteral("Plano A"), 3, 0}, {102, 2, QStringLiteral("Plano A"), 1, 2}}));
    const auto cruza = [this](qint64 Label, int Seq, const char* Status) {
        Campaign->Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq) "
                                      "VALUES (%1, %2, '0', 1, '%3', '2024-10-02 08:00:0%2', 'CAMPO01')")
                           .arg(Label).arg(Seq).arg(QLatin1String(Status)));
    };
    cruza(10101, 1, "X");
    cruza(10101, 2, "M");   // registered again: not written off any more
    cruza(10102, 1, "X");
    cruza(10103, 1, "M");
    cruza(10201, 1, "X");
    Pick(W->CBOrdem, 1);     // the mother order is not this sheet's
    Pick(W->CBCultura, Algodao);
    Pick(W->CBOpcao, 3);
    QTest::mouseClick(W->BConfirm, Qt::LeftButton);
    EXPECT_EQ(Sheet(), (QStringList{"M 101 1 1 1", "E 101 2 1 2", "M 102 1 1 1", "E 102 1 1 2", "-"}));
}

TEST_F(EtiquetasImpressao, PotSheets)
{
    // Pot 2000002 is a father in one crossing and a mother in the other.
    ASSERT_NO_FATAL_FAILURE(Open({{101, 1, QStringLiteral("Plano A"), 0, 1}, {102, 1, QStringLiteral("Plano A"), 1, 2},
                                  {103, 1, QStringLiteral("Plano B"), 4, 5}}));
    Pick(W->CBOpcao, 1);
    Type(W->qte_etiq, QStringLiteral("3"));
    Type(W->adic_epoca, QStringLiteral("2"));
    Pick(W->CBPlan, 1);
    QTest::mouseClick(W->BConfirm, Qt::LeftButton);
    QStringList lines;
    for (int r = 0; r < W->SG->RowCount(); ++r)
        lines << Line(r);
    QStringList expected{"NC|CODIGO|EPOCA|NC_IMP|NC_CB|TRATAMENTO"};
    for (int pot = 1; pot <= 3; ++pot)
        for (const char* season : {"01", "03", "05"})
            expected << QStringLiteral("200000%1|PAR-0000%1|%2 EPOCA|200000%1|200000%1|Tratamento %1")
                            .arg(pot)
                            .arg(QLatin1String(season));
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(W->LRegistro->text(), QStringLiteral("Registros: 9"));

    // Parental identification: no season column; every pot of the file with "Todos"; no copies below one.
    Pick(W->CBOpcao, 2);
    Pick(W->CBPlan, 0);
    Type(W->qte_etiq, QStringLiteral("0"));
    QTest::mouseClick(W->BConfirm, Qt::LeftButton);
    EXPECT_EQ(Line(0), QStringLiteral("NC|CODIGO|NC_IMP|NC_CB|TRATAMENTO"));
    QStringList ncs;
    for (int r = 1; r < W->SG->RowCount(); ++r)
        ncs << Cell(r, "NC");
    EXPECT_EQ(ncs.join(u' '), QStringLiteral("2000001 2000002 2000003 2000004 2000005 2000006"));
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
}

TEST_F(EtiquetasImpressao, PlanningsWithAQuoteOrWithoutAName)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 1, QString()}, {102, 1, QStringLiteral("D'Ávila")}, {103, 1}}));
    QStringList items;
    for (int i = 0; i < W->CBPlan->count(); ++i)
        items << W->CBPlan->itemText(i);
    EXPECT_EQ(items, (QStringList{"Todos", " ", "D'Ávila", "Plano A"}));
    for (int i = 1; i <= 3; ++i) {
        Pick(W->CBPlan, i);
        Build();
        EXPECT_EQ(LabelNcs(), QStringList{QString::number(100 + i)}) << i;
    }
    EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
}

TEST_F(EtiquetasImpressao, EmptySheetAndItsFile)
{
    for (int crop : {Soja, Algodao}) {
        ASSERT_NO_FATAL_FAILURE(Open({}));
        Build(crop);
        EXPECT_EQ(Sheet(), QStringList{"-"});
        EXPECT_EQ(W->LRegistro->text(), QStringLiteral("Registros: 1"));
        const QString path = Export(QStringLiteral("vazio.csv"));
        EXPECT_EQ(Read(path), QByteArray("PLANEJAMENTO;NC;PAG;SEQ;CODIGO;REP;NC_IMP;NC_CB;STATUS;PARENTAIS;\r\n"
                                         ";;;;;;;;;;\r\n"));
    }
}

TEST_F(EtiquetasImpressao, FileReadBackByteForByte)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 2, QStringLiteral("Plano Ação")}, {102, 1, QStringLiteral("Plano Ação")}}));
    Build();
    const QString path = Export(QStringLiteral("etiquetas.csv"));
    const QByteArray plan("Plano A\xE7\xE3o");
    const QByteArray expected = "PLANEJAMENTO;NC;PAG;SEQ;CODIGO;REP;NC_IMP;NC_CB;STATUS;PARENTAIS;\r\n"
                                + plan + ";101;1;1;CZ-101;1;10101;10101;E;[2.000.001] X [2.000.002];\r\n"
                                + plan + ";101;1;2;CZ-101;2;10102;10102;E;[2.000.001] X [2.000.002];\r\n"
                                + plan + ";101;1;3;MAE: PAR-00001;1;2000001;;M;;\r\n"
                                + plan + ";101;1;4;PAI: PAR-00002;1;2000002;;P;;\r\n"
                                + plan + ";102;1;1;CZ-102;1;10201;10201;E;[2.000.001] X [2.000.002];\r\n";
    EXPECT_EQ(Read(path), expected);
    EXPECT_EQ(H.Files.Last().Kind, TFileDialogKind::Save);
    EXPECT_EQ(H.Files.Last().Filter, QStringLiteral("Planilha Excel (*.csv)|*.csv|Todos Arquivos (*.*)|*.*"));
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_EQ(H.Dlg.Last().Kind, mtInformation);
    EXPECT_EQ(H.Dlg.Last().Text, QStringLiteral("Dados exportado com sucesso.\r\n") + path);
    EXPECT_FALSE(W->Wait->Frame()->isVisible());
}

TEST_F(EtiquetasImpressao, OverwriteQuestionBothWays)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 2}}));
    Build();
    const QString path = Campaign->Dir.filePath(QStringLiteral("old.csv"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("antigo\r\n");
    old.close();

    H.Dlg.Answer(mrNo);
    Export(QStringLiteral("old.csv"));
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_EQ(H.Dlg.Last().Kind, mtConfirmation);
    EXPECT_EQ(H.Dlg.Last().Text, QStringLiteral("O arquivo [") + path + QStringLiteral("] já existe.\r\nSobrescrever?"));
    EXPECT_NE(H.Dlg.Last().Buttons.value(H.Dlg.Last().EffectiveDefault()).ModalResult, mrNo);
    EXPECT_EQ(Read(path), QByteArray("antigo\r\n"));
    EXPECT_FALSE(W->Wait->Frame()->isVisible());

    H.Dlg.Clear();
    H.Dlg.Answer(mrYes);
    Export(QStringLiteral("old.csv"));
    EXPECT_TRUE(Read(path).startsWith("PLANEJAMENTO;NC;"));
    EXPECT_EQ(H.Dlg.Texts().last(), QStringLiteral("Dados exportado com sucesso.\r\n") + path);
    EXPECT_EQ(QDir(Campaign->Dir.path()).entryList({QStringLiteral("old*")}, QDir::Files), QStringList{"old.csv"});
}

TEST_F(EtiquetasImpressao, ValuesTheFileCannotCarryAreRefusedByRowAndColumn)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 2, QStringLiteral("Plano;A")}}));
    Campaign->Exec(QStringLiteral("UPDATE Parental SET codigo = 'PAR' || CHAR(10) || '1' WHERE id = 2000002"));
    Build();
    const QString path = Export(QStringLiteral("recusado.csv"));
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_EQ(H.Dlg.Last().Kind, mtError);
    const QString text = H.Dlg.Last().Text;
    EXPECT_TRUE(text.contains(QStringLiteral("Linha 1, coluna PLANEJAMENTO"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Linha 4, coluna CODIGO"))) << text.toStdString();   // "PAI: PAR\n1"
    EXPECT_FALSE(text.contains(QStringLiteral("Linha 3, coluna CODIGO"))) << text.toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(EtiquetasImpressao, AFailedWriteLeavesTheOldFileWhole)
{
    ASSERT_NO_FATAL_FAILURE(Open({{101, 2}}));
    Build();
    QDir(Campaign->Dir.path()).mkdir(QStringLiteral("fechada"));
    const QString folder = Campaign->Dir.filePath(QStringLiteral("fechada"));
    QFile old(folder + QStringLiteral("/etiquetas.csv"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("antigo\r\n");
    old.close();
    // Permissions do not bind the superuser; an immutable folder does.
    const bool root = ::geteuid() == 0;
    if (root)
        ASSERT_EQ(QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), folder}), 0);
    else
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const auto reopen = qScopeGuard([&] {
        if (root)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), folder});
        else
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });

    H.Dlg.Answer(mrYes);
    Export(QStringLiteral("fechada/etiquetas.csv"));
    ASSERT_EQ(H.Dlg.Count(), 2);
    EXPECT_EQ(H.Dlg.Last().Kind, mtError);
    EXPECT_TRUE(H.Dlg.Last().Text.startsWith(QStringLiteral("Erro ao exportar arquivo.\r\n")));
    EXPECT_GT(H.Dlg.Last().Text.size(), QStringLiteral("Erro ao exportar arquivo.\r\n").size());
    EXPECT_EQ(Read(old.fileName()), QByteArray("antigo\r\n"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"etiquetas.csv"});
    EXPECT_FALSE(W->Wait->Frame()->isVisible());
}
