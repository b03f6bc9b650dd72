#include "CampaignBuilder.h"

#include "UDBTables.h"
#include "UDBVersion.h"
#include "UTBStruct_DB.h"
#include "XAdo.h"
#include "XAdoEngine.h"
#include "XExceptions.h"

#include <QDateTime>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace {

// Columns that an upgrade step adds, by step; absent from files older than the step.
struct StepColumn
{
    const char* step;
    const char* table;
    const char* column;
};

const StepColumn stepColumns[] = {
    {"01.002", "Cruza", "X_USUA"},
    {"01.002", "Cruza", "X_DUPD"},
    {"01.002", "Cruza", "X_CMAQ"},
    {"01.002", "Cruza", "SEQ"},
    {"01.003", "Configuracao", "ETIQ_PAG"},
    {"01.005", "Parental", "ID_AGROBASE"},
    {"01.005", "Parental", "CODIGO_FN"},
    {"01.005", "Parental", "LOTE_SEMENTE_FN"},
    {"01.005", "Parental", "EXPE_FN"},
    {"01.005", "Parental", "PARC_FN"},
    {"01.005", "Planejamento_Cruza", "F1_AGROBASE"},
    {"01.005", "Planejamento_Cruza", "CRUZA_AGROBASE"},
    {"01.005", "Planejamento_Cruza", "LOTE_SEMENTE_F1"},
    {"01.011", "Configuracao", "LIMPA_EMASC"},
    {"01.015", "Parental", "CFLOR"},
    {"01.015", "Parental", "CPUB"},
    {"01.017", "Configuracao", "CAB_ETIQ_FLOR"},
    {"01.017", "Configuracao", "PLAN_ETIQ_FLOR"},
    {"02.002", "Configuracao", "SMT_MAX_HIBR"},
};

// Columns of the upgraded structure that the expected schema does not list.
struct ExtraColumn
{
    const char* table;
    const char* column;
    int size;
};

const ExtraColumn extraColumns[] = {
    {"Cruza", "X_USUA", 30},
    {"Parental", "ID_AGROBASE", 30},
    {"Parental", "CODIGO_FN", 30},
    {"Parental", "LOTE_SEMENTE_FN", 30},
    {"Parental", "EXPE_FN", 50},
    {"Parental", "PARC_FN", 20},
    {"Planejamento_Cruza", "F1_AGROBASE", 30},
    {"Planejamento_Cruza", "CRUZA_AGROBASE", 30},
    {"Planejamento_Cruza", "LOTE_SEMENTE_F1", 30},
};

const char* const stepVersions[] = {"01.002", "01.003", "01.005", "01.011", "01.015", "01.017", "01.018", "02.002"};

struct Column
{
    QString name;
    quint8 type;
    int size;
    bool allowNull;
};

struct Table
{
    QString name;
    QList<Column> columns;
    QStringList keys;   // CONSTRAINT clauses

    bool has(const QString& column) const
    {
        for (const Column& c : columns)
            if (c.name.compare(column, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
};

// The tables of a structure version, from the expected schema.
QList<Table> StructureOf(const QString& version)
{
    auto applied = [&](const char* step) { return !(version < QLatin1String(step)); };
    TDB_Struct expected;
    RegisterDBStructs(&expected);
    QList<Table> tables;
    for (int t = 0; t < expected.Tables.Count(); ++t) {
        const TTab_Struct* tab = expected.TableAt(t);
        Table table;
        table.name = tab->Name;
        auto stepOf = [&](const QString& column) -> const char* {
            for (const StepColumn& s : stepColumns)
                if (table.name == QLatin1String(s.table) && column.compare(QLatin1String(s.column), Qt::CaseInsensitive) == 0)
                    return s.step;
            return nullptr;
        };
        for (int f = 0; f < tab->Fields.Count(); ++f) {
            const TField_Struct* fld = tab->FieldAt(f);
            const char* step = stepOf(fld->Name);
            if (step && !applied(step))
                continue;
            Column c{fld->Name, fld->FieldType, fld->Size, fld->AllowNull};
            // Older files had a shorter, optional parent code and an optional plan name.
            if (table.name == QLatin1String("Parental") && c.name == QLatin1String("CODIGO") && !applied("01.005")) {
                c.size = 20;
                c.allowNull = true;
            }
            if (table.name == QLatin1String("Planejamento_Cruza") && c.name == QLatin1String("PLANEJAMENTO")
                && !applied("01.018"))
                c.allowNull = true;
            table.columns.append(c);
        }
        for (const ExtraColumn& x : extraColumns) {
            const QString column = QLatin1String(x.column);
            const char* step = stepOf(column);
            if (table.name == QLatin1String(x.table) && (!step || applied(step)))
                table.columns.append({column, fcText, x.size, true});
        }
        for (int i = 0; i < tab->Indexes.Count(); ++i) {
            const TIndex_Struct* ix = tab->IndexAt(i);
            QString fields = ix->Fields;
            if (table.name == QLatin1String("Cruza") && ix->Primary && !applied("01.002"))
                fields = QStringLiteral("NC_REP");
            table.keys.append(QStringLiteral("CONSTRAINT %1 %2 (%3)")
                                  .arg(ix->Name, ix->Primary ? QStringLiteral("PRIMARY KEY") : QStringLiteral("UNIQUE"),
                                       fields));
        }
        tables.append(table);
    }
    return tables;
}

QString CreateSql(const Table& t)
{
    QStringList parts;
    for (const Column& c : t.columns)
        parts.append(c.name + u' ' + SQLTypeText(c.type, c.size) + (c.allowNull ? QStringLiteral(" NULL") : QStringLiteral(" NOT NULL")));
    parts.append(t.keys);
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(t.name, parts.join(QStringLiteral(", ")));
}

// Inserts rows into one table through one prepared statement.
class Inserter
{
public:
    Inserter(TADOConnection* conn, const Table& t)
    {
        QStringList names;
        QStringList params;
        for (const Column& c : t.columns) {
            names.append(c.name);
            params.append(u':' + c.name);
        }
        m_cmd.setConnection(conn);
        m_cmd.setCommandText(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(t.name, names.join(QStringLiteral(", ")), params.join(QStringLiteral(", "))));
        for (int i = 0; i < t.columns.size(); ++i) {
            const Column& c = t.columns[i];
            TParameter* p = m_cmd.Parameters.ParamByName(c.name);
            p->DataType = c.type == fcText ? ftWideString : c.type == fcFloat ? ftFloat : ftInteger;
            m_slots.push_back({c.name.toUpper().toLatin1(), p});
        }
    }

    // Values by column name; columns the structure lacks are left out, missing values are Null.
    void Row(std::initializer_list<std::pair<const char*, QVariant>> values)
    {
        for (const Slot& s : m_slots)
            s.param->Value = QVariant();
        for (const auto& [name, value] : values)
            if (TParameter* p = find(name))
                p->Value = value;
        m_cmd.Execute();
        ++m_rows;
    }

    int rows() const { return m_rows; }

private:
    struct Slot
    {
        QByteArray name;
        TParameter* param;
    };

    TParameter* find(const char* name) const
    {
        for (const Slot& s : m_slots)
            if (s.name == name)
                return s.param;
        return nullptr;
    }

    TADOCommand m_cmd;
    std::vector<Slot> m_slots;
    int m_rows = 0;
};

const Table& TableNamed(const QList<Table>& tables, const char* name)
{
    for (const Table& t : tables)
        if (t.name == QLatin1String(name))
            return t;
    throw EOleException(QStringLiteral("no table %1").arg(QLatin1String(name)));
}

QString Stamp(qint64 seconds)
{
    // UTC: no time-zone look-up per row.
    static const QDateTime base(QDate(2024, 10, 1), QTime(7, 0, 0), Qt::UTC);
    return base.addSecs(seconds).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

const char* const firstNames[] = {"Ana", "Bruno", "Carla", "Diego", "Elaine", "Fábio", "Gisele", "Hugo",
                                  "Iara", "João", "Karina", "Luís", "Márcia", "Nilson", "Otávio", "Paula"};
const char* const lastNames[] = {"Silva", "Souza", "Oliveira", "Pereira", "Lima", "Carvalho", "Ferreira",
                                 "Rodrigues", "Almeida", "Costa", "Gomes", "Martins"};
const char* const geneTypes[] = {"CONV", "RR", "B2RF", "WS", "GLT", "LL"};
const char* const machines[] = {"CAMPO01", "CAMPO02", "LAB-HIBR"};

// The envelopes of Options on the labels made so far; a generator of their
// own, so that they change nothing else the seed makes.
void AddEnvelopes(TADOConnection* Conn, const QList<Table>& Tables, const TCampaignOptions& Options, bool HasSeq,
                  const std::vector<qint64>& Labels, TCampaignInfo& Info)
{
    const int total = qMax(0, Options.Envelopes);
    const int bare = qBound(0, Options.EnvelopesWithoutCrossing, total);
    if (total == 0)
        return;
    // The current crossing of every crossed label: written off or not.
    std::vector<std::pair<qint64, bool>> crossed;
    {
        TADOQuery q;
        q.setConnection(Conn);
        q.SQL.setText(HasSeq ? QStringLiteral("SELECT c.nc_rep, c.status FROM Cruza c WHERE c.seq = "
                                              "(SELECT MAX(c2.seq) FROM Cruza c2 WHERE c2.nc_rep = c.nc_rep)")
                             : QStringLiteral("SELECT nc_rep, status FROM Cruza"));
        q.Open();
        for (; !q.Eof(); q.Next())
            crossed.emplace_back(q.Fields(0)->AsLargeInt(), q.Fields(1)->AsString() == QLatin1String("X"));
    }
    std::vector<qint64> uncrossed;
    {
        std::vector<qint64> names;
        for (const auto& c : crossed)
            names.push_back(c.first);
        std::sort(names.begin(), names.end());
        for (qint64 l : Labels)
            if (!std::binary_search(names.begin(), names.end(), l))
                uncrossed.push_back(l);
    }
    if (total - bare > int(crossed.size()) || bare > int(uncrossed.size()))
        throw EOleException(QStringLiteral("%1 envelopes (%2 without crossing) do not fit on %3 crossed and %4 free labels")
                                .arg(total).arg(bare).arg(crossed.size()).arg(uncrossed.size()));
    std::mt19937 rnd(Options.Seed * 7919u + 17u);
    auto pick = [&](int n) { return int(rnd() % quint32(n)); };
    std::shuffle(crossed.begin(), crossed.end(), rnd);
    std::shuffle(uncrossed.begin(), uncrossed.end(), rnd);
    Inserter env(Conn, TableNamed(Tables, "Colheita"));
    const int executors = qMax(1, Options.Executors);
    qint64 clock = 86400 * 120;
    for (int i = 0; i < total; ++i) {
        const bool onCrossing = i < total - bare;
        const qint64 label = onCrossing ? crossed[size_t(i)].first : uncrossed[size_t(i - (total - bare))];
        clock += 10 + pick(120);
        env.Row({{"ID_CRUZA", QVariant()}, {"ID_USUA", 1 + pick(executors)}, {"NC_REP", double(label)},
                 {"QTE_SEM", pick(31)}, {"LOTE", QStringLiteral("CX-%1").arg(1 + i / 50, 4, 10, QChar(u'0'))},
                 {"OBS", pick(4) == 0 ? QVariant(QStringLiteral("Obs. %1").arg(i + 1)) : QVariant()},
                 {"DUPD", Stamp(clock)}, {"CMAQ", QLatin1String(machines[pick(std::size(machines))])}});
        Info.EnvelopesWrittenOff += onCrossing && crossed[size_t(i)].second;
    }
    Info.Envelopes = env.rows();
    Info.EnvelopesWithoutCrossing = bare;
}

} // namespace

QString TCampaignInfo::Describe() const
{
    return QStringLiteral("%1: version %2; %3 executors, %4 parentals, %5 planned crossings, %6 labels (%7 to %8); "
                          "%9 crossings (%10 written off, %11 transmitted, %12 registered again)")
        .arg(Path, Version)
        .arg(Executors)
        .arg(Parentals)
        .arg(Plans)
        .arg(Labels)
        .arg(FirstLabel)
        .arg(LastLabel)
        .arg(Crossings)
        .arg(WrittenOff)
        .arg(Transmitted)
        .arg(Registered);
}

QStringList TCampaignBuilder::Versions()
{
    QStringList v{QStringLiteral("01.001")};
    for (const char* s : stepVersions)
        v.append(QLatin1String(s));
    v.append(DBVersion);
    return v;
}

qint64 TCampaignBuilder::LabelNumber(qint64 Nc, int Rep, bool Ean13)
{
    // EAN-13 numbers have 12 digits (all above 2^31), EAN-8 ones 7.
    return (Ean13 ? Q_INT64_C(300000000000) : 0) + Nc * 100 + Rep;
}

qint32 TCampaignBuilder::PotNumber(int Index)
{
    return 2000001 + Index;
}

QString TCampaignBuilder::Barcode(qint64 Number, bool Ean13)
{
    const QString digits = QStringLiteral("%1").arg(Number, Ean13 ? 12 : 7, 10, QChar(u'0'));
    int sum = 0;
    for (int i = digits.size() - 1, w = 3; i >= 0; --i, w = 4 - w)
        sum += (digits[i].unicode() - '0') * w;
    return digits + QChar(u'0' + (10 - sum % 10) % 10);
}

int TCampaignBuilder::Exec(TADOConnection* Conn, const QString& SQL)
{
    TADOCommand cmd;
    cmd.setConnection(Conn);
    cmd.setCommandText(SQL);
    return cmd.Execute();
}

TCampaignInfo TCampaignBuilder::Build(const QString& Path, const TCampaignOptions& Options)
{
    const QString version = Options.Version.isEmpty() ? DBVersion : Options.Version;
    const bool hasSeq = !(version < QLatin1String("01.002"));
    const int reps = qMax(1, Options.RepsPerCrossing);
    const int labels = qMax(0, Options.Labels);
    const int plans = (labels + reps - 1) / reps;
    const int parentals = Options.Parentals > 0 ? Options.Parentals : qMax(6, plans / 10);
    const int executors = qMax(1, Options.Executors);
    if (Options.Crossings > labels)
        throw EOleException(QStringLiteral("%1 crossings do not fit on %2 labels").arg(Options.Crossings).arg(labels));

    const QList<Table> tables = StructureOf(version);
    CreateDatabaseFile(Path);
    TADOConnection conn;
    conn.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + QuoteConnectionValue(Path)
                             + QStringLiteral(";Persist Security Info=False"));
    conn.Open();
    for (const Table& t : tables)
        Exec(&conn, CreateSql(t));
    CreateQueryIndexes(&conn, Options.LabelIndex, Options.DateIndex);

    std::mt19937 rnd(Options.Seed);
    auto pick = [&](int n) { return int(rnd() % quint32(n)); };
    auto chance = [&](int percent) { return pick(100) < percent; };
    const QString usua = QStringLiteral("IMPORTACAO");

    TCampaignInfo info;
    info.Path = Path;
    info.Version = version;

    // One transaction for the whole fill: the program itself never uses one.
    XAdo::Engine* engine = conn.Engine();
    engine->Exec(QStringLiteral("BEGIN"));
    try {
        {
            Inserter cfg(&conn, TableNamed(tables, "Configuracao"));
            cfg.Row({{"CFG_ID", 1}, {"VERSAO_DB", version}, {"NC_CODE", Options.Ean13 ? 1 : 0},
                     {"ID_PAIS_CODE", Options.ParentalEan13 ? 1 : 0}, {"ETIQ_PAG", 16}, {"ALERT_SOUND", QVariant()},
                     {"LIMPA_EMASC", 0}, {"CAB_ETIQ_FLOR", 0}, {"PLAN_ETIQ_FLOR", 1}, {"TAL_LOCK", Options.TalLock},
                     {"ID_HIBRIDACAO", 1}, {"VERSION_HIBRID", 1}, {"SMT_MAX_HIBR", 4}});
        }
        {
            Inserter em(&conn, TableNamed(tables, "Emasculador"));
            for (int i = 0; i < executors; ++i)
                em.Row({{"ID", i + 1},
                        {"NOME", QStringLiteral("%1 %2 %3")
                                     .arg(QString::fromUtf8(firstNames[pick(std::size(firstNames))]),
                                          QString::fromUtf8(lastNames[pick(std::size(lastNames))]))
                                     .arg(i + 1)},
                        {"USUA", usua}, {"DUPD", Stamp(i)}, {"CMAQ", QLatin1String(machines[0])}});
            info.Executors = em.rows();
        }
        {
            Inserter par(&conn, TableNamed(tables, "Parental"));
            for (int i = 0; i < parentals; ++i)
                par.Row({{"ID", PotNumber(i)}, {"CODIGO", QStringLiteral("PAR-%1").arg(i + 1, 5, 10, QChar(u'0'))},
                         {"TRATAMENTO", QStringLiteral("Tratamento %1").arg(i + 1)},
                         {"GGEN", QLatin1String(geneTypes[pick(std::size(geneTypes))])},
                         {"GENEALOGIA", QStringLiteral("L%1 x L%2").arg(pick(900) + 100).arg(pick(900) + 100)},
                         {"USUA", usua}, {"DUPD", Stamp(100 + i)}, {"CMAQ", QLatin1String(machines[0])},
                         {"UPD_TAL", 0}});
            info.Parentals = par.rows();
        }
        std::vector<qint64> labelNumbers;
        labelNumbers.reserve(size_t(labels));
        {
            Inserter plan(&conn, TableNamed(tables, "Planejamento_Cruza"));
            Inserter eti(&conn, TableNamed(tables, "Etiqueta_Cruza"));
            const int planNames = qMax(1, qMin(8, plans / 50 + 1));
            for (int p = 0; p < plans; ++p) {
                const qint64 nc = 10001 + p;
                const int mother = pick(parentals);
                const int father = (mother + 1 + pick(parentals - 1)) % parentals;
                const int planReps = qMin(reps, labels - p * reps);
                plan.Row({{"NC", double(nc)}, {"CODIGO_CRUZA", QStringLiteral("CZ-%1").arg(nc)},
                          {"ID_VASO_MAE", PotNumber(mother)}, {"ID_VASO_PAI", PotNumber(father)},
                          {"PLANEJAMENTO", QStringLiteral("Plano %1").arg(QChar(u'A' + p % planNames))},
                          {"REP", planReps}, {"USUA", usua}, {"DUPD", Stamp(1000 + p)},
                          {"CMAQ", QLatin1String(machines[0])}});
                for (int r = 1; r <= planReps; ++r) {
                    const qint64 number = LabelNumber(nc, r, Options.Ean13);
                    labelNumbers.push_back(number);
                    eti.Row({{"NC", double(nc)}, {"REP", r}, {"NC_REP", double(number)},
                             {"NC_PRINT", QString::number(number)}, {"USUA", QStringLiteral("TALVORA")},
                             {"DUPD", Stamp(1000 + p)}, {"CMAQ", QLatin1String(machines[0])}});
                }
            }
            info.Plans = plan.rows();
            info.Labels = eti.rows();
        }
        if (!labelNumbers.empty()) {
            info.FirstLabel = labelNumbers.front();
            info.LastLabel = labelNumbers.back();
        }
        {
            // Crossings on labels in a seeded order; some written off, some of
            // those registered again, some already received by Talvora.
            std::vector<qint64> order = labelNumbers;
            std::shuffle(order.begin(), order.end(), rnd);
            Inserter cruza(&conn, TableNamed(tables, "Cruza"));
            int idCruza = 500000;
            qint64 clock = 86400;
            size_t next = 0;
            while (cruza.rows() < Options.Crossings) {
                const qint64 label = order[next++];
                int seq = 1;
                for (;;) {
                    clock += 20 + pick(200);
                    const bool writtenOff = chance(10);
                    const bool transmitted = chance(30);
                    const int id = transmitted ? ++idCruza : 0;
                    const QVariant idValue = transmitted ? QVariant(writtenOff ? -id : id) : QVariant();
                    const QString dupd = Stamp(clock);
                    const QString status = writtenOff ? QStringLiteral("X") : chance(5) ? QStringLiteral("A") : QStringLiteral("M");
                    cruza.Row({{"ID_CRUZA", idValue}, {"NC_REP", double(label)}, {"SEQ", seq},
                               {"REVERSO", chance(10) ? QStringLiteral("1") : QStringLiteral("0")},
                               {"ID_EMASCULADOR", 1 + pick(executors)}, {"STATUS", status}, {"DUPD", dupd},
                               {"CMAQ", QLatin1String(machines[pick(std::size(machines))])},
                               {"ID_USUA_BAIXA", writtenOff ? QVariant(1 + pick(executors)) : QVariant()},
                               {"X_DUPD", writtenOff ? QVariant(Stamp(clock + 3600)) : QVariant()},
                               {"X_CMAQ", writtenOff ? QVariant(QLatin1String(machines[1])) : QVariant()}});
                    info.WrittenOff += writtenOff;
                    info.Transmitted += transmitted;
                    info.Registered += seq > 1;
                    if (!writtenOff || !hasSeq || cruza.rows() >= Options.Crossings || !chance(50))
                        break;
                    ++seq;
                }
            }
            info.Crossings = cruza.rows();
        }
        AddEnvelopes(&conn, tables, Options, hasSeq, labelNumbers, info);
        engine->Exec(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            engine->Exec(QStringLiteral("ROLLBACK"));
        } catch (...) {
        }
        throw;
    }
    conn.Close();
    return info;
}

void TCampaignBuilder::AddPlannedCrossing(TADOConnection* Conn, qint64 Nc, const QString& Code, qint32 Mother,
                                          qint32 Father, const QString& Plan, int Reps, bool Ean13)
{
    const auto run = [Conn](const QString& SQL, std::initializer_list<std::pair<const char*, QVariant>> Values) {
        TADOCommand cmd;
        cmd.setConnection(Conn);
        cmd.setCommandText(SQL);
        for (const auto& [name, value] : Values) {
            TParameter* p = cmd.Parameters.ParamByName(QLatin1String(name));
            p->DataType = value.typeId() == QMetaType::QString ? ftWideString
                          : value.typeId() == QMetaType::Double ? ftFloat
                                                                 : ftInteger;
            p->Value = value;
        }
        cmd.Execute();
    };
    run(QStringLiteral("INSERT INTO Planejamento_Cruza (NC, CODIGO_CRUZA, ID_VASO_MAE, ID_VASO_PAI, PLANEJAMENTO, REP, "
                       "USUA, DUPD, CMAQ) VALUES (:nc, :codigo, :mae, :pai, :plan, :rep, 'IMPORTACAO', "
                       "'2024-10-01 07:00:00', 'CAMPO01')"),
        {{"nc", double(Nc)}, {"codigo", Code}, {"mae", Mother}, {"pai", Father}, {"plan", Plan}, {"rep", Reps}});
    for (int r = 1; r <= Reps; ++r) {
        const qint64 number = LabelNumber(Nc, r, Ean13);
        run(QStringLiteral("INSERT INTO Etiqueta_Cruza (NC, REP, NC_REP, NC_PRINT, USUA, DUPD, CMAQ) VALUES "
                           "(:nc, :rep, :nc_rep, :nc_print, 'TALVORA', '2024-10-01 07:00:00', 'CAMPO01')"),
            {{"nc", double(Nc)}, {"rep", r}, {"nc_rep", double(number)}, {"nc_print", QString::number(number)}});
    }
}
