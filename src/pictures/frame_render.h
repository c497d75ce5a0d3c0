// The A-scan picture: grid, border, echo and envelope traces, DAC/DGS curves
// and gates, drawn on a canvas of the caller's size W x H, so the same code
// serves the main window's 361 x 289 plot and the report's. Every line is 1
// pixel wide and goes through the line routine of raster_line.h: it leaves
// out its end pixel, as the instrument's screen does, and a polyline sets
// every vertex but its last point.
//
// Pixel mapping for a sample position k (280 across) and an amplitude v
// (200 = full height): x = W * k / 280, y = H - H * min(v, 200) / 200.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>

#include <array>
#include <span>
#include <string>

#include "display/curves.h"
#include "display/display_text.h"
#include "display/raster_line.h"
#include "recordfile/instrument_params.h"
#include "recordfile/record_format.h"

namespace vantrel {

inline constexpr int kPlotWidth = 361;
inline constexpr int kPlotHeight = 289;
inline constexpr int kAmplitudeRulerWidth = 25;
inline constexpr int kAmplitudeRulerHeight = 313;
inline constexpr int kPathRulerWidth = 361;
inline constexpr int kPathRulerHeight = 25;

// The colours of the instrument's screen and of the printed report.
struct PlotColours {
    QColor background, grid, echo, envelope, curve, gateA, gateB;
    static PlotColours screen();
    static PlotColours print();
};

int plotX(int w, int32_t k);
int plotY(int h, int32_t v);

// Aliased painting, as the rulers' texts use.
void preparePainter(QPainter& painter);

// Lines one page pixel wide are filled bands, so that a printer or a PDF
// covers exactly the pixels of the bitmap. Shown smaller than its pixels, as
// the print preview shows a page at low zoom, such a band covers no device
// pixel's centre and vanishes. While a DevicePixelLines lives for a painter,
// each band painted through it with fillBand is also stroked along its middle
// with a cosmetic pen, one device pixel wide at any scale: at full size the
// stroke lies inside the band, so only the reduced picture changes. Scopes
// nest; the painter must outlive the scope. One thread paints at a time.
class DevicePixelLines {
public:
    explicit DevicePixelLines(const QPainter& painter);
    ~DevicePixelLines();
    DevicePixelLines(const DevicePixelLines&) = delete;
    DevicePixelLines& operator=(const DevicePixelLines&) = delete;
    static bool on(const QPainter& painter);

private:
    const QPainter* previous_;
};

// A line as a filled band of `band` (one pixel high or wide), and its
// stroke where DevicePixelLines asks for one.
void fillBand(QPainter& painter, const QRect& band, const QColor& colour);

// Where the plots draw their lines: w x h pixels, a current colour and a
// solid or dotted style. Every line goes through raster::line; a canvas only
// decides how a run of pixels reaches its target.
class PlotCanvas {
public:
    PlotCanvas(int w, int h) : size_{w, h} {}
    virtual ~PlotCanvas() = default;
    PlotCanvas(const PlotCanvas&) = delete;
    PlotCanvas& operator=(const PlotCanvas&) = delete;

    int width() const { return size_.width; }
    int height() const { return size_.height; }
    void setColour(const QColor& colour) {
        colour_ = colour;
        rgb_ = colour.rgb();
    }
    void setDotted(bool dotted) { dash_ = dotted ? raster::Dash::dotted : raster::Dash::solid; }

    // The whole canvas in one colour.
    virtual void fill(const QColor& colour) = 0;
    void line(raster::Point p, raster::Point q);
    void polyline(std::span<const raster::Point> points);

protected:
    // Pixels of a line, all inside the canvas, in the current colour.
    virtual void fillRun(const raster::Run& run) = 0;
    QColor colour_;
    QRgb rgb_ = 0;

private:
    raster::Size size_;
    raster::Dash dash_ = raster::Dash::solid;
};

// Sets the pixels of a bitmap directly: the main window's plot and every
// picture that is a bitmap. The image must outlive the canvas.
class ImageCanvas final : public PlotCanvas {
public:
    explicit ImageCanvas(QImage& image);
    void fill(const QColor& colour) override;

private:
    void fillRun(const raster::Run& run) override;
    QImage& image_;
    uchar* bits_;
    qsizetype stride_;
    bool direct_; // (A)RGB32: runs are written as words
};

// Fills every run of pixels as a rectangle on a painter, with the canvas at
// the painter's origin. The report's plot goes onto its page this way:
// whatever the device (the 96-dpi page bitmap, a PDF, a 1200-dpi printer
// scaled to page pixels), a line covers exactly the page-pixel squares of
// the bitmap form, one page pixel (25.4/96 mm) wide, and the grid's dots
// stay separate dots. A stroked pen cannot promise that: a cosmetic pen is
// one device pixel (a hairline on a printer), and a width-1 pen along a
// staircase covers other squares than the raster does.
class PainterCanvas final : public PlotCanvas {
public:
    PainterCanvas(QPainter& painter, int w, int h) : PlotCanvas(w, h), painter_(painter) {}
    void fill(const QColor& colour) override;

private:
    void fillRun(const raster::Run& run) override;
    QPainter& painter_;
};

// Background, dotted 5 x 5 grid and border (the empty plot).
void drawGridAndBorder(PlotCanvas& canvas, const PlotColours& colours);
// A trace of 280 samples as one polyline.
void drawTrace(PlotCanvas& canvas, const uint8_t* samples);

// The curve family (nothing when no reference curve could be built), each
// curve as the main plot draws it.
void drawCurves(PlotCanvas& canvas, const InstrumentParams& p, const CurveSet& curves);
// One curve of heights as the main plot draws it.
void drawCurve(PlotCanvas& canvas, const CurveOrdinates& heights, bool flat);

// Gate A: follows the gate curve in curve mode when gateFollowsCurve is set
// and a curve was built for the parameters (otherwise the flat form: a gate
// with nothing to follow stays where its level puts it), mirrored about
// mid-height for the RF display, else flat. A following gate that reaches
// past the last curve position (300) is cut there.
void drawGateA(PlotCanvas& canvas, const InstrumentParams& p, const CurveSet& curves);
// Gate B, only when its level is above 3.
void drawGateB(PlotCanvas& canvas, const InstrumentParams& p);

// The main window's plot of a frame (kFrameSize bytes), in the instrument's
// drawing order, with the curves built for `p`.
void drawFramePicture(QImage& image, std::span<const uint8_t> frame, const InstrumentParams& p,
                      const CurveSet& curves);
// The plot before any frame: background, grid and border.
void drawEmptyPlot(QImage& image);

// The amplitude ruler (0..100 % beside the grid lines of a plot `plotHeight`
// high) and the sound-path ruler (blank when `labels` is empty).
void drawAmplitudeRuler(QImage& image, int plotHeight, const PlotColours& colours);
void drawPathRuler(QImage& image, std::span<const std::string> labels, const PlotColours& colours);
// The same onto any painter, over a w x h area at its origin.
void drawAmplitudeRuler(QPainter& painter, int w, int h, int plotHeight,
                        const PlotColours& colours);
void drawPathRuler(QPainter& painter, int w, int h, std::span<const std::string> labels,
                   const PlotColours& colours);

// The report's plot, black on white: grid, border, the echo of `echo` (a
// frame, or empty for none), then the envelope (the frame drawn last in the
// main window), curves as separate segments from position n to n + 1, gates.
// On a painter the plot goes onto a PainterCanvas at the painter's origin.
void drawReportPlot(PlotCanvas& canvas, std::span<const uint8_t> echo, const uint8_t* envelope,
                    const InstrumentParams& p, const CurveSet& curves);
void drawReportPlot(QPainter& painter, int w, int h, std::span<const uint8_t> echo,
                    const uint8_t* envelope, const InstrumentParams& p, const CurveSet& curves);

// The font of ruler labels.
QFont rulerFont();

} // namespace vantrel
