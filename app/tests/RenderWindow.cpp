// Renders the settings window, locked and then unlocked through an authority that
// says yes, to two PNG files. Run by scripts/render-window.sh under Xvfb.
#include "WindowTestSupport.h"

#include "FirmwareSecurityStore.h"
#include "Localization.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cstdio>

namespace {

bool Capture(QWidget& window, const QString& path) {
    window.repaint();
    QTest::qWait(300);
    QPixmap picture = window.screen()->grabWindow(window.winId());
    if (picture.isNull()) picture = window.grab();
    if (!picture.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication qtApplication(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <locked.png> <unlocked.png>\n", argv[0]);
        return 2;
    }
    QCoreApplication::setApplicationName(QStringLiteral("Keelward"));
    keelward::InstallTranslations();

    auto registry = keelward::InMemoryRegistry::Machine();
    registry->SetString("/options", keelward::kSecurityModeProperty, "command");
    keelward::WindowHarness harness(registry);
    harness.Launch();
    if (!QTest::qWaitForWindowExposed(&harness.window())) return 1;
    if (!Capture(harness.window(), QString::fromLocal8Bit(argv[1]))) return 1;

    harness.ClickLock();
    harness.newPassword().setText(QStringLiteral("password"));
    if (!Capture(harness.window(), QString::fromLocal8Bit(argv[2]))) return 1;
    return harness.alerts->alerts.empty() ? 0 : 1;
}
