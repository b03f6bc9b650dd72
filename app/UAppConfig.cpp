#include "UAppConfig.h"

#include "UDBTables.h"
#include "UDBVersion.h"
#include "UXForms.h"
#include "UXLib.h"
#include "XAdo.h"
#include "XExceptions.h"
#include "XMediaPlayer.h"

#include <QFileInfo>
#include <QWidget>

#include <memory>

TAppConfig::TAppConfig(QWidget* MainWindow)
    : BaseCaption(QStringLiteral("Cadastro Hibridação - Talvora"))
    , FMainWindow(MainWindow)
{
}

TAppConfig::~TAppConfig()
{
    Conn = nullptr;
    if (MPlayer)
        MPlayer->Close();
    MPlayer = nullptr;
}

bool TAppConfig::ReadConfig()
{
    if (!Conn)
        throw Exception(QStringLiteral("Defina a Conexão antes de ler a configuração."));
    std::unique_ptr<TADOQuery> q(NewQuery(Conn));
    q->SQL.setText(ConfigSelectSQL());
    q->Open();
    if (q->IsEmpty())
        throw Exception(QStringLiteral("Erro ao carregar a configuração.\r\nEntre em contato com o Administrador."));

    // A Null column reads as 0.
    auto value = [&q](const char* Name) { return q->FieldByName(QLatin1String(Name))->AsInteger(); };
    NC_CODE = value("nc_code");
    ID_PAIS_CODE = value("id_pais_code");
    ETIQ_PAG = value("etiq_pag");
    LIMPA_EMASC = value("limpa_emasc");
    PLAN_ETIQ_FLOR = value("Plan_etiq_flor");
    CAB_ETIQ_FLOR = value("Cab_etiq_flor");
    TAL_LOCK = value("Tal_Lock");
    SMT_MAX_HIBR = value("Smt_Max_Hibr");

    // A sound chosen earlier in the run stays when the new one is missing.
    const QString Sound = q->FieldByName(QStringLiteral("alert_sound"))->AsString();
    if (MPlayer && !Sound.isEmpty() && QFileInfo(Sound).isFile())
        MPlayer->SetFileName(Sound);

    ComputerName = GetComputerNameStr();

    if (FMainWindow)
        FMainWindow->setWindowTitle(BaseCaption + QStringLiteral(" -  V. ") + DBVersion
                                    + (TAL_LOCK == 2 ? QStringLiteral(" - Somente Consulta") : QString()));
    q->Close();
    return true;
}

bool TAppConfig::Load(bool Active)
{
    if (Active)
        Loaded = ReadConfig();
    else
        Loaded = false;
    return Loaded;
}

void TAppConfig::SetDBFile(const QString& Name)
{
    if (QFileInfo(Name).isFile())
        DBFile = Name;
    else
        ShowError(QStringLiteral("Banco de dados [") + Name + QStringLiteral("] não encontrado."));
}

int TAppConfig::ParentalCodeLength() const
{
    switch (ID_PAIS_CODE) {
    case 0:
        return 7;
    case 1:
        return 12;
    default:
        return 0;
    }
}
