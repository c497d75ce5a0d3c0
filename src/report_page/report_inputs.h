// The report's view of the viewer: the frame on screen, its envelope, the
// parameters in force, the curve storage and the sound-path ruler labels.
#pragma once

#include <QFileInfo>

#include <algorithm>

#include "pictures/gbk_qstring.h"
#include "report_page/report_page.h"
#include "viewer/viewer_core.h"

namespace vantrel {

// For frame `frame` of the record in the query's buffer with `tail` the tail
// of the frame drawn last.
inline ReportPlotInputs reportInputs(const RecordQuery& query, std::span<const uint8_t> frame,
                                     const FrameTail& tail) {
    return {frame, tail.envelope(), &query.params(), &query.curves(),
            query.parametersLoaded() ? std::span<const std::string>(query.pathRuler())
                                     : std::span<const std::string>()};
}

inline ReportPlotInputs reportInputs(const ViewerCore& core) {
    return reportInputs(core.query(), core.frameOnScreen(), core.frameTail());
}

// Where a page of frame `frame` of record `record` of `file` comes from
// (file name, record:frame, the note the record carries), made today; a
// negative record: no frame on the page.
inline PageOrigin pageOrigin(const RecordFile& file, int32_t record, int32_t frame) {
    PageOrigin o;
    o.fileName = QFileInfo(QString::fromStdString(file.path())).fileName();
    if (record >= 0) {
        o.record = record;
        o.frame = frame;
        if (const Note* note = file.noteOf(record)) o.note = fromGbk(note->text);
    }
    o.date = QDate::currentDate();
    return o;
}

// The same for the frame on screen.
inline PageOrigin pageOrigin(const ViewerCore& core) {
    const auto place = core.placeOnScreen();
    return place ? pageOrigin(core.file(), place->record, place->frame)
                 : pageOrigin(core.file(), -1, -1);
}

} // namespace vantrel
