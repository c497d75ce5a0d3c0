// Shows the program's windows as the program makes them: the main window,
// then the About box and the report window without their modal loops, so
// that all three are up at once. Once the window system has settled their
// geometry it shows the echo-dynamics window for the first time, as 查看 ›
// 回波动态 does (with no place remembered: the probe runs with a settings
// folder of its own), and closes the About box and the report and shows them
// again, twice, with open(): modal as in the program, where closing a modal
// dialog makes Qt drop its X window and every showing is framed anew. When
// the windows have settled for the third time it prints one line each:
//
//   main 0x...        the X window ids of the four windows
//   about 0x...
//   report 0x...
//   echo 0x...
//   margins NAME LEFT TOP RIGHT BOTTOM    the frame as Qt knows it
//   report-view HBAR VBAR VIEWPORT-WIDTH  the page view's horizontal and
//                                         vertical bars (shown or hidden)
//   ready
//
// and then stays up, so that a script can measure and prod the windows with
// the X server's own tools, until it is killed or a minute has passed.
//
// --framed: wait also until a window manager has framed every window.
#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include <array>
#include <cstdio>
#include <initializer_list>

#include "about/about_form.h"
#include "app/echo_dynamics_form.h"
#include "app/main_form.h"
#include "report_window/report_form.h"

using namespace vantrel;

namespace {

struct Watched {
    const char* name;
    QWidget* widget;
    QRect frame, inside;
};

bool settled(Watched& w, bool framed) {
    const QWindow* handle = w.widget->windowHandle();
    if (!handle || !handle->isExposed()) return false;
    if (framed && handle->frameMargins().isNull()) return false;
    const QRect frame = w.widget->frameGeometry(), inside = w.widget->geometry();
    const bool same = frame == w.frame && inside == w.inside;
    w.frame = frame;
    w.inside = inside;
    return same;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool framed = QApplication::arguments().contains(QStringLiteral("--framed"));

    OpenRecording recording(viewerDataFolder());
    TMainForm mainForm(recording);
    TAboutForm aboutForm(&mainForm);
    TReportForm reportForm(&mainForm);
    const ViewerCore& core = mainForm.core();
    reportForm.setSource(TReportForm::sourceOf(core));
    mainForm.show();
    aboutForm.show();
    reportForm.show();

    TEchoDynamicsForm& echo = mainForm.echoDynamics();
    std::array<Watched, 4> windows = {{{"main", &mainForm, {}, {}},
                                       {"about", &aboutForm, {}, {}},
                                       {"report", &reportForm, {}, {}},
                                       {"echo", &echo, {}, {}}}};
    // Settled: every window exposed (and framed where asked) and its
    // geometry unchanged over the last 400 ms.
    int stableTurns = 0, turns = 0, showings = 1;
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        ++turns;
        bool all = true;
        for (Watched& w : windows)
            all = (w.widget == &echo && showings == 1 ? true : settled(w, framed)) && all;
        stableTurns = all ? stableTurns + 1 : 0;
        if (stableTurns < 4) {
            if (turns > 200) {
                std::printf("timeout: the windows did not settle\n");
                std::fflush(stdout);
                QApplication::exit(1);
            }
            return;
        }
        if (showings < 3) {
            // Once the main window is framed where it belongs.
            if (showings == 1) {
                echo.show();
                echo.raise();
            }
            ++showings;
            stableTurns = 0;
            for (QDialog* d : std::initializer_list<QDialog*>{&aboutForm, &reportForm}) {
                d->close();
                d->open();
            }
            return;
        }
        poll.stop();
        for (const Watched& w : windows)
            std::printf("%s 0x%llx\n", w.name, static_cast<unsigned long long>(w.widget->winId()));
        for (const Watched& w : windows) {
            const QMargins m = w.widget->windowHandle()->frameMargins();
            std::printf("margins %s %d %d %d %d\n", w.name, m.left(), m.top(), m.right(),
                        m.bottom());
        }
        const auto* view = reportForm.findChild<QScrollArea*>(QStringLiteral("PageView"));
        const auto shown = [](const QScrollBar* bar) {
            return bar->isVisible() ? "shown" : "hidden";
        };
        std::printf("report-view %s %s %d\n", shown(view->horizontalScrollBar()),
                    shown(view->verticalScrollBar()), view->viewport()->width());
        std::printf("ready\n");
        std::fflush(stdout);
        QTimer::singleShot(60000, [] { QApplication::exit(0); });
    });
    poll.start();
    return QApplication::exec();
}
