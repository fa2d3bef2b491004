#pragma once

// A company as the tool works on it: what the host sets up when it opens a company and
// hands it to the add-on, for one command.

#include "cli/RunDirectory.h"
#include "data/ProductionContext.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace fw {
class Connection;
class TFileLock;
} // namespace fw

namespace corvanel::cli {

class TCompanySession final {
public:
    enum class THold {
        Shared,       // held as every program working on it holds it
        AlreadyAlone, // the caller holds it alone (it is making the company)
    };

    // Checks that the directory holds a company (ERefused), holds it (EInUse while it is
    // being made again), opens its database (EDatabaseError in the add-on's words when
    // the file is no company's), points TVELDA at it and KRB_PRIV at a working directory
    // of this run, makes the production context of the run with the production settings
    // of the company's own KRBDEF.INI, and connects the add-on's data module to it.
    explicit TCompanySession(const QString& directory, THold hold = THold::Shared);
    ~TCompanySession();
    TCompanySession(const TCompanySession&) = delete;
    TCompanySession& operator=(const TCompanySession&) = delete;

    const QString& Dir() const { return dir_; }
    TProductionContext& Context() { return context_; }
    TProductionData& DataModule() const { return *dm_; }

private:
    QString dir_;
    std::unique_ptr<fw::TFileLock> hold_;
    std::shared_ptr<fw::Connection> db_;
    // The requirement's working table lives here: never the private directory of a
    // pelmaris the same user may have open meanwhile.
    TRunDirectory private_;
    // Nothing is shown: no application, no screen.
    TProductionContext context_;
    std::unique_ptr<TProductionData> dm_;
};

// Refuses (ERefused naming the option) a code of a list option that the company does not
// have, which would only narrow the output to nothing, unseen; `listSql` lists the codes
// (field "Cod"). EDatabaseError in the reports' words when they cannot be read.
void RefuseUnknownCodes(TProductionContext& context, const QStringList& codes, const QStringList& listSql,
                        const QString& option);

} // namespace corvanel::cli
