// The instrument's texts are GBK bytes; the windows and the pictures show
// them as QString.
#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

#include "display/display_text.h"
#include "recordfile/gbk_text.h"

namespace vantrel {

inline QString fromGbk(const std::string& gbk) { return QString::fromStdString(gbkToUtf8(gbk)); }

// A parameter panel text as the interface shows it: the probe type, the one
// word the panel holds, in the interface's language (an interface without a
// translation, such as vantrel-inspect's, keeps the instrument's word);
// numbers and units as they are.
inline QString panelText(const std::string& gbk) {
    for (uint32_t type = 0; type < 4; ++type)
        if (gbk == probeTypeName(type))
            return QCoreApplication::translate("PanelText", probeTypeWord(type));
    return fromGbk(gbk);
}

} // namespace vantrel
