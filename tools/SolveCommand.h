// The command line and the board text of zemmick-solve, read into what the
// solver takes. Every fault of either is a Failure carrying the one message
// the tool prints.
#pragma once

#include <istream>
#include <optional>
#include <string>

#include "Solver.h"

namespace solvetool {

struct Failure {
    std::string message;
};

struct Command {
    engine::ScoringRule rule = engine::ScoringRule::Game;
    // The budget is the default one, unless --budget gives another or a time
    // limit comes alone: then only the time ends the search.
    engine::SolverOptions options;
    std::optional<std::string> file;
    bool help = false;
};

Command ParseCommand(int argc, const char* const* argv);

// One line per row, top row first, a digit 1..9 per panel and '.' for an
// empty cell.
engine::SolverBoard ReadBoard(std::istream& in);

[[noreturn]] void Fail(std::string message);

} // namespace solvetool
