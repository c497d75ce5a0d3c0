// Presses "打印(&P)" in a report window filled as the viewer fills it for
// record 190, frame 3 of the demo recording (curves, gates, grid and trace on
// the page), with one blank cell typed in, as a user would; saves the same
// form's 96-dpi page to PAGE.png for comparison, and reports the window's
// print notice (empty when it printed).
//
// Usage: report_print_probe PAGE.png
#include <QAction>
#include <QApplication>
#include <QLineEdit>

#include <cstdio>

#include "report_form_peer.h"
#include "report_window/report_form.h"
#include "viewer/viewer_core.h"

using namespace vantrel;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: report_print_probe PAGE.png\n");
        return 2;
    }
    // As vantrel-inspect report does: a seek to the record, then its frame.
    ViewerCore viewer;
    if (!viewer.openItemClick(VANTREL_DEMO).ok()) return 3;
    viewer.seekLoad(190);
    viewer.drawFrame(3);

    TReportForm form;
    form.setSource(TReportForm::sourceOf(viewer));
    form.show();
    QApplication::processEvents();
    qobject_cast<QLineEdit*>(form.field(QStringLiteral("QRRichText1")))
        ->setText(QStringLiteral("Probe Lab 7"));
    if (!ReportFormTestPeer::renderPage(form).save(QString::fromLocal8Bit(argv[1]), "PNG"))
        return 3;
    QAction* print = form.findChild<QAction*>(QStringLiteral("PrintButton"));
    if (!print) return 3;
    print->trigger();
    const QString notice = form.statusText();
    std::printf("%s\n", notice.toUtf8().constData());
    return notice.isEmpty() ? 0 : 1;
}
