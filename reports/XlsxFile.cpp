#include "reports/XlsxFile.h"

#include "data/Messages.h"
#include "platform/core/Exceptions.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cmath>
#include <cstdio>
#include <xlsxwriter.h>

namespace corvanel {

namespace {

[[noreturn]] void Fail(const QString& fileName, const QString& reason)
{
    throw fw::EInOutError(msg::FileNotWritten(QDir::toNativeSeparators(fileName)) + QLatin1Char(' ') + reason);
}

// The library answers in English; the user is told what to do in his words.
QString Reason(lxw_error error)
{
    return QStringLiteral("(%1) Verificati ca dosarul exista, ca aveti drept de scriere in el si ca e loc pe disc.")
        .arg(QString::fromUtf8(lxw_strerror(error)));
}

// Writes the whole workbook to `path`; the library's error, or LXW_NO_ERROR.
lxw_error WriteWorkbook(const QByteArray& path, const std::vector<TSheet>& sheets)
{
    lxw_workbook* book = workbook_new(path.constData());
    if (!book)
        return LXW_ERROR_CREATING_XLSX_FILE;
    lxw_format* heading = workbook_add_format(book);
    format_set_bold(heading);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");
    lxw_error error = LXW_NO_ERROR;
    const auto keep = [&error](lxw_error e) {
        if (error == LXW_NO_ERROR)
            error = e;
    };
    for (const TSheet& sheet : sheets) {
        lxw_worksheet* ws = workbook_add_worksheet(book, sheet.Name.toUtf8().constData());
        if (!ws) { // a name the workbook refuses: our own sheets' names, a fault of ours
            keep(LXW_ERROR_SHEETNAME_ALREADY_USED);
            break;
        }
        for (qsizetype c = 0; c < sheet.Headings.size(); ++c)
            keep(worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), sheet.Headings[c].toUtf8().constData(), heading));
        worksheet_freeze_panes(ws, 1, 0);
        lxw_row_t row = 1;
        for (const std::vector<TXlsxCell>& cells : sheet.Rows) {
            lxw_col_t col = 0;
            for (const TXlsxCell& cell : cells) {
                if (const QString* text = std::get_if<QString>(&cell)) {
                    if (!text->isEmpty())
                        keep(worksheet_write_string(ws, row, col, text->toUtf8().constData(), nullptr));
                } else if (const double* number = std::get_if<double>(&cell)) {
                    if (std::isfinite(*number))
                        keep(worksheet_write_number(ws, row, col, *number, nullptr));
                } else if (const QDate& day = std::get<QDate>(cell); day.isValid()) {
                    lxw_datetime when{day.year(), static_cast<uint8_t>(day.month()), static_cast<uint8_t>(day.day()), 0, 0, 0};
                    keep(worksheet_write_datetime(ws, row, col, &when, date));
                }
                ++col;
            }
            ++row;
        }
        worksheet_set_column(ws, 0, static_cast<lxw_col_t>(std::max<qsizetype>(sheet.Headings.size(), 1) - 1), 14, nullptr);
    }
    // Closing writes the file, and frees the workbook whatever happened before.
    const lxw_error closed = workbook_close(book);
    return error != LXW_NO_ERROR ? error : closed;
}

} // namespace

void WriteXlsx(const QString& fileName, const std::vector<TSheet>& sheets)
{
    const QFileInfo target(fileName);
    // A name of our own beside the target, so that the last step is a rename on one disk.
    QTemporaryFile staged(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    if (!staged.open())
        Fail(fileName, QStringLiteral("Verificati ca dosarul exista si ca aveti drept de scriere in el."));
    staged.close();
    const QByteArray path = QFile::encodeName(staged.fileName());
    if (const lxw_error error = WriteWorkbook(path, sheets); error != LXW_NO_ERROR)
        Fail(fileName, Reason(error));
    // Read as a file the user made here would be, or as the one it replaces.
    const QFile::Permissions mode = target.exists() ? QFile::permissions(target.absoluteFilePath())
                                                    : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    QFile::setPermissions(staged.fileName(), mode);
    // rename(2) replaces an existing file in one step: the old one stays whole until then.
    if (std::rename(path.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        Fail(fileName, QStringLiteral("Verificati ca aveti drept de scriere in dosar."));
    staged.setAutoRemove(false);
}

} // namespace corvanel
