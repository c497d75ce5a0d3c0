// vantrel-inspect: the viewer's answers without a window, as JSON on stdout.
#include <QGuiApplication>

#include <cstdio>

#include "inspect.h"

int main(int argc, char** argv) {
    // Never a window: pictures are painted off screen whatever the display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // stderr carries this tool's own one-line errors only, not Qt's notes
    // about the environment.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QGuiApplication app(argc, argv);
    std::string out, err;
    const int status = vantrel::runInspect(QCoreApplication::arguments(), out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    std::fflush(stdout);
    return status;
}
