#pragma once

#include <QTranslator>

class QCoreApplication;

namespace pelmaris {

// Romanian for the texts Qt itself shows in the program's standard dialogs and controls:
// message box buttons, the folder picker, the print and preview dialogs, the command-
// line help, the edit boxes' context menus, the child windows' system menus. Qt ships no
// Romanian catalogue of its own (Debian's Qt translations package has none), so the
// program carries these.
class TRomanianQtTexts final : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

// Installs the Romanian texts on the application: Qt's own catalogue when the system has
// one, and the program's for what it lacks.
void InstallRomanianTexts(QCoreApplication* application);

} // namespace pelmaris
