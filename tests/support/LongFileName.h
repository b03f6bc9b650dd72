#pragma once

#include <QString>

// A file name of Bytes bytes in UTF-8 ending in Suffix (ASCII): Lead letters, then "ção" over and
// over, so that a name cut at a given byte splits a character for some Lead.
inline QString LongFileName(int Bytes, const QString& Suffix, int Lead = 1)
{
    QString name(Lead, u'a');
    const QString cycle = QStringLiteral("ção");
    for (int i = 0, used = Lead + int(Suffix.size()); used < Bytes; ++i) {
        const QChar c = used + 2 <= Bytes ? cycle[i % 3] : QChar(u'o');
        name += c;
        used += c.unicode() < 0x80 ? 1 : 2;
    }
    return name + Suffix;
}
