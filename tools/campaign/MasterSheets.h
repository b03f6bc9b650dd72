#pragma once

// Master-data sheets (semicolon-separated, a title line first) that fit a
// campaign made by the builder: for the sample campaign a newcomer loads in
// the window "Dados Cadastrais", and for the tests and benchmarks.

#include "CampaignBuilder.h"

#include <QString>
#include <QStringList>

class TMasterSheets
{
public:
    // New planned crossings (NC from FirstNc) whose parents are the campaign's pots.
    static QStringList Crossings(const TCampaignInfo& Info, int Rows, qint64 FirstNc = 900001, quint32 Seed = 1);
    // Executors with the numbers 1 to Rows (the campaign's own ones among them).
    static QStringList Executors(int Rows, quint32 Seed = 1);
    // New parentals on pots numbered from FirstPot (7 digits: EAN-8 pot labels).
    static QStringList Parentals(int Rows, int FirstPot = 3000001, quint32 Seed = 1);
    // The colours of the campaign's own parentals.
    static QStringList Characterisation(const TCampaignInfo& Info, quint32 Seed = 1);
    // The code the builder gives its Index-th parental (from 0).
    static QString ParentalCode(int Index);

    // Lines written as the campaign's office computers save a sheet:
    // Windows-1252, CR LF. Raises EInOutError on failure.
    static void Write(const QString& FileName, const QStringList& Lines);
    // The sample sheets of every kind, and one with a few faulty rows, in Folder; their names.
    static QStringList WriteSamples(const QString& Folder, const TCampaignInfo& Info);
};
