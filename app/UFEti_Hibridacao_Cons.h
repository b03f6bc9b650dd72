#pragma once

// "Consulta de Etiqueta de Hibridação": one scanned crossing label shows its
// repetition, printed number, planned crossing with both pots, the executor
// and reverse flag of its current crossing and a status word. Only reads.

#include "UFBCad.h"

#include <QtGlobal>

class QGroupBox;
class QLabel;
class QLineEdit;
class TXComboBox;
class TXNumEdit;

class TFEti_Hibridacao_Cons : public TFBCad
{
    Q_OBJECT
public:
    explicit TFEti_Hibridacao_Cons(QWidget* Owner = nullptr);
    ~TFEti_Hibridacao_Cons() override;

    QGroupBox* GBFlor = nullptr;
    QGroupBox* GBCruza = nullptr;
    QLineEdit* NC_REP_LIDO = nullptr;
    TXNumEdit* rep = nullptr;
    QLineEdit* nc_rep = nullptr;
    QLineEdit* codigo_cruza = nullptr;
    QLabel* LStatus = nullptr;
    TXComboBox* id_emasculador = nullptr;
    TXComboBox* reverso = nullptr;
    TXNumEdit* id_mae = nullptr;
    QLineEdit* codigo_mae = nullptr;
    TXNumEdit* id_pai = nullptr;
    QLineEdit* codigo_pai = nullptr;

    // Looks the label up and shows it; false when it is not registered or the read failed.
    bool Valid_NC(qint64 LabelNumber);
    // 0 "Não Utilizado", 1 "Em Hibridação", 2 "Abortado/Baixado"; any other value hides the word.
    void SetStatus(int State);
    void ClearDisplay();

    void BConfirmClick();
    void NC_REP_LIDOKeyDown(int Key);

protected:
    void FormShow() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // The code by the configured barcode type: its number, or the message of its failure.
    bool ValidLabelCode(const QString& Code, qint64& Number, QString& Msg) const;
};
