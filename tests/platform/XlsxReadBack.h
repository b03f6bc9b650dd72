#pragma once

// Reads a saved .xlsx back as another program would: the unzip tool unpacks
// the parts and their XML is parsed.

#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QXmlStreamReader>

struct XlsxCell
{
    QString Type;   // t attribute: "" for a number, "s", "inlineStr", "b"
    QString Value;  // <v>, or the text of an inline string
    int Style = 0;
    bool HasValue = false;
};

struct XlsxStyle
{
    QString Fill;  // colour of a solid fill, "FF808080"
    QString Left, Right, Top, Bottom, Horizontal;
};

struct XlsxBook
{
    QString Error;
    QStringList SheetNames, Shared;
    QMap<QString, XlsxCell> Cells;  // first sheet, by A1 name
    QList<XlsxStyle> Styles;        // cellXfs
    QMap<int, double> Widths;       // by column

    QString Text(const QString& Ref) const
    {
        const XlsxCell c = Cells.value(Ref);
        return c.Type == QLatin1String("s") ? Shared.value(c.Value.toInt()) : c.Value;
    }
    XlsxStyle StyleOf(const QString& Ref) const { return Styles.value(Cells.value(Ref).Style); }
};

// Every member of the archive passes its CRC check.
inline bool XlsxArchiveSound(const QString& File) { return QProcess::execute("unzip", {"-tqq", File}) == 0; }

inline QByteArray XlsxPart(const QString& File, const QString& Part)
{
    QProcess p;
    p.start("unzip", {"-p", File, Part});
    p.waitForFinished(120000);
    return p.readAllStandardOutput();
}

inline XlsxBook ReadXlsx(const QString& File)
{
    XlsxBook b;
    auto walk = [&](const char* part, auto visit) {
        const QByteArray xml = XlsxPart(File, QString::fromLatin1(part));
        if (xml.isEmpty() && part != QByteArrayView("xl/sharedStrings.xml"))
            b.Error = QStringLiteral("missing ") + QString::fromLatin1(part);
        QXmlStreamReader x(xml);
        while (!xml.isEmpty() && !x.atEnd())
            if (x.readNext() == QXmlStreamReader::StartElement)
                visit(x, x.name().toString());
        if (x.hasError() && !xml.isEmpty() && b.Error.isEmpty())
            b.Error = QString::fromLatin1(part) + QStringLiteral(": ") + x.errorString();
    };
    auto attr = [](QXmlStreamReader& x, const char* name) { return x.attributes().value(QLatin1String(name)).toString(); };

    walk("xl/workbook.xml", [&](QXmlStreamReader& x, const QString& n) {
        if (n == u"sheet")
            b.SheetNames << attr(x, "name");
    });
    walk("xl/sharedStrings.xml", [&](QXmlStreamReader& x, const QString& n) {
        if (n == u"si")
            b.Shared << QString();
        else if (n == u"t")
            b.Shared.last() += x.readElementText();
    });
    QString ref;
    walk("xl/worksheets/sheet1.xml", [&](QXmlStreamReader& x, const QString& n) {
        if (n == u"col") {
            for (int c = attr(x, "min").toInt(); c <= attr(x, "max").toInt(); ++c)
                b.Widths[c] = attr(x, "width").toDouble();
        } else if (n == u"c") {
            ref = attr(x, "r");
            b.Cells[ref] = XlsxCell{attr(x, "t"), QString(), attr(x, "s").toInt(), false};
        } else if (n == u"v" || n == u"t") {
            b.Cells[ref].Value += x.readElementText();
            b.Cells[ref].HasValue = true;
        }
    });
    QList<XlsxStyle> fills, borders;
    QString section;
    walk("xl/styles.xml", [&](QXmlStreamReader& x, const QString& n) {
        if (n == u"fills" || n == u"borders" || n == u"cellStyleXfs" || n == u"cellXfs" || n == u"dxfs")
            section = n;
        else if (n == u"fill")
            fills << XlsxStyle{};
        else if (n == u"fgColor" && section == u"fills")
            fills.last().Fill = attr(x, "rgb");
        else if (n == u"border")
            borders << XlsxStyle{};
        else if (section == u"borders" && (n == u"left" || n == u"right" || n == u"top" || n == u"bottom")) {
            XlsxStyle& s = borders.last();
            (n == u"left" ? s.Left : n == u"right" ? s.Right : n == u"top" ? s.Top : s.Bottom) = attr(x, "style");
        } else if (n == u"xf" && section == u"cellXfs") {
            XlsxStyle s = borders.value(attr(x, "borderId").toInt());
            s.Fill = fills.value(attr(x, "fillId").toInt()).Fill;
            b.Styles << s;
        } else if (n == u"alignment" && section == u"cellXfs")
            b.Styles.last().Horizontal = attr(x, "horizontal");
    });
    return b;
}
