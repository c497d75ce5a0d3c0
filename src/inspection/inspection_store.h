// One recording's inspection file as one program holds it: loaded once,
// then saved after every change without losing what another program (a
// second viewer on the same recording) saved meanwhile, and, where the data
// folder holds another version than the file beside the recording, settled
// as the inspector chooses without deleting either. The echo-dynamics
// window and vantrel-inspect both go through it; the questions it raises
// (which version, which side of a conflict) are the caller's to ask.
//
// A save first reads the file it would replace: when its digest is not the
// one this store last read or wrote there, another program saved it. What
// only one side changed since this store's last load or save is merged; what
// both changed differently is returned as a conflict and nothing is written
// until the caller settles it (saveSettled). A save that is not settled
// leaves the other program's file as it is: the next save meets the same
// conflict again. Between the read and the write another program could still
// save; the write itself is whole or nothing.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "analysis/inspection_merge.h"
#include "inspection/inspection_file.h"

namespace vantrel {

// The question a store raises when two versions of a recording's decisions
// meet: the file beside the recording and one in the data folder that
// differs from it (on opening), or this program's changes and those another
// saved over the same file meanwhile (on saving); and the inspector's
// answer. The caller asks (the viewer in a dialog).
struct InspectionQuestion {
    enum class Kind : uint8_t {
        TwoFiles, // on opening: ours is the file beside (or none), theirs the data folder's
        Conflict, // on saving: ours is this program's, theirs what another saved
    };
    Kind kind = Kind::TwoFiles;
    const InspectionMerge* merge = nullptr; // ours, theirs and their conflicts
    QString ourPath, theirPath;             // the files; ourPath empty for none
};

struct InspectionChoice {
    enum class Action : uint8_t { KeepOurs, KeepTheirs, Merge };
    Action action = Action::Merge;
    std::vector<InspectionSide> sides; // Merge: one per conflict
    // The conflicts' sides this choice stands for: every one ours or theirs
    // for a keep, the chosen ones for a merge.
    std::vector<InspectionSide> sidesFor(size_t conflicts) const;
};

class InspectionStore {
public:
    InspectionStore() = default;
    // The recording at `recordingPath` with identity `identity`; the data
    // folder `dataFolder` (viewerDataFolder() for the viewer's).
    InspectionStore(QString recordingPath, RecordingIdentity identity, QString dataFolder);

    bool isOpen() const { return !recordingPath_.isEmpty(); }
    const QString& recordingPath() const { return recordingPath_; }
    const RecordingIdentity& identity() const { return identity_; }

    // Reads both places (loadInspection). When `other` is set the caller
    // asks which to keep (settle) before saving: a save meanwhile keeps the
    // file used and leaves the other where it is.
    const LoadedInspection& open();
    const LoadedInspection& loaded() const { return loaded_; }
    // The file the inspection came from or last went to; empty for none.
    const QString& path() const { return path_; }

    // ---- both places held a sound file and they differ (loaded().other).
    // The inspection kept: the one used (`chosen` equal to it), the other
    // one, or a merge of both (InspectionMerge without a base). It is saved
    // where saves go; every file it replaces or that would be read instead
    // of it is kept under a dated name (keepAside), so nothing is deleted.
    struct Settled {
        SavedInspection saved; // to None when nothing had to be written
        QStringList keptAside; // the dated names
        QString error;         // what could not be done; nothing was lost
    };
    Settled settle(const Inspection& chosen);

    // ---- saving.
    struct Saved {
        SavedInspection saved;
        // Another program's changes merged in: what was written, which the
        // caller takes as its inspection.
        std::optional<Inspection> merged;
        // Changes of both sides that conflict: nothing was written. Settle
        // them with saveSettled.
        std::optional<InspectionMerge> conflicts;
        InspectionPlace conflictPlace = InspectionPlace::None;
        QByteArray conflictDigest;
    };
    Saved save(const Inspection& inspection);
    // `conflicts` of a save settled by `sides` (one per conflict): written
    // unless yet another save came in between (then conflicts again).
    Saved saveSettled(const Saved& conflicted, const std::vector<InspectionSide>& sides);

private:
    Saved saveFrom(const Inspection& inspection, int attempts);
    void remember(const SavedInspection& saved, const Inspection& inspection);

    QString recordingPath_, dataFolder_;
    RecordingIdentity identity_;
    LoadedInspection loaded_;
    QString path_;
    // The inspection as this store last read or wrote it, and each place's
    // digest then: the base of a merge with another program's save.
    Inspection base_;
    InspectionDigests digests_;
};

// One line for a person: where the decisions came from, and the other
// version left unused, e.g. "decisions from '/x/a.DAT.vantrel.json'" or
// "no inspection file: decisions from the recording alone".
QString inspectionSourceText(const LoadedInspection& loaded);

} // namespace vantrel
