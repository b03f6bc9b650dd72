#include "UTBStruct_DB.h"

#include "UXForms.h"
#include "UXLib.h"
#include "XAdo.h"
#include "XExceptions.h"

#include <QFileInfo>

#include <memory>

// ---- TTab_Struct -------------------------------------------------------------

TTab_Struct::TTab_Struct(const QString& Name)
    : Name(Name)
{
}

TTab_Struct::~TTab_Struct()
{
    ClearStrings(&Fields);
    ClearStrings(&Indexes);
}

TField_Struct* TTab_Struct::FindField(const QString& FieldName) const
{
    return static_cast<TField_Struct*>(Fields.ObjectOf(FieldName));
}

TIndex_Struct* TTab_Struct::FindIndex(const QString& IndexName) const
{
    return static_cast<TIndex_Struct*>(Indexes.ObjectOf(IndexName));
}

TField_Struct* TTab_Struct::FieldAt(int Index) const
{
    return static_cast<TField_Struct*>(Fields.Objects(Index));
}

TIndex_Struct* TTab_Struct::IndexAt(int Index) const
{
    return static_cast<TIndex_Struct*>(Indexes.Objects(Index));
}

// ---- TDB_Struct --------------------------------------------------------------

TDB_Struct::TDB_Struct() = default;

TDB_Struct::~TDB_Struct()
{
    ClearStrings(&Tables);
    if (Connection && Connection->Connected()) {
        try {
            Connection->Close();
        } catch (...) {
            // A destructor never lets a close failure out.
        }
    }
    Connection = nullptr;
}

TTab_Struct* TDB_Struct::FindTable(const QString& TableName) const
{
    return static_cast<TTab_Struct*>(Tables.ObjectOf(TableName));
}

TTab_Struct* TDB_Struct::TableAt(int Index) const
{
    return static_cast<TTab_Struct*>(Tables.Objects(Index));
}

// ---- Model building ------------------------------------------------------------

bool AddTable(TDB_Struct* DB, const QString& Name, TTab_Struct* Tab)
{
    if (Name.isEmpty()) {
        ShowError(QStringLiteral("Nome da tabela deve ser informado."));
        return false;
    }
    if (!Tab) {
        ShowError(QStringLiteral("Estrutura da tabela deve ser informado(Objeto TTab_Struct)."));
        return false;
    }
    DB->Tables.AddObject(Name, Tab);
    return true;
}

void AddField(TTab_Struct* Tab, const QString& Name, quint8 FieldType, qint32 Size, bool AllowNull)
{
    if (Name.isEmpty()) {
        ShowError(QStringLiteral("Nome do Campo deve ser informado."));
        return;
    }
    auto* f = new TField_Struct;
    f->Name = Name;
    f->FieldType = FieldType;
    f->Size = Size;
    f->AllowNull = AllowNull;
    Tab->Fields.AddObject(Name, f);
}

void AddIndex(TTab_Struct* Tab, const QString& Fields, const QString& Name, bool Primary, bool Unique)
{
    auto* ix = new TIndex_Struct;
    ix->Fields = QString(Fields).replace(u';', u',');
    ix->Primary = Primary;
    ix->Unique = Unique;
    ix->Name = Name;
    Tab->Indexes.AddObject(Name, ix);
}

bool UpdateField(TTab_Struct* Tab, const QString& Name, quint8 FieldType, qint32 Size, bool AllowNull)
{
    if (Name.isEmpty()) {
        ShowError(QStringLiteral("Nome do Campo deve ser informado."));
        return false;
    }
    TField_Struct* f = Tab->FindField(Name);
    if (!f) {
        ShowError(QStringLiteral("Erro ao atualizar o campo [") + Name
                  + QStringLiteral("] na lista da estrutura de tabela."));
        return false;
    }
    f->Name = Name;
    f->FieldType = FieldType;
    f->Size = Size;
    f->AllowNull = AllowNull;
    return true;
}

// ---- Connection --------------------------------------------------------------------

bool IsConnected(TDB_Struct* DB)
{
    return DB->Connection && DB->Connection->Connected();
}

void SetConnection(TDB_Struct* DB, TADOConnection* Conn)
{
    if (!Conn) {
        ShowError(QStringLiteral("ADOConn inválido"));
        return;
    }
    DB->Connection = Conn;
}

void ClearConnection(TDB_Struct* DB)
{
    DB->Connection = nullptr;
}

void ConnectDB(TDB_Struct* DB, bool Open)
{
    if (!Open) {
        if (IsConnected(DB))
            DB->Connection->Close();
        return;
    }
    if (!DB->Connection) {
        ShowError(QStringLiteral("ADOCONNECTION não definido."));
        return;
    }
    if (DB->DatabaseName.isEmpty()) {
        ShowError(QStringLiteral("Nome do Banco de Dados não definido."));
        return;
    }
    if (!QFileInfo(DB->DatabaseName).isFile()) {
        ShowError(QStringLiteral("Arquivo do Banco de Dados não encontrado.\r\nArquivo: ") + DB->DatabaseName);
        return;
    }
    const auto text = [](const QString& ClassName, const QString& Message) {
        return QStringLiteral("Tipo: ") + ClassName + QStringLiteral("\r\nErro: ") + Message;
    };
    ReportedAs(text, [&] {
        if (DB->Connection->Connected())
            DB->Connection->Close();
        QString tail = QStringLiteral(";");
        if (!DB->Password.isEmpty())
            tail += QStringLiteral("Jet OLEDB:DataBase Password=") + DB->Password;
        if (!DB->ExtraParams.isEmpty())
            tail += QStringLiteral(";") + DB->ExtraParams;
        const QString provider = DB->Connection->Tag() == 2007
                                     ? QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=")
                                     : QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=");
        DB->Connection->setConnectionString(provider + DB->DatabaseName + QStringLiteral(";")
                                            + QStringLiteral("Persist Security Info=False") + tail);
        DB->Connection->Open();
        return true;
    });
}

// ---- Reading and comparing ---------------------------------------------------------

bool ReadSchema(TDB_Struct* DB)
{
    if (!IsConnected(DB))
        ConnectDB(DB, true);
    if (!IsConnected(DB))
        return false;

    std::unique_ptr<TADODataSet> rowset(new TADODataSet);
    DB->Connection->OpenSchema(siTables, rowset.get());
    rowset->setFilter(QStringLiteral("(TABLE_TYPE = 'TABLE')"));
    rowset->setFiltered(true);

    ClearStrings(&DB->Tables);
    rowset->First();
    while (!rowset->Eof()) {
        const QString name = rowset->FieldByName(QStringLiteral("TABLE_NAME"))->AsString();
        const QChar first = name.isEmpty() ? QChar() : name.at(0).toUpper();
        if (first >= u'A' && first <= u'Z')
            DB->Tables.AddObject(name, ReadTable(DB, name));
        rowset->Next();
    }
    rowset->Close();
    return true;
}

TTab_Struct* ReadTable(TDB_Struct* DB, const QString& Name)
{
    std::unique_ptr<TTab_Struct> tab(new TTab_Struct(Name));
    // The definitions come from the file's catalogue; the rows are not needed,
    // so the table is not opened (that would read every row into memory).
    std::unique_ptr<TADOTable> table(new TADOTable);
    table->setConnection(DB->Connection);
    table->setTableName(Name);
    for (const TFieldDef& d : table->FieldDefs())
        AddField(tab.get(), d.Name, FieldTypeCode(d.DataType), d.Size, !d.Required);
    for (const TIndexDef& d : table->IndexDefs())
        AddIndex(tab.get(), d.Fields, d.Name, d.Primary, d.Unique);
    return tab.release();
}

bool CompareTable(TTab_Struct* Expected, TTab_Struct* Actual, TStringList* Log)
{
    if (!Expected || !Actual) {
        ShowError(QStringLiteral("As estruturas (TTab_Struct) devem estar instanciadas."));
        return false;
    }
    for (int i = 0; i < Expected->Fields.Count(); ++i) {
        const TField_Struct* exp = Expected->FieldAt(i);
        const QString name = Expected->Fields.Strings(i);
        const TField_Struct* act = Actual->FindField(name);
        if (!act) {
            Log->Add(QStringLiteral("Campo: ") + name + QStringLiteral(" não encontrado na tabela ") + Actual->Name
                     + QStringLiteral("."));
        } else if (act->FieldType != exp->FieldType || act->Size != exp->Size) {
            Log->Add(QStringLiteral("Campo: ") + exp->Name + QStringLiteral(". ") + QStringLiteral(" Estrutura Esperada: ")
                     + SQLTypeText(exp->FieldType, exp->Size) + QStringLiteral("  Estrutura retornada: ")
                     + SQLTypeText(act->FieldType, act->Size));
        }
    }
    return Log->Count() == 0;
}

bool CompareSchema(TDB_Struct* Expected, TDB_Struct* Actual, TStringList* Log)
{
    Log->Clear();
    TStringList temp;
    for (int i = 0; i < Expected->Tables.Count(); ++i) {
        ClearStrings(&temp);
        const QString name = Expected->Tables.Strings(i);
        TTab_Struct* act = Actual->FindTable(name);
        if (!act) {
            Log->Add(QStringLiteral("Tabela ") + name + QStringLiteral(" não encontrado."));
        } else if (!CompareTable(Expected->TableAt(i), act, &temp)) {
            Log->Add(QStringLiteral("Tabela: ") + name + QStringLiteral("\r\n") + temp.Text());
        }
    }
    ClearStrings(&temp);
    return Log->Count() == 0;
}

// ---- Changing the database -----------------------------------------------------------

bool ExecSQL(TADOConnection* Conn, const QString& SQL)
{
    if (!Conn || !Conn->Connected()) {
        ShowError(QStringLiteral("[TAdoConnection] deve estar configurado e conectado."));
        return false;
    }
    std::unique_ptr<TADOCommand> cmd(NewCommand(Conn));
    const auto text = [](const QString& ClassName, const QString& Message) {
        return QStringLiteral("Erro ao Executar Query \r\nClasse: ") + ClassName + QStringLiteral("\r\n")
               + QStringLiteral("Erro: ") + Message;
    };
    return ReportedAs(text, [&] {
        cmd->setCommandText(SQL);
        cmd->Execute();
        return true;
    });
}

namespace {

bool ChangeColumn(bool Alter, TTab_Struct* Tab, TADOConnection* Conn, const QString& Field, quint8 FieldType,
                  qint32 Size, bool AllowNull)
{
    if (!Conn || !Conn->Connected())
        return false;
    std::unique_ptr<TADOCommand> cmd(NewCommand(Conn));
    const auto text = [&](const QString& ClassName, const QString& Message) {
        return (Alter ? QStringLiteral("Erro ao Alterar a estrutura do campo da Tabela [")
                      : QStringLiteral("Erro ao Criar o campo da Tabela ["))
               + Tab->Name + QStringLiteral("].") + QStringLiteral("\r\n") + QStringLiteral("Tipo: ") + ClassName
               + QStringLiteral("\r\n") + QStringLiteral("Erro: ") + Message;
    };
    const bool Done = ReportedAs(text, [&] {
        cmd->setCommandText(QStringLiteral("ALTER TABLE ") + Tab->Name
                            + (Alter ? QStringLiteral(" ALTER COLUMN ") : QStringLiteral(" ADD COLUMN ")) + Field
                            + QStringLiteral(" ") + SQLTypeText(FieldType, Size) + QStringLiteral(" ")
                            + (AllowNull ? QStringLiteral(" NULL ") : QStringLiteral(" NOT NULL ")));
        cmd->Execute();
        return true;
    });
    if (!Done)
        return false;
    if (!Alter) {
        AddField(Tab, Field, FieldType, Size, AllowNull);
        return true;
    }
    if (!UpdateField(Tab, Field, FieldType, Size, AllowNull)) {
        ShowError(QStringLiteral("Erro ao alterar a lista dos campos da Tabela."));
        return false;
    }
    return true;
}

} // namespace

bool AddColumn(TTab_Struct* Tab, TADOConnection* Conn, const QString& Field, quint8 FieldType, qint32 Size,
               bool AllowNull)
{
    return ChangeColumn(false, Tab, Conn, Field, FieldType, Size, AllowNull);
}

bool AlterColumn(TTab_Struct* Tab, TADOConnection* Conn, const QString& Field, quint8 FieldType, qint32 Size,
                 bool AllowNull)
{
    return ChangeColumn(true, Tab, Conn, Field, FieldType, Size, AllowNull);
}

// ---- Type conversions ----------------------------------------------------------------

quint8 FieldTypeCode(TFieldType DataType)
{
    switch (DataType) {
    case ftString:
    case ftWideString:
        return fcText;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftBytes:
    case ftLargeint:
        return fcLong;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return fcFloat;
    case ftDateTime:
        return fcDateTime;
    case ftAutoInc:
        return fcAutoInc;
    case ftBlob:
    case ftMemo:
        return fcMemo;
    default:
        return fcNone;
    }
}

QString SQLTypeText(quint8 FieldType, qint32 Size)
{
    switch (FieldType) {
    case fcAutoInc:
        return QStringLiteral("AutoInc");
    case fcText:
        return QStringLiteral("TEXT(") + QString::number(Size) + QStringLiteral(")");
    case fcLong:
        return QStringLiteral("LONG ");
    case fcFloat:
        return QStringLiteral("FLOAT ");
    case fcDateTime:
        return QStringLiteral("DATETIME");
    case fcMemo:
        return QStringLiteral("MEMO");
    default:
        return QString();
    }
}
