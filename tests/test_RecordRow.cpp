#include <gtest/gtest.h>

#include <unistd.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <random>
#include <string>

#include "RecordFile.h"
#include "RecordRow.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZEMMICK_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEMMICK_LEAK_CHECK 1
#endif
#endif
#if defined(ZEMMICK_LEAK_CHECK)
#include <sanitizer/lsan_interface.h>
#endif

using namespace records;

namespace {

std::string Printf(const char* format, double value)
{
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string PrintfInteger(int value, int width)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%*d", width, value);
    return buffer;
}

} // namespace

TEST(MakeRecordRow, FormatsEveryTextWithItsWidth)
{
    struct Case {
        const char* what;
        GameFigures figures;
        std::array<const char*, 11> texts;
    };
    const Case cases[] = {
        {"the game end's example", {250.0 / 171, 250, 275, 100, 5, 20, 100, 171, 9, 19, 5},
            {"    1.4620", "       250", "       275", "  100", "    5", "   20", "  100", "  171", "  9",
                " 19", "  5"}},
        {"negative score, cleared board", {-40.0 / 171, -40, 0, 0, 0, 0, 0, 171, 9, 19, 5},
            {"   -0.2339", "       -40", "         0", "    0", "    0", "    0", "    0", "  171", "  9",
                " 19", "  5"}},
        {"values wider than their fields stay whole",
            {-2147483648.0 / 64, -2147483647 - 1, 2550000, 600, 1600, 123450, 300, 1600, 40, 40, 6},
            {"-33554432.0000", "-2147483648", "   2550000", "  600", " 1600", "123450", "  300", " 1600",
                " 40", " 40", "  6"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RecordRow row = MakeRecordRow("who", c.figures, "2006/05/01 9:05:03");
        EXPECT_EQ(row.Texts[NameColumn], "who");
        for (std::size_t i = 0; i < c.texts.size(); ++i) {
            EXPECT_EQ(row.Texts[i + 1], c.texts[i]) << "figure " << i + 1;
        }
        EXPECT_EQ(row.Texts[TimeColumn], " 2006/05/01 9:05:03");
    }
}

// The formatting avoids printf for speed and for the locale; it must still
// print exactly what printf prints in the "C" locale.
TEST(MakeRecordRow, FormatsLikePrintfInTheCLocale)
{
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    for (const unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937_64 random(seed);
        for (int n = 0; n < 20000; ++n) {
            double value = 0;
            switch (n % 5) {
            case 0: // any finite double, huge and subnormal ones included
                do {
                    value = std::bit_cast<double>(random());
                } while (!std::isfinite(value));
                break;
            case 1: // a standard score of the game
                value = static_cast<double>(std::uniform_int_distribution<int>(-3000000, 3000000)(random))
                    / std::uniform_int_distribution<int>(64, 1600)(random);
                break;
            case 2: // the exact halves at the fourth decimal are the odd 32nds
                value = (2.0 * std::uniform_int_distribution<int>(-100000, 100000)(random) + 1) / 32;
                break;
            case 3: // close to a rounding boundary
                value = std::uniform_int_distribution<int>(-10000000, 10000000)(random) / 10000.0 + 0.00005;
                break;
            default:
                value = std::uniform_real_distribution<double>(-1e-3, 1e-3)(random);
            }
            ASSERT_EQ(FormatStandardScore(value), Printf("%10.4f", value)) << std::hexfloat << value;

            const int integer = static_cast<int>(static_cast<std::uint32_t>(random()) >> (random() % 32));
            const int width = FigureWidths[random() % FigureWidths.size()];
            ASSERT_EQ(FormatInteger(integer, width), PrintfInteger(integer, width));
            ASSERT_EQ(FormatInteger(-integer, width), PrintfInteger(-integer, width));
        }
    }
    EXPECT_EQ(FormatStandardScore(-0.0), Printf("%10.4f", -0.0));
    EXPECT_EQ(FormatInteger(-2147483647 - 1, 10), "-2147483648");
}

namespace {

// glibc keeps the search path it builds from LOCPATH when it loads a locale
// and never frees it; that is not this program's memory.
struct IgnoreLocaleLoaderLeaks {
#if defined(ZEMMICK_LEAK_CHECK)
    IgnoreLocaleLoaderLeaks()
    {
        __lsan_disable();
    }
    ~IgnoreLocaleLoaderLeaks()
    {
        __lsan_enable();
    }
#endif
};

// A locale whose decimal separator is a comma, as the player's may be: an
// installed one, else one compiled by localedef into a scratch directory
// (glibc finds it through LOCPATH).
class CommaLocale {
public:
    CommaLocale()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE"}) {
            if (Try(name)) {
                return;
            }
        }
        // A folder per process: test cases run side by side.
        const std::string directory = testing::TempDir() + "zemmick-locales-" + std::to_string(::getpid());
        const std::string command = "mkdir -p '" + directory + "' && localedef -i de_DE -f ISO-8859-1 '"
            + directory + "/de_DE.ISO-8859-1' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            return;
        }
        const char* old = std::getenv("LOCPATH");
        oldLocPath_ = old ? old : "";
        hadLocPath_ = old != nullptr;
        setenv("LOCPATH", directory.c_str(), 1);
        changedLocPath_ = true;
        Try("de_DE.ISO-8859-1");
    }
    ~CommaLocale()
    {
        if (changedLocPath_) {
            hadLocPath_ ? setenv("LOCPATH", oldLocPath_.c_str(), 1) : unsetenv("LOCPATH");
        }
    }
    const std::string& name() const { return name_; }

private:
    bool Try(const char* name)
    {
        [[maybe_unused]] IgnoreLocaleLoaderLeaks ignore;
        locale_t locale = newlocale(LC_NUMERIC_MASK, name, locale_t{});
        if (locale == locale_t{}) {
            return false;
        }
        const bool comma = std::string(nl_langinfo_l(RADIXCHAR, locale)) == ",";
        freelocale(locale);
        if (comma) {
            name_ = name;
        }
        return comma;
    }

    std::string name_;
    std::string oldLocPath_;
    bool hadLocPath_ = false;
    bool changedLocPath_ = false;
};

} // namespace

// The windows' toolkit sets the C library's locale from the environment, so
// under a German locale printf writes "6,3450"; the record keeps a point.
TEST(MakeRecordRow, KeepsAPointUnderACommaLocale)
{
    CommaLocale comma;
    if (comma.name().empty()) {
        GTEST_SKIP() << "no locale with a decimal comma is installed and localedef could not build de_DE";
    }
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    {
        [[maybe_unused]] IgnoreLocaleLoaderLeaks ignore;
        ASSERT_NE(std::setlocale(LC_NUMERIC, comma.name().c_str()), nullptr);
    }
    const std::string underComma = Printf("%10.4f", 6.345);
    const RecordRow row
        = MakeRecordRow("who", {1085.0 / 171, 1085, 1000, 200, 5, 10, 100, 171, 9, 19, 3}, "t");
    const std::vector<RecordRow> read = ReadRecordFile(
        "who                     6.3450      1085      1000  200    5   10  100  171  9 19  3 t\r\n"
        "who                 -1.5 -171 0 0 171 0 0 171 9 19 5 t\r\n");
    std::setlocale(LC_NUMERIC, before.c_str());

    ASSERT_EQ(underComma, "    6,3450") << "the locale " << comma.name() << " does not write a comma";
    EXPECT_EQ(row.Texts[1], "    6.3450");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].Texts[1], "    6.3450");
    EXPECT_EQ(read[1].Texts[1], "   -1.5000");
}
