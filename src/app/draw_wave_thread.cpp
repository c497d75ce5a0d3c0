#include "draw_wave_thread.h"

#include <QMetaObject>

#include <chrono>

namespace vantrel {

TDrawWaveThread::TDrawWaveThread(QObject* uiContext, std::function<int()> turn, int paceOverrideMs)
    : shared_(std::make_shared<Shared>()), context_(uiContext), turn_(std::move(turn)),
      paceOverrideMs_(paceOverrideMs) {
    start(QThread::LowPriority);
}

TDrawWaveThread::~TDrawWaveThread() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
    }
    shared_->wake.notify_all();
    wait();
}

void TDrawWaveThread::pause() {
    std::lock_guard lock(shared_->mutex);
    shared_->paused = true;
}

void TDrawWaveThread::resume() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->paused = false;
    }
    shared_->wake.notify_all();
}

bool TDrawWaveThread::isPaused() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->paused;
}

void TDrawWaveThread::run() {
    const std::shared_ptr<Shared> s = shared_;
    for (;;) {
        {
            std::unique_lock lock(s->mutex);
            s->wake.wait(lock, [&] { return s->stopping || !s->paused; });
            if (s->stopping) return;
        }
        // Hand the turn to the user-interface thread and wait for it. The
        // turn holds only shared state, so a turn still queued when the
        // window goes away is dropped with it and touches nothing.
        auto turn = std::make_shared<Turn>();
        QObject* context = context_.data();
        if (!context) return;
        QMetaObject::invokeMethod(
            context,
            [s, turn, f = turn_] {
                const int pause = f();
                {
                    std::lock_guard lock(s->mutex);
                    turn->pause = pause;
                    turn->done = true;
                }
                s->wake.notify_all();
            },
            Qt::QueuedConnection);
        int pause;
        {
            std::unique_lock lock(s->mutex);
            s->wake.wait(lock, [&] { return s->stopping || turn->done; });
            if (s->stopping) return;
            pause = turn->pause;
        }
        if (pause >= 0 && paceOverrideMs_ >= 0) pause = paceOverrideMs_;
        if (pause > 0) {
            std::unique_lock lock(s->mutex);
            s->wake.wait_for(lock, std::chrono::milliseconds(pause), [&] { return s->stopping; });
            if (s->stopping) return;
        }
    }
}

} // namespace vantrel
