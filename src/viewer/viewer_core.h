// The viewer's rules without a window: the open file, the current parameter
// copy with its panel texts, the record and frame on screen, the readouts of
// the frame drawn last, the curve storage, the playback state and the state
// of every control. Each user command is one method here; the main window
// only forwards its events and maps this state onto its widgets, and
// vantrel-inspect replays the very same methods headless.
//
// The two position members read differently by command, as on the
// instrument: after a playback step and after Open, currentRecord is one past
// the record in the buffer and frameIndex the frame the next playback step
// takes; after Up and Next, frameIndex is the frame on screen; after a seek,
// a note click, or an Up or Next that loads a record, currentRecord is the
// record in the buffer. Nothing converts between the two readings.
//
// Everything here runs on the user-interface thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "display/curves.h"
#include "display/display_text.h"
#include "recordfile/frame_layout.h"
#include "recordfile/instrument_params.h"
#include "recordfile/record_file.h"
#include "viewer/frame_place.h"
#include "viewer/record_query.h"

namespace vantrel {

// The Play button's captions (GBK): play and stop.
inline const std::string kPlayCaption = "\xB2\xA5\xB7\xC5";
inline const std::string kStopCaption = "\xCD\xA3\xD6\xB9";

// What the controls show; the window copies it onto its widgets.
struct ControlState {
    bool playEnabled = false;
    std::string playCaption = kPlayCaption;
    bool upEnabled = false;
    bool nextEnabled = false;
    bool printEnabled = false;
    int32_t trackBarMax = 0; // minimum is always 0
    int32_t trackBarPosition = 0;
    int32_t selectedNote = -1; // item of the note list, -1 for none
};

// A place as the user types it: "R" (frame 0 of record R) or "R:F", numbers
// from 0, blanks around them allowed. Nullopt for anything else (signs,
// other characters, a number beyond 32 bits).
std::optional<FramePlace> parseFramePlace(std::string_view text);

// Where 查看 › 转到 takes a typed place in the file `query` has open: the
// place when it names a frame stepping shows (frames 0 .. framesPerRecord - 2
// of an indexed record, frame 0 of a record of one frame: shownFrames), else
// why not. Numbers of any length count as numbers: one beyond the records or
// the frames is out of range, not malformed.
struct GoToTarget {
    enum class Kind : uint8_t {
        Frame,            // `place` is a shown frame
        NotAPlace,        // not "R" or "R:F" (parseFramePlace's forms)
        NoRecords,        // the file holds no readable record
        RecordOutOfRange, // record beyond 0 .. records - 1
        NoShownFrame,     // the record holds no frame to show
        FrameOutOfRange,  // frame beyond 0 .. shownFrames - 1 of the record
    };
    Kind kind = Kind::NotAPlace;
    FramePlace place;          // Frame; the record for NoShownFrame and FrameOutOfRange
    std::string record, frame; // the numbers as typed, without blanks and leading zeros
    int32_t records = 0;       // the indexed records
    int32_t shownFrames = 0;   // NoShownFrame, FrameOutOfRange: the record's shown frames
};
GoToTarget goToTarget(std::string_view text, const RecordQuery& query);

// The note list item that belongs to `record`, for ascending note records
// (at least one).
int32_t noteItemForRecord(const std::vector<Note>& notes, int32_t record);

class ViewerCore {
public:
    // Where pictures go: the main window's images, or nowhere when headless.
    struct Painter {
        // Draw `frame` (kFrameSize bytes) as the A-scan.
        std::function<void(std::span<const uint8_t> frame)> frame;
        // Draw the plot without a trace.
        std::function<void()> emptyPlot;
        // Redraw the sound-path ruler from pathRuler() (blank when no block).
        std::function<void()> pathRuler;
    };

    ViewerCore(); // the state of a freshly created main window
    void setPainter(Painter painter) { painter_ = std::move(painter); }
    // Called whenever playback is paused or resumed (the playback thread).
    void setPlayingChanged(std::function<void(bool playing)> f) { playingChanged_ = std::move(f); }

    // ---- commands (the window's event handlers)

    // First showing of the window: empty plot, rulers, readout placeholders.
    void formShow();
    // The Open command pauses playback before its dialog shows; the Play
    // caption stays as it is.
    void pauseForDialog() { pause(); }
    // Open with a file chosen in the dialog (or nullopt: dialog cancelled).
    // A file that cannot be opened changes nothing but the pause of the
    // dialog: the open file stays on screen with its state.
    OpenResult openItemClick(const std::optional<std::string>& path,
                             const RecordFile::ScanProgress& progress = {});
    void playClick();
    void upClick();
    void nextClick();
    // The user moved the seek bar to `position` (clamped to its range).
    void trackBarMovedTo(int32_t position);
    // The record a move of the seek bar to `position` goes to (recordCount
    // for the end of the bar, which goes back to record 0).
    int32_t recordForBarPosition(int32_t position) const;
    // A click on note list item i; an item that does not exist changes nothing.
    void noteClick(int32_t item);
    // A click on the echo-dynamics overview at frame f of record r: pauses
    // playback as Up and Next do, makes r the record in the buffer with the
    // parameters in force at r (bar, note and pace follow), draws frame f and
    // leaves it the frame on screen. A record without an index entry or a
    // frame the record does not hold changes nothing. Returns whether it went.
    bool goToFrame(int32_t r, int32_t f);
    // Print button: pauses playback; the caller shows the report.
    void printClick();
    // Closing the window or Exit.
    void formClose();
    // One turn of the playback thread's loop (its test, then the playback
    // step or the end-of-file pause); nothing while paused.
    void playbackTick();

    // ---- state

    bool fileOpen() const { return fileOpen_; }
    // Whether a file is open whose index holds a record. A file in which no
    // record could be indexed (not a recording) opens, but there is nothing
    // to read, play, step through, seek to or print: its open draws the
    // empty plot and leaves Play, Up, Next and Print disabled.
    bool hasRecords() const { return fileOpen_ && !file().recordIndex().empty(); }
    int32_t recordCount() const { return recordCount_; }
    int32_t currentRecord() const { return currentRecord_; }
    int32_t frameIndex() const { return frameIndex_; }
    int32_t framesPerRecord() const { return framesPerRecord_; }
    int32_t playbackDelay() const { return playbackDelay_; }
    bool seekArmed() const { return seekArmed_; }
    bool playing() const { return playing_; }
    bool playbackFinished() const { return playbackFinished_; }
    const ControlState& controls() const { return controls_; }
    // The frame index of the last drawFrame, or nullopt; forgotten by the
    // caller before a step to learn what the step drew.
    const std::optional<int32_t>& lastDrawn() const { return lastDrawn_; }
    void forgetLastDrawn() { lastDrawn_.reset(); }
    // The frame on screen: the frame of the record in the buffer that was
    // drawn last (empty when that record has no such frame). The report
    // shows this frame, also where frameIndex already names the next one.
    std::span<const uint8_t> frameOnScreen() const { return query_.frame(shownFrame_); }
    // Which frame of which record was drawn last, in one reading whatever
    // the command (the position members above read differently by command):
    // the place the echo-dynamics cursor marks. Nullopt before the first
    // drawing of the open file. A record read without an index entry is
    // named by the number it was asked for.
    std::optional<FramePlace> placeOnScreen() const;

    // The file, the record in the buffer and the parameters in force.
    const RecordQuery& query() const { return query_; }
    const RecordFile& file() const { return query_.file(); }
    const InstrumentParams& params() const { return query_.params(); }
    // The curves built for the parameters in force.
    const CurveSet& curves() const { return query_.curves(); }
    const FrameTail& frameTail() const { return frameTail_; }
    // The items of the note list: the file's notes, in file order.
    const std::vector<Note>& noteItems() const { return file().notes(); }

    // Panel texts and ruler labels: empty until a parameter block is loaded.
    bool parametersLoaded() const { return query_.parametersLoaded(); }
    const PanelTexts& panel() const { return query_.panel(); }
    const std::array<std::string, 6>& pathRuler() const { return query_.pathRuler(); }
    const ReadoutTexts& readouts() const { return readouts_; }

    // ---- operations the commands are made of, also run headless

    // The loads of a seek to record r (parameter record, then r), which
    // becomes the record in the buffer.
    void seekLoad(int32_t r);
    // Draws frame f of the record in the buffer: the frame's values and
    // readouts first, then the picture. A frame the record does not hold
    // has no bytes to show: the plot is drawn empty and the readouts keep the
    // last frame's.
    void drawFrame(int32_t f);
    // The playback step's drawing: frame frameIndex and on to the next while
    // frames remain before the record's last one (which playback never
    // shows); otherwise back to frame 0 without drawing.
    bool drawNextFrame();

private:
    // Reads the record currentRecord (through the index; at the file's
    // current position when it has no entry) and makes it the record in the
    // buffer: seek bar, frames, frameIndex 0, note, playback pace.
    void loadCurrentRecord();
    // Reads the record holding the parameter block in force at record r.
    void loadParameterRecord(int32_t r);
    // New parameters are in force: the sound-path ruler is drawn anew.
    void parametersChanged();
    void openSequence();
    void playbackStep();
    void pause();
    void stopForStep();
    void resume();
    void updateTrackBar();
    void selectNoteForRecord();
    // The program sets the bar: a change of position calls the handler.
    void setTrackBarPosition(int32_t position);
    void setTrackBarMax(int32_t max);
    void trackBarChange();

    RecordQuery query_;
    FrameTail frameTail_;
    Painter painter_;
    std::function<void(bool)> playingChanged_;

    bool fileOpen_ = false;
    int32_t recordCount_ = 0;
    int32_t currentRecord_ = 0;
    int32_t frameIndex_ = 0;
    int32_t framesPerRecord_ = 0;
    int32_t playbackDelay_ = 0;
    bool seekArmed_ = true;
    bool playing_ = false;
    bool playbackFinished_ = false;
    ControlState controls_;
    std::optional<int32_t> lastDrawn_;
    int32_t shownFrame_ = -1;
    int32_t bufferRecord_ = -1; // the record loadCurrentRecord read last
    int32_t shownRecord_ = -1;  // the record of the frame drawn last
    ReadoutTexts readouts_;
};

} // namespace vantrel
