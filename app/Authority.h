// Who decides whether the user may change the firmware security settings.
#pragma once

#include <QString>

#include <functional>

namespace keelward {

enum class AuthorizationOutcome {
    kAuthorized,   // an administrator has authenticated
    kDenied,       // refused, or the user cancelled the prompt
    kUnavailable,  // the authority could not be reached or failed
};

class Authority {
public:
    using Completion = std::function<void(AuthorizationOutcome)>;

    virtual ~Authority() = default;
    // Asks for authorization, letting the authority prompt the user. `done` is
    // called once on the main thread, possibly before this returns; it is never
    // called after the authority has been destroyed.
    virtual void RequestAuthorization(Completion done) = 0;
    // The name of what is authorized (handed to the lock button's delegate).
    virtual QString DomainName() const = 0;
};

}  // namespace keelward
