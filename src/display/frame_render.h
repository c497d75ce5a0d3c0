// The A-scan picture: grid, border, echo and envelope traces, DAC/DGS curves
// and gates, drawn with QPainter onto a QImage (or any paint device) of the
// caller's size W x H, so the same code serves the main window's 361 x 289
// plot and the report's. Every pen is 1 pixel, aliased and cosmetic; lines
// leave out their end pixel, as the instrument's screen does.
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

#include "curves.h"
#include "display_text.h"
#include "instrument_params.h"
#include "record_format.h"

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

// A 1-pixel aliased cosmetic pen whose lines leave out their end pixel.
QPen plotPen(const QColor& colour, Qt::PenStyle style = Qt::SolidLine);
// Aliased painting, as all drawing here uses.
void preparePainter(QPainter& painter);

// Background, dotted 5 x 5 grid and border (the empty plot).
void drawGridAndBorder(QPainter& painter, int w, int h, const PlotColours& colours);
// A trace of 280 samples as one polyline.
void drawTrace(QPainter& painter, int w, int h, const uint8_t* samples);

// The curve family in curve mode: builds the reference curve and converts it
// to heights in `curves`, then draws curveCount curves. Returns whether the
// reference curve could be built.
bool drawCurves(QPainter& painter, int w, int h, const InstrumentParams& p, CurveStorage& curves);
// One curve of heights as the main plot draws it.
void drawCurve(QPainter& painter, int w, int h, const CurveOrdinates& heights, bool flat);

// Gate A: follows the gate curve in curve mode when gateFollowsCurve is set
// and a curve was built for this frame (otherwise the flat form: a gate with
// nothing to follow stays where its level puts it), mirrored about mid-height
// for the RF display, else flat. A following gate that reaches past the last
// curve position (300) is cut there.
void drawGateA(QPainter& painter, int w, int h, const InstrumentParams& p,
               const CurveStorage& curves, bool curveBuilt);
// Gate B, only when its level is above 3.
void drawGateB(QPainter& painter, int w, int h, const InstrumentParams& p);

// The main window's plot of a frame (kFrameSize bytes), in the instrument's
// drawing order; updates `curves` in curve mode.
void drawFramePicture(QImage& image, std::span<const uint8_t> frame, const InstrumentParams& p,
                      CurveStorage& curves);
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
// Rebuilds `curves` in curve mode, as the main plot does.
void drawReportPlot(QPainter& painter, int w, int h, std::span<const uint8_t> echo,
                    const uint8_t* envelope, const InstrumentParams& p, CurveStorage& curves);

// Both rulers before any parameters are known: the amplitude ruler of the
// main plot and a blank sound-path ruler.
void initRulers(QImage& amplitudeRuler, QImage& pathRuler);

// The font of ruler labels.
QFont rulerFont();

} // namespace vantrel
