// The score summary: its figures, its layout with them, and its toggle.
#include <functional>

#include "Point1.h"
#include "UiTestSupport.h"

using ScoreSummary = UiTest;

TEST_F(ScoreSummary, ShowsTheFiguresOfAFreshGame)
{
    Form3->FormShow();
    const std::pair<TLabel*, QString> expected[] = {
        {Form3->Label7, "0"},
        {Form3->Label8, "0"},
        {Form3->Label9, "-171"},
        {Form3->Label10, "0"},
        {Form3->Label16, "0"},
        {Form3->Label11, "-171"},
        {Form3->Label12, TForm3::StandardScoreText(-1.0)},
        {Form3->Label14, QStringLiteral("171 枚")},
        {Form3->Label18, QStringLiteral("（縦 9 × 横 19）")},
        {Form3->Label19, QStringLiteral("5 種類")},
    };
    for (const auto& [label, text] : expected)
        EXPECT_EQ(label->text(), text) << label->objectName().toStdString();
}

TEST_F(ScoreSummary, ItsLayoutHoldsFromAFreshGameToTheLargestBoard)
{
    EXPECT_EQ(Form3->minimumSize(), Form3->maximumSize()); // a fixed frame
    TLabel* const rightAligned[]
        = {Form3->Label7, Form3->Label8, Form3->Label9, Form3->Label10, Form3->Label16, Form3->Label11};
    const struct {
        const char* what;
        int columns, rows, kinds;
        std::function<void()> play;
    } cases[] = {
        {"a fresh game", 19, 9, 5, [] {}},
        {"the largest board", 40, 40, 6, [] {}},
        {"the smallest board", 8, 8, 3, [] {}},
        // Values of five figures on the largest board.
        {"a high score", 40, 40, 6,
            [] {
                Game.Score = 99999;
                Game.BonusPoints = 600;
                Game.RemainingPanels = 0;
            }},
        {"deep in debt", 40, 40, 6,
            [] {
                Game.Score = -9999;
                Game.UndoPoints = -8000;
                Game.PotionPoints = -300;
            }},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.what);
        Resize(t.columns, t.rows, t.kinds);
        t.play();
        Form3->FormShow();
        EXPECT_EQ(LayoutFaults(Form3), QStringList());
        // The values of the first six lines end at one right edge.
        for (TLabel* value : rightAligned)
            EXPECT_EQ(value->geometry().right(), Form3->Label7->geometry().right())
                << value->objectName().toStdString();
    }
}

TEST_F(ScoreSummary, WritesTheStandardScoreWithFourTrueDecimals)
{
    QLocale::setDefault(QLocale::c());
    const std::pair<double, const char*> cases[]
        = {{1085.0 / 171, "6.3450"}, {-1.0, "-1.0000"}, {150.0, "150.0000"}, {1.0 / 1600, "0.0006"},
            {0.0, "0.0000"}, {-40.0 / 171, "-0.2339"}, {1596.0, "1596.0000"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(TForm3::StandardScoreText(value), QString::fromLatin1(text)) << value;
    // Only the separator is the user's: no other minus sign, no other digits.
    const std::pair<QLocale, QString> locales[] = {{QLocale(QLocale::German), QStringLiteral("-6,3450")},
        {QLocale(QLocale::Swedish, QLocale::Sweden), QStringLiteral("-6,3450")},
        {QLocale(QLocale::Arabic, QLocale::Egypt), QStringLiteral("-6٫3450")},
        {QLocale(QLocale::Persian, QLocale::Iran), QStringLiteral("-6٫3450")},
        {QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("-6.3450")}};
    for (const auto& [locale, text] : locales) {
        QLocale::setDefault(locale);
        EXPECT_EQ(TForm3::StandardScoreText(-6.345029), text) << locale.name().toStdString();
    }
    QLocale::setDefault(QLocale::system());
}

TEST_F(ScoreSummary, ALongStandardScoreGrowsToTheLeftInsideTheWindow)
{
    Form3->Label12->setCaption("0");
    const int place = Form3->Label12->x();
    Game.Score = 150 * Game.PanelTotal;
    Form3->FormShow();
    EXPECT_LT(Form3->Label12->x(), place);
    EXPECT_LE(Form3->Label12->geometry().right() + 1, Form3->width());
    EXPECT_EQ(Form3->Label12->width(),
        QFontMetrics(Form3->Label12->font()).horizontalAdvance(Form3->Label12->text()));
    // A value that fits again stands at its place again.
    Form3->Label12->setCaption("0");
    EXPECT_EQ(Form3->Label12->x(), place);
}

TEST_F(ScoreSummary, FollowsUndoAndPotionUses)
{
    LoadBoard(3, Checkered({"11212121"}));
    const int start = Game.Score;
    Hover(1, 1);
    ClickCell(1, 1);
    Form1->BtnPrevious->click();
    EXPECT_EQ(Form3->Label10->text(), "-10");
    for (int use = 0; use < 2; ++use) {
        Form1->BitBtn1->click();
        Hover(4 + use, 4);
        ClickCell(4 + use, 4);
    }
    EXPECT_EQ(Form3->Label16->text(), "-200");
    EXPECT_EQ(Form3->Label11->text(), QString::number(start - 10 - 200));
    EXPECT_EQ(Form3->Label7->text(), "0");
}
