#include "AuthenticationButton.h"

#include "Alerts.h"
#include "Localization.h"
#include "PolkitAuthority.h"

#include <QEvent>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace keelward {
namespace {

constexpr int kIconSize = 32;

// A padlock drawn in the palette's text colour, for desktops whose icon theme has
// no lock icons.
QIcon DrawnPadlock(bool open, const QColor& color) {
    QIcon icon;
    for (const int size : {16, 22, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = size / 16.0;
        const QRectF body(3 * unit, 7 * unit, 10 * unit, 8 * unit);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRoundedRect(body, 1.5 * unit, 1.5 * unit);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(color, 1.6 * unit, Qt::SolidLine, Qt::FlatCap));
        // The shackle; an open lock lifts its left leg out of the body.
        QPainterPath shackle;
        const qreal lift = open ? 2 * unit : 0;
        shackle.moveTo(5 * unit, (open ? 4.5 * unit : 7 * unit) - lift);
        shackle.lineTo(5 * unit, 4.5 * unit - lift);
        shackle.arcTo(QRectF(5 * unit, 1.5 * unit - lift, 6 * unit, 6 * unit), 180, -180);
        shackle.lineTo(11 * unit, 7 * unit);
        painter.drawPath(shackle);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

AuthenticationButton::AuthenticationButton(QWidget* parent)
    : QToolButton(parent), authority_(std::make_unique<PolkitAuthority>()) {
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setAutoRaise(true);
    setIconSize(QSize(kIconSize, kIconSize));
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QToolButton::clicked, this, &AuthenticationButton::Toggle);
    UpdateAppearance();
}

AuthenticationButton::~AuthenticationButton() = default;

void AuthenticationButton::setAuthority(std::unique_ptr<Authority> authority) {
    authorizing_ = false;
    authority_ = std::move(authority);
}

void AuthenticationButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::PaletteChange) UpdateAppearance();
    QToolButton::changeEvent(event);
}

void AuthenticationButton::Toggle() {
    if (authorizing_) return;
    if (authenticated_) {
        authenticated_ = false;
        UpdateAppearance();
        if (delegate_ != nullptr) delegate_->deauthenticated();
        return;
    }
    authorizing_ = true;
    // The authority is owned by this button, so its answer never outlives it.
    Authority* asked = authority_.get();
    authority_->RequestAuthorization([this, asked](AuthorizationOutcome outcome) {
        if (asked == authority_.get()) Finish(outcome);
    });
}

void AuthenticationButton::Finish(AuthorizationOutcome outcome) {
    authorizing_ = false;
    switch (outcome) {
        case AuthorizationOutcome::kAuthorized:
            authenticated_ = true;
            UpdateAppearance();
            if (delegate_ != nullptr) {
                delegate_->authenticationSuccessfulForDomain(AuthenticationDomain{authority_->DomainName()},
                                                             QString(), QString());
            }
            break;
        case AuthorizationOutcome::kDenied:
            break;
        case AuthorizationOutcome::kUnavailable:
            RunAlertPanel(LocalizedString(kAuthorityUnavailableTitle),
                          LocalizedString(kAuthorityUnavailableExplanation), LocalizedString(kOKButton));
            break;
    }
}

void AuthenticationButton::UpdateAppearance() {
    const QColor color = palette().color(QPalette::ButtonText);
    if (authenticated_) {
        setIcon(QIcon::fromTheme(QStringLiteral("changes-allow"), DrawnPadlock(true, color)));
        setText(LocalizedString(kUnlockedButtonText));
        setAccessibleName(LocalizedString(kUnlockedButtonAccessibleName));
    } else {
        setIcon(QIcon::fromTheme(QStringLiteral("changes-prevent"), DrawnPadlock(false, color)));
        setText(LocalizedString(kLockedButtonText));
        setAccessibleName(LocalizedString(kLockedButtonAccessibleName));
    }
}

}  // namespace keelward
