#include "XTextFile.h"

#include "XReplaceFile.h"

#include <QStringDecoder>

#include <cerrno>
#include <iconv.h>

namespace {

// One descriptor per direction, opened on first use; the program runs on one thread.
struct TIconv
{
    iconv_t Cd;
    TIconv(const char* To, const char* From) : Cd(iconv_open(To, From)) {}
    ~TIconv()
    {
        if (Cd != iconv_t(-1))
            iconv_close(Cd);
    }
};

bool IsAscii(const QString& Text)
{
    for (QChar c : Text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

} // namespace

bool ToAnsi(const QString& Text, QByteArray& Out, QString* Bad)
{
    if (IsAscii(Text)) {
        Out = Text.toLatin1();
        return true;
    }
    thread_local TIconv conv("WINDOWS-1252", "UTF-8");
    QByteArray in = Text.toUtf8();
    Out.resize(in.size());
    char* src = in.data();
    size_t srcLeft = size_t(in.size());
    char* dst = Out.data();
    size_t dstLeft = size_t(Out.size());
    iconv(conv.Cd, nullptr, nullptr, nullptr, nullptr);
    if (conv.Cd == iconv_t(-1) || iconv(conv.Cd, &src, &srcLeft, &dst, &dstLeft) == size_t(-1)) {
        if (Bad) {
            // The character that stopped the conversion.
            const QString done = QString::fromUtf8(in.constData(), int(src - in.constData()));
            *Bad = Text.mid(done.size(), Text.at(done.size()).isHighSurrogate() ? 2 : 1);
        }
        Out.clear();
        return false;
    }
    Out.resize(Out.size() - int(dstLeft));
    return true;
}

QString DecodeTextFile(const QByteArray& Bytes)
{
    QByteArrayView data(Bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(data);
    if (!utf8.hasError())
        return text;

    thread_local TIconv conv("UTF-8", "WINDOWS-1252");
    text.clear();
    text.reserve(Bytes.size());
    QByteArray out(4 * 4096, Qt::Uninitialized);
    char* src = const_cast<char*>(Bytes.constData());
    size_t srcLeft = size_t(Bytes.size());
    iconv(conv.Cd, nullptr, nullptr, nullptr, nullptr);
    while (srcLeft > 0) {
        char* dst = out.data();
        size_t dstLeft = size_t(out.size());
        const size_t r = iconv(conv.Cd, &src, &srcLeft, &dst, &dstLeft);
        text += QString::fromUtf8(out.constData(), out.size() - int(dstLeft));
        if (r == size_t(-1) && errno == EILSEQ) {
            // The five bytes Windows-1252 leaves undefined read as the
            // control characters of the same number, as Windows reads them.
            text += QChar(uchar(*src));
            ++src;
            --srcLeft;
        } else if (r == size_t(-1) && errno != E2BIG) {
            break;
        }
    }
    return text;
}

QList<TCellProblem> CheckCells(const QList<QStringList>& Rows, QChar Separator)
{
    QList<TCellProblem> problems;
    QByteArray scratch;
    for (int r = 0; r < Rows.size(); ++r) {
        const QStringList& row = Rows[r];
        for (int c = 0; c < row.size(); ++c) {
            const QString& v = row[c];
            QString reason;
            QString bad;
            if (v.contains(Separator))
                reason = QStringLiteral("o valor contém o separador \"") + Separator + QStringLiteral("\".");
            else if (v.contains(u'\n') || v.contains(u'\r'))
                reason = QStringLiteral("o valor contém uma quebra de linha.");
            else if (!ToAnsi(v, scratch, &bad))
                reason = QStringLiteral("o caractere \"") + bad + QStringLiteral("\" não pode ser gravado no arquivo.");
            if (!reason.isEmpty())
                problems.append({r, c, reason});
        }
    }
    return problems;
}

QString DescribeCellProblems(const QList<TCellProblem>& Problems, const QStringList& Titles, int FirstRowNumber,
                             int MaxLines)
{
    QStringList lines;
    for (const TCellProblem& p : Problems) {
        if (lines.size() == MaxLines) {
            lines << QStringLiteral("... e mais ") + QString::number(Problems.size() - MaxLines)
                         + QStringLiteral(" valor(es).");
            break;
        }
        const QString column = p.Column < Titles.size() && !Titles[p.Column].isEmpty()
                                   ? Titles[p.Column]
                                   : QString::number(p.Column + 1);
        lines << QStringLiteral("Linha ") + QString::number(p.Row + FirstRowNumber) + QStringLiteral(", coluna ")
                     + column + QStringLiteral(": ") + p.Reason;
    }
    return lines.join(QStringLiteral("\r\n"));
}

QByteArray SeparatedText(const QList<QStringList>& Rows, QChar Separator, bool TrailingSeparator)
{
    QByteArray out;
    QByteArray cell;
    const char sep = char(Separator.toLatin1());
    for (const QStringList& row : Rows) {
        for (int c = 0; c < row.size(); ++c) {
            if (c > 0 && !TrailingSeparator)
                out += sep;
            ToAnsi(row[c], cell);
            out += cell;
            if (TrailingSeparator)
                out += sep;
        }
        out += "\r\n";
    }
    return out;
}

bool WriteFileReplacing(const QString& FileName, const QByteArray& Bytes, QString& Error)
{
    XReplacingFile file(FileName);
    if (file.Open() && file.Write(Bytes) && file.Commit())
        return true;
    Error = file.Error();
    return false;
}
