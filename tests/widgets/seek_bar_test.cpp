// The seek bar on the offscreen platform: it paints exactly as a plain
// slider with a tick at every position wherever that is cheap, and paints a
// bar of two billion positions (a foreign file's announced count) with at
// most a tick per pixel instead of looping through every position.
#include <QSlider>
#include <QtTest>

#include <climits>

#include "qtest_main.h"
#include "widgets/seek_bar.h"

using vantrel::SeekBar;

namespace {

template <class Bar> QImage picture(int maximum, int value) {
    Bar bar(Qt::Horizontal);
    bar.setGeometry(0, 0, 361, 33);
    bar.setTickInterval(1);
    bar.setTickPosition(QSlider::TicksAbove);
    bar.setRange(0, maximum);
    bar.setValue(value);
    return bar.grab().toImage();
}

} // namespace

class SeekBarTest : public QObject {
    Q_OBJECT

private slots:
    void ticksOnAScaleThePixelsCanShow() {
        using T = SeekBar::TickScale;
        // As the bar's own range where every tick gets a pixel; one per
        // pixel where they would merge, however many positions there are.
        QCOMPARE(SeekBar::paintedTicks(0, 9, 1, 340), (T{0, 9, 1}));
        QCOMPARE(SeekBar::paintedTicks(0, 340, 1, 340), (T{0, 340, 1}));
        QCOMPARE(SeekBar::paintedTicks(0, 341, 1, 340), (T{0, 340, 1}));
        QCOMPARE(SeekBar::paintedTicks(0, 535206, 1, 340), (T{0, 340, 1}));
        QCOMPARE(SeekBar::paintedTicks(0, INT_MAX - 1, 1, 340), (T{0, 340, 1}));
        QCOMPARE(SeekBar::paintedTicks(INT_MIN, INT_MAX, 1, 340), (T{0, 340, 1}));
        QCOMPARE(SeekBar::paintedTicks(0, 0, 1, 340), (T{0, 0, 1}));
        QCOMPARE(SeekBar::paintedTicks(0, 5, 1, 0), (T{0, 1, 1})); // no groove to speak of
    }

    // The pixels are a plain slider's, where the slider paints in a moment:
    // the demo recording's 300 records, and more positions than pixels.
    void looksLikeAPlainSlider_data() {
        QTest::addColumn<int>("maximum");
        QTest::newRow("10 records") << 9;
        QTest::newRow("the demo's 300") << 299;
        QTest::newRow("as many as pixels") << 340;
        QTest::newRow("ticks merge") << 5000;
        QTest::newRow("the bench recording") << 535206;
    }
    void looksLikeAPlainSlider() {
        QFETCH(int, maximum);
        const QImage ours = picture<SeekBar>(maximum, maximum / 3);
        const QImage plain = picture<QSlider>(maximum, maximum / 3);
        QCOMPARE(ours, plain);
    }

    // A plain slider never finishes this picture: its tick loop cannot pass
    // the largest int.
    void twoBillionPositionsPaint() {
        SeekBar bar(Qt::Horizontal);
        bar.setGeometry(0, 0, 361, 33);
        bar.setTickInterval(1);
        bar.setTickPosition(QSlider::TicksAbove);
        bar.setRange(0, INT_MAX - 1);
        bar.setValue(INT_MAX / 2);
        QVERIFY(bar.paintedTicks().maximum <= 361);
        const QImage shown = bar.grab().toImage();
        // The band of ticks is as solid as the bench recording's.
        QCOMPARE(shown, picture<QSlider>(535206, 535206 / 2));
    }
};

VANTREL_QTEST(SeekBarTest);
#include "seek_bar_test.moc"
