#include "XWorkbook.h"

#include "XReplaceFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <cerrno>
#include <cstring>

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
        if (err != LXW_NO_ERROR)
            problem = QString::fromUtf8(lxw_strerror(err));
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
            problem += QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(system)) + u')';
    }
    if (!problem.isEmpty())
        return fail(problem);
    if (!partial.Commit())
        return fail(partial.Error());
    return true;
}
