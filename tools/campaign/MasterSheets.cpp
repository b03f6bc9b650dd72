#include "MasterSheets.h"

#include "XExceptions.h"
#include "XTextFile.h"

#include <QDir>

#include <random>

namespace {

const char* const Colours[] = {"Branca", "Creme", "Amarela", "Roxa", "Rósea"};
const char* const Hairs[] = {"Marrom", "Cinza", "Castanha", "Glabra"};
const char* const Genes[] = {"CONV", "RR", "B2RF", "WS"};
const char* const Names[] = {"João Araújo", "Márcia Conceição", "Luís Gonçalves", "Ângela Simões", "Otávio Brandão",
                             "Inês Guimarães", "Cássio Peçanha", "Tânia Lúcio"};

template <size_t N>
QString Pick(std::mt19937& Rnd, const char* const (&List)[N])
{
    return QString::fromUtf8(List[Rnd() % N]);
}

} // namespace

QString TMasterSheets::ParentalCode(int Index)
{
    return QStringLiteral("PAR-%1").arg(Index + 1, 5, 10, QChar(u'0'));
}

QStringList TMasterSheets::Crossings(const TCampaignInfo& Info, int Rows, qint64 FirstNc, quint32 Seed)
{
    std::mt19937 rnd(Seed);
    const int pots = qMax(2, Info.Parentals);
    QStringList lines{QStringLiteral("PLANEJAMENTO;NC;CODIGO;MAE;PAI;QTE_FLOR;F1_AGROBASE;CRUZA_AGROBASE;LOTE_SEMENTE_F1")};
    lines.reserve(Rows + 1);
    for (int i = 0; i < Rows; ++i) {
        const int mother = int(rnd() % quint32(pots));
        const int father = (mother + 1 + int(rnd() % quint32(pots - 1))) % pots;
        const qint64 nc = FirstNc + i;
        lines << QStringLiteral("Plano Verão %1;%2;CZN-%2;%3;%4;%5;F1-%2;;LS-%2")
                     .arg(QChar(u'A' + i % 4))
                     .arg(nc)
                     .arg(ParentalCode(mother), ParentalCode(father))
                     .arg(1 + rnd() % 6);
    }
    return lines;
}

QStringList TMasterSheets::Executors(int Rows, quint32 Seed)
{
    std::mt19937 rnd(Seed);
    QStringList lines{QStringLiteral("CODIGO;NOME")};
    for (int i = 1; i <= Rows; ++i)
        lines << QStringLiteral("%1;%2 %1").arg(i).arg(Pick(rnd, Names));
    return lines;
}

QStringList TMasterSheets::Parentals(int Rows, int FirstPot, quint32 Seed)
{
    std::mt19937 rnd(Seed);
    QStringList lines{QStringLiteral("NC_PARENTAL;CODIGO;PARENTAL;GGEN;GENEALOGIA;CFLOR;CPUB;ID_AGROBASE;EXPE_FN;PARC_FN;"
                                     "CODIGO_FN;LOTE_SEMENTE_FN")};
    lines.reserve(Rows + 1);
    for (int i = 0; i < Rows; ++i) {
        const int pot = FirstPot + i;
        lines << QStringLiteral("%1;NOV-%1;Linhagem %1;%2;L%3 x L%4 (seleção);%5;%6;AG-%1;EXP-%7;P%8;FN-%1;LSF-%1")
                     .arg(pot)
                     .arg(Pick(rnd, Genes))
                     .arg(100 + rnd() % 900)
                     .arg(100 + rnd() % 900)
                     .arg(Pick(rnd, Colours), Pick(rnd, Hairs))
                     .arg(2025 + i % 2)
                     .arg(1 + i % 40);
    }
    return lines;
}

QStringList TMasterSheets::Characterisation(const TCampaignInfo& Info, quint32 Seed)
{
    std::mt19937 rnd(Seed);
    QStringList lines{QStringLiteral("NC_PARENTAL;CODIGO;CFLOR;CPUB")};
    for (int i = 0; i < Info.Parentals; ++i)
        lines << QStringLiteral("%1;%2;%3;%4")
                     .arg(TCampaignBuilder::PotNumber(i))
                     .arg(ParentalCode(i), Pick(rnd, Colours), Pick(rnd, Hairs));
    return lines;
}

void TMasterSheets::Write(const QString& FileName, const QStringList& Lines)
{
    QList<QStringList> rows;
    for (const QString& l : Lines)
        rows << QStringList{l};
    QString error;
    if (!WriteFileReplacing(FileName, SeparatedText(rows, u';', false), error))
        throw EInOutError(FileName + QStringLiteral(": ") + error);
}

QStringList TMasterSheets::WriteSamples(const QString& Folder, const TCampaignInfo& Info)
{
    const QDir dir(Folder);
    QStringList lines = Crossings(Info, 20, 20001);
    // A few rows the window shows in red: a repeated NC, an unknown mother, a missing flower count.
    QStringList faulty = lines.mid(0, 8);
    faulty[3] = QStringLiteral("Plano Verão D;20001;CZN-X1;PAR-00001;PAR-00002;2;;;");
    faulty[5] = QStringLiteral("Plano Verão B;20005;CZN-20005;PAR-99999;PAR-00002;2;;;");
    faulty[7] = QStringLiteral("Plano Verão C;20007;CZN-20007;PAR-00003;PAR-00004;;;;");
    const QList<QPair<QString, QStringList>> sheets{
        {QStringLiteral("Exemplo_Cruzamento.csv"), lines},
        {QStringLiteral("Exemplo_Emasculador.csv"), Executors(8)},
        {QStringLiteral("Exemplo_Parental.csv"), Parentals(10, 2100001)},
        {QStringLiteral("Exemplo_Carac_Parental.csv"), Characterisation(Info)},
        {QStringLiteral("Exemplo_Cruzamento_Com_Erros.csv"), faulty},
    };
    QStringList names;
    for (const auto& [name, sheet] : sheets) {
        Write(dir.filePath(name), sheet);
        names << dir.filePath(name);
    }
    return names;
}
