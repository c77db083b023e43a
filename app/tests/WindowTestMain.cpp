// Runs one test class of the window's tests, named by the first argument; the
// remaining arguments go to Qt Test.
#include "WindowTestSupport.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <test class> [Qt Test options]\n", argv[0]);
        return 2;
    }
    struct Entry {
        const char* name;
        QObject* (*make)();
    };
    constexpr Entry kTests[] = {
        {"SecuritySettingsWindow", keelward::MakeSecuritySettingsWindowTest},
        {"Authentication", keelward::MakeAuthenticationTest},
        {"PolkitUnreachable", keelward::MakePolkitUnreachableTest},
        {"PolkitService", keelward::MakePolkitServiceTest},
        {"Localization", keelward::MakeLocalizationTest},
    };
    for (const Entry& entry : kTests) {
        if (std::strcmp(entry.name, argv[1]) != 0) continue;
        const std::unique_ptr<QObject> test(entry.make());
        std::vector<char*> arguments{argv[0]};
        arguments.insert(arguments.end(), argv + 2, argv + argc);
        return QTest::qExec(test.get(), static_cast<int>(arguments.size()), arguments.data());
    }
    std::fprintf(stderr, "no test class named %s\n", argv[1]);
    return 2;
}
