// The controller of the security settings window: the application's delegate, the
// lock button's delegate and the Save button's target. It reaches the firmware
// only through the firmware security store.
#pragma once

#include "Application.h"
#include "AuthenticationButton.h"

#include <keelward/Base.h>

#include <QObject>

class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace keelward {

class SecuritySettingsWindowController final : public QObject,
                                               public ApplicationDelegate,
                                               public AuthenticationButtonDelegate {
    Q_OBJECT

public:
    explicit SecuritySettingsWindowController(QObject* parent = nullptr);

    // Outlets, connected when the window description is loaded; not owned.
    QWidget* mWindow = nullptr;
    AuthenticationButton* mAuthenticationButton = nullptr;
    QPushButton* mSaveButton = nullptr;
    QComboBox* mSecurityModePopup = nullptr;  // item index = SecurityMode
    QLineEdit* mNewPasswordTextField = nullptr;
    QLineEdit* mVerifyPasswordTextField = nullptr;

    // Shows the window locked; when the boot ROM does not know security modes,
    // says so and terminates the application.
    void applicationWillFinishLaunching() override;
    // Redraws the window.
    void awakeFromNib();

    // Unlocked: enables the controls, focuses the new password field and selects
    // the mode the firmware holds (the first item when it cannot be read).
    void authenticationSuccessfulForDomain(const AuthenticationDomain& domain, const QString& userName,
                                           const QString& password) override;
    // Locked: disables the controls, keeping their contents.
    void deauthenticated() override;

public slots:
    // Checks the entry, writes the mode and then the password, and shows one alert
    // for the outcome. Every copy of the password made here is wiped at the end.
    void SaveButtonClicked();

private:
    void SetControlsEnabled(bool enabled);
};

// Shows an error alert: the title is the localized "ErrorHasOccurredTitle" with
// `inErrorCode` in place of its integer conversion, the message is `inString`.
void ReportAnError(const QString& inString, SInt32 inErrorCode);

}  // namespace keelward
