// Writes the seed corpora of the fuzz targets from the demo recording, with
// the project's own writer and encoder: small recordings that hold each
// display mode of the demo (one and two gates, DAC, DGS, envelope, notes),
// a cut one, LZW streams of single records, and inspection files of the
// demo: sound ones and a few broken in the ways a file beside a recording
// gets broken.
// Usage: make-fuzz-seeds DEMO.DAT CORPUS_DIR
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "inspection/inspection_file.h"
#include "recordfile/instrument_params.h"
#include "recordfile/lzw.h"
#include "recordfile/record_file.h"
#include "recordfile/record_writer.h"

using namespace vantrel;

namespace {

void writeInspectionSeeds(const RecordFile& demo, const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    auto write = [&](const char* name, const QByteArray& bytes) {
        writeBytes((dir / name).string(), std::vector<uint8_t>(bytes.begin(), bytes.end()));
    };
    InspectionDocument blank{recordingIdentity(demo), "2026-12-11T09:30:00.000Z", {}};
    write("blank.json", inspectionJson(blank));

    InspectionDocument full = blank;
    Inspection& in = full.inspection;
    in.travel = {TravelCalibration::Method::TwoFrames, "0.25", {20, 0}, {280, 3}, "600"};
    int i = 0;
    for (const char* grade : kGrades) {
        IndicationDecision& d = in.decide({40 * i, i}, {40 * i + 5, 0});
        d.grade = grade;
        d.nature = i % 2 ? "夹渣" : "crack \\ \"root\"";
        d.remark = "第 " + std::to_string(i) + " 处\n";
        d.reported = i % 2 == 0;
        if (i != 1) d.peak = FramePlace{40 * i + 2, 1};
        d.manual = i == 4;
        if (i % 2) d.cells = {{"长度", "12 mm"}, {"探伤结果", "返修"}};
        ++i;
    }
    in.reportCells = {{"检测单位", "第一检测站"}, {"备注", "两行\n文字"}};
    in.settings = EvaluationSettings{2, 2500, 505, -63};
    in.frameCells[{7, 3}] = {{"备注", "表面划痕"}};
    const QByteArray sound = inspectionJson(full);
    write("full.json", sound);

    InspectionDocument typed = blank;
    typed.inspection.travel.method = TravelCalibration::Method::Typed;
    typed.inspection.travel.mmPerFrame = "0.5";
    typed.inspection.decide({1, 2}, {3, 4}).grade = "III";
    write("typed.json", inspectionJson(typed));

    write("cut.json", sound.left(sound.size() * 2 / 3));
    write("newer.json", QByteArray(sound).replace("\"version\": 2", "\"version\": 3"));
    // A file of the first version: none of the second's keys.
    {
        QJsonObject root = QJsonDocument::fromJson(inspectionJson(typed)).object();
        root["version"] = 1;
        root.remove("settings");
        root.remove("frameCells");
        QJsonArray decisions = root["decisions"].toArray();
        for (qsizetype k = 0; k < decisions.size(); ++k) {
            QJsonObject d = decisions[k].toObject();
            for (const char* key : {"peak", "manual", "cells"})
                d.remove(key);
            decisions[k] = d;
        }
        root["decisions"] = decisions;
        write("version1.json", QJsonDocument(root).toJson());
    }
    write("split-too-fine.json", QByteArray(sound).replace("\"split\": 2.5", "\"split\": 2.5004"));
    write("wrong-type.json", QByteArray(sound).replace("\"reported\": true", "\"reported\": 1"));
    write("unknown-grade.json", QByteArray(sound).replace("\"grade\": \"II\"", "\"grade\": \"V\""));
    write("foreign.json", R"({"name": "settings", "version": 1})");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-fuzz-seeds DEMO.DAT CORPUS_DIR\n");
        return 2;
    }
    const std::filesystem::path out(argv[2]);
    std::filesystem::create_directories(out / "lzw");
    std::filesystem::create_directories(out / "record_file");
    RecordFile demo;
    if (!demo.openRecordFile(argv[1]).ok()) return 1;
    InstrumentParams p;
    auto decoded = [&](int r, int32_t& trailer) {
        demo.readRecordAt(demo.indexEntryAt(r)->fileOffset, p);
        trailer = demo.layout().trailerLength;
        return std::vector<uint8_t>(demo.decoded().begin(), demo.decoded().end());
    };
    // Each seed: the record carrying the block in force, then a few records.
    const std::pair<const char*, std::vector<int>> seeds[] = {
        {"one-gate", {0, 1, 2}},     {"gain-change", {47, 48}},     {"envelope", {60, 61}},
        {"dac", {140, 141, 185}},    {"two-gate", {220, 221, 230}}, {"dgs", {262, 263, 270}},
        {"reject", {281, 282, 299}},
    };
    for (const auto& [name, records] : seeds) {
        RecordWriter w;
        for (int r : records) {
            int32_t trailer = 0;
            const std::vector<uint8_t> d = decoded(r, trailer);
            w.addDecoded(d, trailer);
        }
        w.writeFile((out / "record_file" / (std::string(name) + ".DAT")).string());
        std::vector<uint8_t> cut = w.bytes();
        cut.resize(cut.size() * 2 / 3);
        writeBytes((out / "record_file" / (std::string(name) + "-cut.DAT")).string(), cut);
    }
    for (int r : {0, 140, 262}) {
        int32_t trailer = 0;
        const std::vector<uint8_t> d = decoded(r, trailer);
        writeBytes((out / "lzw" / ("record-" + std::to_string(r) + ".lzw")).string(),
                   encodeStream(d));
    }
    const char* const texts[] = {"ABABABA", "AAAAAAAA", "AB"};
    for (const char* t : texts) {
        const std::vector<uint8_t> bytes(t, t + std::string(t).size());
        writeBytes((out / "lzw" / (std::string(t) + ".lzw")).string(), encodeStream(bytes));
    }
    writeInspectionSeeds(demo, out / "inspection_file");
    std::printf("seeds written to %s\n", out.string().c_str());
    return 0;
}
