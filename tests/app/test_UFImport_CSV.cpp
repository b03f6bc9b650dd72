#include "LongFileName.h"
#include "MainWindowHarness.h"

#include "MasterSheets.h"
#include "UFImport_CSV.h"
#include "XAdoEngine.h"
#include "XStringGrid.h"
#include "XTextFile.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace UFImport_CSV;

namespace {

const QString CrossingTitles = QStringLiteral("PLANEJAMENTO;NC;CODIGO;MAE;PAI;QTE_FLOR;F1_AGROBASE;CRUZA_AGROBASE;LOTE_SEMENTE_F1");
const QString Done = QStringLiteral("Importação Concluída.\r\nLinhas Importadas com sucesso: %1\r\nLinhas Descartadas: %2");

class ImportCSV : public ::testing::Test
{
protected:
    TMainWindowHarness H;
    std::unique_ptr<TCampaignFile> Campaign;
    TCampaignOptions Options;
    TFImport_CSV* W = nullptr;

    ImportCSV() { Options.Labels = 40, Options.Crossings = 0; }

    void Open(bool ExpoCad = true)
    {
        Campaign = std::make_unique<TCampaignFile>(Options);
        TFMain* Main = H.StartOn(*Campaign);
        ASSERT_TRUE(Main->AppConfig->Loaded) << H.Boxes();
        Main->AppConfig->ExpoCad = ExpoCad;
        Main->LCaract_Parental->trigger();
        ASSERT_TRUE((W = Main->findChild<TFImport_CSV*>()) && W->isVisible());
        H.Dlg.Clear();
    }

    static void Pick(QComboBox* Combo, int Index) { Combo->setCurrentIndex(Index); emit Combo->activated(Index); }
    void Choose(int Kind, int Oper) { Pick(W->dados, Kind), Pick(W->CBOper, Oper); }
    static void Click(QPushButton* B) { QTest::mouseClick(B, Qt::LeftButton); }

    QString Sheet(const QString& Name, const QByteArray& Bytes)
    {
        QFile f(Campaign->Dir.filePath(Name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(Bytes) == Bytes.size());
        return f.fileName();
    }
    // "..." then the file, as picked in the open dialog.
    void Load(int Kind, const QString& Path)
    {
        Choose(Kind, 0);
        H.Files.Answer(Path);
        Click(W->BLoadFile);
    }
    void Load(int Kind, const QStringList& Lines)
    {
        const QString path = Campaign->Dir.filePath(QStringLiteral("sheet.csv"));
        TMasterSheets::Write(path, Lines);
        Load(Kind, path);
    }
    // The stored rows of a kind, Oper 1 (delete) or 2 (export).
    void LoadStored(int Kind, int Oper) { Choose(Kind, Oper), Click(W->BLoadInfo); }
    void Confirm(std::initializer_list<int> Answers = {}) { H.Dlg.Answer(Answers); Click(W->BConfirm); }

    QString Cell(const char* Title, int Row) { return W->SG->Cells(W->ColsImport->GridColOf(QLatin1String(Title)), Row); }
    QStringList Errors() { return W->MErro->toPlainText().split(u'\n', Qt::SkipEmptyParts); }
};

TEST_F(ImportCSV, TitlesInAnyOrderCaseAndBlanks)
{
    Open();
    // NC in front with blanks, the plan in lower case, a title the kind lacks, the rest shuffled.
    Load(0, QStringList{QStringLiteral(" nc ;planejamento;X;pai;Mae;codigo;QTE_FLOR;lote_semente_f1;CRUZA_AGROBASE;F1_AGROBASE"),
                        QStringLiteral("900001;Plano Z;ignored;PAR-00002;PAR-00001;CZ-A;3;;;")});
    ASSERT_EQ(H.Dlg.Count(), 0) << H.Boxes();
    EXPECT_EQ((QStringList{Cell("NC", 1), Cell("PLANEJAMENTO", 1), Cell("MAE", 1), Cell("ID_MAE", 1), Cell("ID_PAI", 1)}),
              (QStringList{"900001", "Plano Z", "PAR-00001", QString::number(TCampaignBuilder::PotNumber(0)),
                           QString::number(TCampaignBuilder::PotNumber(1))}));
    // Parent ids come from the checks, not from the sheet (as an exported file carries them, edited by hand).
    Load(0, QStringList{CrossingTitles + QStringLiteral(";ID_MAE;ID_PAI"), QStringLiteral("P;900001;CZ-1;PAR-00001;PAR-00002;2;;;;777;888")});
    ASSERT_TRUE(W->BConfirm->isEnabled()) << Errors().join(u'\n').toStdString();
    Confirm();
    EXPECT_EQ(Campaign->Rows(QStringLiteral("SELECT id_vaso_mae, id_vaso_pai, rep, usua FROM Planejamento_Cruza WHERE nc = 900001")),
              QStringLiteral("%1|%2|2|IMPORTACAO").arg(TCampaignBuilder::PotNumber(0)).arg(TCampaignBuilder::PotNumber(1)));
    // Title lines refused whole: a title twice, a title missing.
    const struct { int Kind; QString Titles; QString Msg; } cases[] = {
        {0, QStringLiteral("PLANEJAMENTO;NC;CODIGO;MAE;NC;PAI;QTE_FLOR;F1_AGROBASE;CRUZA_AGROBASE;LOTE_SEMENTE_F1"),
         QStringLiteral("Coluna(2)[NC] duplicado. \r\n")},
        {2, QStringLiteral("NC_PARENTAL;CODIGO;PARENTAL;GGEN;CFLOR;CPUB;ID_AGROBASE;EXPE_FN;PARC_FN;CODIGO_FN;LOTE_SEMENTE_FN"),
         QStringLiteral("Coluna(5)[GENEALOGIA] sem referência na planilha. \r\n")},
    };
    for (const auto& c : cases) {
        H.Dlg.Clear();
        Load(c.Kind, QStringList{c.Titles, QStringLiteral("1;2;3")});
        EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Erros encontrados na Planilha: \r\n") + c.Msg});
        EXPECT_FALSE(W->BConfirm->isEnabled());
    }
}

// (Each parent code is looked up once: bench_master_data shows it.)
TEST_F(ImportCSV, CrossingChecks)
{
    Open();
    Load(0, QStringList{CrossingTitles,
                        QStringLiteral("P;900001;CZ-1;PAR-00001;PAR-00002;2;;;"),
                        QStringLiteral("P;900002;CZ-2;PAR-00002;PAR-00003;2;;;"),
                        QStringLiteral("P;900003;CZ-3;NONE;PAR-00003;;;;"),
                        QStringLiteral("P;900004;CZ-4;NONE;PAR-00001;2;;;"),
                        QStringLiteral("P;900001;CZ-1;PAR-00003;PAR-00002;2;;;"),
                        QStringLiteral("P;9007199254740993;CZ-6;PAR-00001;PAR-00002;3000000000;;;")});
    EXPECT_EQ(Errors(), (QStringList{
                            QStringLiteral("Linha(4): MAE  Parental não Cadastrado., QTE_FLOR não pode ser vazio."),
                            QStringLiteral("Linha(5): MAE  Parental não Cadastrado."),
                            QStringLiteral("Linha(6): NC duplicado na linha (1)., CODIGO duplicado na linha (1)."),
                            QStringLiteral("Linha(7): NC Valor Inválido. Deve estar entre -9007199254740992 e 9007199254740992., "
                                           "QTE_FLOR Valor Inválido. Deve estar entre -2147483648 e 2147483647."),
                        }));
    EXPECT_EQ(Cell("ID_MAE", 2) + u'|' + Cell("ID_MAE", 3), QString::number(TCampaignBuilder::PotNumber(1)) + u'|');
    EXPECT_EQ(W->LErro->text(), QStringLiteral("Linhas Decodificadas: 6   Erros: 4"));
    // Nothing from the load is imported by coming back to it.
    Pick(W->CBOper, 2), Pick(W->CBOper, 0);
    EXPECT_TRUE(W->SG->isVisible() && !W->BConfirm->isEnabled());
}

// Every integer column of every kind, read by the sheet check as the statements bind it:
// a control character or a lone minus is refused by the check, by column; the good value passes.
TEST_F(ImportCSV, IntegerCellsWithControlCharactersOrALoneMinus)
{
    const QString crossing = QStringLiteral("P;900001;CZ-1;PAR-00001;PAR-00002;2;;;");
    const struct { int Kind; QString Titles; QString Row; int Cell; const char* Title; } columns[] = {
        {0, CrossingTitles, crossing, 1, "NC"},
        {0, CrossingTitles, crossing, 5, "QTE_FLOR"},
        {1, QStringLiteral("CODIGO;NOME"), QStringLiteral("7;Nome"), 0, "CODIGO"},
        {2, TMasterSheets::Parentals(0).first(), QStringLiteral("3000001;C;T;;;;;;;;;"), 0, "NC_PARENTAL"},
        {3, QStringLiteral("NC_PARENTAL;CODIGO;CFLOR;CPUB"), QStringLiteral("%1;PAR-00001;Roxa;Cinza").arg(TCampaignBuilder::PotNumber(0)),
         0, "NC_PARENTAL"},
    };
    Open();
    for (const auto& c : columns) {
        QStringList cells = c.Row.split(u';');
        const QString good = cells[c.Cell];
        // Each value in place of the column's good one ("%1").
        for (const char* value : {"-", " - ", "\x01%1", "%1\x1f", "\x7f%1", " \x02%1\t", "\x1b%1\x1b", "%1"}) {
            cells[c.Cell] = QString::fromLatin1(value).replace(QLatin1String("%1"), good);
            Load(c.Kind, QStringList{c.Titles, cells.join(u';')});
            const bool passes = cells[c.Cell] == good;
            const QString refused = QStringLiteral("Linha(2): %1 Valor Inválido. Deve ser um valor numérico.").arg(QLatin1String(c.Title));
            EXPECT_EQ(Errors(), passes ? QStringList() : QStringList{refused}) << c.Title << " [" << cells[c.Cell].toStdString() << "]";
            EXPECT_EQ(W->BConfirm->isEnabled(), passes) << c.Title;
        }
    }
}

// Crossing numbers the 32-bit range does not hold go out and come back the same,
// the delete of the earlier row included (a second import replaces them all).
TEST_F(ImportCSV, LargeCrossingNumbersExportedDeletedAndImported)
{
    Open();
    Campaign->Exec(QStringLiteral("DELETE FROM Etiqueta_Cruza"));
    for (const char* set : {"nc + 5000000000", "2147483648 WHERE nc = 5000010001", "9007199254740992 WHERE nc = 5000010002"})
        Campaign->Exec(QStringLiteral("UPDATE Planejamento_Cruza SET nc = ") + QLatin1String(set));
    const QString rows = QStringLiteral("SELECT CAST(nc AS INTEGER), planejamento, codigo_cruza, id_vaso_mae, id_vaso_pai, rep "
                                        "FROM Planejamento_Cruza ORDER BY nc");
    const QString before = Campaign->Rows(rows);
    const int count = Campaign->Count(QStringLiteral("Planejamento_Cruza"));
    ASSERT_TRUE(before.startsWith(QStringLiteral("2147483648|")) && before.contains(QStringLiteral(";9007199254740992|"))) << before.toStdString();
    const QString out = Campaign->Dir.filePath(QStringLiteral("cruzamentos.csv"));
    LoadStored(0, 2);
    H.Files.Answer(out);
    Click(W->BLoadFile);
    Confirm();
    LoadStored(0, 1);
    Confirm({mrYes});
    ASSERT_EQ(Campaign->Count(QStringLiteral("Planejamento_Cruza")), 0) << H.Boxes();
    for (int pass = 0; pass < 2; ++pass) {
        H.Dlg.Clear();
        Load(0, out);
        ASSERT_TRUE(W->BConfirm->isEnabled()) << Errors().join(u'\n').toStdString();
        Confirm();
        EXPECT_EQ(H.Dlg.Texts().last(), Done.arg(count).arg(0)) << H.Boxes();
        EXPECT_EQ(Campaign->Rows(rows), before);
    }
}

TEST_F(ImportCSV, PotNumbersByBarcodeType)
{
    const QString tooLong = QStringLiteral("O número de dígitos do campo excede o tamanho máximo do Padrão de Código de Barra selecionado.");
    const struct { int PotCode; const char* Value; QString Msg; } cases[] = {
        {0, "1234567", {}}, {0, "12345678", tooLong}, {1, "12345678", {}},
        {1, "123456789012", QStringLiteral("Valor Inválido. Deve estar entre -2147483648 e 2147483647.")},
        {5, "1", tooLong}, {0, "12a", QStringLiteral("Valor Inválido. Deve ser um valor numérico.")},
    };
    Open();
    for (const auto& c : cases) {
        FMain->AppConfig->ID_PAIS_CODE = c.PotCode;
        Load(2, QStringList{TMasterSheets::Parentals(0).first(), QStringLiteral("%1;C;T;;;;;;;;;").arg(QLatin1String(c.Value))});
        EXPECT_EQ(Cell("MSG. ERRO", 1), c.Msg.isEmpty() ? c.Msg : QStringLiteral("NC_PARENTAL ") + c.Msg) << c.Value;
    }
}

TEST_F(ImportCSV, ParentalsInUseImportedAndALookUpThatFails)
{
    Options.Labels = 8;
    Open();
    const int used = Campaign->Scalar(QStringLiteral("SELECT id_vaso_mae FROM Planejamento_Cruza WHERE nc = 10001")).toInt();
    const QString uses = Campaign->Scalar(QStringLiteral("SELECT COUNT(1) FROM Planejamento_Cruza WHERE id_vaso_mae = %1 OR id_vaso_pai = %1").arg(used));
    const QStringList sheet{TMasterSheets::Parentals(0).first(), QStringLiteral("%1;C1;T;;;;;;;;;").arg(used),
                            QStringLiteral("3000001;C2;T;;;;;;;;;")};
    Load(2, sheet);
    EXPECT_EQ(Errors(), QStringList{QStringLiteral("Linha(2): NC_PARENTAL Parental já referenciado em %1 cruzamentos.").arg(uses)});
    // Parentals no crossing uses are imported, and replaced by a second import.
    const QStringList parentals = TMasterSheets::Parentals(3, 3000001);
    for (int pass = 0; pass < 2; ++pass) {
        Load(2, parentals);
        H.Dlg.Clear();
        Confirm();
        EXPECT_EQ(H.Dlg.Texts().last(), Done.arg(3).arg(0));
    }
    EXPECT_EQ(Campaign->Count(QStringLiteral("Parental")), Campaign->Info.Parentals + 3);
    const QStringList first = parentals[1].split(u';');
    EXPECT_EQ(Campaign->Rows(QStringLiteral("SELECT codigo, tratamento, genealogia, lote_semente_fn, upd_tal, usua FROM Parental WHERE id = 3000001")),
              QStringList({first[1], first[2], first[4], first[11], QStringLiteral("0"), QStringLiteral("IMPORTACAO")}).join(u'|'));
    // A look-up that cannot run lets no row pass, and says so once.
    Campaign->Conn.Engine()->Exec(QStringLiteral("ALTER TABLE Planejamento_Cruza RENAME COLUMN id_vaso_pai TO id_vaso_x"));
    H.Dlg.Clear();
    Load(2, sheet);
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_TRUE(H.Dlg.Texts().first().startsWith(QStringLiteral("Erro ao consultar Parental utilizado no Planejamento Cruza: ")));
    EXPECT_EQ(Errors().size(), 2);
    EXPECT_EQ(Cell("MSG. ERRO", 2), QStringLiteral("NC_PARENTAL Não foi possível verificar o uso do Parental."));
    EXPECT_FALSE(W->BConfirm->isEnabled());
}

TEST_F(ImportCSV, WithoutExpoCadOnlyTheCharacterisationCheckedAndStoredTrimmed)
{
    Open(false);
    EXPECT_TRUE(!W->dados->isEnabled() && W->dados->currentIndex() == 3);
    const QStringList sheet{QStringLiteral("NC_PARENTAL;CODIGO;CFLOR;CPUB"),
                            QStringLiteral("%1;PAR-00001;  Roxa Clara ;Marrom").arg(TCampaignBuilder::PotNumber(0)),
                            QStringLiteral("%1;PAR-00002;Amarelada11;Cinza").arg(TCampaignBuilder::PotNumber(1)),
                            QStringLiteral("%1;PAR-00009;Roxa;Cinza").arg(TCampaignBuilder::PotNumber(2)),
                            QStringLiteral("4000000;PAR-00005;Roxa;Cinza"),
                            QStringLiteral("%1;PAR-00004;Branca;%2").arg(TCampaignBuilder::PotNumber(3)).arg(QString(11, u'x'))};
    Load(3, sheet);
    EXPECT_EQ(Errors(), (QStringList{
                            QStringLiteral("Linha(3): CFLOR excedeu o tamanho máximo da informação [10 Caracteres]."),
                            QStringLiteral("Linha(4): Código do Vaso não confere com o NC Parental relacionado."),
                            QStringLiteral("Linha(5): NC Parental não Cadastrado. "),
                            QStringLiteral("Linha(6): CPUB excedeu o tamanho máximo da informação [10 Caracteres]."),
                        }));
    Load(3, sheet.mid(0, 2));
    Confirm();
    EXPECT_EQ(H.Dlg.Texts().last(), Done.arg(1).arg(0));
    EXPECT_EQ(Campaign->Rows(QStringLiteral("SELECT cflor, cpub, upd_tal FROM Parental WHERE codigo = 'PAR-00001'")),
              QStringLiteral("Roxa Clara|Marrom|1"));
}

TEST_F(ImportCSV, TenExecutorsTwoRefusedKeepTheirStoredRows)
{
    Open();
    const QString sql = QStringLiteral("SELECT id, nome FROM Emasculador WHERE id IN (2, 4) ORDER BY id"), before = Campaign->Rows(sql);
    QStringList sheet = TMasterSheets::Executors(10);
    // NOME holds at most 60 characters: the database refuses these two rows.
    sheet[2] = QStringLiteral("2;") + QString(61, u'a');
    sheet[4] = QStringLiteral("4;") + QString(61, u'b');
    Load(1, sheet);
    ASSERT_TRUE(W->BConfirm->isEnabled()) << Errors().join(u'\n').toStdString();
    Confirm();
    const QStringList texts = H.Dlg.Texts();
    ASSERT_EQ(texts.size(), 4) << H.Boxes();
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("Confirma a importação dos Dados?")));
    for (int i : {1, 2})
        EXPECT_TRUE(texts[i].startsWith(QStringLiteral("Erro ao Importar Dados.\r\n Erro: (EOleException)  "))) << texts[i].toStdString();
    EXPECT_EQ(texts[3], Done.arg(8).arg(2));
    EXPECT_EQ(Campaign->Count(QStringLiteral("Emasculador")), 10);
    EXPECT_EQ(Campaign->Rows(sql), before);
    EXPECT_EQ(Campaign->Scalar(QStringLiteral("SELECT nome FROM Emasculador WHERE id = 9")), sheet[9].section(u';', 1));
}

TEST_F(ImportCSV, AnsiEmptyAndUnreadableFiles)
{
    Open();
    QByteArray bytes;
    ToAnsi(QStringLiteral("CODIGO;NOME\n7;João Conceição\r8;Ângela Simões\r\n9;Inês"), bytes);
    Load(1, Sheet(QStringLiteral("ansi.csv"), bytes));
    ASSERT_EQ(W->SG->RowCount(), 4);
    EXPECT_EQ(Cell("NOME", 1) + Cell("NOME", 2) + Cell("CODIGO", 3), QStringLiteral("João ConceiçãoÂngela Simões9"));
    Load(1, QStringList{QStringLiteral("CODIGO;NOME")});
    EXPECT_FALSE(W->BConfirm->isEnabled());
    Load(1, Sheet(QStringLiteral("empty.csv"), QByteArray()));
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Erro ao abrir o arquivo e/ou arquivo sem conteúdo: ") + W->EDFile->text()});
    Load(1, TMasterSheets::Executors(3));
    H.Dlg.Clear();
    // The kernel refuses to read this file from its start.
    const QString unreadable = Campaign->Dir.filePath(QStringLiteral("unreadable.csv"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), unreadable));
    Load(1, unreadable);
    ASSERT_EQ(H.Dlg.Count(), 1);
    EXPECT_TRUE(H.Dlg.Texts().first().startsWith(QStringLiteral("Erro ao carregar a planilha [") + unreadable + QStringLiteral("].\r\nMsg.: ")));
    EXPECT_TRUE(W->BLoadFile->isEnabled() && !W->PLoad->isVisible() && !W->BConfirm->isEnabled());
    EXPECT_EQ(Cell("CODIGO", 1), QString());
}

TEST_F(ImportCSV, DeleteAllGuards)
{
    Options.Crossings = 2;
    Open();
    const QString labels = QStringLiteral("Há etiquetas de cruzamento gerado.\r\nPara excluir os cruzamentos, deve-se excluir as etiquetas.");
    const QString ask = QStringLiteral("Confirma a Exclusão dos dados?");
    const struct { int Kind; QString Msg; } cases[] = {
        {0, labels}, {1, labels}, {2, QStringLiteral("Há Cruzamento cadastrado/colhido.\r\nOs dados não podem ser excluídos.")}, {3, QString()}};
    for (const auto& c : cases) {
        H.Dlg.Clear();
        LoadStored(c.Kind, 1);
        EXPECT_EQ(W->LErro->text(), QStringLiteral("Registros: %1").arg(W->SG->RowCount() - 1));
        Confirm();
        EXPECT_EQ(H.Dlg.Texts(), c.Msg.isEmpty() ? QStringList() : QStringList{c.Msg}) << c.Kind;
    }
    EXPECT_EQ(Campaign->Count(QStringLiteral("Parental")), Campaign->Info.Parentals);
    for (const char* table : {"Cruza", "Etiqueta_Cruza"})
        Campaign->Exec(QStringLiteral("DELETE FROM ") + QLatin1String(table));
    // A returned campaign neither imports nor deletes.
    const QString refused = QStringLiteral("O Banco de Dados está com Status SOMENTE CONSULTA.\r\nSomente a opção EXPORTAR está disponível.");
    const QString stored = Campaign->Rows(QStringLiteral("SELECT id, nome FROM Emasculador"));
    Campaign->Exec(QStringLiteral("UPDATE Configuracao SET tal_lock = 2"));
    FMain->AppConfig->ReadConfig();
    H.Dlg.Clear();
    Load(1, TMasterSheets::Executors(7));
    Confirm();
    LoadStored(1, 1);
    Confirm();
    EXPECT_EQ(H.Dlg.Texts(), QStringList(2, refused));
    EXPECT_EQ(Campaign->Rows(QStringLiteral("SELECT id, nome FROM Emasculador")), stored);
    // Without labels and crossings the executors go, after Yes.
    Campaign->Exec(QStringLiteral("UPDATE Configuracao SET tal_lock = 1"));
    FMain->AppConfig->ReadConfig();
    LoadStored(1, 1);
    H.Dlg.Clear();
    Confirm({mrNo});
    EXPECT_EQ(Campaign->Count(QStringLiteral("Emasculador")), Campaign->Info.Executors);
    Confirm({mrYes});
    EXPECT_EQ(H.Dlg.Texts(), (QStringList{ask, ask, QStringLiteral("Exclusão dos dados realizado com sucesso.")}));
    EXPECT_EQ(Campaign->Count(QStringLiteral("Emasculador")), 0);
    EXPECT_FALSE(W->SG->isVisible() || W->BConfirm->isEnabled());
    // Nothing stored: nothing to delete.
    Click(W->BLoadInfo);
    EXPECT_FALSE(W->BConfirm->isEnabled());
}

// A returned campaign still exports.
TEST_F(ImportCSV, ExportAndModelFilesByteForByte)
{
    Options.TalLock = 2;
    Open();
    // The user's own sheet, loaded: switching to Exportar forgets its name, and
    // it is replaced only through the file choice and its question.
    const QString out = Campaign->Dir.filePath(QStringLiteral("emasc.csv"));
    TMasterSheets::Write(out, TMasterSheets::Executors(3));
    const QByteArray sheet = FileBytes(out);
    Load(1, out);
    Pick(W->CBOper, 2);
    Click(W->BLoadFile);
    Click(W->BLoadInfo);
    Confirm();
    H.Files.Answer(out);
    H.Dlg.Answer(mrNo);
    Click(W->BLoadFile);
    Confirm();
    const QString noName = QStringLiteral("Informe o nome do arquivo para a qual será exportado os dados.");
    EXPECT_EQ(H.Dlg.Texts(), (QStringList{QStringLiteral("Carregue os dados do BD antes de exportar os dados."), noName,
                                          QStringLiteral("O arquivo [") + out + QStringLiteral("] já existe.\r\nSobrescrever?"), noName}));
    EXPECT_EQ(FileBytes(out), sheet);
    Campaign->Exec(QStringLiteral("UPDATE Emasculador SET nome = 'José Simões' WHERE id = 2"));
    auto exportTo = [&](const QString& Path) {
        Click(W->BLoadInfo);
        H.Files.Answer(Path);
        H.Dlg.Answer(mrYes);
        Click(W->BLoadFile);
        H.Dlg.Clear();
        Confirm();
    };
    exportTo(out);
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Dados exportados com sucesso.")});
    QByteArray expected = "CODIGO;NOME;\r\n";
    for (int id = 1; id <= Campaign->Info.Executors; ++id) {
        QByteArray name;
        ToAnsi(Campaign->Scalar(QStringLiteral("SELECT nome FROM Emasculador WHERE id = %1").arg(id)), name);
        expected += QByteArray::number(id) + ';' + name + ";\r\n";
    }
    EXPECT_TRUE(expected.contains("Jos\xE9 Sim\xF5" "es"));
    EXPECT_EQ(FileBytes(out), expected);
    const QString longName = Campaign->Dir.filePath(LongFileName(250, QStringLiteral(".csv")));
    exportTo(longName);
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Dados exportados com sucesso.")});
    EXPECT_EQ(FileBytes(longName), expected);
    // A value holding the separator is refused by row and column; the old file stays.
    Campaign->Exec(QStringLiteral("UPDATE Emasculador SET nome = 'A;B' WHERE id = 3"));
    exportTo(out);
    EXPECT_EQ(H.Dlg.Texts(), QStringList{QStringLiteral("Erro ao exportar os dados para o arquivo [") + out
                                         + QStringLiteral("]\r\nMsg.: Linha 4, coluna NOME: o valor contém o separador \";\".")});
    EXPECT_EQ(FileBytes(out), expected);
    // Model files: the titles that are not computed, and never over an existing file.
    const struct { int Kind; const char* Name; QByteArray Bytes; } models[] = {
        {1, "Modelo_Emasculador.csv", "CODIGO;NOME\r\n"}, {0, "Modelo_Cruzamento.csv", CrossingTitles.toLatin1() + "\r\n"}};
    for (const auto& m : models) {
        Choose(m.Kind, 0);
        H.Dlg.Clear();
        const QString path = Campaign->Dir.filePath(QLatin1String(m.Name));
        H.Files.Answer(path);
        H.Files.Answer(path);
        Click(W->BModelo_CSV);
        EXPECT_EQ(H.Files.Last().FileName, QLatin1String(m.Name));
        EXPECT_EQ(FileBytes(path), m.Bytes);
        Click(W->BModelo_CSV);
        EXPECT_EQ(H.Dlg.Texts(), (QStringList{QStringLiteral("Modelo gerado com sucesso."),
                                              QStringLiteral(" Não é possível sobrescrever o arquivo [") + path + QStringLiteral("]. ")}));
    }
}

} // namespace

// The green "Incluir" is drawn green only while a click does something; a row in error is painted red.
TEST_F(ImportCSV, IncluirShowsTheDisabledColourWhileItRefuses)
{
    Open();
    const auto greenPixels = [&] {
        const QImage img = W->BConfirm->grab().toImage();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                n += c.green() > c.red() + 40 && c.green() > c.blue() + 40;
            }
        return n;
    };
    QStringList withError = TMasterSheets::Executors(4);
    withError[3] = QStringLiteral("3;");
    for (bool enabled : {true, false}) {
        Load(1, enabled ? TMasterSheets::Executors(3) : withError);
        EXPECT_EQ(W->BConfirm->isEnabled(), enabled);
        EXPECT_EQ(greenPixels() > 0, enabled) << greenPixels();
    }
    EXPECT_EQ(Errors(), QStringList{QStringLiteral("Linha(4): NOME não pode ser vazio.")});
    const QImage grid = W->SG->viewport()->grab().toImage();
    for (int row : {1, 3})
        EXPECT_EQ(grid.pixelColor(W->SG->CellRect(1, row).right() - 3, W->SG->CellRect(1, row).center().y()) == QColor(255, 0, 0), row == 3);
}

// A code repeats in a sheet only as the same text, and the characterisation's code is the
// stored one as it stands; a parent code is looked up as typed codes are, letter case aside.
TEST_F(ImportCSV, CodesInTheSheetCompareExactlyParentsAreFoundInAnyCase)
{
    Open();
    Campaign->Exec(QStringLiteral("UPDATE Parental SET codigo = 'ção-1' WHERE codigo = 'PAR-00001'"));
    const QString pot0 = QString::number(TCampaignBuilder::PotNumber(0)), pot1 = QString::number(TCampaignBuilder::PotNumber(1));
    // 30 parentals: rows 16 to 30 repeat earlier codes in small letters; row 30 repeats row 16 as it stands.
    QStringList parentals = TMasterSheets::Parentals(30, 3000001);
    for (int r = 16; r <= 30; ++r)
        parentals[r] = parentals[r].section(u';', 0, 0) + u';' + parentals[r == 30 ? 1 : r - 15].section(u';', 1, 1).toLower() + u';'
                       + parentals[r].section(u';', 2);
    const struct { int Kind; QStringList Sheet; QStringList Errors; } cases[] = {
        {2, parentals, {QStringLiteral("Linha(31): CODIGO duplicado na linha (16).")}},
        {3, {QStringLiteral("NC_PARENTAL;CODIGO;CFLOR;CPUB"), pot0 + QStringLiteral(";ÇÃO-1;Roxa;Cinza"), pot1 + QStringLiteral(";par-00002;Roxa;Cinza"),
             pot1 + QStringLiteral(";PAR-00002;Roxa;Cinza")},
         {QStringLiteral("Linha(2): Código do Vaso não confere com o NC Parental relacionado."),
          QStringLiteral("Linha(3): Código do Vaso não confere com o NC Parental relacionado."),
          QStringLiteral("Linha(4): NC_PARENTAL duplicado na linha (2).")}},
        {0, {CrossingTitles, QStringLiteral("P;900001;CZ-1;ÇÃO-1;par-00002;2;;;"), QStringLiteral("P;900002;cz-1;cao-1;PAR-00002;2;;;"),
             QStringLiteral("P;900003;cz-1;ção-1;Par-00002;2;;;")},
         {QStringLiteral("Linha(3): MAE  Parental não Cadastrado."), QStringLiteral("Linha(4): CODIGO duplicado na linha (2).")}},
    };
    for (const auto& c : cases) {
        Load(c.Kind, c.Sheet);
        EXPECT_EQ(Errors(), c.Errors) << c.Kind;
        EXPECT_EQ(W->LErro->text(), QStringLiteral("Linhas Decodificadas: %1   Erros: %2").arg(c.Sheet.size() - 1).arg(c.Errors.size()));
    }
    EXPECT_EQ(QStringList({Cell("ID_MAE", 1), Cell("ID_PAI", 1), Cell("ID_MAE", 3), Cell("ID_PAI", 3)}), QStringList({pot0, pot1, pot0, pot1}));
}
