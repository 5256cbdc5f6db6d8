// The main window: its layout, the board setup on screen, and play through
// real mouse and keyboard events.
#include <QCursor>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <tuple>

#include "Infoshow1.h"
#include "Point1.h"
#include "Pointrec1.h"
#include "UiTestSupport.h"

using engine::EmptyCell;

namespace {

bool ShowsPanel(TImage* cell, int kind, bool outlined)
{
    return cell->surface() == PanelPixels(kind, outlined);
}

} // namespace

using MainWindow = UiTest;

TEST_F(MainWindow, StartsWithTheDealAndTheCaptionsOfAFreshGame)
{
    EXPECT_EQ(Form1->objectName(), "Form1");
    EXPECT_EQ(Form1->windowTitle(), QStringLiteral("ゼミック(Zemmick)：パネルを消そう"));
    EXPECT_EQ(Form1->Label2->text(), "171");
    EXPECT_EQ(Form1->Label11->text(), "-171");
    EXPECT_EQ(Form1->Label9->text(), "0");
    EXPECT_EQ(Form1->Button1->text(), QStringLiteral("得点表示ON"));
    EXPECT_EQ(Form1->Button2->text(), QStringLiteral("記録表示ON"));
    EXPECT_EQ(Form1->BitBtn1->text(), QStringLiteral("魔法薬 3"));
    EXPECT_EQ(Form1->BBtnClose->text(), QStringLiteral("閉じる(&C)"));
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_FALSE(Form4->isVisible());
    EXPECT_FALSE(Form5->isVisible());
    EXPECT_EQ(dialogs::ApplicationTitle(), "Zemmickp1");
    EXPECT_EQ(Form1->font().pixelSize(), 12);
}

TEST_F(MainWindow, ItsLayoutHoldsAtEveryBoardSize)
{
    // The buttons of the row share their edges; a count of three digits or
    // a long group text stands over the next picture.
    std::vector<std::pair<QString, QString>> mayOverlap
        = {{"BtnConfig", "BtnNewPanel"}, {"BtnNewPanel", "BtnRetry"}, {"BtnRetry", "BtnPrevious"},
            {"BtnPrevious", "BitBtn1"}, {"BitBtn1", "Button1"}, {"Button1", "Button2"},
            {"Button2", "Button3"}, {"Button3", "BBtnClose"}, {"Label9", "LegendImage1"}};
    const char* const counts[] = {"Label3", "Label4", "Label5", "Label6", "Label7"};
    for (int kind = 1; kind <= 5; ++kind)
        mayOverlap.push_back({counts[kind - 1], QStringLiteral("LegendImage%1").arg(kind + 1)});
    // Each control within the window, no other overlap, every font the
    // program's face: on the narrowest window and on the largest board.
    for (const auto& [columns, rows, kinds] : {std::tuple{19, 9, 5}, {8, 8, 3}, {40, 40, 6}}) {
        SCOPED_TRACE(testing::Message() << columns << " x " << rows);
        Resize(columns, rows, kinds);
        EXPECT_EQ(LayoutFaults(Form1, mayOverlap), QStringList());
    }
}

TEST_F(MainWindow, TabVisitsTheButtonsInTheirOrderThenTheBoard)
{
    EXPECT_EQ(FocusChain(Form1->BtnRetry, 11),
        QStringList({"BtnRetry", "BtnPrevious", "BBtnClose", "BtnNewPanel", "BtnConfig", "Button1", "BitBtn1",
            "Button2", "Button3", "Panel1", "BtnRetry"}));
}

TEST_F(MainWindow, WindowAndBoardFitTheSettings)
{
    struct Case {
        int columns, rows, kinds;
        QSize window, panel;
    };
    for (const Case& t : {Case{19, 9, 5, {670, 410}, {618, 298}}, Case{8, 8, 3, {670, 378}, {266, 266}},
             Case{20, 9, 5, {673, 410}, {650, 298}}, Case{40, 40, 6, {1313, 1402}, {1290, 1290}}}) {
        SCOPED_TRACE(testing::Message() << t.columns << " x " << t.rows);
        Resize(t.columns, t.rows, t.kinds);
        EXPECT_EQ(Form1->size(), t.window);
        EXPECT_EQ(Form1->Panel1->geometry(), QRect(QPoint(8, 72), t.panel));

        TImage* first = Cell(1, 1);
        EXPECT_EQ(first->geometry(), QRect(5, (t.rows - 1) * 32 + 5, 32, 32));
        EXPECT_EQ(first->property("Tag").toInt(), 101);
        EXPECT_EQ(first->parentWidget(), Form1->Panel1);
        TImage* last = Cell(t.columns, t.rows);
        EXPECT_EQ(last->geometry(), QRect((t.columns - 1) * 32 + 5, 5, 32, 32));
        EXPECT_EQ(last->property("Tag").toInt(), engine::CellTag(t.columns, t.rows));
        EXPECT_EQ(Form1->Panel1->findChildren<TImage*>().size(), t.columns * t.rows);
        for (int c = 1; c <= t.columns; ++c)
            for (int r = 1; r <= t.rows; ++r)
                ASSERT_TRUE(ShowsPanel(Cell(c, r), Game.Board[c][r], false)) << c << "," << r;
    }
}

TEST_F(MainWindow, LegendShowsTheKindsInPlayWithTheirCounts)
{
    for (int kinds : {3, 5, 6}) {
        SCOPED_TRACE(kinds);
        Resize(19, 9, kinds);
        TLabel* const counts[]
            = {Form1->Label3, Form1->Label4, Form1->Label5, Form1->Label6, Form1->Label7, Form1->Label12};
        for (int k = 1; k <= 6; ++k) {
            TImage* legend = Form1->LegendImages[k];
            if (k > kinds) {
                EXPECT_EQ(legend, nullptr);
                EXPECT_EQ(counts[k - 1]->text(), QString());
                continue;
            }
            ASSERT_NE(legend, nullptr);
            EXPECT_EQ(legend->parentWidget(), Form1);
            EXPECT_EQ(legend->geometry(), QRect(70 * k + 45, 32, 32, 32));
            EXPECT_EQ(legend->surface(), PanelPixels(k, false));
            EXPECT_EQ(counts[k - 1]->text(), QString::number(Game.KindCounts[k]));
            EXPECT_EQ(counts[k - 1]->x(), legend->x() + 33);
        }
        EXPECT_EQ(Form1->findChildren<TImage*>(QString(), Qt::FindDirectChildrenOnly).size(), kinds);
    }
}

TEST_F(MainWindow, WithoutTheUndoStoreNothingActsOnMissingCells)
{
    engine::MoveHistory::AllocationLimit = 10;
    Resize(40, 40, 6);
    engine::MoveHistory::AllocationLimit = SIZE_MAX;
    EXPECT_EQ(dialogs.texts("message"), QStringList{QStringLiteral("動的記憶領域が確保できません")});
    EXPECT_TRUE(Form1->Panel1->findChildren<TImage*>().isEmpty());
    for (QPushButton* b : {Form1->BtnNewPanel, Form1->BtnRetry, Form1->BtnPrevious, Form1->BitBtn1})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(Form1->BtnConfig->isEnabled());
    // What can still run must not touch the cells.
    Form1->BtnRetryClick(Form1->BtnRetry);
    Form1->BtnNewPanelClick(Form1->BtnNewPanel);
    Form1->BtnPreviousClick(Form1->BtnPrevious);
    MoveOnForm(BareSpot());
    Form3->FormShow();
    // A later setup that works offers everything again.
    Resize(19, 9, 5);
    for (QPushButton* b : {Form1->BtnNewPanel, Form1->BtnRetry, Form1->BtnPrevious, Form1->BitBtn1})
        EXPECT_TRUE(b->isEnabled());
}

TEST_F(MainWindow, BeforeAnyBoardTheStandardScoreIsZeroNotADivisionByZero)
{
    // Before the first board every counter is 0.
    Game.PanelTotal = 0;
    Form3->FormShow();
    EXPECT_EQ(Form3->Label12->text(), TForm3::StandardScoreText(0.0));
}

TEST_F(MainWindow, ClosingItEndsTheProgramWhileOtherWindowsAreOpen)
{
    Form1->Button1Click(Form1->Button1);
    Form1->Button3Click(Form1->Button3);
    ASSERT_TRUE(Form3->isVisible());
    QTimer::singleShot(0, Form1, [] { Form1->BBtnClose->click(); });
    QTimer stillRunning; // firing would mean the program kept running
    stillRunning.setSingleShot(true);
    QObject::connect(&stillRunning, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    stillRunning.start(5000);
    EXPECT_EQ(App().exec(), 0);
    EXPECT_TRUE(Form1->Panel1->findChildren<TImage*>().isEmpty()); // the pictures went with it
}

// --- Hover --------------------------------------------------------------------------

TEST_F(MainWindow, HoverOutlinesExactlyTheGroup)
{
    LoadBoard(
        3, {"11223111", "12233111", "33211111", "12121212", "21212121", "12121212", "21212121", "12121213"});
    // The 2 at (3, 6) joins (3, 7), (2, 7), (3, 8) and (4, 8).
    const int expected = 5;
    Hover(3, 6);
    EXPECT_EQ(Game.GroupSize, expected);
    EXPECT_EQ(Form1->Label9->text(), "5(+9)");
    std::vector<QImage> before;
    for (int c = 1; c <= 8; ++c)
        for (int r = 1; r <= 8; ++r) {
            const bool in = Game.GroupMark[c][r] == 1;
            ASSERT_TRUE(ShowsPanel(Cell(c, r), Game.Board[c][r], in)) << c << "," << r;
            before.push_back(Cell(c, r)->surface());
        }

    // A neighbour in the same group gives back the same pixels.
    const int nc = 3, nr = 7;
    Hover(nc, nr);
    std::size_t i = 0;
    for (int c = 1; c <= 8; ++c)
        for (int r = 1; r <= 8; ++r)
            ASSERT_EQ(Cell(c, r)->surface(), before[i++]) << c << "," << r;

    // The bare window takes every outline off; the group size stays.
    MoveOnForm(BareSpot());
    EXPECT_EQ(Form1->Label9->text(), "0");
    EXPECT_EQ(Game.GroupSize, expected);
    EXPECT_TRUE(NothingOutlined());
}

TEST_F(MainWindow, MovesOverControlsAndTheBoardMarginLeaveTheOutline)
{
    LoadBoard(3, Checkered({"33212121"}));
    Hover(1, 1);
    ASSERT_EQ(Game.GroupSize, 2);
    const QPoint overPanelMargin = Form1->Panel1->geometry().topLeft() + QPoint(2, 2);
    for (const QPoint at : {Form1->Label1->geometry().center(), Form1->Label11->geometry().center(),
             Form1->BtnRetry->geometry().center(), Form1->LegendImages[1]->geometry().center(),
             overPanelMargin}) {
        SCOPED_TRACE(testing::Message() << at.x() << "," << at.y());
        MoveOnForm(at);
        EXPECT_EQ(Form1->Label9->text(), "2(+0)");
        EXPECT_EQ(Game.GroupMark[1][1], 1);
        EXPECT_TRUE(ShowsPanel(Cell(1, 1), 3, true));
    }
}

// --- Moves and undo ----------------------------------------------------------------

TEST_F(MainWindow, AMoveAndItsUndoRestoreTheExactPictures)
{
    LoadBoard(3, Checkered({"13121212", "33212121"}));
    Form1->Button1Click(Form1->Button1); // the summary follows every change
    std::vector<QImage> dealt;
    for (int c = 1; c <= 8; ++c)
        for (int r = 1; r <= 8; ++r)
            dealt.push_back(Cell(c, r)->surface());
    const int score = Game.Score;
    // What the board shows on screen, painted from the cells.
    const auto onScreen = [](int c, int r) {
        QCoreApplication::processEvents();
        return Form1->Panel1->grab(Form1->CellImages[c][r]->geometry())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };

    Hover(1, 1);
    ASSERT_EQ(Game.GroupSize, 3);
    EXPECT_EQ(onScreen(1, 1), PanelPixels(3, true));
    EXPECT_EQ(onScreen(3, 3), PanelPixels(Game.Board[3][3], false));
    ClickCell(1, 1);
    EXPECT_EQ(Game.Score, score + engine::MovePoints(3) + 100); // the only 3s: a kind cleared
    EXPECT_EQ(Form1->Label11->text(), QString::number(Game.Score));
    EXPECT_EQ(Form1->Label2->text(), "61");
    EXPECT_EQ(Form1->Label5->text(), "0");
    EXPECT_EQ(Form1->Label9->text(), "0");
    EXPECT_EQ(Form3->Label11->text(), QString::number(Game.Score));
    EXPECT_TRUE(Cell(1, 8)->cleared());
    EXPECT_TRUE(ShowsPanel(Cell(1, 1), 1, false)); // fell from row 2
    EXPECT_EQ(onScreen(1, 1), PanelPixels(1, false));
    // An emptied cell shows the board behind it, not a white square.
    const QImage empty = onScreen(1, 8);
    EXPECT_NE(empty.pixel(16, 16), qRgb(255, 255, 255));
    EXPECT_EQ(empty.pixel(16, 16), empty.pixel(1, 1));

    // A second click without a new hover erases nothing.
    ClickCell(1, 1);
    EXPECT_EQ(Game.History.top(), 4u);

    PressSpace(Form1->BtnPrevious);
    EXPECT_EQ(Game.Score, score - 10);
    EXPECT_EQ(Form3->Label10->text(), "-10");
    std::size_t i = 0;
    for (int c = 1; c <= 8; ++c)
        for (int r = 1; r <= 8; ++r)
            ASSERT_EQ(Cell(c, r)->surface(), dealt[i++]) << c << "," << r;
}

TEST_F(MainWindow, UndoBySpaceLeavesNoStrayOutline)
{
    LoadBoard(3, Checkered({"11121212", "22212121"}));
    Hover(1, 2);
    ClickCell(1, 2); // the 1s
    Hover(1, 1); // the 2s now outlined
    ASSERT_GE(Game.GroupSize, 2);
    PressSpace(Form1->BtnPrevious); // the pointer rests on (1, 1)
    EXPECT_TRUE(NothingOutlined());
    // Clicking without moving erases nothing: the group size is gone.
    ClickCell(1, 1);
    EXPECT_TRUE(Game.History.empty());
    // The next hover outlines exactly its own group.
    Hover(1, 2);
    int outlined = 0;
    for (int c = 1; c <= 8; ++c)
        for (int r = 1; r <= 8; ++r)
            outlined += Cell(c, r)->surface() == PanelPixels(Game.Board[c][r], true) ? 1 : 0;
    EXPECT_EQ(outlined, Game.GroupSize);
}

TEST_F(MainWindow, AFinishedGameReachesTheGameEnd)
{
    // A checkerboard but for two 3s at the bottom of the last column.
    LoadBoard(3, Checkered({"12121213", "21212123"}));
    dialogs.answers = {dialogs::Answer::No};
    Hover(8, 1);
    ClickCell(8, 1);
    EXPECT_EQ(
        dialogs.texts("question"), QStringList{QStringLiteral("ゲームが終了しました。結果を記録しますか？")});
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_EQ(Game.Score, -64); // a new deal
}

// --- Magic potion ---------------------------------------------------------------------

TEST_F(MainWindow, PotionModeDisablesTheBoardCommandsAndShowsTheHelpCursor)
{
    QPushButton* const switched[]
        = {Form1->BtnConfig, Form1->BtnNewPanel, Form1->BtnRetry, Form1->BtnPrevious, Form1->Button1};
    PressSpace(Form1->BitBtn1);
    ASSERT_TRUE(Game.PotionMode);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);
    for (QPushButton* b : switched)
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    for (QPushButton* b : {Form1->BitBtn1, Form1->Button2, Form1->Button3, Form1->BBtnClose})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();

    PressSpace(Form1->BitBtn1);
    EXPECT_FALSE(Game.PotionMode);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    for (QPushButton* b : switched)
        EXPECT_TRUE(b->isEnabled());
    EXPECT_EQ(Game.Score, -171);
    EXPECT_EQ(Form1->BitBtn1->text(), QStringLiteral("魔法薬 3"));
}

TEST_F(MainWindow, ThePotionChangesTheClickedPanelForAHundredPoints)
{
    LoadBoard(3, Checkered({}));
    const int score = Game.Score;
    Form1->BitBtn1->click();
    Hover(4, 4);
    EXPECT_EQ(Game.Board[4][4], Game.InitialBoard[4][4] + 10);
    QImage flask = PanelPixels(Game.InitialBoard[4][4], false);
    ImageList().draw(flask, 0);
    EXPECT_EQ(Cell(4, 4)->surface(), flask);
    Hover(5, 5); // moving on restores the panel
    EXPECT_TRUE(ShowsPanel(Cell(4, 4), Game.Board[4][4], false));

    const int before = Game.Board[5][5] - 10;
    ClickCell(5, 5);
    EXPECT_FALSE(Game.PotionMode);
    EXPECT_NE(Game.Board[5][5], before);
    EXPECT_TRUE(ShowsPanel(Cell(5, 5), Game.Board[5][5], false));
    EXPECT_EQ(Game.Score, score - 100);
    EXPECT_EQ(Form3->Label16->text(), "-100");
    EXPECT_EQ(Form1->BitBtn1->text(), QStringLiteral("魔法薬 2"));
    // The main label catches up at the next change.
    EXPECT_EQ(Form1->Label11->text(), QString::number(score));
    EXPECT_TRUE(Game.History.empty());
}

TEST_F(MainWindow, SwitchingThePotionOffByKeyboardRestoresTheTarget)
{
    LoadBoard(3, Checkered({"11121212", "21212121"}));
    PressSpace(Form1->BitBtn1);
    Hover(1, 2); // a group, with the target on it
    ASSERT_EQ(Game.Board[1][2], 11);
    PressSpace(Form1->BitBtn1); // the pointer still rests on the cell
    EXPECT_TRUE(NothingOutlined());
    EXPECT_EQ(Form1->Label9->text(), "0");
    ClickCell(1, 2); // without a new hover: nothing is erased
    EXPECT_TRUE(Game.History.empty());
    // And the undo, restart and refresh that follow see plain kinds.
    PressSpace(Form1->BtnRetry);
    EXPECT_EQ(Game.KindCounts[1] + Game.KindCounts[2], 64);
}

TEST_F(MainWindow, ApplyingThePotionKeepsTheOtherOutlinesOfTheGroup)
{
    LoadBoard(3, Checkered({"11121212", "21212121"}));
    Form1->BitBtn1->click();
    Hover(1, 2); // the 1s around (1, 2), with the target on (1, 2)
    ClickCell(1, 2);
    EXPECT_EQ(Game.GroupMark[2][2], 1);
    EXPECT_TRUE(ShowsPanel(Cell(2, 2), 1, true));
    Hover(8, 8);
    EXPECT_TRUE(ShowsPanel(Cell(2, 2), 1, false));
}

TEST_F(MainWindow, AfterThreeUsesThePotionRefusesAndTheFocusMovesToUndo)
{
    for (int use = 0; use < 3; ++use) {
        Form1->BitBtn1->click();
        Hover(1 + use, 1);
        ClickCell(1 + use, 1);
    }
    EXPECT_EQ(Form1->BitBtn1->text(), QStringLiteral("魔法薬 0"));
    EXPECT_EQ(Game.PotionPoints, -300);
    PressSpace(Form1->BitBtn1);
    EXPECT_FALSE(Game.PotionMode);
    EXPECT_EQ(
        dialogs.texts("message"), QStringList{QStringLiteral("魔法薬は既に3回使ったため、利用できません")});
    EXPECT_EQ(QApplication::focusWidget(), Form1->BtnPrevious);
    EXPECT_EQ(Game.PotionPoints, -300);
    PressSpace(Form1->BtnRetry);
    EXPECT_EQ(Form1->BitBtn1->text(), QStringLiteral("魔法薬 3"));
    EXPECT_EQ(Game.PotionPoints, 0);
}

TEST_F(MainWindow, AClosedWindowOutsideTheLoopLeavesLaterLoopsAlone)
{
    Form1->close(); // no event loop runs here
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        QCoreApplication::exit(7);
    });
    EXPECT_EQ(App().exec(), 7);
    EXPECT_TRUE(ran);
}

TEST_F(MainWindow, ShowingItAgainDoesNotDealAgain)
{
    Hover(1, 1);
    ClickCell(1, 1);
    const std::size_t moves = Game.History.top();
    TImage* cell = Cell(1, 1);
    // What a window system does when a minimised window comes back.
    Form1->showMinimized();
    Form1->showNormal();
    Form1->hide(); // and as it does when the window is unmapped and mapped again
    Form1->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(Cell(1, 1), cell);
    EXPECT_EQ(Game.History.top(), moves);
    EXPECT_EQ(Form1->Panel1->findChildren<TImage*>().size(), 171);
}

// --- The potion target never outlives the mode ---------------------------------------

TEST_F(MainWindow, APotionTargetLeftByADragOrAModalBoxDoesNotSurviveTheMode)
{
    LoadBoard(3, Checkered({"11121212", "21212121"}));
    QWindow* window = Form1->windowHandle();
    const auto at = [](int c, int r) { return Form1->CellImages[c][r]->mapTo(Form1, QPoint(16, 16)); };
    const auto noTargetLeft = [] {
        for (int c = 1; c <= Game.ColumnCount; ++c)
            for (int r = 1; r <= Game.RowCount; ++r)
                if (Game.Board[c][r] >= engine::PotionTargetOffset)
                    return testing::AssertionFailure() << "target left at " << c << "," << r;
        return testing::AssertionSuccess();
    };

    // Pressed on (1, 2), dragged to (2, 2) and released there: the pointer
    // stays with the pressed cell, so (1, 2) is still the target when (2, 2)
    // is then clicked without a move.
    PressSpace(Form1->BitBtn1);
    QTest::mouseMove(window, at(1, 2));
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, at(1, 2));
    QTest::mouseMove(window, at(2, 2));
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, at(2, 2));
    ASSERT_TRUE(Game.PotionMode);
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at(2, 2));
    EXPECT_FALSE(Game.PotionMode);
    EXPECT_TRUE(noTargetLeft());
    EXPECT_TRUE(ShowsPanel(Cell(1, 2), Game.Board[1][2] % 10, Game.GroupMark[1][2] == 1));
    PressSpace(Form1->BtnPrevious);
    EXPECT_TRUE(dialogs.texts("error").isEmpty()) << dialogs.texts("error").join("|").toStdString();
}

// --- The other windows and the figures ---------------------------------------------

TEST_F(MainWindow, ItsButtonsToggleTheOtherWindowsAndBringBackMinimisedOnes)
{
    const struct {
        QWidget* window;
        QPushButton* button;
        QString shown, hidden; // the button's caption; none for the one that only shows
    } cases[] = {{Form3, Form1->Button1, QStringLiteral("得点表示OFF"), QStringLiteral("得点表示ON")},
        {Form4, Form1->Button2, QStringLiteral("記録表示OFF"), QStringLiteral("記録表示ON")},
        {Form5, Form1->Button3, {}, {}}};
    for (const auto& t : cases) {
        SCOPED_TRACE(t.window->objectName().toStdString());
        const bool toggles = !t.shown.isEmpty();
        if (toggles) {
            t.button->click();
            EXPECT_TRUE(t.window->isVisible());
            EXPECT_EQ(t.button->text(), t.shown);
            t.button->click();
            EXPECT_FALSE(t.window->isVisible());
            EXPECT_EQ(t.button->text(), t.hidden);
            t.button->click();
            t.window->close(); // the close box
            EXPECT_FALSE(t.window->isVisible());
            EXPECT_EQ(t.button->text(), t.hidden);
        }
        t.button->click();
        t.window->showMinimized();
        ASSERT_TRUE(t.window->isMinimized());
        if (toggles)
            t.button->click(); // hides it
        t.button->click();
        EXPECT_TRUE(t.window->isVisible());
        EXPECT_FALSE(t.window->isMinimized());
    }

    // The summary shows what changed while it was hidden.
    Form1->Button1->click();
    Game.Score = -100;
    Form1->Button1->click();
    EXPECT_EQ(Form3->Label11->text(), "-100");

    // A game that ends with the summary minimised shows its final score.
    Form3->showMinimized();
    dialogs.answers = {dialogs::Answer::No};
    Form1->CheckGameEnd(Form1);
    EXPECT_FALSE(Form3->isMinimized());
    EXPECT_EQ(Form1->Button1->text(), QStringLiteral("得点表示OFF"));
}

TEST_F(MainWindow, FiguresAreNeverCutOrHidden)
{
    // The score grows to the left at the window's edge, "得点=" with it.
    ASSERT_EQ(Form1->width(), 670);
    for (const int score : {-1058, 12345, -99999}) {
        Game.Score = score;
        Form1->RefreshAfterChange(Form1);
        SCOPED_TRACE(score);
        EXPECT_EQ(Form1->Label11->text(), QString::number(score));
        EXPECT_LE(Form1->Label11->geometry().right(), Form1->width() - 1);
        EXPECT_LE(Form1->Label10->geometry().right(), Form1->Label11->x());
    }
    // Nothing moves when the figure fits.
    PressSpace(Form1->BtnRetry);
    EXPECT_EQ(Form1->Label10->pos(), QPoint(544, 32));
    EXPECT_EQ(Form1->Label11->pos(), QPoint(608, 32));

    // A count of three digits and a long group text stand above the
    // pictures they reach.
    Form1->Label3->setCaption("1600");
    Form1->Label9->setCaption("24(+484)");
    for (TLabel* label : {Form1->Label3, Form1->Label9}) {
        SCOPED_TRACE(label->objectName().toStdString());
        const QRect over
            = label->geometry() & Form1->LegendImages[label == Form1->Label3 ? 2 : 1]->geometry();
        ASSERT_FALSE(over.isEmpty());
        EXPECT_EQ(Form1->childAt(over.center()), label);
    }
}

TEST_F(MainWindow, TheCloseButtonShowsTheStandardCloseIcon)
{
    // Looked up only once the window is shown, but there when it shows.
    const QIcon standard = Form1->style()->standardIcon(QStyle::SP_DialogCloseButton);
    ASSERT_FALSE(standard.isNull());
    for (int size : {16, 32})
        EXPECT_EQ(Form1->BBtnClose->icon().pixmap(size).toImage(), standard.pixmap(size).toImage()) << size;
}
