// What the window tests share: the main window as they drive it, a copy of
// the demo recording of a test's own, a data folder for one test, and the
// test peer through which they reach what the main window keeps to itself.
// The application, the offscreen platform and the settings folder are the
// QtTest main's (qtest_main.cpp).
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

#include "app/main_form.h"
#include "inspection/inspection_store.h"
#include "inspection/open_recording.h"
#include "viewer_fixture.h"

namespace vantrel {

class MainFormTestPeer {
public:
    // Playback pauses `paceMs` between its steps instead of the recording's
    // own pace: 0 plays as fast as the window draws, a large value lets a
    // test start playback without a step being taken.
    static void setPlaybackPace(TMainForm& form, int paceMs) { form.startPlaybackThread(paceMs); }
};

namespace testing {

// A main window on `recording` whose playback steps every `paceMs`
// (MainFormTestPeer).
struct PacedMainForm : TMainForm {
    PacedMainForm(OpenRecording& recording, int paceMs) : TMainForm(recording) {
        MainFormTestPeer::setPlaybackPace(*this, paceMs);
    }
};

// The main window, shown, and the frames it drew, in order (a test file's
// frames say where they came from: viewer_fixture.h).
struct MainWindowFixture {
    // The recording open in the program, as main() owns it.
    OpenRecording recording{viewerDataFolder()};
    PacedMainForm form;
    std::vector<Shown> drawn;
    explicit MainWindowFixture(int paceMs) : form(recording, paceMs) {
        QObject::connect(&form, &TMainForm::frameDrawn, &form,
                         [this] { drawn.push_back(shownBy(form.core().frameTail())); });
        form.show();
    }
    Shown last() const { return drawn.empty() ? Shown{-1, -1} : drawn.back(); }
    // The child of `parent` named `name`; the test ends when there is none.
    template <class T> static T* childOf(const QObject& parent, const char* name) {
        T* w = parent.findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no %s", name);
        return w;
    }
};

// A copy of the demo recording in a folder of its own, removed with it (a
// test that writes beside the recording leaves the committed one alone).
struct DemoCopy {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("demo.DAT"));
    DemoCopy() {
        if (!QFile::copy(QStringLiteral(VANTREL_DEMO), path)) qFatal("cannot copy the demo");
    }
};

// The data folder (XDG_DATA_HOME) set to `folder` until this goes, also when
// the test fails half-way.
class DataHome {
public:
    explicit DataHome(const QString& folder)
        : wasSet_(qEnvironmentVariableIsSet("XDG_DATA_HOME")), before_(qgetenv("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", folder.toUtf8());
    }
    ~DataHome() {
        if (wasSet_)
            qputenv("XDG_DATA_HOME", before_);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    DataHome(const DataHome&) = delete;
    DataHome& operator=(const DataHome&) = delete;

private:
    bool wasSet_;
    QByteArray before_;
};

// Shown frames in QCOMPARE's failure messages.
inline char* toString(const Shown& s) {
    return qstrdup(QByteArray::number(s.record) + ':' + QByteArray::number(s.frame));
}

} // namespace testing
} // namespace vantrel
