// The solver on a worker thread, for the hint and the par. The worker
// searches its own copy of a board; the result comes back to the thread that
// made the search object, through its event loop, so the game is only ever read
// and changed there. One search runs at a time: a new request cancels the
// one before, and a cancelled search reports nothing.
#pragma once

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include "Solver.h"

class BackgroundSearch {
public:
    using Done = std::function<void(const engine::SolverBoard& board, const engine::SolverResult& result)>;

    // How the worker shares the processor: a search the player waits for
    // runs as the window thread does; background work yields to both.
    enum class Priority { Normal, Background };

    // `done` runs on this thread for each search that ran to its end and was
    // neither cancelled nor overtaken by a newer request.
    BackgroundSearch(engine::ScoringRule rule, std::int64_t budget, Priority priority, Done done);
    // Cancels the running search and waits for the worker to end (a
    // cancelled search returns within milliseconds).
    ~BackgroundSearch();
    BackgroundSearch(const BackgroundSearch&) = delete;
    BackgroundSearch& operator=(const BackgroundSearch&) = delete;

    // Searches `board` with a fixed seed and the budget, so that a board
    // gives the same line on every machine. Never waits for the worker.
    void start(const engine::SolverBoard& board);
    // The search asked for last goes no further and reports nothing.
    void cancel();
    // The board of the search asked for last and not yet reported or
    // cancelled.
    const std::optional<engine::SolverBoard>& pending() const { return pending_; }

    // For tests: no search runs or waits to run (a result may still be on
    // its way through the event loop).
    bool idle();
    // For tests: a smaller budget makes a quick search.
    void setBudget(std::int64_t budget) { budget_ = budget; }

private:
    struct Job {
        engine::SolverBoard board;
        std::int64_t budget = 0;
        std::uint64_t serial = 0;
    };
    void work(std::stop_token quit);
    void finish(std::uint64_t serial, const engine::SolverBoard& board, const engine::SolverResult& result,
        const std::exception_ptr& failure);

    // Results are delivered to it; results still queued when it goes are
    // dropped with it.
    QObject mailbox_;
    const engine::ScoringRule rule_;
    const Priority priority_;
    std::int64_t budget_;
    Done done_;
    // Window thread only.
    std::optional<engine::SolverBoard> pending_;

    // Shared with the worker.
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::optional<Job> next_;
    std::uint64_t latest_ = 0; // the serial of the request made last
    std::stop_source running_; // cancels the search in progress
    bool searching_ = false;

    std::jthread worker_; // last: it starts once everything above exists
};
