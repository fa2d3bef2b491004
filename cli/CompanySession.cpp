#include "cli/CompanySession.h"

#include "cli/Command.h"
#include "data/Messages.h"
#include "data/ProductionData.h"
#include "data/Queries.h"
#include "host/Company.h"
#include "host/CompanyMove.h"
#include "platform/config/FileLock.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/ui/MessageDlg.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace corvanel::cli {

TCompanySession::TCompanySession(const QString& directory, THold hold)
    : dir_(QDir::cleanPath(QDir(directory).absolutePath()))
{
    const QString shown = QDir::toNativeSeparators(dir_);
    // One the user may not read is a file error (status 2), one that is not there no company.
    bool unreadable = false;
    if (const QString problem = pelmaris::CompanyDirectoryProblem(dir_, &unreadable); !problem.isEmpty()) {
        if (unreadable)
            throw fw::EInOutError(problem);
        throw ERefused(problem);
    }
    if (!pelmaris::IsCompanyDirectory(dir_))
        throw ERefused(QStringLiteral("Directorul <%1> nu contine o firma.").arg(shown));
    if (hold == THold::Shared) {
        pelmaris::SettleInterruptedMove(dir_);
        try {
            hold_ = pelmaris::HoldCompany(dir_);
        } catch (const fw::EInOutError& e) {
            throw EInUse(e.Message());
        }
    }
    try {
        db_ = pelmaris::OpenCompanyDatabase(dir_, false);
        fw::TSession::AddAlias(TVELDA, dir_);
        fw::TSession::AddAlias(KRB_PRIV, private_.Path());
        context_.Settings.FixedDirectory = dir_;
        context_.Settings.Load();
        dm_ = std::make_unique<TProductionData>(context_, nullptr);
        dm_->ShowWarning = [](const QString& warning) { fw::MessageDlg(warning, fw::TMsgDlgType::Warning); };
        dm_->ConnectTo(dir_);
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::DatabaseError(e.Message()));
    }
}

TCompanySession::~TCompanySession()
{
    dm_.reset();
    fw::TSession::DeleteAlias(TVELDA);
    fw::TSession::DeleteAlias(KRB_PRIV);
}

void RefuseUnknownCodes(TProductionContext& context, const QStringList& codes, const QStringList& listSql,
                        const QString& option)
{
    if (codes.isEmpty())
        return;
    fw::TQuery known;
    known.SetSession(context.Session());
    known.SetDatabaseName(TVELDA);
    known.SetSQL(listSql);
    QSet<QString> have;
    try {
        known.Open();
        for (known.First(); !known.Eof(); known.Next())
            have.insert(known.FieldByName(QStringLiteral("Cod"))->AsString());
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::ReportDatabaseError(e.Message()));
    }
    for (const QString& code : codes)
        if (!have.contains(code))
            throw ERefused(QStringLiteral("Codul \"%1\" din --%2 nu exista in firma.").arg(code, option));
}

} // namespace corvanel::cli
