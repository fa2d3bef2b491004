#pragma once
// What the tests of the add-on's folders share: a production context of their own, as the
// add-on's initialisation makes it, and the data module in it connected to a test company.

#include "Company.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageDlg.h"

#include <memory>

namespace testsupport {

// The context with an application and a screen of its own (the hourglass shows on that
// screen) and the production prefixes "_", "." and ";".
struct TProduction {
    TProduction()
    {
        Context.Application = &Application;
        Context.Screen = &Screen;
    }
    // The data module, showing refusals as the menus module has it show them, its KRBPROD
    // pointed at the company.
    corvanel::TProductionData& Connect(const testsupport::TestCompany& company)
    {
        Data = std::make_unique<corvanel::TProductionData>(Context, nullptr);
        Data->ShowWarning = [](const QString& warning) { fw::MessageDlg(warning, fw::TMsgDlgType::Warning); };
        Data->ProductionDatabase->Params() << QStringLiteral("PATH=") + company.Dir();
        Data->ProductionDatabase->Open();
        return *Data;
    }

    fw::TApplication Application;
    fw::TScreen Screen;
    corvanel::TProductionContext Context;
    std::unique_ptr<corvanel::TProductionData> Data;
};

} // namespace testsupport
