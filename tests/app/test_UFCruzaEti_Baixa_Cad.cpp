#include "ScanWindowTest.h"

#include "UFCruzaEti_Baixa_Cad.h"
#include "UXComboBox.h"
#include "UXForms.h"
#include "UXLib.h"

#include <QLabel>

namespace {

class Baixa : public TScanWindowTest<TFCruzaEti_Baixa_Cad>
{
protected:
    void Open() { TScanWindowTest::Open(&TFMain::LCRUZAETI_BAIXA_CAD); }

    QString Rows(qint64 Label)
    {
        return Campaign->Rows(QStringLiteral("SELECT seq, status, id_cruza, id_usua_baixa, x_cmaq, x_dupd IS NULL FROM Cruza "
                                             "WHERE nc_rep = %1 ORDER BY seq").arg(Label));
    }
};

} // namespace

// Newest write-offs first; counts exact with another instance writing between; refused without a configuration.
TEST_F(Baixa, CountStaysExactWithASecondWriter)
{
    Options.Labels = 600;
    Options.Crossings = 100;
    ASSERT_NO_FATAL_FAILURE(Open());
    Campaign->Exec(QStringLiteral("UPDATE Cruza SET status = 'X', x_dupd = dupd"));
    const QList<TLabel> free = FreeLabels();
    ASSERT_GE(free.size(), 12);
    for (int i = 0; i < 10; ++i)
        AddCrossing(free[i].Number, 1, QStringLiteral("M"));
    for (int i : {10, 11})
        AddCrossing(free[i].Number, 1, QStringLiteral("X"), QStringLiteral("2025-01-01 10:00:00"), QString::number(i == 10 ? -500 : 502),
                    QStringLiteral("'2027-01-0%1 10:00:00'").arg(i - 9));
    W->Refresh_Grid();
    EXPECT_EQ(GridTop("x_dupd"), Campaign->Scalar(QStringLiteral("SELECT MAX(x_dupd) FROM Cruza WHERE status = 'X'")));
    // "Tal" only for a positive identifier.
    EXPECT_EQ(GridTop("tal_transmissao") + W->GCad->FieldText(2, QStringLiteral("tal_transmissao")), QStringLiteral("TalAdic"));
    ASSERT_NO_FATAL_FAILURE(Pick(W->usua, 0));
    const QString x = QStringLiteral("UPDATE Cruza SET status = '%1', x_dupd = '2026-01-01 00:00:00' WHERE nc_rep = %2");
    CountWithASecondWriter(
        QStringLiteral("SELECT COUNT(*) FROM Cruza WHERE status = 'X'"), [&](int i) { Scan(Barcode(free[i].Number)); },
        [&](int i) { Campaign->Exec(x.arg(i == 4 ? QStringLiteral("M") : QStringLiteral("X")).arg(free[i == 4 ? 0 : i + 4].Number)); });
    // Without a loaded configuration (the database-file window disconnected) the window refuses to open.
    W->Close();
    H.Settle();
    FMain->AppConfig->Load(false);
    FMain->LCRUZAETI_BAIXA_CAD->trigger();
    ExpectBox(QStringLiteral("Banco de dados não Conectado."));
    H.Settle();
    EXPECT_TRUE(FMain->findChildren<TFCruzaEti_Baixa_Cad*>().isEmpty());
}

// Label states, the answer of a write-off or its cancellation and the label's rows after it.
TEST_F(Baixa, WriteOffAndItsCancellationByLabelState)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    const QList<TLabel> free = FreeLabels();
    const QString user = QString::number(W->usua->itemData(1).toInt()), pc = GetComputerNameStr();
    const QString was = QStringLiteral("2025-01-01 10:00:00"), then = QStringLiteral("2025-01-03 10:00:00");
    struct TCase
    {
        const char* Name;
        std::function<void(qint64)> Setup;
        QString Message;   // empty: written off
        QString After;     // the label's rows
    };
    const QList<TCase> cases = {
        {"live crossing received by Talvora, after a written-off one",
         [&](qint64 l) {
             AddCrossing(l, 1, QStringLiteral("X"), was, QStringLiteral("-9"), QStringLiteral("'2025-01-02 10:00:00'"));
             AddCrossing(l, 2, QStringLiteral("M"), then, QStringLiteral("501"));
         },
         QString(), QStringLiteral("1|X|-9|||0;2|X|-501|%1|%2|0").arg(user, pc)},
        {"local crossing made by the envelope window", [&](qint64 l) { AddCrossing(l, 1, QStringLiteral("A"), then); }, QString(),
         QStringLiteral("1|X||%1|%2|0").arg(user, pc)},
        {"harvested",
         [&](qint64 l) {
             AddCrossing(l, 1, QStringLiteral("M"), was);
             Campaign->Exec(QStringLiteral("INSERT INTO Colheita (nc_rep, qte_sem, lote, dupd, cmaq) "
                                           "VALUES (%1, 3, 'L1', '2025-02-01 09:00:00', 'CAMPO01')").arg(l));
         },
         QStringLiteral("A Etiqueta de Hibridação já foi lançado como colhido em : 2025-02-01 09:00:00"), QStringLiteral("1|M||||1")},
        {"never hybridised", [](qint64) {}, QStringLiteral("Etiqueta de Hibridação não utilizado no cruzamento."), QString()},
    };
    ASSERT_NO_FATAL_FAILURE(Pick(W->usua, 1));
    for (int i = 0; i < cases.size(); ++i) {
        const TCase& c = cases[i];
        SCOPED_TRACE(c.Name);
        const qint64 label = free[i].Number;
        c.Setup(label);
        Scan(Barcode(label));
        if (c.Message.isEmpty()) {
            ExpectNothingShown();
            EXPECT_TRUE(W->NC_REP_LIDO->text().isEmpty());
        } else {
            ExpectAlert(c.Message);
            EXPECT_EQ(W->NC_REP_LIDO->selectedText(), Barcode(label));
        }
        EXPECT_EQ(Rows(label), c.After);
        EXPECT_EQ(W->usua->currentIndex(), 1);
        EXPECT_EQ(Focus(), W->NC_REP_LIDO);
        W->NC_REP_LIDO->clear();
    }
    // Blanks, a label that is not in the file.
    Rescan(W->NC_REP_LIDO, QStringLiteral("  "));
    ExpectAlert(QStringLiteral("Etiqueta deve ser informado."));
    Rescan(W->NC_REP_LIDO, Barcode(9999999));
    ExpectAlert(QStringLiteral("Etiqueta de Hibridação não cadastrado."));
    // Cancellation of a write-off: the current row back to "M", its write-off columns emptied.
    ASSERT_NO_FATAL_FAILURE(ChooseOperation(1));
    struct TCancel
    {
        QString IdCruza, CurrentStatus, Message, After;
        int Answer = mrYes;   // No keeps the write-off
    };
    const QList<TCancel> cancels = {
        {QStringLiteral("-501"), QStringLiteral("X"), QString(), QStringLiteral("1|M|501|||1")},
        {QStringLiteral("NULL"), QStringLiteral("X"), QString(), QStringLiteral("1|M||||1")},
        {QStringLiteral("501"), QStringLiteral("X"), QStringLiteral("A Etiqueta de Hibridação atualizado no Talvora não pode ser excluído."),
         QStringLiteral("1|X|501|2|CAMPO02|0")},
        {QStringLiteral("NULL"), QStringLiteral("M"),
         QStringLiteral("A Etiqueta de Hibridação ainda não foi baixado e/ou já foi reutilizado."), QStringLiteral("1|X||2|CAMPO02|0;2|M||||1")},
        {QStringLiteral("NULL"), QStringLiteral("X"), QString(), QStringLiteral("1|X||2|CAMPO02|0"), mrNo},
    };
    for (int i = 0; i < cancels.size(); ++i) {
        const TCancel& c = cancels[i];
        SCOPED_TRACE(i);
        const TLabel& L = free[6 + i];
        AddCrossing(L.Number, 1, QStringLiteral("X"), was, c.IdCruza, QStringLiteral("'2025-01-02 10:00:00'"));
        Campaign->Exec(QStringLiteral("UPDATE Cruza SET id_usua_baixa = 2, x_cmaq = 'CAMPO02' WHERE nc_rep = %1").arg(L.Number));
        if (c.CurrentStatus == QLatin1String("M"))
            AddCrossing(L.Number, 2, QStringLiteral("M"), then);
        H.Dlg.Answer(c.Answer);   // cleared with the box of a refusal
        Rescan(W->NC_REP_LIDO, Barcode(L.Number));
        if (c.Message.isEmpty()) {
            ASSERT_EQ(H.Dlg.Count(), 1);
            EXPECT_TRUE(H.Dlg.Last().Text.contains(L.Cruza));
            EXPECT_EQ(H.Dlg.Last().Buttons[H.Dlg.Last().EffectiveDefault()].ModalResult, mrNo);
            H.Dlg.Clear();
            EXPECT_EQ(W->QGrid->RecordCount(), c.Answer == mrYes ? 0 : 1);
        } else {
            ExpectAlert(c.Message);
            EXPECT_EQ(W->codigo_cruza->text(), L.Cruza);   // the label found is shown, also when it is refused
            EXPECT_FALSE(W->QGrid->Active());
        }
        EXPECT_EQ(Rows(L.Number), c.After);
        EXPECT_EQ(Focus(), W->NC_REP_LIDO);
    }
}

// Another instance changes the label as the write-off begins writing, or while the cancellation's question
// is up: the row checked is the row written, or nothing is, and that is a failure, never a success.
TEST_F(Baixa, TheOtherInstanceMeanwhileLeavesTheLabelAsItLeftIt)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    const QList<TLabel> free = FreeLabels();
    const QString reused = QStringLiteral("A Etiqueta de Hibridação ainda não foi baixado e/ou já foi reutilizado.");
    struct TCase
    {
        bool WriteOff;   // or its cancellation
        QString Other;     // what the other instance writes, %1 the label
        QString Message;   // after "Msg. Erro : "
        QString After;     // the label's rows
    };
    const QList<TCase> cases = {
        {true, QStringLiteral("INSERT INTO Colheita (nc_rep, qte_sem, lote, dupd, cmaq) VALUES (%1, 3, 'L1', '2026-03-01 10:00:00', 'C2')"),
         QStringLiteral("A Etiqueta de Hibridação já foi lançado como colhido em : 2026-03-01 10:00:00"), QStringLiteral("1|M|-501|||1")},
        {true, QStringLiteral("CREATE TRIGGER ignora BEFORE UPDATE ON Cruza BEGIN SELECT RAISE(IGNORE); END"),
         QStringLiteral("Etiqueta de Hibridação não utilizado no cruzamento."), QStringLiteral("1|M|-501|||1")},
        {false, QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq, x_dupd) "
                               "VALUES (%1, 2, '0', 1, 'X', '2026-03-01', 'C2', '2026-03-01')"),
         reused, QStringLiteral("1|X|-501|||0;2|X||||0")},
        {false, QStringLiteral("UPDATE Cruza SET status = 'M', id_cruza = 501, x_dupd = NULL WHERE nc_rep = %1"), reused,
         QStringLiteral("1|M|501|||1")},
    };
    ASSERT_NO_FATAL_FAILURE(Pick(W->usua, 1));
    for (int i = 0; i < cases.size(); ++i) {
        const TCase& c = cases[i];
        SCOPED_TRACE(i);
        const qint64 label = free[i].Number;
        const auto other = [&] { Campaign->Exec(QString(c.Other).replace(QLatin1String("%1"), QString::number(label))); };
        if (c.WriteOff) {
            AddCrossing(label, 1, QStringLiteral("M"), QStringLiteral("2025-01-01 10:00:00"), QStringLiteral("-501"));
            TStatementHook hook("UPDATE Cruza", other);
            Rescan(W->NC_REP_LIDO, Barcode(label));
            ASSERT_TRUE(hook.Fired);
        } else {
            if (W->Mode != 4) {
                ASSERT_NO_FATAL_FAILURE(ChooseOperation(1));
            }
            AddCrossing(label, 1, QStringLiteral("X"), QStringLiteral("2025-01-01 10:00:00"), QStringLiteral("-501"),
                        QStringLiteral("'2025-01-02 10:00:00'"));
            YesWhile(other, [&] { Rescan(W->NC_REP_LIDO, Barcode(label)); });
        }
        ExpectBox(QStringLiteral("Erro ao %1 a Baixa da Etiqueta de Hibridação do Cruzamento.\r\nMsg. Erro : ")
                      .arg(c.WriteOff ? QStringLiteral("Incluir") : QStringLiteral("Cancelar"))
                  + c.Message);
        EXPECT_EQ(Rows(label), c.After);
        EXPECT_TRUE(W->NC_REP_LIDO->text().isEmpty());   // cleared for the next scan after a failure
        Campaign->Exec(QStringLiteral("DROP TRIGGER IF EXISTS ignora"));
    }
}
