#include "SecuritySettingsWindowController.h"

#include "Alerts.h"
#include "FirmwareSecurityStore.h"
#include "Localization.h"

#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string.h>  // explicit_bzero

namespace keelward {
namespace {

constexpr std::size_t kPasswordBufferSize = 100;
constexpr std::size_t kMinimumPasswordLength = 2;

void ShowAlert(const char* titleKey, const char* messageKey) {
    RunAlertPanel(LocalizedString(titleKey), LocalizedString(messageKey), LocalizedString(kOKButton));
}

// Wipes a buffer at scope end, in a way the compiler may not drop.
class WipeOnExit {
public:
    WipeOnExit(void* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
    ~WipeOnExit() { explicit_bzero(bytes_, size_); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    void* bytes_;
    std::size_t size_;
};

// Converts `text` into Mac OS Roman in `buffer`, NUL-terminated, cutting it to
// `bufferSize - 1` bytes. Returns the byte count, or nothing when a character
// within those bytes has no Mac OS Roman byte (or is a NUL, which would end the
// password early). Each character is looked up on its own, so no copy of the
// text is made anywhere else.
std::optional<std::size_t> ConvertToMacRoman(QStringView text, char* buffer, std::size_t bufferSize) {
    const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(text.size()), bufferSize - 1);
    for (std::size_t i = 0; i < length; ++i) {
        const std::optional<UInt8> byte = CFUnicodeToMacRoman(text[static_cast<qsizetype>(i)].unicode());
        if (!byte || *byte == 0) return std::nullopt;
        buffer[i] = static_cast<char>(*byte);
    }
    buffer[length] = '\0';
    return length;
}

}  // namespace

SecuritySettingsWindowController::SecuritySettingsWindowController(QObject* parent) : QObject(parent) {}

void SecuritySettingsWindowController::applicationWillFinishLaunching() {
    if (Application* application = Application::Shared()) application->setDelegate(this);
    mWindow->show();
    mWindow->activateWindow();
    mAuthenticationButton->setDelegate(this);
    SetControlsEnabled(false);
    if (!HasRecentBootROM()) {
        ShowAlert(kBootROMTooOldTitle, kBootROMTooOldExplanation);
        if (Application* application = Application::Shared()) application->terminate(this);
    }
}

void SecuritySettingsWindowController::awakeFromNib() { mWindow->update(); }

void SecuritySettingsWindowController::SaveButtonClicked() {
    const QString newPWString = mNewPasswordTextField->text();
    const QString confirmPWString = mVerifyPasswordTextField->text();
    char passwordCString[kPasswordBufferSize] = {};
    const WipeOnExit wipePassword(passwordCString, sizeof passwordCString);

    if (newPWString.compare(confirmPWString, Qt::CaseSensitive) != 0) {
        ShowAlert(kNonmatchingPasswordTitle, kNonmatchingPasswordExplanation);
        return;
    }

    const UInt8 mode = static_cast<UInt8>(mSecurityModePopup->currentIndex());
    if (SaveMode(mode) != 0) {
        ShowAlert(kFailedToSaveTitle, kFailedToSaveExplanation);
        return;
    }

    // An accented letter typed as a letter and a combining mark is still one Mac OS
    // Roman character. The composed copy is ours and is wiped with the rest.
    QString composed = newPWString.normalized(QString::NormalizationForm_C);
    const bool composedIsCopy = composed.constData() != newPWString.constData();
    const auto wipeComposed = qScopeGuard([&composed, composedIsCopy] {
        if (composedIsCopy && !composed.isEmpty()) explicit_bzero(composed.data(), composed.size() * sizeof(QChar));
    });

    const std::optional<std::size_t> length = ConvertToMacRoman(composed, passwordCString, sizeof passwordCString);
    if (!length) {
        ShowAlert(kPasswordInvalidTitle, kPasswordInvalidExplanation);
        return;
    }
    if (*length < kMinimumPasswordLength) {
        ShowAlert(kPasswordTooShortTitle, kPasswordTooShortExplanation);
        return;
    }
    // The firmware keeps the password as text, so the byte that encodes to a NUL
    // would cut it short; the store refuses it.
    if (std::memchr(passwordCString, kPasswordMask, *length) != nullptr) {
        ShowAlert(kPasswordInvalidTitle, kPasswordInvalidExplanation);
        return;
    }

    if (SavePassword(static_cast<UInt32>(*length), passwordCString) != 0) {
        ShowAlert(kFailedToSaveTitle, kFailedToSaveExplanation);
    } else {
        ShowAlert(kSaveSucceededTitle, kSaveSucceededExplanation);
    }
}

void SecuritySettingsWindowController::authenticationSuccessfulForDomain(const AuthenticationDomain& /*domain*/,
                                                                         const QString& /*userName*/,
                                                                         const QString& /*password*/) {
    SetControlsEnabled(true);
    mNewPasswordTextField->setFocus(Qt::OtherFocusReason);
    UInt32 mode = kNoSecurityMode;
    if (GetSecurityMode(&mode) != 0) {
        mSecurityModePopup->setCurrentIndex(0);
    } else {
        mSecurityModePopup->setCurrentIndex(static_cast<int>(mode));
    }
}

void SecuritySettingsWindowController::deauthenticated() { SetControlsEnabled(false); }

void SecuritySettingsWindowController::SetControlsEnabled(bool enabled) {
    mNewPasswordTextField->setEnabled(enabled);
    mVerifyPasswordTextField->setEnabled(enabled);
    mSecurityModePopup->setEnabled(enabled);
    mSaveButton->setEnabled(enabled);
}

void ReportAnError(const QString& inString, SInt32 inErrorCode) {
    RunAlertPanel(SubstituteErrorCode(LocalizedString(kErrorHasOccurredTitle), inErrorCode), inString,
                  LocalizedString(kOKButton));
}

}  // namespace keelward
