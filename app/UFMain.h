#pragma once

#include <QHash>
#include <QMainWindow>
#include <QString>
#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMenuBar;
class QStatusBar;
class TAppConfig;
class TMediaPlayer;

// Opens (or brings to the front) the child window of a menu action.
using TChildOpener = std::function<QWidget*()>;

// The main window: the menu, the status bar and the child windows inside it.
class TFMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFMain(QWidget* Parent = nullptr);
    ~TFMain() override;

    TAppConfig* AppConfig = nullptr;

    QMdiArea* ClientArea = nullptr;
    QMenuBar* MM = nullptr;
    QObject* AL = nullptr;           // owns the actions
    QStatusBar* StatusBar = nullptr;
    QLabel* Panels[3] = {};
    TMediaPlayer* MPlayer = nullptr;

    QAction* LCRUZAETI_FLOR_CAD = nullptr;
    QAction* LCRUZAETI_CAD = nullptr;
    QAction* LCRUZAETI_BAIXA_CAD = nullptr;
    QAction* LCaract_Parental = nullptr;
    QAction* LCRUZAETI_CONS = nullptr;
    QAction* LCRUZAPARENTAL_CONS = nullptr;
    QAction* LCRUZA_PARENTAL_PIVOT_CONS = nullptr;
    QAction* LCRUZA_PLANEJADO_CONS = nullptr;
    QAction* LCRUZAETI_EMASC_CONS = nullptr;
    QAction* LETI_HIBRIDACAO_CONS = nullptr;
    QAction* LCRUZAETI_PRINT_EXPO = nullptr;
    QAction* LConfigConexao = nullptr;
    QAction* LConection = nullptr;
    QAction* LAPPCONFIG = nullptr;
    QAction* Sair1 = nullptr;

    QString PanelText(int Index) const;
    void UpdateStatusBar();

    // The window a menu action opens; an action without one stays disabled.
    void SetChildOpener(QAction* Action, TChildOpener Open);

    void FormCreate();
    void FormShow();
    void Sair1Click();
    void LConectionExecute();
    void LConfigConexaoExecute();
    void LAPPCONFIGExecute();
    void LCRUZAETI_FLOR_CADExecute();
    void LCRUZAETI_CADExecute();
    void LCRUZAETI_BAIXA_CADExecute();
    void LCaract_ParentalExecute();
    void LCRUZAETI_CONSExecute();
    void LCRUZAPARENTAL_CONSExecute();
    void LCRUZA_PARENTAL_PIVOT_CONSExecute();
    void LCRUZA_PLANEJADO_CONSExecute();
    void LCRUZAETI_EMASC_CONSExecute();
    void LETI_HIBRIDACAO_CONSExecute();
    void LCRUZAETI_PRINT_EXPOExecute();

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    QAction* NewAction(const char* Name, const QString& Caption, void (TFMain::*Handler)());
    void BuildMenu();
    void RegisterWindows();
    void OpenWindow(QAction* Action);
    void OpenEditingWindow(QAction* Action);
    void ShowConfigDB();

    bool FStarted = false;
    QHash<QAction*, TChildOpener> FOpeners;
};

extern TFMain* FMain;

// Reads, upgrades and compares the structure of the database open on DM.Conn;
// shows what differs. True when the database is usable.
bool CheckDBStructure();
// True when a child window of Form has the object name Name.
bool IsMDIChildOpen(TFMain* Form, const QString& Name);
// Now as "yyyy-mm-dd hh:mm:ss".
QString NowStr();
// The alert sound, then Msg in the error box; a failure of the player
// passes on after the box.
void AlertMessage(const QString& Msg);
// The wait indicator over the main window while a statement waits for
// another station's hold on the file (On), gone once the program is idle.
void ShowBusyWait(bool On);
// The derived table of the current crossing (highest SEQ) of every label.
QString SQL_Cruza_Ativa();
// Fills Combo with the executors (item data: the id); AddAll adds "Todos" (0).
void Inicialize_Usuario(QComboBox* Combo, bool AddAll);
// The executor id of the selected item; -1 when none.
int Get_ID_Usuario(QComboBox* Combo);
// True when the only argument is "ExpoCad".
bool IsExpoCad();
bool IsExpoCad(const QStringList& Arguments);
