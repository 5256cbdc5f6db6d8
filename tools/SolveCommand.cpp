// Reading zemmick-solve's command line and board text.
#include "SolveCommand.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace solvetool {

void Fail(std::string message)
{
    throw Failure{std::move(message)};
}

namespace {

[[noreturn]] void FailUsage(const std::string& message)
{
    Fail(message + " (zemmick-solve --help shows the usage)");
}

template <typename T> T Number(std::string_view option, std::string_view text, T least)
{
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < least)
        FailUsage(std::string(option) + " wants a whole number of at least " + std::to_string(least)
            + ", not '" + std::string(text) + "'");
    return value;
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

} // namespace

Command ParseCommand(int argc, const char* const* argv)
{
    Command command;
    command.options.Budget = engine::ParBudget;
    bool budgetGiven = false;
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
            budgetGiven = true;
        } else {
            command.options.TimeLimit = std::chrono::milliseconds{Number<std::int64_t>(name, *value, 1)};
        }
    }
    // A time limit alone is the whole measure of the search: the default
    // budget would end a search of a minute after a few seconds.
    if (!budgetGiven && command.options.TimeLimit.count() > 0)
        command.options.Budget = INT64_MAX;
    return command;
}

// Reads the board text; every fault of the text is a Failure.
engine::SolverBoard ReadBoard(std::istream& in)
{
    constexpr int Max = 40;
    std::vector<std::string> lines;
    while (in.peek() != std::char_traits<char>::eof()) {
        const int number = static_cast<int>(lines.size()) + 1;
        if (number > Max)
            Fail("the board has more than 40 rows");
        // A line is read only as far as a board's can reach (a carriage
        // return after 40 cells and one cell too many), so that an endless
        // line, from a device or a stream without line ends, is refused at
        // once instead of filling the memory.
        std::string line;
        for (int ch = in.get(); ch != std::char_traits<char>::eof() && ch != '\n'; ch = in.get()) {
            line.push_back(static_cast<char>(ch));
            if (line.size() > static_cast<std::size_t>(Max) + 1)
                break;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char ch = line[i];
            if (ch != '.' && (ch < '1' || ch > '9'))
                Fail("line " + std::to_string(number) + ", cell " + std::to_string(i + 1) + ": "
                    + Printable(ch) + " is neither a digit 1 to 9 nor '.'");
        }
        if (line.size() > static_cast<std::size_t>(Max))
            Fail(
                "line " + std::to_string(number) + " has more than 40 cells; a board has at most 40 columns");
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

} // namespace solvetool
