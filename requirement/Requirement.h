#pragma once

// The technical requirement of an incoming document and the consumption document made
// from it, without any window: the requirement form calls these, and so does a tool that
// has no display. Every question and warning goes through fw::MessageDlg, so such a tool
// answers them with a presenter of its own. All of it works on the data module's datasets.

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace fw {
class TScreen;
}

namespace corvanel {

class TProductionData;

// A product of the receipt whose recipe was left out of the requirement because its own
// catalog row gives no yield (CantReteta zero or empty).
struct TLeftOutProduct {
    QString Group;
    QString Code;
    QString Name;
};

struct TPreparedRequirement {
    bool ReceiptFound = false; // DocInTable stands on the incoming document
    // The day the stock figures are judged on: the receipt's date (none: every lot).
    QDate LotsDay;
    std::vector<TLeftOutProduct> LeftOut;
    // The materials (group, code, name) needed above zero that rounding to the settings'
    // decimals made 0: the document will not consume them.
    std::vector<TLeftOutProduct> RoundedAway;
    // The stored values the terms were computed from that are no number (text another
    // program wrote), each said where it is and what it holds, once.
    QStringList Unreadable;
};

// Computes the requirement of incoming document `counter` into temp.DB in the user's
// private directory (one row per group and material, each term rounded to the settings'
// decimals before summing, keyed by group and code; a material only products without
// yield need is not listed) and opens the tables the form and the generation work on, with
// DocInTable on the document when it exists. The production settings are read again first.
// EDatabaseError when the database fails; what was opened stays open for CloseRequirement.
TPreparedRequirement PrepareRequirement(TProductionData& dm, double counter);

// The warnings a prepared requirement gives the user, in the order they are shown: the
// products left out, the materials rounded away to zero, then the values that are no number (each named on a line of its own).
QStringList PreparationWarnings(const TPreparedRequirement& prepared);

// Closes what PrepareRequirement opened and deletes temp.DB. EDatabaseError when temp.DB
// cannot be deleted (everything is closed all the same).
void CloseRequirement(TProductionData& dm);

// Writes the consumption document of incoming document `counter` from temp.DB as it stands:
// the outgoing counter, the header, one line per stock lot drawn on, the lots reduced or
// deleted, all in one transaction inside which the lots are locked, then read and drawn.
// A pending change to a requirement row is saved first (a refusal ends everything silently
// after its warning). A row that the lots cannot give whole at that moment makes the user
// be asked whether to go on without such rows; a receipt without number or date makes the
// user be told to save it first; when no row is left to draw, the user is told that no
// document was written. Returns the new document's counter, or nullopt when stopped that
// way. The header is written under `agent` (the user's initials). On a database error nothing at all is written, the datasets read the
// database again, and the error propagates. While writing, the hourglass shows on `screen`
// (null: none). The context's ReceiptsNeedRefresh says whether a document was written.
std::optional<double> GenerateConsumption(TProductionData& dm, double counter, const QString& agent,
                                          fw::TScreen* screen = nullptr);

// A consumption document as the user knows it: "nr. N din DD.MM.YYYY". EDatabaseError when
// it cannot be read; empty when there is no such document.
QString ConsumptionDocumentLabel(TProductionData& dm, double counter);
// A document's number as the user reads it: an integer when it is one, whatever the locale.
QString DocumentNumberText(double number);
// The same from a document's number and date.
QString ConsumptionDocumentLabel(double number, const QDate& date);

} // namespace corvanel
