#pragma once

// The catalog lookup: choosing an article of the host's catalog.

#include <QString>

class QWidget;

namespace corvanel {

// Shows the lookup positioned on group/article; true when the user confirmed a choice,
// which is then written into group and article (left as they were otherwise).
bool ExecuteCatLookup(QWidget* owner, QString& group, QString& article);

} // namespace corvanel
