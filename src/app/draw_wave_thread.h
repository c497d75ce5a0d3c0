// The playback thread: it only paces. While running it asks the
// user-interface thread to take one playback turn, waits until that turn has
// run, then sleeps for the pace the turn returned. Every read of the file,
// every change of the viewer state and all drawing happen in the turn, on the
// user-interface thread, so the state has one writer at any time.
//
// Created paused, one step below normal priority (nice + 1). pause() and resume()
// only set a flag under a short lock, so they never block the
// user-interface thread; a turn that was already requested when the pause
// came finds the viewer paused and does nothing. The destructor stops the
// loop, wakes it and waits for it, also in the middle of playback.
#pragma once

#include <QObject>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vantrel {

class TDrawWaveThread : public QObject {
    Q_OBJECT
public:
    // `turn` runs on the user-interface thread (the thread that creates
    // this object) and returns the pause in milliseconds before the next
    // turn, or -1 when it took no step. `paceOverrideMs` >= 0 replaces that
    // pause (tests run faster with it).
    explicit TDrawWaveThread(std::function<int()> turn, int paceOverrideMs = -1);
    ~TDrawWaveThread() override;

    void pause();
    void resume();

private:
    void run();

    // Runs on the user-interface thread, where this object lives. It is
    // called by name so that nothing made on the playback thread travels
    // with the call: all hand-over goes through the mutex below.
    Q_INVOKABLE void runTurn();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool paused_ = true;
    bool stopping_ = false;
    bool turnDone_ = false;
    int turnPause_ = -1;
    const std::function<int()> turn_;
    const int paceOverrideMs_;
    std::thread thread_; // last: starts once everything above exists
};

} // namespace vantrel
