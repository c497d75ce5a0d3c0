// Presses "打印(&P)" in a report window filled with known texts, as a user
// would, and reports the window's print notice (empty when it printed).
#include <QAction>
#include <QApplication>
#include <QLineEdit>

#include <cstdio>

#include "gbk_text.h"
#include "report_form.h"

using namespace vantrel;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    PanelTexts panel;
    panel.probeType = *utf8ToGbk("斜探头");
    panel.crystalSize = "8x9";
    panel.baseGain = "40.0";
    panel.scanGain = "6.0";
    panel.compGain = "2.0";
    panel.echoRange = "100.0 mm(s)";
    const ReadoutTexts readouts = {*utf8ToGbk("↘125.0"), *utf8ToGbk("→88.4"), *utf8ToGbk("↓88.4"),
                                   *utf8ToGbk("∧45.3 %")};
    TReportForm form;
    form.setSource(
        {.panel = [&] { return panel; }, .readouts = [&] { return readouts; }, .pictures = {}});
    form.show();
    QApplication::processEvents();
    qobject_cast<QLineEdit*>(form.field(QStringLiteral("QRRichText1")))
        ->setText(QStringLiteral("Probe Lab 7"));
    QAction* print = form.findChild<QAction*>(QStringLiteral("PrintButton"));
    if (!print) return 3;
    print->trigger();
    const QString notice = form.statusText();
    std::printf("%s\n", notice.toUtf8().constData());
    return notice.isEmpty() ? 0 : 1;
}
