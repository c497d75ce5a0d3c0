// vantrel-inspect: the viewer's answers without a window, as JSON on stdout.
#include <QGuiApplication>

#include <cstdio>
#include <memory>

#include "inspect/inspect.h"

int main(int argc, char** argv) {
    // Never a window: pictures are painted off screen whatever the display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // stderr carries this tool's own one-line errors only, not Qt's notes
    // about the environment.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Pictures need the GUI side of Qt; everything else makes do with less.
    std::unique_ptr<QCoreApplication> app;
    if (vantrel::needsPictures(arguments))
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    std::string err;
    // Progress lines go to stderr at once; errors and warnings at the end.
    const int status = vantrel::runInspect(
        arguments, [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); },
        err,
        [](std::string_view text) {
            std::fwrite(text.data(), 1, text.size(), stderr);
            std::fflush(stderr);
        });
    std::fwrite(err.data(), 1, err.size(), stderr);
    std::fflush(stdout);
    return status;
}
