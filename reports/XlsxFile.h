#pragma once

// Spreadsheets for the accountant: tables written as an XLSX workbook, numbers stored as
// numbers and dates as dates, so that the spreadsheet sums and sorts them as it would its
// own.

#include <QDate>
#include <QString>
#include <QStringList>
#include <variant>
#include <vector>

namespace corvanel {

// A cell: text, a number (NaN or an infinity: left empty, never written as text) or a date
// (invalid: left empty).
using TXlsxCell = std::variant<QString, double, QDate>;

// A table as the exports write it: the same rows make the CSV and the workbook's sheet.
struct TSheet {
    QString Name; // at most 31 characters, none of []:*?/\ ; the workbook's own rule
    QStringList Headings;
    std::vector<std::vector<TXlsxCell>> Rows;
};

// Writes the sheets into `fileName`, whole or not at all: the workbook is written beside it
// under another name and takes its place only once complete. fw::EInOutError, in the
// user's words, when it cannot be written.
void WriteXlsx(const QString& fileName, const std::vector<TSheet>& sheets);

} // namespace corvanel
