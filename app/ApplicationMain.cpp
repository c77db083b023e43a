#include "ApplicationMain.h"

#include "Application.h"
#include "Localization.h"
#include "ui_SecuritySettingsWindow.h"

#include <keelward/platform/CoreFoundation/CFBundle.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

namespace keelward {

MainWindowDescription LoadMainWindowDescription() {
    MainWindowDescription description;
    description.window = std::make_unique<QWidget>();
    Ui::SecuritySettingsWindow form;
    form.setupUi(description.window.get());

    auto* controller = new SecuritySettingsWindowController(description.window.get());
    controller->mWindow = description.window.get();
    controller->mAuthenticationButton = form.authenticationButton;
    controller->mSaveButton = form.saveButton;
    controller->mSecurityModePopup = form.securityModePopup;
    controller->mNewPasswordTextField = form.newPasswordTextField;
    controller->mVerifyPasswordTextField = form.verifyPasswordTextField;
    description.controller = controller;

    QObject::connect(form.saveButton, &QPushButton::clicked, controller,
                     &SecuritySettingsWindowController::SaveButtonClicked);
    // The window is no dialog, so Return in a field presses the default button here.
    QPushButton* save = form.saveButton;
    for (QLineEdit* field : {form.newPasswordTextField, form.verifyPasswordTextField}) {
        QObject::connect(field, &QLineEdit::returnPressed, save, [save] {
            if (save->isEnabled()) save->click();
        });
    }

    if (Application* application = Application::Shared()) application->setDelegate(controller);
    controller->awakeFromNib();
    return description;
}

int ApplicationMain(int argc, char* argv[]) {
    QApplication qtApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Keelward"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KEELWARD_VERSION));
    keelward::CFBundleSetMainBundleInfoValue("CFBundleShortVersionString", KEELWARD_VERSION);
    QCoreApplication::setOrganizationDomain(QStringLiteral("keelward.org"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.keelward.Keelward"));
    InstallTranslations();

    Application application;
    const MainWindowDescription description = LoadMainWindowDescription();
    return application.run();
}

}  // namespace keelward
