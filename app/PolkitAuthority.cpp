#include "PolkitAuthority.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMap>
#include <QUuid>
#include <QVariantMap>

#include <limits>

namespace keelward {
namespace {

constexpr char kPolkitService[] = "org.freedesktop.PolicyKit1";
constexpr char kPolkitPath[] = "/org/freedesktop/PolicyKit1/Authority";
constexpr char kPolkitInterface[] = "org.freedesktop.PolicyKit1.Authority";
constexpr char kPolkitCancelledError[] = "org.freedesktop.PolicyKit1.Error.Cancelled";
constexpr uint kAllowUserInteraction = 0x1;
// The user may take as long as they like over the password prompt.
constexpr int kNoTimeout = std::numeric_limits<int>::max();

}  // namespace

// polkit's subject, (sa{sv}), and authorization result, (bba{ss}).
struct PolkitSubject {
    QString kind;
    QVariantMap details;
};
struct PolkitAuthorizationResult {
    bool isAuthorized = false;
    bool isChallenge = false;
    QMap<QString, QString> details;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PolkitSubject& subject) {
    argument.beginStructure();
    argument << subject.kind << subject.details;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, PolkitSubject& subject) {
    argument.beginStructure();
    argument >> subject.kind >> subject.details;
    argument.endStructure();
    return argument;
}
QDBusArgument& operator<<(QDBusArgument& argument, const PolkitAuthorizationResult& result) {
    argument.beginStructure();
    argument << result.isAuthorized << result.isChallenge << result.details;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, PolkitAuthorizationResult& result) {
    argument.beginStructure();
    argument >> result.isAuthorized >> result.isChallenge >> result.details;
    argument.endStructure();
    return argument;
}

}  // namespace keelward

Q_DECLARE_METATYPE(keelward::PolkitSubject)
Q_DECLARE_METATYPE(keelward::PolkitAuthorizationResult)

namespace keelward {

PolkitAuthority::PolkitAuthority(QObject* parent) : QObject(parent) {
    qDBusRegisterMetaType<PolkitSubject>();
    qDBusRegisterMetaType<PolkitAuthorizationResult>();
    qDBusRegisterMetaType<QMap<QString, QString>>();
}

PolkitAuthority::~PolkitAuthority() {
    if (pending_ == nullptr) return;
    QDBusMessage cancel = QDBusMessage::createMethodCall(
        QString::fromLatin1(kPolkitService), QString::fromLatin1(kPolkitPath),
        QString::fromLatin1(kPolkitInterface), QStringLiteral("CancelCheckAuthorization"));
    cancel << cancellationId_;
    QDBusConnection::systemBus().call(cancel, QDBus::NoBlock);
}

QString PolkitAuthority::DomainName() const { return QString::fromLatin1(kFirmwareSecurityAction); }

void PolkitAuthority::RequestAuthorization(Completion done) {
    if (pending_ != nullptr) {
        done(AuthorizationOutcome::kDenied);
        return;
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        done(AuthorizationOutcome::kUnavailable);
        return;
    }

    // The subject is this process, named by its unique connection on the bus, which
    // polkit resolves to the process and its session itself.
    const PolkitSubject subject{QStringLiteral("system-bus-name"),
                                {{QStringLiteral("name"), bus.baseService()}}};
    cancellationId_ = QUuid::createUuid().toString(QUuid::WithoutBraces);

    QDBusMessage check = QDBusMessage::createMethodCall(
        QString::fromLatin1(kPolkitService), QString::fromLatin1(kPolkitPath),
        QString::fromLatin1(kPolkitInterface), QStringLiteral("CheckAuthorization"));
    check << QVariant::fromValue(subject) << QString::fromLatin1(kFirmwareSecurityAction)
          << QVariant::fromValue(QMap<QString, QString>()) << kAllowUserInteraction << cancellationId_;
    check.setInteractiveAuthorizationAllowed(true);

    done_ = std::move(done);
    pending_ = new QDBusPendingCallWatcher(bus.asyncCall(check, kNoTimeout), this);
    connect(pending_, &QDBusPendingCallWatcher::finished, this, &PolkitAuthority::Finish);
}

void PolkitAuthority::Finish(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    pending_ = nullptr;
    const QDBusPendingReply<PolkitAuthorizationResult> reply = *watcher;
    AuthorizationOutcome outcome = AuthorizationOutcome::kDenied;
    if (reply.isError()) {
        if (reply.error().name() != QLatin1String(kPolkitCancelledError)) {
            outcome = AuthorizationOutcome::kUnavailable;
        }
    } else if (reply.value().isAuthorized) {
        outcome = AuthorizationOutcome::kAuthorized;
    }
    Completion done = std::move(done_);
    done_ = nullptr;
    if (done) done(outcome);
}

}  // namespace keelward
