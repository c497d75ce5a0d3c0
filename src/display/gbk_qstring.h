// The instrument's texts are GBK bytes; the windows and the pictures show
// them as QString.
#pragma once

#include <QString>

#include <string>

#include "gbk_text.h"

namespace vantrel {

inline QString fromGbk(const std::string& gbk) { return QString::fromStdString(gbkToUtf8(gbk)); }

} // namespace vantrel
