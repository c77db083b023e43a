// The lock that guards the window's controls. Clicking it while locked asks its
// authority; only an authorization unlocks it. Clicking it while unlocked locks it.
// Its delegate hears of both changes.
#pragma once

#include "Authority.h"

#include <QString>
#include <QToolButton>

#include <memory>

namespace keelward {

// The directory domain an administrator authenticated in: here, what the
// authority authorized.
struct AuthenticationDomain {
    QString name;
};

class AuthenticationButtonDelegate {
public:
    virtual ~AuthenticationButtonDelegate() = default;
    // The button has been unlocked after a successful authentication. The user
    // name and password are empty when the authority does not disclose them.
    virtual void authenticationSuccessfulForDomain(const AuthenticationDomain& domain, const QString& userName,
                                                   const QString& password) = 0;
    // The button has been locked again.
    virtual void deauthenticated() = 0;
};

class AuthenticationButton final : public QToolButton {
    Q_OBJECT

public:
    // Starts locked, asking the system's authority (polkit).
    explicit AuthenticationButton(QWidget* parent = nullptr);
    ~AuthenticationButton() override;

    void setDelegate(AuthenticationButtonDelegate* delegate) { delegate_ = delegate; }
    AuthenticationButtonDelegate* delegate() const { return delegate_; }

    // Replaces the authority asked on the next click (tests; a request still
    // pending is dropped). Must not be null.
    void setAuthority(std::unique_ptr<Authority> authority);

    bool isAuthenticated() const { return authenticated_; }
    // Whether a request to the authority is waiting for its answer.
    bool isAuthorizing() const { return authorizing_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void Toggle();
    void Finish(AuthorizationOutcome outcome);
    void UpdateAppearance();

    std::unique_ptr<Authority> authority_;
    AuthenticationButtonDelegate* delegate_ = nullptr;
    bool authenticated_ = false;
    bool authorizing_ = false;
};

}  // namespace keelward
