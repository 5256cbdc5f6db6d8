// zemmick-solve as a user runs it: board text in, "score N" and moves out,
// and for anything malformed one message on standard error, nothing on
// standard output and exit status 2.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Engine.h"
#include "FakeBoardView.h"
#include "SolveCommand.h"

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char ch : text)
        quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return quoted + "'";
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Each test case runs in a process of its own, side by side with others:
// the process id keeps their files apart.
std::string TempPath(const std::string& name)
{
    return testing::TempDir() + "zemmick-solve-test-" + std::to_string(::getpid()) + "-" + name;
}

// With `sink`, standard output goes there instead of to a file the run
// returns.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& input, const std::string& sink = "")
{
    const std::string in = TempPath("in"), err = TempPath("err");
    const std::string out = sink.empty() ? TempPath("out") : sink;
    std::ofstream(in, std::ios::binary) << input;
    // A run that never ends fails the test instead of holding it up.
    std::string command = "timeout 60 " + Quote(ZEMMICK_SOLVE);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    command += " <" + Quote(in) + " >" + Quote(out) + " 2>" + Quote(err);
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = sink.empty() ? Slurp(out) : "";
    run.err = Slurp(err);
    return run;
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// A dealt board as the tool's text, top row first.
std::vector<std::string> DealtText(int columns, int rows, int kinds, std::uint32_t seed)
{
    engine::GameState g;
    g.ColumnCount = columns;
    g.RowCount = rows;
    g.KindCount = kinds;
    g.Random.seed(seed);
    EXPECT_TRUE(engine::SetupBoard(g));
    return BoardText(g);
}

struct Output {
    int score = 0;
    std::vector<std::pair<int, int>> moves;
};

Output Parse(const std::string& text)
{
    std::istringstream in(text);
    Output output;
    std::string word;
    in >> word >> output.score;
    EXPECT_EQ(word, "score");
    int c = 0, r = 0;
    while (in >> c >> r)
        output.moves.push_back({c, r});
    EXPECT_TRUE(in.eof()) << "stray text in the output";
    return output;
}

// Replays the moves through the game; returns the sizes of the groups.
std::vector<int> Replay(engine::GameState& g, const std::vector<std::pair<int, int>>& moves)
{
    FakeBoardView view;
    view.showBoard(g);
    std::vector<int> sizes;
    for (const auto& [c, r] : moves) {
        engine::HoverCell(g, view, c, r);
        EXPECT_GE(g.GroupSize, 2) << "the move " << c << " " << r << " erases no group";
        sizes.push_back(g.GroupSize);
        if (!engine::ResolveMove(g, c, r))
            break;
        engine::RecountAndRedraw(g, view);
    }
    return sizes;
}

} // namespace

TEST(SolveTool, MalformedBoardsAndCommandLinesGetOneMessageAndStatusTwo)
{
    const std::string row41(41, '1');
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        const char* message; // a part of the message
    } cases[] = {
        {"ragged lines", {}, "1122\n221\n", "line 2 has 3 cells, line 1 has 4"},
        {"a blank line inside", {}, "12\n\n21\n", "line 2 has 0 cells"},
        {"a letter", {}, "12x\n", "'x' is neither a digit 1 to 9 nor '.'"},
        {"a zero", {}, "102\n", "'0' is neither"},
        {"a tab", {}, "1\t2\n", "0x09"},
        {"41 columns", {}, row41 + "\n", "at most 40 columns"},
        {"a line of a million cells", {}, std::string(1'000'000, '1'), "line 1 has more than 40 cells"},
        {"an endless line", {"/dev/zero"}, "", "line 1, cell 1: the byte 0x00"},
        {"41 rows", {}, Lines(std::vector<std::string>(41, "12")), "more than 40 rows"},
        {"no input", {}, "", "the board is empty"},
        {"an empty line only", {}, "\n", "the board is empty"},
        {"a panel above a gap", {}, "1\n.\n", "panel above an empty cell"},
        {"an empty column left of panels", {}, ".1\n.1\n", "right of an empty column"},
        {"no such file", {"/nonexistent/board.txt"}, "", "cannot open"},
        {"two files", {"a.txt", "b.txt"}, "", "more than one board file"},
        {"unknown option", {"--frobnicate"}, "11\n", "unknown option '--frobnicate'"},
        {"unknown short option", {"-x"}, "11\n", "unknown option '-x'"},
        {"unknown rule", {"--rule", "fancy"}, "11\n", "--rule is game or classic"},
        {"rule without a value", {"--rule"}, "11\n", "--rule wants a value"},
        {"budget of zero", {"--budget", "0"}, "11\n", "--budget wants a whole number of at least 1"},
        {"budget not a number", {"--budget=lots"}, "11\n", "not 'lots'"},
        {"negative seed", {"--seed", "-1"}, "11\n", "--seed wants a whole number"},
        {"seed with a tail", {"--seed", "12abc"}, "11\n", "--seed wants a whole number"},
        {"time limit of zero", {"--time-limit", "0"}, "11\n",
            "--time-limit wants a whole number of at least 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ToolRun run = RunTool(c.args, c.input);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        // One message: one line, naming the program.
        EXPECT_EQ(run.err.rfind("zemmick-solve: ", 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

TEST(SolveTool, PrintsAScoreThatItsMovesReachInTheGame)
{
    const std::vector<std::string> board = DealtText(12, 9, 4, 17);
    const ToolRun run = RunTool({"--budget", "50000"}, Lines(board));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(run.out.rfind("score ", 0), 0u) << run.out;
    const Output output = Parse(run.out);
    ASSERT_FALSE(output.moves.empty());

    engine::GameState g;
    LoadBoard(g, 4, board);
    Replay(g, output.moves);
    EXPECT_FALSE(engine::MoveRemains(g));
    EXPECT_EQ(g.Score, output.score);

    // The same seed and budget print the same again.
    EXPECT_EQ(RunTool({"--budget", "50000"}, Lines(board)).out, run.out);
}

TEST(SolveTool, ReadsAFileWithWindowsLineEndsUnderTheClassicRule)
{
    const std::vector<std::string> board = DealtText(10, 10, 3, 5);
    std::string text;
    for (const std::string& line : board)
        text += line + "\r\n";
    const std::string path = TempPath("board.txt");
    std::ofstream(path, std::ios::binary) << text;
    const ToolRun run
        = RunTool({"--rule=classic", "--seed", "3", "--budget=40000", "--time-limit", "60000", path}, "");
    ASSERT_EQ(run.status, 0) << run.err;
    const Output output = Parse(run.out);

    engine::GameState g;
    LoadBoard(g, 3, board);
    const std::vector<int> sizes = Replay(g, output.moves);
    int classic = 0;
    for (const int n : sizes)
        classic += (n - 2) * (n - 2);
    if (g.RemainingPanels == 0) {
        classic += 1000;
    } else {
        for (int k = 1; k <= 3; ++k)
            if (g.KindCounts[k] > 2)
                classic -= (g.KindCounts[k] - 2) * (g.KindCounts[k] - 2);
    }
    EXPECT_EQ(output.score, classic);
}

// Output that cannot be written (a full disk) is said on standard error,
// with status 1: not a silent failure a script would take for a cut line.
TEST(SolveTool, AResultThatCannotBeWrittenIsReported)
{
    ASSERT_EQ(::access("/dev/full", W_OK), 0) << "the test needs /dev/full";
    const ToolRun run = RunTool({"--budget", "1000"}, Lines({"11", "11"}), "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "zemmick-solve: cannot write the result to standard output\n");
}

TEST(SolveTool, HelpShowsTheUsage)
{
    const ToolRun run = RunTool({"--help"}, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(
        run.out.rfind("usage: zemmick-solve [--rule game|classic] [--seed S] [--budget N] [--time-limit MS] "
                      "[FILE]\n",
            0),
        0u)
        << run.out;
    EXPECT_EQ(run.err, "");
}

// A time limit with no budget is searched to the limit: the default budget
// would end a minute's search after a few seconds. A budget given is kept,
// before or after the limit.
TEST(SolveTool, ATimeLimitAloneLeavesTheSearchNoBudget)
{
    struct Case {
        std::vector<const char*> args;
        std::int64_t budget;
        long long limit;
    } cases[] = {
        {{}, engine::ParBudget, 0},
        {{"--time-limit", "60000"}, INT64_MAX, 60000},
        {{"--time-limit=10000", "--seed", "3"}, INT64_MAX, 10000},
        {{"--time-limit", "60000", "--budget", "5000"}, 5000, 60000},
        {{"--budget=5000", "--time-limit=60000"}, 5000, 60000},
        {{"--budget", "5000"}, 5000, 0},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"zemmick-solve"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const solvetool::Command command
            = solvetool::ParseCommand(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(command.options.Budget, c.budget) << c.args.size() << " arguments";
        EXPECT_EQ(command.options.TimeLimit.count(), c.limit);
    }
}
