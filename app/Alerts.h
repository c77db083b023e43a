// Alert panels. Every alert of the application goes through one presenter, which
// tests replace so that nothing ever waits for a user.
#pragma once

#include <QString>

#include <memory>

namespace keelward {

class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;
    // Shows a modal alert with one button and returns once it is dismissed. Texts
    // are shown as plain text.
    virtual void RunAlertPanel(const QString& title, const QString& message, const QString& defaultButton) = 0;
};

// The presenter of the running program: modal panels over the active window.
class PanelAlertPresenter final : public AlertPresenter {
public:
    void RunAlertPanel(const QString& title, const QString& message, const QString& defaultButton) override;
};

// Shows an alert through the current presenter (a PanelAlertPresenter unless one
// has been set).
void RunAlertPanel(const QString& title, const QString& message, const QString& defaultButton);

// Replaces the current presenter; null restores the panels. Returns the previous one.
std::shared_ptr<AlertPresenter> SetAlertPresenter(std::shared_ptr<AlertPresenter> presenter);

// Installs a presenter for the lifetime of a scope (tests).
class ScopedAlertPresenter {
public:
    explicit ScopedAlertPresenter(std::shared_ptr<AlertPresenter> presenter)
        : previous_(SetAlertPresenter(std::move(presenter))) {}
    ~ScopedAlertPresenter() { SetAlertPresenter(previous_); }
    ScopedAlertPresenter(const ScopedAlertPresenter&) = delete;
    ScopedAlertPresenter& operator=(const ScopedAlertPresenter&) = delete;

private:
    std::shared_ptr<AlertPresenter> previous_;
};

}  // namespace keelward
