// A window's button box: one object name per role whatever the caption, and the buttons
// ending a modal form with OK or Cancel.
#include "platform/ui/DialogButtons.h"
#include "platform/ui/Form.h"

#include <QPushButton>
#include <gtest/gtest.h>

using namespace fw;

TEST(DialogButtons, NamedByRoleCaptionedAsAskedAndEndingTheModalRun)
{
    struct Case {
        QDialogButtonBox::StandardButton which;
        const char* name;
        TModalResult result;
    };
    for (const Case& c : {Case{QDialogButtonBox::Ok, "OkButton", TModalResult::OK},
                          Case{QDialogButtonBox::Cancel, "CancelButton", TModalResult::Cancel},
                          Case{QDialogButtonBox::Close, "CloseButton", TModalResult::Cancel}}) {
        SCOPED_TRACE(c.name);
        TForm form(nullptr);
        DialogButtons(&form, {{c.which, QStringLiteral("&Deschide"), QStringLiteral("Sunt de acord")}});
        auto* button = form.findChild<QPushButton*>(QLatin1String(c.name));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), "&Deschide");
        EXPECT_EQ(button->toolTip(), "Sunt de acord");
        // The hook's own answer comes back only when the click set no result.
        TModalHook hook([&](TForm*) {
            button->click();
            return TModalResult::Yes;
        });
        EXPECT_EQ(form.ShowModal(), c.result);
    }
}
