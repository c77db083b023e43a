#include "Alerts.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace keelward {
namespace {

std::shared_ptr<AlertPresenter>& CurrentPresenter() {
    static std::shared_ptr<AlertPresenter> sPresenter;
    return sPresenter;
}

QLabel* MakePlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);  // a table entry is never read as markup
    label->setText(text);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

void PanelAlertPresenter::RunAlertPanel(const QString& title, const QString& message,
                                        const QString& defaultButton) {
    QDialog panel(QApplication::activeWindow());
    panel.setWindowTitle(QGuiApplication::applicationDisplayName());
    panel.setWindowModality(Qt::ApplicationModal);

    auto* layout = new QGridLayout(&panel);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setHorizontalSpacing(16);

    auto* icon = new QLabel(&panel);
    const int iconSize = panel.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &panel);
    icon->setPixmap(panel.style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, &panel).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop);
    layout->addWidget(icon, 0, 0, 2, 1);

    QLabel* titleLabel = MakePlainLabel(title, &panel);
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    titleLabel->setMinimumWidth(320);
    layout->addWidget(titleLabel, 0, 1);
    layout->addWidget(MakePlainLabel(message, &panel), 1, 1);

    auto* buttons = new QDialogButtonBox(&panel);
    QPushButton* ok = buttons->addButton(defaultButton, QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &panel, &QDialog::accept);
    layout->addWidget(buttons, 2, 0, 1, 2);

    panel.exec();
}

void RunAlertPanel(const QString& title, const QString& message, const QString& defaultButton) {
    if (const std::shared_ptr<AlertPresenter> presenter = CurrentPresenter()) {
        presenter->RunAlertPanel(title, message, defaultButton);
        return;
    }
    PanelAlertPresenter().RunAlertPanel(title, message, defaultButton);
}

std::shared_ptr<AlertPresenter> SetAlertPresenter(std::shared_ptr<AlertPresenter> presenter) {
    return std::exchange(CurrentPresenter(), std::move(presenter));
}

}  // namespace keelward
