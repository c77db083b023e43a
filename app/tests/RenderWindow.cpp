// Renders the settings window, locked and then unlocked through an authority that
// says yes, to two PNG files, and optionally the alert of a successful save. Run by scripts/render-window.sh under Xvfb.
#include "WindowTestSupport.h"

#include "FirmwareSecurityStore.h"
#include "Localization.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>

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
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s <locked.png> <unlocked.png> [<alert.png>]\n", argv[0]);
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
    if (!harness.alerts->alerts.empty()) return 1;
    if (argc < 4) return 0;

    // A save with the program's own alert panel, captured while it is up.
    const keelward::ScopedAlertPresenter panels(nullptr);
    harness.verifyPassword().setText(QStringLiteral("password"));
    bool captured = false;
    QTimer::singleShot(500, [&] {
        if (QWidget* panel = QApplication::activeModalWidget()) {
            captured = Capture(*panel, QString::fromLocal8Bit(argv[3]));
            panel->close();
        }
    });
    harness.saveButton().click();
    return captured ? 0 : 1;
}
