#pragma once

// "Configurare lapte": the raw milk's article, warehouse and density, and the price the
// monthly statement pays (the [Lapte] section of KRBDEF.INI).

#include <QDialog>
#include <memory>

namespace corvanel {

struct TProductionContext;

class TMilkSettingsDialog final : public QDialog {
    Q_OBJECT
public:
    TMilkSettingsDialog(TProductionContext& context, QWidget* parent);
    ~TMilkSettingsDialog() override;

    // False, after telling the user, when the file cannot be read.
    bool loadSettings();

private:
    void buildControls();
    void saveSettings();

    struct Ui;
    TProductionContext& context_;
    std::unique_ptr<Ui> ui_;
};

void ExecuteMilkSettings(TProductionContext& context, QWidget* owner);

} // namespace corvanel
