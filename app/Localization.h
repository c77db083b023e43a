// The application's localized string table: every text the user sees is looked up
// by a key, and a key that the table lacks shows as the key itself.
#pragma once

#include <keelward/Base.h>

#include <QCoreApplication>
#include <QLocale>
#include <QString>

#include <array>

namespace keelward {

// The translation context that holds the alert texts and the lock button's texts.
inline constexpr char kStringTableContext[] = "Localizable";

// Keys of the string table (marked for lupdate).
inline constexpr char kOKButton[] = QT_TRANSLATE_NOOP("Localizable", "OKButton");
inline constexpr char kBootROMTooOldTitle[] = QT_TRANSLATE_NOOP("Localizable", "BootROMTooOldTitle");
inline constexpr char kBootROMTooOldExplanation[] = QT_TRANSLATE_NOOP("Localizable", "BootROMTooOldExplanation");
inline constexpr char kNonmatchingPasswordTitle[] = QT_TRANSLATE_NOOP("Localizable", "NonmatchingPasswordTitle");
inline constexpr char kNonmatchingPasswordExplanation[] = QT_TRANSLATE_NOOP("Localizable", "NonmatchingPasswordExplanation");
inline constexpr char kFailedToSaveTitle[] = QT_TRANSLATE_NOOP("Localizable", "FailedToSaveTitle");
inline constexpr char kFailedToSaveExplanation[] = QT_TRANSLATE_NOOP("Localizable", "FailedToSaveExplanation");
inline constexpr char kPasswordTooShortTitle[] = QT_TRANSLATE_NOOP("Localizable", "PasswordTooShortTitle");
inline constexpr char kPasswordTooShortExplanation[] = QT_TRANSLATE_NOOP("Localizable", "PasswordTooShortExplanation");
inline constexpr char kPasswordInvalidTitle[] = QT_TRANSLATE_NOOP("Localizable", "PasswordInvalidTitle");
inline constexpr char kPasswordInvalidExplanation[] = QT_TRANSLATE_NOOP("Localizable", "PasswordInvalidExplanation");
inline constexpr char kSaveSucceededTitle[] = QT_TRANSLATE_NOOP("Localizable", "SaveSucceededTitle");
inline constexpr char kSaveSucceededExplanation[] = QT_TRANSLATE_NOOP("Localizable", "SaveSucceededExplanation");
inline constexpr char kErrorHasOccurredTitle[] = QT_TRANSLATE_NOOP("Localizable", "ErrorHasOccurredTitle");
inline constexpr char kAuthorityUnavailableTitle[] = QT_TRANSLATE_NOOP("Localizable", "AuthorityUnavailableTitle");
inline constexpr char kAuthorityUnavailableExplanation[] = QT_TRANSLATE_NOOP("Localizable", "AuthorityUnavailableExplanation");
inline constexpr char kLockedButtonText[] = QT_TRANSLATE_NOOP("Localizable", "LockedButtonText");
inline constexpr char kUnlockedButtonText[] = QT_TRANSLATE_NOOP("Localizable", "UnlockedButtonText");
inline constexpr char kLockedButtonAccessibleName[] = QT_TRANSLATE_NOOP("Localizable", "LockedButtonAccessibleName");
inline constexpr char kUnlockedButtonAccessibleName[] = QT_TRANSLATE_NOOP("Localizable", "UnlockedButtonAccessibleName");

// Every key of kStringTableContext; each translation provides a text for all of them.
inline constexpr std::array<const char*, 20> kStringTableKeys = {
    kOKButton,
    kBootROMTooOldTitle,
    kBootROMTooOldExplanation,
    kNonmatchingPasswordTitle,
    kNonmatchingPasswordExplanation,
    kFailedToSaveTitle,
    kFailedToSaveExplanation,
    kPasswordTooShortTitle,
    kPasswordTooShortExplanation,
    kPasswordInvalidTitle,
    kPasswordInvalidExplanation,
    kSaveSucceededTitle,
    kSaveSucceededExplanation,
    kErrorHasOccurredTitle,
    kAuthorityUnavailableTitle,
    kAuthorityUnavailableExplanation,
    kLockedButtonText,
    kUnlockedButtonText,
    kLockedButtonAccessibleName,
    kUnlockedButtonAccessibleName,
};

// The text of `key` in the installed translations; the key itself when none has it.
QString LocalizedString(const char* key);

// `format` with every integer conversion ("%d", "%i", "%ld", "%1$d", ...) replaced by
// the decimal `code` and "%%" by "%". Every other character, any other conversion
// ("%s", "%n", a lone "%") included, stays as it is: a table entry can never make
// the program read an argument that is not there.
QString SubstituteErrorCode(const QString& format, SInt32 code);

// The folder holding the compiled translations (keelward_<language>.qm): beside the
// program in a build tree, under share/keelward/translations once installed. Empty
// when there is none.
QString TranslationsDirectory();

// Installs, on the running application, the English table as the base and the
// table for `locale`'s languages above it, with Qt's own texts for that locale.
// Must run before the first window is created.
void InstallTranslations(const QLocale& locale = QLocale());

}  // namespace keelward
