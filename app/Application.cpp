#include "Application.h"

#include <QApplication>

namespace keelward {
namespace {
Application* gSharedApplication = nullptr;
}  // namespace

Application::Application() { gSharedApplication = this; }

Application::~Application() {
    if (gSharedApplication == this) gSharedApplication = nullptr;
}

Application* Application::Shared() { return gSharedApplication; }

void Application::terminate(QObject* /*sender*/) {
    terminating_ = true;
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

int Application::run() {
    if (delegate_ != nullptr) delegate_->applicationWillFinishLaunching();
    if (terminating_) return 0;
    return QApplication::exec();
}

}  // namespace keelward
