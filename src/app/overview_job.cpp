#include "app/overview_job.h"

#include <thread>

namespace vantrel {

struct OverviewJob::Run {
    uint64_t generation = 0;
    RecordQuery reader;
    OverviewProgress progress;
    EchoOverview result;
    std::thread thread;
};

OverviewJob::OverviewJob(Compute compute, QObject* parent)
    : QObject(parent), compute_(compute ? std::move(compute) : Compute(computeOverview)) {}

OverviewJob::~OverviewJob() { stop(); }

bool OverviewJob::start(const RecordQuery& query, const OverviewSettings& settings) {
    stop();
    auto run = std::make_unique<Run>();
    run->generation = ++generation_;
    if (!run->reader.openAlongside(query)) return false;
    run_ = std::move(run);
    Run* r = run_.get();
    r->thread = std::thread([this, r, settings, compute = compute_] {
        r->result = compute(r->reader, settings, &r->progress);
        QMetaObject::invokeMethod(
            this, [this, generation = r->generation] { runEnded(generation); },
            Qt::QueuedConnection);
    });
    return true;
}

void OverviewJob::cancel() {
    if (run_) run_->progress.cancel();
}

void OverviewJob::stop() {
    if (!run_) return;
    // The walk looks at the cancel every few dozen records, so the wait is
    // short; the result is dropped.
    run_->progress.cancel();
    if (run_->thread.joinable()) run_->thread.join();
    run_.reset();
}

bool OverviewJob::cancelling() const { return run_ && run_->progress.cancelled(); }

int OverviewJob::permille() const {
    if (!run_) return 0;
    const int64_t total = run_->progress.total();
    return total > 0 ? static_cast<int>(run_->progress.done() * 1000 / total) : 0;
}

EchoOverview OverviewJob::takeResult() { return std::move(result_); }

void OverviewJob::runEnded(uint64_t generation) {
    // A note from a run already stopped and replaced says nothing.
    if (!run_ || run_->generation != generation) return;
    run_->thread.join();
    result_ = std::move(run_->result);
    run_.reset();
    emit finished();
}

} // namespace vantrel
