#include "BackgroundSearch.h"

#include <QMetaObject>
#include <sys/resource.h>
#include <unistd.h>

#include "Errors.h"

BackgroundSearch::BackgroundSearch(
    engine::ScoringRule rule, std::int64_t budget, Priority priority, Done done)
    : rule_(rule)
    , priority_(priority)
    , budget_(budget)
    , done_(std::move(done))
    , worker_([this](std::stop_token quit) { work(quit); })
{
}

BackgroundSearch::~BackgroundSearch()
{
    {
        std::lock_guard lock(mutex_);
        running_.request_stop();
    }
    worker_.request_stop();
    wake_.notify_all();
    worker_.join();
}

void BackgroundSearch::start(const engine::SolverBoard& board)
{
    pending_ = board;
    {
        std::lock_guard lock(mutex_);
        running_.request_stop();
        next_ = Job{board, budget_, ++latest_};
    }
    wake_.notify_all();
}

void BackgroundSearch::cancel()
{
    pending_.reset();
    std::lock_guard lock(mutex_);
    running_.request_stop();
    next_.reset();
    ++latest_;
}

void BackgroundSearch::work(std::stop_token quit)
{
    // Linux gives each thread its own nice value.
    if (priority_ == Priority::Background)
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
    for (;;) {
        Job job;
        std::stop_source source;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, quit, [this] { return next_.has_value(); }))
                return;
            job = std::move(*next_);
            next_.reset();
            running_ = std::stop_source();
            source = running_;
            searching_ = true;
        }
        // Quitting the worker cancels the search too.
        std::stop_callback forward(quit, [&source] { source.request_stop(); });
        engine::SolverOptions options;
        options.Seed = 1;
        options.Budget = job.budget;
        options.Stop = source.get_token();
        engine::SolverResult result;
        std::exception_ptr failure;
        try {
            result = engine::Solve(job.board, rule_, options);
        } catch (...) {
            failure = std::current_exception();
        }
        // A search cut short (cancelled, overtaken by a newer request, or
        // the worker quitting) reports nothing.
        const bool report = !(result.Cut && !failure);
        if (report)
            QMetaObject::invokeMethod(
                &mailbox_,
                [this, serial = job.serial, board = job.board, result = std::move(result), failure] {
                    finish(serial, board, result, failure);
                },
                Qt::QueuedConnection);
        std::lock_guard lock(mutex_);
        searching_ = false;
    }
}

bool BackgroundSearch::idle()
{
    std::lock_guard lock(mutex_);
    return !searching_ && !next_;
}

void BackgroundSearch::finish(std::uint64_t serial, const engine::SolverBoard& board,
    const engine::SolverResult& result, const std::exception_ptr& failure)
{
    {
        std::lock_guard lock(mutex_);
        if (serial != latest_)
            return;
    }
    pending_.reset();
    // A failed search is reported on this thread, as any failure of an
    // event's handling is; the game goes on without the result.
    Guarded([&] {
        if (failure)
            std::rethrow_exception(failure);
        done_(board, result);
    });
}
