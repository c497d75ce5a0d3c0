// The inspection file: what an inspector decided about one recording
// (`Inspection`), kept as a small JSON file beside the recording, which is
// evidence and never written. docs/inspection-file.md describes the format.
//
// Where it is kept: NAME.DAT.vantrel.json in the recording's folder is the
// recording's inspection. When no file can be written there (a read-only
// stick) or a file there must be kept as it is (damaged, of a newer version,
// another recording's), the decisions go to the user's data folder instead,
// under a name made of the recording's size and the hash of its record
// index, so that a copy of the same recording elsewhere finds them again.
// The data folder's file is used only where a save would go there too; it
// never replaces a sound file beside the recording, and when both are sound
// and differ the load says so and the caller asks (see InspectionStore).
//
// Contract: a file that is not a sound inspection file of this recording in a
// version this program knows is never written, renamed or removed; it is
// reported and stays byte for byte as it was. Every file is written whole or
// not at all (a temporary file renamed over it once complete). The parser
// takes any bytes and reads nothing outside them; whatever it accepts writes
// back to the same document.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/inspection.h"
#include "recordfile/record_file.h"

namespace vantrel {

// ---- the format's constants and limits. The limits hold far more than any
// inspection needs and keep a foreign or damaged file from costing memory:
// the parser refuses a file beyond them, and a save refuses to write one.
inline constexpr int kInspectionVersion = 2;
// The first version: no peaks, manual marks, flaw cells or settings.
inline constexpr int kFirstInspectionVersion = 1;
inline constexpr const char* kInspectionFormatName = "vantrel-inspection";
inline constexpr const char* kInspectionSuffix = ".vantrel.json";
// The whole file.
inline constexpr int64_t kMaxInspectionFileBytes = 16 << 20;
// Every text (a remark, a report cell, a typed travel, the file name), in
// UTF-8 bytes: some 5000 Chinese characters. A window that keeps its fields
// to kMaxInspectionTextBytes / 3 characters can never exceed it.
inline constexpr int64_t kMaxInspectionTextBytes = 16384;
// Decisions: an inspector decides indications one by one; a recording with
// more than this many decided is not an inspection any more.
inline constexpr int64_t kMaxDecisions = 10000;
// The report's cells by caption: a page has a few dozen. The same limit holds
// for the flaw's cells of one decision or one frame.
inline constexpr int64_t kMaxReportCells = 256;
// Frames with cells of their own, outside any indication.
inline constexpr int64_t kMaxFrameCells = 10000;
// The evaluation's settings: the gap in shown frames, the split in
// micrometres, the thresholds in tenths (of % or dB), each within 32 bits.
inline constexpr int64_t kMaxSettingValue = INT32_MAX;
// A recording's size as the file states it: a JSON number holds every
// integer up to 2^53 exactly.
inline constexpr int64_t kMaxRecordingSize = int64_t{1} << 53;

// ---- which recording a file belongs to.

// The recording's file name (the name only, UTF-8), its size in bytes and
// the hash of its record index: SHA-256, as 64 lower-case hexadecimal
// digits, over the size as 8 bytes little-endian followed by, for every
// indexed record in file order, its offset and its length (header included)
// as 4 bytes little-endian each. The index is the chain of record headers
// the file itself states, so a copy of the recording under any name or in
// any folder has the same size and hash, and a recording replaced by another
// (or grown by more records) does not. The name is kept for the reader only:
// a renamed copy is still the same recording.
struct RecordingIdentity {
    std::string fileName;
    int64_t size = 0;
    std::string indexHash;
    bool sameRecording(const RecordingIdentity& other) const {
        return size == other.size && indexHash == other.indexHash;
    }
    bool operator==(const RecordingIdentity&) const = default;
};

std::string recordIndexHash(int64_t size, std::span<const RecordIndexEntry> index);
// The identity of the recording `file` has open (its path's last part, the
// size it was scanned at, its index).
RecordingIdentity recordingIdentity(const RecordFile& file);

// ---- one inspection file as bytes.

// Everything one file holds.
struct InspectionDocument {
    RecordingIdentity recording;
    // When the file was written: UTC, ISO 8601 with milliseconds
    // ("2026-12-11T09:30:00.000Z"). When both places hold a file of the
    // recording, the one written last is the inspector's latest word.
    std::string saved;
    Inspection inspection;
    bool operator==(const InspectionDocument&) const = default;
};

// What is wrong with a file found where an inspection file is kept.
enum class InspectionFault : uint8_t {
    None,
    Unreadable,     // it cannot be read (no permission, an I/O error, not a regular file)
    TooLarge,       // more than kMaxInspectionFileBytes
    NotJson,        // not JSON: cut short, not UTF-8, no JSON at all
    Foreign,        // JSON, but not an inspection file ("format" is not ours)
    NewerVersion,   // an inspection file of a version this program does not know
    Malformed,      // a known version with a key missing, of the wrong type or beyond a limit
    OtherRecording, // sound, but made for another recording (another size or index)
};
const char* inspectionFaultText(InspectionFault fault);

struct ParsedInspection {
    std::optional<InspectionDocument> document; // set exactly when fault is None
    InspectionFault fault = InspectionFault::None;
    std::string detail; // what is wrong, where: e.g. `decisions[2].grade: "V" is not a grade`
};

// The file's bytes `src` as a document. Any bytes are accepted; keys the
// format does not name are ignored. Never reports OtherRecording, which
// needs the recording.
ParsedInspection parseInspection(const QByteArray& src);
// The document as the file's bytes (indented JSON, UTF-8). The result is not
// checked against the limits: saveInspection does that by parsing it back.
QByteArray inspectionJson(const InspectionDocument& document);

// ---- the two places.

enum class InspectionPlace : uint8_t {
    None,       // no place: nothing found, or nothing saved
    Beside,     // NAME.DAT.vantrel.json beside the recording
    DataFolder, // <data>/inspections/<size>-<hash>.vantrel.json
};

struct InspectionPaths {
    QString beside;
    QString dataFolder; // empty when the system names no data folder
};
// The viewer's data folder (QStandardPaths' AppDataLocation of the
// application "Vantrel"), whichever program asks; empty when the system
// names none.
QString viewerDataFolder();
// The two places for the recording at `recordingPath`, the data folder's
// file under `dataFolder` (none when it is empty).
InspectionPaths inspectionPaths(const QString& recordingPath, const RecordingIdentity& identity,
                                const QString& dataFolder);

// What a file held when it was last read or written: the SHA-256 of its
// bytes, or empty for no file. A save compares it with the file as it is
// then, so that what another program saved meanwhile is never overwritten
// unseen.
QByteArray inspectionDigest(const QByteArray& bytes);
struct InspectionDigests {
    QByteArray beside, dataFolder;
    bool operator==(const InspectionDigests&) const = default;
};

// A sound inspection file of the recording and where it is.
struct InspectionCandidate {
    InspectionPlace place = InspectionPlace::None;
    QString path;
    InspectionDocument document;
};

// A file found at `place` and not used, left as it is.
struct InspectionProblem {
    InspectionPlace place = InspectionPlace::None;
    QString path;
    InspectionFault fault = InspectionFault::None;
    std::string detail;
};
// One sentence naming the file and what is wrong with it.
QString inspectionProblemText(const InspectionProblem& problem);

struct LoadedInspection {
    InspectionPlace from = InspectionPlace::None; // None: no usable file, a blank inspection
    QString path;                                 // the file it came from
    InspectionDocument document;                  // what that file holds
    std::vector<InspectionProblem> problems;      // files found, not used, left untouched
    // A sound file at the other place whose inspection differs from the one
    // used (or from a blank one): not applied, for the caller to offer.
    std::optional<InspectionCandidate> other;
    // Whether a save would go beside the recording (a file can be written
    // there and the one there, if any, is sound).
    bool besideTakesSaves = false;
    InspectionDigests digests; // of both places as read
};

// The inspection kept for the recording at `recordingPath` whose identity is
// `identity`, with the data folder `dataFolder`. Both places are read. A file
// that is damaged, newer or made for another recording (the recording was
// replaced, or the file copied beside the wrong one) is reported and not
// applied: decisions on frames of another recording would point at the wrong
// echoes. A sound file beside is used; the data folder's is used only when
// there is none and a save could not go beside either. A sound data-folder
// file that is not used and differs from what is used is `other`.
LoadedInspection loadInspection(const QString& recordingPath, const RecordingIdentity& identity,
                                const QString& dataFolder);

// Why a save did not go beside the recording.
enum class BesideRefusal : uint8_t {
    None,        // it went beside
    CannotWrite, // no file can be written there (a read-only folder, a folder in the way)
    FileKept,    // the file there is not ours to overwrite (see besideProblem)
};

struct SavedInspection {
    InspectionPlace to = InspectionPlace::None; // None: saved nowhere (see error)
    QString path;
    BesideRefusal besideRefusal = BesideRefusal::None;
    std::optional<InspectionProblem> besideProblem; // for FileKept
    QString besideError;                            // for CannotWrite: the system's word
    QString error;     // to None: why neither place took it; nothing was written
    QByteArray digest; // of the bytes written
    // Another program saved the file at the place this save would go since
    // `expected` was taken: what it holds now and its digest. Nothing was
    // written.
    std::optional<InspectionCandidate> changed;
    QByteArray changedDigest;
};

// Writes `inspection` for the recording, stamped with the current time:
// beside the recording when it can and may, otherwise into the data folder.
// A file at either place that loadInspection would refuse is never
// overwritten; when the data folder's is such a file too, nothing is saved.
// Nothing is written that would not read back as the same document (a text
// or count beyond the limits is refused with the reason).
// With `expected`, a sound file whose digest differs from the one expected
// at its place is not overwritten: the save stops and says what it holds.
SavedInspection saveInspection(const QString& recordingPath, const RecordingIdentity& identity,
                               const QString& dataFolder, const Inspection& inspection,
                               const InspectionDigests* expected = nullptr);

// Keeps the file at `path` under a dated name beside it, its last
// ".json" turned into ".<when>.json" (NAME.DAT.vantrel.2026-12-11T103000Z.json,
// "-2" and on when that name is taken), which no load reads: moved there
// (`move`) or copied whole. The new name, or empty with `error` set.
QString keepAside(const QString& path, const QDateTime& when, bool move, QString* error);
// Writes `inspection` of the recording under the dated name keepAside would
// give `path`: a version kept beside the file it could not replace. The new
// name, or empty with `error` set.
QString saveInspectionAside(const QString& path, const RecordingIdentity& identity,
                            const Inspection& inspection, QString* error);

} // namespace vantrel
