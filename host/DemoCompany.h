#pragma once

#include "host/Schema.h"

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

namespace pelmaris {

// The demo company: a small dairy with its raw materials and packaging (codes starting
// with "."), semi-finished products (";"), finished products (group "02") and their
// recipes, raw-material warehouses ("_") and finished-goods ones, suppliers, currencies,
// users, opening stock and receipts of raw materials, receipts of finished goods over
// the two months before `today` and a few sales. Its stock covers what every receipt of
// finished goods needs, all of them together too, except one material of the latest
// receipt, so that the requirement of that receipt shows a shortage.
//
// The directory is created when missing. Only the demo's own files are ever removed (its
// database with its logs, its settings file): a directory that holds anything else, or files
// of those names that are not the demo's, is refused untouched (EInOutError with
// DemoRefusal's words). The tables are written in one transaction. A company in use is never
// wiped: false, and nothing touched, while anybody (this program included) has the
// directory open as a company.
//
// `production`, when given, runs once the tables are written and before anybody may open
// the company: it is handed the counters of the finished-goods receipts, oldest first,
// for their consumption to be written (which the add-on does, not the host).
// Why the demo may not be made in a directory, naming what it holds besides the demo;
// empty when it may: the directory is missing, empty (but for the company lock), or holds
// the demo and nothing else.
QString DemoRefusal(const QString& directory);

using TDemoProduction = std::function<void(const std::vector<double>& finishedGoodsReceipts)>;
bool CreateDemoCompany(const QString& directory, const QDate& today = QDate::currentDate(),
                       const TDemoProduction& production = {});

} // namespace pelmaris
