#include "ScanWindowTest.h"

#include "UFEti_Hibridacao_Cons.h"
#include "UXComboBox.h"
#include "UXLib.h"
#include "UXNumEdit.h"
#include "XGraphics.h"

#include <QLabel>

namespace {

class EtiquetaConsulta : public TScanWindowTest<TFEti_Hibridacao_Cons>
{
protected:
    void Open(const QString& ConfigSQL = QString())
    {
        TScanWindowTest::Open(&TFMain::LETI_HIBRIDACAO_CONS, ConfigSQL);
    }

    void Crossing(qint64 Label, int Seq, const QString& Status, int Executor, const QString& Reverso)
    {
        Campaign->Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq) "
                                      "VALUES (%1, %2, '%3', %4, '%5', '2025-03-0%2 10:00:00', 'CAMPO01')")
                           .arg(Label).arg(Seq).arg(Reverso).arg(Executor).arg(Status));
    }
    QString Name(int Executor)
    {
        return Campaign->Scalar(QStringLiteral("SELECT nome FROM Emasculador WHERE id = %1").arg(Executor));
    }
    // What the window shows of a label, without its executor.
    QString Plan(const TLabel& L)
    {
        auto code = [this](int Pot) { return Campaign->Scalar(QStringLiteral("SELECT codigo FROM Parental WHERE id = %1").arg(Pot)); };
        return QStringList{QString::number(L.Rep), L.Printed, L.Cruza, QString::number(L.Mother), code(L.Mother),
                           QString::number(L.Father), code(L.Father)}.join(u'|');
    }
    QString Display() const
    {
        return QStringList{W->rep->text(), W->nc_rep->text(), W->codigo_cruza->text(), W->id_mae->text(),
                           W->codigo_mae->text(), W->id_pai->text(), W->codigo_pai->text(), W->id_emasculador->currentText(),
                           W->reverso->currentText(), W->LStatus->isVisible() ? W->LStatus->text() : QString()}.join(u'|');
    }
    QColor StatusColour() const { return W->LStatus->palette().color(QPalette::WindowText); }

    // A scan over the text left selected by the last one: it replaces it.
    void ScanOver(const QString& Code)
    {
        ASSERT_EQ(Focus(), W->NC_REP_LIDO);
        ASSERT_EQ(W->NC_REP_LIDO->selectedText(), W->NC_REP_LIDO->text());
        Scan(Code);
        EXPECT_EQ(W->NC_REP_LIDO->text(), Code.toUpper());
        EXPECT_EQ(W->NC_REP_LIDO->selectedText(), Code.toUpper());
    }
};

const QString Cleared = QStringLiteral("0|||0||0||||");

} // namespace

TEST_F(EtiquetaConsulta, EveryStateOfALabelAndEveryRejectedScan)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(W->id_emasculador->count(), Campaign->Info.Executors);
    EXPECT_FALSE(W->BConfirm->isVisible());
    const QList<TLabel> L = FreeLabels();
    ASSERT_GE(L.size(), 6);
    Crossing(L[1].Number, 1, QStringLiteral("M"), 2, QStringLiteral("1"));
    Crossing(L[2].Number, 1, QStringLiteral("X"), 1, QStringLiteral("0"));
    Crossing(L[3].Number, 1, QStringLiteral("X"), 1, QStringLiteral("1"));
    Crossing(L[3].Number, 2, QStringLiteral("M"), 3, QStringLiteral("0"));
    Crossing(L[4].Number, 1, QStringLiteral("A"), 4, QStringLiteral("0"));
    Crossing(L[5].Number, 1, QStringLiteral("M"), 0, QStringLiteral("0"));
    Campaign->Exec(QStringLiteral("INSERT INTO Etiqueta_Cruza (nc, rep, nc_rep, nc_print, usua, dupd, cmaq) "
                                  "VALUES (99999, 2, 9999902, '9999902', 'T', '2025-01-01 00:00:00', 'M')"));
    const QString none = QStringLiteral("||Não Utilizado"), used = QStringLiteral("Em Hibridação");
    QString bad = Barcode(L[0].Number);
    bad[7] = QChar(u'0' + (bad[7].digitValue() + 1) % 10);
    QString checkMsg;
    CheckEAN8(bad, checkMsg);

    const struct
    {
        QString Code, Shows, Alert;
        TColor Colour;
    } Cases[] = {
        {Barcode(L[0].Number), Plan(L[0]) + u'|' + none, {}, clGray},
        {Barcode(L[1].Number), Plan(L[1]) + u'|' + Name(2) + QStringLiteral("|2 - Sim|") + used, {}, clRed},
        {QStringLiteral("ab12"), Cleared, QStringLiteral("Valor informado não é um Código numérico válido."), clRed},
        {Barcode(L[2].Number), Plan(L[2]) + u'|' + Name(1) + QStringLiteral("|1 - Não|Abortado/Baixado"), {}, clGreen},
        {bad, Cleared, checkMsg, clGreen},
        {Barcode(L[3].Number), Plan(L[3]) + u'|' + Name(3) + QStringLiteral("|1 - Não|") + used, {}, clRed},
        {Barcode(9999999), Cleared, QStringLiteral("Etiqueta de Hibridação não cadastrado."), clRed},
        {Barcode(L[4].Number), Plan(L[4]) + u'|' + Name(4) + QStringLiteral("|1 - Não|") + used, {}, clRed},
        {TCampaignBuilder::Barcode(L[1].Number, true), Cleared, QStringLiteral("Código deve conter 8 dígitos."), clRed},
        {Barcode(L[5].Number), Plan(L[5]) + u'|' + none, {}, clGray},
        {Barcode(9999902), QStringLiteral("2|9999902||0||0||") + none, {}, clGray},
    };
    for (const auto& c : Cases) {
        ScanOver(c.Code);
        EXPECT_EQ(Display(), c.Shows) << c.Code.toStdString();
        if (c.Alert.isEmpty()) {
            ExpectNothingShown();
            EXPECT_EQ(StatusColour(), ColorToQColor(c.Colour)) << c.Code.toStdString();
        } else {
            ExpectAlert(c.Alert);
        }
    }
    // An empty field: alert, cleared, the focus stays for the next scan.
    W->NC_REP_LIDO->clear();
    Scan(QString());
    ExpectAlert(QStringLiteral("Etiqueta de Hibridação deve ser informado."));
    EXPECT_EQ(Display(), Cleared);
    EXPECT_EQ(Focus(), W->NC_REP_LIDO);

    // A failed read: the error box only, and the display keeps the last label.
    ScanOver(Barcode(L[1].Number));
    const QString shown = Display();
    // The picture is kept where LOOKUP_SCREENSHOT names a file.
    if (const QString path = qEnvironmentVariable("LOOKUP_SCREENSHOT"); !path.isEmpty()) {
        EXPECT_TRUE(FMain->grab().save(path));
    }
    Campaign->Exec(QStringLiteral("DROP TABLE Parental"));
    ScanOver(Barcode(L[0].Number));
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_TRUE(H.Dlg.Texts()[0].startsWith(QStringLiteral("Erro ao Consultar Dados (Valid_NC): ")));
    EXPECT_TRUE(H.Sound.Played.isEmpty());
    EXPECT_EQ(Display(), shown);
}

TEST_F(EtiquetaConsulta, Ean13LabelsByConfiguration)
{
    Options.Ean13 = true;
    ASSERT_NO_FATAL_FAILURE(Open());
    const TLabel L = FreeLabel();
    ScanOver(Barcode(L.Number));
    ExpectNothingShown();
    EXPECT_EQ(Display(), Plan(L) + QStringLiteral("|||Não Utilizado"));
    ScanOver(TCampaignBuilder::Barcode(L.Number % 10000000, false));
    ExpectAlert(QStringLiteral("Código deve conter 13 dígitos."));
    EXPECT_EQ(Display(), Cleared);
}
