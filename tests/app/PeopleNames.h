#pragma once

// Executors named as people are, and the order a Portuguese reader expects
// of them: accents and letter case ignored.

#include <QString>
#include <QStringList>

inline const QStringList PeopleNames{"O'Brien", "álvaro b", "Zé", "Érica", "Eduardo", "Ana", "ERICO", "zeca", "Álvaro Dias"};
inline const QString PeopleInOrder = QStringLiteral("álvaro b|Álvaro Dias|Ana|Eduardo|Érica|ERICO|O'Brien|Zé|zeca");

// The statements that make them the executors, with ids 1, 2, ... in the order above.
inline QStringList PeopleAsExecutors()
{
    QStringList sql{QStringLiteral("DELETE FROM Emasculador")};
    for (int i = 0; i < PeopleNames.size(); ++i)
        sql << QStringLiteral("INSERT INTO Emasculador (id, nome, usua, dupd, cmaq) VALUES (%1, '%2', 'U', 'D', 'C')")
                   .arg(i + 1)
                   .arg(QString(PeopleNames[i]).replace(u'\'', QStringLiteral("''")));
    return sql;
}
