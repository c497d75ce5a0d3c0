// The indications as the viewer's list and its CSV export write them.
#include <gtest/gtest.h>

#include "indication_table.h"

using namespace vantrel;

// Records 7 (% , mm), 8 (dB, mm) and 9 (dB, inch) of 4 shown frames each; one
// indication in each, peaks of 87.5 %, +3.0 dB and -2.5 dB, and one at 0.0 dB.
TEST(IndicationTable, RowsAndCsv) {
    EchoOverview o;
    o.records = {{7, 0, 4, 400, AmplitudeUnit::Percent, false},
                 {8, 4, 4, 0, AmplitudeUnit::Db, false},
                 {9, 8, 4, -30, AmplitudeUnit::Db, true}};
    o.amplitude = {100, 875, 500, 0, 30, 12, -50, -50, -25, -50, 0, -99};
    o.position = {0, 482, 0, 0, 1234, 0, 0, 0, 19, 0, 7, 0};
    o.indications = {{1, 2, 1}, {4, 5, 4}, {8, 8, 8}, {10, 10, 10}};

    struct Row {
        const char *start, *end, *frames, *amplitude, *position;
    };
    const Row rows[] = {
        {"7:1", "7:2", "2", "87.5%", "48.2mm"},
        {"8:0", "8:1", "2", "+3.0dB", "123.4mm"},
        {"9:0", "9:0", "1", "-2.5dB", "1.9in"},
        {"9:2", "9:2", "1", "0.0dB", "0.7in"},
    };
    for (size_t k = 0; k < std::size(rows); ++k) {
        const IndicationTexts t = indicationTexts(o, o.indications[k]);
        EXPECT_EQ(t.start, rows[k].start) << k;
        EXPECT_EQ(t.end, rows[k].end) << k;
        EXPECT_EQ(t.frames, rows[k].frames) << k;
        EXPECT_EQ(t.amplitude, rows[k].amplitude) << k;
        EXPECT_EQ(t.position, rows[k].position) << k;
    }
    EXPECT_EQ(indicationsCsv(o),
              "indication,startRecord,startFrame,endRecord,endFrame,frames,peakRecord,peakFrame,"
              "amplitude,unit,position,positionUnit\r\n"
              "0,7,1,7,2,2,7,1,87.5,%,48.2,mm\r\n"
              "1,8,0,8,1,2,8,0,3.0,dB,123.4,mm\r\n"
              "2,9,0,9,0,1,9,0,-2.5,dB,1.9,in\r\n"
              "3,9,2,9,2,1,9,2,0.0,dB,0.7,in\r\n");
    o.indications.clear();
    EXPECT_EQ(indicationsCsv(o), "indication,startRecord,startFrame,endRecord,endFrame,frames,"
                                 "peakRecord,peakFrame,amplitude,unit,position,positionUnit\r\n");
}
