// The main of the GoogleTest programs that draw or show windows: the
// offscreen platform, no print server (a test that prints finds no default
// printer, whatever the machine has), and the application object their code
// needs: a QApplication where the program links Qt Widgets, else a
// QGuiApplication.
#include <gtest/gtest.h>

#ifdef QT_WIDGETS_LIB
#include <QApplication>
#else
#include <QGuiApplication>
#endif

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("CUPS_SERVER", "/nonexistent/vantrel-no-cups.sock");
#ifdef QT_WIDGETS_LIB
    QApplication app(argc, argv);
#else
    QGuiApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
