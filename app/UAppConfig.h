#pragma once

#include "UXObject.h"
#include <QString>

class QWidget;
class TADOConnection;
class TMediaPlayer;

// The application settings of the open database (its Configuracao row) and
// a few values of the running program. The main window owns one instance.
class TAppConfig : public TXObject
{
public:
    // MainWindow: the window whose caption ReadConfig sets.
    explicit TAppConfig(QWidget* MainWindow = nullptr);
    ~TAppConfig() override;

    void SetConnection(TADOConnection* AConn) { Conn = AConn; }
    // Reads the configuration row; failures raise. Does not touch Loaded.
    bool ReadConfig();
    // Loaded := Active and ReadConfig; an exception leaves Loaded as it was.
    bool Load(bool Active);
    // Records Name when the file exists, else shows an error.
    void SetDBFile(const QString& Name);
    void ClearDBFile() { DBFile.clear(); }
    // Digits of a parental code without its check digit.
    int ParentalCodeLength() const;

    QString DBFile;
    bool Loaded = false;
    TADOConnection* Conn = nullptr;     // not owned
    TMediaPlayer* MPlayer = nullptr;    // not owned; its file is the alert sound
    int NC_CODE = 0;                    // crossing labels: 0 EAN-8, 1 EAN-13
    QString ComputerName;
    int ID_PAIS_CODE = 0;               // pot labels: 0 EAN-8, 1 EAN-13
    int ETIQ_PAG = 0;
    int LIMPA_EMASC = 0;
    int CAB_ETIQ_FLOR = 0;
    int PLAN_ETIQ_FLOR = 0;
    int TAL_LOCK = 0;                   // 1 editable, 2 returned (read-only)
    QString BaseCaption;
    bool ExpoCad = false;
    int SMT_MAX_HIBR = 0;

private:
    QWidget* FMainWindow;
};
