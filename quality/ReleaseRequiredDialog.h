#pragma once

// "Eliberare obligatorie": the articles whose new lots wait for a release before they are
// used or shipped; an article added (its lots entering from today on wait) or taken off.

#include <QDialog>
#include <memory>

namespace corvanel {

struct TProductionContext;

class TReleaseRequiredDialog final : public QDialog {
    Q_OBJECT
public:
    TReleaseRequiredDialog(TProductionContext& context, QWidget* parent);
    ~TReleaseRequiredDialog() override;

    // The articles read again.
    void showArticles();

private:
    void buildControls();
    void addArticle();
    void removeArticle();
    // Turns the setting of an article on or off; the window tells the outcome.
    void change(const QString& group, const QString& code, bool on);

    struct Ui;
    TProductionContext& context_;
    std::unique_ptr<Ui> ui_;
};

// Shows the window, modal, over the owner.
void ExecuteReleaseRequired(TProductionContext& context, QWidget* owner);

} // namespace corvanel
