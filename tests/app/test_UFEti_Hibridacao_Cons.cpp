#include "ScanWindowTest.h"

#include "UFEti_Hibridacao_Cons.h"
#include "UXComboBox.h"
#include "UXNumEdit.h"

#include <QLabel>

using EtiquetaConsulta = TScanWindowTest<TFEti_Hibridacao_Cons>;

TEST_F(EtiquetaConsulta, EveryStateOfALabelAndEveryRejectedScan)
{
    ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LETI_HIBRIDACAO_CONS));
    const QList<TLabel> L = FreeLabels();
    // Label, seq, status, executor, reverse flag: the newest row of a label is its current crossing.
    for (const auto& [label, seq, status, executor, reverso] : {std::tuple{1, 1, "M", 2, "1"}, {2, 1, "X", 1, "0"},
                                                                 {3, 1, "X", 1, "1"}, {3, 2, "M", 3, "0"}, {4, 1, "A", 4, "0"}, {5, 1, "M", 0, "0"}})
        Campaign->Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq) "
                                      "VALUES (%1, %2, '%3', %4, '%5', '2025-03-01 10:00:00', 'M')")
                           .arg(L[label].Number).arg(seq).arg(QLatin1String(reverso)).arg(executor).arg(QLatin1String(status)));
    auto name = [&](int Id) { return Campaign->Scalar(QStringLiteral("SELECT nome FROM Emasculador WHERE id = %1").arg(Id)); };
    // The printed number, executor, reverse flag and status word as shown.
    auto shown = [&] {
        return QStringList{W->nc_rep->text(), W->id_emasculador->currentText(), W->reverso->currentText(),
                           W->LStatus->isVisible() ? W->LStatus->text() : QString()}.join(u'|');
    };
    const QColor grey(128, 128, 128), red(255, 0, 0), green(0, 128, 0);
    const struct { QString Code, Shows, Alert; QColor Colour; } Cases[] = {
        {Barcode(L[0].Number), L[0].Printed + QStringLiteral("|||Não Utilizado"), {}, grey},
        {Barcode(L[1].Number), L[1].Printed + u'|' + name(2) + QStringLiteral("|2 - Sim|Em Hibridação"), {}, red},
        {QStringLiteral("ab12"), QStringLiteral("|||"), QStringLiteral("Valor informado não é um Código numérico válido."), {}},
        {Barcode(L[2].Number), L[2].Printed + u'|' + name(1) + QStringLiteral("|1 - Não|Abortado/Baixado"), {}, green},
        {QStringLiteral("12345678"), QStringLiteral("|||"), QStringLiteral("Dígito Verificador não confere (8). Esperado (0)"), {}},
        {Barcode(L[3].Number), L[3].Printed + u'|' + name(3) + QStringLiteral("|1 - Não|Em Hibridação"), {}, red},
        {Barcode(9999999), QStringLiteral("|||"), QStringLiteral("Etiqueta de Hibridação não cadastrado."), {}},
        {Barcode(L[4].Number), L[4].Printed + u'|' + name(4) + QStringLiteral("|1 - Não|Em Hibridação"), {}, red},
        {TCampaignBuilder::Barcode(L[1].Number, true), QStringLiteral("|||"), QStringLiteral("Código deve conter 8 dígitos."), {}},
        {Barcode(L[5].Number), L[5].Printed + QStringLiteral("|||Não Utilizado"), {}, grey},
    };
    for (const auto& c : Cases) {
        Scan(c.Code);   // over the text the last scan left selected
        EXPECT_EQ(W->NC_REP_LIDO->selectedText(), c.Code.toUpper());
        EXPECT_EQ(shown(), c.Shows) << c.Code.toStdString();
        if (c.Alert.isEmpty()) {
            ExpectNothingShown();
            EXPECT_EQ(W->LStatus->palette().color(QPalette::WindowText), c.Colour) << c.Code.toStdString();
        } else {
            ExpectAlert(c.Alert);
            EXPECT_EQ(W->rep->text() + W->id_mae->text() + W->id_pai->text() + W->codigo_cruza->text() + W->codigo_mae->text()
                          + W->codigo_pai->text(), QStringLiteral("000"));
        }
    }
    W->NC_REP_LIDO->clear();
    Scan(QString());
    ExpectAlert(QStringLiteral("Etiqueta de Hibridação deve ser informado."));
    // EAN-13 by configuration: the 13-digit code finds the label with its plan, an 8-digit one is refused.
    Campaign->Exec(QStringLiteral("UPDATE Configuracao SET nc_code = 1"));
    FMain->AppConfig->ReadConfig();
    Scan(TCampaignBuilder::Barcode(L[0].Number, true));
    auto code = [&](int Pot) { return Campaign->Scalar(QStringLiteral("SELECT codigo FROM Parental WHERE id = %1").arg(Pot)); };
    EXPECT_EQ((QStringList{W->rep->text(), W->codigo_cruza->text(), W->id_mae->text(), W->codigo_mae->text(), W->id_pai->text(), W->codigo_pai->text()}),
              (QStringList{QString::number(L[0].Rep), L[0].Cruza, QString::number(L[0].Mother), code(L[0].Mother),
                           QString::number(L[0].Father), code(L[0].Father)}));
    // A player that fails: its error after the alert's box, and the code still selected for the next scan.
    H.Sound.FailOpen = true;
    Scan(Barcode(L[1].Number));
    EXPECT_EQ(H.Dlg.Texts(), QStringList({QStringLiteral("Código deve conter 13 dígitos."),
                                          QStringLiteral("Não foi possível abrir o arquivo de som \"%1\".").arg(Sound)}));
    EXPECT_EQ(W->NC_REP_LIDO->selectedText(), Barcode(L[1].Number));
}
