// The QtTest programs share one main (qtest_main.cpp): it puts the program on
// the offscreen platform, sends the settings to a folder of the run (never
// the user's), makes the QApplication and runs the test classes the
// program's files register with VANTREL_QTEST. `PROGRAM Class [QtTest
// arguments]` runs that class alone (one CTest test per class); without a
// class name every class runs in turn.
#pragma once

#include <QObject>

#include <memory>

namespace vantrel::testing {

using QtTestFactory = std::unique_ptr<QObject> (*)();
// Adds test class `name`, made by `make`, to the program's classes.
bool registerQtTest(const char* name, QtTestFactory make);

} // namespace vantrel::testing

// Registers the QtTest class `Class` (a QObject with a default constructor)
// with the shared main; written once, after the class.
#define VANTREL_QTEST(Class)                                                                       \
    [[maybe_unused]] static const bool vantrelQtTest##Class = ::vantrel::testing::registerQtTest(  \
        #Class, [] { return std::unique_ptr<QObject>(new Class); })
