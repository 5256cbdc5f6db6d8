// zemmick-solve: the computer's best line for a board given as text.
//
//   zemmick-solve [--rule game|classic] [--seed S] [--budget N] [--time-limit MS] [FILE]
//
// The board is read from FILE or standard input: one line per row, top row
// first, a digit 1..9 per panel and '.' for an empty cell. The first line of
// output is "score N", then one line "column row" per move. A malformed
// board or command line gets one message on standard error, nothing on
// standard output, and exit status 2; a result that cannot be written, a
// message and status 1.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "SolveCommand.h"
#include "Solver.h"

namespace {

constexpr const char* Usage
    = "usage: zemmick-solve [--rule game|classic] [--seed S] [--budget N] [--time-limit MS] [FILE]\n";

constexpr const char* Help
    = "\n"
      "Finds a good line of moves for a board and prints its final score and moves.\n"
      "\n"
      "The board is read from FILE, or from standard input without FILE: one line\n"
      "per row, top row first, one character per cell: a digit 1 to 9 for a kind of\n"
      "panel, '.' for an empty cell. Every line has the same length, at most 40 lines\n"
      "of at most 40 cells; the number of kinds is the highest digit. Panels rest on\n"
      "the bottom row and empty columns stand at the right, as in the game.\n"
      "\n"
      "Output: \"score N\", then one line \"column row\" per move, naming a cell of the\n"
      "group to erase as the game counts them at that moment (column 1 at the left,\n"
      "row 1 at the bottom).\n"
      "\n"
      "  --rule game      (n - 2)^2 per move of n panels, minus one per panel left,\n"
      "                   plus 100 for each kind with no panel left (the default)\n"
      "  --rule classic   (n - 2)^2 per move, 1000 for a cleared board, otherwise\n"
      "                   minus (c - 2)^2 for each kind with c > 2 panels left\n"
      "  --seed S         seed of the search (default 1); the same seed and budget\n"
      "                   give the same line on every machine\n"
      "  --budget N       nodes the search may spend (default 20000000, a few\n"
      "                   seconds on a 40 x 40 board; with --time-limit alone,\n"
      "                   no limit but the time)\n"
      "  --time-limit MS  stop after MS milliseconds at the latest\n"
      "  --help           show this text\n"
      "\n"
      "Exit status: 0 on success, 1 when the result cannot be written, 2 for a\n"
      "malformed board or command line.\n";

} // namespace

using namespace solvetool;

int main(int argc, char** argv)
{
    try {
        const Command command = ParseCommand(argc, argv);
        if (command.help) {
            std::cout << Usage << Help;
            return 0;
        }
        engine::SolverBoard board;
        if (command.file) {
            std::ifstream in(*command.file, std::ios::binary);
            if (!in)
                Fail("cannot open '" + *command.file + "'");
            board = ReadBoard(in);
        } else {
            board = ReadBoard(std::cin);
        }

        const engine::SolverResult result = engine::Solve(board, command.rule, command.options);
        std::ostringstream out;
        out << "score " << result.Score << '\n';
        for (const engine::SolverMove& move : result.Moves)
            out << move.Column << ' ' << move.Row << '\n';
        std::cout << out.str() << std::flush;
        // A full disk or a closed pipe: say so, rather than leave a cut
        // result behind a status alone.
        if (!std::cout) {
            std::cerr << "zemmick-solve: cannot write the result to standard output\n";
            return 1;
        }
        return 0;
    } catch (const Failure& failure) {
        std::cerr << "zemmick-solve: " << failure.message << '\n';
        return 2;
    }
}
