#include "UDM.h"

#include "UXFile.h"
#include "UXForms.h"
#include "UXLib.h"
#include "XAdo.h"
#include "XExceptions.h"
#include "XReplaceFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

TDM* DM = nullptr;

const QString DBPassword = QStringLiteral("Hc7Tv2");
const QString SettingsKey = QStringLiteral("cRuzAm#t");

namespace {

const QString DesignConnectionString = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False");
const QString JetProvider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");

QString ExecutablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

constexpr qint64 MaxSettingsSize = 64 * 1024;

bool FileExists(const QString& Path)
{
    // A name with a NUL (a damaged settings file) names no file.
    return !Path.isEmpty() && !Path.contains(QChar(u'\0')) && QFileInfo(Path).isFile();
}

} // namespace

TDM::TDM(QObject* Owner)
    : QObject(Owner)
{
    setObjectName(QStringLiteral("DM"));
    Conn = new TADOConnection(this);
    Conn->setObjectName(QStringLiteral("Conn"));
    Conn->setConnectionString(DesignConnectionString);
    Conn->setProvider(JetProvider);
    Conn->setConnectionTimeout(5);
    Conn->setLoginPrompt(false);
    Conn->setMode(cmShareDenyNone);

    Conn_Check = new TADOConnection(this);
    Conn_Check->setObjectName(QStringLiteral("Conn_Check"));
    Conn_Check->setConnectionString(DesignConnectionString);
    Conn_Check->setProvider(JetProvider);
    Conn_Check->setLoginPrompt(false);
    Conn_Check->setMode(cmShareDenyNone);
}

TDM::~TDM() = default;

namespace {
QString& ConfigBaseOverride()
{
    static QString base;
    return base;
}
} // namespace

void TDM::SetConfigBaseName(const QString& Base)
{
    ConfigBaseOverride() = Base;
}

QString TDM::ConfigBaseName() const
{
    if (!ConfigBaseOverride().isEmpty())
        return ConfigBaseOverride();
    const QString path = ExecutablePath();
    const int slash = path.lastIndexOf(u'/');
    const int dot = path.lastIndexOf(u'.');
    return dot > slash ? path.left(dot) : path;
}

void TDM::SetDatabase(const QString& Path)
{
    // The string of an open connection cannot change under it, and closing
    // it is the user's answer to the question, never a side effect: refused.
    if (Conn->Connected())
        throw EOleException(QStringLiteral("Operation is not allowed when the object is open."));
    // A path holding ";" or quotes goes in quoted, or the string would name another file.
    if (FileExists(Path))
        Conn->setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + QuoteConnectionValue(Path)
                                  + QStringLiteral(";") + QStringLiteral("Persist Security Info=False;")
                                  + QStringLiteral("Jet OLEDB:Database Password=") + DBPassword);
    else
        Conn->setConnectionString(
            QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Jet OLEDB:Database Password=")
            + DBPassword);
}

void TDM::ClearDatabase()
{
    SetDatabase(QString());
}

void TDM::SetDatabaseChecked(const QString& Path)
{
    if (Path.trimmed().isEmpty() || !FileExists(Path)) {
        ShowError(QStringLiteral("Nome do Banco de Dados inválido."));
        return;
    }
    SetDatabase(Path);
}

QString TDM::ParseDataSource(const QString& ConnStr)
{
    // Read as the connection reads it when it opens: the path shown is the file opened.
    return ConnectionStringValue(ConnStr, QStringLiteral("Data Source"));
}

QString TDM::GetDataSource() const
{
    return ParseDataSource(Conn->ConnectionString());
}

bool TDM::DataSourceExists() const
{
    return FileExists(GetDataSource());
}

int TDM::ActiveDataSetCount() const
{
    return Conn->DataSetCount();
}

bool TDM::TestConnection()
{
    if (!Conn->Connected())
        return false;
    const auto text = [](const QString& ClassName, const QString& Message) {
        return QStringLiteral("Erro ao verificar conexão com o banco de dados corrente.\r\nErro (Classe): (")
               + ClassName + QStringLiteral(") ") + Message;
    };
    const bool result = ReportedAs(text, [&] {
        if (Conn_Check->Connected())
            Conn_Check->Close();
        Conn_Check->setConnectionString(Conn->ConnectionString());
        Conn_Check->Open();
        return Conn_Check->Connected();
    });
    Conn_Check->Close();
    return result;
}

bool TDM::SetConnected(bool Wanted)
{
    if (TestConnection() == Wanted)
        return true;
    if (Wanted) {
        if (GetDataSource().isEmpty())
            LoadConfig();
        if (!DataSourceExists()) {
            ShowError(QStringLiteral("Banco de Dados ") + GetDataSource() + QStringLiteral(" não Encontrado."));
            return false;
        }
        const auto text = [this](const QString& ClassName, const QString& Message) {
            // A file another program holds is not an incompatible one.
            if (ClassName.toUpper() == QLatin1String("EOLEEXCEPTION") && !IsFileInUseError(Message))
                return QStringLiteral("O arquivo ") + GetDataSource()
                       + QStringLiteral(" não é compatível com o banco de dados utilizado na aplicação.");
            return QStringLiteral("Erro ao conectar ao banco de dados.\r\nErro: ") + Message + QStringLiteral("\r\n")
                   + QStringLiteral("Help Context: ") + ClassName;
        };
        return ReportedAs(text, [this] {
            Conn->Open();
            return true;
        });
    }
    if (ActiveDataSetCount() != 0 && !Ask(QStringLiteral("Há conexões ativas. Desconectar assim mesmo?"), false))
        return false;
    Conn->Close();
    return true;
}

void TDM::LoadConfig()
{
    const QString name = ConfigBaseName() + QStringLiteral(".dat");
    // The file holds one path: anything this large is damaged, and is not read into memory.
    if (QFileInfo(name).size() > MaxSettingsSize)
        throw Exception(QStringLiteral("Arquivo de configuração danificado: ") + name);
    // Only read, so a file the user may not write is read too.
    TXFile file;
    file.SetFileName(name);
    file.SetWriteMode(false);
    if (!file.Open(false))
        return;
    QByteArray text;
    file.Read(-1, text);
    file.Close();
    TXData pack;
    SetPack(DecodeText(text, SettingsKey), pack);
    const qint32 count = GetI(pack);
    if (count == 1 || count == 2) {
        QByteArray path;
        GetS(pack, path);
        SetDatabaseChecked(QString::fromUtf8(path));
    }
}

bool TDM::SaveConfig()
{
    TXData pack;
    PackInit(pack);
    PutI(pack, 1);
    PutS(pack, GetDataSource().toUtf8());
    PackFinish(pack);

    // The new file replaces the old one in one step once it is whole on disk,
    // the old one copied to the backup first: a kill at any moment leaves the
    // last or the previous choice, and never no settings file.
    const QString base = ConfigBaseName();
    const QString name = base + QStringLiteral(".dat");
    XReplacingFile file(name);
    if (file.Open(true) && file.Write(EncodeText(pack.Data, SettingsKey)) && file.Commit(base + QStringLiteral(".bkp")))
        return true;
    ShowError(QStringLiteral("Não foi possível gravar o arquivo de configuração ") + name + QStringLiteral(".\r\nErro: ")
              + file.Error());
    return false;
}
