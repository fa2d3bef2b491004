#pragma once

// "Linie de iesire": one line of an outgoing document entered by hand, on the document the
// window shows or on a new one: warehouse, article, lot and quantity, and the stock it
// takes. The line is written when the user confirms it, whole or not at all; a refusal
// (a lot that may not leave, too little stock) is shown and the dialog stays open.

#include "host/OutgoingLedger.h"

#include <QDialog>
#include <memory>

namespace pelmaris {

class TDocOutLineDialog final : public QDialog {
    Q_OBJECT
public:
    // `database`: the company; `contor`/`number`: the document the window shows (0: none,
    // then only a new document is offered).
    TDocOutLineDialog(const QString& database, double contor, double number, TLotCheck check, QWidget* parent);
    ~TDocOutLineDialog() override;

    // The document the last line was written on (0: none yet).
    double WrittenDocument() const { return written_; }

    // Writes the line; closes the dialog only when it was written.
    void accept() override;

private:
    void buildControls(double number);
    void enableHeaderFields();
    TOutgoingLine lineEntered() const;
    bool writeLine();

    struct Ui;
    std::unique_ptr<Ui> ui_;
    QString database_;
    double contor_;
    TLotCheck check_;
    double written_ = 0;
};

} // namespace pelmaris
