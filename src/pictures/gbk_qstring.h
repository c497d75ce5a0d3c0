// The instrument's texts are GBK bytes; the windows and the pictures show
// them as QString.
#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

#include "recordfile/gbk_text.h"

namespace vantrel {

inline QString fromGbk(const std::string& gbk) { return QString::fromStdString(gbkToUtf8(gbk)); }

// A parameter panel text as the interface shows it: the probe type, the one
// word the panel holds, in the interface's language (an interface without a
// translation, such as vantrel-inspect's, keeps the instrument's word);
// numbers and units as they are.
inline QString panelText(const std::string& gbk) {
    static const char* const probeTypes[] = {
        QT_TRANSLATE_NOOP("PanelText", "直探头"),
        QT_TRANSLATE_NOOP("PanelText", "斜探头"),
        QT_TRANSLATE_NOOP("PanelText", "双晶探头"),
        QT_TRANSLATE_NOOP("PanelText", "穿透探头"),
    };
    const QString text = fromGbk(gbk);
    for (const char* word : probeTypes)
        if (text == QString::fromUtf8(word)) return QCoreApplication::translate("PanelText", word);
    return text;
}

} // namespace vantrel
