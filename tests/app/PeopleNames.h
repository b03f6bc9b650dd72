#pragma once

// Executors named as people are, and the order a Portuguese reader expects
// of them: accents and letter case ignored.

#include <QString>
#include <QStringList>

inline const QStringList PeopleNames{"O'Brien", "álvaro b", "Zé", "Érica", "Eduardo", "Ana", "ERICO", "zeca", "Álvaro Dias"};
inline const QString PeopleInOrder = QStringLiteral("álvaro b|Álvaro Dias|Ana|Eduardo|Érica|ERICO|O'Brien|Zé|zeca");

// The statement that gives the builder's executors 1, 2, ... these names, in the order above.
inline QString PeopleAsExecutors()
{
    QString cases;
    for (int i = 0; i < PeopleNames.size(); ++i)
        cases += QStringLiteral(" WHEN %1 THEN '%2'").arg(i + 1).arg(QString(PeopleNames[i]).replace(u'\'', QStringLiteral("''")));
    return QStringLiteral("UPDATE Emasculador SET nome = CASE id") + cases + QStringLiteral(" END");
}
