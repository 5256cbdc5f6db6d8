// zemmick-solve: the computer's best line for a board given as text.
//
//   zemmick-solve [--rule game|classic] [--seed S] [--budget N] [--time-limit MS] [FILE]
//
// The board is read from FILE or standard input: one line per row, top row
// first, a digit 1..9 per panel and '.' for an empty cell. The first line of
// output is "score N", then one line "column row" per move. A malformed
// board or command line gets one message on standard error, nothing on
// standard output, and exit status 2.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

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
      "                   seconds on a 40 x 40 board)\n"
      "  --time-limit MS  stop after MS milliseconds at the latest\n"
      "  --help           show this text\n"
      "\n"
      "Exit status: 0 on success, 2 for a malformed board or command line.\n";

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(std::string message)
{
    throw Failure{std::move(message)};
}

[[noreturn]] void FailUsage(const std::string& message);

template <typename T> T Number(std::string_view option, std::string_view text, T least)
{
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < least)
        FailUsage(std::string(option) + " wants a whole number of at least " + std::to_string(least)
            + ", not '" + std::string(text) + "'");
    return value;
}

struct Command {
    engine::ScoringRule rule = engine::ScoringRule::Game;
    engine::SolverOptions options;
    std::optional<std::string> file;
    bool help = false;
};

[[noreturn]] void FailUsage(const std::string& message)
{
    Fail(message + " (zemmick-solve --help shows the usage)");
}

Command ParseCommand(int argc, char** argv)
{
    Command command;
    command.options.Budget = engine::ParBudget;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (command.file)
                FailUsage("more than one board file given");
            command.file = std::string(arg);
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            command.help = true;
            continue;
        }
        // --name value or --name=value
        std::string_view name = arg;
        std::optional<std::string_view> value;
        if (const auto eq = arg.find('='); eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        if (name != "--rule" && name != "--seed" && name != "--budget" && name != "--time-limit")
            FailUsage("unknown option '" + std::string(name) + "'");
        if (!value) {
            if (i + 1 >= argc)
                FailUsage(std::string(name) + " wants a value");
            value = std::string_view(argv[++i]);
        }
        if (name == "--rule") {
            if (*value == "game")
                command.rule = engine::ScoringRule::Game;
            else if (*value == "classic")
                command.rule = engine::ScoringRule::Classic;
            else
                FailUsage("--rule is game or classic, not '" + std::string(*value) + "'");
        } else if (name == "--seed") {
            command.options.Seed = Number<std::uint64_t>(name, *value, 0);
        } else if (name == "--budget") {
            command.options.Budget = Number<std::int64_t>(name, *value, 1);
        } else {
            command.options.TimeLimit = std::chrono::milliseconds{Number<std::int64_t>(name, *value, 1)};
        }
    }
    return command;
}

std::string Printable(char ch)
{
    const auto byte = static_cast<unsigned char>(ch);
    if (byte >= 0x21 && byte < 0x7F)
        return std::string("'") + ch + "'";
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", byte);
    return std::string("the byte ") + code;
}

// Reads the board text; every fault of the text is a Failure.
engine::SolverBoard ReadBoard(std::istream& in)
{
    constexpr int Max = 40;
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const int number = static_cast<int>(lines.size()) + 1;
        if (number > Max)
            Fail("the board has more than 40 rows");
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char ch = line[i];
            if (ch != '.' && (ch < '1' || ch > '9'))
                Fail("line " + std::to_string(number) + ", cell " + std::to_string(i + 1) + ": "
                    + Printable(ch) + " is neither a digit 1 to 9 nor '.'");
        }
        if (line.size() > static_cast<std::size_t>(Max))
            Fail("line " + std::to_string(number) + " has " + std::to_string(line.size())
                + " cells; a board has at most 40 columns");
        if (!lines.empty() && line.size() != lines.front().size())
            Fail("line " + std::to_string(number) + " has " + std::to_string(line.size())
                + " cells, line 1 has " + std::to_string(lines.front().size())
                + "; every line must have the same length");
        lines.push_back(line);
    }
    if (in.bad())
        Fail("the board cannot be read");
    if (lines.empty() || lines.front().empty())
        Fail("the board is empty");

    const int rows = static_cast<int>(lines.size());
    const int columns = static_cast<int>(lines.front().size());
    int kinds = 0;
    for (const std::string& text : lines)
        for (const char ch : text)
            if (ch != '.')
                kinds = std::max(kinds, ch - '0');
    engine::SolverBoard board(columns, rows, kinds);
    for (int r = 1; r <= rows; ++r) {
        const std::string& text = lines[static_cast<std::size_t>(rows - r)];
        for (int c = 1; c <= columns; ++c) {
            const char ch = text[static_cast<std::size_t>(c - 1)];
            board.set(c, r, ch == '.' ? engine::EmptyCell : ch - '0');
        }
    }
    if (const std::string problem = board.problem(); !problem.empty())
        Fail("the game cannot hold this board: " + problem);
    return board;
}

} // namespace

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
        return std::cout ? 0 : 1;
    } catch (const Failure& failure) {
        std::cerr << "zemmick-solve: " << failure.message << '\n';
        return 2;
    }
}
