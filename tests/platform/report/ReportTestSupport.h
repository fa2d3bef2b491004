#pragma once

#include "platform/report/PageModel.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <ostream>

// Readable strings in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace reporttest {

// The texts an element printed, through the whole document, in order.
inline QStringList TextsNamed(const fw::TReportDocument& document, const QString& name)
{
    QStringList out;
    for (const fw::TReportPage& page : document.Pages)
        for (const fw::TPageText* text : page.TextsNamed(name))
            out << text->Text;
    return out;
}

// The texts of one page, in the order they were printed.
inline QStringList PageTexts(const fw::TReportPage& page)
{
    QStringList out;
    for (const fw::TPageText& text : page.Texts)
        out << text.Text;
    return out;
}

inline bool HavePdfToText() { return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(); }

// The text of a PDF file as pdftotext reads it; pages are separated by form feeds.
inline QString PdfText(const QString& fileName)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), fileName, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline int PdfPageCount(const QString& text) { return int(text.count(QLatin1Char('\f'))); }

} // namespace reporttest
