#include "XAssert.h"

#include <cstdio>
#include <unistd.h>

QString XAssertMessage(const QString& Msg, const char* File, int Line)
{
    return QStringLiteral("%1 (%2, line %3)").arg(Msg, QString::fromUtf8(File)).arg(Line);
}

void XAssertFatal(const QString& Msg, const char* File, int Line)
{
    const QByteArray text = XAssertMessage(Msg, File, Line).toUtf8() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
    ::_exit(1);
}
