#pragma once

#include <QPointer>
#include <QWidget>

class QGroupBox;
class QLineEdit;
class QPushButton;
class TOpenDialog;

// "Configurar Conexão DB": picks the database file, connects and
// disconnects it. The only place that writes the settings file.
class TFConfigDB : public QWidget
{
    Q_OBJECT
public:
    explicit TFConfigDB(QWidget* Owner = nullptr);
    ~TFConfigDB() override;

    QGroupBox* GBDados = nullptr;
    QLineEdit* EDBase = nullptr;
    QPushButton* BLoadDBFile = nullptr;
    QPushButton* BConfirm = nullptr;
    QPushButton* BClose = nullptr;
    TOpenDialog* OD = nullptr;

    void UpdateButtons();

    void FormCreate();
    void BCloseClick();
    void BLoadDBFileClick();
    void BConfirmClick();

protected:
    void closeEvent(QCloseEvent* Event) override;
};

// The open database-file window, if any.
extern QPointer<TFConfigDB> FConfigDB;
