// Makes a campaign database file with master data, for trying the program
// and for benchmarks:
//   make_campaign <file.mdb> [--labels N] [--crossings N] [--version V] [--seed S] [--ean13] [--sheets DIR]
// --sheets writes sample master-data sheets of every kind for that campaign into DIR.

#include "CampaignBuilder.h"
#include "MasterSheets.h"
#include "XAdo.h"
#include "XExceptions.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: make_campaign <file.mdb> [--labels N] [--crossings N] [--version V] [--seed S] [--ean13] [--sheets DIR]\n"
                 "versions: %s\n",
                 qPrintable(TCampaignBuilder::Versions().join(QStringLiteral(", "))));
    return 2;
}

// A few flowers to try the hybridisation window with: mother pot, father
// pot and label, as the scanner reads them, from plans none of whose labels
// has a crossing yet.
void PrintReadyToScan(const TCampaignInfo& Info, const TCampaignOptions& Options, int Rows)
{
    TADOConnection conn;
    conn.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + Info.Path
                             + QStringLiteral(";Persist Security Info=False"));
    conn.Open();
    TADOQuery q;
    q.setConnection(&conn);
    q.SQL.setText(QStringLiteral("SELECT pc.id_vaso_mae, pc.id_vaso_pai, ec.nc_rep, pc.codigo_cruza "
                                 "FROM Etiqueta_Cruza ec INNER JOIN Planejamento_Cruza pc ON ec.nc = pc.nc "
                                 "WHERE ec.nc NOT IN (SELECT e2.nc FROM Etiqueta_Cruza e2 INNER JOIN Cruza c "
                                 "ON c.nc_rep = e2.nc_rep) ORDER BY ec.nc, ec.rep"));
    q.Open();
    std::printf("ready to scan (mother pot, father pot, label; crossing):\n");
    for (int n = 0; n < Rows && !q.Eof(); ++n, q.Next())
        std::printf("  %s  %s  %s  %s\n",
                    qPrintable(TCampaignBuilder::Barcode(q.Fields(0)->AsInteger(), Options.ParentalEan13)),
                    qPrintable(TCampaignBuilder::Barcode(q.Fields(1)->AsInteger(), Options.ParentalEan13)),
                    qPrintable(TCampaignBuilder::Barcode(q.Fields(2)->AsLargeInt(), Options.Ean13)),
                    qPrintable(q.Fields(3)->AsString()));
    q.Close();
    conn.Close();
}

bool ReadCount(const QStringList& args, int& i, int& value)
{
    if (i + 1 >= args.size())
        return false;
    bool ok = false;
    value = args[++i].toInt(&ok);
    return ok && value >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    TCampaignOptions options;
    options.Labels = 400;
    options.Crossings = 40;
    QString path;
    QString sheets;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        int n = 0;
        if (a == QLatin1String("--labels") && ReadCount(args, i, n)) {
            options.Labels = n;
        } else if (a == QLatin1String("--crossings") && ReadCount(args, i, n)) {
            options.Crossings = n;
        } else if (a == QLatin1String("--seed") && ReadCount(args, i, n)) {
            options.Seed = quint32(n);
        } else if (a == QLatin1String("--version") && i + 1 < args.size()) {
            options.Version = args[++i];
            if (!TCampaignBuilder::Versions().contains(options.Version))
                return Usage();
        } else if (a == QLatin1String("--sheets") && i + 1 < args.size()) {
            sheets = args[++i];
        } else if (a == QLatin1String("--ean13")) {
            options.Ean13 = true;
        } else if (!a.startsWith(QLatin1String("--")) && path.isEmpty()) {
            path = a;
        } else {
            return Usage();
        }
    }
    if (path.isEmpty())
        return Usage();
    try {
        const TCampaignInfo info = TCampaignBuilder::Build(path, options);
        std::printf("%s\n", qPrintable(info.Describe()));
        PrintReadyToScan(info, options, 5);
        if (!sheets.isEmpty())
            for (const QString& name : TMasterSheets::WriteSamples(sheets, info))
                std::printf("sample sheet: %s\n", qPrintable(name));
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "make_campaign: %s\n", qPrintable(e.Message()));
        return 1;
    }
}
