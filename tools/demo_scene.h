// The flaws of the demo recording, shared by its generator and the tests that
// check what the viewer finds in it.
#pragma once

#include <array>

namespace vantrel::demo {

enum class CurveMode { None, Dac, Dgs };

struct Flaw {
    double peakRecord; // record at which the beam axis hits the reflector
    double spread;     // records over which the echo falls to 61 % (beam width)
    double path;       // sound path at the peak, 0.1 mm
    double walk;       // change of sound path per record as the probe moves, 0.1 mm
    // The reflector's strength: 0.1 dB against level 0 of the DAC curve or of
    // the DGS curves (the 2 mm disc), whichever curves the screen shows at the
    // time; with None the peak height in screen units at scan gain 40.
    CurveMode reference;
    double amplitude;
};

const std::array<Flaw, 6> kFlaws = {{
    // Crater crack at the weld start, 11 mm down.
    {8, 7, 220, 2.0, CurveMode::None, 230},
    // Slag line at 12 mm depth, strong enough to saturate the screen at its peak.
    {80, 9, 240, -4.5, CurveMode::None, 235},
    // Lack of fusion at 19.5 mm depth, 2 dB over the DAC curve.
    {185, 10, 390, -3.0, CurveMode::Dac, 20},
    // Porosity at 22.5 mm depth, SL +2 dB.
    {230, 6, 450, -3.0, CurveMode::Dac, -100},
    // Root-side crack seen in the second leg, in gate B: SL +8 dB.
    {248, 8, 760, -3.0, CurveMode::Dac, -40},
    // Inclusion in the DGS stretch, equivalent to a 2.5 mm disc reflector.
    {270, 5, 480, -2.5, CurveMode::Dgs, 39.2},
}};

} // namespace vantrel::demo
