// The indications as the viewer's list and its CSV export write them.
#include <gtest/gtest.h>

#include "analysis/indication_table.h"

using namespace vantrel;

// Records 7 (% , mm, path), 8 (dB, mm, depth), 9 (dB, inch, surface) and 10
// (two-gate %, mm: gate A's sound path while the window asks for depth) of 4
// shown frames each; one indication in each of the first three, peaks of
// 87.5 %, +3.0 dB and -2.5 dB, one at 0.0 dB, and indications whose peak
// holds what no real frame can: 12544.0 %, a depth of 25 m, 173482992.7 %.
TEST(IndicationTable, RowsAndCsv) {
    const std::vector<OverviewRecord> records = {{.firstFrame = 0,
                                                  .threshold = 400,
                                                  .record = 7,
                                                  .frames = 4,
                                                  .unit = AmplitudeUnit::Percent,
                                                  .inch = false,
                                                  .positionKind = OverviewPosition::Path},
                                                 {.firstFrame = 4,
                                                  .threshold = 0,
                                                  .record = 8,
                                                  .frames = 4,
                                                  .unit = AmplitudeUnit::Db,
                                                  .inch = false,
                                                  .positionKind = OverviewPosition::Depth},
                                                 {.firstFrame = 8,
                                                  .threshold = -30,
                                                  .record = 9,
                                                  .frames = 4,
                                                  .unit = AmplitudeUnit::Db,
                                                  .inch = true,
                                                  .positionKind = OverviewPosition::Surface},
                                                 {.firstFrame = 12,
                                                  .threshold = 400,
                                                  .record = 10,
                                                  .frames = 4,
                                                  .unit = AmplitudeUnit::Percent,
                                                  .inch = false,
                                                  .positionKind = OverviewPosition::Path}};
    const std::vector<int32_t> amplitude = {100, 875, 500, 0,   30,         12,  1000,   -50,
                                            -25, -50, 0,   -99, 1734829927, 450, 125440, 1275};
    const std::vector<int32_t> position = {0,  482, 0, 0, 1234, 0,   250000, 0,
                                           19, 0,   7, 0, 450,  450, 450,    100000};
    const std::vector<Indication> indications = {{1, 2, 1},    {4, 5, 4},    {8, 8, 8},
                                                 {10, 10, 10}, {13, 14, 14}, {6, 6, 6},
                                                 {12, 12, 12}, {15, 15, 15}};
    const EchoOverview o(records, amplitude, position, {}, indications);

    struct Row {
        const char *start, *end, *frames, *amplitude, *position;
        bool amplitudeBeyond, positionBeyond;
    };
    const Row rows[] = {
        {"7:1", "7:2", "2", "87.5%", "↘48.2mm", false, false},
        {"8:0", "8:1", "2", "+3.0dB", "↓123.4mm", false, false},
        {"9:0", "9:0", "1", "-2.5dB", "→1.9in", false, false},
        {"9:2", "9:2", "1", "0.0dB", "→0.7in", false, false},
        {"10:1", "10:2", "2", "12544.0%", "↘45.0mm", true, false},
        {"8:2", "8:2", "1", "+100.0dB", "↓25000.0mm", false, true},
        {"10:0", "10:0", "1", "173482992.7%", "↘45.0mm", true, false},
        // The edges of the plausible: 127.5 %, 10 m.
        {"10:3", "10:3", "1", "127.5%", "↘10000.0mm", false, false},
    };
    for (size_t k = 0; k < std::size(rows); ++k) {
        SCOPED_TRACE(k);
        const IndicationTexts t = indicationTexts(o, o.indications()[k]);
        EXPECT_EQ(t.start, rows[k].start);
        EXPECT_EQ(t.end, rows[k].end);
        EXPECT_EQ(t.frames, rows[k].frames);
        EXPECT_EQ(t.amplitude, rows[k].amplitude);
        EXPECT_EQ(t.position, rows[k].position);
        EXPECT_EQ(t.amplitudeBeyond, rows[k].amplitudeBeyond);
        EXPECT_EQ(t.positionBeyond, rows[k].positionBeyond);
    }
    // The windows show a value no real frame holds after a warning sign.
    const IndicationTexts damaged = indicationTexts(o, o.indications()[5]);
    EXPECT_EQ(damaged.amplitudeShown(), "+100.0dB");
    EXPECT_EQ(damaged.positionShown(), "⚠ ↓25000.0mm");
    const std::string header =
        "indication,startRecord,startFrame,endRecord,endFrame,frames,peakRecord,peakFrame,"
        "amplitude,unit,position,positionUnit,positionKind,plausible\r\n";
    const EchoOverview six(records, amplitude, position, {},
                           {indications.begin(), indications.begin() + 6});
    EXPECT_EQ(indicationsCsv(six), header + "0,7,1,7,2,2,7,1,87.5,%,48.2,mm,path,yes\r\n"
                                            "1,8,0,8,1,2,8,0,3.0,dB,123.4,mm,depth,yes\r\n"
                                            "2,9,0,9,0,1,9,0,-2.5,dB,1.9,in,surface,yes\r\n"
                                            "3,9,2,9,2,1,9,2,0.0,dB,0.7,in,surface,yes\r\n"
                                            "4,10,1,10,2,2,10,2,12544.0,%,45.0,mm,path,no\r\n"
                                            "5,8,2,8,2,1,8,2,100.0,dB,25000.0,mm,depth,no\r\n");
    EXPECT_EQ(indicationsCsv(EchoOverview(records, amplitude, position, {}, {})), header);
}

// The window's export: the name it suggests beside the recording, and the
// comment line that says which recording and settings the rows come from.
TEST(IndicationTable, ExportNameAndComment) {
    const std::pair<const char*, const char*> names[] = {
        {"/data/weld 3/demo.DAT", "/data/weld 3/demo_indications.csv"},
        {"demo.dat", "demo_indications.csv"},
        {"/data/scan.v2/WELD", "/data/scan.v2/WELD_indications.csv"},
        {"/data/焊缝.DAT", "/data/焊缝_indications.csv"},
    };
    for (const auto& [path, expected] : names)
        EXPECT_EQ(indicationsCsvName(path), expected);

    OverviewSettings s;
    EXPECT_EQ(indicationsCsvComment("demo.DAT", s),
              "# recording: demo.DAT; position: path; threshold %: gate A level; "
              "threshold dB: 0.0; gap: 0\r\n");
    s.position = OverviewPosition::Depth;
    s.percentThreshold = 405;
    s.dbThreshold = -25;
    s.gap = 3;
    EXPECT_EQ(indicationsCsvComment("焊缝.DAT", s),
              "# recording: 焊缝.DAT; position: depth; threshold %: 40.5; "
              "threshold dB: -2.5; gap: 3\r\n");
}
