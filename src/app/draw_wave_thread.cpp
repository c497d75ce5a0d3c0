#include "app/draw_wave_thread.h"

#include <QMetaObject>

#include <chrono>

#include <sys/resource.h>
#include <unistd.h>

namespace vantrel {

TDrawWaveThread::TDrawWaveThread(std::function<int()> turn, int paceOverrideMs)
    : turn_(std::move(turn)), paceOverrideMs_(paceOverrideMs), thread_([this] {
          // One step below the user-interface thread: the pacing must never
          // compete with drawing. Linux keeps a nice value per thread.
          setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), getpriority(PRIO_PROCESS, 0) + 1);
          run();
      }) {}

TDrawWaveThread::~TDrawWaveThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    // A turn still queued for this object is dropped with it.
}

void TDrawWaveThread::pause() {
    std::lock_guard lock(mutex_);
    paused_ = true;
}

void TDrawWaveThread::resume() {
    {
        std::lock_guard lock(mutex_);
        paused_ = false;
    }
    wake_.notify_all();
}

void TDrawWaveThread::runTurn() {
    const int pause = turn_();
    {
        std::lock_guard lock(mutex_);
        turnPause_ = pause;
        turnDone_ = true;
    }
    wake_.notify_all();
}

void TDrawWaveThread::run() {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || !paused_; });
            if (stopping_) return;
            turnDone_ = false;
        }
        // Hand the turn to the user-interface thread and wait for it.
        QMetaObject::invokeMethod(this, "runTurn", Qt::QueuedConnection);
        int pause;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || turnDone_; });
            if (stopping_) return;
            pause = turnPause_;
        }
        if (pause >= 0 && paceOverrideMs_ >= 0) pause = paceOverrideMs_;
        if (pause > 0) {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(pause), [&] { return stopping_; });
            if (stopping_) return;
        }
    }
}

} // namespace vantrel
