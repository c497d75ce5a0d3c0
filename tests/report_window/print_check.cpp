// Measures a printed report sheet, rasterised at DPI, against the 96-dpi page
// of the same report: lines one page pixel (25.4/96 mm) wide, the outer frame
// and the title cell as one band, the plot's grid as separate dots, and the
// texts where the page has them.
//
// Usage: report_print_check PAGE96.png PRINT.png DPI
// Prints what it measured; exits 0 when everything holds, 1 otherwise.
#include <QImage>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool failed = false;

void check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
    failed |= !ok;
}

struct Sheet {
    QImage image; // 8-bit grey
    double scale; // device pixels per page pixel

    bool dark(int x, int y) const {
        return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
               image.constScanLine(y)[x] < 128;
    }
    // The device pixel at the centre of page pixel p.
    int at(int p) const { return static_cast<int>((p + 0.5) * scale); }
    double mm(double device) const { return device / scale * 25.4 / 96; }
};

struct Run {
    int start = 0, length = 0;
};

// The dark run across (x, y) along one axis, from the dark pixel nearest to
// it within two page pixels; length 0 when there is none.
Run runAcross(const Sheet& s, int x, int y, bool vertical) {
    auto dark = [&](int i) { return vertical ? s.dark(x, y + i) : s.dark(x + i, y); };
    const int reach = static_cast<int>(2 * s.scale) + 1;
    int from = 0;
    for (int d = 0; d <= reach; ++d) {
        if (dark(d)) {
            from = d;
            break;
        }
        if (dark(-d)) {
            from = -d;
            break;
        }
        if (d == reach) return {};
    }
    int lo = from, hi = from;
    while (dark(lo - 1))
        --lo;
    while (dark(hi + 1))
        ++hi;
    return {(vertical ? y : x) + lo, hi - lo + 1};
}

// The dark runs along a page row or column between two page positions.
std::vector<Run> runsAlong(const Sheet& s, int fixed, int from, int to, bool vertical) {
    std::vector<Run> runs;
    const int a = static_cast<int>(from * s.scale), b = static_cast<int>(to * s.scale);
    const int f = s.at(fixed);
    for (int i = a; i < b; ++i) {
        if (!(vertical ? s.dark(f, i) : s.dark(i, f))) continue;
        if (!runs.empty() && runs.back().start + runs.back().length == i)
            ++runs.back().length;
        else
            runs.push_back({i, 1});
    }
    return runs;
}

// The ink inside a page rectangle, in millimetres from the sheet's corner.
struct Box {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool empty = true;
};

Box inkIn(const Sheet& s, const QRect& page) {
    const int x0 = static_cast<int>(page.left() * s.scale),
              x1 = static_cast<int>((page.right() + 1) * s.scale),
              y0 = static_cast<int>(page.top() * s.scale),
              y1 = static_cast<int>((page.bottom() + 1) * s.scale);
    int l = x1, t = y1, r = x0 - 1, b = y0 - 1;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (s.dark(x, y)) {
                l = std::min(l, x), r = std::max(r, x);
                t = std::min(t, y), b = std::max(b, y);
            }
    if (r < l) return {};
    return {s.mm(l), s.mm(t), s.mm(r + 1), s.mm(b + 1), false};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: report_print_check PAGE96.png PRINT.png DPI\n");
        return 2;
    }
    const double dpi = std::atof(argv[3]);
    const Sheet page{
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_Grayscale8), 1.0};
    const Sheet print{
        QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_Grayscale8),
        dpi / 96.0};
    if (page.image.isNull() || print.image.isNull() || dpi < 150) {
        std::fprintf(stderr, "report_print_check: cannot read the pictures\n");
        return 2;
    }
    std::printf("page %dx%d, print %dx%d at %.0f dpi (a page pixel is %.3f printed pixels)\n",
                page.image.width(), page.image.height(), print.image.width(), print.image.height(),
                dpi, print.scale);
    char text[200];

    // Cell borders, one page pixel wide: horizontal ones crossed vertically
    // and vertical ones (a zero-width cell among them) crossed horizontally.
    struct Border {
        int x, y;
        bool horizontal;
    };
    for (const Border& b : {Border{300, 144, true}, Border{600, 504, true}, Border{176, 120, false},
                            Border{256, 400, false}, Border{544, 450, false}}) {
        const Run run = runAcross(print, print.at(b.x), print.at(b.y), b.horizontal);
        std::snprintf(text, sizeof text, "border at page (%d, %d): %d px wide", b.x, b.y,
                      run.length);
        check(run.length >= 2 && std::abs(run.length - print.scale) <= 1.5, text);
    }

    // The outer frame (x 39, y 48) beside the title cell (x 40, y 49): one
    // band of two page pixels, starting where the page has it.
    for (const Border& b : {Border{400, 48, true}, Border{39, 70, false}}) {
        const Run run = runAcross(print, print.at(b.x), print.at(b.y), b.horizontal);
        const double startMm = print.mm(run.start), pageMm = page.mm(b.horizontal ? b.y : b.x);
        std::snprintf(text, sizeof text,
                      "frame and title cell at page (%d, %d): one band of %d px, at %.2f mm "
                      "(page %.2f mm)",
                      b.x, b.y, run.length, startMm, pageMm);
        check(std::abs(run.length - 2 * print.scale) <= 1.5 && std::abs(startMm - pageMm) <= 0.5,
              text);
    }

    // The plot's first grid lines (page row 843, column 137 over the plot
    // at 80, 792, 289 x 257): separate dots, as many as on the page.
    struct Grid {
        int fixed, from, to;
        bool vertical;
    };
    for (const Grid& g : {Grid{843, 80, 369, false}, Grid{137, 792, 1049, true}}) {
        const std::vector<Run> dots = runsAlong(print, g.fixed, g.from, g.to, g.vertical);
        const size_t expected = runsAlong(page, g.fixed, g.from, g.to, g.vertical).size();
        std::vector<int> lengths;
        for (const Run& r : dots)
            lengths.push_back(r.length);
        std::sort(lengths.begin(), lengths.end());
        const int median = lengths.empty() ? 0 : lengths[lengths.size() / 2];
        std::snprintf(text, sizeof text,
                      "grid %s %d: %zu dark runs (page: %zu), median length %d px",
                      g.vertical ? "column" : "row", g.fixed, dots.size(), expected, median);
        check(expected > 50 && dots.size() * 10 >= expected * 9 &&
                  dots.size() * 10 <= expected * 11 && median >= 2 &&
                  std::abs(median - print.scale) <= 1.5,
              text);
    }

    // Texts: the ink of the title and three fields, edge by edge.
    struct TextBox {
        const char* name;
        QRect box;
    };
    for (const TextBox& t :
         {TextBox{"title", {88, 64, 601, 33}}, TextBox{"QRRichText1", {184, 112, 313, 25}},
          TextBox{"QRRichGain", {560, 352, 185, 25}},
          TextBox{"QRRichDistance", {184, 512, 217, 25}}}) {
        const Box a = inkIn(page, t.box), b = inkIn(print, t.box);
        const double worst = std::max({std::abs(a.left - b.left), std::abs(a.top - b.top),
                                       std::abs(a.right - b.right), std::abs(a.bottom - b.bottom)});
        std::snprintf(text, sizeof text,
                      "%s: ink at %.2f, %.2f .. %.2f, %.2f mm (page %.2f, %.2f .. %.2f, %.2f), "
                      "largest offset %.2f mm",
                      t.name, b.left, b.top, b.right, b.bottom, a.left, a.top, a.right, a.bottom,
                      worst);
        check(!a.empty && !b.empty && worst <= 1.0, text);
    }
    return failed ? 1 : 0;
}
