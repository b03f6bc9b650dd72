#include "XWorkbook.h"

#include "XReplaceFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <xlsxwriter.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

uint8_t LxwBorder(XBorderLine Line)
{
    switch (Line) {
    case XBorderLine::None: return LXW_BORDER_NONE;
    case XBorderLine::Continuous: return LXW_BORDER_THIN;
    case XBorderLine::Dash: return LXW_BORDER_DASHED;
    case XBorderLine::DashDot: return LXW_BORDER_DASH_DOT;
    case XBorderLine::DashDotDot: return LXW_BORDER_DASH_DOT_DOT;
    case XBorderLine::Dot: return LXW_BORDER_DOTTED;
    case XBorderLine::Double: return LXW_BORDER_DOUBLE;
    case XBorderLine::SlantDashDot: return LXW_BORDER_SLANT_DASH_DOT;
    }
    return LXW_BORDER_NONE;
}

uint8_t LxwAlign(XHorizontalAlignment Alignment)
{
    switch (Alignment) {
    case XHorizontalAlignment::General: return LXW_ALIGN_NONE;
    case XHorizontalAlignment::Left: return LXW_ALIGN_LEFT;
    case XHorizontalAlignment::Center: return LXW_ALIGN_CENTER;
    case XHorizontalAlignment::Right: return LXW_ALIGN_RIGHT;
    case XHorizontalAlignment::Fill: return LXW_ALIGN_FILL;
    case XHorizontalAlignment::Justify: return LXW_ALIGN_JUSTIFY;
    case XHorizontalAlignment::CenterAcrossSelection: return LXW_ALIGN_CENTER_ACROSS;
    case XHorizontalAlignment::Distributed: return LXW_ALIGN_DISTRIBUTED;
    }
    return LXW_ALIGN_NONE;
}

lxw_format* MakeFormat(lxw_workbook* Book, const XCellStyle& Style)
{
    lxw_format* f = workbook_add_format(Book);
    if (!f)
        return nullptr;
    if (Style.Border != XBorderLine::None)
        format_set_border(f, LxwBorder(Style.Border));
    if (Style.Alignment != XHorizontalAlignment::General)
        format_set_align(f, LxwAlign(Style.Alignment));
    if (Style.HasFill) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        // The library reads colour 0 as "no colour"; black has its own value.
        format_set_bg_color(f, Style.FillRgb == 0 ? lxw_color_t(LXW_COLOR_BLACK) : Style.FillRgb);
    }
    return f;
}

QString SystemText(int Errno)
{
    return QString::fromLocal8Bit(std::strerror(Errno));
}

// One part of the archive, taken piece by piece as it is inflated: whole when
// it is well-formed XML. A sheet's rows, too many to parse on every save, are
// skipped by count instead, exactly the bytes they were written as: rows cut
// short make the skip eat into the end of the sheet, which then does not parse.
class XmlPart
{
public:
    explicit XmlPart(qint64 RowBytes) : m_skip(RowBytes) {}

    void Take(const char* Bytes, qint64 Size)
    {
        if (m_inRows) {
            const qint64 n = std::min(m_skip, Size);
            m_skip -= n;
            Bytes += n;
            Size -= n;
        }
        const qsizetype from = m_xml.size();
        m_xml.append(Bytes, Size);
        if (m_skip == 0 || m_inRows)
            return;
        static const QByteArray start("<sheetData>");
        const qsizetype at = m_xml.indexOf(start, std::max<qsizetype>(0, from - start.size()));
        if (at < 0)
            return;
        const QByteArray after = m_xml.mid(at + start.size());
        m_xml.truncate(at + start.size());
        m_inRows = true;
        Take(after.constData(), after.size());
    }

    bool Whole() const
    {
        QXmlStreamReader xml(m_xml);
        while (!xml.atEnd())
            xml.readNext();
        return !xml.hasError();
    }

private:
    qint64 m_skip;
    bool m_inRows = false;
    QByteArray m_xml;
};

// Little-endian fields of the archive's records.
quint32 U16(const QByteArray& Bytes, qsizetype At)
{
    return At + 2 <= Bytes.size() ? quint32(uchar(Bytes[At]) | uchar(Bytes[At + 1]) << 8) : 0;
}

quint32 U32(const QByteArray& Bytes, qsizetype At)
{
    return U16(Bytes, At) | U16(Bytes, At + 2) << 16;
}

bool Inflate(QFile& File, qint64 At, qint64 Packed, qint64 Plain, XmlPart& Part)
{
    z_stream z{};
    if (!File.seek(At) || inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return false;
    constexpr qint64 Piece = 256 * 1024;
    std::vector<char> in(Piece);
    std::vector<char> out(Piece);
    qint64 left = Packed;
    qint64 total = 0;
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (z.avail_in == 0 && left > 0) {
            const qint64 n = File.read(in.data(), std::min(left, Piece));
            if (n <= 0)
                break;
            left -= n;
            z.next_in = reinterpret_cast<Bytef*>(in.data());
            z.avail_in = uInt(n);
        }
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = uInt(out.size());
        rc = inflate(&z, Z_NO_FLUSH);
        const qint64 got = qint64(out.size() - z.avail_out);
        total += got;
        Part.Take(out.data(), got);
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END && total == Plain;
}

// The library reads its temporary files back into the archive without asking
// whether they were written: a full temporary folder gives a sheet cut short,
// or with a hole, and no error. So the archive is read back: every part
// inflates to its recorded size and is whole.
bool ArchiveWhole(const QString& Path, const std::vector<qint64>& SheetRows)
{
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 22)
        return false;
    auto read = [&file](qint64 At, qint64 Size) { return file.seek(At) ? file.read(Size) : QByteArray(); };
    // The directory's end record closes the file: the library writes no comment.
    const QByteArray last = read(file.size() - 22, 22);
    const QByteArray directory = read(U32(last, 16), U32(last, 12));
    if (U32(last, 0) != 0x06054b50 || directory.size() != qsizetype(U32(last, 12)))
        return false;
    static const QByteArray sheet("xl/worksheets/sheet");
    size_t sheets = 0;
    qsizetype at = 0;
    for (quint32 i = 0, n = U16(last, 10); i < n; ++i) {
        if (U32(directory, at) != 0x02014b50 || U16(directory, at + 10) != Z_DEFLATED)
            return false;
        const QByteArray name = directory.mid(at + 46, U16(directory, at + 28));
        const QByteArray local = read(U32(directory, at + 42), 30);
        if (U32(local, 0) != 0x04034b50)
            return false;
        qint64 rows = 0;
        if (name.startsWith(sheet) && name.endsWith(".xml")) {
            const size_t index = name.mid(sheet.size()).chopped(4).toULong();
            if (index < 1 || index > SheetRows.size())
                return false;
            rows = SheetRows[index - 1];
            ++sheets;
        }
        XmlPart part(rows);
        const qint64 data = U32(directory, at + 42) + 30 + U16(local, 26) + U16(local, 28);
        if (!Inflate(file, data, U32(directory, at + 20), U32(directory, at + 24), part) || !part.Whole())
            return false;
        at += 46 + name.size() + U16(directory, at + 30) + U16(directory, at + 32);
    }
    return sheets == SheetRows.size();
}

// Why a temporary file of the library could not be written, which it does
// not keep: the temporary folder is asked for the room the save took there.
QString TempFolderProblem(const QByteArray& Folder, qint64 Bytes)
{
    QByteArray name = Folder + "/.xlsx-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return SystemText(errno);
    ::unlink(name.constData());
    const int error = ::posix_fallocate(fd, 0, Bytes);
    ::close(fd);
    return error != 0 ? SystemText(error) : QStringLiteral("A temporary file of the workbook could not be written whole.");
}

}  // namespace

bool XWorkbook::SaveAs(const QString& FileName, QString* Error) const
{
    auto fail = [Error](const QString& Why) {
        if (Error)
            *Error = Why;
        return false;
    };
    if (FileName.isEmpty())
        return fail(QStringLiteral("No file name."));
    if (m_sheets.empty())
        return fail(QStringLiteral("A workbook needs at least one sheet."));
    const QFileInfo target(FileName);
    if (!target.absoluteDir().exists())
        return fail(QStringLiteral("The folder %1 does not exist.").arg(target.absolutePath()));
    if (target.isDir())
        return fail(QStringLiteral("%1 is a folder.").arg(target.absoluteFilePath()));
    // Written beside the target and renamed over it only when complete and
    // synced: a failed or killed save never leaves a half-written file.
    XReplacingFile partial(FileName);
    if (!partial.Open())
        return fail(partial.Error());
    const QByteArray partialName = QFile::encodeName(partial.TempPath());

    // Constant memory: each sheet's rows go straight to a temporary file in
    // row order, which is the order the model keeps them in anyway.
    QByteArray tempDir = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tempDir.data();
    lxw_workbook* book = workbook_new_opt(partialName.constData(), &options);
    if (!book)
        return fail(QStringLiteral("Out of memory."));

    QString problem;
    std::vector<qint64> rowBytes;
    // Formats are made on first use: styles that range operations passed
    // through on the way to the final one stay out of the file.
    std::vector<lxw_format*> formats(m_styles.size(), nullptr);
    auto formatOf = [&](uint16_t Style) {
        if (Style != 0 && !formats[Style])
            formats[Style] = MakeFormat(book, m_styles[Style]);
        return formats[Style];
    };

    for (const auto& sheet : m_sheets) {
        if (!problem.isEmpty())
            break;
        lxw_worksheet* ws = workbook_add_worksheet(book, sheet->m_name.toUtf8().constData());
        if (!ws) {
            problem = QStringLiteral("Cannot add the sheet \"%1\".").arg(sheet->m_name);
            break;
        }
        for (const auto& [col, width] : sheet->m_widths)
            worksheet_set_column(ws, lxw_col_t(col - 1), lxw_col_t(col - 1), width, nullptr);
        lxw_error err = LXW_NO_ERROR;
        for (size_t r = 0; r < sheet->m_rows.size() && err == LXW_NO_ERROR; ++r) {
            const auto row = lxw_row_t(r);
            for (const auto& cell : sheet->m_rows[r]) {
                lxw_format* format = formatOf(cell.Style);
                if (cell.Style != 0 && !format) {
                    err = LXW_ERROR_MEMORY_MALLOC_FAILED;
                    break;
                }
                switch (cell.Kind) {
                case XCellKind::Number:
                    err = worksheet_write_number(ws, row, cell.Col, cell.Number, format);
                    break;
                case XCellKind::Text:
                    err = worksheet_write_string(ws, row, cell.Col, sheet->m_texts.CStr(cell.Text), format);
                    break;
                case XCellKind::Boolean:
                    err = worksheet_write_boolean(ws, row, cell.Col, cell.Boolean ? 1 : 0, format);
                    break;
                case XCellKind::Empty:
                    if (format)
                        err = worksheet_write_blank(ws, row, cell.Col, format);
                    break;
                }
                if (err != LXW_NO_ERROR)
                    break;
            }
        }
        if (err != LXW_NO_ERROR) {
            problem = QString::fromUtf8(lxw_strerror(err));
            break;
        }
        // The rows went to a temporary file, all but the last, which the
        // library still holds. Written out and flushed here, a failed write
        // has its reason at hand, and their length checks the sheet read back.
        lxw_worksheet_write_single_row(ws);
        FILE* rows = ws->optimize_tmpfile;
        const off_t bytes = std::fflush(rows) == 0 && !std::ferror(rows) ? ftello(rows) : -1;
        if (bytes < 0) {
            problem = SystemText(errno != 0 ? errno : EIO);
            break;
        }
        rowBytes.push_back(bytes);
    }

    // Closing also frees the library's workbook, so it runs after a failure too.
    errno = 0;
    const lxw_error closed = workbook_close(book);
    const int system = errno;
    if (problem.isEmpty() && closed != LXW_NO_ERROR) {
        problem = QString::fromUtf8(lxw_strerror(closed));
        // The library's text names only its own step; the system's reason
        // (a full disk) is what the user can act on.
        if (system != 0)
            problem += QStringLiteral(" (") + SystemText(system) + u')';
    }
    if (problem.isEmpty() && !ArchiveWhole(partial.TempPath(), rowBytes)) {
        // At most, the rows, a sheet's whole text and the small parts were
        // in the temporary folder at once.
        qint64 held = 1 << 20;
        for (const qint64 bytes : rowBytes)
            held += 2 * bytes;
        problem = TempFolderProblem(tempDir, held);
    }
    if (!problem.isEmpty())
        return fail(problem);
    if (!partial.Commit())
        return fail(partial.Error());
    return true;
}
