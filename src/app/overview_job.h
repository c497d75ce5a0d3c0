// One echo-dynamics computation on a worker thread: it owns the thread, its
// reader and its progress, and says on the user-interface thread when the
// computation has ended.
//
// Threads: start() opens a reader of its own alongside the core's file on
// the user-interface thread, where the core's query may be read; the worker
// touches only that reader. The result is handed over by ending: only a note
// that the thread is done travels through the event queue, and the thread is
// joined before the result is read. stop() and the destructor cancel a
// computation under way and wait for its thread; no `finished` follows.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

#include "analysis/echo_overview.h"

namespace vantrel {

class OverviewJob : public QObject {
    Q_OBJECT
public:
    // What the worker computes; computeOverview unless another is given.
    using Compute =
        std::function<EchoOverview(const RecordQuery&, const OverviewSettings&, OverviewProgress*)>;
    explicit OverviewJob(Compute compute = {}, QObject* parent = nullptr);
    ~OverviewJob() override;

    // Starts computing the overview of the file `query` has open (a
    // computation under way is stopped first). False when the file cannot
    // be opened a second time; nothing runs then.
    bool start(const RecordQuery& query, const OverviewSettings& settings);
    // Asks a computation under way to stop soon; `finished` follows.
    void cancel();
    // Stops a computation under way and waits for its thread.
    void stop();

    bool running() const { return run_ != nullptr; }
    bool cancelling() const;
    // The share of the records walked so far, in thousandths.
    int permille() const;
    // The result of the computation that has just finished (once).
    EchoOverview takeResult();

signals:
    // The computation ended, by itself or cancelled (the result says which).
    void finished();

private:
    struct Run;
    void runEnded(uint64_t generation);

    Compute compute_;
    uint64_t generation_ = 0;
    std::unique_ptr<Run> run_;
    EchoOverview result_;
};

} // namespace vantrel
