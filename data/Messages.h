#pragma once

// What the add-on tells its user, in the user's words (Romanian), kept in one place: the
// warnings of its checks, its questions, its database errors (a fixed lead text and the
// engine's own message) and its reports of work done. The windows keep their captions,
// labels and hints; every text shown in a message box, or raised for one, is here.

#include <QString>
#include <QStringList>

namespace corvanel::msg {

// ---------------------------------------------------------------- database errors

// The add-on's common form of a database error: the lead text, a line break, and the
// engine's message between "<" and "> !".
QString DatabaseError(const QString& message);
// The traceability report's: the same lead, the message between "<" and ">!".
QString ReportDatabaseError(const QString& message);
// The catalog lookup's: its own lead, the message, then ">".
QString CatalogDatabaseError(const QString& message);

// ---------------------------------------------------------------- recipe and requirement lines

// A material refused on a recipe line (group and code) or on a requirement line (code).
QString NotARecipeMaterial(const QString& group, const QString& code);
QString NotARequirementMaterial(const QString& code);
// A line saved without all it needs.
QString IncompleteLine();
// The recipe's yield left empty or 0.
QString EmptyYield();

// ---------------------------------------------------------------- the requirement

// A database error while preparing the requirement, and while writing the document.
QString PreparationFailed(const QString& message);
QString GenerationFailed(const QString& message);
// The consumption document was written; `document` is its "nr. N din DD.MM.YYYY".
QString ConsumptionWritten(const QString& document);
// The products whose recipe was left out (each as ProductLine gives it); empty for none.
QString LeftOutProducts(const QStringList& products);
// The materials whose need the requirement's decimals rounded to zero, one a line.
QString RoundedAwayMaterials(const QStringList& materials);
QString ProductLine(const QString& group, const QString& code, const QString& name);
// The stored values that are no number (each as one of the three below describes where
// it lies, then the value); empty for none.
QString UnreadableValues(const QStringList& values);
QString UnreadableLineQuantity(const QString& line, const QString& product);
QString UnreadableRecipeQuantity(const QString& product, const QString& material);
QString UnreadableYield(const QString& product);
// Rows the stock cannot cover: go on without them?
QString NegativeStockQuestion();
// Asked before a receipt that already has consumption documents gets another one; each
// document is given as "nr. N din DD.MM.YYYY" (`several`: there is more than one).
QString SecondConsumptionQuestion(const QStringList& documents, bool several);
// How the question above begins, whatever documents it names.
QString SecondConsumptionOpening();
// The document would draw on expired lots (the settings draw them): go on? Each lot as
// ExpiredLotLine gives it.
QString ExpiredLotsQuestion(const QStringList& lots);
// How the question above begins, whatever lots it names.
QString ExpiredLotsOpening();
QString ExpiredLotLine(const QString& group, const QString& code, const QString& lot, const QString& warehouse,
                       const QString& expiry);
// The receipt has no number or date yet.
QString ReceiptNotSaved();
// No row is left to draw.
QString NothingToConsume();

// ---------------------------------------------------------------- reversing a consumption

// Each document is given as "nr. N din DD.MM.YYYY".
// Asked before a consumption document is reversed (No the default).
QString ReversalQuestion(const QString& document);
// The reversal was written: `reversing` is the new document.
QString ReversalWritten(const QString& reversed, const QString& reversing);
// Refusals: no consumption document of that counter; already reversed (by `reversing`);
// itself the reversal of `reversed`; a lot gone from the stock of a document that kept no
// genealogy (its line's article as "group/code", its lot and warehouse).
QString NotAConsumptionDocument(const QString& counter);
QString AlreadyReversed(const QString& document, const QString& reversing);
QString ReversingDocument(const QString& document, const QString& reversed);
QString LotGoneWithoutGenealogy(const QString& document, const QString& article, const QString& lot, const QString& warehouse);
// The receipt has no consumption document left to reverse.
QString NothingToReverse();

// ---------------------------------------------------------------- the catalog

QString AddArticles();
QString CodeAndNameRequired();
QString AccountFormat();
QString UnknownCurrency(const QString& code);
QString TooManyArticlesMarked();
QString PrefixRequired(const QString& codes);
// A production setting whose value the add-on does not know: the settings file, its
// section and key, the value found and the values allowed.
QString UnknownSettingValue(const QString& file, const QString& section, const QString& key, const QString& value,
                            const QString& allowed);
QString PercentageBelowFloor();
QString PercentageAboveCeiling();
QString PricesOutOfRange(const QString& groupCode);
QString PricesIndexed(const QString& groupCode);

// ---------------------------------------------------------------- the traceability report

// A code list a picker never writes.
QString BadCodeList(const QString& list);
// A period that starts after it ends (both dates as the dialog writes them).
QString PeriodRefused(const QString& end, const QString& start);
// A margin inside the printer's unprintable border: adjust?
QString MarginsOutsidePrintable();
// While the report's data is read.
QString SelectingData();

// ---------------------------------------------------------------- following a lot

// No article holds a lot of that name (the article as "group/code", empty for any).
QString LotNotFound(const QString& lot, const QString& article);
// The lot picker needs the article first.
QString ChooseArticleFirst();
// A file the add-on writes (a CSV export) could not be written.
QString FileNotWritten(const QString& file);

// ---------------------------------------------------------------- a lot's standing

// A standing is set on a lot named by group, article and lot name, with a reason.
QString LotStateNeedsLot();
QString LotStateNeedsReason();
// The lot stands so already: nothing was changed.
QString LotAlreadyInState(const QString& lot, const QString& state);
// The standing was changed (the article as "group/code").
QString LotStateChanged(const QString& article, const QString& lot, const QString& state);
// A change of standing could not be written: the engine's message.
QString LotStateNotWritten(const QString& message);
// Why a new lot of an article that must be released first is not usable yet.
QString AwaitingReleaseReason();
// The release setting is kept for an article named by group and code, one of the catalog.
QString ReleaseNeedsArticle();
QString ArticleNotInCatalog(const QString& article);
// The setting stands so already (`on`: the article's new lots wait): nothing was changed.
QString ReleaseAlreadySo(const QString& article, bool on);
// The setting was changed (`on`: from `since` on).
QString ReleaseSettingChanged(const QString& article, bool on, const QString& since);
// The setting could not be written: the engine's message.
QString ReleaseSettingNotWritten(const QString& message);

// ---------------------------------------------------------------- laboratory results

// A laboratory's CSV refused whole: each bad row as LabRow gives it, one a line.
QString LabImportRefused(const QStringList& rows);
QString LabRow(int line, const QString& problem);
QString LabBadHeader(const QString& header);
QString LabNothingToImport();
QString LabRowFieldCount(int found, int expected);
QString LabUnknownArticle(const QString& article);
QString LabUnknownParameter(const QString& parameter);
// `words`: the kind's words ("negativ / pozitiv"), empty for a number.
QString LabBadValue(const QString& value, const QString& parameter, const QString& words);
QString LabBadDate(const QString& date);
// The results were written; the lots made non-conforming, as "group/code lot".
QString LabResultsWritten(int count, const QStringList& nonConforming);
// Why a lot became non-conforming: its results out of norm, as "PARAMETER=value".
QString OutOfNormReason(const QStringList& results);
// The results could not be written: the engine's message.
QString LabResultsNotWritten(const QString& message);

} // namespace corvanel::msg
