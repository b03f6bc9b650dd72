#include "ScanWindowTest.h"

#include "ChildProcess.h"
#include "UFCruzaEti_Cad.h"
#include "UXComboBox.h"
#include "UXForms.h"
#include "UXLib.h"
#include "UXNumEdit.h"

#include <QLabel>

#include <cstdio>

namespace {

class Envelope : public TScanWindowTest<TFCruzaEti_Cad>
{
protected:
    void Open() { TScanWindowTest::Open(&TFMain::LCRUZAETI_CAD, QStringLiteral("UPDATE Configuracao SET smt_max_hibr = 10")); }

    // User and lot, once per session.
    void Start(const QString& Lot = QStringLiteral("CX-01"))
    {
        Pick(W->usua, 1);
        ASSERT_EQ(Focus(), W->lote);
        Scan(Lot);
        ASSERT_EQ(Focus(), W->NC_REP_LIDO);
    }

    // Label, seed count and remarks: the last Enter confirms when the label has a live crossing.
    void Envelope_(qint64 Label, int Seeds, const QString& Obs = QStringLiteral("OK"))
    {
        Scan(Barcode(Label));
        ASSERT_EQ(Focus(), W->nsem);
        Scan(QString::number(Seeds));
        ASSERT_EQ(Focus(), W->obs);
        Scan(Obs);
    }

    void AddEnvelope(qint64 Label, const QString& Lot, int Seeds, const QString& IdCruza = QStringLiteral("NULL"),
                     const QString& Dupd = QStringLiteral("2025-02-01 09:00:00"))
    {
        Campaign->Exec(QStringLiteral("INSERT INTO Colheita (id_cruza, id_usua, nc_rep, qte_sem, lote, dupd, cmaq) "
                                      "VALUES (%1, 3, %2, %3, '%4', '%5', 'CAMPO01')")
                           .arg(IdCruza).arg(Label).arg(Seeds).arg(QString(Lot).replace(u'\'', QStringLiteral("''")), Dupd));
    }

    // The lot grid's rows (shown newest first), sorted by lot.
    QString Lots()
    {
        QStringList rows;
        QString last = QStringLiteral("9");
        for (W->QGridLote->First(); !W->QGridLote->Eof(); W->QGridLote->Next()) {
            QStringList row;
            for (int c = 0; c < 3; ++c)
                row << W->QGridLote->Fields(c)->AsString();
            EXPECT_LE(row[2], last);
            last = row[2];
            rows << row.join(u'|');
        }
        rows.sort();
        return rows.join(u';');
    }

    QString Envelopes(qint64 Label)
    {
        return Campaign->Rows(
            QStringLiteral("SELECT lote, qte_sem, obs, id_usua, cmaq FROM Colheita WHERE nc_rep = %1").arg(Label));
    }

    int User() const { return W->usua->itemData(1).toInt(); }

    // Another instance's part in a case: a statement the file refuses to run, as a full disk would, until
    // the trigger "falha" is dropped.
    std::function<void(qint64)> Failing(const char* Trigger)
    {
        return [=, this](qint64) {
            Campaign->Exec(QStringLiteral("CREATE TRIGGER falha %1 BEGIN SELECT RAISE(ABORT, 'falha no disco'); END").arg(QLatin1String(Trigger)));
        };
    }
};

} // namespace

// Opened once; counters and lots exact with another instance writing between this window's envelopes.
TEST_F(Envelope, CountsWithASecondWriterThenRegistrationWithAndWithoutALiveCrossing)
{
    Options.Labels = 600;
    Options.Crossings = 100;
    Options.Envelopes = 90;
    ASSERT_NO_FATAL_FAILURE(Open());
    const QList<TLabel> free = FreeLabels();
    ASSERT_GE(free.size(), 16);
    for (int i = 0; i < 10; ++i)   // the fourth envelope with its crossing
        if (i != 3)
            AddCrossing(free[i].Number, 1, QStringLiteral("M"));
    W->Refresh_Grid();
    ASSERT_NO_FATAL_FAILURE(Start());
    const QString lots = QStringLiteral("SELECT lote, count(1), MAX(dupd) FROM Colheita GROUP BY lote");
    CountWithASecondWriter(
        QStringLiteral("SELECT COUNT(*) FROM Colheita"),
        [&](int i) {
            ASSERT_NO_FATAL_FAILURE(Envelope_(free[i].Number, 5));
            if (i == 3)
                Pick(W->id_emasculador, 0), Pick(W->reverso, 0);
            EXPECT_EQ(Lots(), Campaign->Rows(lots + QStringLiteral(" ORDER BY lote")));
            EXPECT_EQ(W->LRegLote->text(), QStringLiteral("Registros: %1").arg(Campaign->Rows(lots).count(u';') + 1));
        },
        [&](int i) {
            if (i == 4)
                Campaign->Exec(QStringLiteral("DELETE FROM Colheita WHERE nc_rep = %1").arg(free[0].Number));
            else
                AddEnvelope(free[i + 4].Number, i == 2 ? QStringLiteral("CX-01") : QStringLiteral("ZZ"), 4);
        });
    // A label with a live crossing gets its envelope alone; one without, a crossing "A" first.
    const QList<TLabel> more = free.mid(10);
    const QString pc = GetComputerNameStr();
    AddCrossing(more[0].Number, 1, QStringLiteral("X"));
    AddCrossing(more[1].Number, 1, QStringLiteral("M"));
    Campaign->Exec(QStringLiteral("UPDATE Cruza SET reverso = '1', id_emasculador = 4 WHERE nc_rep = %1").arg(more[1].Number));
    struct TCase
    {
        TLabel L;
        bool Live;
        QString Cruza;   // the label's crossings after the save
    };
    const int executor = W->id_emasculador->itemData(2).toInt();
    const QList<TCase> cases = {
        {more[1], true, QStringLiteral("1|1|4|M|CAMPO01")},
        {more[0], false, QStringLiteral("1|0|1|X|CAMPO01;2|1|%1|A|%2").arg(executor).arg(pc)},
        {more[2], false, QStringLiteral("1|1|%1|A|%2").arg(executor).arg(pc)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.L.Number);
        ASSERT_NO_FATAL_FAILURE(Envelope_(c.L.Number, 8, QStringLiteral("obs")));
        if (!c.Live) {
            ASSERT_EQ(Focus(), W->id_emasculador);
            EXPECT_EQ(W->codigo_mae->text(),
                      Campaign->Scalar(QStringLiteral("SELECT codigo FROM Parental WHERE id = %1").arg(c.L.Mother)));
            Scan(QString());
            ExpectAlert(QStringLiteral("Executor da Hibridação deve ser informado."));
            ASSERT_EQ(Focus(), W->reverso);
            Scan(QString());   // Enter on the reverse flag confirms: the executor is still missing
            ExpectAlert(QStringLiteral("Executor da Hibridação deve ser informado."));
            EXPECT_EQ(Envelopes(c.L.Number), QString());
            Pick(W->id_emasculador, 2);
            Pick(W->reverso, 1);
        }
        ExpectNothingShown();
        EXPECT_EQ(CruzaRows(c.L.Number), c.Cruza);
        EXPECT_EQ(Envelopes(c.L.Number), QStringLiteral("CX-01|8|OBS|%1|%2").arg(User()).arg(pc));
        EXPECT_EQ(Focus(), W->NC_REP_LIDO);
        EXPECT_FALSE(W->id_emasculador->isEnabled());
    }
}

// Entries refused before anything is saved; seed counts: 0 refused, above the limit asked once per accepted count.
TEST_F(Envelope, RefusedEntriesAndTheSeedCountLimit)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    const QList<TLabel> free = FreeLabels();
    for (int i = 0; i < 6; ++i)
        AddCrossing(free[i].Number, 1, QStringLiteral("M"));
    // Nobody chosen, no lot: each sounds when left and stays in the tab order.
    Scan(QString());
    ExpectAlert(QStringLiteral("Usuário deve ser selecionado."));
    Scan(QString());
    ExpectAlert(QStringLiteral("Caixa/Lote deve ser informado."));
    EXPECT_EQ(Focus(), W->NC_REP_LIDO);
    // An unknown label sounds and stays selected for the next scan; an empty one moves on to the count.
    Rescan(W->NC_REP_LIDO, Barcode(9999999));
    ExpectAlert(QStringLiteral("Etiqueta de Hibridação não cadastrado."));
    EXPECT_EQ(W->NC_REP_LIDO->selectedText(), Barcode(9999999));
    Rescan(W->NC_REP_LIDO, QString());
    ExpectAlert(QStringLiteral("Etiqueta de Hibridação deve ser informado."));
    EXPECT_EQ(Focus(), W->nsem);
    // Leaving the empty seed count sounds; the confirmation walks user, lot, label in order and stops at the first.
    W->obs->setFocus();
    QTest::keyClick(W->obs, Qt::Key_Return);
    EXPECT_EQ(H.Dlg.Texts(), (QStringList{QStringLiteral("Número de semente deve ser informado com um valor positivo."),
                                          QStringLiteral("Usuário deve ser selecionado.")}));
    EXPECT_EQ(Focus(), W->usua);
    EXPECT_EQ(Campaign->Count(QStringLiteral("Colheita")), 0);
    H.Dlg.Clear();
    H.Sound.Played.clear();
    ASSERT_NO_FATAL_FAILURE(Start());
    const QString question = QStringLiteral("A quantidade de semente informado está acima do limite normal [10].\r\n"
                                            "Confirma o número de sementes informado?");
    struct TCase
    {
        int Seeds;
        QList<int> Answers;   // the questions asked and their answers
        bool Saved;
    };
    const QList<TCase> cases = {
        {0, {}, false}, {12, {mrNo}, false}, {12, {mrYes}, true}, {12, {}, true}, {10, {}, true}, {11, {mrYes}, true},
    };
    int label = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Seeds);
        const TLabel& L = free[label];
        for (int a : c.Answers)
            H.Dlg.Answer(a);
        Rescan(W->NC_REP_LIDO, Barcode(L.Number));
        ASSERT_EQ(Focus(), W->nsem);
        Scan(QString::number(c.Seeds));
        QStringList expected(c.Answers.size(), question);
        if (c.Seeds == 0)
            expected << QStringLiteral("Número de semente deve ser informado com um valor positivo.");
        EXPECT_EQ(H.Dlg.Texts(), expected);
        H.Dlg.Clear();
        H.Sound.Played.clear();
        ASSERT_EQ(Focus(), W->obs);
        if (!c.Saved)
            continue;
        Scan(QString());   // the remarks' Enter confirms; an accepted count is not asked for again
        ExpectNothingShown();
        EXPECT_EQ(Envelopes(L.Number).section(u'|', 1, 1), QString::number(c.Seeds));
        ++label;
    }
}

// Deletion: the envelope asked about goes, logged (as the file has it at the write) when Talvora had it,
// with the crossing this window made for it; one another instance deleted (in the same second) or
// registered again meanwhile is a failure that writes nothing. Then the filter.
TEST_F(Envelope, DeletionLogsAndRemovesOnlyTheWindowsOwnCrossingThenTheFilter)
{
    Options.Labels = 200;
    ASSERT_NO_FATAL_FAILURE(Open());
    const QList<TLabel> free = FreeLabels();
    const QString at = QStringLiteral("2026-03-01 10:00:00");
    // As the other instance's own deletion: its log row, the envelope, the crossing.
    const auto deleted = [&](qint64 l) {
        Campaign->Exec(QStringLiteral("INSERT INTO Colheita_Del (id_cruza, id_usua_del, nc_rep, dupd, cmaq) SELECT id_cruza, 2, "
                                      "nc_rep, '%1', 'CAMPO02' FROM Colheita WHERE nc_rep = %2").arg(NowStr()).arg(l));
        Campaign->Exec(QStringLiteral("DELETE FROM Colheita WHERE nc_rep = %1").arg(l));
        Campaign->Exec(QStringLiteral("DELETE FROM Cruza WHERE nc_rep = %1").arg(l));
    };
    const auto again = [&](const QString& Lot) {
        return [&, Lot](qint64 l) { deleted(l), AddCrossing(l, 1, QStringLiteral("A"), at), AddEnvelope(l, Lot, 5, QStringLiteral("NULL"), at); };
    };
    const QString failed = QStringLiteral("Erro ao Excluir o Cadastro de Envelope de Semente.\r\nMsg. Erro : ");
    const QString changed = failed + QStringLiteral("O Envelope de Semente foi alterado e não foi excluído:\r\nLote : %1\r\nNr. Sementes: 5");
    const QString mine = QStringLiteral("%1|%2").arg(User()).arg(GetComputerNameStr()), theirs = QStringLiteral("77|2|CAMPO02");
    const QString disk = QStringLiteral("falha no disco"), id = QStringLiteral("77"), none = QStringLiteral("NULL"),
                  a = QStringLiteral("A"), gone = QStringLiteral("/"), kept = QStringLiteral("A/L1|5");
    struct TCase
    {
        QString EnvelopeId, CruzaStatus, CruzaId, Log, After;   // After: the label's crossings/envelope
        std::function<void(qint64)> Other = {};                 // while the question is up
        QString Message = {};                                   // none: deleted
    };
    const QList<TCase> cases = {
        {id, a, none, QStringLiteral("77|") + mine, gone},
        {none, a, QStringLiteral("88"), QString(), QStringLiteral("A/")},
        {none, QStringLiteral("M"), none, QString(), QStringLiteral("M/")},
        {none, a, none, QStringLiteral("99|") + mine, gone,
         [&](qint64 l) { Campaign->Exec(QStringLiteral("UPDATE Colheita SET id_cruza = 99 WHERE nc_rep = %1").arg(l)); }},
        {id, a, none, theirs, gone, deleted, failed + QStringLiteral("O Envelope de Semente já foi excluído.")},
        {id, a, none, theirs, QStringLiteral("A/NOVO|5"), again(QStringLiteral("NOVO")), changed.arg(QStringLiteral("NOVO"))},
        {id, a, none, theirs, kept, again(QStringLiteral("L1")), changed.arg(QStringLiteral("L1"))},
        {id, a, none, QString(), kept, Failing("BEFORE INSERT ON Colheita_Del"),
         QStringLiteral("Erro ao gerar Log Colheita [Add_Colheita_Del].\r\nMsg. Erro: ") + disk},
        {id, a, none, QString(), kept, Failing("BEFORE DELETE ON Colheita"), failed + disk},
        {id, a, none, QString(), kept, Failing("BEFORE DELETE ON Cruza"), failed + disk},
    };
    for (int i = 0; i < cases.size(); ++i) {
        AddCrossing(free[i].Number, 1, cases[i].CruzaStatus, QStringLiteral("2025-01-01 10:00:00"), cases[i].CruzaId);
        AddEnvelope(free[i].Number, QStringLiteral("L1"), 5, cases[i].EnvelopeId);
    }
    Pick(W->usua, 1);
    ASSERT_NO_FATAL_FAILURE(ChooseOperation(1));
    EXPECT_FALSE(W->QGrid->Active());
    // No: nothing changes.
    Scan(Barcode(free[0].Number));
    EXPECT_EQ(W->QGrid->RecordCount(), 1);
    H.Dlg.Answer(mrNo);
    QTest::mouseClick(W->BConfirm, Qt::LeftButton);
    EXPECT_TRUE(H.Dlg.Count() == 1 && H.Dlg.Last().Text.contains(free[0].Cruza));
    H.Dlg.Clear();
    EXPECT_EQ(Campaign->Count(QStringLiteral("Colheita")), cases.size());
    for (int i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const TCase& c = cases[i];
        const qint64 label = free[i].Number;
        Rescan(W->NC_REP_LIDO, Barcode(label));
        EXPECT_TRUE(YesWhile([&] { c.Other ? c.Other(label) : void(); }).Text.contains(QStringLiteral("Lote: L1")));
        Campaign->Exec(QStringLiteral("DROP TRIGGER IF EXISTS falha"));
        c.Message.isEmpty() ? ExpectNothingShown() : ExpectAlert(c.Message);
        EXPECT_EQ(Campaign->Rows(QStringLiteral("SELECT status FROM Cruza WHERE nc_rep = %1").arg(label)) + u'/'
                      + Campaign->Rows(QStringLiteral("SELECT lote, qte_sem FROM Colheita WHERE nc_rep = %1").arg(label)),
                  c.After);
        EXPECT_EQ(Campaign->Rows(QStringLiteral("SELECT id_cruza, id_usua_del, cmaq FROM Colheita_Del WHERE nc_rep = %1").arg(label)),
                  c.Log);
        // A failure keeps the label for another look.
        EXPECT_EQ(W->NC_REP_LIDO->text(), c.Message.isEmpty() ? QString() : Barcode(label));
        if (c.Message.isEmpty()) {
            EXPECT_EQ(W->QGrid->RecordCount(), 0);
            EXPECT_EQ(W->LRegLote->text(), QStringLiteral("Registros: ") + Campaign->Scalar(QStringLiteral("SELECT COUNT(DISTINCT lote) FROM Colheita")));
            EXPECT_EQ(Focus(), W->NC_REP_LIDO);
        }
    }
    Campaign->Exec(QStringLiteral("DELETE FROM Colheita"));
    Rescan(W->NC_REP_LIDO, Barcode(free[0].Number));
    QTest::mouseClick(W->BConfirm, Qt::LeftButton);
    ExpectAlert(QStringLiteral("NC/Repetição a ser excluído não foi encontrado."));
    // Then the filter, by lot and label, on new envelopes.
    const QList<TLabel> more = free.mid(cases.size());
    const QString quoted = QStringLiteral("O'BRIEN");
    const QStringList lots{QStringLiteral("A1"), QStringLiteral("A1"), QStringLiteral("B2"), quoted};
    for (int i = 0; i < lots.size(); ++i)
        AddEnvelope(more[i].Number, lots[i], 5);
    W->Refresh_Grid();
    ASSERT_NO_FATAL_FAILURE(ChooseOperation(2));
    const QString all = Campaign->Rows(QStringLiteral("SELECT nc_rep FROM Colheita ORDER BY nc_rep"));
    const QString label0 = QString::number(more[0].Number), label2 = QString::number(more[2].Number);
    struct TFilter
    {
        QString Lot, Label, Shown, Box;
    };
    const QList<TFilter> filters = {
        {QStringLiteral("A1"), QString(), label0 + u';' + QString::number(more[1].Number), QString()},
        {QString(), Barcode(more[2].Number), label2, QString()},   // 8 digits: the check digit dropped
        {QString(), label2, label2, QString()},                    // 7 digits: used whole
        {QStringLiteral("A1"), Barcode(more[0].Number), label0, QString()},
        {quoted, QString(), QString::number(more[3].Number), QString()},
        {QStringLiteral("B2"), QStringLiteral("12A4"), label2, QStringLiteral("Filtro para Etiqueta deve conter somente valores numéricos.")},
        {QString(), QStringLiteral("-"), QStringLiteral("*"), QStringLiteral("Filtro para Etiqueta deve conter somente valores numéricos.")},
        {QString(), QString(), QStringLiteral("*"), QString()},
    };
    for (const TFilter& c : filters) {
        SCOPED_TRACE((c.Lot + u'|' + c.Label).toStdString());
        Rescan(W->lote, c.Lot);
        ASSERT_EQ(Focus(), W->NC_REP_LIDO);
        W->NC_REP_LIDO->setText(c.Label);
        QTest::mouseClick(W->BConfirm, Qt::LeftButton);
        c.Box.isEmpty() ? ExpectNothingShown() : ExpectBox(c.Box);
        QStringList shown;
        for (W->QGrid->First(); !W->QGrid->Eof(); W->QGrid->Next())
            shown << W->QGrid->FieldByName(QStringLiteral("nc_rep"))->AsString();
        shown.sort();
        EXPECT_EQ(shown.join(u';'), c.Shown == QLatin1String("*") ? all : c.Shown);
    }
}

// Another instance registers the label between this confirmation's check and its insert, or a statement of
// the registration fails (as on a full disk): nothing of it written, the window's own message. Refused, the
// label is selected for the next scan; failed, the entry stays for another try.
TEST_F(Envelope, TheOtherInstanceOrAFailingStatementAtTheLastMomentLeaveNothingWritten)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    const QList<TLabel> free = FreeLabels();
    const QString at = QStringLiteral("2026-03-01 10:00:00");
    const QString failed = QStringLiteral("Erro ao Incluir o Cadastro de Envelope de Semente.\r\nMsg. Erro : falha no disco");
    struct TCase
    {
        bool Live;   // the label has a live crossing when scanned
        std::function<void(qint64)> Other;
        QString Message, After;   // the label's crossings/envelopes
    };
    const QList<TCase> cases = {
        {false, [&](qint64 l) { AddCrossing(l, 1, QStringLiteral("A"), at), AddEnvelope(l, QStringLiteral("OUTRO"), 7); },
         QStringLiteral("Etiqueta de Hibridação já foi cadastrado:\r\nLote : OUTRO\r\nNr. Sementes: 7"),
         QStringLiteral("1|0|1|A|CAMPO01/OUTRO|7||3|CAMPO01")},
        {false, [&](qint64 l) { AddCrossing(l, 1, QStringLiteral("M"), at); }, QStringLiteral("A Etiqueta já foi utilizado em : ") + at,
         QStringLiteral("1|0|1|M|CAMPO01/")},
        {true, [&](qint64 l) { Campaign->Exec(QStringLiteral("UPDATE Cruza SET status = 'X' WHERE nc_rep = %1").arg(l)); },
         QStringLiteral("Etiqueta de Hibridação não utilizado no cruzamento."), QStringLiteral("1|0|1|X|CAMPO01/")},
        {false, Failing("BEFORE INSERT ON Cruza"), QStringLiteral("Erro ao incluir Cruza.\r\nMsg. Erro: falha no disco"), QStringLiteral("/")},
        {false, Failing("BEFORE INSERT ON Colheita"), failed, QStringLiteral("/")},
    };
    ASSERT_NO_FATAL_FAILURE(Start());
    for (int i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const qint64 label = free[i].Number;
        if (cases[i].Live)
            AddCrossing(label, 1, QStringLiteral("M"));
        Rescan(W->NC_REP_LIDO, Barcode(label));
        Scan(QStringLiteral("5"));
        TStatementHook hook("INSERT INTO", [&] { cases[i].Other(label); });
        Scan(QStringLiteral("OK"));
        if (!cases[i].Live) {
            Pick(W->id_emasculador, 0);
            Scan(QString());
        }
        ASSERT_TRUE(hook.Fired);
        Campaign->Exec(QStringLiteral("DROP TRIGGER IF EXISTS falha"));
        ExpectAlert(cases[i].Message);
        EXPECT_EQ(CruzaRows(label) + u'/' + Envelopes(label), cases[i].After);
        if (cases[i].Message.startsWith(QLatin1String("Erro"))) {
            Scan(QString());
            EXPECT_EQ(Envelopes(label).section(u'|', 0, 1), QStringLiteral("CX-01|5"));
        } else {
            EXPECT_EQ(Focus(), W->NC_REP_LIDO);
            EXPECT_EQ(W->NC_REP_LIDO->selectedText(), Barcode(label));
        }
    }
    // Nothing held: the other instance writes on.
    AddEnvelope(free[cases.size()].Number, QStringLiteral("OUTRO"), 1);
}

// An instance for the test below, ENVELOPE_INSTANCE = file|lot|label,...: prints "@ confirmed|refused <label> <boxes>".
TEST_F(Envelope, DISABLED_Instance)
{
    const QStringList a = QString::fromLocal8Bit(qgetenv("ENVELOPE_INSTANCE")).split(u'|');
    ASSERT_NO_FATAL_FAILURE(OpenOn(a[0], &TFMain::LCRUZAETI_CAD));
    ASSERT_NO_FATAL_FAILURE(Start(a[1]));
    for (const QString& label : a[2].split(u',')) {
        Rescan(W->NC_REP_LIDO, Barcode(label.toLongLong()));
        if (H.Dlg.Count() == 0) {
            Scan(QStringLiteral("5"));
            Scan(QStringLiteral("OK"));
            if (W->reverso->isEnabled()) {
                Pick(W->id_emasculador, 0);
                Scan(QString());
            }
        }
        const QString texts = H.Dlg.Texts().join(u'/').simplified();
        H.Dlg.Clear();
        std::printf("@ %s %s %s\n", texts.isEmpty() ? "confirmed" : "refused", qPrintable(label), texts.toUtf8().constData());
        std::fflush(stdout);
    }
}

// Two instances register envelopes of the same labels at once, a third of them with a live crossing:
// every label ends with one live crossing and one envelope, every confirmed one stored.
TEST_F(Envelope, TwoInstancesRegisteringTheSameLabels)
{
    Options.Labels = 200;
    Options.Crossings = 0;
    Campaign = std::make_unique<TCampaignFile>(Options);
    Campaign->Exec(QStringLiteral("UPDATE Configuracao SET smt_max_hibr = 10"));
    const QList<TLabel> free = FreeLabels().mid(0, 150);
    QStringList labels;
    for (int i = 0; i < free.size(); ++i) {
        labels << QString::number(free[i].Number);
        if (i % 3 == 0)
            AddCrossing(free[i].Number, 1, QStringLiteral("M"));
    }
    std::unique_ptr<QProcess> p[2];
    for (int i = 0; i < 2; ++i)
        p[i] = SpawnChild("ENVELOPE_INSTANCE", {Campaign->Path, QStringLiteral("P%1").arg(i), labels.join(u',')},
                          {QStringLiteral("--gtest_filter=Envelope.DISABLED_Instance"), QStringLiteral("--gtest_also_run_disabled_tests")});
    QStringList confirmed;   // "label|lot"
    for (int i = 0; i < 2; ++i) {
        for (const QString& line : LinesThenKilled(*p[i], -1, QStringLiteral("@ "))) {
            if (line.startsWith(QLatin1String("@ confirmed ")))
                confirmed << line.section(u' ', 2, 2) + QStringLiteral("|P%1").arg(i);
            // Refused only with the window's own words.
            else if (!line.contains(QStringLiteral("Etiqueta de Hibridação já foi cadastrado:"))
                     && !line.contains(QStringLiteral("A Etiqueta já foi utilizado em : ")))
                ADD_FAILURE() << line.toStdString();
        }
        EXPECT_EQ(p[i]->exitCode(), 0);
    }
    // Each label confirmed by one instance, stored once as that one's.
    confirmed.sort();
    EXPECT_EQ(confirmed.size(), 150);
    EXPECT_EQ(Campaign->Rows(QStringLiteral("SELECT nc_rep, lote FROM Colheita ORDER BY nc_rep")), confirmed.join(u';'));
    EXPECT_EQ(Campaign->Rows(QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT nc_rep) FROM Cruza WHERE status <> 'X'")),
              QStringLiteral("150|150"));
}
