#include "XJetSql.h"

#include <QHash>

namespace JetSql {

bool Token::is(const char* word) const
{
    return kind == TokKind::Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

static bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

static bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

QList<Token> Tokenize(const QString& sql, bool jetText)
{
    QList<Token> out;
    const int n = sql.size();
    int i = 0;
    auto push = [&](TokKind k, int from, int to) { out.append({k, sql.mid(from, to - from)}); };
    while (i < n) {
        const QChar c = sql[i];
        const int start = i;
        if (c.isSpace()) {
            while (i < n && sql[i].isSpace())
                ++i;
            push(TokKind::Space, start, i);
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n')
                ++i;
            push(TokKind::Space, start, i);
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const int end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            push(TokKind::Space, start, i);
        } else if (c == u'\'' || c == u'"' || c == u'`') {
            // Quoted run; a doubled quote stands for itself.
            ++i;
            while (i < n) {
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            TokKind k = TokKind::String;
            if (c == u'`' || (c == u'"' && !jetText))
                k = TokKind::Ident;
            push(k, start, i);
        } else if (c == u'[') {
            const int end = sql.indexOf(u']', i + 1);
            i = end < 0 ? n : end + 1;
            push(TokKind::Ident, start, i);
        } else if (c == u':' && i + 1 < n && isWordStart(sql[i + 1])) {
            i += 2;
            while (i < n && isWordChar(sql[i]))
                ++i;
            push(TokKind::Param, start, i);
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(sql[i]))
                ++i;
            push(TokKind::Word, start, i);
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && sql[i + 1].isDigit())) {
            while (i < n && (sql[i].isDigit() || sql[i] == u'.'))
                ++i;
            if (i < n && (sql[i] == u'e' || sql[i] == u'E')) {
                int j = i + 1;
                if (j < n && (sql[j] == u'+' || sql[j] == u'-'))
                    ++j;
                if (j < n && sql[j].isDigit()) {
                    i = j;
                    while (i < n && sql[i].isDigit())
                        ++i;
                }
            }
            push(TokKind::Number, start, i);
        } else {
            static const char* const pairs[] = {"<>", "<=", ">=", "||", "!=", "=="};
            int len = 1;
            for (const char* p : pairs)
                if (i + 1 < n && sql[i] == QLatin1Char(p[0]) && sql[i + 1] == QLatin1Char(p[1]))
                    len = 2;
            i += len;
            push(TokKind::Punct, start, i);
        }
    }
    return out;
}

QList<Token> Significant(const QList<Token>& tokens)
{
    QList<Token> out;
    out.reserve(tokens.size());
    for (const Token& t : tokens)
        if (t.kind != TokKind::Space)
            out.append(t);
    return out;
}

QString Unquote(const Token& tok)
{
    const QString& s = tok.text;
    if (tok.kind == TokKind::Ident && s.size() >= 2) {
        const QChar q = s[0];
        if (q == u'[')
            return s.mid(1, s.size() - 2);
        QString inner = s.mid(1, s.size() - 2);
        inner.replace(QString(2, q), QString(q));
        return inner;
    }
    if (tok.kind == TokKind::String && s.size() >= 2) {
        const QChar q = s[0];
        QString inner = s.mid(1, s.size() - 2);
        inner.replace(QString(2, q), QString(q));
        return inner;
    }
    return s;
}

QString Quote(const QString& name)
{
    QString s = name;
    s.replace(u'"', QLatin1String("\"\""));
    return u'"' + s + u'"';
}

QString QuoteJet(const QString& name)
{
    return u'[' + name + u']';
}

QString QuoteString(const QString& text)
{
    QString s = text;
    s.replace(u'\'', QLatin1String("''"));
    return u'\'' + s + u'\'';
}

namespace {

// Index of the ")" closing the "(" at open, or -1.
int matchingParen(const QList<Token>& toks, int open)
{
    int depth = 0;
    for (int i = open; i < toks.size(); ++i) {
        if (toks[i].kind != TokKind::Punct)
            continue;
        if (toks[i].text == u'(')
            ++depth;
        else if (toks[i].text == u')' && --depth == 0)
            return i;
    }
    return -1;
}

int nextSignificant(const QList<Token>& toks, int i)
{
    ++i;
    while (i < toks.size() && toks[i].kind == TokKind::Space)
        ++i;
    return i;
}

bool isOpenParen(const QList<Token>& toks, int i)
{
    return i < toks.size() && toks[i].kind == TokKind::Punct && toks[i].text == u'(';
}

// Top-level arguments between the parentheses open..close, as token ranges.
QList<QPair<int, int>> splitArguments(const QList<Token>& toks, int open, int close)
{
    QList<QPair<int, int>> args;
    int depth = 0;
    int from = open + 1;
    for (int i = open + 1; i < close; ++i) {
        if (toks[i].kind != TokKind::Punct)
            continue;
        const QString& t = toks[i].text;
        if (t == u'(')
            ++depth;
        else if (t == u')')
            --depth;
        else if (t == u',' && depth == 0) {
            args.append({from, i});
            from = i + 1;
        }
    }
    args.append({from, close});
    return args;
}

bool isClauseWord(const Token& t)
{
    static const char* const words[] = {"WHERE", "AS", "INDEXED", "NOT", "ORDER", "LIMIT", "RETURNING", "SET"};
    for (const char* w : words)
        if (t.is(w))
            return true;
    return false;
}

QString rewriteRange(const QList<Token>& toks, int from, int to);

QString rewriteRange(const QList<Token>& toks, int from, int to)
{
    QString out;
    for (int i = from; i < to; ++i) {
        const Token& t = toks[i];
        if (t.kind == TokKind::String && t.text.startsWith(u'"')) {
            out += QuoteString(Unquote(t));
            continue;
        }
        if (t.kind == TokKind::Word && (t.is("isnull") || t.is("left"))) {
            const int open = nextSignificant(toks, i);
            const int close = isOpenParen(toks, open) ? matchingParen(toks, open) : -1;
            if (close > 0 && close < to) {
                const auto args = splitArguments(toks, open, close);
                if (t.is("isnull") && args.size() == 1) {
                    out += QLatin1String("((") + rewriteRange(toks, args[0].first, args[0].second)
                           + QLatin1String(") IS NULL)");
                    i = close;
                    continue;
                }
                if (t.is("left") && args.size() == 2) {
                    out += QLatin1String("substr(") + rewriteRange(toks, args[0].first, args[0].second)
                           + QLatin1String(", 1, ") + rewriteRange(toks, args[1].first, args[1].second)
                           + u')';
                    i = close;
                    continue;
                }
            }
        }
        out += t.text;
    }
    return out;
}

} // namespace

QString RewriteStatement(const QString& jetSql)
{
    QList<Token> toks = Tokenize(jetSql, true);
    // DELETE FROM table alias ...: SQLite wants "AS" before the alias.
    int i = nextSignificant(toks, -1);
    if (i < toks.size() && toks[i].is("DELETE")) {
        int j = nextSignificant(toks, i);
        if (j < toks.size() && toks[j].is("FROM")) {
            int name = nextSignificant(toks, j);
            if (name < toks.size() && (toks[name].kind == TokKind::Word || toks[name].kind == TokKind::Ident)) {
                int dot = nextSignificant(toks, name);
                if (dot < toks.size() && toks[dot].kind == TokKind::Punct && toks[dot].text == u'.')
                    name = nextSignificant(toks, dot);
                const int alias = nextSignificant(toks, name);
                if (alias < toks.size() && (toks[alias].kind == TokKind::Word || toks[alias].kind == TokKind::Ident)
                    && !isClauseWord(toks[alias]))
                    toks.insert(alias, Token{TokKind::Word, QStringLiteral("AS ")});
            }
        }
    }
    return rewriteRange(toks, 0, toks.size());
}

QStringList ParameterNames(const QString& sql)
{
    QStringList names;
    const int n = sql.size();
    const QChar* s = sql.constData();
    for (int i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            ++i;
            while (i < n && s[i] != close)
                ++i;
            continue;
        }
        if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
            continue;
        }
        if (c == u':' && i + 1 < n && isWordStart(s[i + 1]) && (i == 0 || !isWordChar(s[i - 1]))) {
            int j = i + 1;
            while (j < n && isWordChar(s[j]))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            bool seen = false;
            for (const QString& p : names)
                if (p.compare(name, Qt::CaseInsensitive) == 0)
                    seen = true;
            if (!seen)
                names.append(name);
            i = j - 1;
        }
    }
    return names;
}

StatementKind Classify(const QList<Token>& sig)
{
    if (sig.size() >= 2 && sig[0].is("CREATE")) {
        if (sig[1].is("TABLE"))
            return StatementKind::CreateTable;
        if (sig[1].is("INDEX") || (sig[1].is("UNIQUE") && sig.size() >= 3 && sig[2].is("INDEX")))
            return StatementKind::CreateIndex;
    }
    if (sig.size() >= 2 && sig[0].is("ALTER") && sig[1].is("TABLE"))
        return StatementKind::AlterTable;
    return StatementKind::Dml;
}

ColumnType ParseType(const QString& typeName, int size)
{
    QString name = typeName.trimmed().toUpper();
    // A stored or written size: "TEXT(30)", "TEXT (30)".
    const int paren = name.indexOf(u'(');
    if (paren >= 0) {
        const int close = name.indexOf(u')', paren);
        const QString inner = name.mid(paren + 1, (close < 0 ? name.size() : close) - paren - 1);
        bool ok = false;
        const int v = inner.section(u',', 0, 0).trimmed().toInt(&ok);
        if (ok)
            size = v;
        name = name.left(paren).trimmed();
    }
    static const QHash<QString, JetType> types = {
        {QStringLiteral("TEXT"), JetType::Text}, {QStringLiteral("VARCHAR"), JetType::Text},
        {QStringLiteral("CHAR"), JetType::Text}, {QStringLiteral("CHARACTER"), JetType::Text},
        {QStringLiteral("STRING"), JetType::Text}, {QStringLiteral("ALPHANUMERIC"), JetType::Text},
        {QStringLiteral("NCHAR"), JetType::Text}, {QStringLiteral("NVARCHAR"), JetType::Text},
        {QStringLiteral("MEMO"), JetType::Memo}, {QStringLiteral("LONGTEXT"), JetType::Memo},
        {QStringLiteral("LONGCHAR"), JetType::Memo}, {QStringLiteral("NOTE"), JetType::Memo},
        {QStringLiteral("NTEXT"), JetType::Memo},
        {QStringLiteral("LONG"), JetType::Long}, {QStringLiteral("INTEGER"), JetType::Long},
        {QStringLiteral("INT"), JetType::Long}, {QStringLiteral("INTEGER4"), JetType::Long},
        {QStringLiteral("SHORT"), JetType::Short}, {QStringLiteral("SMALLINT"), JetType::Short},
        {QStringLiteral("INTEGER2"), JetType::Short},
        {QStringLiteral("BYTE"), JetType::Byte}, {QStringLiteral("TINYINT"), JetType::Byte},
        {QStringLiteral("INTEGER1"), JetType::Byte},
        {QStringLiteral("BIGINT"), JetType::BigInt},
        {QStringLiteral("FLOAT"), JetType::Float}, {QStringLiteral("DOUBLE"), JetType::Float},
        {QStringLiteral("FLOAT8"), JetType::Float}, {QStringLiteral("NUMBER"), JetType::Float},
        {QStringLiteral("IEEEDOUBLE"), JetType::Float},
        {QStringLiteral("REAL"), JetType::Single}, {QStringLiteral("SINGLE"), JetType::Single},
        {QStringLiteral("FLOAT4"), JetType::Single}, {QStringLiteral("IEEESINGLE"), JetType::Single},
        {QStringLiteral("CURRENCY"), JetType::Currency}, {QStringLiteral("MONEY"), JetType::Currency},
        {QStringLiteral("DATETIME"), JetType::DateTime}, {QStringLiteral("DATE"), JetType::DateTime},
        {QStringLiteral("TIME"), JetType::DateTime}, {QStringLiteral("TIMESTAMP"), JetType::DateTime},
        {QStringLiteral("BIT"), JetType::Bit}, {QStringLiteral("YESNO"), JetType::Bit},
        {QStringLiteral("LOGICAL"), JetType::Bit}, {QStringLiteral("LOGICAL1"), JetType::Bit},
        {QStringLiteral("BOOLEAN"), JetType::Bit},
        {QStringLiteral("COUNTER"), JetType::Counter}, {QStringLiteral("AUTOINCREMENT"), JetType::Counter},
        {QStringLiteral("AUTOINC"), JetType::Counter}, {QStringLiteral("IDENTITY"), JetType::Counter},
        {QStringLiteral("BINARY"), JetType::Binary}, {QStringLiteral("VARBINARY"), JetType::VarBinary},
        {QStringLiteral("LONGBINARY"), JetType::LongBinary}, {QStringLiteral("OLEOBJECT"), JetType::LongBinary},
        {QStringLiteral("GENERAL"), JetType::LongBinary}, {QStringLiteral("IMAGE"), JetType::LongBinary},
        {QStringLiteral("BLOB"), JetType::LongBinary},
    };
    ColumnType t;
    t.type = types.value(name, JetType::Unknown);
    switch (t.type) {
    case JetType::Text:
        // A plain TEXT written in a file by another tool has no limit.
        if (size < 0 && paren < 0 && name == QLatin1String("TEXT"))
            t.type = JetType::Memo;
        else
            t.size = size > 0 ? size : 255;
        break;
    case JetType::Binary:
    case JetType::VarBinary:
        t.size = size > 0 ? size : 255;
        break;
    default:
        break;
    }
    return t;
}

QString StoredTypeText(const ColumnType& t)
{
    switch (t.type) {
    case JetType::Text: return QStringLiteral("TEXT(%1)").arg(t.size);
    // MEMO would take numeric affinity in SQLite; LONGTEXT is the same Jet type with text affinity.
    case JetType::Memo: return QStringLiteral("LONGTEXT");
    case JetType::Long: return QStringLiteral("LONG");
    case JetType::Short: return QStringLiteral("SHORT");
    case JetType::Byte: return QStringLiteral("BYTE");
    case JetType::BigInt: return QStringLiteral("BIGINT");
    case JetType::Float: return QStringLiteral("FLOAT");
    case JetType::Single: return QStringLiteral("REAL");
    case JetType::Currency: return QStringLiteral("CURRENCY");
    case JetType::DateTime: return QStringLiteral("DATETIME");
    case JetType::Bit: return QStringLiteral("BIT");
    case JetType::Counter: return QStringLiteral("COUNTER");
    case JetType::Binary: return QStringLiteral("BINARY(%1)").arg(t.size);
    case JetType::VarBinary: return QStringLiteral("VARBINARY(%1)").arg(t.size);
    case JetType::LongBinary: return QStringLiteral("LONGBINARY");
    case JetType::Unknown: break;
    }
    return QString();
}

TFieldType FieldTypeOf(const ColumnType& t)
{
    switch (t.type) {
    case JetType::Text: return ftWideString;
    case JetType::Memo: return ftMemo;
    case JetType::Long: return ftInteger;
    case JetType::Short: return ftSmallint;
    case JetType::Byte: return ftWord;
    case JetType::BigInt: return ftLargeint;
    case JetType::Float: return ftFloat;
    case JetType::Single: return ftFloat;
    case JetType::Currency: return ftCurrency;
    case JetType::DateTime: return ftDateTime;
    case JetType::Bit: return ftBoolean;
    case JetType::Counter: return ftAutoInc;
    case JetType::Binary: return ftBytes;
    case JetType::VarBinary: return ftVarBytes;
    case JetType::LongBinary: return ftBlob;
    case JetType::Unknown: break;
    }
    return ftUnknown;
}

bool IsTextType(JetType t)
{
    return t == JetType::Text || t == JetType::Memo;
}

QString CheckExpression(const ColumnType& t, const QString& c)
{
    auto integerRange = [&](qint64 lo, qint64 hi) {
        return QStringLiteral("%1 IS NULL OR (typeof(%1) = 'integer' AND %1 BETWEEN %2 AND %3)").arg(c).arg(lo).arg(hi);
    };
    switch (t.type) {
    case JetType::Text: return QStringLiteral("length(%1) <= %2").arg(c).arg(t.size);
    case JetType::Long:
    case JetType::Counter: return integerRange(-2147483648LL, 2147483647LL);
    case JetType::Short: return integerRange(-32768, 32767);
    case JetType::Byte: return integerRange(0, 255);
    case JetType::Bit: return QStringLiteral("%1 IS NULL OR %1 IN (0, 1, -1)").arg(c);
    case JetType::BigInt: return QStringLiteral("typeof(%1) IN ('integer', 'null')").arg(c);
    case JetType::Float:
    case JetType::Single:
    case JetType::Currency: return QStringLiteral("typeof(%1) IN ('integer', 'real', 'null')").arg(c);
    case JetType::Binary:
    case JetType::VarBinary: return QStringLiteral("length(%1) <= %2").arg(c).arg(t.size);
    default: break;
    }
    return QString();
}

} // namespace JetSql
