// vantrel-inspect bscan: the B-scan of a range of shown frames as a matrix
// CSV or a picture.
#pragma once

#include <QString>

#include <optional>

namespace vantrel::cli {

// The widest B-scan written: 65535 columns (a PNG row of that many pixels,
// about 19 MB of columns in memory); a wider one is a usage error.
inline constexpr int kMostBscanColumns = 65535;
// Without --columns, one column per shown frame up to this many.
inline constexpr int kDefaultBscanColumns = 4096;

// FILE: shown frames from .. to (R:F, both included, default the whole file)
// `columns` wide into `out` (.csv or .png).
void bscanCommand(const QString& path, const std::optional<QString>& from,
                  const std::optional<QString>& to, const std::optional<QString>& columns,
                  const QString& out);

} // namespace vantrel::cli
