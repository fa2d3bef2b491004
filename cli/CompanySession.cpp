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
#include "platform/ui/MessageDlg.h"

#include <QDir>
#include <QFileInfo>

namespace corvanel::cli {

TCompanySession::TCompanySession(const QString& directory, THold hold)
    : dir_(QDir::cleanPath(QDir(directory).absolutePath()))
{
    const QString shown = QDir::toNativeSeparators(dir_);
    if (!QFileInfo(dir_).isDir())
        throw ERefused(QStringLiteral("Directorul <%1> nu exista!").arg(shown));
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

} // namespace corvanel::cli
