// The viewer's rules, headless: each command's effect on the state, the
// pictures drawn and the controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "test_seed.h"
#include "viewer_fixture.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

struct Viewer {
    ViewerCore core;
    std::vector<Shown> drawn;
    int emptyPlots = 0;
    int unplaced = 0; // frames drawn without a place

    Viewer() {
        core.setPainter({.frame =
                             [this](std::span<const uint8_t>) {
                                 const Shown shown = shownBy(core.frameTail());
                                 drawn.push_back(shown);
                                 // Every command's drawing tells where its frame comes
                                 // from (nothing after a read past the index).
                                 const auto place = core.placeOnScreen();
                                 if (place && core.file().indexEntryAt(place->record)) {
                                     EXPECT_EQ(*place, (FramePlace{shown.record, shown.frame}));
                                 } else {
                                     ++unplaced;
                                 }
                             },
                         .emptyPlot = [this] { ++emptyPlots; },
                         .pathRuler = {}});
        core.formShow();
        emptyPlots = 0;
    }
    Shown last() const { return drawn.empty() ? Shown{-1, -1} : drawn.back(); }
    const ControlState& c() const { return core.controls(); }
    // Runs playback turns until it pauses (at most n).
    void play(int n = 1000) {
        for (int i = 0; i < n && core.playing(); ++i)
            core.playbackTick();
    }
};

const std::vector<int> kTenBy11(10, 11);

} // namespace

TEST(ViewerCore, OpenShowsFrame0AndPointsAtWhatComesNext) {
    Viewer v;
    EXPECT_EQ(v.core.placeOnScreen(), std::nullopt);
    ASSERT_TRUE(v.core.openItemClick(viewerFile("open.DAT", kTenBy11)).ok());
    EXPECT_EQ(v.drawn, (std::vector<Shown>{{0, 0}}));
    // After Open the numbers point past the frame on screen; its place does not.
    EXPECT_EQ(v.core.placeOnScreen(), (FramePlace{0, 0}));
    EXPECT_EQ(v.core.currentRecord(), 1);
    EXPECT_EQ(v.core.frameIndex(), 1);
    EXPECT_EQ(v.core.framesPerRecord(), 11);
    EXPECT_EQ(v.core.playbackDelay(), 100);
    EXPECT_TRUE(v.c().playEnabled);
    EXPECT_EQ(v.c().playCaption, kPlayCaption);
    EXPECT_FALSE(v.c().upEnabled);
    EXPECT_TRUE(v.c().nextEnabled);
    EXPECT_TRUE(v.c().printEnabled);
    EXPECT_EQ(v.c().trackBarMax, 9);
    EXPECT_EQ(v.c().trackBarPosition, 0);
    EXPECT_FALSE(v.core.seekArmed()); // the load's bar update called nothing
    EXPECT_EQ(v.core.panel().baseGain, "10.0");
    // A first Next shows frame 2; stepping on moves from record 0 to record 2.
    v.core.nextClick();
    EXPECT_EQ(v.last(), (Shown{0, 2}));
    EXPECT_TRUE(v.c().upEnabled);
    for (int i = 0; i < 7; ++i)
        v.core.nextClick();
    EXPECT_EQ(v.last(), (Shown{0, 9}));
    v.core.nextClick();
    EXPECT_EQ(v.last(), (Shown{2, 0}));
    EXPECT_EQ(v.core.currentRecord(), 2);
    EXPECT_EQ(v.unplaced, 0);
}

TEST(ViewerCore, UpAndNextAcrossRecords) {
    Viewer v;
    v.core.openItemClick(viewerFile("updown.DAT", kTenBy11, {}, {3}));
    v.core.trackBarMovedTo(3); // arms the bar
    v.core.trackBarMovedTo(3); // no change: nothing
    v.core.trackBarMovedTo(4);
    EXPECT_EQ(v.last(), (Shown{4, 0}));
    // Up from frame 0 enters the previous record at frame 9 (never frame 10),
    // with that record's parameters in force.
    v.core.upClick();
    EXPECT_EQ(v.last(), (Shown{3, 9}));
    EXPECT_EQ(v.core.currentRecord(), 3);
    EXPECT_EQ(v.core.params().baseGain(), 103);
    v.core.upClick();
    EXPECT_EQ(v.last(), (Shown{3, 8}));
    for (int i = 0; i < 8; ++i)
        v.core.upClick();
    EXPECT_EQ(v.last(), (Shown{3, 0}));
    v.core.upClick();
    EXPECT_EQ(v.last(), (Shown{2, 9}));
    EXPECT_EQ(v.core.params().baseGain(), 100); // record 2 takes record 0's block
    // Next stops at frame 9 and moves on.
    v.core.nextClick();
    EXPECT_EQ(v.last(), (Shown{3, 0}));
    // On the last record, Next at the end draws the same frame again.
    v.core.trackBarMovedTo(8);
    v.core.trackBarMovedTo(8);
    v.core.upClick();
    v.core.upClick(); // (7, 8)
    for (int i = 0; i < 30; ++i)
        v.core.nextClick();
    EXPECT_EQ(v.last(), (Shown{9, 9}));
    EXPECT_EQ(v.drawn[v.drawn.size() - 2], (Shown{9, 9}));
}

// On a long recording the bar's arithmetic needs more than 32 bits: 60,000
// records times a position past 35,791 does not fit, and the seek wrapped to
// a negative record (record 0) while the handle never followed a load.
TEST(ViewerCore, SeekBarOnLongRecordings) {
    // Its frames do not tell their records apart, so no picture is checked.
    struct {
        ViewerCore core;
        const ControlState& c() const { return core.controls(); }
    } v;
    ASSERT_TRUE(v.core.openItemClick(writeTemp("long.DAT", longRecording(60000))).ok());
    ASSERT_EQ(v.c().trackBarMax, 59999);
    const struct {
        int32_t position, record;
    } seeks[] = {
        {30000, 30000}, // 60000 x 30000 / 59999 = 30000.5
        {40000, 40000}, // the product wrapped in 32 bits
        {59998, 59998},
        {45000, 45000},
    };
    for (const auto& s : seeks) {
        v.core.trackBarMovedTo(1); // after a load the first move only arms the bar
        v.core.trackBarMovedTo(s.position);
        EXPECT_EQ(v.core.currentRecord(), s.record) << "position " << s.position;
        // The load puts the handle where the record lies: 59999 x r / 59999.
        EXPECT_EQ(v.c().trackBarPosition, s.record) << "position " << s.position;
    }
    v.core.trackBarMovedTo(1);
    // The end of the bar still returns to record 0.
    v.core.trackBarMovedTo(59999);
    EXPECT_EQ(v.core.currentRecord(), 0);
    // A jump from elsewhere moves the handle too.
    ASSERT_TRUE(v.core.goToFrame(50000, 0));
    EXPECT_EQ(v.c().trackBarPosition, 50000);
}

TEST(ViewerCore, SingleFrameRecords) {
    Viewer v;
    v.core.openItemClick(viewerFile("single.DAT", {1, 1, 11}));
    EXPECT_EQ(v.core.playbackDelay(), 1000);
    v.core.nextClick(); // the record after the one after record 0
    EXPECT_EQ(v.last(), (Shown{2, 0}));
    // Up into a record of one frame shows its only frame.
    v.core.upClick();
    EXPECT_EQ(v.last(), (Shown{1, 0}));
    EXPECT_EQ(v.core.frameIndex(), 0);
    v.core.upClick();
    EXPECT_EQ(v.last(), (Shown{0, 0}));
}

TEST(ViewerCore, SeekMapping) {
    Viewer v;
    v.core.openItemClick(viewerFile("seek.DAT", kTenBy11));
    EXPECT_FALSE(v.core.seekArmed());
    // The first move after a load only arms the bar and enables Up and Next.
    const size_t before = v.drawn.size();
    v.core.trackBarMovedTo(5);
    EXPECT_EQ(v.drawn.size(), before);
    EXPECT_TRUE(v.core.seekArmed());
    EXPECT_TRUE(v.c().upEnabled);
    v.core.trackBarMovedTo(6); // 10 * 6 / 9 = 6
    EXPECT_EQ(v.last(), (Shown{6, 0}));
    EXPECT_EQ(v.core.currentRecord(), 6);
    EXPECT_FALSE(v.core.seekArmed()); // the load put the bar at 6 again: no call
    v.core.trackBarMovedTo(2);        // arms only
    v.core.trackBarMovedTo(5);
    EXPECT_EQ(v.last(), (Shown{5, 0}));
    // The end of the bar maps to record 10: back to record 0, Up and Next
    // off, playback paused.
    v.core.playClick();
    ASSERT_TRUE(v.core.playing());
    v.core.trackBarMovedTo(0); // arms (the load left the bar at 5)
    v.core.trackBarMovedTo(9);
    EXPECT_EQ(v.last(), (Shown{0, 0}));
    EXPECT_EQ(v.core.currentRecord(), 0);
    EXPECT_FALSE(v.core.playing());
    EXPECT_TRUE(v.c().printEnabled);
    EXPECT_EQ(v.c().playCaption, kPlayCaption);
    EXPECT_EQ(v.c().trackBarPosition, 0);
    // The seek turns Up and Next off, but the load then moves the bar from
    // 9 back to 0, and that change, made by the program, turns them on again
    // and arms the bar.
    EXPECT_TRUE(v.c().upEnabled);
    EXPECT_TRUE(v.c().nextEnabled);
    EXPECT_TRUE(v.core.seekArmed());
    // Out-of-range positions are clamped like a slider's: 50 is the end.
    v.core.seekLoad(4);
    v.core.trackBarMovedTo(50);
    EXPECT_EQ(v.core.currentRecord(), 0);
    EXPECT_EQ(v.last(), (Shown{0, 0}));
}

TEST(ViewerCore, SeekOnAOneRecordFileGoesToRecord0) {
    Viewer v;
    v.core.openItemClick(viewerFile("ten.DAT", kTenBy11));
    v.core.trackBarMovedTo(7);
    v.core.trackBarMovedTo(7);
    v.core.trackBarMovedTo(8);
    ASSERT_EQ(v.c().trackBarPosition, 8);
    // The new file's bar has no range: it pulls the bar to 0, a seek with a
    // zero range, which goes to the only record.
    ASSERT_TRUE(v.core.openItemClick(viewerFile("one.DAT", {4})).ok());
    EXPECT_EQ(v.c().trackBarMax, 0);
    EXPECT_EQ(v.last(), (Shown{0, 0}));
}

TEST(ViewerCore, Playback) {
    Viewer v;
    v.core.openItemClick(viewerFile("play.DAT", {11, 11, 11}));
    v.drawn.clear();
    v.core.playClick();
    EXPECT_TRUE(v.core.playing());
    EXPECT_EQ(v.c().playCaption, kStopCaption);
    EXPECT_FALSE(v.c().printEnabled);
    std::vector<Shown> expected;
    for (int f = 1; f <= 9; ++f)
        expected.push_back({0, f});
    for (int f = 0; f <= 9; ++f)
        expected.push_back({1, f});
    expected.push_back({2, 0});
    int turns = 0;
    while (v.core.playing() && turns < 100) {
        v.core.playbackTick();
        ++turns;
    }
    EXPECT_EQ(v.drawn, expected);
    EXPECT_EQ(v.unplaced, 0);
    // 9 + idle, 10 + idle, load 2 + frame 0, the finishing turn.
    EXPECT_EQ(turns, 10 + 11 + 1 + 1);
    EXPECT_TRUE(v.core.playbackFinished());
    EXPECT_EQ(v.c().playCaption, kStopCaption); // still reads stop
    // Play after the end rewinds to record 0 and plays again.
    v.drawn.clear();
    v.core.playClick();
    EXPECT_FALSE(v.core.playbackFinished());
    EXPECT_TRUE(v.core.playing());
    EXPECT_EQ(v.core.currentRecord(), 0);
    v.core.playbackTick();
    v.core.playbackTick();
    EXPECT_EQ(v.drawn, (std::vector<Shown>{{0, 0}, {0, 1}}));
    // Up pauses; resuming continues from where Up left the numbers.
    v.core.upClick();
    EXPECT_FALSE(v.core.playing());
    EXPECT_EQ(v.last(), (Shown{0, 1}));
    v.core.playbackTick(); // paused: nothing
    EXPECT_EQ(v.last(), (Shown{0, 1}));
    v.core.playClick();
    v.core.playbackTick();
    EXPECT_EQ(v.last(), (Shown{0, 1}));
    v.core.playbackTick();
    EXPECT_EQ(v.last(), (Shown{0, 2}));
}

TEST(ViewerCore, NotesSelectAndStartPlayback) {
    Viewer v;
    v.core.openItemClick(viewerFile("notes.DAT", kTenBy11, {3, 7}));
    ASSERT_EQ(v.core.noteItems().size(), 2u);
    // Records 0..2 select the second note, 3..6 the first, 7.. the second.
    for (int r = 0; r < 10; ++r) {
        v.core.seekLoad(r);
        EXPECT_EQ(v.c().selectedNote, r >= 3 && r < 7 ? 0 : 1) << r;
    }
    // A click while paused starts playback at the note, without reading the
    // parameter record first.
    v.core.seekLoad(0);
    v.core.noteClick(0);
    EXPECT_TRUE(v.core.playing());
    EXPECT_EQ(v.c().playCaption, kStopCaption);
    EXPECT_FALSE(v.c().printEnabled);
    EXPECT_EQ(v.last(), (Shown{3, 0}));
    EXPECT_EQ(v.core.currentRecord(), 3);
    v.core.noteClick(5); // no such item: nothing
    EXPECT_EQ(v.core.currentRecord(), 3);
    // After the end, a note click plays with playbackFinished still set; a
    // Play while it runs first rewinds and then pauses.
    v.play();
    ASSERT_TRUE(v.core.playbackFinished());
    v.core.noteClick(1);
    EXPECT_TRUE(v.core.playing());
    EXPECT_TRUE(v.core.playbackFinished());
    v.core.playClick();
    EXPECT_FALSE(v.core.playing());
    EXPECT_EQ(v.core.currentRecord(), 0);
    EXPECT_FALSE(v.core.playbackFinished());
}

TEST(ViewerCore, CancelledOpens) {
    Viewer v;
    v.core.openItemClick(std::nullopt); // nothing open: nothing happens
    EXPECT_TRUE(v.drawn.empty());
    EXPECT_FALSE(v.c().playEnabled);
    v.core.openItemClick(viewerFile("cancel.DAT", {4, 4}));
    v.core.playClick();
    v.core.playbackTick(); // frame 1
    // Cancelling pauses (the caption stays) and draws frame frameIndex.
    v.core.openItemClick(std::nullopt);
    EXPECT_FALSE(v.core.playing());
    EXPECT_EQ(v.c().playCaption, kStopCaption);
    EXPECT_EQ(v.last(), (Shown{0, 2}));
    EXPECT_EQ(v.core.frameIndex(), 3);
    // Repeated cancels run past the record: its last frame stays on screen.
    v.core.openItemClick(std::nullopt);
    v.core.openItemClick(std::nullopt);
    EXPECT_EQ(v.last(), (Shown{0, 3}));
    EXPECT_EQ(v.core.frameIndex(), 5);
}

TEST(ViewerCore, FailedOpenKeepsTheFileOnScreen) {
    Viewer v;
    v.core.openItemClick(viewerFile("keep.DAT", kTenBy11));
    v.core.nextClick();
    const Shown shown = v.last();
    const size_t drawn = v.drawn.size();
    const OpenResult r = v.core.openItemClick(tempPath("missing.DAT"));
    EXPECT_EQ(r.error, OpenError::CannotOpen);
    EXPECT_EQ(v.drawn.size(), drawn);
    EXPECT_EQ(v.last(), shown);
    EXPECT_EQ(v.core.recordCount(), 10);
    EXPECT_EQ(v.core.file().recordIndex().size(), 10u);
    v.core.nextClick();
    EXPECT_EQ(v.last(), (Shown{0, 3}));
}

TEST(ViewerCore, ControlStates) {
    Viewer v;
    // Nothing open: every command but Open does nothing.
    v.core.playClick();
    v.core.nextClick();
    v.core.upClick();
    v.core.noteClick(0);
    v.core.trackBarMovedTo(3);
    EXPECT_TRUE(v.drawn.empty());
    EXPECT_FALSE(v.core.playing());
    v.core.openItemClick(viewerFile("states.DAT", kTenBy11));
    v.core.playClick(); // paused -> playing
    EXPECT_EQ(v.c().playCaption, kStopCaption);
    EXPECT_FALSE(v.c().printEnabled);
    v.core.playClick(); // playing -> paused
    EXPECT_EQ(v.c().playCaption, kPlayCaption);
    EXPECT_TRUE(v.c().printEnabled);
    v.core.playClick();
    v.core.nextClick(); // Next while playing pauses
    EXPECT_FALSE(v.core.playing());
    EXPECT_EQ(v.c().playCaption, kPlayCaption);
    EXPECT_TRUE(v.c().printEnabled);
    v.core.playClick();
    v.core.printClick(); // print while playing pauses
    EXPECT_FALSE(v.core.playing());
    EXPECT_EQ(v.c().playCaption, kPlayCaption);
    // A seek to a record > 0 while playing enables Up and Next.
    v.core.playClick();
    v.core.trackBarMovedTo(1);
    v.core.trackBarMovedTo(3);
    EXPECT_TRUE(v.c().upEnabled);
    EXPECT_TRUE(v.c().nextEnabled);
    EXPECT_TRUE(v.core.playing());
    v.core.trackBarMovedTo(5); // arm
    v.core.trackBarMovedTo(0); // a seek to record 0 disables Up
    EXPECT_FALSE(v.c().upEnabled);
    EXPECT_EQ(v.last(), (Shown{0, 0}));
}

// Counts the file announces are taken as they are, even absurd ones, without
// the arithmetic overflowing.
TEST(ViewerCore, AbsurdRecordCounts) {
    for (int32_t count : {INT32_MIN, -1, 0, INT32_MAX}) {
        SCOPED_TRACE(count);
        RecordWriter w;
        w.addRecord(makeFrames(11));
        w.addRecord(makeFrames(11, 100));
        Viewer v;
        ASSERT_TRUE(v.core.openItemClick(writeTemp("count.DAT", w.bytes(count))).ok());
        EXPECT_EQ(v.c().trackBarMax, std::max<int64_t>(int64_t{count} - 1, 0));
        for (int i = 0; i < 12; ++i)
            v.core.nextClick();
        v.core.trackBarMovedTo(v.c().trackBarMax);
        v.core.trackBarMovedTo(1);
        v.core.playClick();
        v.play(50);
        v.core.upClick();
        EXPECT_FALSE(v.drawn.empty());
    }
}

TEST(ViewerCore, NoteItemIsTheFirstIntervalHoldingTheRecord) {
    // Against the rule as written, a linear search, on note lists with
    // repeated records.
    std::mt19937 rng(9);
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<int32_t> notes(std::uniform_int_distribution<size_t>(1, 12)(rng));
        for (auto& n : notes)
            n = std::uniform_int_distribution<int32_t>(0, 20)(rng);
        std::sort(notes.begin(), notes.end());
        const int32_t m = static_cast<int32_t>(notes.size());
        for (int32_t r = -2; r < 24; ++r) {
            int32_t expected = m - 1;
            for (int32_t i = 0; i + 1 < m; ++i) {
                if (notes[static_cast<size_t>(i)] <= r && r < notes[static_cast<size_t>(i + 1)]) {
                    expected = i;
                    break;
                }
            }
            std::vector<Note> items;
            for (int32_t n : notes)
                items.push_back({"", n});
            ASSERT_EQ(noteItemForRecord(items, r), expected) << "record " << r;
        }
    }
}

// A file in which no record can be indexed (not a recording) opens, but
// nothing of it is read: the empty plot and the readout placeholders, Play,
// Up, Next and Print disabled, no place on screen, and the seek bar and a
// click on the overview go nowhere. The next file that holds records brings
// the buttons back.
TEST(ViewerCore, AFileWithoutRecordsHasNothingToPlayOrPrint) {
    Bytes junk(4096, 0x5A);
    setWord(junk, 0, 1699618851);
    setWord(junk, 4, 0x7FFFFFF0); // the first record runs past the end
    const std::string none = writeTemp("none-indexed.DAT", junk);
    Viewer v;
    ASSERT_TRUE(v.core.openItemClick(viewerFile("before-none.DAT", kTenBy11)).ok());
    v.core.nextClick();
    ASSERT_EQ(v.last(), (Shown{0, 2}));
    v.drawn.clear();
    v.emptyPlots = 0;
    for (const bool cancelledAfter : {false, true}) {
        SCOPED_TRACE(cancelledAfter ? "open, then a cancelled open" : "open");
        ASSERT_TRUE(v.core.openItemClick(none).ok());
        if (cancelledAfter) v.core.openItemClick(std::nullopt);
        EXPECT_TRUE(v.core.fileOpen());
        EXPECT_FALSE(v.core.hasRecords());
        EXPECT_EQ(v.core.recordCount(), 1699618851); // the bar still has its positions
        const ControlState& c = v.c();
        EXPECT_FALSE(c.playEnabled);
        EXPECT_FALSE(c.upEnabled);
        EXPECT_FALSE(c.nextEnabled);
        EXPECT_FALSE(c.printEnabled);
        EXPECT_TRUE(v.drawn.empty());
        EXPECT_GE(v.emptyPlots, 1);
        EXPECT_EQ(v.core.placeOnScreen(), std::nullopt);
        EXPECT_TRUE(v.core.frameOnScreen().empty());
        EXPECT_EQ(v.core.readouts(), readoutPlaceholders());
        v.core.trackBarMovedTo(1000);
        v.core.trackBarMovedTo(0);
        EXPECT_FALSE(v.core.goToFrame(0, 0));
        EXPECT_TRUE(v.drawn.empty());
        EXPECT_FALSE(v.c().upEnabled);
        EXPECT_FALSE(v.c().nextEnabled);
        EXPECT_EQ(v.core.placeOnScreen(), std::nullopt);
    }
    ASSERT_TRUE(v.core.openItemClick(viewerFile("after-none.DAT", kTenBy11)).ok());
    EXPECT_TRUE(v.c().playEnabled);
    EXPECT_TRUE(v.c().nextEnabled);
    EXPECT_TRUE(v.c().printEnabled);
    EXPECT_EQ(v.last(), (Shown{0, 0}));
}

// 查看 › 转到 goes only to a frame stepping shows; a number beyond the
// records or the frames is out of range whatever its length, and only a text
// that is no "R" or "R:F" is malformed.
TEST(ViewerCore, GoToTarget) {
    // Records of 11, 1, 0 and 4 frames.
    RecordQuery query;
    ASSERT_TRUE(query.open(viewerFile("goto-typed.DAT", {11, 1, 0, 4})).ok());
    using K = GoToTarget::Kind;
    const struct {
        const char* typed;
        K kind;
        FramePlace place;
        const char *record, *frame;
        int32_t shownFrames;
    } cases[] = {
        {"1", K::Frame, {1, 0}, "1", "0", 1},
        {" 0 : 9 ", K::Frame, {0, 9}, "0", "9", 10},
        {"3:2", K::Frame, {3, 2}, "3", "2", 3},
        {"0:10", K::FrameOutOfRange, {0, 0}, "0", "10", 10}, // the slot stepping never shows
        {"3:3", K::FrameOutOfRange, {3, 0}, "3", "3", 3},
        {"1:1", K::FrameOutOfRange, {1, 0}, "1", "1", 1},
        {"0:99999999999", K::FrameOutOfRange, {0, 0}, "0", "99999999999", 10},
        {"2", K::NoShownFrame, {2, 0}, "2", "0", 0},
        {"4", K::RecordOutOfRange, {0, 0}, "4", "0", 0},
        {"12345678901234", K::RecordOutOfRange, {0, 0}, "12345678901234", "0", 0},
        {"00000000000000000003:0001", K::Frame, {3, 1}, "3", "1", 3},
        {"0:-1", K::NotAPlace, {0, 0}, "", "", 0},
        {"-0", K::NotAPlace, {0, 0}, "", "", 0},
        {"+1", K::NotAPlace, {0, 0}, "", "", 0},
        {"1:", K::NotAPlace, {0, 0}, "", "", 0},
        {":1", K::NotAPlace, {0, 0}, "", "", 0},
        {"1:2:3", K::NotAPlace, {0, 0}, "", "", 0},
        {"abc", K::NotAPlace, {0, 0}, "", "", 0},
        {"", K::NotAPlace, {0, 0}, "", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const GoToTarget t = goToTarget(c.typed, query);
        EXPECT_EQ(static_cast<int>(t.kind), static_cast<int>(c.kind));
        EXPECT_EQ(t.record, c.record);
        EXPECT_EQ(t.frame, c.frame);
        if (c.kind == K::NotAPlace) continue;
        EXPECT_EQ(t.records, 4);
        EXPECT_EQ(t.place, c.place);
        EXPECT_EQ(t.shownFrames, c.shownFrames);
    }
    // A file in which no record can be indexed has nowhere to go.
    Bytes junk(4096, 0x5A);
    setWord(junk, 0, INT32_MAX);
    setWord(junk, 4, 0x7FFFFFF0); // the first record runs past the end
    RecordQuery none;
    ASSERT_TRUE(none.open(writeTemp("goto-junk.DAT", junk)).ok());
    EXPECT_EQ(goToTarget("0", none).kind, K::NoRecords);
    EXPECT_EQ(goToTarget("x", none).kind, K::NotAPlace);
}

// A click on the echo-dynamics overview: the record with the parameters in
// force at it, the frame on screen, Up and Next enabled, playback paused;
// records and frames that do not exist change nothing, not even the pause.
TEST(ViewerCore, GoToFrame) {
    // Records of 11 frames, record 5 of one frame; blocks on 0 and 3, notes
    // on 2 and 6.
    std::vector<int> frames(10, 11);
    frames[5] = 1;
    const std::string path = viewerFile("goto.DAT", frames, {2, 6}, {3});
    struct Case {
        const char* name;
        bool playFirst;
        int32_t record, frame;
        bool goes;
        int32_t baseGain; // the block in force afterwards (100 + its record)
        int32_t note;
        int32_t delay;
    };
    const Case cases[] = {
        {"first record, paused", false, 0, 3, true, 100, 1, 100},
        {"block in force from record 3", false, 4, 9, true, 103, 0, 100},
        {"while playing", true, 7, 0, true, 106, 1, 100},
        {"last record, last frame slot", false, 9, 10, true, 106, 1, 100},
        {"one-frame record", true, 5, 0, true, 103, 0, 1000},
        {"frame past the record", true, 5, 1, false, 0, 0, 0},
        {"negative frame", false, 2, -1, false, 0, 0, 0},
        {"record past the index", true, 10, 0, false, 0, 0, 0},
        {"negative record", false, -1, 0, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Viewer v;
        ASSERT_TRUE(v.core.openItemClick(path).ok());
        if (c.playFirst) v.core.playClick();
        const ControlState before = v.c();
        const int32_t recordBefore = v.core.currentRecord(), frameBefore = v.core.frameIndex();
        v.drawn.clear();
        EXPECT_EQ(v.core.goToFrame(c.record, c.frame), c.goes);
        if (!c.goes) {
            EXPECT_TRUE(v.drawn.empty());
            EXPECT_EQ(v.core.playing(), c.playFirst);
            EXPECT_EQ(v.c().playCaption, before.playCaption);
            EXPECT_EQ(v.c().upEnabled, before.upEnabled);
            EXPECT_EQ(v.core.currentRecord(), recordBefore);
            EXPECT_EQ(v.core.frameIndex(), frameBefore);
            continue;
        }
        EXPECT_EQ(v.drawn, (std::vector<Shown>{{c.record, c.frame}}));
        EXPECT_EQ(v.core.currentRecord(), c.record);
        EXPECT_EQ(v.core.frameIndex(), c.frame);
        EXPECT_EQ(v.core.params().baseGain(), c.baseGain);
        EXPECT_FALSE(v.core.playing());
        EXPECT_EQ(v.c().playCaption, kPlayCaption);
        EXPECT_TRUE(v.c().upEnabled);
        EXPECT_TRUE(v.c().nextEnabled);
        EXPECT_TRUE(v.c().printEnabled);
        EXPECT_EQ(v.c().selectedNote, c.note);
        EXPECT_EQ(v.c().trackBarPosition, c.record);
        EXPECT_EQ(v.core.playbackDelay(), c.delay);
        // Next goes on from the frame on screen.
        if (c.frame < v.core.framesPerRecord() - 2) {
            v.core.nextClick();
            EXPECT_EQ(v.last(), (Shown{c.record, c.frame + 1}));
        }
    }

    // After playback ran past the last record the caption stays "stop" and
    // the finished mark stays, as after Up and Next.
    Viewer v;
    ASSERT_TRUE(v.core.openItemClick(path).ok());
    v.core.playClick();
    v.play();
    ASSERT_TRUE(v.core.playbackFinished());
    EXPECT_TRUE(v.core.goToFrame(3, 2));
    EXPECT_EQ(v.last(), (Shown{3, 2}));
    EXPECT_EQ(v.c().playCaption, kStopCaption);
    EXPECT_TRUE(v.core.playbackFinished());
}

// Whatever mix of commands ran, the place on screen names the frame drawn
// last (which the frame's values identify), although currentRecord and
// frameIndex read differently from command to command.
TEST(ViewerCore, PlaceOnScreenIsTheFrameDrawnLast) {
    std::vector<int> frames(12, 11);
    frames[4] = 1; // a record of one frame: playback draws nothing there
    frames[7] = 3;
    const std::string path = viewerFile("place.DAT", frames, {2, 9}, {5});
    Viewer v;
    EXPECT_EQ(v.core.placeOnScreen(), std::nullopt);
    ASSERT_TRUE(v.core.openItemClick(path).ok());
    const TestSeed seed;
    std::mt19937 rng(seed.value());
    for (int step = 0; step < 3000; ++step) {
        switch (rng() % 7) {
        case 0: v.core.nextClick(); break;
        case 1: v.core.upClick(); break;
        case 2: v.core.trackBarMovedTo(static_cast<int32_t>(rng() % 12)); break;
        case 3: v.core.noteClick(static_cast<int32_t>(rng() % 2)); break;
        case 4:
            v.core.goToFrame(static_cast<int32_t>(rng() % 12), static_cast<int32_t>(rng() % 11));
            break;
        case 5: v.core.playClick(); break;
        default:
            if (!v.core.playing()) v.core.playClick();
            for (int k = rng() % 30; k > 0; --k)
                v.core.playbackTick();
        }
        const std::optional<FramePlace> place = v.core.placeOnScreen();
        ASSERT_TRUE(place) << step;
        ASSERT_EQ((Shown{place->record, place->frame}), v.last()) << step;
    }
    // Another file: nothing of the last one is on screen until its first frame.
    ASSERT_TRUE(v.core.openItemClick(viewerFile("place-2.DAT", {11, 11})).ok());
    EXPECT_EQ(v.core.placeOnScreen(), (FramePlace{0, 0}));
}
