// The recording open in the program: its decisions and kept settings read
// when it opens, written after a decision at once and after typing once it
// pauses, in the data folder it is given; what a change of settings
// computes again; the defect list made only when asked; the questions and
// notices handed to the windows' callbacks.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <filesystem>

#include "dac_recording.h"
#include "inspection/open_recording.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A DAC recording copied into a folder of its own, with its data folder
// beside it: four evaluated indications (see evaluated_recording_test).
struct Fixture {
    QTemporaryDir dir;
    QString path = dir.filePath("open.DAT");
    QString data = dir.filePath("data");
    RecordQuery query;
    Fixture() {
        const std::string made = dacFileOf(
            {{{-300, -60, -50, -300, 20, -300, -100, 30, -300}, dac(1)}, {{-300, -40, -300}}},
            "open-recording.DAT");
        EXPECT_TRUE(QFile::copy(QString::fromStdString(made), path));
        EXPECT_TRUE(query.open(path.toStdString()).ok());
    }
    QString beside() const { return path + ".vantrel.json"; }
    void write(const QString& file, const Inspection& in) {
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(inspectionJson({recordingIdentity(query.file()), "2026-01-01T00:00:00.000Z", in}));
    }
};

} // namespace

TEST(OpenRecording, ReadsTheDecisionsAndKeptSettingsWhenItOpens) {
    Fixture f;
    Inspection kept;
    kept.decide({0, 1}, {0, 2}).grade = "II";
    kept.reportCells = {{"检测单位", "站"}, {"备注", "root"}};
    kept.settings = EvaluationSettings{1, 0, 600, -20};
    f.write(f.beside(), kept);

    OpenRecording r(f.data);
    OverviewSettings before;
    before.position = OverviewPosition::Depth;
    r.applySettings(before);
    int opened = 0;
    QObject::connect(&r, &OpenRecording::opened, [&] { ++opened; });
    r.open(f.query.file());
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(r.path(), f.path);
    EXPECT_EQ(r.inspectionPath(), f.beside());
    EXPECT_EQ(r.inspection(), kept);
    // The kept settings over those in force; the position kind is the
    // window's.
    EXPECT_EQ(r.settings().gap, 1);
    EXPECT_EQ(r.settings().splitMicrometres, 0);
    EXPECT_EQ(r.settings().percentThreshold, 600);
    EXPECT_EQ(r.settings().dbThreshold, -20);
    EXPECT_EQ(r.settings().position, OverviewPosition::Depth);
    // A flaw's cell is the indication's, not the job's.
    EXPECT_EQ(r.jobCells(), (ReportCells{{"检测单位", "站"}}));
    EXPECT_EQ(r.evaluated(), nullptr);
    EXPECT_FALSE(r.defectList({}));
}

TEST(OpenRecording, ASettingsDragComputesOnlyWhatDependsOnIt) {
    Fixture f;
    OpenRecording r(f.data);
    r.open(f.query.file());
    r.setOverview(computeOverview(f.query, r.settings()), f.query);
    ASSERT_NE(r.evaluated(), nullptr);
    const EvaluatedRecording* evaluated = r.evaluated();
    ASSERT_EQ(r.evaluationRows({}).size(), 4u); // every peak read
    int dropped = 0;
    QObject::connect(&r, &OpenRecording::evaluationDropping, [&](bool) { ++dropped; });
    const int64_t read = RecordQuery::recordsRead();

    OverviewSettings s = r.settings();
    for (int64_t db : {-10, -200, -400, 30}) {
        s.dbThreshold = db;
        EXPECT_FALSE(r.applySettings(s).evaluation);
        r.evaluationRows({});
    }
    EXPECT_EQ(RecordQuery::recordsRead(), read);
    EXPECT_EQ(evaluated->evaluationsBuilt(), 1);
    EXPECT_EQ(dropped, 0);
    EXPECT_EQ(r.defectListsBuilt(), 0);
    // A gap evaluates anew (its holders told first) and reads nothing new.
    s.gap = 1;
    EXPECT_TRUE(r.applySettings(s).evaluation);
    EXPECT_EQ(dropped, 1);
    EXPECT_EQ(r.evaluationRows({}).size(), 2u);
    EXPECT_EQ(RecordQuery::recordsRead(), read);
    EXPECT_EQ(r.evaluated(), evaluated);
    // The list is made when asked, and only then.
    EXPECT_EQ(r.defectList({})->rows.size(), 2u);
    EXPECT_EQ(r.defectListsBuilt(), 1);
    // The settings went with the decisions once writing was due.
    r.flush();
    EXPECT_TRUE(readAll(f.beside()).contains("\"gap\": 1"));
}

TEST(OpenRecording, WritesDecisionsAtOnceAndTypedCellsOnceTypingPauses) {
    Fixture f;
    {
        OpenRecording r(f.data);
        r.open(f.query.file());
        r.setOverview(computeOverview(f.query, r.settings()), f.query);
        IndicationDecision words;
        words.nature = "未熔合";
        words.reported = false;
        EXPECT_TRUE(r.setDecision(2, words));
        EXPECT_FALSE(r.setDecision(4, words)); // no such indication
        EXPECT_TRUE(readAll(f.beside()).contains("未熔合"));
        EXPECT_EQ(r.defectList({})->rows.size(), 3u);
        EXPECT_TRUE(r.markManual(9, 11));
        EXPECT_EQ(r.manualText(0), std::string("1:0\u20131:2"));
        EXPECT_EQ(r.evaluationRows({}).size(), 5u);
        r.setReportCells({{"检测单位", "检测公司"}});
        EXPECT_FALSE(readAll(f.beside()).contains("检测公司")); // waits for a pause
        r.setFlawCells({0, 4}, {{"备注", "cap"}});
        EXPECT_EQ(r.flawCellsAt({0, 4}), (ReportCells{{"备注", "cap"}}));
        EXPECT_TRUE(r.flawCellsPlace({0, 4}).indication);
    } // its end writes what waits
    OpenRecording again(f.data);
    again.open(f.query.file());
    EXPECT_EQ(again.jobCells(), (ReportCells{{"检测单位", "检测公司"}}));
    EXPECT_EQ(again.inspection().decisions.size(), 3u); // two decided, one manual
    EXPECT_TRUE(again.removeManual(0));
    EXPECT_FALSE(again.removeManual(0));
}

TEST(OpenRecording, AsksAndTellsThroughItsCallbacksAndSavesInTheDataFolderGiven) {
    Fixture f;
    // A damaged file beside the recording is left as it is and said; the
    // decisions go to the data folder this recording was given.
    {
        QFile damaged(f.beside());
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("{ not json");
    }
    OpenRecording r(f.data);
    std::vector<RecordingNotice> told;
    r.tell = [&](const RecordingNotice& n) { told.push_back(n); };
    r.open(f.query.file());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].kind, RecordingNotice::Kind::FileUnread);
    EXPECT_TRUE(told[0].detail.contains(f.beside()));
    r.setTravel({TravelCalibration::Method::Typed, "0.5", {}, {}, ""});
    r.setTravel({TravelCalibration::Method::Typed, "0.25", {}, {}, ""});
    ASSERT_EQ(told.size(), 2u); // said once
    EXPECT_EQ(told[1].kind, RecordingNotice::Kind::KeptElsewhere);
    EXPECT_TRUE(told[1].path.startsWith(f.data + "/inspections/"));
    EXPECT_EQ(readAll(f.beside()), QByteArray("{ not json"));

    // Both places hold a version: the choice is asked on opening.
    Inspection theirs;
    theirs.travel = {TravelCalibration::Method::Typed, "0.75", {}, {}, ""};
    f.write(f.beside(), {});
    f.write(told[1].path, theirs);
    int asked = 0;
    r.chooseInspection = [&](const InspectionQuestion& q) -> std::optional<InspectionChoice> {
        ++asked;
        EXPECT_EQ(q.kind, InspectionQuestion::Kind::TwoFiles);
        return InspectionChoice{InspectionChoice::Action::KeepTheirs, {}};
    };
    r.open(f.query.file());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(r.inspection().travel.mmPerFrame, "0.75");
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the save timer's thread needs one
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
