#include "inspection/inspection_store.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace vantrel {

namespace {

// Another program saving between this store's read and its write would
// make it merge again; a few rounds is more than two viewers ever need.
constexpr int kSaveAttempts = 3;

QByteArray& digestAt(InspectionDigests& digests, InspectionPlace place) {
    return place == InspectionPlace::Beside ? digests.beside : digests.dataFolder;
}

} // namespace

std::vector<InspectionSide> InspectionChoice::sidesFor(size_t conflicts) const {
    switch (action) {
    case Action::KeepOurs: return std::vector<InspectionSide>(conflicts, InspectionSide::Ours);
    case Action::KeepTheirs: return std::vector<InspectionSide>(conflicts, InspectionSide::Theirs);
    case Action::Merge: break;
    }
    return sides;
}

InspectionStore::InspectionStore(QString recordingPath, RecordingIdentity identity,
                                 QString dataFolder)
    : recordingPath_(std::move(recordingPath)), dataFolder_(std::move(dataFolder)),
      identity_(std::move(identity)) {}

const LoadedInspection& InspectionStore::open() {
    loaded_ = loadInspection(recordingPath_, identity_, dataFolder_);
    path_ = loaded_.path;
    base_ = loaded_.document.inspection;
    digests_ = loaded_.digests;
    return loaded_;
}

InspectionStore::Settled InspectionStore::settle(const Inspection& chosen) {
    Settled result;
    if (!loaded_.other) return result;
    const InspectionCandidate other = *loaded_.other;
    loaded_.other.reset();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    auto aside = [&](const QString& path, bool move) {
        QString error;
        const QString kept = keepAside(path, now, move, &error);
        if (kept.isEmpty())
            result.error = QStringLiteral("%1 could not be kept aside: %2")
                               .arg(QDir::toNativeSeparators(path), error);
        else
            result.keptAside << kept;
        return !kept.isEmpty();
    };

    if (chosen != loaded_.document.inspection) {
        // The files the save replaces keep their bytes under a dated name
        // first.
        if (loaded_.from == InspectionPlace::Beside && loaded_.besideTakesSaves &&
            !aside(loaded_.path, false))
            return result;
        if (!loaded_.besideTakesSaves && other.document.inspection != chosen &&
            !aside(other.path, false))
            return result;
        const Saved saved = save(chosen);
        result.saved = saved.saved;
        if (saved.saved.to == InspectionPlace::None) {
            result.error = saved.conflicts ? QStringLiteral("another program saved meanwhile")
                                           : saved.saved.error;
            return result;
        }
    }
    // The data folder's file, unless the save went there, would be offered
    // again on every open: it moves aside.
    if (result.saved.to != InspectionPlace::DataFolder && QFileInfo::exists(other.path) &&
        aside(other.path, true))
        digests_.dataFolder.clear();
    return result;
}

InspectionStore::Saved InspectionStore::save(const Inspection& inspection) {
    return saveFrom(inspection, kSaveAttempts);
}

InspectionStore::Saved InspectionStore::saveSettled(const Saved& conflicted,
                                                    const std::vector<InspectionSide>& sides) {
    if (!conflicted.conflicts) return conflicted;
    // Their file is what this store has now seen at that place.
    digestAt(digests_, conflicted.conflictPlace) = conflicted.conflictDigest;
    base_ = conflicted.conflicts->theirs();
    const Inspection settled = conflicted.conflicts->merged(sides);
    Saved result = saveFrom(settled, kSaveAttempts);
    if (!result.merged && result.saved.to != InspectionPlace::None) result.merged = settled;
    return result;
}

InspectionStore::Saved InspectionStore::saveFrom(const Inspection& inspection, int attempts) {
    Saved result;
    result.saved = saveInspection(recordingPath_, identity_, dataFolder_, inspection, &digests_);
    if (result.saved.to != InspectionPlace::None) {
        remember(result.saved, inspection);
        return result;
    }
    if (!result.saved.changed) return result; // refused: the reason is in saved.error
    const InspectionCandidate& theirs = *result.saved.changed;
    InspectionMerge merge(base_, inspection, theirs.document.inspection);
    if (!merge.conflicts().empty() || attempts <= 1) {
        // Nothing written, nothing taken: the caller settles the conflicts.
        result.conflicts = std::move(merge);
        result.conflictPlace = theirs.place;
        result.conflictDigest = result.saved.changedDigest;
        return result;
    }
    digestAt(digests_, theirs.place) = result.saved.changedDigest;
    base_ = theirs.document.inspection;
    const Inspection merged = merge.merged();
    Saved again = saveFrom(merged, attempts - 1);
    if (!again.merged && again.saved.to != InspectionPlace::None) again.merged = merged;
    return again;
}

void InspectionStore::remember(const SavedInspection& saved, const Inspection& inspection) {
    base_ = inspection;
    digestAt(digests_, saved.to) = saved.digest;
    path_ = saved.path;
}

QString inspectionSourceText(const LoadedInspection& loaded) {
    QString text =
        loaded.from == InspectionPlace::None
            ? QStringLiteral("no inspection file: decisions from the recording alone")
            : QStringLiteral("decisions from '%1'").arg(QDir::toNativeSeparators(loaded.path));
    if (loaded.other)
        text += QStringLiteral("; '%1' holds other decisions for this recording and was not used")
                    .arg(QDir::toNativeSeparators(loaded.other->path));
    return text;
}

} // namespace vantrel
