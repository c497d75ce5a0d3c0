// The playback thread: it only paces. While running it asks the
// user-interface thread to take one playback turn, waits until that turn has
// run, then sleeps for the pace the turn returned. Every read of the file,
// every change of the viewer state and all drawing happen in the turn, on the
// user-interface thread, so the state has one writer at any time.
//
// Created paused at one step below normal priority. pause() and resume()
// only set a flag under a short lock, so they never block the
// user-interface thread; a turn that was already requested when the pause
// came finds the viewer paused and does nothing. The destructor stops the
// loop, wakes it and waits for it, also in the middle of playback.
#pragma once

#include <QPointer>
#include <QThread>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace vantrel {

class TDrawWaveThread : public QThread {
public:
    // `turn` runs on `uiContext`'s thread and returns the pause in
    // milliseconds before the next turn, or -1 when it took no step.
    // `paceOverrideMs` >= 0 replaces that pause (tests run faster with it).
    TDrawWaveThread(QObject* uiContext, std::function<int()> turn, int paceOverrideMs = -1);
    ~TDrawWaveThread() override;

    void pause();
    void resume();
    bool isPaused() const;

protected:
    void run() override;

private:
    struct Shared {
        mutable std::mutex mutex;
        std::condition_variable wake;
        bool paused = true;
        bool stopping = false;
    };
    struct Turn {
        bool done = false;
        int pause = -1;
    };

    std::shared_ptr<Shared> shared_;
    QPointer<QObject> context_;
    std::function<int()> turn_;
    int paceOverrideMs_;
};

} // namespace vantrel
