#pragma once

// The dialog that shows and changes the production settings (the three code prefixes, and
// the lot settings below them).

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/ui/Form.h"

#include <initializer_list>
#include <memory>

class QFrame;

namespace corvanel {

struct TProductionContext;

class TProductionSettingsForm final : public fw::TForm {
public:
    // Shows the settings as the file holds them now.
    TProductionSettingsForm(TProductionContext& context, QWidget* owner);
    ~TProductionSettingsForm() override;

    // "OK": saves the settings and closes; an empty prefix box is refused with a warning
    // naming it, and the dialog stays open on that box.
    void accept() override;

private:
    struct Ui;
    QFrame* makePrefixQuestions();
    // The face and the questions in the highlight colour, the controls (all but `faces`) in the usual ones.
    void paintFaceInHighlight(std::initializer_list<const QWidget*> faces);
    void showStoredSettings();
    bool saveSettings();

    TProductionContext& context_;
    std::unique_ptr<Ui> ui_;
};

} // namespace corvanel
