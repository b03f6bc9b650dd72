#include "UFConfigDB.h"

#include "UAppConfig.h"
#include "UDM.h"
#include "UFMain.h"
#include "UXForms.h"
#include "UXLib.h"
#include "XAdo.h"
#include "XExceptions.h"
#include "XFileDialogs.h"
#include "XGraphics.h"
#include "XMdi.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

QPointer<TFConfigDB> FConfigDB;

TFConfigDB::TFConfigDB(QWidget* Owner)
    : QWidget(Owner)
{
    setObjectName(QStringLiteral("FConfigDB"));
    setWindowTitle(QStringLiteral("Configurar Conexão DB"));
    SetBorderIcons(this, biSystemMenu);
    resize(420, 97);

    GBDados = new QGroupBox(QStringLiteral(" Banco de Dados "), this);
    GBDados->setObjectName(QStringLiteral("GBDados"));
    GBDados->setGeometry(6, 4, 408, 54);
    EDBase = new QLineEdit(GBDados);
    EDBase->setObjectName(QStringLiteral("EDBase"));
    EDBase->setGeometry(10, 22, 360, 23);
    BLoadDBFile = new QPushButton(QStringLiteral("..."), GBDados);
    BLoadDBFile->setObjectName(QStringLiteral("BLoadDBFile"));
    BLoadDBFile->setGeometry(374, 21, 25, 25);

    BConfirm = new QPushButton(QStringLiteral("Conectar"), this);
    BConfirm->setObjectName(QStringLiteral("BConfirm"));
    BConfirm->setGeometry(250, 65, 84, 25);
    SetFontColor(BConfirm, clGreen);
    BClose = new QPushButton(QStringLiteral("Fechar"), this);
    BClose->setObjectName(QStringLiteral("BClose"));
    BClose->setGeometry(338, 65, 76, 25);
    SetFontColor(BClose, clMaroon);
    // Speed buttons: pressed by the mouse, never focused.
    for (QPushButton* b : {BLoadDBFile, BConfirm, BClose}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
    }

    OD = new TOpenDialog(this);
    OD->setObjectName(QStringLiteral("OD"));
    OD->SetDefaultExt(QStringLiteral("*.mdb"));
    OD->SetFilter(QStringLiteral("Banco de Dados (*.MDB)|*.mdb|Todos Arquivos (*.*)|*.*"));

    connect(BLoadDBFile, &QPushButton::clicked, this, &TFConfigDB::BLoadDBFileClick);
    connect(BConfirm, &QPushButton::clicked, this, &TFConfigDB::BConfirmClick);
    connect(BClose, &QPushButton::clicked, this, &TFConfigDB::BCloseClick);

    FormCreate();
    // A child window of the main window from its creation on.
    if (QMdiArea* Area = MDIAreaOf(MainForm()))
        AddMDIChild(Area, this);
}

TFConfigDB::~TFConfigDB() = default;

void TFConfigDB::FormCreate()
{
    UpdateButtons();
    if (DM->GetDataSource().isEmpty()) {
        try {
            DM->LoadConfig();
        } catch (const Exception&) {
            // A damaged settings file was reported when the program started;
            // the user picks the database file again.
        }
    }
    EDBase->setText(DM->GetDataSource());
}

void TFConfigDB::UpdateButtons()
{
    const bool Connected = DM->TestConnection();
    BConfirm->setText(Connected ? QStringLiteral("Desconectar") : QStringLiteral("Conectar"));
    BLoadDBFile->setEnabled(!Connected);
    if (FMain)
        FMain->UpdateStatusBar();
}

void TFConfigDB::BLoadDBFileClick()
{
    OD->SetInitialDir(QFileInfo(QCoreApplication::applicationFilePath()).absolutePath());
    if (!OD->Execute())
        return;
    const QString Name = OD->FileName();
    if (QFileInfo(Name).isFile()) {
        DM->SetDatabaseChecked(Name);
        EDBase->setText(Name);
    } else {
        ShowError(QStringLiteral(" Arquivo não Encontrado. "));
    }
}

void TFConfigDB::BConfirmClick()
{
    const bool WasConnected = DM->TestConnection();
    DM->SetConnected(!WasConnected);
    bool Connected = DM->TestConnection();
    if (Connected) {
        if (CheckDBStructure()) {
            DM->SaveConfig();
            FMain->AppConfig->Load(true);
            FMain->AppConfig->SetDBFile(DM->GetDataSource());
        } else {
            DM->Conn->setConnected(false);
            Connected = false;
        }
    }
    if (!Connected) {
        // The child windows refuse to work from now on.
        FMain->AppConfig->Load(false);
        FMain->AppConfig->ClearDBFile();
    }
    UpdateButtons();
}

void TFConfigDB::BCloseClick()
{
    if (QMdiSubWindow* Sub = MDISubWindowOf(this))
        Sub->close();
    else
        close();
}

void TFConfigDB::closeEvent(QCloseEvent* Event)
{
    // Freed on close, its frame with it.
    setAttribute(Qt::WA_DeleteOnClose);
    Event->accept();
    if (QMdiSubWindow* Sub = MDISubWindowOf(this))
        Sub->deleteLater();
}
