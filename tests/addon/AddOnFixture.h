#pragma once
// What the add-on's module tests share: the production prefixes as the add-on starts with
// them, and a data module connected to a test company.

#include "Company.h"
#include "data/ProductionData.h"
#include "shell/SettingsDialog.h"

#include <memory>

namespace addontest {

inline void DefaultPrefixes()
{
    corvanel::IndGest = QLatin1Char('_');
    corvanel::IndCod = QLatin1Char('.');
    corvanel::IndSemi = QLatin1Char(';');
}

// The one data module, its KRBPROD pointed at the company.
inline std::unique_ptr<corvanel::TProductionData> ConnectDataModule(const testsupport::TestCompany& company)
{
    auto dm = std::make_unique<corvanel::TProductionData>(nullptr);
    corvanel::ProductionData = dm.get();
    dm->ProductionDatabase->Params() << QStringLiteral("PATH=") + company.Dir();
    dm->ProductionDatabase->Open();
    return dm;
}

} // namespace addontest
