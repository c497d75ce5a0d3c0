// OuterGeometry on the offscreen platform, whose windows have a frame of
// 2 px on every side (known once a window is shown, as under a window
// manager): the outer size and the inside, centring on the 800 x 800 screen
// by the outer size, a fixed corner, and a resize that the window system
// forces on the window.
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtTest>

#include "force_resize.h"
#include "qtest_main.h"
#include "widgets/outer_geometry.h"

using vantrel::OuterGeometry;

class OuterGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(800, 800)); }

    void centredByTheOuterSize_data() {
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QPoint>("corner");
        QTest::newRow("smaller") << QSize(400, 300) << QPoint(200, 250);
        QTest::newRow("odd room rounds down") << QSize(301, 201) << QPoint(249, 299);
        QTest::newRow("as large as the screen") << QSize(800, 800) << QPoint(0, 0);
        QTest::newRow("wider") << QSize(900, 500) << QPoint(0, 150);
        QTest::newRow("taller") << QSize(600, 900) << QPoint(100, 0);
    }
    void centredByTheOuterSize() {
        QFETCH(QSize, outer);
        QFETCH(QPoint, corner);
        QWidget window;
        auto* geometry = new OuterGeometry(&window, OuterGeometry::Resizing::Allowed);
        geometry->setOuterSize(outer);
        // No frame is known before the window is shown.
        QCOMPARE(window.size(), outer);
        geometry->centreOnScreen();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QMargins frame = window.windowHandle()->frameMargins();
        QCOMPARE(frame, QMargins(2, 2, 2, 2));
        QCOMPARE(window.frameGeometry(), QRect(corner, outer));
        QCOMPARE(window.size(), outer.shrunkBy(frame));
        QCOMPARE(geometry->innerSize(), window.size());
    }

    void placedAtACorner() {
        QWidget window;
        auto* geometry = new OuterGeometry(&window, OuterGeometry::Resizing::Allowed);
        geometry->setOuterSize(QSize(300, 200));
        geometry->moveTo(QPoint(0, 0));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.frameGeometry(), QRect(0, 0, 300, 200));
        QCOMPARE(window.geometry(), QRect(2, 2, 296, 196));

        // Shown again, the window keeps its place and size.
        window.hide();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.frameGeometry(), QRect(0, 0, 300, 200));
    }

    void forcedResize_data() {
        QTest::addColumn<OuterGeometry::Resizing>("resizing");
        QTest::addColumn<QSize>("after");
        QTest::newRow("allowed: kept") << OuterGeometry::Resizing::Allowed << QSize(500, 400);
        QTest::newRow("refused: put back") << OuterGeometry::Resizing::Refused << QSize(296, 196);
    }
    void forcedResize() {
        QFETCH(OuterGeometry::Resizing, resizing);
        QFETCH(QSize, after);
        QWidget window;
        auto* geometry = new OuterGeometry(&window, resizing);
        geometry->setOuterSize(QSize(300, 200));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const bool refused = resizing == OuterGeometry::Resizing::Refused;
        QCOMPARE(window.windowHandle()->minimumSize() == window.windowHandle()->maximumSize(),
                 refused);
        QCOMPARE(bool(window.windowFlags() & Qt::WindowMaximizeButtonHint), !refused);

        // A window system that resizes the window regardless of its hints,
        // once the showing has settled.
        QTest::qWait(200);
        QVERIFY(vantrel::testing::forceResize(window, QSize(500, 400)));
        QTRY_COMPARE(window.size(), after);
        QTest::qWait(200);
        QCOMPARE(window.size(), after);
    }
};

VANTREL_QTEST(OuterGeometryTest);
#include "outer_geometry_test.moc"
