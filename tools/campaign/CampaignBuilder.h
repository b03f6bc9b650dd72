#pragma once

// Builds campaign database files for tests, benchmarks and the sample
// campaign: the eight tables of the current structure, or of any older
// structure version, filled with master data made from a seed.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>

struct TCampaignOptions
{
    QString Version;              // structure and stored version; empty: the current one
    int Labels = 40;              // crossing labels (Etiqueta_Cruza rows)
    int RepsPerCrossing = 4;      // labels per planned crossing (the last one may have fewer)
    int Crossings = 0;            // Cruza rows, at most one for every label
    int Parentals = 0;            // 0: one for every ten planned crossings, at least 6
    int Executors = 5;
    bool Ean13 = false;           // crossing labels: EAN-13 (12-digit numbers) instead of EAN-8
    bool ParentalEan13 = false;   // pot labels: EAN-13 instead of EAN-8
    QVariant TalLock = 1;         // a null QVariant stores Null
    // The indexes the program makes when it connects (CreateQueryIndexes):
    // on Etiqueta_Cruza (NC_REP), and the grids' (Cruza DUPD DESC and the
    // others CreateQueryIndexes makes with Date). Off, as the
    // schema code makes a file; on, as a file is once the program opened it.
    bool LabelIndex = false;
    bool DateIndex = false;
    quint32 Seed = 1;
    // Harvest envelopes (Colheita rows, one label each): EnvelopesWithoutCrossing
    // of them on labels that no Cruza row names, the others on labels with
    // crossings, written-off ones among them as they come.
    int Envelopes = 0;
    int EnvelopesWithoutCrossing = 0;
};

// What was made.
struct TCampaignInfo
{
    QString Path;
    QString Version;
    int Executors = 0;
    int Parentals = 0;
    int Plans = 0;
    int Labels = 0;
    int Crossings = 0;       // Cruza rows
    int WrittenOff = 0;      // rows with status 'X'
    int Transmitted = 0;     // rows with an ID_CRUZA
    int Registered = 0;      // rows on SEQ 2 after a write-off
    qint64 FirstLabel = 0;   // the lowest label number
    qint64 LastLabel = 0;    // the highest label number
    int Envelopes = 0;                  // Colheita rows
    int EnvelopesWrittenOff = 0;        // on labels whose current crossing is written off
    int EnvelopesWithoutCrossing = 0;   // on labels without a Cruza row
    QString Describe() const;
};

class TADOConnection;

class TCampaignBuilder
{
public:
    // Makes the file (it must not exist). Raises the layer's exception on failure.
    static TCampaignInfo Build(const QString& Path, const TCampaignOptions& Options);

    // The structure versions the builder can make, oldest first: one before
    // the first upgrade step, every step, and the current version.
    static QStringList Versions();

    // The label number of repetition Rep of planned crossing Nc.
    static qint64 LabelNumber(qint64 Nc, int Rep, bool Ean13);
    // The pot number of the Index-th parental (from 0).
    static qint32 PotNumber(int Index);
    // The scanned code of a number: its digits (7 for EAN-8, 12 for EAN-13,
    // zero-filled) followed by the check digit.
    static QString Barcode(qint64 Number, bool Ean13);

    // Runs Jet SQL on an open connection; for tests that shape a file further.
    static int Exec(TADOConnection* Conn, const QString& SQL);

    // A planned crossing Nc of plan Plan between the pots Mother and Father,
    // with its labels of repetitions 1 to Reps (numbers from LabelNumber,
    // printed as their digits); for tests that need sheets worked out by hand.
    static void AddPlannedCrossing(TADOConnection* Conn, qint64 Nc, const QString& Code, qint32 Mother,
                                   qint32 Father, const QString& Plan, int Reps, bool Ean13 = false);
};
