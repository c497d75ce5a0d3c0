// Two versions of one recording's decisions: the merge rule, the copy on a
// read-only stick whose decisions went to the data folder, and two viewers
// saving over one file. Nothing either side decided may vanish unasked.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "inspection/inspection_store.h"
#include "recordfile/record_file.h"
#include "test_files.h"

using namespace vantrel;
using namespace vantrel::testing;
namespace fs = std::filesystem;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QString qpath(const fs::path& p) { return QString::fromStdString(p.string()); }

IndicationDecision decision(FramePlace start, FramePlace end, std::optional<FramePlace> peak,
                            const char* grade, const char* remark = "") {
    IndicationDecision d;
    d.start = start;
    d.end = end;
    d.peak = peak;
    d.grade = grade;
    d.remark = remark;
    return d;
}

using Kind = InspectionConflict::Kind;

} // namespace

TEST(InspectionMerge, TakesWhatOneSideChangedAndAsksAboutWhatBothDid) {
    const IndicationDecision a = decision({1, 0}, {2, 0}, FramePlace{1, 5}, "I");
    const IndicationDecision b = decision({5, 0}, {6, 0}, FramePlace{5, 3}, "II");
    const IndicationDecision c = decision({9, 0}, {9, 4}, FramePlace{9, 2}, "III");
    auto with = [](std::vector<IndicationDecision> ds) {
        Inspection in;
        in.decisions = std::move(ds);
        return in;
    };
    auto regraded = [](IndicationDecision d, const char* grade) {
        d.grade = grade;
        return d;
    };
    // Found again with another gap: the same peak, another span.
    IndicationDecision bWider = b;
    bWider.end = {7, 0};
    // Of the first version: no peak, found by its span.
    IndicationDecision aOld = a;
    aOld.peak.reset();
    aOld.remark = "v1";

    struct Case {
        const char* name;
        std::optional<Inspection> base;
        Inspection ours, theirs;
        std::vector<IndicationDecision> merged; // conflicts settled to ours
        std::vector<Kind> conflicts;
    } cases[] = {
        {"two files: the union", std::nullopt, with({a}), with({b}), {a, b}, {}},
        {"two files: one indication decided differently",
         std::nullopt,
         with({a, b}),
         with({regraded(a, "IV"), c}),
         {a, b, c},
         {Kind::Decision}},
        {"two files: the same indication found with another gap",
         std::nullopt,
         with({b}),
         with({bWider}),
         {b},
         {Kind::Decision}},
        {"two files: a decision of the first version matches by its span",
         std::nullopt,
         with({a}),
         with({aOld}),
         {a},
         {Kind::Decision}},
        {"two files: the same decision once", std::nullopt, with({a, b}), with({b, a}), {a, b}, {}},
        {"a base: theirs regraded, ours added",
         with({a}),
         with({a, b}),
         with({regraded(a, "IV")}),
         {regraded(a, "IV"), b},
         {}},
        {"a base: both regraded alike",
         with({a}),
         with({regraded(a, "II")}),
         with({regraded(a, "II")}),
         {regraded(a, "II")},
         {}},
        {"a base: both regraded differently",
         with({a}),
         with({regraded(a, "II")}),
         with({regraded(a, "III")}),
         {regraded(a, "II")},
         {Kind::Decision}},
        {"a base: removed by theirs, kept by ours", with({a, b}), with({a, b}), with({b}), {b}, {}},
        {"a base: removed by theirs, changed by ours",
         with({a}),
         with({regraded(a, "II")}),
         with({}),
         {regraded(a, "II")},
         {Kind::Decision}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const InspectionMerge m(k.base, k.ours, k.theirs);
        std::vector<Kind> kinds;
        for (const InspectionConflict& conflict : m.conflicts())
            kinds.push_back(conflict.kind);
        EXPECT_EQ(kinds, k.conflicts);
        EXPECT_EQ(m.merged().decisions, k.merged);
    }

    // A conflict settled to theirs takes theirs, in ours' place.
    const InspectionMerge m(std::nullopt, with({a, b}), with({regraded(a, "IV"), c}));
    ASSERT_EQ(m.conflicts().size(), 1u);
    EXPECT_EQ(m.conflicts()[0].ourDecision, a);
    EXPECT_EQ(m.conflicts()[0].theirDecision, regraded(a, "IV"));
    EXPECT_EQ(m.merged({InspectionSide::Theirs}).decisions,
              (std::vector<IndicationDecision>{regraded(a, "IV"), b, c}));
}

TEST(InspectionMerge, TravelSettingsAndCellsFollowTheSameRule) {
    Inspection ours, theirs;
    ours.travel = {TravelCalibration::Method::Typed, "0.5", {}, {}, ""};
    theirs.travel = {TravelCalibration::Method::Typed, "0.25", {}, {}, ""};
    theirs.settings = EvaluationSettings{3, 2000, std::nullopt, -60};
    ours.reportCells = {{"检测单位", "一站"}, {"报告编号", "R-1"}};
    theirs.reportCells = {{"检测单位", "二站"}, {"探伤人员", "张"}};
    ours.frameCells[{4, 1}] = {{"备注", "划痕"}};
    theirs.frameCells[{4, 1}] = {{"备注", "划伤"}};
    theirs.frameCells[{8, 0}] = {{"备注", "焊瘤"}};
    const InspectionMerge m(std::nullopt, ours, theirs);
    ASSERT_EQ(m.conflicts().size(), 3u);
    EXPECT_EQ(m.conflicts()[0].kind, Kind::Travel);
    EXPECT_EQ(m.conflicts()[1].kind, Kind::ReportCell);
    EXPECT_EQ(m.conflicts()[1].caption, "检测单位");
    EXPECT_EQ(m.conflicts()[2].kind, Kind::FrameCells);
    EXPECT_EQ(m.conflicts()[2].frame, (FramePlace{4, 1}));
    const Inspection merged =
        m.merged({InspectionSide::Theirs, InspectionSide::Ours, InspectionSide::Theirs});
    EXPECT_EQ(merged.travel.mmPerFrame, "0.25");
    EXPECT_EQ(merged.settings, theirs.settings); // only theirs had any
    EXPECT_EQ(merged.reportCells,
              (std::map<std::string, std::string>{
                  {"检测单位", "一站"}, {"报告编号", "R-1"}, {"探伤人员", "张"}}));
    EXPECT_EQ(merged.frameCells.at({4, 1}).at("备注"), "划伤");
    EXPECT_EQ(merged.frameCells.at({8, 0}).at("备注"), "焊瘤");
}

namespace {

// A recording in a folder that takes files, a copy of it where no file can
// be written (a memory file seen through /proc: not even root writes
// there), and a data folder of the test's own.
class InspectionStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::path(tempPath("inspection-store"));
        fs::remove_all(root_);
        fs::create_directories(root_ / "files");
        RecordWriter w;
        const ParameterBlock block = makeBlock(325);
        for (int frames : {1, 2, 3})
            w.addRecord(makeFrames(frames, 10 * frames), w.records() == 0 ? &block : nullptr);
        const Bytes bytes = w.bytes();
        recording_ = qpath(root_ / "files" / "demo.DAT");
        ASSERT_TRUE(writeBytes(recording_.toStdString(), bytes));
        fd_ = memfd_create("demo.DAT", 0);
        ASSERT_GE(fd_, 0);
        ASSERT_EQ(pwrite(fd_, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
        readOnlyCopy_ = QString::fromStdString("/proc/self/fd/" + std::to_string(fd_));
        RecordFile file;
        ASSERT_TRUE(file.openRecordFile(recording_.toStdString()).ok());
        id_ = recordingIdentity(file);
        paths_ = inspectionPaths(recording_, id_, data());
    }
    void TearDown() override {
        close(fd_);
        fs::remove_all(root_);
    }
    QString data() const { return qpath(root_ / "data"); }
    InspectionStore store(const QString& recording) const {
        return InspectionStore(recording, id_, data());
    }
    // The dated files kept aside in `folder`.
    QStringList keptAside(const QString& folder) const {
        return QDir(folder).entryList({"*.vantrel.20*.json"}, QDir::Files);
    }

    fs::path root_;
    QString recording_, readOnlyCopy_;
    int fd_ = -1;
    RecordingIdentity id_;
    InspectionPaths paths_;
};

// The decision of `in` on the indication that starts at `start`.
IndicationDecision& on(Inspection& in, FramePlace start) {
    return in.decide(start, {start.record, 1});
}

Inspection graded(const char* grade, const char* remark, FramePlace start = {1, 0}) {
    Inspection in;
    in.decisions.push_back(decision(start, {start.record, 1}, start, grade, remark));
    return in;
}

} // namespace

TEST_F(InspectionStoreTest, AReadOnlyCopysDecisionsNeverReplaceTheRecordingsOwn) {
    const Inspection own = graded("II", "原件", {1, 0});
    const Inspection copy = graded("IV", "副本", {1, 0});
    struct Case {
        const char* name;
        bool copyFirst;     // decided on the read-only copy before the recording
        const char* choice; // "ours" (beside), "theirs" (data folder), "merge"
    } cases[] = {
        {"recording, copy, reopen: keep the file beside", false, "ours"},
        {"recording, copy, reopen: keep the data folder's", false, "theirs"},
        {"recording, copy, reopen: merge", false, "merge"},
        {"copy, recording, reopen: keep the file beside", true, "ours"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root_ / "data");
        QFile::remove(paths_.beside);
        for (const QString& f : keptAside(qpath(root_ / "files")))
            QFile::remove(qpath(root_ / "files") + "/" + f);
        auto decideOnCopy = [&] {
            InspectionStore s = store(readOnlyCopy_);
            s.open();
            const InspectionStore::Saved saved = s.save(copy);
            EXPECT_EQ(saved.saved.to, InspectionPlace::DataFolder);
        };
        auto decideOnRecording = [&] {
            InspectionStore s = store(recording_);
            const LoadedInspection& loaded = s.open();
            EXPECT_EQ(loaded.from, InspectionPlace::None); // the copy's are not taken silently
            EXPECT_EQ(loaded.document.inspection, Inspection{});
            EXPECT_TRUE(loaded.other);
            EXPECT_EQ(s.save(own).saved.to, InspectionPlace::Beside);
        };
        if (c.copyFirst) {
            decideOnCopy();
            decideOnRecording();
        } else {
            {
                InspectionStore s = store(recording_);
                s.open();
                ASSERT_EQ(s.save(own).saved.to, InspectionPlace::Beside);
            }
            decideOnCopy();
        }
        const QByteArray besideBytes = readAll(paths_.beside);
        const QByteArray dataBytes = readAll(paths_.dataFolder);

        // Reopened: the file beside is used, the copy's version offered.
        InspectionStore s = store(recording_);
        const LoadedInspection& loaded = s.open();
        EXPECT_EQ(loaded.from, InspectionPlace::Beside);
        EXPECT_EQ(loaded.document.inspection, own);
        ASSERT_TRUE(loaded.other);
        EXPECT_EQ(loaded.other->document.inspection, copy);
        const InspectionMerge merge(std::nullopt, own, copy);
        ASSERT_EQ(merge.conflicts().size(), 1u);
        const std::string choice = c.choice;
        const Inspection chosen = choice == "ours"     ? own
                                  : choice == "theirs" ? copy
                                                       : merge.merged({InspectionSide::Theirs});
        const InspectionStore::Settled settled = s.settle(chosen);
        EXPECT_TRUE(settled.error.isEmpty()) << settled.error.toStdString();

        // The choice stands beside the recording; nothing was deleted: the
        // data folder's file and any replaced file beside are kept dated.
        const LoadedInspection again = store(recording_).open();
        EXPECT_EQ(again.from, InspectionPlace::Beside);
        EXPECT_EQ(again.document.inspection, chosen);
        EXPECT_FALSE(again.other);
        EXPECT_FALSE(QFile::exists(paths_.dataFolder));
        const QStringList dataKept = keptAside(QFileInfo(paths_.dataFolder).path());
        ASSERT_EQ(dataKept.size(), 1);
        EXPECT_EQ(readAll(QFileInfo(paths_.dataFolder).path() + "/" + dataKept[0]), dataBytes);
        const QStringList besideKept = keptAside(qpath(root_ / "files"));
        if (choice == "ours") {
            EXPECT_EQ(readAll(paths_.beside), besideBytes);
            EXPECT_TRUE(besideKept.isEmpty());
        } else {
            ASSERT_EQ(besideKept.size(), 1);
            EXPECT_TRUE(besideKept[0].startsWith("demo.DAT.vantrel.20"));
            EXPECT_EQ(readAll(qpath(root_ / "files") + "/" + besideKept[0]), besideBytes);
        }
    }
}

TEST_F(InspectionStoreTest, TwoViewersOnOneFileLoseNothing) {
    // Both open the same file; each decides and saves, in both orders.
    for (const bool firstSavesFirst : {true, false}) {
        SCOPED_TRACE(firstSavesFirst ? "first viewer saves first" : "second viewer saves first");
        QFile::remove(paths_.beside);
        InspectionStore one = store(recording_), two = store(recording_);
        one.open();
        two.open();
        InspectionStore& early = firstSavesFirst ? one : two;
        InspectionStore& late = firstSavesFirst ? two : one;

        // Different indications: merged without a question.
        const Inspection a = graded("I", "a", {1, 0});
        Inspection b = graded("II", "b", {2, 0});
        b.reportCells["检测单位"] = "二站";
        ASSERT_EQ(early.save(a).saved.to, InspectionPlace::Beside);
        const InspectionStore::Saved merged = late.save(b);
        ASSERT_EQ(merged.saved.to, InspectionPlace::Beside);
        ASSERT_TRUE(merged.merged);
        EXPECT_EQ(merged.merged->decisions.size(), 2u);
        EXPECT_EQ(merged.merged->reportCells.at("检测单位"), "二站");
        EXPECT_EQ(store(recording_).open().document.inspection, *merged.merged);

        // The same indication graded differently: a conflict, nothing
        // written until it is settled, and asked again if it is not.
        Inspection earlyView = a; // what the early viewer still shows
        earlyView.decisions[0].grade = "III";
        // Its save takes in the late one's decision; it shows the merge.
        const InspectionStore::Saved earlySaved = early.save(earlyView);
        ASSERT_EQ(earlySaved.saved.to, InspectionPlace::Beside);
        ASSERT_TRUE(earlySaved.merged);
        earlyView = *earlySaved.merged;
        const QByteArray earlyFile = readAll(paths_.beside);
        Inspection lateView = *merged.merged;
        on(lateView, {1, 0}).grade = "IV";
        on(lateView, {2, 0}).remark = "b, checked";
        const InspectionStore::Saved conflicted = late.save(lateView);
        EXPECT_EQ(conflicted.saved.to, InspectionPlace::None);
        ASSERT_TRUE(conflicted.conflicts);
        ASSERT_EQ(conflicted.conflicts->conflicts().size(), 1u);
        const InspectionConflict& conflict = conflicted.conflicts->conflicts()[0];
        EXPECT_EQ(conflict.kind, Kind::Decision);
        EXPECT_EQ(conflict.ourDecision->grade, "IV");
        EXPECT_EQ(conflict.theirDecision->grade, "III");
        EXPECT_EQ(readAll(paths_.beside), earlyFile);
        EXPECT_TRUE(late.save(lateView).conflicts); // not settled: asked again
        EXPECT_EQ(readAll(paths_.beside), earlyFile);

        const InspectionStore::Saved settled =
            late.saveSettled(conflicted, {InspectionSide::Theirs});
        ASSERT_EQ(settled.saved.to, InspectionPlace::Beside);
        Inspection onDisk = store(recording_).open().document.inspection;
        ASSERT_EQ(onDisk.decisions.size(), 2u);
        EXPECT_EQ(on(onDisk, {1, 0}).grade, "III");         // the other's, as chosen
        EXPECT_EQ(on(onDisk, {2, 0}).remark, "b, checked"); // ours, which did not conflict
        EXPECT_EQ(settled.merged, onDisk);
        // And the early viewer's next save takes in the late one's remark.
        InspectionStore::Saved back = early.save(earlyView);
        ASSERT_TRUE(back.merged);
        EXPECT_EQ(on(*back.merged, {2, 0}).remark, "b, checked");
    }
}

TEST_F(InspectionStoreTest, AFileOfTheFirstVersionLoadsAndSavesAsTheSecond) {
    InspectionDocument doc{id_, "2020-05-11T09:30:00.000Z", graded("II", "v1")};
    doc.inspection.decisions[0].peak.reset();
    doc.inspection.reportCells["备注"] = "first version";
    QJsonObject root = QJsonDocument::fromJson(inspectionJson(doc)).object();
    root["version"] = 1;
    root.remove("settings");
    root.remove("frameCells");
    QJsonArray decisions = root["decisions"].toArray();
    QJsonObject first = decisions[0].toObject();
    for (const char* k : {"peak", "manual", "cells"})
        first.remove(k);
    decisions[0] = first;
    root["decisions"] = decisions;
    // Keys of the second version in a file of the first are not its own.
    root["settings"] = QJsonObject{{"gap", 5}};
    {
        QFile f(paths_.beside);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QJsonDocument(root).toJson());
    }
    InspectionStore s = store(recording_);
    const LoadedInspection& loaded = s.open();
    ASSERT_EQ(loaded.from, InspectionPlace::Beside)
        << (loaded.problems.empty() ? std::string() : loaded.problems[0].detail);
    EXPECT_EQ(loaded.document.inspection, doc.inspection);
    EXPECT_FALSE(loaded.document.inspection.settings);
    EXPECT_FALSE(loaded.document.inspection.decisions[0].peak);
    ASSERT_EQ(s.save(loaded.document.inspection).saved.to, InspectionPlace::Beside);
    const QJsonObject saved = QJsonDocument::fromJson(readAll(paths_.beside)).object();
    EXPECT_EQ(saved["version"].toInt(), 2);
    EXPECT_TRUE(saved["settings"].isNull());
    EXPECT_TRUE(saved["decisions"].toArray()[0].toObject()["peak"].isNull());
}
