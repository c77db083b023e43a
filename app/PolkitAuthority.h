// The system's authority: polkit, asked over the system D-Bus whether this process
// may perform kFirmwareSecurityAction (administrator authentication, kept for a
// short time; see org.keelward.Keelward.policy).
#pragma once

#include "Authority.h"

#include <QObject>
#include <QPointer>

class QDBusPendingCallWatcher;

namespace keelward {

inline constexpr char kFirmwareSecurityAction[] = "org.keelward.Keelward.change-firmware-security";

class PolkitAuthority final : public QObject, public Authority {
    Q_OBJECT

public:
    explicit PolkitAuthority(QObject* parent = nullptr);
    // Cancels a request still waiting for the user.
    ~PolkitAuthority() override;

    // Calls CheckAuthorization with user interaction allowed. A refusal, a
    // dismissed prompt and a cancellation are kDenied; no system bus, no polkit
    // service or any other error reply is kUnavailable. A request made while one
    // is pending is answered kDenied at once.
    void RequestAuthorization(Completion done) override;
    QString DomainName() const override;

private:
    void Finish(QDBusPendingCallWatcher* watcher);

    QPointer<QDBusPendingCallWatcher> pending_;
    Completion done_;
    QString cancellationId_;
};

}  // namespace keelward
