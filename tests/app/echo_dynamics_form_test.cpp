// The echo-dynamics window on the offscreen platform, opened from the real
// main window: clicks and drags on the strips, the list, the thresholds, the
// export, and the computation on its worker thread (cancelled, overtaken by
// another file, cut short by closing).
#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "app/echo_dynamics_form.h"
#include "app/echo_strips.h"
#include "app/evaluation_list.h"
#include "app/evaluation_model.h"
#include "app/indication_list.h"
#include "app/inspection_choice_dialog.h"
#include "app/main_form.h"
#include "app/report_wiring.h"
#include "app/travel_dialog.h"
#include "dac_recording.h"
#include "inspection/inspection_file.h"
#include "pictures/overview_render.h"
#include "qtest_main.h"
#include "report_window/report_form.h"
#include "viewer/record_query.h"
#include "viewer_fixture.h"
#include "window_fixture.h"

namespace vantrel {
// What the strips drew: the picture as shown and the B-scan strip's columns.
class EchoStripsTestPeer {
public:
    static const QImage& picture(EchoStrips& strips) { return strips.picture(); }
    static const std::vector<BscanColumn>& bscanColumns(const EchoStrips& strips) {
        return strips.bscanColumns_;
    }
};
} // namespace vantrel

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// Gate A amplitudes (tenths of %) of the shown frames; 10 % where not named.
struct Echo {
    int record, frame, amplitude;
};

// `records` records of `frames` frames; record r, frame f carries the
// measured value 1000 * (100 r + f) as its path (so a drawn frame tells where
// it came from, see shownBy) and the amplitudes of `echoes` as gate A's.
// Gate A at level 100 (50 %). Notes on `notes`; `build` may add damage.
std::string echoFile(const std::string& name, int records, int frames,
                     const std::vector<Echo>& echoes, const std::vector<int>& notes = {},
                     const std::function<void(RecordWriter&, int)>& build = {}) {
    RecordWriter w;
    for (int r = 0; r < records; ++r) {
        if (build) {
            const int before = w.records();
            build(w, r);
            if (w.records() != before) continue;
        }
        Bytes b = makeFrames(frames, 100 * r);
        for (int f = 0; f < frames; ++f) {
            int a = 100;
            for (const Echo& e : echoes)
                if (e.record == r && e.frame == f) a = e.amplitude;
            storeU32(b.data() + static_cast<size_t>(f) * kFrameSize + kFrameValuesOffset + 12,
                     static_cast<uint32_t>(a));
        }
        const bool note = std::find(notes.begin(), notes.end(), r) != notes.end();
        ParameterBlock block = makeBlock(static_cast<uint16_t>(100 + r));
        storeU16(block.data() + param::kGateALevel, 100);
        const std::vector<uint16_t> cells =
            note ? noteCellsFromUtf8("note " + std::to_string(r)) : std::vector<uint16_t>{};
        w.addRecord(b, r == 0 || r == 10 || note ? &block : nullptr, cells);
    }
    return writeTemp(name, w.bytes());
}

// 30 records of 11 frames (300 shown frames). At the gate level (50 %): four
// indications, peaks 80 % at 5:4, 60 % at 12:4, 90 % at 20:7 and 56 % at
// 21:2; 20:8 and 21:1 are two shown frames apart. A 40 % echo at 25:5.
const std::vector<Echo> kEchoes = {
    {5, 2, 600},  {5, 3, 700},  {5, 4, 800},  {5, 5, 700},  {5, 6, 600},
    {12, 3, 550}, {12, 4, 600}, {12, 5, 550}, {20, 7, 900}, {20, 8, 700},
    {21, 1, 550}, {21, 2, 560}, {25, 5, 400},
};

// Written once: writing it again while a window's worker thread reads it
// would hand that thread a file cut short.
std::string mainFile() {
    static const std::string path = echoFile("echo-main.DAT", 30, 11, kEchoes, {5, 20});
    return path;
}

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

Qt::CheckState checkState(const QModelIndex& cell) {
    return static_cast<Qt::CheckState>(cell.data(Qt::CheckStateRole).toInt());
}

// The evaluation list's model over a small recording whose gate A reaches EL
// at 0:1-0:3 and 0:5: a decision on the first, none on the second, a manual
// indication over 0:4-0:6 and a decision on frames the recording lacks (an
// orphan); rows made by hand, their words stale, so that a cell shows which
// the model read. Its models run under Qt's model tester.
using M = EvaluationModel;
struct EvaluationModelFixture {
    RecordQuery query;
    EchoOverview overview;
    Evaluation evaluation;
    Inspection inspection;
    EvaluationModel model;

    static const RecordQuery& opened(RecordQuery& q) {
        if (!q.open(dacFileOf({{{-300, -74, -60, -74, -300, -140, -300}, dac(1)}},
                              "evaluation-model.DAT"))
                 .ok())
            qFatal("cannot open the evaluation model's recording");
        return q;
    }
    static DefectRow row(size_t k, bool manual, const std::string& t) {
        DefectRow r;
        r.indication = k;
        r.manual = manual;
        r.number = "n" + t, r.span = "s" + t, r.peak = "p" + t, r.aboveSl = "a" + t;
        r.zone = "z" + t, r.depth = "d" + t, r.surface = "f" + t;
        r.length6dB = "l" + t, r.lengthEl = "e" + t;
        r.nature = r.grade = r.remark = "stale";
        return r;
    }
    EvaluationModelFixture()
        : overview(computeOverview(opened(query), {})), evaluation(overview, 0) {
        if (evaluation.indications().size() != 2) qFatal("not the two indications");
        IndicationDecision& first = inspection.decide({0, 1}, {0, 3});
        first.nature = "裂纹";
        first.grade = "III";
        first.remark = "根部";
        first.reported = false;
        markManual(inspection, overview, 4, 6);
        inspection.decisions.back().nature = "夹渣";
        IndicationDecision& lost = inspection.decide({7, 0}, {7, 1});
        lost.peak = FramePlace{7, 0};
        lost.nature = "未熔合";
        new QAbstractItemModelTester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal,
                                     &model);
        model.reset({row(0, false, "0"), row(1, false, "1"), row(0, true, "2")}, &evaluation,
                    &inspection);
        if (model.rowCount() != 4) qFatal("not the three rows and the orphan");
    }
};

} // namespace

class EchoDynamicsTest : public QObject {
    Q_OBJECT

    struct Window : MainWindowFixture {
        explicit Window(int pace = 100000) : MainWindowFixture(pace) {}
        TEchoDynamicsForm* held = nullptr;
        TEchoDynamicsForm& echo() {
            TEchoDynamicsForm& e = held ? *held : form.echoDynamics();
            watch(e);
            return e;
        }
        // Both lists' models run under Qt's model tester from the window's
        // first use on: every fill, refill and edit of every test is checked
        // against the item model rules, and a broken one stops the test.
        const TEchoDynamicsForm* watched = nullptr;
        void watch(TEchoDynamicsForm& e) {
            if (watched == &e) return;
            watched = &e;
            for (const char* name : {"IndicationList", "EvaluationList"}) {
                QAbstractItemModel* model = e.findChild<QTableView*>(name)->model();
                new QAbstractItemModelTester(
                    model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
            }
        }
        // An echo-dynamics window on this main window, wired as the main
        // window wires its own, whose computation first runs `before` on the
        // worker thread (which may wait there for a cancel); echo() is then
        // this window.
        TEchoDynamicsForm& heldEcho(std::function<void(const OverviewProgress&)> before) {
            held = new TEchoDynamicsForm(
                form.core(), recording, [this](int32_t r, int32_t f) { form.goToFrame(r, f); },
                &form,
                [before](const RecordQuery& q, const OverviewSettings& s, OverviewProgress* p) {
                    before(*p);
                    return computeOverview(q, s, p);
                });
            QObject::connect(&form, &TMainForm::fileOpened, held, &TEchoDynamicsForm::fileOpened);
            QObject::connect(&form, &TMainForm::frameDrawn, held, &TEchoDynamicsForm::frameDrawn);
            watch(*held);
            return *held;
        }
        QAction* item() { return form.findChild<QAction*>("EchoDynamicsItem"); }
        TEchoDynamicsForm& openEcho() {
            item()->trigger();
            return echo();
        }
        // Opens `path` in the main window, then this window from the menu, and
        // waits for the file's overview.
        bool openAndCompute(const std::string& path) {
            form.openFile(QString::fromStdString(path));
            openEcho();
            return QTest::qWaitFor([this] { return echo().overview() != nullptr; }, 10000);
        }
        template <class T> T* child(const char* name) { return childOf<T>(echo(), name); }
        EchoStrips* strips() { return child<EchoStrips>("EchoStrips"); }
        // The strips as shown, with the marks over them.
        const QImage& picture() { return EchoStripsTestPeer::picture(*strips()); }
        Shown place() const {
            const auto p = form.core().placeOnScreen();
            return p ? Shown{p->record, p->frame} : Shown{-1, -1};
        }
        // The point of the amplitude strip over shown frame i, at row y
        // (when not given, high above the threshold line, which a press
        // would take hold of).
        QPoint pointAt(int64_t i, std::optional<int> y = std::nullopt) {
            const OverviewLayout layout = strips()->layout();
            const int x = columnOfFrame(echo().view(), layout.amplitude.width(), i);
            return {layout.amplitude.left() + x,
                    y.value_or(layout.amplitude.top() + layout.amplitude.height() / 8)};
        }
        int64_t indexOf(int record, int frame) { return echo().overview()->indexOf(record, frame); }
        QStringList row(int r) {
            auto* table = child<QTableView>("IndicationList");
            QStringList texts;
            for (int c = 0; c < table->model()->columnCount(); ++c)
                texts << table->model()->index(r, c).data().toString();
            return texts;
        }
    };

private slots:
    // Each test starts from the default settings and no remembered place.
    void init() {
        QSettings s(QStringLiteral("Vantrel"), QStringLiteral("Vantrel"));
        s.remove(QStringLiteral("EchoDynamics"));
        // The settings a test leaves in the recording's inspection are not
        // the next test's.
        QFile::remove(QString::fromStdString(mainFile()) + ".vantrel.json");
    }

    // 查看 › 回波动态 opens the window once a file is open, and shows it
    // again, raised, however it was put away.
    void openedFromTheViewMenuOnceAFileIsOpen() {
        Window w;
        QStringList menus;
        for (QAction* a : w.form.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{"文件(&F)", "查看(&V)", "帮助"}));
        QCOMPARE(w.item()->text(), QString("回波动态(&D)"));
        QVERIFY(!w.item()->isEnabled());
        w.form.openFile(QString::fromStdString(mainFile()));
        QVERIFY(w.item()->isEnabled());
        TEchoDynamicsForm& e = w.openEcho();
        QVERIFY(e.isVisible());
        QCOMPARE(e.windowTitle(),
                 QString("回波动态 \u2013 %1")
                     .arg(QFileInfo(QString::fromStdString(mainFile())).fileName()));
        QVERIFY(!e.isModal());
        QTRY_VERIFY(e.overview());
        QCOMPARE(e.overview()->frameCount(), 300);
        QCOMPARE(w.child<QTableView>("IndicationList")->model()->rowCount(), 4);
        QCOMPARE(w.row(0), (QStringList{"5:2", "5:6", "5", "80.0%", "⚠ ↘50400.0mm"}));
        QCOMPARE(w.row(3), (QStringList{"21:1", "21:2", "2", "56.0%", "⚠ ↘210200.0mm"}));
        QCOMPARE(w.child<QLabel>("OverviewStatus")->text(), QString("300 帧，4 处指示"));
        QVERIFY(!w.child<QProgressBar>("OverviewProgress")->isVisible());
        // The main window keeps its own state; the window is not in its way.
        QCOMPARE(w.last(), (Shown{0, 0}));
        // Minimised, hidden or maximised and minimised, the menu brings it
        // back as it was.
        const struct {
            Qt::WindowStates before, after;
        } states[] = {
            {Qt::WindowMinimized, Qt::WindowNoState},
            {Qt::WindowMaximized | Qt::WindowMinimized, Qt::WindowMaximized},
            {Qt::WindowNoState, Qt::WindowNoState},
        };
        for (const auto& c : states) {
            e.setWindowState(c.before);
            if (c.before == Qt::WindowNoState) e.hide();
            w.item()->trigger();
            QVERIFY(e.isVisible());
            QCOMPARE(e.windowState() & ~Qt::WindowActive, c.after);
        }
    }

    // A click on a strip shows that frame in the main window; a drag goes
    // along; the cursor marks it.
    void clickAndDragOnTheStripsShowFrames() {
        Window w;
        QVERIFY(w.openAndCompute(mainFile()));
        TEchoDynamicsForm& e = w.echo();
        QTest::mouseClick(w.strips(), Qt::LeftButton, {}, w.pointAt(w.indexOf(7, 3)));
        QCOMPARE(w.last(), (Shown{7, 3}));
        QCOMPARE(w.place(), (Shown{7, 3}));
        QCOMPARE(w.form.core().currentRecord(), 7);
        QCOMPARE(e.view().cursor, w.indexOf(7, 3));
        // The position strip takes clicks too.
        const OverviewLayout layout = w.strips()->layout();
        QTest::mouseClick(w.strips(), Qt::LeftButton, {},
                          QPoint(w.pointAt(w.indexOf(2, 8)).x(), layout.position.center().y()));
        QCOMPARE(w.last(), (Shown{2, 8}));

        QTest::mousePress(w.strips(), Qt::LeftButton, {}, w.pointAt(w.indexOf(9, 0)));
        QCOMPARE(w.last(), (Shown{9, 0}));
        QTest::mouseMove(w.strips(), w.pointAt(w.indexOf(11, 5)));
        QCOMPARE(w.last(), (Shown{11, 5}));
        QTest::mouseMove(w.strips(), w.pointAt(w.indexOf(13, 1)));
        QTest::mouseRelease(w.strips(), Qt::LeftButton, {}, w.pointAt(w.indexOf(13, 1)));
        QCOMPARE(w.last(), (Shown{13, 1}));
        QCOMPARE(e.view().cursor, w.indexOf(13, 1));
        // Next in the main window goes on from there.
        QTest::mouseClick(w.form.findChild<QPushButton*>("RzButtonNext"), Qt::LeftButton);
        QCOMPARE(w.last(), (Shown{13, 2}));
        QCOMPARE(e.view().cursor, w.indexOf(13, 2));
    }

    // The wheel zooms around the pointer, a right or Shift drag pans without
    // going anywhere, 全部 shows the whole file again.
    void zoomPanAndFit() {
        Window w;
        QVERIFY(w.openAndCompute(mainFile()));
        TEchoDynamicsForm& e = w.echo();
        const int64_t anchor = w.indexOf(12, 4);
        const QPoint p = w.pointAt(anchor);
        const OverviewLayout layout = w.strips()->layout();
        const int width = layout.amplitude.width();
        for (int k = 0; k < 4; ++k) {
            QWheelEvent wheel(p, w.strips()->mapToGlobal(p), {}, {0, 120}, Qt::NoButton, {},
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(w.strips(), &wheel);
        }
        const OverviewView zoomed = e.view();
        QVERIFY2(zoomed.to - zoomed.from < 150,
                 qPrintable(QString::number(zoomed.to - zoomed.from)));
        const int64_t under = frameAtColumn(zoomed, width, p.x() - layout.amplitude.left());
        QVERIFY(std::abs(under - anchor) <= 1);

        const Shown before = w.last();
        for (auto [button, modifiers] : {std::pair{Qt::RightButton, Qt::KeyboardModifiers{}},
                                         {Qt::LeftButton, Qt::ShiftModifier}}) {
            const OverviewView start = e.view();
            QTest::mousePress(w.strips(), button, modifiers, p);
            QTest::mouseMove(w.strips(), p + QPoint(width / 4, 0));
            QTest::mouseRelease(w.strips(), button, modifiers, p + QPoint(width / 4, 0));
            QVERIFY(e.view().from < start.from); // the frames move right with the pointer
            QCOMPARE(e.view().to - e.view().from, start.to - start.from);
        }
        QCOMPARE(w.last(), before);
        QTest::mouseClick(w.child<QPushButton>("FitAll"), Qt::LeftButton);
        QCOMPARE(e.view().from, 0);
        QCOMPARE(e.view().to, 300);
    }

    // The B-scan strip under the strips: every frame lies under the same x
    // as above, a click, a drag, the wheel and a pan on it act as on the
    // strips, its tooltip names the frame, the sound path and the amplitude
    // drawn there, and its picture is the same whether its columns are read
    // from the records or summed from the block maxima.
    void bscanStripGoesWithTheStrips() {
        Window w;
        QVERIFY(w.openAndCompute(mainFile()));
        TEchoDynamicsForm& e = w.echo();
        EchoStrips* strips = w.strips();
        QVERIFY(e.bscanShown());
        const OverviewLayout layout = strips->layout();
        QCOMPARE(layout.bscan.left(), layout.amplitude.left());
        QCOMPARE(layout.bscan.width(), layout.amplitude.width());
        QVERIFY(layout.bscan.top() > layout.position.bottom());
        const int width = layout.bscan.width();
        const EchoOverview& o = *e.overview();
        auto aligned = [&] {
            EchoStripsTestPeer::picture(*strips);
            const std::vector<BscanColumn>& columns = EchoStripsTestPeer::bscanColumns(*strips);
            if (static_cast<int>(columns.size()) != width) return false;
            for (int x = 0; x < width; ++x) {
                const int64_t i = std::min(frameAtColumn(e.view(), width, x), o.frameCount() - 1);
                const BscanColumn& c = columns[static_cast<size_t>(x)];
                if (c.first > i || i > c.last) return false;
            }
            return true;
        };
        QVERIFY(aligned());
        auto onBscan = [&](int64_t i, int row) {
            return QPoint(w.pointAt(i).x(), layout.bscan.top() + row);
        };
        QTest::mouseClick(strips, Qt::LeftButton, {}, onBscan(w.indexOf(7, 3), 40));
        QCOMPARE(w.last(), (Shown{7, 3}));
        QTest::mousePress(strips, Qt::LeftButton, {}, onBscan(w.indexOf(9, 0), 10));
        QCOMPARE(w.last(), (Shown{9, 0}));
        QTest::mouseMove(strips, onBscan(w.indexOf(11, 5), 60));
        QTest::mouseRelease(strips, Qt::LeftButton, {}, onBscan(w.indexOf(11, 5), 60));
        QCOMPARE(w.last(), (Shown{11, 5}));

        // The wheel over the B-scan zooms all three around the pointer.
        const int64_t anchor = w.indexOf(12, 4);
        const QPoint p = onBscan(anchor, 30);
        for (int k = 0; k < 3; ++k) {
            QWheelEvent wheel(p, strips->mapToGlobal(p), {}, {0, 120}, Qt::NoButton, {},
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(strips, &wheel);
        }
        QVERIFY(e.view().to - e.view().from < 200);
        QVERIFY(std::abs(frameAtColumn(e.view(), width, p.x() - layout.bscan.left()) - anchor) <=
                1);
        QVERIFY(aligned());
        const OverviewView zoomed = e.view();
        QTest::mousePress(strips, Qt::RightButton, {}, p);
        QTest::mouseMove(strips, p + QPoint(width / 5, 0));
        QTest::mouseRelease(strips, Qt::RightButton, {}, p + QPoint(width / 5, 0));
        QVERIFY(e.view().from < zoomed.from);
        QCOMPARE(e.view().to - e.view().from, zoomed.to - zoomed.from);
        QVERIFY(aligned());

        // The tooltip at the pointer: the frame above, the path of the row's
        // first sample position, the amplitude drawn.
        const int x = p.x() - layout.bscan.left(), y = 30;
        const int64_t i = frameAtColumn(e.view(), width, x);
        const auto [s0, s1] = bscanSamplesOfRow(y, layout.bscan.height());
        uint8_t drawn = 0;
        for (int k = s0; k < s1; ++k)
            drawn =
                std::max(drawn, EchoStripsTestPeer::bscanColumns(*strips)[static_cast<size_t>(x)]
                                    .cells[static_cast<size_t>(k)]);
        const BscanGeometry& g = o.bscanSummaries().geometryAt(i);
        const QString path = g.range > 0 ? QString("声程 %1 mm").arg(g.pathAt(s0) / 10, 0, 'f', 1)
                                         : QString("采样点 %1").arg(s0);
        QCOMPARE(strips->describeBscan(x, y), QString("%1:%2  %3  波幅 %4%")
                                                  .arg(o.recordNumber(i))
                                                  .arg(o.frameNumber(i))
                                                  .arg(path)
                                                  .arg(drawn * 0.5, 0, 'f', 1));

        // Gate A's edges where the frames' parameters put them.
        const QImage picture = w.picture();
        const int gx = width / 2 + 3;
        const BscanGeometry& gate = o.bscanSummaries().geometryAt(
            EchoStripsTestPeer::bscanColumns(*strips)[static_cast<size_t>(gx)].first);
        if (gate.gateAStart < kBscanRows) {
            const int gy = bscanRowOfSample(gate.gateAStart, layout.bscan.height());
            QCOMPARE(at(picture, layout.bscan.left() + gx, layout.bscan.top() + gy),
                     qRgb(70, 215, 70));
        }

        // Both ways of answering a column draw the same picture.
        const OverviewView whole{0, o.frameCount(), -1};
        const std::vector<BscanColumn> summed = bscanBySummaries(o, whole, width);
        std::vector<BscanColumn> read = summed;
        RecordQuery reader;
        QVERIFY(reader.openAlongside(w.form.core().query()));
        readBscanColumns(o, reader, read);
        QImage a(strips->size(), QImage::Format_RGB32), b = a;
        const BscanPicture fromSummaries{summed}, fromRecords{read};
        drawOverviewStrips(a, o, whole, nullptr, &fromSummaries);
        drawOverviewStrips(b, o, whole, nullptr, &fromRecords);
        QCOMPARE(a, b);

        // Switched off, the strips take the height again; remembered.
        w.child<QCheckBox>("BscanShown")->click();
        QVERIFY(!e.bscanShown());
        QVERIFY(strips->layout().bscan.isEmpty());
        QCOMPARE(strips->layout().amplitude, OverviewLayout::forSize(strips->size()).amplitude);
        QCOMPARE(QSettings(QStringLiteral("Vantrel"), QStringLiteral("Vantrel"))
                     .value("EchoDynamics/bscan")
                     .toBool(),
                 false);
        w.child<QCheckBox>("BscanShown")->click();
        QVERIFY(e.bscanShown());
    }

    void cursorFollowsPlayback() {
        Window w(5);
        QVERIFY(w.openAndCompute(mainFile()));
        TEchoDynamicsForm& e = w.echo();
        // Connected after the window's own handler: runs after it on every frame.
        int checked = 0, wrong = 0;
        QObject::connect(&w.form, &TMainForm::frameDrawn, &w.form, [&] {
            ++checked;
            const Shown s = w.last();
            if (e.view().cursor != w.indexOf(s.record, s.frame)) ++wrong;
        });
        QTest::mouseClick(w.form.findChild<QPushButton*>("RzButtonPlay"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(checked >= 25, 10000);
        QTest::mouseClick(w.form.findChild<QPushButton*>("RzButtonPlay"), Qt::LeftButton);
        QCOMPARE(wrong, 0);
        QVERIFY(e.view().cursor >= 25);
        QCOMPARE(e.view().cursor, w.indexOf(w.last().record, w.last().frame));
        // The cursor is drawn where it is.
        const QImage picture = w.picture();
        const OverviewLayout layout = w.strips()->layout();
        const QPoint c = w.pointAt(e.view().cursor, layout.position.top() + 2);
        QCOMPARE(at(picture, c.x(), c.y()), qRgb(120, 0, 160));
    }

    // A playback step moves the cursor over the strips' picture as drawn:
    // the strips read no record for it, even where the B-scan is read from
    // the records (a view of a few records); a new view reads them.
    void aPlaybackStepReadsNoneForTheStrips() {
        Window w;
        QVERIFY(w.openAndCompute(mainFile()));
        TEchoDynamicsForm& e = w.echo();
        EchoStrips* strips = w.strips();
        QVERIFY(e.bscanShown());
        e.setView(w.indexOf(10, 0), w.indexOf(20, 0));
        QVERIFY(bscanReadsRecords(*e.overview(), e.view()));
        strips->repaint();
        const OverviewLayout layout = strips->layout();
        for (const Shown s :
             {Shown{12, 3}, Shown{12, 4}, Shown{13, 0}, Shown{17, 9}, Shown{11, 1}}) {
            // The main window reads the frame it shows; then the strips.
            w.form.goToFrame(s.record, s.frame);
            QCOMPARE(w.last(), s);
            const int64_t read = RecordQuery::recordsRead();
            e.frameDrawn();
            strips->repaint();
            QCOMPARE(e.view().cursor, w.indexOf(s.record, s.frame));
            QCOMPARE(RecordQuery::recordsRead(), read);
            const QPoint c = w.pointAt(e.view().cursor, layout.position.top() + 2);
            QCOMPARE(at(w.picture(), c.x(), c.y()), qRgb(120, 0, 160));
        }
        const int64_t read = RecordQuery::recordsRead();
        e.setView(w.indexOf(14, 0), w.indexOf(24, 0));
        strips->repaint();
        QVERIFY(RecordQuery::recordsRead() > read);
    }

    // The strips redraw only the columns the cursor and the selected 6 dB
    // run leave and take: after each step the picture is the one a full
    // drawing gives, marks and manual indications over the cursor included.
    void whatAStepRedrawsIsWhatAFullDrawingGives() {
        QTemporaryDir dir;
        const QString copy = dir.filePath("demo.DAT");
        QVERIFY(QFile::copy(VANTREL_DEMO, copy));
        Window w;
        QVERIFY(w.openAndCompute(copy.toStdString()));
        TEchoDynamicsForm& e = w.echo();
        EchoStrips* strips = w.strips();
        const EchoOverview& o = *e.overview();
        const int64_t total = o.frameCount();
        e.setEvaluationShown(true);
        QVERIFY(e.evaluation() && e.evaluation()->indications().size() > 2);
        const EvaluatedIndication& d = e.evaluation()->indications()[1];
        e.markManualIndication(d.start, d.end);
        QStringList differ;
        auto check = [&](const QString& step) {
            const QImage shown = w.picture().copy();
            strips->invalidate();
            if (w.picture() != shown) differ << step;
        };
        auto goTo = [&](int64_t i) { w.form.goToFrame(o.recordNumber(i), o.frameNumber(i)); };
        const struct {
            const char* name;
            std::function<void()> step;
        } steps[] = {
            {"first frame", [&] { goTo(0); }},
            {"selected 1", [&] { e.selectEvaluated(1); }},
            {"cursor on its run", [&] { goTo(d.drop6Start); }},
            {"cursor on its peak", [&] { goTo(d.peak); }},
            {"next frame", [&] { goTo(d.peak + 1); }},
            {"cursor on its end", [&] { goTo(d.drop6End); }},
            {"selected 2", [&] { e.selectEvaluated(2); }},
            {"none selected", [&] { e.selectEvaluated(-1); }},
            {"last frame", [&] { goTo(total - 1); }},
            {"a view of the run", [&] { e.setView(d.start - 20, d.end + 20); }},
            {"selected 1 again", [&] { e.selectEvaluated(1); }},
            {"cursor in the view", [&] { goTo(d.peak); }},
            {"a frame on", [&] { goTo(d.peak + 1); }},
            {"notes hidden", [&] { strips->setNotesAndBlocksShown(false); }},
            {"a frame back", [&] { goTo(d.peak); }},
            {"no B-scan", [&] { e.setBscanShown(false); }},
            {"the run's start", [&] { goTo(d.start); }},
        };
        for (const auto& s : steps) {
            s.step();
            check(QString::fromLatin1(s.name));
        }
        QVERIFY2(differ.isEmpty(), qPrintable(differ.join(", ")));
    }

    void doubleClickOnAnIndicationShowsItsPeak() {
        Window w;
        QVERIFY(w.openAndCompute(mainFile()));
        TEchoDynamicsForm& e = w.echo();
        auto* table = w.child<QTableView>("IndicationList");
        for (auto [row, peak] : {std::pair{2, Shown{20, 7}}, {0, Shown{5, 4}}, {1, Shown{12, 4}}}) {
            const QPoint p = table->visualRect(table->model()->index(row, 1)).center();
            // A double click comes after the press of its first click.
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, p);
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, p);
            QCOMPARE(w.last(), peak);
            QCOMPARE(w.place(), peak);
            QCOMPARE(e.view().cursor, w.indexOf(peak.record, peak.frame));
        }
    }

    void exportWritesTheListAsCsv() {
        Window w;
        QVERIFY(w.openAndCompute(mainFile()));
        TEchoDynamicsForm& e = w.echo();
        const QString path = QString::fromStdString(tempPath("echo-export.csv"));
        QFile::remove(path);
        int asked = 0;
        QString suggested;
        e.chooseCsvFile = [&](const QString& suggestion) -> std::optional<QString> {
            ++asked;
            suggested = suggestion;
            return asked == 1 ? std::nullopt : std::optional<QString>(path);
        };
        QTest::mouseClick(w.child<QPushButton>("ExportCsv"), Qt::LeftButton); // cancelled
        QVERIFY(!QFile::exists(path));
        w.child<QSpinBox>("MergeGap")->setValue(2); // 20:7 .. 21:2 become one
        QTest::mouseClick(w.child<QPushButton>("ExportCsv"), Qt::LeftButton);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        // Beside the recording, named after it; the file says where its rows
        // came from.
        const QFileInfo recording(QString::fromStdString(mainFile()));
        QCOMPARE(suggested, recording.absolutePath() + "/" + recording.completeBaseName() +
                                "_indications.csv");
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 "# recording: " + recording.fileName() +
                     "; position: path; threshold %: gate A level; threshold dB: 0.0; gap: 2\r\n"
                     "indication,startRecord,startFrame,endRecord,endFrame,frames,peakRecord,"
                     "peakFrame,amplitude,unit,position,positionUnit,positionKind,plausible\r\n"
                     "0,5,2,5,6,5,5,4,80.0,%,50400.0,mm,path,no\r\n"
                     "1,12,3,12,5,3,12,4,60.0,%,120400.0,mm,path,no\r\n"
                     "2,20,7,21,2,6,20,7,90.0,%,200700.0,mm,path,no\r\n");
        QCOMPARE(w.child<QTableView>("IndicationList")->model()->rowCount(), 3);
    }

    // In the evaluation view the export writes the list on screen: the
    // evaluated indications as vantrel-inspect evaluate writes them, with
    // the inspector's decisions after them.
    void exportInTheEvaluationViewWritesTheEvaluatedList() {
        const DemoCopy demo;
        const QString& copy = demo.path;
        Window w;
        QVERIFY(w.openAndCompute(copy.toStdString()));
        TEchoDynamicsForm& e = w.echo();
        e.setEvaluationShown(true);
        IndicationDecision d;
        d.nature = "未熔合";
        d.grade = "III";
        d.remark = "root side, \"near\" the cap";
        d.reported = false;
        e.setDecision(2, d);
        const QString path = demo.dir.filePath("evaluated.csv");
        e.chooseCsvFile = [&](const QString&) -> std::optional<QString> { return path; };
        QTest::mouseClick(w.child<QPushButton>("ExportCsv"), Qt::LeftButton);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
        QCOMPARE(lines.size(), 1 + 13 + 1); // the header, the rows, the end
        QCOMPARE(lines[0], QString("indication,startRecord,startFrame,endRecord,endFrame,frames,"
                                   "peakRecord,peakFrame,dac,sl,zone,path,surface,depth,"
                                   "positionUnit,drop6Frames,elMm,drop6Mm,nature,grade,remark,"
                                   "reported"));
        QCOMPARE(lines[3], QString("2,166,4,204,0,377,185,2,2.3,14.3,III,39.0,33.7,19.5,mm,225,,,"
                                   "未熔合,III,\"root side, \"\"near\"\" the cap\",0"));
        QVERIFY(lines[1].endsWith(",,,,1"));
    }

    // A decision follows the indication that holds its peak: when a merge
    // gap joins two decided indications, the first decision stays on the
    // joined one and the second is listed greyed under the list, kept; with
    // the gap back, each is on its own indication again.
    void decisionsFollowTheirIndicationAcrossAGapChange() {
        const DemoCopy demo;
        const QString& copy = demo.path;
        Window w;
        QVERIFY(w.openAndCompute(copy.toStdString()));
        TEchoDynamicsForm& e = w.echo();
        e.setEvaluationShown(true);
        auto* table = w.child<EvaluationList>("EvaluationList");
        QCOMPARE(table->model()->index(3, EvaluationList::Span).data().toString(),
                 QString("204:1–219:0"));
        QCOMPARE(table->model()->index(4, EvaluationList::Span).data().toString(),
                 QString("219:2–219:8"));
        table->model()->setData(table->model()->index(3, EvaluationList::Nature), QString("根部"));
        table->model()->setData(table->model()->index(4, EvaluationList::Nature), QString("气孔"));
        QCOMPARE(e.inspection().decisions.size(), size_t{2});
        w.child<QSpinBox>("MergeGap")->setValue(1); // 219:1 between them
        const int joined = static_cast<int>(e.evaluation()->indications().size());
        QCOMPARE(table->model()->rowCount(), joined + 1);
        QCOMPARE(table->model()->index(2, EvaluationList::Span).data().toString(),
                 QString("204:1–219:8"));
        QCOMPARE(table->model()->index(2, EvaluationList::Nature).data().toString(),
                 QString("根部"));
        QCOMPARE(table->model()->index(joined, EvaluationList::Nature).data().toString(),
                 QString("气孔"));
        QCOMPARE(table->model()->index(joined, EvaluationList::Zone).data().toString(),
                 QString("无对应指示"));
        QVERIFY(
            !(table->model()->index(joined, EvaluationList::Nature).flags() & Qt::ItemIsEditable));
        QCOMPARE(defectListInputs(w.recording)->list.orphans.size(), size_t{1});
        w.child<QSpinBox>("MergeGap")->setValue(0);
        QCOMPARE(table->model()->rowCount(), 13);
        QCOMPARE(table->model()->index(4, EvaluationList::Nature).data().toString(),
                 QString("气孔"));
    }

    // Dragging the threshold line sets a % threshold of its own, and the
    // indications follow; the spin boxes show it and set it too.
    void thresholdDragChangesTheIndications() {
        Window w;
        QVERIFY(w.openAndCompute(mainFile()));
        TEchoDynamicsForm& e = w.echo();
        auto* byGate = w.child<QCheckBox>("PercentByGateLevel");
        auto* percent = w.child<QDoubleSpinBox>("PercentThreshold");
        auto* table = w.child<QTableView>("IndicationList");
        QVERIFY(byGate->isChecked());
        QVERIFY(!percent->isEnabled());
        const Shown before = w.last();
        const OverviewLayout layout = w.strips()->layout();
        const OverviewScales s = OverviewScales::of(*e.overview(), e.view());
        auto row = [&](int64_t tenths) {
            return OverviewScales::rowOf(plotRows(layout.amplitude), tenths, s.percentLow,
                                         s.percentHigh);
        };
        const int64_t quiet = w.indexOf(16, 5); // far from every echo
        // A row of the strip stands for this many tenths; a dragged threshold
        // lands on whole percents.
        const int64_t perRow = (s.percentHigh - s.percentLow) / (layout.amplitude.height() - 1) + 1;
        struct Step {
            int64_t from, to; // tenths of %
            int indications;
        };
        int64_t line = 500; // the gate level
        for (const Step& step : {Step{500, 350, 5}, Step{350, 700, 2}, Step{700, 530, 4}}) {
            QTest::mousePress(w.strips(), Qt::LeftButton, {}, w.pointAt(quiet, row(line)));
            QTest::mouseMove(w.strips(), w.pointAt(quiet, row(step.to)));
            QTest::mouseRelease(w.strips(), Qt::LeftButton, {}, w.pointAt(quiet, row(step.to)));
            QVERIFY(e.settings().percentThreshold);
            line = *e.settings().percentThreshold;
            QVERIFY2(std::abs(line - step.to) <= std::max<int64_t>(perRow, 10) && line % 10 == 0,
                     qPrintable(QString::number(line)));
            QCOMPARE(static_cast<int>(e.overview()->indications().size()), step.indications);
            QCOMPARE(table->model()->rowCount(), step.indications);
            QVERIFY(!byGate->isChecked());
            QVERIFY(percent->isEnabled());
            QCOMPARE(percent->value(), static_cast<double>(line) / 10.0);
        }
        QCOMPARE(w.last(), before); // a threshold drag goes nowhere
        // Back to the gate level, then a typed threshold.
        byGate->setChecked(true);
        QCOMPARE(e.settings().percentThreshold, std::nullopt);
        QCOMPARE(table->model()->rowCount(), 4);
        byGate->setChecked(false);
        percent->setValue(40.0);
        QCOMPARE(table->model()->rowCount(), 5);
        QCOMPARE(w.row(4), (QStringList{"25:5", "25:5", "1", "40.0%", "⚠ ↘250500.0mm"}));
    }

    // The position kind is computed anew; the frames in view stay.
    void anotherPositionKindComputesAgain() {
        Window w;
        QVERIFY(w.openAndCompute(mainFile()));
        TEchoDynamicsForm& e = w.echo();
        e.setView(100, 200);
        w.child<QComboBox>("PositionKind")->setCurrentIndex(2);
        QCOMPARE(w.child<QComboBox>("PositionKind")->currentText(), QString("↓ 垂直"));
        QTRY_VERIFY(e.overview());
        QCOMPARE(e.settings().position, OverviewPosition::Depth);
        // Value 2 of 5:4 is 1000 * 504 + 2.
        QCOMPARE(e.overview()->position()[static_cast<size_t>(w.indexOf(5, 4))], 504002);
        QCOMPARE(w.row(0).last(), QString("⚠ ↓50400.2mm"));
        QCOMPARE(w.child<QTableView>("IndicationList")
                     ->model()
                     ->headerData(4, Qt::Horizontal)
                     .toString(),
                 QString("峰值处位置"));
        QCOMPARE(e.view().from, 100);
        QCOMPARE(e.view().to, 200);
    }

    // Each row says which kind of position it shows: with 位置 = 垂直 a
    // two-gate record still holds gate A's sound path. A row whose peak holds
    // what no real frame can (12544.0 %) is marked, not shown as an echo.
    void rowsSayTheirPositionKindAndMarkDamage() {
        // Shown frames 0..2 of each record: 10 %, then the peak, then 10 %;
        // sound path 45.0 mm, depth 25.0 mm.
        auto frames = [](int32_t peak) {
            Bytes b = makeFrames(4);
            for (int f = 0; f < 4; ++f) {
                const int32_t a = f == 1 ? peak : 100;
                const int32_t values[4] = {450, a, 250, a};
                for (int i = 0; i < 4; ++i)
                    storeU32(b.data() + static_cast<size_t>(f) * kFrameSize + kFrameValuesOffset +
                                 4 * i,
                             static_cast<uint32_t>(values[i]));
            }
            return b;
        };
        ParameterBlock oneGate = makeBlock(325);
        storeU16(oneGate.data() + param::kGateALevel, 100);
        ParameterBlock twoGate = oneGate;
        param::setBits(twoGate.data(), param::kTwoGateReadout, 1);
        // Gate A's position projected to the surface distance: its kind,
        // whatever 位置 asks for.
        param::setBits(twoGate.data(), param::kPathMode, 1);
        RecordWriter writer;
        writer.addRecord(frames(600), &oneGate);
        writer.addRecord(frames(700), &twoGate);
        writer.addRecord(frames(125440), &oneGate);
        Window w;
        QVERIFY(w.openAndCompute(writeTemp("echo-kinds.DAT", writer.bytes())));
        w.child<QComboBox>("PositionKind")->setCurrentIndex(2);
        QTRY_VERIFY(w.echo().overview());
        auto* table = w.child<QTableView>("IndicationList");
        QCOMPARE(table->model()->headerData(4, Qt::Horizontal).toString(), QString("峰值处位置"));
        QCOMPARE(table->model()->rowCount(), 3);
        QCOMPARE(w.row(0), (QStringList{"0:1", "0:1", "1", "60.0%", "↓25.0mm"}));
        QCOMPARE(w.row(1), (QStringList{"1:1", "1:1", "1", "70.0%", "→45.0mm"}));
        QCOMPARE(w.row(2), (QStringList{"2:1", "2:1", "1", "⚠ 12544.0%", "↓25.0mm"}));
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < table->model()->columnCount(); ++c) {
                const QModelIndex item = table->model()->index(r, c);
                const bool marked = r == 2;
                QCOMPARE(item.data(Qt::BackgroundRole).value<QBrush>().color() ==
                             QColor(255, 230, 255),
                         marked);
                QCOMPARE(item.data(Qt::ForegroundRole).value<QBrush>().color() ==
                             QColor(190, 0, 190),
                         marked);
                QCOMPARE(item.data(Qt::ToolTipRole).toString().isEmpty(), !marked);
            }
        }
    }

    void cancelDuringTheComputation() {
        Window w;
        w.form.openFile(QString::fromStdString(mainFile()));
        std::atomic<bool> hold{true};
        TEchoDynamicsForm& e = w.heldEcho([&hold](const OverviewProgress& progress) {
            while (hold && !progress.cancelled())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        e.show();
        QVERIFY(e.computing());
        QVERIFY(w.child<QProgressBar>("OverviewProgress")->isVisible());
        auto* cancel = w.child<QPushButton>("CancelOverview");
        QVERIFY(cancel->isVisible());
        QCOMPARE(cancel->text(), QString("取消"));
        // The main window works on meanwhile.
        QTest::mouseClick(w.form.findChild<QPushButton*>("RzButtonNext"), Qt::LeftButton);
        QCOMPARE(w.last(), (Shown{0, 2}));
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY(!e.computing());
        QVERIFY(!e.overview());
        QVERIFY(!cancel->isVisible());
        QCOMPARE(w.child<QLabel>("OverviewStatus")->text(), QString("计算已取消"));
        QCOMPARE(w.child<QTableView>("IndicationList")->model()->rowCount(), 0);
        auto* again = w.child<QPushButton>("RecomputeOverview");
        QVERIFY(again->isVisible());
        hold = false;
        QTest::mouseClick(again, Qt::LeftButton);
        QTRY_VERIFY(e.overview());
        QCOMPARE(e.overview()->indications().size(), size_t{4});
        QVERIFY(!again->isVisible());
    }

    // Another file opened while the first one's overview is computed: that
    // computation stops and the window shows the new file's.
    void anotherFileDuringTheComputation() {
        Window w;
        w.form.openFile(QString::fromStdString(mainFile()));
        std::atomic<int> calls{0};
        TEchoDynamicsForm& e = w.heldEcho([&calls](const OverviewProgress& progress) {
            if (calls++ > 0) return;
            while (!progress.cancelled())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        e.show();
        QVERIFY(e.computing());
        w.form.openFile(
            QString::fromStdString(echoFile("echo-other.DAT", 12, 6, {{3, 1, 950}, {9, 4, 990}})));
        QTRY_VERIFY(e.overview());
        QCOMPARE(calls.load(), 2);
        QCOMPARE(e.overview()->frameCount(), 60);
        QCOMPARE(w.row(0).mid(0, 4), (QStringList{"3:1", "3:1", "1", "95.0%"}));
        QCOMPARE(w.row(1).mid(0, 4), (QStringList{"9:4", "9:4", "1", "99.0%"}));
        QCOMPARE(e.view().to, 60);
        QCOMPARE(e.view().cursor, 0); // frame 0 of record 0, drawn by the open
        QTest::mouseClick(w.strips(), Qt::LeftButton, {}, w.pointAt(w.indexOf(9, 4)));
        QCOMPARE(w.last(), (Shown{9, 4}));
    }

    void closingDuringTheComputationEndsCleanly() {
        for (int i = 0; i < 3; ++i) {
            auto* w = new Window;
            w->form.openFile(QString::fromStdString(mainFile()));
            w->heldEcho([](const OverviewProgress& progress) {
                 while (!progress.cancelled())
                     std::this_thread::sleep_for(std::chrono::milliseconds(1));
             }).show();
            QVERIFY(w->echo().computing());
            w->form.close();
            delete w; // cancels and waits for the worker
        }
    }

    // Notes as lines with their text on hover, damaged records shaded and
    // missing ones as a gap.
    void marksOverTheStrips() {
        Window w;
        // Record 8 holds less than a frame; record 14's trailer lies outside
        // it (damaged, its frames kept, amplitudes low).
        const std::string path =
            echoFile("echo-marks.DAT", 20, 11, {}, {5}, [](RecordWriter& rw, int r) {
                if (r == 8) rw.addRecord(Bytes(100, 7));
                if (r != 14) return;
                Bytes frames = makeFrames(11, 1400);
                for (size_t f = 0; f < 11; ++f)
                    storeU32(frames.data() + f * kFrameSize + kFrameValuesOffset + 12, 100);
                rw.addDecoded(frames, -5);
            });
        QVERIFY(w.openAndCompute(path));
        TEchoDynamicsForm& e = w.echo();
        QCOMPARE(e.overview()->indexOf(8, 0), -1);
        const QImage picture = w.picture();
        const OverviewLayout layout = w.strips()->layout();
        const int y = layout.position.top() + 3;
        QCOMPARE(at(picture, w.pointAt(w.indexOf(5, 0)).x(), y), qRgb(0, 130, 150));
        QCOMPARE(at(picture, w.pointAt(w.indexOf(9, 0)).x(), y), qRgb(150, 150, 150));
        const QRgb damaged = at(picture, w.pointAt(w.indexOf(14, 4)).x(), y);
        QVERIFY2(qRed(damaged) == qGreen(damaged) && qRed(damaged) < 250,
                 qPrintable(QString::number(damaged, 16)));
        QCOMPARE(at(picture, w.pointAt(w.indexOf(16, 4)).x(), y), qRgb(255, 255, 255));
        // Through the B-scan too.
        const int yb = layout.bscan.center().y();
        QCOMPARE(at(picture, w.pointAt(w.indexOf(5, 0)).x(), yb), qRgb(0, 130, 150));
        QCOMPARE(at(picture, w.pointAt(w.indexOf(9, 0)).x(), yb), qRgb(150, 150, 150));

        const QPoint note = w.pointAt(w.indexOf(5, 0));
        QHelpEvent help(QEvent::ToolTip, note, w.strips()->mapToGlobal(note));
        QApplication::sendEvent(w.strips(), &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY2(QToolTip::text().contains("记录 5：note 5"), qPrintable(QToolTip::text()));
        QVERIFY2(QToolTip::text().contains("5:0"), qPrintable(QToolTip::text()));
        const QPoint gap = w.pointAt(w.indexOf(9, 0));
        QHelpEvent help2(QEvent::ToolTip, gap, w.strips()->mapToGlobal(gap));
        QApplication::sendEvent(w.strips(), &help2);
        QVERIFY2(QToolTip::text().contains("缺少记录 8"), qPrintable(QToolTip::text()));
        const QPoint noteOnBscan(note.x(), layout.bscan.center().y());
        QHelpEvent help3(QEvent::ToolTip, noteOnBscan, w.strips()->mapToGlobal(noteOnBscan));
        QApplication::sendEvent(w.strips(), &help3);
        QVERIFY2(QToolTip::text().contains("记录 5：note 5"), qPrintable(QToolTip::text()));
        QVERIFY2(QToolTip::text().contains("5:0  "), qPrintable(QToolTip::text()));
    }

    // A record of frames only whose stream breaks off (9 of its 11 frames)
    // is not one the open decodes: the main window opens the file without a
    // notice, and once the overview's walk has decoded it the notice names it
    // and the strips shade it.
    void damageTheWalkFindsIsNoticedAndMarked() {
        Window w;
        const std::string path =
            echoFile("echo-walk-damage.DAT", 20, 11, {}, {}, [](RecordWriter& rw, int r) {
                if (r != 7) return;
                Bytes frames = makeFrames(11, 700);
                for (size_t f = 0; f < 11; ++f)
                    storeU32(frames.data() + f * kFrameSize + kFrameValuesOffset + 12, 100);
                frames.resize(9 * kFrameSize + kFrameSize / 2);
                const Bytes stream = literalStreamEndingInsideACode(frames).first;
                rw.addRaw(static_cast<int32_t>(stream.size()), 0, stream);
            });
        w.form.openFile(QString::fromStdString(path));
        auto* notice = w.form.findChild<QWidget*>("OpenNotice");
        QVERIFY(!notice->isVisible());
        QVERIFY(w.openAndCompute(path));
        TEchoDynamicsForm& e = w.echo();
        QCOMPARE(e.overview()->indexOf(7, 7), w.indexOf(7, 0) + 7); // 8 of its 9 frames shown
        QCOMPARE(e.overview()->indexOf(7, 8), -1);
        QVERIFY(notice->isVisible());
        QCOMPARE(w.form.findChild<QLabel*>("NoticeText")->text(),
                 QString("“%1”已损坏：文件头声明 20 条记录，可读 20 条；"
                         "损坏的记录：7。其余记录照常显示。")
                     .arg(QFileInfo(QString::fromStdString(path)).fileName()));
        const QImage picture = w.picture();
        const int y = w.strips()->layout().position.top() + 3;
        const QRgb damaged = at(picture, w.pointAt(w.indexOf(7, 4)).x(), y);
        QVERIFY2(qRed(damaged) == qGreen(damaged) && qRed(damaged) < 250,
                 qPrintable(QString::number(damaged, 16)));
        QCOMPARE(at(picture, w.pointAt(w.indexOf(16, 4)).x(), y), qRgb(255, 255, 255));
        const QPoint over = w.pointAt(w.indexOf(7, 4));
        QHelpEvent help(QEvent::ToolTip, over, w.strips()->mapToGlobal(over));
        QApplication::sendEvent(w.strips(), &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY2(QToolTip::text().contains("记录 7 损坏"), qPrintable(QToolTip::text()));
        // Closed, it stays closed when the same overview is computed again.
        QTest::mouseClick(w.form.findChild<QWidget*>("NoticeClose"), Qt::LeftButton);
        e.startComputation();
        QTRY_VERIFY(e.overview());
        QVERIFY(!notice->isVisible());
    }

    // The window comes back where and as large as it was left, also in
    // another run (on this platform's screen of 800 x 600).
    void placeAndSizeAreRemembered() {
        const QRect where(60, 110, 720, 460);
        {
            Window w;
            w.form.openFile(QString::fromStdString(mainFile()));
            TEchoDynamicsForm& e = w.openEcho();
            e.setGeometry(where);
            QTRY_COMPARE(e.geometry(), where);
            e.close();
        }
        Window w;
        w.form.openFile(QString::fromStdString(mainFile()));
        TEchoDynamicsForm& e = w.openEcho();
        QTRY_COMPARE(e.geometry(), where);
    }

    // A place remembered on a larger screen comes back on this one: moved
    // on, and made smaller where it is larger than the screen.
    void aRememberedPlaceOffTheScreenComesBackOnIt() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const struct {
            QRect remembered;
            bool right, bottom, left, whole; // the screen edges the window then touches
        } cases[] = {
            {{1500, 900, 700, 400}, true, true, false, false},
            {{-900, 40, 700, 400}, false, false, true, false},
            {{100, 100, 2000, 1500}, true, true, true, true},
        };
        for (const auto& c : cases) {
            init();
            {
                QWidget probe;
                probe.setGeometry(c.remembered);
                QSettings(QStringLiteral("Vantrel"), QStringLiteral("Vantrel"))
                    .setValue(QStringLiteral("EchoDynamics/geometry"), probe.saveGeometry());
            }
            Window w;
            w.form.openFile(QString::fromStdString(mainFile()));
            TEchoDynamicsForm& e = w.openEcho();
            QTRY_VERIFY(screen.contains(e.frameGeometry()));
            const QRect f = e.frameGeometry();
            QCOMPARE(f.right() == screen.right(), c.right);
            QCOMPARE(f.bottom() == screen.bottom(), c.bottom);
            QCOMPARE(f.left() == screen.left(), c.left);
            if (c.whole)
                QCOMPARE(f, screen);
            else
                QCOMPARE(e.size(), c.remembered.size());
        }
    }

    // The first showing: beside the main window's A-scan, not over it.
    void opensBesideTheAScan() {
        Window w;
        w.form.move(0, 0);
        w.form.openFile(QString::fromStdString(mainFile()));
        TEchoDynamicsForm& e = w.openEcho();
        const QWidget* scan = w.form.findChild<QWidget*>(QStringLiteral("WavePanel"));
        const QRect clear(scan->mapToGlobal(QPoint(0, 0)), scan->size());
        QTRY_VERIFY(e.isVisible());
        QVERIFY2(!e.frameGeometry().intersects(clear), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                      .arg(e.frameGeometry().x())
                                                                      .arg(e.frameGeometry().y())
                                                                      .arg(e.width())
                                                                      .arg(e.height())));
    }

    // Thresholds, merge gap and position kind come back in the next window.
    void settingsAreRemembered() {
        {
            Window w;
            QVERIFY(w.openAndCompute(mainFile()));
            TEchoDynamicsForm& e = w.echo();
            e.setThreshold(AmplitudeUnit::Percent, 550);
            e.setThreshold(AmplitudeUnit::Db, -30);
            w.child<QSpinBox>("MergeGap")->setValue(4);
            w.child<QComboBox>("PositionKind")->setCurrentIndex(2);
        }
        Window w;
        QVERIFY(w.openAndCompute(mainFile()));
        const OverviewSettings& s = w.echo().settings();
        QCOMPARE(s.percentThreshold, std::optional<int64_t>(550));
        QCOMPARE(s.dbThreshold, int64_t{-30});
        QCOMPARE(s.gap, int64_t{4});
        QCOMPARE(s.position, OverviewPosition::Depth);
        QCOMPARE(w.child<QDoubleSpinBox>("PercentThreshold")->value(), 55.0);
        QCOMPARE(w.child<QSpinBox>("MergeGap")->value(), 4);
        QVERIFY(!w.child<QCheckBox>("PercentByGateLevel")->isChecked());
        // Back to the gate level: nothing fixed is remembered.
        w.child<QCheckBox>("PercentByGateLevel")->setChecked(true);
        w.form.close(); // writes the recording's inspection now
        {
            Window again;
            QVERIFY(again.openAndCompute(mainFile()));
            QCOMPARE(again.echo().settings().percentThreshold, std::nullopt);
        }
        // A recording opens with the settings its inspection keeps, whatever
        // the window last used on another recording.
        {
            Window other;
            QVERIFY(other.openAndCompute(echoFile("echo-other.DAT", 30, 11, kEchoes, {5, 20})));
            other.child<QSpinBox>("MergeGap")->setValue(7);
        }
        Window kept;
        QVERIFY(kept.openAndCompute(mainFile()));
        QCOMPARE(kept.echo().settings().gap, int64_t{4});
        QCOMPARE(kept.child<QSpinBox>("MergeGap")->value(), 4);
    }

    // The list's headings are there before anything is computed.
    // The evaluation view on the demo recording: the amplitude strip against
    // the DAC curve with its zones and lines, the list of evaluated
    // indications with their zone, SL±dB, depth, surface distance and
    // lengths, the selected one's 6 dB run marked, the inspector's grade and
    // report choice kept, lengths in mm once the travel is given, typed or
    // from two notes.
    void evaluationViewListsZonesAndKeepsDecisions() {
        // A copy: the decisions are written beside the recording.
        const DemoCopy demo;
        const QString& copy = demo.path;
        std::optional<Window> first(std::in_place);
        Window& w = *first;
        QVERIFY(w.openAndCompute(copy.toStdString()));
        TEchoDynamicsForm& e = w.echo();
        auto* toggle = w.child<QCheckBox>("EvaluationView");
        QVERIFY(!toggle->isChecked());
        auto count = [&](QRgb colour) {
            const QImage& image = w.picture();
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
            return n;
        };
        const QRgb zone3 = qRgb(255, 205, 205), slLine = qRgb(215, 120, 0),
                   drop6 = qRgb(0, 90, 255);
        QCOMPARE(count(zone3), 0);
        toggle->click();
        QVERIFY(e.evaluationShown());
        QVERIFY(count(zone3) > 1000);
        QVERIFY(count(slLine) > 100);
        QCOMPARE(w.child<QLabel>("OverviewStatus")->text(),
                 QString("3000 帧，评定 1185 帧，13 处评定的指示"));

        auto* table = w.child<EvaluationList>("EvaluationList");
        QCOMPARE(table->model()->rowCount(), 13);
        QStringList headings;
        for (int c = 0; c < table->model()->columnCount(); ++c)
            headings << table->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headings, (QStringList{"序号", "起止", "峰值处", "区域", "SL±dB", "深度", "水平",
                                        "6dB长度", "EL长度", "性质", "等级", "备注", "报告"}));
        auto row = [&](int r) {
            QStringList texts;
            for (int c = 0; c < EvaluationList::Nature; ++c)
                texts << table->model()->index(r, c).data().toString();
            return texts;
        };
        // The lack of fusion at 185: the weld root's echo before and after it
        // stands apart (it once gave the flaw 767 frames over EL).
        QCOMPARE(row(2), (QStringList{"2", "166:4–204:0", "185:2", "III", "SL+14.3dB", "19.5 mm",
                                      "33.7 mm", "225 帧 (6 dB)", "377 帧 (EL)"}));
        QCOMPARE(w.child<QLabel>("TravelText")->text(), QString("行程：未标定，长度以帧计"));

        // Selecting a row brackets its 6 dB run on the strip.
        const int legendOnly = count(drop6); // its sample in the legend
        table->selectRow(2);
        QVERIFY(count(drop6) > legendOnly + 100);

        // The grade is chosen in the list, from the grades or none, the
        // report choice ticked off.
        table->edit(table->model()->index(2, EvaluationList::Grade));
        auto* grades = table->findChild<QComboBox*>("GradeEditor");
        QVERIFY(grades);
        QStringList offered;
        for (int i = 0; i < grades->count(); ++i)
            offered << grades->itemText(i);
        QCOMPARE(offered, (QStringList{"", "I", "II", "III", "IV"}));
        grades->setCurrentIndex(1);
        QTest::keyClick(grades, Qt::Key_Return); // taken once the events are handled
        QTRY_VERIFY(e.inspection().decisionFor({166, 4}, {204, 0}));
        QCOMPARE(e.inspection().decisionFor({166, 4}, {204, 0})->grade, std::string("I"));
        QCOMPARE(table->model()->index(2, EvaluationList::Grade).data().toString(), QString("I"));
        table->model()->setData(table->model()->index(2, EvaluationList::Grade), QString("II"));
        table->model()->setData(table->model()->index(2, EvaluationList::Reported), Qt::Unchecked,
                                Qt::CheckStateRole);
        const IndicationDecision* d = e.inspection().decisionFor({166, 4}, {204, 0});
        QVERIFY(d);
        QCOMPARE(d->grade, std::string("II"));
        QVERIFY(!d->reported);
        // A double click on the program's columns shows the peak.
        const QPoint p = table->visualRect(table->model()->index(2, 0)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, p);
        QCOMPARE(w.place(), (Shown{185, 2}));

        // The travel typed: lengths in calibrated mm.
        e.chooseTravel = [](const TravelCalibration&) {
            return TravelCalibration{TravelCalibration::Method::Typed, "0.5", {}, {}, ""};
        };
        w.child<QPushButton>("CalibrateTravel")->click();
        QCOMPARE(row(2).mid(7), (QStringList{"112.5 mm (6 dB)", "188.5 mm (EL)"}));
        QCOMPARE(w.child<QLabel>("TravelText")->text(), QString("行程：0.5 mm/帧（输入）"));
        // From two notes 600 mm apart: the frames between them are the steps.
        const auto& notes = w.form.core().file().notes();
        QVERIFY(notes.size() >= 2);
        const FramePlace a{notes.front().record, 0}, b{notes.back().record, 0};
        e.chooseTravel = [&](const TravelCalibration&) {
            return TravelCalibration{TravelCalibration::Method::TwoFrames, "", a, b, "600"};
        };
        w.child<QPushButton>("CalibrateTravel")->click();
        const int64_t steps = w.indexOf(b.record, 0) - w.indexOf(a.record, 0);
        QVERIFY(steps > 0);
        auto mm = [&](int64_t frames, const char* method) {
            const int64_t tenths = (frames * 6000 * 2 + steps) / (2 * steps);
            return QString("%1.%2 mm (%3)").arg(tenths / 10).arg(tenths % 10).arg(method);
        };
        QCOMPARE(row(2).mid(7), (QStringList{mm(225, "6 dB"), mm(377, "EL")}));
        QVERIFY(w.child<QLabel>("TravelText")
                    ->text()
                    .startsWith(QString("行程：由两帧之间的距离：%1:0 至 %2:0 相距 600 mm，%3 帧")
                                    .arg(a.record)
                                    .arg(b.record)
                                    .arg(steps)));
        // The decisions stay with their indication when the list is filled anew.
        QCOMPARE(table->model()->index(2, EvaluationList::Grade).data().toString(), QString("II"));
        QCOMPARE(checkState(table->model()->index(2, EvaluationList::Reported)), Qt::Unchecked);
        // Back to the overview's view and list.
        toggle->click();
        QCOMPARE(count(zone3), 0);
        QVERIFY(w.child<QTableView>("IndicationList")->isVisible());

        // Kept beside the recording, and there again on the next start.
        QVERIFY(QFile::exists(copy + ".vantrel.json"));
        first.reset();
        Window again;
        QVERIFY(again.openAndCompute(copy.toStdString()));
        TEchoDynamicsForm& e2 = again.echo();
        e2.setEvaluationShown(true);
        auto* table2 = again.child<EvaluationList>("EvaluationList");
        QCOMPARE(table2->model()->index(2, EvaluationList::Grade).data().toString(), QString("II"));
        QCOMPARE(checkState(table2->model()->index(2, EvaluationList::Reported)), Qt::Unchecked);
        QCOMPARE(table2->model()->index(2, EvaluationList::Nature - 1).data().toString(),
                 mm(377, "EL"));
        QCOMPARE(e2.inspection().travel.distanceMm, std::string("600"));
    }

    // A damaged inspection file beside the recording is said and left as it
    // is; what the inspector decides then goes to the data folder, which is
    // said once.
    void aDamagedInspectionFileIsLeftAlone() {
        const DemoCopy demo;
        const QString& copy = demo.path;
        const QByteArray damaged = "{\"format\": \"vantrel-inspection\", \"vers";
        {
            QFile f(copy + ".vantrel.json");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(damaged);
        }
        const DataHome home(demo.dir.filePath("data"));
        Window w;
        QVERIFY(w.openAndCompute(copy.toStdString()));
        TEchoDynamicsForm& e = w.echo();
        QTRY_VERIFY(w.form.findChild<QMessageBox*>("InspectionFileMessage"));
        e.setEvaluationShown(true);
        auto* table = w.child<EvaluationList>("EvaluationList");
        table->model()->setData(table->model()->index(0, EvaluationList::Remark), QString("root"));
        table->model()->setData(table->model()->index(1, EvaluationList::Remark), QString("cap"));
        QCOMPARE(w.form.findChildren<QMessageBox*>("InspectionKeptElsewhereMessage").size(), 1);
        QFile f(copy + ".vantrel.json");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), damaged);
        QStringList kept;
        QDirIterator it(demo.dir.filePath("data"), {"*.vantrel.json"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            kept << it.next();
        QCOMPARE(kept.size(), 1);
    }

    // Two versions of the decisions: a data-folder file that differs from
    // the file beside the recording is offered in the version dialog (both
    // summed up, what differs listed); keeping the file beside keeps the
    // other under a dated name. Then a second viewer on the same file: its
    // save meets the first one's and the conflict is asked, not lost.
    void twoVersionsOfTheDecisionsAreAskedAbout() {
        const DemoCopy demo;
        const QString& copy = demo.path;
        const DataHome home(demo.dir.filePath("data"));
        RecordFile file;
        QVERIFY(file.openRecordFile(copy.toStdString()).ok());
        const RecordingIdentity id = recordingIdentity(file);
        const InspectionPaths paths = inspectionPaths(copy, id, viewerDataFolder());
        auto write = [](const QString& path, const InspectionDocument& doc) {
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(inspectionJson(doc));
        };
        InspectionDocument own{id, "2026-12-11T09:00:00.000Z", {}};
        own.inspection.decide({142, 4}, {219, 0}).grade = "II";
        own.inspection.travel = {TravelCalibration::Method::Typed, "0.5", {}, {}, ""};
        InspectionDocument other = own;
        other.saved = "2026-12-12T09:00:00.000Z"; // later, and still not taken
        other.inspection.decide({142, 4}, {219, 0}).grade = "IV";
        other.inspection.decide({300, 0}, {301, 0}).remark = "copy";
        write(paths.beside, own);
        write(paths.dataFolder, other);

        int asked = 0;
        Window w;
        // The decisions are read when the recording opens.
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<InspectionChoiceDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->objectName(), QString("InspectionChoiceDialog"));
            ++asked;
            auto* table = dialog->findChild<QTableWidget*>("InspectionDifferences");
            QVERIFY(table);
            // The conflicting grade with its side to choose, and the
            // decision only the data folder holds.
            QCOMPARE(table->rowCount(), 2);
            QVERIFY(table->item(0, 0)->text().startsWith("指示 142:4–219:0"));
            QVERIFY(table->item(0, 1)->text().contains("II 级"));
            QVERIFY(table->item(0, 2)->text().contains("IV 级"));
            QVERIFY(dialog->findChild<QComboBox*>("ConflictSide0"));
            QCOMPARE(table->item(1, 1)->text(), QString("（无）"));
            dialog->findChild<QPushButton*>("KeepOurs")->click();
        });
        w.form.openFile(copy);
        TEchoDynamicsForm& e = w.openEcho();
        QCOMPARE(asked, 1);
        QCOMPARE(e.inspection(), own.inspection);
        QCOMPARE(w.recording.inspectionPath(), paths.beside);
        QVERIFY(!QFile::exists(paths.dataFolder));
        const QStringList kept =
            QDir(QFileInfo(paths.dataFolder).path()).entryList({"*.vantrel.20*.json"}, QDir::Files);
        QCOMPARE(kept.size(), 1);

        // A second viewer on the same file; each changes the travel.
        Window second;
        second.form.openFile(copy);
        TEchoDynamicsForm& e2 = second.openEcho();
        QCOMPARE(asked, 1); // one version left: nothing to ask
        e.setTravel({TravelCalibration::Method::Typed, "0.25", {}, {}, ""});
        second.recording.chooseInspection =
            [&](const InspectionQuestion& q) -> std::optional<InspectionChoice> {
            ++asked;
            [&] {
                QCOMPARE(q.kind, InspectionQuestion::Kind::Conflict);
                QCOMPARE(q.merge->conflicts().size(), size_t{1});
                QCOMPARE(q.merge->conflicts()[0].kind, InspectionConflict::Kind::Travel);
            }();
            return InspectionChoice{InspectionChoice::Action::KeepTheirs, {}};
        };
        e2.setTravel({TravelCalibration::Method::Typed, "0.75", {}, {}, ""});
        QCOMPARE(asked, 2);
        QCOMPARE(e2.inspection().travel.mmPerFrame, std::string("0.25")); // the other's, chosen
        QCOMPARE(e2.inspection().decisions.size(), size_t{1});
    }

    // The travel dialog as the inspector uses it: the distance between two
    // operator notes, chosen from the notes it offers; Cancel changes
    // nothing.
    void travelFromTwoNotesInTheDialog() {
        const DemoCopy demo;
        const QString& copy = demo.path;
        Window w;
        QVERIFY(w.openAndCompute(copy.toStdString()));
        TEchoDynamicsForm& e = w.echo();
        const auto& notes = w.form.core().file().notes();
        QVERIFY(notes.size() >= 3);
        auto answer = [&](bool accept) {
            QTimer::singleShot(0, [&, accept] {
                auto* dialog = qobject_cast<TravelDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                dialog->findChild<QRadioButton*>("TravelTwoFrames")->setChecked(true);
                auto* from = dialog->findChild<QComboBox*>("TravelFrom");
                auto* to = dialog->findChild<QComboBox*>("TravelTo");
                // The notes first, each at frame 0, then the frame on screen.
                QCOMPARE(from->count(), static_cast<int>(notes.size()) + 1);
                QVERIFY(from->itemText(1).startsWith(QString("%1:0").arg(notes[1].record)));
                from->setCurrentIndex(1);
                to->setCurrentIndex(2);
                dialog->findChild<QLineEdit*>("TravelDistance")->setText("300");
                accept ? dialog->accept() : dialog->reject();
            });
            w.child<QPushButton>("CalibrateTravel")->click();
        };
        answer(false);
        QCOMPARE(e.inspection().travel.method, TravelCalibration::Method::None);
        answer(true);
        const TravelCalibration& t = e.inspection().travel;
        QCOMPARE(t.method, TravelCalibration::Method::TwoFrames);
        QCOMPARE(t.from, (FramePlace{notes[1].record, 0}));
        QCOMPARE(t.to, (FramePlace{notes[2].record, 0}));
        QCOMPARE(t.distanceMm, std::string("300"));
        QVERIFY(e.travel());
        QVERIFY(w.child<QLabel>("TravelText")->text().contains("相距 300 mm"));
    }

    // The travel dialog takes only a calibration that gives a travel: a
    // travel or a distance that is no positive number, one frame twice or a
    // frame the strips do not show is refused, the dialog says why, and the
    // calibration in force stays.
    void theTravelDialogRefusesWhatGivesNoTravel() {
        QTemporaryDir dir;
        const QString copy = dir.filePath("travel.DAT");
        QVERIFY(QFile::copy(QString::fromStdString(mainFile()), copy));
        Window w;
        QVERIFY(w.openAndCompute(copy.toStdString()));
        TEchoDynamicsForm& e = w.echo();
        const TravelCalibration good{TravelCalibration::Method::Typed, "0.5", {}, {}, ""};
        e.setTravel(good);
        // The frame on screen is the last of record 3, which stepping never
        // shows; the dialog offers it after the notes of records 5 and 20.
        w.form.goToFrame(3, 10);
        using Set = std::function<void(TravelDialog&)>;
        auto typed = [](const char* mm) -> Set {
            return [mm](TravelDialog& d) {
                d.findChild<QRadioButton*>("TravelTyped")->setChecked(true);
                d.findChild<QLineEdit*>("TravelMmPerFrame")->setText(mm);
            };
        };
        auto twoFrames = [](int from, int to, const char* mm) -> Set {
            return [=](TravelDialog& d) {
                d.findChild<QRadioButton*>("TravelTwoFrames")->setChecked(true);
                d.findChild<QComboBox*>("TravelFrom")->setCurrentIndex(from);
                d.findChild<QComboBox*>("TravelTo")->setCurrentIndex(to);
                d.findChild<QLineEdit*>("TravelDistance")->setText(mm);
            };
        };
        const struct {
            Set set;
            QString reason; // empty: taken
        } cases[] = {
            {typed("-1"), "每帧行程“-1”不是大于 0 的毫米数（例如 0.25）。"},
            {typed("0"), "每帧行程“0”不是大于 0 的毫米数（例如 0.25）。"},
            {typed(""), "请填写每帧行程：大于 0 的毫米数（例如 0.25）。"},
            {twoFrames(1, 1, "600"), "“从”和“到”是同一帧：请选两个不同的帧。"},
            {twoFrames(0, 2, "600"), "帧 3:10 不在回波动态中：逐帧查看不显示它。"},
            {twoFrames(0, 1, "-600"), "距离“-600”不是大于 0 的毫米数（例如 600）。"},
            {twoFrames(0, 1, ""), "请填写两帧之间的距离：大于 0 的毫米数（例如 600）。"},
            {typed("0.25"), ""},
        };
        for (const auto& c : cases) {
            bool answered = false;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<TravelDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                c.set(*dialog);
                auto* reason = dialog->findChild<QLabel*>("TravelProblem");
                QCOMPARE(reason->text(), c.reason);
                QCOMPARE(reason->isVisible(), !c.reason.isEmpty());
                QCOMPARE(dialog->findChild<QDialogButtonBox*>()
                             ->button(QDialogButtonBox::Ok)
                             ->isEnabled(),
                         c.reason.isEmpty());
                dialog->accept(); // as Enter would
                QCOMPARE(dialog->isVisible(), !c.reason.isEmpty());
                answered = true;
                if (dialog->isVisible()) dialog->reject();
            });
            w.child<QPushButton>("CalibrateTravel")->click();
            QVERIFY(answered);
            if (!c.reason.isEmpty()) QVERIFY(e.inspection().travel == good);
        }
        QCOMPARE(e.inspection().travel.mmPerFrame, std::string("0.25"));
    }

    // A drag of the threshold line finds the overview's indications again
    // and nothing else: the evaluation depends on the gap, not on the
    // thresholds, so no step of a drag evaluates again or reads a record.
    void aThresholdDragReadsNoRecord() {
        QTemporaryDir dir;
        const QString copy = dir.filePath("demo.DAT");
        QVERIFY(QFile::copy(VANTREL_DEMO, copy));
        Window w;
        QVERIFY(w.openAndCompute(copy.toStdString()));
        TEchoDynamicsForm& e = w.echo();
        e.setEvaluationShown(true);
        const EvaluatedRecording* evaluated = w.recording.evaluated();
        const int64_t built = evaluated->evaluationsBuilt();
        const int64_t read = RecordQuery::recordsRead();
        const auto evaluatedRows = w.child<EvaluationList>("EvaluationList")->model()->rowCount();
        std::set<size_t> found;
        for (int64_t db : {-60, -30, 0, 30, 60, -120}) {
            e.setThreshold(AmplitudeUnit::Db, db);
            // The indications found above the line, listed.
            found.insert(e.overview()->indications().size());
            QCOMPARE(w.child<IndicationList>("IndicationList")->model()->rowCount(),
                     static_cast<int>(e.overview()->indications().size()));
        }
        e.setThreshold(AmplitudeUnit::Percent, 300);
        QVERIFY(found.size() > 2);
        QCOMPARE(RecordQuery::recordsRead(), read);
        QCOMPARE(w.recording.evaluated(), evaluated);
        QCOMPARE(evaluated->evaluationsBuilt(), built);
        QCOMPARE(w.child<EvaluationList>("EvaluationList")->model()->rowCount(), evaluatedRows);
    }

    // The report's 缺陷汇总 menu asks only whether there is a list as it
    // opens: it reads no record and makes no list. The list is the open
    // recording's, there without the echo-dynamics window.
    void theDefectListMenuMakesNoList() {
        QTemporaryDir dir;
        const QString copy = dir.filePath("demo.DAT");
        QVERIFY(QFile::copy(VANTREL_DEMO, copy));
        Window w;
        TReportForm report(&w.form);
        connectReportToRecording(w.recording, w.form.core(), report);
        w.form.openFile(copy);
        auto* menu = report.findChild<QMenu*>("DefectListMenu");
        auto* print = report.findChild<QAction*>("DefectListPrintItem");
        QVERIFY(menu && print);
        emit menu->aboutToShow();
        QVERIFY(!print->isEnabled());
        const RecordQuery& query = w.form.core().query();
        w.recording.setOverview(computeOverview(query, w.recording.settings()), query);
        QVERIFY(!w.form.findChild<TEchoDynamicsForm*>());
        const int64_t read = RecordQuery::recordsRead();
        for (int i = 0; i < 3; ++i) {
            emit menu->aboutToShow();
            QVERIFY(print->isEnabled());
        }
        QCOMPARE(RecordQuery::recordsRead(), read);
        QCOMPARE(w.recording.defectListsBuilt(), int64_t{0});
        QCOMPARE(defectListInputs(w.recording)->list.rows.size(), size_t{13});
        QCOMPARE(w.recording.defectListsBuilt(), int64_t{1});
    }

    // The report window and the inspection: the cells typed into the report
    // are kept with the recording and come back on the next start; the
    // defect list is there once the evaluation is, and leaves out what the
    // inspector did not report.
    void reportCellsAndDefectListGoWithTheRecording() {
        const DemoCopy demo;
        const QString& copy = demo.path;
        {
            Window w;
            TReportForm report(&w.form);
            connectReportToRecording(w.recording, w.form.core(), report);
            w.form.openFile(copy);
            auto* unit = qobject_cast<QLineEdit*>(report.field("QRRichText1"));
            QVERIFY(unit);
            unit->setText("检测公司");
            QVERIFY(!defectListInputs(w.recording));
            QVERIFY(w.openAndCompute(copy.toStdString()));
            const std::optional<DefectListInputs> list = defectListInputs(w.recording);
            QVERIFY(list);
            QCOMPARE(list->list.rows.size(), size_t{13});
            w.echo().setEvaluationShown(true);
            QAbstractItemModel* evaluated = w.child<EvaluationList>("EvaluationList")->model();
            evaluated->setData(evaluated->index(0, EvaluationList::Reported), Qt::Unchecked,
                               Qt::CheckStateRole);
            QCOMPARE(defectListInputs(w.recording)->list.rows.size(), size_t{12});
            QCOMPARE(defectListInputs(w.recording)->list.cells.at("检测单位"),
                     std::string("检测公司"));
        } // closing writes what waits to be written
        Window again;
        TReportForm report(&again.form);
        connectReportToRecording(again.recording, again.form.core(), report);
        again.form.openFile(copy);
        QCOMPARE(report.fieldText("QRRichText1"), QString("检测公司"));
    }

    // The report's cells of a flaw go with its indication: typed for the
    // lack of fusion at 185, they stay in the window as the report of the
    // slag line at 80 shows (typed text stays while the program runs) but
    // tinted, the status line naming where they were typed; after a restart
    // they come back at 185 and not at 80. The job's cells come back
    // everywhere.
    void flawCellsStayWithTheirIndication() {
        const DemoCopy demo;
        const QString& copy = demo.path;
        const QString at185 = QString("指示 2（166:4–204:0）");
        auto showReport = [](Window& w, TReportForm& report, int record, int frame) {
            w.form.goToFrame(record, frame);
            report.show();
            QCoreApplication::processEvents();
            report.hide();
        };
        auto tinted = [](TReportForm& report, const char* field) {
            return report.field(field)->palette().color(QPalette::Base) != QColor(Qt::white);
        };
        {
            Window w;
            TReportForm report(&w.form);
            connectReportToRecording(w.recording, w.form.core(), report);
            QVERIFY(w.openAndCompute(copy.toStdString()));
            showReport(w, report, 185, 2);
            qobject_cast<QPlainTextEdit*>(report.field("QRRichText29"))->setPlainText("未熔合");
            qobject_cast<QLineEdit*>(report.field("QRRichText14"))->setText("112.5 mm");
            qobject_cast<QLineEdit*>(report.field("QRRichText1"))->setText("检测公司");
            QCOMPARE(report.flawCellPlace("备注"), at185);
            QVERIFY(!tinted(report, "QRRichText29"));
            showReport(w, report, 80, 0);
            QCOMPARE(report.fieldText("QRRichText29"), QString("未熔合"));
            QVERIFY(tinted(report, "QRRichText29"));
            QVERIFY(tinted(report, "QRRichText14"));
            QVERIFY(!tinted(report, "QRRichText1"));
            QVERIFY(report.statusText().contains("为" + at185 + "填写"));
            // Another frame of the same flaw: its own, not tinted.
            showReport(w, report, 190, 0);
            QVERIFY(!tinted(report, "QRRichText29"));
        } // closing writes what waits to be written
        Window again;
        TReportForm report(&again.form);
        connectReportToRecording(again.recording, again.form.core(), report);
        QVERIFY(again.openAndCompute(copy.toStdString()));
        showReport(again, report, 80, 0);
        QCOMPARE(report.fieldText("QRRichText29"), QString());
        QCOMPARE(report.fieldText("QRRichText1"), QString("检测公司"));
        showReport(again, report, 185, 2);
        QCOMPARE(report.fieldText("QRRichText29"), QString("未熔合"));
        QCOMPARE(report.fieldText("QRRichText14"), QString("112.5 mm"));
    }

    // A Ctrl+drag on the B-scan or on the strips marks the frames dragged
    // over as a manual indication: outlined, listed after the evaluated
    // indications with 人工, edited like them, removed only once the
    // inspector agrees; a plain drag still only shows frames.
    void ctrlDragMarksAManualIndication() {
        const DemoCopy demo;
        const QString& copy = demo.path;
        Window w;
        QVERIFY(w.openAndCompute(copy.toStdString()));
        TEchoDynamicsForm& e = w.echo();
        e.setEvaluationShown(true);
        e.setBscanShown(true);
        EchoStrips* strips = w.strips();
        const OverviewLayout layout = strips->layout();
        QVERIFY(!layout.bscan.isEmpty());
        auto onBscan = [&](int64_t i) {
            return QPoint(w.pointAt(i).x(), layout.bscan.top() + layout.bscan.height() / 2);
        };
        auto outlined = [&] {
            const QImage& image = w.picture();
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += (image.pixel(x, y) & 0xFFFFFF) == (kManualOutline & 0xFFFFFF);
            return n;
        };
        auto manual = [&] {
            std::vector<IndicationDecision> kept;
            for (const IndicationDecision& d : e.inspection().decisions)
                if (d.manual) kept.push_back(d);
            return kept;
        };
        auto* table = w.child<EvaluationList>("EvaluationList");
        QCOMPARE(table->model()->rowCount(), 13);
        QCOMPARE(outlined(), 0);

        // A plain drag over the crack shows frames and marks nothing.
        QTest::mousePress(strips, Qt::LeftButton, {}, onBscan(w.indexOf(240, 0)));
        QTest::mouseMove(strips, onBscan(w.indexOf(245, 0)));
        QTest::mouseRelease(strips, Qt::LeftButton, {}, onBscan(w.indexOf(245, 0)));
        const Shown shown = w.place();
        const int64_t dragEnd = w.indexOf(245, 0);
        QVERIFY(w.indexOf(shown.record, shown.frame) >= dragEnd);
        QVERIFY(w.indexOf(shown.record, shown.frame) < dragEnd + 8); // a column holds a few
        QVERIFY(manual().empty());

        // Ctrl+drag on the B-scan over the root crack in gate B, leftwards.
        const int64_t from = w.indexOf(246, 0), to = w.indexOf(251, 0);
        QTest::mousePress(strips, Qt::LeftButton, Qt::ControlModifier, onBscan(to));
        QTest::mouseMove(strips, onBscan(w.indexOf(248, 0)));
        QTest::mouseMove(strips, onBscan(from));
        QTest::mouseRelease(strips, Qt::LeftButton, Qt::ControlModifier, onBscan(from));
        QCOMPARE(w.place(), shown); // nothing shown
        QCOMPARE(manual().size(), size_t{1});
        const IndicationDecision d = manual()[0];
        // Every frame of the columns dragged over: a column holds a few.
        const int64_t start = w.indexOf(d.start.record, d.start.frame);
        const int64_t end = w.indexOf(d.end.record, d.end.frame);
        QVERIFY2(start >= from && start < from + 8, qPrintable(QString::number(start - from)));
        QVERIFY2(end >= to && end < to + 8, qPrintable(QString::number(end - to)));
        QVERIFY(d.peak);
        QVERIFY2(d.peak->record >= 246 && d.peak->record <= 250,
                 qPrintable(QString::number(d.peak->record)));
        QVERIFY(d.nature.empty() && d.grade.empty() && d.remark.empty() && d.reported);
        QVERIFY(outlined() > 100);
        QVERIFY(
            w.child<QLabel>("OverviewStatus")->text().endsWith("，1 处人工指示（Ctrl+拖动标记）"));

        // Listed after the evaluated indications, its zone 人工.
        QCOMPARE(table->model()->rowCount(), 14);
        const QString span = QString::fromStdString(placeText(d.start) + "–" + placeText(d.end));
        QCOMPARE(table->model()->index(13, 0).data().toString(), QString("13"));
        QCOMPARE(table->model()->index(13, 1).data().toString(), span);
        QCOMPARE(table->model()->index(13, 3).data().toString(), QString("人工"));
        QCOMPARE(table->model()->index(13, 8).data().toString(),
                 QString("%1 帧 (人工)").arg(end - start + 1));
        // Its grade chosen in the list: kept, manual still, on the list
        // filled anew and in the defect list.
        table->model()->setData(table->model()->index(13, EvaluationList::Grade), QString("III"));
        table->model()->setData(table->model()->index(13, EvaluationList::Nature), QString("裂纹"));
        QCOMPARE(manual().size(), size_t{1});
        QCOMPARE(manual()[0].grade, std::string("III"));
        QCOMPARE(manual()[0].nature, std::string("裂纹"));
        QCOMPARE(manual()[0].start, d.start);
        e.setTravel({});
        QCOMPARE(table->model()->index(13, EvaluationList::Grade).data().toString(),
                 QString("III"));
        const std::optional<DefectListInputs> list = defectListInputs(w.recording);
        QVERIFY(list);
        QCOMPARE(list->list.rows.size(), size_t{14});
        QCOMPARE(list->list.rows.back().zone, std::string("人工"));
        QCOMPARE(list->list.rows.back().grade, std::string("III"));
        // A double click on its program's columns shows its peak.
        const QPoint p = table->visualRect(table->model()->index(13, 0)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, p);
        QCOMPARE(w.place(), (Shown{d.peak->record, d.peak->frame}));

        // Ctrl+drag on the amplitude strip makes a second one over the
        // first; both are kept.
        QTest::mousePress(strips, Qt::LeftButton, Qt::ControlModifier,
                          w.pointAt(w.indexOf(249, 0)));
        QTest::mouseMove(strips, w.pointAt(w.indexOf(255, 0)));
        QTest::mouseRelease(strips, Qt::LeftButton, Qt::ControlModifier,
                            w.pointAt(w.indexOf(255, 0)));
        QCOMPARE(manual().size(), size_t{2});
        QCOMPARE(table->model()->rowCount(), 15);
        QCOMPARE(table->model()->index(14, 3).data().toString(), QString("人工"));

        // Removing asks first; a no keeps it.
        QString asked;
        bool agree = false;
        e.confirmManualRemoval = [&](const QString& what) {
            asked = what;
            return agree;
        };
        QVERIFY(!table->contextMenuFor(2)); // an evaluated indication's row
        QMenu* menu = table->contextMenuFor(13);
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions()[0]->text(), QString("删除人工指示"));
        menu->actions()[0]->trigger();
        QCOMPARE(asked, span);
        QCOMPARE(manual().size(), size_t{2});
        agree = true;
        table->contextMenuFor(13)->actions()[0]->trigger();
        QCOMPARE(manual().size(), size_t{1});
        QVERIFY(manual()[0].start != d.start);
        QCOMPARE(table->model()->rowCount(), 14);
        QVERIFY(
            w.child<QLabel>("OverviewStatus")->text().endsWith("，1 处人工指示（Ctrl+拖动标记）"));
    }

    // The evaluation list's model on its own: each named column shows its
    // row's text or the decision the row holds in the inspection (never the
    // words the row was made with), and only the inspector's columns of a
    // row that holds an indication take edits.
    void evaluationModelCells() {
        EvaluationModelFixture f;
        EvaluationModel& model = f.model;
        const QVariant none,
            right = int(Qt::AlignRight | Qt::AlignVCenter),
            greyed = QBrush(QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text));
        const struct {
            const char* what;
            int row;
            M::Column column;
            int role;
            QVariant shown;
        } cells[] = {
            {"number", 0, M::Number, Qt::DisplayRole, "n0"},
            {"span", 0, M::Span, Qt::DisplayRole, "s0"},
            {"peak", 0, M::Peak, Qt::DisplayRole, "p0"},
            {"zone", 0, M::Zone, Qt::DisplayRole, "z0"},
            {"SL±dB", 0, M::AboveSl, Qt::DisplayRole, "a0"},
            {"depth", 0, M::Depth, Qt::DisplayRole, "d0"},
            {"surface", 0, M::Surface, Qt::DisplayRole, "f0"},
            {"6 dB length", 0, M::Length6dB, Qt::DisplayRole, "l0"},
            {"EL length", 0, M::LengthEl, Qt::DisplayRole, "e0"},
            {"numbers to the right", 0, M::AboveSl, Qt::TextAlignmentRole, right},
            {"up to EL length", 0, M::LengthEl, Qt::TextAlignmentRole, right},
            {"places as the style has them", 0, M::Peak, Qt::TextAlignmentRole, none},
            {"words as the style has them", 0, M::Nature, Qt::TextAlignmentRole, none},
            {"nature: the decision's", 0, M::Nature, Qt::DisplayRole, "裂纹"},
            {"grade: the decision's", 0, M::Grade, Qt::DisplayRole, "III"},
            {"remark: the decision's", 0, M::Remark, Qt::DisplayRole, "根部"},
            {"the editor starts from it", 0, M::Remark, Qt::EditRole, "根部"},
            {"not reported", 0, M::Reported, Qt::CheckStateRole, int(Qt::Unchecked)},
            {"no text beside the tick", 0, M::Reported, Qt::DisplayRole, none},
            {"no tick on a word", 0, M::Nature, Qt::CheckStateRole, none},
            {"an evaluated row has no tip", 0, M::Zone, Qt::ToolTipRole, none},
            {"not greyed", 0, M::Number, Qt::ForegroundRole, none},
            {"no decision: blank", 1, M::Nature, Qt::DisplayRole, ""},
            {"no decision: reported", 1, M::Reported, Qt::CheckStateRole, int(Qt::Checked)},
            {"manual: the row's texts", 2, M::Zone, Qt::DisplayRole, "z2"},
            {"manual: its decision", 2, M::Nature, Qt::DisplayRole, "夹渣"},
            {"manual: reported", 2, M::Reported, Qt::CheckStateRole, int(Qt::Checked)},
            {"manual: how it is made and removed", 2, M::Span, Qt::ToolTipRole,
             "人工指示：在波幅条、位置条或 B 扫描上按住 Ctrl 拖动标出；右键可删除"},
            {"manual: no tip on the tick", 2, M::Reported, Qt::ToolTipRole, none},
            {"orphan: no number", 3, M::Number, Qt::DisplayRole, ""},
            {"orphan: its frames", 3, M::Span, Qt::DisplayRole, "7:0–7:1"},
            {"orphan: its peak", 3, M::Peak, Qt::DisplayRole, "7:0"},
            {"orphan: held by none", 3, M::Zone, Qt::DisplayRole, "无对应指示"},
            {"orphan: no length", 3, M::LengthEl, Qt::DisplayRole, ""},
            {"orphan: its words", 3, M::Nature, Qt::DisplayRole, "未熔合"},
            {"orphan: greyed", 3, M::Number, Qt::ForegroundRole, greyed},
            {"orphan: its words greyed", 3, M::Remark, Qt::ForegroundRole, greyed},
            {"orphan: the tick is not", 3, M::Reported, Qt::ForegroundRole, none},
            {"orphan: why it is there", 3, M::Zone, Qt::ToolTipRole,
             "设置或规则改变后，没有指示含此决定的峰值帧；决定仍保留"},
        };
        for (const auto& c : cells)
            QVERIFY2(model.index(c.row, c.column).data(c.role) == c.shown,
                     qPrintable(QString("%1: %2").arg(c.what).arg(
                         model.index(c.row, c.column).data(c.role).toString())));

        // Only the inspector's columns take edits, and not on an orphan.
        const struct {
            int row;
            M::Column column;
            Qt::ItemFlags taken;
        } flags[] = {
            {0, M::Number, {}},
            {0, M::LengthEl, {}},
            {0, M::Nature, Qt::ItemIsEditable},
            {0, M::Grade, Qt::ItemIsEditable},
            {0, M::Remark, Qt::ItemIsEditable},
            {0, M::Reported, Qt::ItemIsUserCheckable},
            {1, M::Grade, Qt::ItemIsEditable},
            {2, M::Reported, Qt::ItemIsUserCheckable},
            {3, M::Nature, {}},
            {3, M::Reported, {}},
        };
        for (const auto& c : flags) {
            const Qt::ItemFlags got = model.index(c.row, c.column).flags();
            QVERIFY(got & Qt::ItemIsEnabled && got & Qt::ItemIsSelectable);
            QCOMPARE(got & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable), c.taken);
        }
    }

    // An edit says which decision the inspector changed, as it would be,
    // and changes nothing.
    void evaluationModelEdits() {
        EvaluationModelFixture f;
        EvaluationModel& model = f.model;
        Inspection& in = f.inspection;
        std::vector<std::pair<int, IndicationDecision>> evaluated, manual;
        connect(&model, &EvaluationModel::decisionEdited, this,
                [&](int r, const IndicationDecision& d) { evaluated.emplace_back(r, d); });
        connect(&model, &EvaluationModel::manualDecisionEdited, this,
                [&](int j, const IndicationDecision& d) { manual.emplace_back(j, d); });
        auto with = [](IndicationDecision d,
                       const std::function<void(IndicationDecision&)>& change) {
            change(d);
            return d;
        };
        IndicationDecision second; // none yet: a blank one on the indication
        second.start = second.end = {0, 5};
        const IndicationDecision a = in.decisions[0], m = in.decisions[1];
        enum Said { Nothing, Evaluated, Manual };
        const struct {
            const char* what;
            int row;
            M::Column column;
            QVariant value;
            int role;
            Said said;
            int at;
            IndicationDecision decision;
        } edits[] = {
            {"a grade chosen", 0, M::Grade, "II", Qt::EditRole, Evaluated, 0,
             with(a, [](auto& d) { d.grade = "II"; })},
            {"ticked", 0, M::Reported, int(Qt::Checked), Qt::CheckStateRole, Evaluated, 0,
             with(a, [](auto& d) { d.reported = true; })},
            {"typed where none was", 1, M::Nature, "气孔", Qt::EditRole, Evaluated, 1,
             with(second, [](auto& d) { d.nature = "气孔"; })},
            {"unticked where none was", 1, M::Reported, int(Qt::Unchecked), Qt::CheckStateRole,
             Evaluated, 1, with(second, [](auto& d) { d.reported = false; })},
            {"a manual one's remark", 2, M::Remark, "根部", Qt::EditRole, Manual, 0,
             with(m, [](auto& d) { d.remark = "根部"; })},
            {"the same text", 0, M::Grade, "III", Qt::EditRole, Nothing, 0, {}},
            {"a program's column", 0, M::Span, "x", Qt::EditRole, Nothing, 0, {}},
            {"text on the tick", 0, M::Reported, "x", Qt::EditRole, Nothing, 0, {}},
            {"a tick on words", 0, M::Nature, int(Qt::Checked), Qt::CheckStateRole, Nothing, 0, {}},
            {"an orphan", 3, M::Nature, "x", Qt::EditRole, Nothing, 0, {}},
        };
        const Inspection before = in;
        for (const auto& c : edits) {
            evaluated.clear();
            manual.clear();
            const QVariant shown = model.index(c.row, c.column).data(c.role);
            QCOMPARE(model.setData(model.index(c.row, c.column), c.value, c.role),
                     c.said != Nothing);
            const auto& said = c.said == Manual ? manual : evaluated;
            QVERIFY2(evaluated.size() == (c.said == Evaluated) &&
                         manual.size() == (c.said == Manual),
                     c.what);
            if (c.said != Nothing)
                QVERIFY2(said[0].first == c.at && said[0].second == c.decision, c.what);
            QVERIFY2(in == before, c.what);
            QVERIFY2(model.index(c.row, c.column).data(c.role) == shown, c.what);
        }
    }

    // The owner makes the second indication's decision (the inspection's
    // decisions move in memory) and says so: that row shows it, the others
    // keep theirs.
    void evaluationModelShowsTheOwnersChange() {
        EvaluationModelFixture f;
        EvaluationModel& model = f.model;
        Inspection& in = f.inspection;
        in.decisions.shrink_to_fit();
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        decideIndication(f.evaluation, in, 1).grade = "IV";
        model.decisionChanged(1);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].value<QModelIndex>().row(), 1);
        QCOMPARE(changed[0][1].value<QModelIndex>().row(), 1);
        QCOMPARE(model.index(1, M::Grade).data().toString(), QString("IV"));
        QCOMPARE(model.index(0, M::Grade).data().toString(), QString("III"));
        QCOMPARE(model.index(2, M::Nature).data().toString(), QString("夹渣"));
        QCOMPARE(model.index(3, M::Nature).data().toString(), QString("未熔合"));
        QCOMPARE(model.rowCount(), 4);
    }

    void headingsBeforeComputing() {
        Window w;
        auto* table = w.child<QTableView>("IndicationList");
        QStringList headings;
        for (int c = 0; c < table->model()->columnCount(); ++c)
            headings << table->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headings, (QStringList{"起点", "终点", "帧数", "峰值波幅", "峰值处位置"}));
    }
};

VANTREL_QTEST(EchoDynamicsTest);

#include "echo_dynamics_form_test.moc"
