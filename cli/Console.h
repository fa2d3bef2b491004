#pragma once

// How the tool talks: data on standard output, every message of the add-on on standard
// error, questions answered as the command line says, long work shown on a terminal.

#include "platform/core/Csv.h"
#include "platform/ui/MessageDlg.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace corvanel::cli {

// Written as UTF-8, whatever the locale.
void Out(const QString& text);
void Err(const QString& text);

// The message presenter of the tool, installed while it lives: each message goes to
// standard error with the caption of its kind ("Atentie: ..."), a line break of the
// message on a line of its own; a Yes/No question is answered with the answer given
// (No unless told otherwise), which is written after it.
class TTextPresenter final : public fw::TMessagePresenter {
public:
    TTextPresenter();
    ~TTextPresenter() override;

    fw::TModalResult Present(const fw::TMessage& message) override;

    void SetAnswer(fw::TModalResult answer) { answer_ = answer; }
    // The answer to the questions beginning with `opening`, in place of the one above.
    void SetAnswerTo(const QString& opening, fw::TModalResult answer) { answers_.emplace_back(opening, answer); }
    // Whether a question was answered No.
    bool Refused() const { return refused_; }

private:
    fw::TMessagePresenter* previous_;
    fw::TModalResult answer_ = fw::TModalResult::No;
    std::vector<std::pair<QString, fw::TModalResult>> answers_;
    bool refused_ = false;
};

// Progress of long work on standard error, on one line rewritten in place, only when
// standard error is a terminal (a script's log gets none of it).
class TProgress final {
public:
    TProgress(QString what, qint64 total);
    ~TProgress();
    TProgress(const TProgress&) = delete;
    TProgress& operator=(const TProgress&) = delete;

    // `detail`, when given, follows the count in brackets (how fast it goes).
    void Step(qint64 done, const QString& detail = {});
    // A line of its own, between steps.
    void Say(const QString& text);

private:
    void Show(const QString& text);

    QString what_;
    qint64 total_;
    bool terminal_;
    bool shown_ = false;
    QElapsedTimer since_;
};

// CSV as the tool writes it (the framework's: the windows export the same).
using fw::CsvField;
using fw::CsvNumber;
using fw::CsvRecord;

} // namespace corvanel::cli
