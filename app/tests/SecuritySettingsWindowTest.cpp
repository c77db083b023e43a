// The settings window driven as a user drives it, over an in-memory firmware. No
// translations are installed here, so every alert shows its keys.
#include "WindowTestSupport.h"

#include "FirmwareSecurityStore.h"
#include "Localization.h"

#include <QApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace keelward {
enum class WriteFailure { kNone, kAllWrites, kPasswordWrite };
}  // namespace keelward

Q_DECLARE_METATYPE(keelward::WriteFailure)
Q_DECLARE_METATYPE(std::optional<QByteArray>)

namespace keelward {
namespace {

constexpr char kOptions[] = "/options";

// The password as the firmware stores it: Mac OS Roman bytes, each exclusive-or 0x5D.
QByteArray Encoded(QByteArray macRoman) {
    for (char& byte : macRoman) byte = static_cast<char>(static_cast<UInt8>(byte) ^ 0x5D);
    return macRoman;
}

QByteArray Bytes(const std::optional<std::string>& value) {
    return value ? QByteArray(value->data(), static_cast<qsizetype>(value->size())) : QByteArray();
}

}  // namespace

class SecuritySettingsWindowTest final : public QObject {
    Q_OBJECT

private slots:
    void controlsStayDisabledUntilUnlockedAndAgainAfterLocking() {
        WindowHarness harness(InMemoryRegistry::Machine());
        QCOMPARE(harness.ControlsEnabled(), 1);  // as the window description sets them
        harness.Launch();
        QVERIFY(harness.window().isVisible());
        QCOMPARE(harness.ControlsEnabled(), 0);
        QVERIFY(harness.lockButton().isEnabled());
        QVERIFY(harness.alerts->alerts.empty());

        harness.ClickLock();
        QVERIFY(harness.lockButton().isAuthenticated());
        QCOMPARE(harness.ControlsEnabled(), 1);
        QCOMPARE(harness.window().focusWidget(), &harness.newPassword());

        harness.newPassword().setText(QStringLiteral("first"));
        harness.verifyPassword().setText(QStringLiteral("second"));
        harness.modePopup().setCurrentIndex(1);
        harness.ClickLock();
        QVERIFY(!harness.lockButton().isAuthenticated());
        QCOMPARE(harness.ControlsEnabled(), 0);
        QCOMPARE(harness.newPassword().text(), QStringLiteral("first"));
        QCOMPARE(harness.verifyPassword().text(), QStringLiteral("second"));
        QCOMPARE(harness.modePopup().currentIndex(), 1);
    }

    void refusedOrCancelledAuthenticationLeavesTheWindowLocked() {
        WindowHarness harness(InMemoryRegistry::Machine());
        harness.Launch();
        harness.ClickLock(AuthorizationOutcome::kDenied);
        QCOMPARE(harness.ControlsEnabled(), 0);
        QVERIFY(harness.alerts->alerts.empty());
    }

    void unlockingSelectsTheModeTheFirmwareHolds_data() {
        QTest::addColumn<std::optional<QByteArray>>("stored");
        QTest::addColumn<bool>("registryReachable");
        QTest::addColumn<int>("selected");
        QTest::newRow("full") << std::optional<QByteArray>("full") << true << 2;
        QTest::newRow("command") << std::optional<QByteArray>("command") << true << 1;
        QTest::newRow("none") << std::optional<QByteArray>("none") << true << 0;
        QTest::newRow("no variable") << std::optional<QByteArray>() << true << 0;
        QTest::newRow("other text") << std::optional<QByteArray>("Full") << true << 0;
        QTest::newRow("registry unreachable") << std::optional<QByteArray>("full") << false << 0;
    }
    void unlockingSelectsTheModeTheFirmwareHolds() {
        QFETCH(std::optional<QByteArray>, stored);
        QFETCH(bool, registryReachable);
        QFETCH(int, selected);
        auto registry = InMemoryRegistry::Machine();
        if (stored) registry->SetString(kOptions, kSecurityModeProperty, stored->toStdString());
        WindowHarness harness(registry);
        harness.Launch();
        harness.modePopup().setCurrentIndex(1);  // a selection the unlock must replace
        if (!registryReachable) registry->FailOpen(kIOReturnNotPermitted);
        harness.ClickLock();
        QCOMPARE(harness.modePopup().currentIndex(), selected);
        QVERIFY(harness.alerts->alerts.empty());
    }

    void saveShowsOneAlertAndWritesWhatItReached_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<int>("mode");
        QTest::addColumn<WriteFailure>("failure");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("storedMode");      // empty: not written
        QTest::addColumn<QByteArray>("storedPassword");  // empty: not written

        const QString ok = QStringLiteral("Open Sesame");
        QTest::newRow("texts differ") << ok << QStringLiteral("Open Sesame!") << 2 << WriteFailure::kNone
                                      << "NonmatchingPasswordTitle" << "NonmatchingPasswordExplanation"
                                      << QByteArray() << QByteArray();
        QTest::newRow("texts differ in case only")
            << ok << QStringLiteral("open sesame") << 2 << WriteFailure::kNone << "NonmatchingPasswordTitle"
            << "NonmatchingPasswordExplanation" << QByteArray() << QByteArray();
        QTest::newRow("mode write fails") << ok << ok << 2 << WriteFailure::kAllWrites << "FailedToSaveTitle"
                                          << "FailedToSaveExplanation" << QByteArray() << QByteArray();
        QTest::newRow("both empty, mode none")
            << QString() << QString() << 0 << WriteFailure::kNone << "PasswordTooShortTitle"
            << "PasswordTooShortExplanation" << QByteArray("none") << QByteArray();
        QTest::newRow("one byte") << QStringLiteral("x") << QStringLiteral("x") << 1 << WriteFailure::kNone
                                  << "PasswordTooShortTitle" << "PasswordTooShortExplanation"
                                  << QByteArray("command") << QByteArray();
        QTest::newRow("character without a Mac OS Roman byte")
            << QStringLiteral("ab\u2713") << QStringLiteral("ab\u2713") << 2 << WriteFailure::kNone
            << "PasswordInvalidTitle" << "PasswordInvalidExplanation" << QByteArray("full") << QByteArray();
        QTest::newRow("character beyond the BMP")
            << QStringLiteral("ab\U0001F511") << QStringLiteral("ab\U0001F511") << 2 << WriteFailure::kNone
            << "PasswordInvalidTitle" << "PasswordInvalidExplanation" << QByteArray("full") << QByteArray();
        QTest::newRow("the mask byte") << QStringLiteral("a]b") << QStringLiteral("a]b") << 2 << WriteFailure::kNone
                                       << "PasswordInvalidTitle" << "PasswordInvalidExplanation"
                                       << QByteArray("full") << QByteArray();
        QTest::newRow("password write fails")
            << ok << ok << 2 << WriteFailure::kPasswordWrite << "FailedToSaveTitle" << "FailedToSaveExplanation"
            << QByteArray("full") << QByteArray();
        QTest::newRow("two bytes") << QStringLiteral("ab") << QStringLiteral("ab") << 0 << WriteFailure::kNone
                                   << "SaveSucceededTitle" << "SaveSucceededExplanation" << QByteArray("none")
                                   << Encoded("ab");
        QTest::newRow("Mac OS Roman, not Latin-1 or UTF-8")
            << QStringLiteral("\u00e9\u20ac\u03a9") << QStringLiteral("\u00e9\u20ac\u03a9") << 1 << WriteFailure::kNone
            << "SaveSucceededTitle" << "SaveSucceededExplanation" << QByteArray("command")
            << Encoded("\x8e\xdb\xbd");
        QTest::newRow("combining accent composed")
            << QStringLiteral("e\u0301t\u00e9") << QStringLiteral("e\u0301t\u00e9") << 2 << WriteFailure::kNone
            << "SaveSucceededTitle" << "SaveSucceededExplanation" << QByteArray("full")
            << Encoded("\x8et\x8e");
    }
    void saveShowsOneAlertAndWritesWhatItReached() {
        QFETCH(QString, password);
        QFETCH(QString, confirmation);
        QFETCH(int, mode);
        QFETCH(WriteFailure, failure);
        QFETCH(QString, title);
        QFETCH(QString, message);
        QFETCH(QByteArray, storedMode);
        QFETCH(QByteArray, storedPassword);

        auto registry = InMemoryRegistry::Machine();
        std::shared_ptr<RegistryBackend> backend = registry;
        if (failure == WriteFailure::kPasswordWrite) backend = std::make_shared<PasswordRefusingRegistry>(registry);
        WindowHarness harness(backend);
        harness.Launch();
        harness.ClickLock();
        if (failure == WriteFailure::kAllWrites) registry->FailWrites(kIOReturnNotPermitted);
        harness.modePopup().setCurrentIndex(mode);
        harness.newPassword().setText(password);
        harness.verifyPassword().setText(confirmation);
        harness.verifyPassword().setFocus();

        // What the firmware holds while the alert is up.
        std::vector<std::string> writtenWhileShown;
        harness.alerts->whileShown = [&] { writtenWhileShown = registry->WrittenNames(); };
        harness.saveButton().click();

        QCOMPARE(harness.alerts->alerts.size(), std::size_t{1});
        const ShownAlert& alert = harness.alerts->alerts.front();
        QCOMPARE(alert.title, title);
        QCOMPARE(alert.message, message);
        QCOMPARE(alert.button, QStringLiteral("OKButton"));

        std::vector<std::string> expectedWrites;
        if (!storedMode.isEmpty()) expectedWrites.emplace_back(kSecurityModeProperty);
        if (!storedPassword.isEmpty()) expectedWrites.emplace_back(kSecurityPasswordProperty);
        QCOMPARE(writtenWhileShown, expectedWrites);
        QCOMPARE(Bytes(registry->StringValue(kOptions, kSecurityModeProperty)), storedMode);
        QCOMPARE(Bytes(registry->StringValue(kOptions, kSecurityPasswordProperty)), storedPassword);

        // Whatever the outcome, the window is left as the user had it.
        QCOMPARE(harness.newPassword().text(), password);
        QCOMPARE(harness.verifyPassword().text(), confirmation);
        QCOMPARE(harness.modePopup().currentIndex(), mode);
        QCOMPARE(harness.ControlsEnabled(), 1);
        QCOMPARE(harness.window().focusWidget(), &harness.verifyPassword());
    }

    // The whole road to the firmware image the shipped program writes.
    void saveReachesTheFirmwareImage() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        qputenv("KEELWARD_NVRAM", folder.filePath(QStringLiteral("nvram")).toLocal8Bit());
        const auto restore = qScopeGuard([] { qunsetenv("KEELWARD_NVRAM"); });
        {
            WindowHarness harness(MakeFirmwareRegistry());
            harness.Launch();
            QVERIFY(harness.alerts->alerts.empty());  // the built-in boot ROM knows security modes
            harness.ClickLock();
            harness.modePopup().setCurrentIndex(1);
            harness.newPassword().setText(QStringLiteral("Kapit\u00e4n"));
            harness.verifyPassword().setText(QStringLiteral("Kapit\u00e4n"));
            harness.saveButton().click();
            QCOMPARE(harness.alerts->alerts.size(), std::size_t{1});
            QCOMPARE(harness.alerts->alerts.front().title, QStringLiteral("SaveSucceededTitle"));
        }
        const CFOwned<CFTypeRef> stored(MakeFirmwareRegistry()->CopyProperty(kOptions, kSecurityPasswordProperty));
        QVERIFY(stored && CFGetTypeID(stored.get()) == CFDataGetTypeID());
        const auto data = static_cast<CFDataRef>(stored.get());
        const QByteArray text(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), CFDataGetLength(data));
        QCOMPARE(text, Encoded("Kapit\x8a" "n"));

        // A window opened later reads the saved mode back from the image.
        WindowHarness later(MakeFirmwareRegistry());
        later.Launch();
        later.ClickLock();
        QCOMPARE(later.modePopup().currentIndex(), 1);
    }

    void returnInAPasswordFieldSaves() {
        auto registry = InMemoryRegistry::Machine();
        WindowHarness harness(registry);
        harness.Launch();
        harness.ClickLock();
        harness.newPassword().setText(QStringLiteral("secret"));
        harness.verifyPassword().setText(QStringLiteral("secret"));
        QTest::keyClick(&harness.verifyPassword(), Qt::Key_Return);
        QCOMPARE(harness.alerts->alerts.size(), std::size_t{1});
        QCOMPARE(harness.alerts->alerts.front().title, QStringLiteral("SaveSucceededTitle"));

        // Locked, Return does nothing.
        harness.ClickLock();
        QTest::keyClick(&harness.verifyPassword(), Qt::Key_Return);
        QCOMPARE(harness.alerts->alerts.size(), std::size_t{1});
    }

    void oldBootROMSaysSoAndQuitsWithNoControlEverEnabled() {
        WindowHarness harness(InMemoryRegistry::Machine(false));
        bool enabledWhileShown = true;
        harness.alerts->whileShown = [&] { enabledWhileShown = harness.ControlsEnabled() != 0; };
        QCOMPARE(harness.application.run(), 0);  // terminated before the event loop
        QVERIFY(harness.application.isTerminating());
        QCOMPARE(harness.alerts->alerts.size(), std::size_t{1});
        QCOMPARE(harness.alerts->alerts.front().title, QStringLiteral("BootROMTooOldTitle"));
        QCOMPARE(harness.alerts->alerts.front().message, QStringLiteral("BootROMTooOldExplanation"));
        QVERIFY(!enabledWhileShown);
        QCOMPARE(harness.ControlsEnabled(), 0);
        QVERIFY(!harness.window().isVisible());
    }

    void windowIsReadyForKeyboardUse() {
        WindowHarness harness(InMemoryRegistry::Machine());
        harness.Launch();
        harness.ClickLock();
        QVERIFY(harness.saveButton().isDefault());
        QCOMPARE(harness.newPassword().echoMode(), QLineEdit::Password);
        QCOMPARE(harness.verifyPassword().echoMode(), QLineEdit::Password);
        QCOMPARE(harness.modePopup().count(), 3);

        // Tab goes through the controls from top to bottom, then to the lock.
        const QWidget* expected[] = {&harness.modePopup(), &harness.newPassword(), &harness.verifyPassword(),
                                     &harness.saveButton(), &harness.lockButton()};
        const QWidget* widget = expected[0];
        for (const QWidget* next : {expected[1], expected[2], expected[3], expected[4], expected[0]}) {
            do {
                widget = widget->nextInFocusChain();
            } while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isEnabled());
            QCOMPARE(widget, next);
        }

        // Every field has a label that moves the focus to it.
        for (QWidget* field : {static_cast<QWidget*>(&harness.modePopup()), static_cast<QWidget*>(&harness.newPassword()),
                               static_cast<QWidget*>(&harness.verifyPassword())}) {
            bool labelled = false;
            for (const QLabel* label : harness.window().findChildren<QLabel*>()) labelled |= label->buddy() == field;
            QVERIFY2(labelled, qPrintable(field->objectName()));
        }
    }
};

QObject* MakeSecuritySettingsWindowTest() { return new SecuritySettingsWindowTest; }

}  // namespace keelward

#include "SecuritySettingsWindowTest.moc"
