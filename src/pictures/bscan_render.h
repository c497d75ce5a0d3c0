// The B-scan as a picture: one pixel a cell, coloured by the B-scan palette.
#pragma once

#include <QImage>

#include <vector>

#include "analysis/bscan.h"

namespace vantrel {

// columns.size() x 280 pixels; a column that holds no frame (a range
// narrower than the picture) is drawn as no echo.
QImage bscanImage(const std::vector<BscanColumn>& columns);

} // namespace vantrel
