// Start-up: the main window, then the About box (and the report window),
// created once and reused; `vantrel FILE` opens FILE as if it had been
// chosen in the open dialog.
#include <QApplication>
#include <QMessageBox>

#include <exception>

#include "about_form.h"
#include "main_form.h"
#include "report_form.h"
#include "stock_translations.h"
#include "version.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationVersion(QString::fromLatin1(vantrel::kVersion));
    // The interface is Chinese; so are Qt's own dialogs and menus.
    vantrel::installStockTranslations(app);
    try {
        vantrel::TMainForm mainForm;
        vantrel::TAboutForm aboutForm(&mainForm);
        vantrel::TReportForm reportForm(&mainForm);
        vantrel::ViewerCore& core = mainForm.core();
        reportForm.setSource(vantrel::TReportForm::sourceOf(core));
        mainForm.showAbout = [&] { aboutForm.exec(); };
        mainForm.showReport = [&] { reportForm.exec(); };
        mainForm.show();
        const QStringList args = QApplication::arguments();
        if (args.size() > 1) mainForm.openFile(args.at(1));
        return QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Vantrel"), QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
