// The main of every QtTest program (see qtest_main.h).
#include "qtest_main.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace vantrel::testing {

namespace {

// By name, so that a run of every class takes them in one order.
std::map<std::string, QtTestFactory>& registry() {
    static std::map<std::string, QtTestFactory> classes;
    return classes;
}

} // namespace

bool registerQtTest(const char* name, QtTestFactory make) {
    registry().emplace(name, make);
    return true;
}

} // namespace vantrel::testing

int main(int argc, char** argv) {
    using vantrel::testing::registry;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings go to a folder of this run, never the user's.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);

    // The class named first, with QtTest's own arguments after its name.
    std::vector<char*> args(argv, argv + argc);
    std::vector<std::string> chosen;
    if (argc > 1 && registry().count(argv[1])) {
        chosen.push_back(argv[1]);
        args.erase(args.begin() + 1);
    } else {
        for (const auto& [name, make] : registry())
            chosen.push_back(name);
    }
    int failed = 0;
    for (const std::string& name : chosen) {
        const std::unique_ptr<QObject> test = registry().at(name)();
        failed += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
    }
    return failed;
}
