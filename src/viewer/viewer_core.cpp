#include "viewer/viewer_core.h"

#include <algorithm>

namespace vantrel {

ViewerCore::ViewerCore() : readouts_(readoutPlaceholders()) {}

// ---------------------------------------------------------------- operations

void ViewerCore::parametersChanged() {
    if (painter_.pathRuler) painter_.pathRuler();
}

void ViewerCore::loadCurrentRecord() {
    if (currentRecord_ < 0) currentRecord_ = 0;
    bufferRecord_ = currentRecord_;
    if (query_.loadRecord(currentRecord_)) parametersChanged();
    updateTrackBar();
    framesPerRecord_ = query_.framesPerRecord();
    frameIndex_ = 0;
    selectNoteForRecord();
    playbackDelay_ = playbackDelayFor(framesPerRecord_);
}

void ViewerCore::loadParameterRecord(int32_t r) {
    if (query_.loadParameterRecord(r)) parametersChanged();
}

void ViewerCore::seekLoad(int32_t r) {
    currentRecord_ = r;
    loadParameterRecord(r);
    loadCurrentRecord();
}

void ViewerCore::drawFrame(int32_t f) {
    lastDrawn_ = f;
    shownFrame_ = f;
    shownRecord_ = bufferRecord_;
    const std::optional<RecordQuery::FrameOnScreen> shown = query_.frameOnScreen(f);
    if (!shown) {
        if (painter_.emptyPlot) painter_.emptyPlot();
        return;
    }
    frameTail_ = shown->tail;
    readouts_ = shown->readouts;
    if (painter_.frame) painter_.frame(query_.frame(f));
}

bool ViewerCore::drawNextFrame() {
    if (frameIndex_ < playedFrames(framesPerRecord_)) {
        drawFrame(frameIndex_);
        ++frameIndex_;
        return true;
    }
    frameIndex_ = 0;
    return false;
}

std::optional<FramePlace> ViewerCore::placeOnScreen() const {
    if (!fileOpen_ || shownRecord_ < 0 || shownFrame_ < 0) return std::nullopt;
    return FramePlace{shownRecord_, shownFrame_};
}

namespace {

// a x b / c for the seek bar's mapping between positions and records,
// truncating toward zero. The instrument computes the product in 32 bits,
// which wraps from about 46,000 records on (a bar of n positions times a
// record near n); here it is exact, and so the same wherever the 32-bit
// product did not wrap. The quotient is clamped into 32 bits; the callers
// keep it in range anyway.
int32_t scaleBar(int64_t a, int64_t b, int64_t c) {
    return static_cast<int32_t>(std::clamp<int64_t>(a * b / c, INT32_MIN, INT32_MAX));
}

} // namespace

void ViewerCore::updateTrackBar() {
    seekArmed_ = false;
    if (recordCount_ <= 1) {
        setTrackBarPosition(0);
    } else {
        setTrackBarPosition(scaleBar(controls_.trackBarMax, currentRecord_, recordCount_ - 1));
    }
}

std::optional<FramePlace> parseFramePlace(std::string_view text) {
    auto number = [](std::string_view t) -> std::optional<int32_t> {
        while (!t.empty() && t.front() == ' ')
            t.remove_prefix(1);
        while (!t.empty() && t.back() == ' ')
            t.remove_suffix(1);
        if (t.empty() || t.size() > 10) return std::nullopt;
        int64_t v = 0;
        for (const char c : t) {
            if (c < '0' || c > '9') return std::nullopt;
            v = v * 10 + (c - '0');
        }
        if (v > INT32_MAX) return std::nullopt;
        return static_cast<int32_t>(v);
    };
    const size_t colon = text.find(':');
    const auto record = number(text.substr(0, colon));
    if (!record) return std::nullopt;
    if (colon == std::string_view::npos) return FramePlace{*record, 0};
    const auto frame = number(text.substr(colon + 1));
    if (!frame) return std::nullopt;
    return FramePlace{*record, *frame};
}

GoToTarget goToTarget(std::string_view text, const RecordQuery& query) {
    // The digits of a number between blanks, leading zeros dropped; nullopt
    // for anything else.
    auto digits = [](std::string_view t) -> std::optional<std::string> {
        while (!t.empty() && t.front() == ' ')
            t.remove_prefix(1);
        while (!t.empty() && t.back() == ' ')
            t.remove_suffix(1);
        if (t.empty() ||
            !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        const size_t first = std::min(t.find_first_not_of('0'), t.size() - 1);
        return std::string(t.substr(first));
    };
    // A number of digits as a 32-bit count, or nullopt beyond it.
    auto value = [](const std::string& d) -> std::optional<int32_t> {
        if (d.size() > 10) return std::nullopt;
        const int64_t v = std::stoll(d);
        if (v > INT32_MAX) return std::nullopt;
        return static_cast<int32_t>(v);
    };
    GoToTarget t;
    const size_t colon = text.find(':');
    const std::optional<std::string> record = digits(text.substr(0, colon));
    const std::optional<std::string> frame = colon == std::string_view::npos
                                                 ? std::optional<std::string>("0")
                                                 : digits(text.substr(colon + 1));
    if (!record || !frame) return t; // NotAPlace
    t.record = *record;
    t.frame = *frame;
    t.records = static_cast<int32_t>(query.file().recordIndex().size());
    if (t.records == 0) {
        t.kind = GoToTarget::Kind::NoRecords;
        return t;
    }
    const std::optional<int32_t> r = value(t.record);
    if (!r || *r >= t.records) {
        t.kind = GoToTarget::Kind::RecordOutOfRange;
        return t;
    }
    t.place.record = *r;
    t.shownFrames = shownFrames(query.framesOfRecord(*r));
    const std::optional<int32_t> f = value(t.frame);
    if (t.shownFrames == 0) {
        t.kind = GoToTarget::Kind::NoShownFrame;
    } else if (!f || *f >= t.shownFrames) {
        t.kind = GoToTarget::Kind::FrameOutOfRange;
    } else {
        t.kind = GoToTarget::Kind::Frame;
        t.place.frame = *f;
    }
    return t;
}

int32_t noteItemForRecord(const std::vector<Note>& notes, int32_t record) {
    // The first i < m - 1 with notes[i] <= record < notes[i + 1], else the
    // last item (also before the first note). Notes ascend, so that i is the
    // last note at or before the record: a binary search finds it in files
    // with many thousands of notes.
    const int32_t m = static_cast<int32_t>(notes.size());
    const int32_t atOrBefore =
        static_cast<int32_t>(
            std::upper_bound(notes.begin(), notes.end(), record,
                             [](int32_t r, const Note& n) { return r < n.record; }) -
            notes.begin()) -
        1;
    return atOrBefore >= 0 && atOrBefore <= m - 2 ? atOrBefore : m - 1;
}

void ViewerCore::selectNoteForRecord() {
    const std::vector<Note>& notes = file().notes();
    if (notes.empty()) return;
    controls_.selectedNote = noteItemForRecord(notes, currentRecord_); // a selection, not a click
}

void ViewerCore::setTrackBarMax(int32_t max) {
    controls_.trackBarMax = max;
    // Like the slider it stands for, the bar keeps its position in range.
    if (controls_.trackBarPosition > max) setTrackBarPosition(max);
}

void ViewerCore::setTrackBarPosition(int32_t position) {
    position = std::clamp(position, 0, controls_.trackBarMax);
    if (position == controls_.trackBarPosition) return; // no change, no call
    controls_.trackBarPosition = position;
    trackBarChange();
}

void ViewerCore::pause() {
    if (!playing_) return;
    playing_ = false;
    if (playingChanged_) playingChanged_(false);
}

void ViewerCore::resume() {
    if (playing_) return;
    playing_ = true;
    if (playingChanged_) playingChanged_(true);
}

// ---------------------------------------------------------------- commands

void ViewerCore::formShow() {
    if (painter_.emptyPlot) painter_.emptyPlot();
    if (painter_.pathRuler) painter_.pathRuler();
    readouts_ = readoutPlaceholders();
}

void ViewerCore::openSequence() {
    fileOpen_ = true;
    recordCount_ = file().recordCount();
    currentRecord_ = 0;
    frameIndex_ = 0;
    playbackFinished_ = false;
    // The instrument's scan leaves its record counter at -1 here; the first
    // load turns it into 0.
    currentRecord_ = -1;
    // A file that announces no records still gets a bar of one position.
    setTrackBarMax(static_cast<int32_t>(std::max<int64_t>(int64_t{recordCount_} - 1, 0)));
    setTrackBarPosition(0);
    controls_.playEnabled = hasRecords();
    controls_.playCaption = kPlayCaption;
    controls_.upEnabled = false;
    controls_.nextEnabled = hasRecords();
    controls_.printEnabled = false;
}

OpenResult ViewerCore::openItemClick(const std::optional<std::string>& path,
                                     const RecordFile::ScanProgress& progress) {
    pause(); // the caption stays as it is
    OpenResult result;
    if (path) {
        result = query_.open(*path, progress);
        if (!result.ok()) return result; // the open file stays as it was
        controls_.selectedNote = -1;     // the note list was emptied and refilled
        bufferRecord_ = shownRecord_ = -1;
        openSequence();
    }
    if (fileOpen_ && !hasRecords()) {
        // Nothing of the file is on screen: no frame, no readouts.
        if (painter_.emptyPlot) painter_.emptyPlot();
        readouts_ = readoutPlaceholders();
        shownRecord_ = shownFrame_ = -1;
        return result;
    }
    if (recordCount_ != 0) {
        if (frameIndex_ == 0) {
            loadCurrentRecord();
            ++currentRecord_;
        }
        // After repeated cancels frameIndex runs past the record's frames;
        // the record's last frame then stays on screen.
        drawFrame(framesPerRecord_ > 0 ? std::min(frameIndex_, framesPerRecord_ - 1) : frameIndex_);
        ++frameIndex_;
        controls_.printEnabled = true;
    }
    return result;
}

void ViewerCore::playClick() {
    if (!fileOpen_) return;
    if (playbackFinished_) {
        playbackFinished_ = false;
        recordCount_ = query_.rereadRecordCount();
        currentRecord_ = 0;
        frameIndex_ = 0;
        query_.reloadBlockInBuffer();
        parametersChanged();
    }
    if (!playing_) {
        resume();
        controls_.playCaption = kStopCaption;
        controls_.printEnabled = false;
    } else {
        pause();
        controls_.playCaption = kPlayCaption;
        controls_.printEnabled = true;
    }
}

// Up and Next stop playback first, as a press of the Play button would,
// and make printing possible again.
void ViewerCore::stopForStep() {
    if (playing_) {
        pause();
        controls_.playCaption = kPlayCaption;
    }
    controls_.printEnabled = true;
}

void ViewerCore::upClick() {
    if (!fileOpen_) return;
    stopForStep();
    if (frameIndex_ > 0) {
        --frameIndex_;
        drawFrame(frameIndex_);
        controls_.nextEnabled = true;
    } else if (currentRecord_ > 0) {
        --currentRecord_;
        loadParameterRecord(currentRecord_);
        loadCurrentRecord();
        if (framesPerRecord_ > 0) {
            // Up enters the record at the last frame that stepping shows;
            // a record of one frame has only frame 0 to show.
            frameIndex_ = shownFrames(framesPerRecord_) - 1;
            drawFrame(frameIndex_);
            controls_.nextEnabled = true;
        }
    }
}

void ViewerCore::nextClick() {
    if (!fileOpen_) return;
    stopForStep();
    if (frameIndex_ < shownFrames(framesPerRecord_) - 1) {
        ++frameIndex_;
        drawFrame(frameIndex_);
        controls_.upEnabled = true;
        return;
    }
    if (int64_t{currentRecord_} < int64_t{recordCount_} - 1) { // no wrap for absurd counts
        ++currentRecord_;
        loadCurrentRecord();
    }
    if (frameIndex_ < framesPerRecord_) {
        drawFrame(frameIndex_);
        controls_.upEnabled = true;
    }
}

bool ViewerCore::goToFrame(int32_t r, int32_t f) {
    if (!fileOpen_ || r < 0 || r >= static_cast<int64_t>(file().recordIndex().size())) return false;
    if (f < 0 || f >= query_.framesOfRecord(r)) return false;
    stopForStep(); // a finished playback keeps its caption, as after Up and Next
    loadParameterRecord(r);
    currentRecord_ = r;
    loadCurrentRecord();
    frameIndex_ = f; // the frame on screen, as after Up or Next
    drawFrame(frameIndex_);
    controls_.upEnabled = true;
    controls_.nextEnabled = true;
    return true;
}

void ViewerCore::trackBarMovedTo(int32_t position) { setTrackBarPosition(position); }

int32_t ViewerCore::recordForBarPosition(int32_t position) const {
    // The last position maps to recordCount, one past the last record. A bar
    // without range (a file of one record) has only record 0 to go to.
    const int32_t range = controls_.trackBarMax;
    return range == 0 ? 0 : scaleBar(recordCount_, position, range);
}

void ViewerCore::trackBarChange() {
    if (!hasRecords()) return;
    if (!seekArmed_) {
        // This change was made by the load's own update of the bar.
        controls_.upEnabled = true;
        controls_.nextEnabled = true;
        seekArmed_ = true;
        return;
    }
    currentRecord_ = recordForBarPosition(controls_.trackBarPosition);
    if (currentRecord_ <= 0) {
        currentRecord_ = 0;
        controls_.upEnabled = false;
    }
    if (currentRecord_ > 0 && playing_) {
        controls_.upEnabled = true;
        controls_.nextEnabled = true;
    }
    if (currentRecord_ >= recordCount_) {
        controls_.playCaption = kPlayCaption;
        controls_.nextEnabled = false;
        controls_.upEnabled = false;
        currentRecord_ = 0;
        if (playing_) {
            pause();
            controls_.printEnabled = true;
        }
    }
    loadParameterRecord(currentRecord_);
    loadCurrentRecord();
    drawFrame(frameIndex_);
}

void ViewerCore::noteClick(int32_t item) {
    if (!fileOpen_) return;
    const std::vector<Note>& notes = file().notes();
    if (item < 0 || item >= static_cast<int32_t>(notes.size())) return;
    controls_.selectedNote = item;
    controls_.playCaption = kStopCaption;
    if (!playing_) {
        resume();
        controls_.printEnabled = false;
    }
    currentRecord_ = notes[static_cast<size_t>(item)].record;
    loadCurrentRecord();
    drawFrame(frameIndex_);
}

void ViewerCore::printClick() {
    if (playing_) {
        pause();
        controls_.playCaption = kPlayCaption;
    }
}

void ViewerCore::formClose() { pause(); }

void ViewerCore::playbackStep() {
    if (frameIndex_ == 0) {
        loadCurrentRecord();
        ++currentRecord_;
    }
    drawNextFrame();
}

void ViewerCore::playbackTick() {
    if (!playing_) return;
    if (currentRecord_ < recordCount_) {
        playbackStep();
    } else {
        playbackFinished_ = true;
        pause();
    }
}

} // namespace vantrel
