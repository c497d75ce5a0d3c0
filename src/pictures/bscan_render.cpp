#include "pictures/bscan_render.h"

#include "display/bscan_palette.h"

namespace vantrel {

QImage bscanImage(const std::vector<BscanColumn>& columns) {
    QImage image(static_cast<int>(columns.size()), kBscanRows, QImage::Format_RGB32);
    for (int y = 0; y < kBscanRows; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (size_t x = 0; x < columns.size(); ++x)
            line[x] = 0xFF000000u | bscanColour(columns[x].cells[static_cast<size_t>(y)]);
    }
    return image;
}

} // namespace vantrel
