// `vantrel-inspect report FILE R F --fields` against the report window: for
// the same record and frame, shown in the viewer by a click on the overview
// (goToFrame), every field the window fills and every defect-row caption
// reads the same.
#include <gtest/gtest.h>

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "recordfile/instrument_params.h"
#include "recordfile/record_writer.h"
#include "report_window/report_form.h"
#include "test_files.h"
#include "viewer/viewer_core.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

QJsonObject fieldsJson(const std::string& file, int record, int frame) {
    QProcess p;
    p.start(VANTREL_INSPECT, {"report", QString::fromStdString(file), QString::number(record),
                              QString::number(frame), "--fields"});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

// Record 0 one gate in mm, record 1 two gates, record 2 one gate in inches,
// record 3 with an empty amplitude readout.
std::string layouts() {
    ParameterBlock mm = makeBlock(325), two = makeBlock(330), inch = makeBlock(340);
    param::setBits(two.data(), param::kTwoGateReadout, 1);
    param::setBits(inch.data(), param::kInchUnits, 1);
    RecordWriter w;
    w.addRecord(makeFrames(11, 1), &mm);
    w.addRecord(makeFrames(11, 20), &two);
    w.addRecord(makeFrames(11, 40), &inch);
    // A DGS readout kind the instrument has no text for: the amplitude
    // readout stays empty.
    ParameterBlock blank = makeBlock(350);
    param::setBits(blank.data(), param::kDgsOn, 1);
    param::setBits(blank.data(), param::kDgsReadoutKind, 3);
    w.addRecord(makeFrames(3, 60), &blank);
    return writeTemp("fields.DAT", w.bytes());
}

} // namespace

TEST(ReportFields, TheCommandLineFillsWhatTheWindowFills) {
    const std::string synthetic = layouts();
    struct Case {
        std::string file;
        int record, frame;
        const char* layout;
    };
    const Case cases[] = {
        {synthetic, 0, 2, "one-gate"},      {synthetic, 1, 4, "two-gate"},
        {synthetic, 2, 0, "one-gate"},      {synthetic, 3, 0, "one-gate"},
        {VANTREL_DEMO, 190, 3, "one-gate"}, {VANTREL_DEMO, 230, 5, "two-gate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + " " + std::to_string(c.record) + " " + std::to_string(c.frame));
        ViewerCore core;
        core.formShow();
        ASSERT_TRUE(core.openItemClick(c.file).ok());
        ASSERT_TRUE(core.goToFrame(c.record, c.frame));
        TReportForm form;
        form.setSource(TReportForm::sourceOf(core));
        form.show();
        QCoreApplication::processEvents();
        form.hide();

        const QJsonObject json = fieldsJson(c.file, c.record, c.frame);
        EXPECT_EQ(json["layout"].toString(), c.layout);
        EXPECT_EQ(json["layout"].toString() == "two-gate", form.fill().twoGate);
        EXPECT_EQ(json["locationHeadHeight"].toInt(), form.fill().twoGate ? 161 : 121);
        const QJsonObject captions = json["captions"].toObject();
        ASSERT_EQ(captions.size(), 4);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(captions[QString("QRLabel%1").arg(47 + k)].toString(),
                      form.fill().defectCaptions[static_cast<size_t>(k)]);
        const QJsonObject fields = json["fields"].toObject();
        if (c.file == synthetic && c.record == 3) {
            EXPECT_EQ(fields["QRLabelEquivalent"].toString(), "");
        }
        EXPECT_EQ(fields.size(), static_cast<qsizetype>(form.fill().fields.size()));
        for (const auto& [name, text] : form.fill().fields) {
            ASSERT_TRUE(fields.contains(name)) << name.toStdString();
            // The window's own box shows the text the JSON gives.
            EXPECT_EQ(fields[name].toString(), form.fieldText(name)) << name.toStdString();
        }
    }
}
