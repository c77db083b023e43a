// The lock button with authorities of the tests' own, and the polkit authority
// against no bus at all and against a polkit service of the test's own on a
// private bus.
#include "WindowTestSupport.h"

#include "AuthenticationButton.h"
#include "Localization.h"
#include "PolkitAuthority.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

Q_DECLARE_METATYPE(keelward::AuthorizationOutcome)

namespace keelward {
namespace {

struct DelegateCalls final : AuthenticationButtonDelegate {
    void authenticationSuccessfulForDomain(const AuthenticationDomain& domain, const QString&,
                                           const QString&) override {
        ++unlocked;
        lastDomain = domain.name;
    }
    void deauthenticated() override { ++locked; }
    int unlocked = 0;
    int locked = 0;
    QString lastDomain;
};

// Answers only when the test says so.
class DeferredAuthority final : public Authority {
public:
    explicit DeferredAuthority(int* requests) : requests_(requests) {}
    void RequestAuthorization(Completion done) override {
        ++*requests_;
        pending = std::move(done);
    }
    QString DomainName() const override { return QStringLiteral("deferred"); }
    Completion pending;

private:
    int* requests_;
};

}  // namespace

class AuthenticationTest final : public QObject {
    Q_OBJECT

private slots:
    void onlyAnAuthorizationUnlocks_data() {
        QTest::addColumn<AuthorizationOutcome>("outcome");
        QTest::addColumn<bool>("unlocked");
        QTest::addColumn<QString>("alert");
        QTest::newRow("authorized") << AuthorizationOutcome::kAuthorized << true << QString();
        QTest::newRow("refused or cancelled") << AuthorizationOutcome::kDenied << false << QString();
        QTest::newRow("authority unreachable")
            << AuthorizationOutcome::kUnavailable << false << QStringLiteral("AuthorityUnavailableTitle");
    }
    void onlyAnAuthorizationUnlocks() {
        QFETCH(AuthorizationOutcome, outcome);
        QFETCH(bool, unlocked);
        QFETCH(QString, alert);
        auto alerts = std::make_shared<RecordingAlertPresenter>();
        const ScopedAlertPresenter presenter(alerts);
        AuthenticationButton button;
        DelegateCalls delegate;
        button.setDelegate(&delegate);
        int requests = 0;
        button.setAuthority(std::make_unique<ScriptedAuthority>(outcome, &requests));
        QCOMPARE(button.text(), QStringLiteral("LockedButtonText"));

        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(requests, 1);
        QCOMPARE(button.isAuthenticated(), unlocked);
        QCOMPARE(delegate.unlocked, unlocked ? 1 : 0);
        QCOMPARE(delegate.locked, 0);
        QCOMPARE(button.text(), unlocked ? QStringLiteral("UnlockedButtonText") : QStringLiteral("LockedButtonText"));
        if (unlocked) QCOMPARE(delegate.lastDomain, QStringLiteral("test"));
        QCOMPARE(alerts->alerts.size(), alert.isEmpty() ? std::size_t{0} : std::size_t{1});
        if (!alert.isEmpty()) {
            QCOMPARE(alerts->alerts.front().title, alert);
            QCOMPARE(alerts->alerts.front().message, QStringLiteral("AuthorityUnavailableExplanation"));
            QCOMPARE(alerts->alerts.front().button, QStringLiteral("OKButton"));
        }
    }

    void clickingWhileUnlockedLocksWithoutAsking() {
        AuthenticationButton button;
        DelegateCalls delegate;
        button.setDelegate(&delegate);
        int requests = 0;
        button.setAuthority(std::make_unique<ScriptedAuthority>(AuthorizationOutcome::kAuthorized, &requests));
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(requests, 1);
        QVERIFY(!button.isAuthenticated());
        QCOMPARE(delegate.unlocked, 1);
        QCOMPARE(delegate.locked, 1);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(requests, 2);
        QCOMPARE(delegate.unlocked, 2);
    }

    void clicksWhileTheAuthorityIsAskingAreIgnored() {
        AuthenticationButton button;
        DelegateCalls delegate;
        button.setDelegate(&delegate);
        int requests = 0;
        auto owned = std::make_unique<DeferredAuthority>(&requests);
        DeferredAuthority* authority = owned.get();
        button.setAuthority(std::move(owned));
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(button.isAuthorizing());
        QCOMPARE(requests, 1);
        QCOMPARE(delegate.unlocked + delegate.locked, 0);
        authority->pending(AuthorizationOutcome::kAuthorized);
        QVERIFY(button.isAuthenticated());
        QVERIFY(!button.isAuthorizing());
        QCOMPARE(delegate.unlocked, 1);
    }
};

// The real authority when the system bus cannot be reached.
class PolkitUnreachableTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/keelward-test/system_bus_socket");
    }

    void windowStaysLockedAndSaysWhy() {
        WindowHarness harness(InMemoryRegistry::Machine());
        harness.Launch();
        QTest::mouseClick(&harness.lockButton(), Qt::LeftButton);
        QTRY_COMPARE(harness.alerts->alerts.size(), std::size_t{1});
        QCOMPARE(harness.alerts->alerts.front().title, QStringLiteral("AuthorityUnavailableTitle"));
        QVERIFY(!harness.lockButton().isAuthenticated());
        QCOMPARE(harness.ControlsEnabled(), 0);
    }
};

// A polkit service of the test's own on a private bus that stands in for the
// system bus: it checks the call and answers as the test says.
class PolkitServiceTest final : public QObject {
    Q_OBJECT

    class FakePolkit final : public QDBusVirtualObject {
    public:
        QString introspect(const QString&) const override { return {}; }
        bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
            if (message.member() != QLatin1String("CheckAuthorization")) return false;
            ++calls;
            signature = message.signature();
            const QList<QVariant> arguments = message.arguments();
            if (arguments.size() == 5) {
                const QDBusArgument subject = arguments[0].value<QDBusArgument>();
                subject.beginStructure();
                subject >> subjectKind >> subjectDetails;
                subject.endStructure();
                action = arguments[1].toString();
                flags = arguments[3].toUInt();
            }
            if (!errorName.isEmpty()) {
                connection.send(message.createErrorReply(errorName, QStringLiteral("scripted")));
                return true;
            }
            QDBusArgument result;
            result.beginStructure();
            result << authorized << !authorized << QMap<QString, QString>();
            result.endStructure();
            connection.send(message.createReply(QVariant::fromValue(result)));
            return true;
        }

        bool authorized = false;
        QString errorName;
        int calls = 0;
        QString signature;
        QString subjectKind;
        QVariantMap subjectDetails;
        QString action;
        uint flags = 0;
    };

private slots:
    void initTestCase() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) QSKIP("dbus-daemon is not installed");
        bus_.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY(bus_.waitForStarted());
        QVERIFY(bus_.waitForReadyRead(10000));
        const QByteArray address = bus_.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);

        service_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("keelward-fake-polkit")));
        QVERIFY(service_->isConnected());
        QVERIFY(service_->registerVirtualObject(QStringLiteral("/org/freedesktop/PolicyKit1/Authority"), &polkit_,
                                         QDBusConnection::SingleNode));
        QVERIFY(service_->registerService(QStringLiteral("org.freedesktop.PolicyKit1")));
    }

    void cleanupTestCase() {
        if (service_) {
            service_->unregisterObject(QStringLiteral("/org/freedesktop/PolicyKit1/Authority"));
            service_.reset();
            QDBusConnection::disconnectFromBus(QStringLiteral("keelward-fake-polkit"));
        }
        if (bus_.state() != QProcess::NotRunning) {
            bus_.terminate();
            bus_.waitForFinished(5000);
        }
    }

    void asksForTheActionWithUserInteraction() {
        polkit_.authorized = true;
        polkit_.errorName.clear();
        WindowHarness harness(InMemoryRegistry::Machine());
        harness.Launch();
        QTest::mouseClick(&harness.lockButton(), Qt::LeftButton);
        QTRY_VERIFY(harness.lockButton().isAuthenticated());
        QCOMPARE(harness.ControlsEnabled(), 1);
        QCOMPARE(polkit_.signature, QStringLiteral("(sa{sv})sa{ss}us"));
        QCOMPARE(polkit_.action, QString::fromLatin1(kFirmwareSecurityAction));
        QCOMPARE(polkit_.flags, 1u);  // user interaction allowed
        QCOMPARE(polkit_.subjectKind, QStringLiteral("system-bus-name"));
        QCOMPARE(polkit_.subjectDetails.value(QStringLiteral("name")).toString(),
                 QDBusConnection::systemBus().baseService());
        QVERIFY(harness.alerts->alerts.empty());
    }

    void answersOtherThanYesKeepTheWindowLocked_data() {
        QTest::addColumn<QString>("errorName");
        QTest::addColumn<bool>("alert");
        QTest::newRow("not authorized") << QString() << false;
        QTest::newRow("prompt cancelled") << QStringLiteral("org.freedesktop.PolicyKit1.Error.Cancelled") << false;
        QTest::newRow("polkit failed") << QStringLiteral("org.freedesktop.PolicyKit1.Error.Failed") << true;
    }
    void answersOtherThanYesKeepTheWindowLocked() {
        QFETCH(QString, errorName);
        QFETCH(bool, alert);
        polkit_.authorized = false;
        polkit_.errorName = errorName;
        const int callsBefore = polkit_.calls;
        WindowHarness harness(InMemoryRegistry::Machine());
        harness.Launch();
        QTest::mouseClick(&harness.lockButton(), Qt::LeftButton);
        QTRY_VERIFY(!harness.lockButton().isAuthorizing());
        QCOMPARE(polkit_.calls, callsBefore + 1);
        QVERIFY(!harness.lockButton().isAuthenticated());
        QCOMPARE(harness.ControlsEnabled(), 0);
        QCOMPARE(harness.alerts->alerts.size(), alert ? std::size_t{1} : std::size_t{0});
        if (alert) QCOMPARE(harness.alerts->alerts.front().title, QStringLiteral("AuthorityUnavailableTitle"));
    }

    void noPolkitOnTheBusSaysSo() {
        QVERIFY(service_->unregisterService(QStringLiteral("org.freedesktop.PolicyKit1")));
        WindowHarness harness(InMemoryRegistry::Machine());
        harness.Launch();
        QTest::mouseClick(&harness.lockButton(), Qt::LeftButton);
        QTRY_COMPARE(harness.alerts->alerts.size(), std::size_t{1});
        QCOMPARE(harness.alerts->alerts.front().title, QStringLiteral("AuthorityUnavailableTitle"));
        QVERIFY(!harness.lockButton().isAuthenticated());
    }

private:
    QProcess bus_;
    std::unique_ptr<QDBusConnection> service_;
    FakePolkit polkit_;
};

QObject* MakeAuthenticationTest() { return new AuthenticationTest; }
QObject* MakePolkitUnreachableTest() { return new PolkitUnreachableTest; }
QObject* MakePolkitServiceTest() { return new PolkitServiceTest; }

}  // namespace keelward

#include "AuthenticationTest.moc"
