// Start-up: the command line, the interface language, the recording open in
// the program (which every window shares and outlives them), the main
// window, then the About box (and the report window), created once and
// reused; `vantrel FILE` opens FILE as if it had been chosen in the open
// dialog.
#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <exception>

#include "about/about_form.h"
#include "app/interface_language.h"
#include "app/main_form.h"
#include "app/report_wiring.h"
#include "inspection/inspection_file.h"
#include "inspection/open_recording.h"
#include "report_window/report_form.h"
#include "version.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationVersion(QString::fromLatin1(vantrel::kVersion));
    // Qt has taken its own options (-platform, ...) out of the arguments. A
    // wrong argument, --lang with an unknown language among them, ends the
    // program before any window: a misspelt language would otherwise start
    // the interface in one the user did not ask for.
    const vantrel::StartArguments args = vantrel::parseStartArguments(QApplication::arguments());
    if (!args.error.isEmpty()) {
        std::fprintf(stderr, "vantrel: %s\n%s\n", qPrintable(args.error),
                     qPrintable(vantrel::startUsage()));
        return 2;
    }
    if (args.help) {
        std::printf("%s\n", qPrintable(vantrel::startUsage()));
        return 0;
    }
    // The language of this run: --lang, else the one chosen in the menu.
    vantrel::installInterfaceLanguage(app, args.language.value_or(vantrel::savedLanguage()));
    try {
        vantrel::OpenRecording recording(vantrel::viewerDataFolder());
        vantrel::TMainForm mainForm(recording);
        vantrel::TAboutForm aboutForm(&mainForm);
        vantrel::TReportForm reportForm(&mainForm);
        const vantrel::ViewerCore& core = mainForm.core();
        reportForm.setSource(vantrel::TReportForm::sourceOf(core));
        vantrel::connectReportToRecording(recording, core, reportForm);
        mainForm.showAbout = [&] { aboutForm.exec(); };
        mainForm.showReport = [&] { reportForm.exec(); };
        mainForm.show();
        if (!args.file.isEmpty()) mainForm.openFile(args.file);
        return QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Vantrel"), QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
