#pragma once

// Articles whose new lots must be released before they are used or shipped ("eliberare
// obligatorie"). A lot of such an article that entered on or after the day the setting was
// turned on, and that has no standing of its own, waits ("In asteptare"): nothing is
// written at receipt, and the existing release path gives it its first standing. The
// stock ledger learns the waiting lots with the held ones (UnusableLots), once per batch of
// materials, so its one rule leaves them out as it leaves out a held lot.

#include "data/LotStatus.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <vector>

namespace fw {
class Connection;
}

namespace corvanel {

class TProductionData;

// One article whose new lots wait for a release, and since when.
struct TReleaseRequired {
    QString Group;
    QString Code;
    QDate Since;
    QString Agent;
};

// Every article with the setting on, by group and code. None where the company lacks the
// table (a company the user may only read, made before the setting existed).
std::vector<TReleaseRequired> ReleaseRequiredArticles(fw::Connection& engine);

// Adds to `held` (one hash per material) the waiting lots of the materials whose article
// has the setting on: lots first entered on or after its day, with no standing row. One
// statement for all of them, asked only when some material has the setting.
void AddAwaitingLots(fw::Connection& engine, const std::vector<TMaterialDraw>& materials,
                     std::vector<QHash<QString, TLotStanding>>& held);

// The setting turned on (from `since`) or off for an article of the catalog, recorded
// with `agent`, under the lots' writers' lock (it changes which lots count, as a hold
// does). ELotStateRefused when the article is unknown or the setting already stands so;
// EDatabaseError when it cannot be written.
void SetReleaseRequired(TProductionData& dm, const QString& group, const QString& code, bool on, const QString& agent,
                        const QDate& since = QDate::currentDate());

} // namespace corvanel
