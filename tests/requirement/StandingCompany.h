#pragma once
// A company for the tests of lots' standings: product P (yield 1) takes 7 of material .A;
// receipt 1 of 7 December 2026 makes one P. The lots of .A are the test's own.
#include "requirement/LotPreview.h"
#include "requirement/Requirement.h"
#include "RequirementCompany.h"

namespace reqtest {

struct StandingCompany : RequirementCompany {
    StandingCompany()
    {
        company.Article("02", "P", "Produs", 1.0);
        company.Article("01", ".A", "A");
        company.RecipeRow("P", ".A", "01", 7);
        Receipt(1, {{"02", "P", 1}});
    }
    fw::Connection& Engine() { return *dm->ProductionDatabase->GetConnection(); }
    // The requirement's row of .A as "on hand/final".
    std::string Figures()
    {
        corvanel::PrepareRequirement(*dm, 1);
        fw::TTable* temp = dm->Requirement().TempTable();
        temp->First();
        return (temp->FieldByName("StocExist")->AsString() + "/" + temp->FieldByName("StocFin")->AsString()).toStdString();
    }
    // The preview of drawing 7 of .A: "lot taken+" for a lot drawn, "lot state (reason)" for
    // one listed apart.
    std::string Preview()
    {
        QStringList preview;
        for (const corvanel::TLotPreviewLine& l : corvanel::PreviewDraw(*dm, "01", ".A", 7, QDate(2026, 12, 7)).Lines)
            preview << l.Lot + (l.Drawn ? " " + QString::number(l.Taken) + "+" : "")
                           + (l.State.isEmpty() ? "" : " " + l.State + " (" + l.Reason + ")");
        return J(preview);
    }
};

} // namespace reqtest
