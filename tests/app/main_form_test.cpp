// The real main window on the offscreen platform: clicks on its buttons, the
// seek bar and the note list, and playback through the real thread.
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolTip>
#include <QWindow>
#include <QtTest>

#include <iterator>
#include <memory>
#include <optional>
#include <random>

#include "app/app_settings.h"
#include "app/echo_dynamics_form.h"
#include "app/main_form.h"
#include "app/stock_translations.h"
#include "qtest_main.h"
#include "recordfile/gbk_text.h"
#include "recordfile/record_file.h"
#include "viewer_fixture.h"
#include "widgets/seek_bar.h"
#include "window_fixture.h"

using namespace vantrel;
using namespace vantrel::testing;

class MainFormTest : public QObject {
    Q_OBJECT

    struct Window : MainWindowFixture {
        explicit Window(int pace = 0) : MainWindowFixture(pace) {}
        template <class T> T* child(const char* name) { return childOf<T>(form, name); }
        QPushButton* button(const char* name) { return child<QPushButton>(name); }
        void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
        QString text(const char* name) { return child<QLabel>(name)->text(); }
        // The window as the active one, where its keys reach it.
        void activate() {
            form.activateWindow();
            QApplication::setActiveWindow(&form);
            if (!QTest::qWaitForWindowActive(&form)) qFatal("the main window is not active");
        }
        // A key as the user presses it: to the control with the focus.
        void key(Qt::Key k, Qt::KeyboardModifiers mods = {}) {
            QWidget* target = QApplication::focusWidget();
            QTest::keyClick(target ? target : &form, k, mods);
        }
        QAction* action(const char* name) { return child<QAction>(name); }
    };

    // The keys of the navigation buttons, and the button each one clicks.
    struct ButtonKey {
        const char* button;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    };
    static constexpr ButtonKey kButtonKeys[] = {
        {"RzButtonPlay", Qt::Key_Space, {}},
        {"RzButtonUp", Qt::Key_Left, {}},
        {"RzButtonNext", Qt::Key_Right, {}},
        {"btnPrint", Qt::Key_P, Qt::ControlModifier},
    };

    // Drops: what a drag of `urls` onto the window does.
    struct Drop {
        bool entered, moved, dropped;
    };
    static Drop drag(QWidget& target, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at(600, 300);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &move);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &drop);
        return {enter.isAccepted(), move.isAccepted(), drop.isAccepted()};
    }

    // The entries of 文件 › 最近打开 as (text, tooltip).
    static QList<std::pair<QString, QString>> recentEntries(TMainForm& form) {
        auto* menu = form.findChild<QMenu*>("RecentItem");
        if (!menu) qFatal("no recent menu");
        QList<std::pair<QString, QString>> entries;
        for (QAction* a : menu->actions())
            entries.append({a->text(), a->toolTip()});
        return entries;
    }
    static QString fileName(const std::string& path) {
        return QFileInfo(QString::fromStdString(path)).fileName();
    }

private slots:
    void controlsAtTheirPlaces() {
        Window w;
        QCOMPARE(w.form.windowTitle(), QString("Vantrel"));
        // 800 x 600 with the frame (the offscreen platform's is 2 px wide),
        // fixed, and no maximise button.
        const QSize inside = QSize(800, 600).shrunkBy(w.form.windowHandle()->frameMargins());
        QCOMPARE(w.form.frameGeometry().size(), QSize(800, 600));
        QCOMPARE(w.form.windowHandle()->minimumSize(), inside);
        QCOMPARE(w.form.windowHandle()->maximumSize(), inside);
        QVERIFY(!(w.form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(w.button("RzButtonPlay")->text(), QString("播放"));
        QCOMPARE(w.button("RzButtonUp")->text(), QString("上一帧"));
        QCOMPARE(w.button("RzButtonNext")->text(), QString("下一帧"));
        QCOMPARE(w.button("btnPrint")->geometry(), QRect(296, 440, 73, 25));
        QCOMPARE(w.child<QSlider>("ProcessTrackBar")->geometry(), QRect(16, 392, 361, 33));
        QCOMPARE(w.child<QListWidget>("NoteListBox")->geometry(), QRect(408, 384, 369, 129));
        QCOMPARE(w.child<QLabel>("WaveImage")->geometry(), QRect(24, 0, 361, 289));
        QCOMPARE(w.child<QLineEdit>("EchoKAngle")->geometry(), QRect(232, 120, 113, 28));
        // Before any file: only Open, Exit and About act.
        for (const char* b : {"RzButtonPlay", "RzButtonUp", "RzButtonNext", "btnPrint"})
            QVERIFY(!w.button(b)->isEnabled());
        QCOMPARE(w.text("LabelPara1"), QString("↘"));
        QCOMPARE(w.text("LabelPara4"), QString("∧"));
        QCOMPARE(w.child<QLineEdit>("BaseGain")->text(), QString());
    }

    void openShowsFrame0AndSteps() {
        Window w;
        w.form.chooseFile = [] {
            return QString::fromStdString(
                viewerFile("gui-open.DAT", std::vector<int>(10, 11), {3, 7}));
        };
        w.form.OpenItemClick();
        QCOMPARE(w.drawn, (std::vector<Shown>{{0, 0}}));
        QCOMPARE(w.form.core().currentRecord(), 1);
        QCOMPARE(w.form.core().frameIndex(), 1);
        QVERIFY(w.button("RzButtonPlay")->isEnabled());
        QVERIFY(!w.button("RzButtonUp")->isEnabled());
        QVERIFY(w.button("RzButtonNext")->isEnabled());
        QVERIFY(w.button("btnPrint")->isEnabled());
        QCOMPARE(w.child<QLineEdit>("BaseGain")->text(), QString("10.0"));
        QCOMPARE(w.child<QListWidget>("NoteListBox")->count(), 2);
        QCOMPARE(w.child<QListWidget>("NoteListBox")->currentRow(), 1); // record 0: the last note
        QCOMPARE(w.child<QSlider>("ProcessTrackBar")->maximum(), 9);

        w.click("RzButtonNext");
        QCOMPARE(w.last(), (Shown{0, 2}));
        QVERIFY(w.button("RzButtonUp")->isEnabled());
        QCOMPARE(w.text("LabelPara1"), QString("↘200.0"));
        for (int i = 0; i < 8; ++i)
            w.click("RzButtonNext");
        QCOMPARE(w.last(), (Shown{2, 0})); // frame 9 of record 0, then record 2
        w.click("RzButtonUp");
        QCOMPARE(w.last(), (Shown{1, 9}));
        QCOMPARE(w.form.core().playbackDelay(), 100);
    }

    // A button's key does what a click on the button does, and nothing while
    // the button is disabled: the same steps through two windows, one by
    // clicks and one by keys, draw the same frames and leave the same state.
    void buttonKeysActAsTheirClicks() {
        const QString file =
            QString::fromStdString(viewerFile("gui-keys.DAT", std::vector<int>(4, 3), {2}));
        struct Run {
            std::vector<Shown> drawn;
            int reports = 0;
            bool playing = false;
            int record = 0, frame = 0;
            bool operator==(const Run&) const = default;
        };
        // Steps as indexes into kButtonKeys. Before the file: all disabled;
        // then Up at the first frame (disabled), steps, print, Play (print
        // disabled while playing, stepping pauses), print again.
        const std::vector<int> before = {0, 1, 2, 3};
        const std::vector<int> after = {1, 2, 2, 2, 1, 3, 0, 3, 2, 0, 3, 2, 2, 2, 2, 1};
        auto run = [&](bool byKeys) {
            Window w(100000);
            w.activate();
            Run r;
            w.form.showReport = [&r] { ++r.reports; };
            auto press = [&](int k) {
                const ButtonKey& b = kButtonKeys[k];
                if (byKeys)
                    w.key(b.key, b.mods);
                else
                    w.click(b.button);
            };
            for (int k : before)
                press(k);
            w.form.openFile(file);
            for (int k : after)
                press(k);
            r.drawn = w.drawn;
            r.playing = w.form.core().playing();
            r.record = w.form.core().currentRecord();
            r.frame = w.form.core().frameIndex();
            if (r.playing) w.click("RzButtonPlay");
            return r;
        };
        const Run clicks = run(false), keys = run(true);

        QVERIFY(clicks.drawn.size() > 8);
        QCOMPARE(clicks.reports, 1); // the prints while playing did nothing
        QVERIFY(keys == clicks);
    }

    // Each key does nothing while its button is disabled, whatever the state.
    void disabledButtonsIgnoreTheirKeys() {
        Window w(100000);
        w.activate();
        int reports = 0;
        w.form.showReport = [&reports] { ++reports; };
        for (const ButtonKey& b : kButtonKeys) {
            QVERIFY(!w.button(b.button)->isEnabled());
            w.key(b.key, b.mods);
        }
        QVERIFY(w.drawn.empty());
        QCOMPARE(reports, 0);
        QVERIFY(!w.form.core().playing());
        w.form.openFile(QString::fromStdString(viewerFile("gui-keys-off.DAT", {3, 3})));
        w.key(Qt::Key_Left); // the first frame: Up is disabled
        QCOMPARE(w.drawn.size(), size_t{1});
        w.key(Qt::Key_Space); // playing: print is disabled
        QVERIFY(w.form.core().playing());
        QVERIFY(!w.button("btnPrint")->isEnabled());
        w.key(Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(reports, 0);
        w.key(Qt::Key_Space);
        QVERIFY(!w.form.core().playing());
        w.key(Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(reports, 1);
    }

    // The menu items' keys: each runs its item, shows in the menu, and does
    // nothing while the item is disabled (回波动态 before a file).
    void menuKeys() {
        Window w(100000);
        w.activate();
        int chosen = 0, abouts = 0;
        w.form.chooseFile = [&chosen]() -> std::optional<QString> {
            ++chosen;
            return std::nullopt;
        };
        w.form.showAbout = [&abouts] { ++abouts; };
        const std::pair<const char*, QKeySequence> items[] = {
            {"OpenItem", QKeySequence(Qt::CTRL | Qt::Key_O)},
            {"ExitItem", QKeySequence(Qt::CTRL | Qt::Key_Q)},
            {"EchoDynamicsItem", QKeySequence(Qt::CTRL | Qt::Key_D)},
            {"AboutItem", QKeySequence(Qt::Key_F1)},
        };
        for (const auto& [name, key] : items)
            QCOMPARE(w.action(name)->shortcut(), key);

        w.key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(chosen, 1);
        w.key(Qt::Key_F1);
        QCOMPARE(abouts, 1);
        QVERIFY(!w.action("EchoDynamicsItem")->isEnabled());
        w.key(Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!w.form.findChild<TEchoDynamicsForm*>());

        w.form.openFile(QString::fromStdString(viewerFile("gui-menu-keys.DAT", {3, 3})));
        w.activate();
        w.key(Qt::Key_D, Qt::ControlModifier);
        auto* dynamics = w.form.findChild<TEchoDynamicsForm*>();
        QVERIFY(dynamics && dynamics->isVisible());
        dynamics->close();
        w.activate();
        w.key(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!w.form.isVisible());
    }

    // The tooltips name each button's key, and follow the Play caption.
    void tooltipsNameTheKeys() {
        Window w(100000);
        QCOMPARE(w.button("RzButtonPlay")->toolTip(), QString("播放 (Space)"));
        QCOMPARE(w.button("RzButtonUp")->toolTip(), QString("上一帧 (Left)"));
        QCOMPARE(w.button("RzButtonNext")->toolTip(), QString("下一帧 (Right)"));
        QCOMPARE(w.button("btnPrint")->toolTip(), QString("打印 (Ctrl+P)"));
        w.form.openFile(QString::fromStdString(viewerFile("gui-tips.DAT", {3, 3})));
        w.click("RzButtonPlay");
        QCOMPARE(w.button("RzButtonPlay")->toolTip(), QString("停止 (Space)"));
        w.click("RzButtonPlay");
        QCOMPARE(w.button("RzButtonPlay")->toolTip(), QString("播放 (Space)"));
    }

    // With the focus on the seek bar its keys move the bar as on a slider,
    // and each move is a change of the bar: the same as the bar set to that
    // value in a twin window. Space still plays. A click on the window's
    // background gives the arrows back to stepping.
    void seekBarKeepsItsKeys() {
        const QString file =
            QString::fromStdString(viewerFile("gui-bar-keys.DAT", std::vector<int>(30, 3)));
        Window w(100000), twin(100000);
        w.activate();
        w.form.openFile(file);
        twin.form.openFile(file);
        auto* bar = w.child<QSlider>("ProcessTrackBar");
        auto* twinBar = twin.child<QSlider>("ProcessTrackBar");
        bar->setFocus(Qt::MouseFocusReason);
        QCOMPARE(QApplication::focusWidget(), bar);
        // The bar's value after each key (the load after the end of the bar
        // puts it back at 0).
        const std::pair<Qt::Key, int> moves[] = {
            {Qt::Key_Right, 1},   {Qt::Key_Right, 2},  {Qt::Key_PageUp, 12},  {Qt::Key_Left, 11},
            {Qt::Key_Up, 12},     {Qt::Key_Down, 11},  {Qt::Key_PageDown, 1}, {Qt::Key_End, 0},
            {Qt::Key_PageUp, 10}, {Qt::Key_Right, 11}, {Qt::Key_Home, 0},
        };
        for (const auto& [key, value] : moves) {
            const int before = bar->value();
            w.key(key);
            QCOMPARE(bar->value(), value);
            const int target = key == Qt::Key_End ? bar->maximum() : value;
            if (target != before) twinBar->setValue(target);
            QCOMPARE(w.drawn, twin.drawn);
            QCOMPARE(w.form.core().currentRecord(), twin.form.core().currentRecord());
        }
        QVERIFY(w.drawn.size() > 6);
        for (const Shown& s : w.drawn)
            QCOMPARE(s.frame, 0); // records loaded by the bar, no frame steps
        w.key(Qt::Key_Space);
        QVERIFY(w.form.core().playing());
        w.key(Qt::Key_Space);
        QVERIFY(!w.form.core().playing());

        QTest::mouseClick(w.form.centralWidget(), Qt::LeftButton, {}, QPoint(600, 30));
        QVERIFY(QApplication::focusWidget() != bar);
        const Shown before = w.last();
        const int value = bar->value();
        w.key(Qt::Key_Right);
        QCOMPARE(w.last(), (Shown{before.record, before.frame + 1}));
        QCOMPARE(bar->value(), value);
    }

    // With the focus on the note list its keys move the selection (each move
    // a note click); Left, Right and Space keep acting as the buttons.
    void noteListKeepsItsKeys() {
        Window w(100000);
        w.activate();
        w.form.openFile(QString::fromStdString(
            viewerFile("gui-list-keys.DAT", std::vector<int>(12, 3), {2, 5, 8})));
        auto* notes = w.child<QListWidget>("NoteListBox");
        notes->setFocus(Qt::MouseFocusReason);
        w.key(Qt::Key_Up); // row 2 -> 1: a click on the note of record 5
        QCOMPARE(notes->currentRow(), 1);
        QCOMPARE(w.last(), (Shown{5, 0}));
        QVERIFY(w.form.core().playing());
        w.key(Qt::Key_Space);
        QVERIFY(!w.form.core().playing());
        QCOMPARE(QApplication::focusWidget(), notes);
        w.key(Qt::Key_Right);
        QCOMPARE(w.last(), (Shown{5, 1}));
        w.key(Qt::Key_Left);
        QCOMPARE(w.last(), (Shown{5, 0}));
        QCOMPARE(notes->currentRow(), 1);
    }

    // Space presses a button that has the focus from Tab, as on any button;
    // a click leaves the focus where it was, so Space then plays.
    void spaceOnAFocusedButton() {
        Window w(100000);
        w.activate();
        w.form.openFile(QString::fromStdString(viewerFile("gui-space.DAT", {4, 4})));
        QWidget* focusBefore = QApplication::focusWidget();
        w.click("RzButtonNext");
        QCOMPARE(QApplication::focusWidget(), focusBefore);
        QCOMPARE(w.last(), (Shown{0, 2}));
        w.key(Qt::Key_Space);
        QVERIFY(w.form.core().playing());
        w.key(Qt::Key_Space);
        QVERIFY(!w.form.core().playing());

        w.button("RzButtonNext")->setFocus(Qt::TabFocusReason);
        QSignalSpy next(w.button("RzButtonNext"), &QPushButton::clicked);
        QSignalSpy play(w.button("RzButtonPlay"), &QPushButton::clicked);
        w.key(Qt::Key_Space);
        QCOMPARE(next.count(), 1);
        QCOMPARE(play.count(), 0);
        QVERIFY(!w.form.core().playing());
    }

    // One record file dropped on the window opens as the same file chosen in
    // the open dialog does, playback paused first; the letter case of .DAT
    // does not matter.
    void droppedRecordingOpensAsFromTheDialog() {
        const std::string a = viewerFile("gui-drop-a.DAT", std::vector<int>(6, 4), {2});
        for (const char* name : {"gui-drop-b.DAT", "gui-drop-c.dat", "gui-drop-d.Dat"}) {
            const QString b =
                QString::fromStdString(viewerFile(name, std::vector<int>(5, 3), {1, 3}));
            Window dropped(100000), chosen(100000);
            for (Window* w : {&dropped, &chosen}) {
                w->form.openFile(QString::fromStdString(a));
                w->click("RzButtonNext");
                w->click("RzButtonPlay"); // playing when the new file comes
            }
            QTest::qWait(50); // the first turns of playback
            for (Window* w : {&dropped, &chosen})
                w->drawn.clear();
            chosen.form.chooseFile = [b] { return b; };
            chosen.form.OpenItemClick();

            const Drop d = drag(dropped.form, {QUrl::fromLocalFile(b)});
            QVERIFY(d.entered && d.moved && d.dropped);
            QTRY_VERIFY(!dropped.drawn.empty());
            QCOMPARE(dropped.drawn, chosen.drawn);
            const ViewerCore &x = dropped.form.core(), &y = chosen.form.core();
            QCOMPARE(x.file().path(), b.toStdString());
            QCOMPARE(x.playing(), y.playing());
            QCOMPARE(x.currentRecord(), y.currentRecord());
            QCOMPARE(x.frameIndex(), y.frameIndex());
            QCOMPARE(x.controls().playEnabled, y.controls().playEnabled);
            QCOMPARE(x.controls().upEnabled, y.controls().upEnabled);
            QCOMPARE(x.controls().nextEnabled, y.controls().nextEnabled);
            QCOMPARE(x.controls().printEnabled, y.controls().printEnabled);
            QCOMPARE(dropped.child<QListWidget>("NoteListBox")->count(), 2);
            QCOMPARE(dropped.child<QLineEdit>("BaseGain")->text(),
                     chosen.child<QLineEdit>("BaseGain")->text());
        }
    }

    // Anything but one record file is refused (the "no drop" cursor) and
    // changes nothing, also when dropped all the same; so is a drop on a
    // panel field's window.
    void otherDropsAreRefused() {
        const QString dat = QString::fromStdString(viewerFile("gui-refuse.DAT", {3, 3}));
        const QString other = QString::fromStdString(viewerFile("gui-refuse-2.DAT", {2}));
        const QString text = QString::fromStdString(tempPath("gui-refuse.txt"));
        QFile(text).open(QIODevice::WriteOnly);
        const QString folder = QString::fromStdString(tempPath("gui-folder.DAT"));
        QDir().mkpath(folder);
        const QString missing = QString::fromStdString(tempPath("gui-gone.DAT"));
        const QList<QList<QUrl>> refused = {
            {QUrl::fromLocalFile(text)},
            {QUrl::fromLocalFile(dat), QUrl::fromLocalFile(other)},
            {QUrl::fromLocalFile(folder)},
            {QUrl::fromLocalFile(missing)},
            {QUrl(QStringLiteral("https://example.invalid/a.DAT"))},
            {},
        };
        Window w(100000);
        w.form.openFile(dat);
        w.click("RzButtonNext");
        const std::vector<Shown> drawn = w.drawn;
        for (const QList<QUrl>& urls : refused) {
            const Drop d = drag(w.form, urls);
            QVERIFY(!d.entered && !d.moved && !d.dropped);
            QTest::qWait(10);
            QCOMPARE(w.drawn, drawn);
            QCOMPARE(w.form.core().file().path(), dat.toStdString());
            QVERIFY(!w.form.findChild<QMessageBox*>("OpenFailedMessage"));
        }
        // The panel's fields take no drops of their own.
        QVERIFY(!w.child<QLineEdit>("BaseGain")->acceptDrops());
    }

    // The recordings opened last, newest first, at most eight, each once,
    // kept from one run to the next; an entry names the file and shows its
    // full path, and the submenu stands between 打开 and 退出.
    void recentFilesAcrossRuns() {
        appSettings().clear();
        std::vector<std::string> files;
        for (int i = 1; i <= 10; ++i)
            files.push_back(viewerFile("gui-recent-" + std::to_string(i) + ".DAT", {2}));
        files.push_back(viewerFile("gui-r&d.DAT", {2}));
        {
            Window first;
            QVERIFY(recentEntries(first.form).isEmpty());
            QVERIFY(!first.form.findChild<QMenu*>("RecentItem")->isEnabled());
            for (int i = 0; i < 10; ++i)
                first.form.openFile(QString::fromStdString(files[i]));
            first.form.openFile(QString::fromStdString(files[3])); // again: moves up
            first.form.openFile(QString::fromStdString(files[10]));
        }
        Window second;
        const std::vector<int> expected = {10, 3, 9, 8, 7, 6, 5, 4};
        const auto entries = recentEntries(second.form);
        QCOMPARE(entries.size(), qsizetype(8));
        for (int k = 0; k < 8; ++k) {
            const std::string& path = files[static_cast<size_t>(expected[k])];
            QString name = fileName(path);
            name.replace("&", "&&");
            QCOMPARE(entries[k].first, QString("&%1 %2").arg(k + 1).arg(name));
            QCOMPARE(entries[k].second, QString::fromStdString(path));
        }
        QVERIFY(second.form.findChild<QMenu*>("RecentItem")->isEnabled());
        auto* fileMenu = second.form.findChild<QMenu*>("FileItem");
        const QList<QAction*> items = fileMenu->actions();
        QCOMPARE(items.size(), qsizetype(4));
        QCOMPARE(items[0]->objectName(), QString("OpenItem"));
        QCOMPARE(items[1]->menu(), second.form.findChild<QMenu*>("RecentItem"));
        QCOMPARE(items[1]->text(), QString("最近打开(&R)"));
        QVERIFY(items[2]->isSeparator());
        QCOMPARE(items[3]->objectName(), QString("ExitItem"));
        // A file that fails to open (not in the list) leaves the list as it is.
        second.form.openFile(QString::fromStdString(tempPath("gui-recent-none.DAT")));
        if (auto* box = second.form.findChild<QMessageBox*>("OpenFailedMessage")) box->close();
        QCOMPARE(recentEntries(second.form), entries);
    }

    // Two recordings of one name in two folders are told apart by the
    // folder; a name of its own stays alone.
    void recentFilesOfOneNameShowTheirFolders() {
        appSettings().clear();
        QTemporaryDir a, b;
        const std::string one = viewerFile("gui-same.DAT", {2});
        const QString first = a.filePath("scan.DAT"), second = b.filePath("scan.DAT");
        QVERIFY(QFile::copy(QString::fromStdString(one), first));
        QVERIFY(QFile::copy(QString::fromStdString(one), second));
        Window w;
        w.form.openFile(first);
        QCOMPARE(recentEntries(w.form)[0].first, QString("&1 scan.DAT"));
        w.form.openFile(QString::fromStdString(one));
        w.form.openFile(second);
        const auto entries = recentEntries(w.form);
        QCOMPARE(entries.size(), qsizetype(3));
        QCOMPARE(entries[0].first, QString("&1 scan.DAT (%1)").arg(b.path()));
        QCOMPARE(entries[1].first, QString("&2 %1").arg(fileName(one)));
        QCOMPARE(entries[2].first, QString("&3 scan.DAT (%1)").arg(a.path()));
    }

    // An entry opens its recording as the open dialog would, and moves it to
    // the top; one that no longer opens says so as the dialog's choice would
    // and leaves the list, on this run and the next.
    void choosingARecentFile() {
        appSettings().clear();
        const std::string a = viewerFile("gui-recent-a.DAT", std::vector<int>(4, 3), {2});
        const std::string b = viewerFile("gui-recent-b.DAT", std::vector<int>(3, 3));
        const std::string gone = viewerFile("gui-recent-gone.DAT", {3});
        Window w(100000);
        for (const std::string& f : {gone, b, a})
            w.form.openFile(QString::fromStdString(f));
        w.click("RzButtonPlay");
        QTest::qWait(50); // the first turn of playback
        w.drawn.clear();
        w.form.findChild<QAction*>("RecentFile2")->trigger(); // b
        QTRY_COMPARE(w.form.core().file().path(), b);
        QCOMPARE(w.drawn, (std::vector<Shown>{{0, 0}}));
        QVERIFY(!w.form.core().playing());
        QCOMPARE(recentEntries(w.form).first().second, QString::fromStdString(b));

        QVERIFY(QFile::remove(QString::fromStdString(gone)));
        Window dialog;
        dialog.form.chooseFile = [gone] { return QString::fromStdString(gone); };
        dialog.form.OpenItemClick();
        auto* expected = dialog.form.findChild<QMessageBox*>("OpenFailedMessage");
        QVERIFY(expected);
        w.drawn.clear();
        w.form.findChild<QAction*>("RecentFile3")->trigger(); // gone
        QTRY_VERIFY(w.form.findChild<QMessageBox*>("OpenFailedMessage"));
        auto* box = w.form.findChild<QMessageBox*>("OpenFailedMessage");
        QCOMPARE(box->text(), expected->text());
        QCOMPARE(box->windowTitle(), expected->windowTitle());
        box->close();
        expected->close();
        QVERIFY(w.drawn.empty());
        QCOMPARE(w.form.core().file().path(), b); // still open
        const QList<std::pair<QString, QString>> left = {
            {"&1 " + fileName(b), QString::fromStdString(b)},
            {"&2 " + fileName(a), QString::fromStdString(a)}};
        QCOMPARE(recentEntries(w.form), left);
        Window next;
        QCOMPARE(recentEntries(next.form), left);
    }

    // The open dialog starts in the folder of the recording opened last, on
    // this run or an earlier one.
    void openDialogStartsInTheLastFolder() {
        appSettings().clear();
        QTemporaryDir folder;
        const QString inFolder = folder.filePath("gui-folder.DAT");
        QVERIFY(
            QFile::copy(QString::fromStdString(viewerFile("gui-folder-src.DAT", {2})), inFolder));
        {
            Window first;
            QCOMPARE(first.form.openDialogFolder(), QString());
            first.form.openFile(inFolder);
        }
        Window w;
        QCOMPARE(w.form.openDialogFolder(), QFileInfo(folder.path()).absoluteFilePath());
        QString shownFolder;
        QTimer::singleShot(0, &w.form, [&shownFolder] {
            for (int i = 0; i < 100 && !shownFolder.size(); ++i) {
                if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    shownFolder = d->directory().absolutePath();
                    d->reject();
                    return;
                }
                QTest::qWait(10);
            }
        });
        w.form.OpenItemClick(); // the real dialog
        QCOMPARE(shownFolder, QFileInfo(folder.path()).absoluteFilePath());
    }

    void seekBarAndNotes() {
        Window w;
        w.form.openFile(
            QString::fromStdString(viewerFile("gui-seek.DAT", std::vector<int>(10, 11), {3, 7})));
        auto* bar = w.child<QSlider>("ProcessTrackBar");
        auto* notes = w.child<QListWidget>("NoteListBox");
        bar->setValue(5); // only arms the bar after the load
        QCOMPARE(w.last(), (Shown{0, 0}));
        QVERIFY(w.form.core().seekArmed());
        bar->setValue(6);
        QCOMPARE(w.last(), (Shown{6, 0}));
        QCOMPARE(notes->currentRow(), 0); // records 3..6: the first note
        bar->setValue(8);                 // arms
        bar->setValue(9);                 // the end of the bar: record 10 -> record 0
        QCOMPARE(w.last(), (Shown{0, 0}));
        QCOMPARE(bar->value(), 0);
        // A click on a note starts playback there.
        QTest::mouseClick(notes->viewport(), Qt::LeftButton, {},
                          notes->visualItemRect(notes->item(1)).center());
        QCOMPARE(w.form.core().currentRecord(), 7);
        QCOMPARE(w.last(), (Shown{7, 0}));
        QVERIFY(w.form.core().playing());
        QCOMPARE(w.button("RzButtonPlay")->text(), QString("停止"));
        QVERIFY(!w.button("btnPrint")->isEnabled());
        w.click("RzButtonPlay");
        QVERIFY(!w.form.core().playing());
        QCOMPARE(w.button("RzButtonPlay")->text(), QString("播放"));
        QVERIFY(w.button("btnPrint")->isEnabled());
    }

    // The window says which file is open and where the frame on screen lies,
    // after every kind of move.
    void titleAndPlaceFollowEveryMove() {
        Window w(20);
        auto* label = w.child<QLabel>("PositionLabel");
        QCOMPARE(label->text(), QString());
        const QString path =
            QString::fromStdString(viewerFile("gui-where.DAT", std::vector<int>(10, 11), {3, 7}));
        w.form.openFile(path);
        QCOMPARE(w.form.windowTitle(),
                 QString("Vantrel \u2013 %1").arg(QFileInfo(path).fileName()));
        auto placeShown = [&] {
            return QString("记录 %1 / 10\u3000帧 %2").arg(w.last().record).arg(w.last().frame);
        };
        QCOMPARE(label->text(), placeShown());
        QCOMPARE(w.last(), (Shown{0, 0}));
        auto* bar = w.child<QSlider>("ProcessTrackBar");
        auto* notes = w.child<QListWidget>("NoteListBox");
        const std::function<void()> moves[] = {
            [&] { w.click("RzButtonNext"); },
            [&] { w.click("RzButtonUp"); },
            [&] {
                bar->setValue(1); // arms the bar
                bar->setValue(6);
            },
            [&] { w.click("RzButtonUp"); }, // into record 5 at frame 9
            [&] {
                QTest::mouseClick(notes->viewport(), Qt::LeftButton, {},
                                  notes->visualItemRect(notes->item(1)).center());
                w.click("RzButtonPlay"); // the note click started playback
            },
            [&] {
                w.click("RzButtonPlay");
                // The first step after a note click draws the note's frame 0
                // again; the second moves on.
                QSignalSpy drawn(&w.form, &TMainForm::frameDrawn);
                while (drawn.count() < 2)
                    QVERIFY(drawn.wait(5000));
                w.click("RzButtonPlay");
            },
            [&] { w.form.goToFrame(2, 4); },
        };
        Shown before = w.last();
        for (const auto& move : moves) {
            move();
            QVERIFY(!(w.last() == before)); // each move shows another frame
            QCOMPARE(label->text(), placeShown());
            before = w.last();
        }
        QCOMPARE(w.last(), (Shown{2, 4}));
        // A file that cannot be opened leaves the title of the one open.
        w.form.openFile(QString::fromStdString(tempPath("gui-where-missing.DAT")));
        if (auto* box = w.form.findChild<QMessageBox*>("OpenFailedMessage")) box->close();
        QCOMPARE(w.form.windowTitle(),
                 QString("Vantrel \u2013 %1").arg(QFileInfo(path).fileName()));
    }

    // 查看 › 转到 (Ctrl+G) takes "R" or "R:F" of a frame stepping shows; a
    // place that is malformed or out of range says which and changes nothing.
    void goToAPlace() {
        Window w;
        QVERIFY(!w.action("GoToItem")->isEnabled());
        w.form.openFile(
            QString::fromStdString(viewerFile("gui-goto.DAT", std::vector<int>{11, 11, 11, 4})));
        QVERIFY(w.action("GoToItem")->isEnabled());
        QCOMPARE(w.action("GoToItem")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
        const struct {
            const char* typed;
            Shown shown;     // where the window is after it
            QString message; // the warning, if any
        } cases[] = {
            {"2", {2, 0}, ""},
            {" 1 : 7 ", {1, 7}, ""},
            {"3:2", {3, 2}, ""},
            // The last frame slot of a record: stepping never shows it.
            {"3:3", {3, 2}, "第 3 帧超出范围：记录 3 可显示的帧为 0 到 2。"},
            {"1:10", {3, 2}, "第 10 帧超出范围：记录 1 可显示的帧为 0 到 9。"},
            {"3:4", {3, 2}, "第 4 帧超出范围：记录 3 可显示的帧为 0 到 2。"},
            {"4", {3, 2}, "记录 4 超出范围：文件中可读的记录为 0 到 3。"},
            {"99999999999", {3, 2}, "记录 99999999999 超出范围：文件中可读的记录为 0 到 3。"},
            {"12345678901234", {3, 2}, "记录 12345678901234 超出范围：文件中可读的记录为 0 到 3。"},
            {"0:-1", {3, 2}, "“0:-1”不是记录号，也不是 记录:帧。"},
            {"abc", {3, 2}, "“abc”不是记录号，也不是 记录:帧。"},
            {"", {3, 2}, "“”不是记录号，也不是 记录:帧。"},
        };
        for (const auto& c : cases) {
            w.form.askGoTo = [&c] { return QString::fromUtf8(c.typed); };
            w.form.GoToItemClick();
            QCOMPARE(w.last(), c.shown);
            auto* box = w.form.findChild<QMessageBox*>("GoToFailedMessage");
            QCOMPARE(box != nullptr, !c.message.isEmpty());
            if (box) {
                QCOMPARE(box->text(), c.message);
                delete box;
            }
        }
        // Cancelled: nothing.
        w.form.askGoTo = [] { return std::optional<QString>(); };
        w.form.GoToItemClick();
        QCOMPARE(w.last(), (Shown{3, 2}));
    }

    // The seek bar's tooltip names the record a move to the pointer shows.
    void seekBarToolTipNamesTheRecord() {
        Window w;
        w.form.openFile(
            QString::fromStdString(viewerFile("gui-tip.DAT", std::vector<int>(10, 11))));
        auto* bar = w.child<SeekBar>("ProcessTrackBar");
        auto tipAt = [&](int x) {
            const QPoint at(x, bar->height() / 2);
            QHelpEvent help(QEvent::ToolTip, at, bar->mapToGlobal(at));
            QApplication::sendEvent(bar, &help);
            return QToolTip::text();
        };
        QCOMPARE(tipAt(0), QString("记录 0"));
        QCOMPARE(bar->positionAt({bar->width() / 2, 0}), 5); // 10 x 5 / 9
        QCOMPARE(tipAt(bar->width() / 2), QString("记录 5"));
        QCOMPARE(tipAt(bar->width() - 1), QString("记录 0（条尾回到开头）"));
    }

    // Every open refills the note list from the new file, also when the count
    // of notes stays the same; a click then names the new file's note.
    void openingAnotherFileReplacesTheNotes() {
        Window w(100000);
        auto* notes = w.child<QListWidget>("NoteListBox");
        auto texts = [notes] {
            QStringList t;
            for (int i = 0; i < notes->count(); ++i)
                t << notes->item(i)->text();
            return t;
        };
        w.form.openFile(QString::fromStdString(
            viewerFile("gui-notes-a.DAT", std::vector<int>(10, 11), {3, 7})));
        QCOMPARE(texts(), (QStringList{"note 3", "note 7"}));
        w.form.openFile(QString::fromStdString(
            viewerFile("gui-notes-b.DAT", std::vector<int>(10, 11), {2, 5})));
        QCOMPARE(texts(), (QStringList{"note 2", "note 5"}));
        QCOMPARE(notes->currentRow(), 1); // record 0 lies before the first note
        QTest::mouseClick(notes->viewport(), Qt::LeftButton, {},
                          notes->visualItemRect(notes->item(0)).center());
        QCOMPARE(w.last(), (Shown{2, 0}));
        w.form.openFile(QString::fromStdString(
            viewerFile("gui-notes-c.DAT", std::vector<int>(4, 11), {1, 2, 3})));
        QCOMPARE(texts(), (QStringList{"note 1", "note 2", "note 3"}));
        // A file that cannot be opened leaves the open file's notes.
        w.form.openFile(QString::fromStdString(tempPath("gui-notes-missing.DAT")));
        if (auto* box = w.form.findChild<QMessageBox*>("OpenFailedMessage")) box->close();
        QCOMPARE(texts(), (QStringList{"note 1", "note 2", "note 3"}));
    }

    // A key that moves the note list's selection is a click on the newly
    // selected note; a key that moves nothing, and a selection the program
    // makes, start nothing.
    void keyboardMovesInTheNoteListAreClicks() {
        Window w(100000);
        w.form.openFile(QString::fromStdString(
            viewerFile("gui-notes-keys.DAT", std::vector<int>(12, 11), {2, 5, 8})));
        auto* notes = w.child<QListWidget>("NoteListBox");
        notes->setFocus();
        QCOMPARE(notes->currentRow(), 2); // selected by the open, not clicked
        QVERIFY(!w.form.core().playing());

        struct Move {
            Qt::Key key;
            int row, record; // record -1: nothing loaded
        };
        const Move moves[] = {
            {Qt::Key_Up, 1, 5},       {Qt::Key_Home, 0, 2},  {Qt::Key_Home, 0, -1},
            {Qt::Key_End, 2, 8},      {Qt::Key_Down, 2, -1}, {Qt::Key_PageUp, 0, 2},
            {Qt::Key_PageDown, 2, 8}, {Qt::Key_Up, 1, 5},    {Qt::Key_N, 2, 8},
        };
        for (const Move& m : moves) {
            const int recordBefore = w.form.core().currentRecord();
            w.drawn.clear();
            QTest::keyClick(notes, m.key);
            QCOMPARE(notes->currentRow(), m.row);
            if (m.record < 0) {
                QVERIFY(w.drawn.empty());
                QCOMPARE(w.form.core().currentRecord(), recordBefore);
                continue;
            }
            QVERIFY(!w.drawn.empty());
            QCOMPARE(w.drawn.front(), (Shown{m.record, 0}));
            QCOMPARE(w.form.core().currentRecord(), m.record);
            QVERIFY(w.form.core().playing()); // a note click starts playback
        }

        // Stepping into another note's records selects that note and loads
        // nothing more.
        w.click("RzButtonPlay"); // pause
        QVERIFY(!w.form.core().playing());
        for (int i = 0; i < 40 && w.last().record != 4; ++i)
            w.click("RzButtonUp");
        QCOMPARE(w.last().record, 4);
        QCOMPARE(notes->currentRow(), 0); // records 2..4: the first note
        for (int i = 0; i < 40 && w.last().record != 5; ++i)
            w.click("RzButtonNext");
        QCOMPARE(w.last(), (Shown{5, 0}));
        QCOMPARE(notes->currentRow(), 1);
    }

    // Qt's own texts follow the Chinese interface.
    void stockTextsAreChinese() {
        QVERIFY(installStockTranslations(*QCoreApplication::instance()));
        QMessageBox box(QMessageBox::Warning, "Vantrel", "x",
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QString("确定"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QString("取消"));
        QLineEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList actions;
        for (QAction* a : menu->actions())
            actions << a->text();
        QVERIFY2(actions.join('|').contains(QString("复制")), qPrintable(actions.join('|')));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* look = dialog.findChild<QLabel*>("lookInLabel");
        QVERIFY(look);
        QVERIFY2(!look->text().contains("Look in"), qPrintable(look->text()));
    }

    // The window's part in playback: Play resumes the playback thread, whose
    // turns alone step the core; between turns the widgets show the core's
    // state; Play again, or the core stopping at the end of the file, stops
    // the turns. Which frames playback shows is the core's rule, tested
    // headless.
    void playbackThreadDrivesTheCore() {
        Window w(1);
        w.form.openFile(QString::fromStdString(viewerFile("gui-play.DAT", {11, 11, 11})));
        const ViewerCore& core = w.form.core();
        auto* play = w.button("RzButtonPlay");
        auto* bar = w.child<QSlider>("ProcessTrackBar");
        auto* place = w.child<QLabel>("PositionLabel");
        auto showsTheCore = [&] {
            const ControlState& c = core.controls();
            const std::optional<FramePlace> at = core.placeOnScreen();
            return at && w.last() == (Shown{at->record, at->frame}) &&
                   place->text() ==
                       QString("记录 %1 / 3\u3000帧 %2").arg(at->record).arg(at->frame) &&
                   play->text() == QString(c.playCaption == kStopCaption ? "停止" : "播放") &&
                   w.button("btnPrint")->isEnabled() == c.printEnabled &&
                   bar->value() == c.trackBarPosition &&
                   w.text("LabelPara1") == QString::fromStdString(gbkToUtf8(core.readouts()[0]));
        };
        // Whether a turn comes within 30 ms.
        auto turnsGoOn = [&] {
            const size_t drawn = w.drawn.size();
            QTest::qWait(30);
            return w.drawn.size() != drawn;
        };
        QVERIFY(showsTheCore());
        QVERIFY(!turnsGoOn());

        w.click("RzButtonPlay");
        QVERIFY(core.playing());
        QVERIFY(showsTheCore());
        QElapsedTimer waited;
        waited.start();
        while (w.drawn.size() < 8 && waited.elapsed() < 10000) {
            QTest::qWait(1);
            QVERIFY(showsTheCore());
        }
        QVERIFY(w.drawn.size() >= 8);

        w.click("RzButtonPlay");
        QVERIFY(!core.playing());
        QVERIFY(showsTheCore());
        QVERIFY(!turnsGoOn());

        w.click("RzButtonPlay");
        QTRY_VERIFY_WITH_TIMEOUT(core.playbackFinished(), 10000);
        QVERIFY(!core.playing());
        QVERIFY(showsTheCore());
        QVERIFY(!turnsGoOn());
    }

    // Without a pace of the test's own the thread waits the pace the core
    // gives between turns (100 ms for records of 11 frames).
    void playbackKeepsTheCoresPace() {
        Window w(-1);
        w.form.openFile(QString::fromStdString(viewerFile("gui-pace.DAT", {11, 11, 11})));
        const int pace = w.form.core().playbackDelay();
        QCOMPARE(pace, 100);
        w.drawn.clear();
        QElapsedTimer elapsed;
        elapsed.start();
        w.click("RzButtonPlay");
        QTRY_VERIFY_WITH_TIMEOUT(w.drawn.size() >= 3, 10000);
        w.click("RzButtonPlay");
        // The n-th frame is drawn (n - 1) paces after the first at the soonest.
        const qint64 ms = elapsed.elapsed();
        QVERIFY2(static_cast<qint64>(w.drawn.size()) <= 1 + ms / pace,
                 qPrintable(QString("%1 frames in %2 ms").arg(w.drawn.size()).arg(ms)));
    }

    void pauseDuringAPendingStep() {
        Window w(0); // no pause between turns: a turn is always on its way
        w.form.openFile(
            QString::fromStdString(viewerFile("gui-pause.DAT", std::vector<int>(80, 11))));
        for (int round = 0; round < 20; ++round) {
            w.click("RzButtonPlay");
            // Short waits: unpaced playback must not reach the end of the file
            // before the pause, where the Play button would start it again.
            QElapsedTimer waited;
            waited.start();
            const size_t target = static_cast<size_t>(round * 3 + 3);
            while (w.drawn.size() <= target && waited.elapsed() < 10000)
                QTest::qWait(1);
            QVERIFY(w.drawn.size() > target);
            QVERIFY(!w.form.core().playbackFinished());
            w.click("RzButtonPlay"); // pause while the thread waits for its turn
            const size_t drawn = w.drawn.size();
            QTest::qWait(20); // the turn that was already asked for comes and does nothing
            QCOMPARE(w.drawn.size(), drawn);
            QVERIFY(!w.form.core().playing());
        }
    }

    // Closing the window while it plays pauses playback and draws nothing
    // more, and destroying it stops and joins the playback thread at once:
    // with a turn on its way (no pace, closed at varying moments), and with
    // the thread asleep in a pace far longer than any wait here.
    void closingDuringPlaybackEndsCleanly() {
        const QString path =
            QString::fromStdString(viewerFile("gui-close.DAT", std::vector<int>(400, 11)));
        const int paces[] = {0, 0, 0, 0, 0, 30000};
        for (int i = 0; i < static_cast<int>(std::size(paces)); ++i) {
            auto w = std::make_unique<Window>(paces[i]);
            w->form.openFile(path);
            w->drawn.clear();
            w->click("RzButtonPlay");
            QTRY_VERIFY_WITH_TIMEOUT(!w->drawn.empty(), 10000);
            QTest::qWait(i % 5);
            QVERIFY(w->form.core().playing());
            w->form.close();
            QVERIFY(!w->form.core().playing());
            const size_t drawn = w->drawn.size();
            QTest::qWait(30); // a turn asked for before the close comes and does nothing
            QCOMPARE(w->drawn.size(), drawn);
            QElapsedTimer destroyed;
            destroyed.start();
            w.reset();
            QVERIFY2(destroyed.elapsed() < 5000, qPrintable(QString::number(destroyed.elapsed())));
        }
    }

    // A file that is not a recording: random bytes whose header announces
    // 2^31 - 1 records and whose first record runs past the end of the
    // file, so nothing is indexed. It opens as any file does, the seek bar
    // gets 2^31 - 1 positions, and the window stays responsive and says
    // that the file holds no readable record, without a box to dismiss.
    // There is nothing to play, step through or print: those buttons are
    // disabled and the place above the plot says there is no record.
    void foreignFileKeepsTheWindowResponsive() {
        Window w;
        w.form.openFile(
            QString::fromStdString(viewerFile("gui-before-junk.DAT", std::vector<int>(3, 11))));
        std::mt19937 rng(18);
        Bytes junk(65536);
        for (uint8_t& b : junk)
            b = static_cast<uint8_t>(rng());
        setWord(junk, 0, INT32_MAX);
        setWord(junk, 4, 0x7FFFFFF0); // the first record's stored length
        const QString junkPath = QString::fromStdString(writeTemp("junk.DAT", junk));
        w.form.openFile(junkPath);
        auto* bar = w.child<QSlider>("ProcessTrackBar");
        QCOMPARE(bar->maximum(), INT32_MAX - 1);
        QVERIFY(!w.form.findChild<QMessageBox*>());
        auto* notice = w.child<QWidget>("OpenNotice");
        QVERIFY(notice->isVisible());
        QCOMPARE(w.child<QLabel>("NoticeText")->text(),
                 QString("“%1”中没有可读的记录：文件头声明 2147483647 条记录，一条也读不出。"
                         "它可能不是探伤记录文件。")
                     .arg(QFileInfo(junkPath).fileName()));
        const char* buttons[] = {"RzButtonPlay", "RzButtonUp", "RzButtonNext", "btnPrint"};
        for (const char* name : buttons)
            QVERIFY2(!w.child<QPushButton>(name)->isEnabled(), name);
        QCOMPARE(w.child<QLabel>("PositionLabel")->text(), QString("没有可读的记录"));
        QTest::keyClick(&w.form, Qt::Key_Space); // no playback starts
        QVERIFY(!w.form.core().playing());
        // With the window painted once, the bar paints again and a queued
        // call comes through within 100 ms (a bar that drew every tick took
        // minutes).
        QCoreApplication::processEvents();
        bar->update();
        QElapsedTimer timer;
        timer.start();
        bool ran = false;
        QMetaObject::invokeMethod(
            &w.form, [&ran] { ran = true; }, Qt::QueuedConnection);
        while (!ran && timer.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QVERIFY(ran);
        QVERIFY2(timer.elapsed() < 100, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!bar->grab().isNull());
        // The notice can be closed; the next file that is whole has none.
        QTest::mouseClick(w.child<QWidget>("NoticeClose"), Qt::LeftButton);
        QVERIFY(!notice->isVisible());
        w.form.openFile(junkPath);
        QVERIFY(notice->isVisible());
        w.form.openFile(
            QString::fromStdString(viewerFile("gui-whole.DAT", std::vector<int>(3, 11))));
        QVERIFY(!notice->isVisible());
        for (const char* name : {"RzButtonPlay", "RzButtonNext", "btnPrint"})
            QVERIFY2(w.child<QPushButton>(name)->isEnabled(), name);
        QCOMPARE(w.child<QLabel>("PositionLabel")->text(), QString("记录 0 / 3　帧 0"));
    }

    // After an open the window says what the file lacks: how many records
    // the header promised, how many could be read, and which are damaged,
    // the first five by number and the rest counted.
    void damagedFilesAreNamedInTheNotice() {
        // The demo recording cut to a third, with record 80's compressed
        // stream starting with a code no encoder writes.
        Bytes demo = readBytes(VANTREL_DEMO).value();
        RecordFile index;
        QVERIFY(index.openRecordFile(VANTREL_DEMO).ok());
        const int64_t at80 = index.recordIndex()[80].fileOffset + kRecordHeaderSize;
        demo.resize(demo.size() / 3);
        demo[static_cast<size_t>(at80)] = demo[static_cast<size_t>(at80) + 1] = 0xFF;

        // Eight records that each carry a block, seven of them damaged.
        RecordWriter w8;
        const ParameterBlock block = makeBlock(325);
        for (int r = 0; r < 8; ++r) {
            if (r == 3) {
                w8.addRecord(makeFrames(2), &block);
            } else {
                const Bytes bad = {0xFF, 0xFF, 0x00, 0x00};
                w8.addRaw(static_cast<int32_t>(bad.size()), kParameterBlockSize + 2, bad);
            }
        }

        const struct {
            const char* name;
            Bytes bytes;
            QString notice; // empty: none shown
        } cases[] = {
            {"demo-damaged.DAT", demo,
             "“%1”已损坏：文件头声明 300 条记录，可读 101 条，缺 199 条；"
             "损坏的记录：80。其余记录照常显示。"},
            {"eight.DAT", w8.bytes(),
             "“%1”已损坏：文件头声明 8 条记录，可读 8 条；"
             "损坏的记录：0、1、2、4、5 等，共 7 条。其余记录照常显示。"},
            {"short.DAT", w8.bytes(20),
             "“%1”已损坏：文件头声明 20 条记录，可读 8 条，缺 12 条；"
             "损坏的记录：0、1、2、4、5 等，共 7 条。其余记录照常显示。"},
            {"whole.DAT", readBytes(VANTREL_DEMO).value(), ""},
        };
        Window w;
        auto* notice = w.child<QWidget>("OpenNotice");
        for (const auto& c : cases) {
            const QString path = QString::fromStdString(writeTemp(c.name, c.bytes));
            w.form.openFile(path);
            QCOMPARE(notice->isVisible(), !c.notice.isEmpty());
            if (!c.notice.isEmpty())
                QCOMPARE(w.child<QLabel>("NoticeText")->text(),
                         c.notice.arg(QFileInfo(path).fileName()));
        }
    }

    void failedOpenKeepsTheFileAndSaysWhy() {
        Window w;
        w.form.openFile(
            QString::fromStdString(viewerFile("gui-keep.DAT", std::vector<int>(3, 11))));
        w.click("RzButtonNext");
        const Shown shown = w.last();
        const QString missing = QString::fromStdString(tempPath("no-such.DAT"));
        w.form.openFile(missing);
        auto* box = w.form.findChild<QMessageBox*>("OpenFailedMessage");
        QVERIFY(box);
        QVERIFY(box->text().contains(QString("no-such.DAT")));
        QCOMPARE(
            box->text(),
            QString("无法打开记录文件“%1”：文件不存在").arg(QDir::toNativeSeparators(missing)));
        delete box;
        // The system's other reasons, in the interface's language too.
        const QString shortFile = QString::fromStdString(writeTemp("gui-short.DAT", Bytes{1, 2}));
        const struct {
            QString path, reason;
        } failures[] = {
            {QDir::tempPath(), "这是一个文件夹"},
            {shortFile + "/inside.DAT", "路径中有一段不是文件夹"},
            {shortFile, "文件比它开头 4 字节的记录数还短"},
        };
        for (const auto& f : failures) {
            w.form.openFile(f.path);
            auto* failed = w.form.findChild<QMessageBox*>("OpenFailedMessage");
            QVERIFY(failed);
            QVERIFY2(failed->text().endsWith("：" + f.reason), qPrintable(failed->text()));
            delete failed;
        }
        QCOMPARE(w.last(), shown);
        QCOMPARE(w.form.core().recordCount(), 3);
        QVERIFY(w.button("RzButtonNext")->isEnabled());
        w.click("RzButtonNext");
        QCOMPARE(w.last(), (Shown{0, 3}));
    }
};

VANTREL_QTEST(MainFormTest);

#include "main_form_test.moc"
