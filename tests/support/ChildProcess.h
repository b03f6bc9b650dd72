#pragma once

// Other processes played by children of the test program itself.

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

// This test program again, with Var set to Args joined by "|"; Arguments are its command line.
inline std::unique_ptr<QProcess> SpawnChild(const char* Var, const QStringList& Args, const QStringList& Arguments = {})
{
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(Var), Args.join(u'|'));
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(), Arguments);
    EXPECT_TRUE(p->waitForStarted());
    return p;
}

// The child's lines beginning with Prefix, once it printed Count of them (all, with
// Count < 0 or when it stops first); then it is killed with SIGKILL.
inline QStringList LinesThenKilled(QProcess& P, int Count, const QString& Prefix = QString())
{
    QStringList lines;
    const auto take = [&] {
        while (P.canReadLine())
            if (const QString line = QString::fromUtf8(P.readLine()).trimmed(); line.startsWith(Prefix))
                lines.append(line);
    };
    while ((Count < 0 || lines.size() < Count) && (P.canReadLine() || P.waitForReadyRead(60000)))
        take();
    P.kill();
    P.waitForFinished();
    take();
    return lines;
}
