#include "WindowTestSupport.h"

#include "FirmwareSecurityStore.h"

#include <keelward/platform/CoreFoundation/CoreFoundation.h>

namespace keelward {

void RecordingAlertPresenter::RunAlertPanel(const QString& title, const QString& message,
                                            const QString& defaultButton) {
    alerts.push_back({title, message, defaultButton});
    if (whileShown) whileShown();
}

void ScriptedAuthority::RequestAuthorization(Completion done) {
    if (requests_ != nullptr) ++*requests_;
    done(outcome_);
}

kern_return_t PasswordRefusingRegistry::SetProperty(std::string_view path, std::string_view name, CFTypeRef value) {
    if (name == kSecurityPasswordProperty) return kIOReturnNotPermitted;
    return inner_->SetProperty(path, name, value);
}

WindowHarness::WindowHarness(std::shared_ptr<RegistryBackend> backend)
    : registry(std::move(backend)), description(LoadMainWindowDescription()) {}

void WindowHarness::Launch() {
    ApplicationDelegate* delegate = application.delegate();
    if (delegate != nullptr) delegate->applicationWillFinishLaunching();
}

void WindowHarness::ClickLock(AuthorizationOutcome outcome) {
    lockButton().setAuthority(std::make_unique<ScriptedAuthority>(outcome));
    lockButton().click();
}

int WindowHarness::ControlsEnabled() const {
    const bool states[] = {newPassword().isEnabled(), verifyPassword().isEnabled(), modePopup().isEnabled(),
                           saveButton().isEnabled()};
    bool all = true;
    bool none = true;
    for (const bool enabled : states) {
        all = all && enabled;
        none = none && !enabled;
    }
    return all ? 1 : none ? 0 : -1;
}

}  // namespace keelward
