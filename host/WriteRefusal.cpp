#include "host/WriteRefusal.h"

#include "platform/ui/MessageDlg.h"

namespace pelmaris {

void ReportWriteRefusals(fw::TDataSet* table)
{
    table->OnPostError = [](fw::TDataSet*, const std::exception& error, fw::TDataAction& action) {
        if (const auto* refused = dynamic_cast<const EWriteRefused*>(&error)) {
            fw::MessageDlg(refused->Message(), fw::TMsgDlgType::Warning);
            action = fw::TDataAction::Abort;
        }
    };
    table->OnDeleteError = table->OnPostError;
}

} // namespace pelmaris
