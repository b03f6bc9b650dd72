#pragma once

// "Configuração": edits the application settings held in the Configuracao
// row (barcode types, label sheets, executor kept, seed limit, alert sound),
// writes the row and makes the configuration object read it again.

#include "UFBCad.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class TADOCommand;
class TOpenDialog;
class TXNumEdit;

class TFAppConfig : public TFBCad
{
    Q_OBJECT
public:
    explicit TFAppConfig(QWidget* Owner = nullptr);
    ~TFAppConfig() override;

    QGroupBox* GBFlor = nullptr;
    QGroupBox* GBParental = nullptr;
    QGroupBox* GBEmasc = nullptr;
    QGroupBox* GBSemente = nullptr;
    QGroupBox* GBSom = nullptr;
    QComboBox* nc_code = nullptr;
    TXNumEdit* etiq_pag = nullptr;
    QComboBox* CAB_ETIQ_FLOR = nullptr;
    QComboBox* PLAN_ETIQ_FLOR = nullptr;
    QComboBox* id_pais_code = nullptr;
    QComboBox* limpa_emasc = nullptr;
    TXNumEdit* smt_max_hibr = nullptr;
    QLineEdit* alert_sound = nullptr;
    QPushButton* BLoadFile = nullptr;
    TADOCommand* QAtu = nullptr;
    TOpenDialog* OD = nullptr;

    bool ValidateField(QWidget* Editor) override;
    void Load_F_Edit();
    void LoadDefaults();
    bool SaveConfiguracao();
    bool CONFIG_EOF();
    // Digits of the highest pot number; 0 when it cannot be read.
    int MaxIdParentalDigits();

    void FormCreate();
    void BConfirmClick();
    void EDITExit(QWidget* Sender);
    void EDITKeyDown(QWidget* Sender, int Key);
    void BLoadFileClick();

protected:
    void FormShow() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QList<QWidget*> BoundEditors() const;
};
