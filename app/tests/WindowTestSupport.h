// Shared pieces of the window's tests: a presenter that records alerts instead of
// showing them, an authority with a scripted answer, and a launched window over an
// in-memory registry.
#pragma once

#include "Alerts.h"
#include "Application.h"
#include "ApplicationMain.h"
#include "Authority.h"

#include <keelward/platform/IOKit/InMemoryRegistry.h>

#include <QComboBox>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>

#include <functional>
#include <memory>
#include <vector>

namespace keelward {

struct ShownAlert {
    QString title;
    QString message;
    QString button;
};

class RecordingAlertPresenter final : public AlertPresenter {
public:
    void RunAlertPanel(const QString& title, const QString& message, const QString& defaultButton) override;
    std::vector<ShownAlert> alerts;
    // Runs while the alert is "shown" (to look at the window at that moment).
    std::function<void()> whileShown;
};

class ScriptedAuthority final : public Authority {
public:
    explicit ScriptedAuthority(AuthorizationOutcome outcome, int* requests = nullptr)
        : outcome_(outcome), requests_(requests) {}
    void RequestAuthorization(Completion done) override;
    QString DomainName() const override { return QStringLiteral("test"); }

private:
    AuthorizationOutcome outcome_;
    int* requests_;
};

// Answers a password write with a failure and lets everything else through.
class PasswordRefusingRegistry final : public RegistryBackend {
public:
    explicit PasswordRefusingRegistry(std::shared_ptr<InMemoryRegistry> inner) : inner_(std::move(inner)) {}
    kern_return_t Open() override { return inner_->Open(); }
    bool HasNode(std::string_view path) override { return inner_->HasNode(path); }
    CFTypeRef CopyProperty(std::string_view path, std::string_view name) override {
        return inner_->CopyProperty(path, name);
    }
    kern_return_t SetProperty(std::string_view path, std::string_view name, CFTypeRef value) override;

private:
    std::shared_ptr<InMemoryRegistry> inner_;
};

// A loaded window over `backend`, with alerts recorded. Not yet launched.
class WindowHarness {
public:
    explicit WindowHarness(std::shared_ptr<RegistryBackend> backend);

    SecuritySettingsWindowController& controller() const { return *description.controller; }
    QWidget& window() const { return *description.window; }
    QLineEdit& newPassword() const { return *controller().mNewPasswordTextField; }
    QLineEdit& verifyPassword() const { return *controller().mVerifyPasswordTextField; }
    QComboBox& modePopup() const { return *controller().mSecurityModePopup; }
    QPushButton& saveButton() const { return *controller().mSaveButton; }
    AuthenticationButton& lockButton() const { return *controller().mAuthenticationButton; }

    // Finishes launching, as the application does before its event loop.
    void Launch();
    // Clicks the lock with an authority that answers `outcome`.
    void ClickLock(AuthorizationOutcome outcome = AuthorizationOutcome::kAuthorized);
    // Whether the fields, the pop-up and Save are all enabled (1), all disabled
    // (0), or mixed (-1).
    int ControlsEnabled() const;

    Application application;
    ScopedRegistryBackend registry;
    std::shared_ptr<RecordingAlertPresenter> alerts = std::make_shared<RecordingAlertPresenter>();
    ScopedAlertPresenter presenter{alerts};
    MainWindowDescription description;
};

// The test classes, selected by name in the test program's first argument.
QObject* MakeSecuritySettingsWindowTest();
QObject* MakeAuthenticationTest();
QObject* MakePolkitUnreachableTest();
QObject* MakePolkitServiceTest();
QObject* MakeLocalizationTest();

}  // namespace keelward
