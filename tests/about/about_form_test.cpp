// The About box on the offscreen platform: the version text and when it is
// set, the fixed size against every way of resizing, the ways of closing it,
// and its fixed layout.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <algorithm>
#include <string_view>

#include <optional>

#include "about/about_form.h"
#include "force_resize.h"
#include "qtest_main.h"

using vantrel::TAboutForm;

namespace {

const QSize kFixedSize(335, 245);

enum class CloseWay { OkClick, ReturnKey, CloseButton, EscapeKey };

QLabel* versionLabel(TAboutForm& form) { return form.findChild<QLabel*>("VersionLabel"); }

} // namespace

Q_DECLARE_METATYPE(CloseWay)

class AboutFormTest : public QObject {
    Q_OBJECT

private slots:
    void versionIsSetOnEveryShowing();
    void missingVersionKeepsTheLabel();
    void sizeCannotChange();
    void everyWayOfClosingEndsTheSame_data();
    void everyWayOfClosingEndsTheSame();
    void controlsKeepTheirPlaces_data();
    void controlsKeepTheirPlaces();
    void onlyOkButtonTakesFocus();
    void textsAreChineseAndFitTheirLabels();
};

void AboutFormTest::versionIsSetOnEveryShowing() {
    TAboutForm form;
    QLabel* label = versionLabel(form);
    QVERIFY(label);
    QCOMPARE(label->text(), QString());

    const QString expected = QStringLiteral("Version:" VANTREL_EXPECTED_VERSION);
    form.show();
    QCOMPARE(label->text(), expected);

    // Each showing writes the text anew.
    form.hide();
    label->setText(QStringLiteral("stale"));
    form.show();
    QCOMPARE(label->text(), expected);
}

void AboutFormTest::missingVersionKeepsTheLabel() {
    std::optional<QString> version;
    TAboutForm form(nullptr, [&version] { return version; });
    QLabel* label = versionLabel(form);

    form.show();
    QCOMPARE(label->text(), QString()); // empty on a first showing without version

    form.hide();
    version = QStringLiteral("2.3.4.5");
    form.show();
    QCOMPARE(label->text(), QStringLiteral("Version:2.3.4.5"));

    form.hide();
    version.reset();
    form.show();
    QCOMPARE(label->text(), QStringLiteral("Version:2.3.4.5"));
}

void AboutFormTest::sizeCannotChange() {
    // The size is the outer size. The offscreen platform draws a frame of
    // its own (2 px on every side), so the inside is smaller by the frame.
    TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QMargins frame = form.windowHandle()->frameMargins();
    const QSize inside = kFixedSize.shrunkBy(frame);
    QCOMPARE(form.frameGeometry().size(), kFixedSize);
    QCOMPARE(form.size(), inside);

    // A resize asked of the widget, and the window system's size hints.
    form.resize(500, 400);
    QCOMPARE(form.size(), inside);
    QCOMPARE(form.windowHandle()->minimumSize(), inside);
    QCOMPARE(form.windowHandle()->maximumSize(), inside);
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));

    // A window system that resizes the window regardless of the hints: the
    // widget gets a real QResizeEvent for 500 x 400 and must undo it.
    QVERIFY(vantrel::testing::forceResize(form, QSize(500, 400)));
    QTRY_COMPARE(form.windowHandle()->size(), inside);
    QCOMPARE(form.size(), inside);
    QCOMPARE(form.frameGeometry().size(), kFixedSize);
}

void AboutFormTest::everyWayOfClosingEndsTheSame_data() {
    QTest::addColumn<CloseWay>("way");
    QTest::newRow("OK clicked") << CloseWay::OkClick;
    QTest::newRow("Return (default button)") << CloseWay::ReturnKey;
    QTest::newRow("close button") << CloseWay::CloseButton;
    QTest::newRow("Escape") << CloseWay::EscapeKey;
}

void AboutFormTest::everyWayOfClosingEndsTheSame() {
    QFETCH(CloseWay, way);
    TAboutForm form;
    QSignalSpy finished(&form, &QDialog::finished);
    bool closedWhileShown = false;

    QTimer::singleShot(0, &form, [&] {
        closedWhileShown = form.isVisible();
        switch (way) {
        case CloseWay::OkClick:
            QTest::mouseClick(form.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
            break;
        case CloseWay::ReturnKey: QTest::keyClick(&form, Qt::Key_Return); break;
        case CloseWay::CloseButton: form.close(); break;
        case CloseWay::EscapeKey: QTest::keyClick(&form, Qt::Key_Escape); break;
        }
    });
    const int result = form.exec();

    QVERIFY(closedWhileShown);
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(!form.isVisible());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
}

void AboutFormTest::controlsKeepTheirPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Image1") << "Image1" << QRect(0, 0, 205, 88);
    QTest::newRow("VersionLabel") << "VersionLabel" << QRect(32, 112, 193, 25);
    QTest::newRow("Label3") << "Label3" << QRect(32, 144, 129, 17);
    QTest::newRow("Label1") << "Label1" << QRect(32, 176, 201, 17);
    QTest::newRow("OKButton") << "OKButton" << QRect(232, 168, 75, 25);
}

void AboutFormTest::controlsKeepTheirPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    // A version text far wider than its label: the label cuts it off rather
    // than growing, and nothing moves on showing.
    TAboutForm form(nullptr, [] { return QString(200, QLatin1Char('9')); });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QWidget* control = form.findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), &form);
    QCOMPARE(control->geometry(), geometry);
    if (auto* label = qobject_cast<QLabel*>(control)) QVERIFY(!label->wordWrap());
}

void AboutFormTest::onlyOkButtonTakesFocus() {
    TAboutForm form;
    auto* ok = form.findChild<QPushButton*>("OKButton");
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral("确认"));
    QVERIFY(ok->isDefault());

    QStringList focusable;
    for (QWidget* w : form.findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus) focusable << w->objectName();
    QCOMPARE(focusable, QStringList{QStringLiteral("OKButton")});

    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(form.focusWidget(), ok);
}

// The maker's lines speak the interface's language, and every label shows its
// whole text (a label cuts off what does not fit).
void AboutFormTest::textsAreChineseAndFitTheirLabels() {
    TAboutForm form;
    form.show();
    for (const char* name : {"Label3", "Label1", "VersionLabel"}) {
        auto* label = form.findChild<QLabel*>(name);
        QVERIFY(label);
        const QString text = label->text();
        QVERIFY2(!text.isEmpty(), name);
        const int advance = label->fontMetrics().horizontalAdvance(text);
        QVERIFY2(advance <= label->width(),
                 qPrintable(QString("%1: %2 px in %3").arg(name).arg(advance).arg(label->width())));
        if (std::string_view(name) == "VersionLabel") continue;
        const bool chinese = std::any_of(text.begin(), text.end(),
                                         [](QChar c) { return c.script() == QChar::Script_Han; });
        QVERIFY2(chinese, qPrintable(text));
    }
}

VANTREL_QTEST(AboutFormTest);
#include "about_form_test.moc"
