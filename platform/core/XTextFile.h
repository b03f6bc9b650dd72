#pragma once

// Text files read or written for tools outside the program (the label
// printer's data file, master-data sheets from spreadsheet programs): the
// campaign's Windows computers read and write them in Windows-1252 with
// CR LF line ends, cells separated by ";" and never quoted.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Windows-1252 bytes of Text. A character that code page lacks makes the
// answer false; Bad then holds the first such character.
bool ToAnsi(const QString& Text, QByteArray& Out, QString* Bad = nullptr);

// The text of a file's bytes: UTF-8 when they are valid UTF-8 (a BOM is
// skipped), otherwise Windows-1252.
QString DecodeTextFile(const QByteArray& Bytes);

// A cell that a separated text file cannot carry: it holds the separator or
// a line break (the reader would shift columns or split the row), or a
// character Windows-1252 lacks.
struct TCellProblem
{
    int Row = 0;      // from 0, in the rows given
    int Column = 0;   // from 0
    QString Reason;   // Portuguese: what is wrong with the value
};

// Every problem of Rows, in row then column order.
QList<TCellProblem> CheckCells(const QList<QStringList>& Rows, QChar Separator);

// The problems as one Portuguese message, one line each: "Linha N, coluna
// TITLE: reason", N counted from FirstRowNumber, TITLE from Titles (or the
// column number); at most MaxLines lines, then how many more there are.
QString DescribeCellProblems(const QList<TCellProblem>& Problems, const QStringList& Titles, int FirstRowNumber,
                             int MaxLines = 20);

// The file of Rows in Windows-1252: cells joined by Separator (with
// TrailingSeparator every cell, the last included, is followed by it), CR LF
// after every line. Rows must have passed CheckCells.
QByteArray SeparatedText(const QList<QStringList>& Rows, QChar Separator, bool TrailingSeparator);

// Writes Bytes as FileName, replacing an existing file only once the whole
// new one is written, so a failure leaves the old file as it was. On failure
// answers false with the system's reason in Error.
bool WriteFileReplacing(const QString& FileName, const QByteArray& Bytes, QString& Error);
