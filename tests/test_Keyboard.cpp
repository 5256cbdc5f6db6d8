// Play from the keyboard: the board's cell cursor, its focus frame, and the
// shortcuts of the buttons, all through real key events.
#include <QApplication>
#include <QFile>
#include <QInputDialog>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <optional>

#include "About.h"
#include "Infoshow1.h"
#include "Panelconfig1.h"
#include "Point1.h"
#include "Pointrec1.h"
#include "RecordFile.h"
#include "UiTestSupport.h"

namespace {

class Keyboard : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        Form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    }

    // From the first button, Tab goes along the button row to the board.
    void TabToBoard()
    {
        Form1->BtnRetry->setFocus();
        for (int i = 0; i < 20 && QApplication::focusWidget() != Form1->Panel1; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), Form1->Panel1);
    }

    static void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }

    // Walks the cursor to a cell with the arrow keys; the last key hovers it.
    static void CursorTo(int column, int row)
    {
        if (Form1->CursorColumn == column && Form1->CursorRow == row)
            Key(column > 1 ? Qt::Key_Left : Qt::Key_Right);
        while (Form1->CursorColumn != column)
            Key(Form1->CursorColumn < column ? Qt::Key_Right : Qt::Key_Left);
        while (Form1->CursorRow != row)
            Key(Form1->CursorRow < row ? Qt::Key_Up : Qt::Key_Down);
    }

    // The pixels of every cell and the group text: what a hover shows.
    static std::pair<std::vector<QImage>, QString> Shown()
    {
        std::vector<QImage> cells;
        for (int c = 1; c <= Game.ColumnCount; ++c)
            for (int r = 1; r <= Game.RowCount; ++r)
                cells.push_back(Form1->CellImages[c][r]->surface());
        return {cells, Form1->Label9->text()};
    }

    // The board's pixels around the cursor's cell, one pixel outside it.
    static std::vector<QRgb> Ring(const QImage& board, QRect cell)
    {
        const QRect ring = cell.adjusted(-1, -1, 1, 1);
        std::vector<QRgb> pixels;
        for (int x = ring.left(); x <= ring.right(); ++x)
            pixels.insert(pixels.end(), {board.pixel(x, ring.top()), board.pixel(x, ring.bottom())});
        for (int y = ring.top(); y <= ring.bottom(); ++y)
            pixels.insert(pixels.end(), {board.pixel(ring.left(), y), board.pixel(ring.right(), y)});
        return pixels;
    }
};

} // namespace

TEST_F(Keyboard, AWholeGameIsPlayedWithTheKeysAlone)
{
    LoadBoard(3, OnEmpty({"11122233", "11122233"}));
    // The boxes at the end are Qt's own, answered by keys as a player would:
    // Y for "はい(&Y)", then a name typed over "who".
    dialogs::DialogSeam* scripted = dialogs::Install(nullptr);
    constexpr std::chrono::minutes patience(1);
    std::optional<ModalAnswer> nameBox;
    ModalAnswer question(
        [&](QWidget* box) {
            EXPECT_NE(qobject_cast<QMessageBox*>(box), nullptr);
            nameBox.emplace(
                [](QWidget* input) {
                    EXPECT_NE(qobject_cast<QInputDialog*>(input), nullptr);
                    auto* edit = input->findChild<QLineEdit*>();
                    ASSERT_NE(edit, nullptr);
                    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
                    QTest::keyClicks(edit, "kbd");
                    QTest::keyClick(edit, Qt::Key_Return);
                },
                nullptr, patience);
            QTest::keyClick(box, Qt::Key_Y);
        },
        nullptr, patience);

    TabToBoard();
    int moves = 0;
    while (const auto cell = AnyGroup()) {
        ASSERT_LT(++moves, 30);
        CursorTo(cell->column, cell->row);
        ASSERT_GE(Game.GroupSize, 2) << "the key's hover outlines the group";
        EXPECT_EQ(Form1->Label9->text(), QString::fromStdString(engine::GroupText(Game.GroupSize)));
        const int panels = Game.RemainingPanels;
        Key(moves % 2 ? Qt::Key_Space : Qt::Key_Return);
        if (Form4->Table.rowCount() > 0)
            break; // the game ended and a new deal came
        ASSERT_LT(Game.RemainingPanels, panels) << "Space or Enter erased the group";
        EXPECT_EQ(QApplication::focusWidget(), Form1->Panel1);
    }
    dialogs::Install(scripted);

    ASSERT_TRUE(question.answered());
    ASSERT_TRUE(nameBox && nameBox->answered());
    ASSERT_EQ(Form4->Table.rowCount(), 1);
    EXPECT_EQ(Form4->Table.text(0, 0), "kbd");
    // Groups of 6, 6 and 4 panels, then 100 for each kind cleared.
    EXPECT_EQ(moves, 3);
    EXPECT_EQ(std::stoi(std::string(Form4->Table.text(0, 2))), 16 + 16 + 4 + 300);
    EXPECT_EQ(Game.RemainingPanels, 64) << "a new deal follows the recorded game";
    // The summary came up beside the board; the keys still play the new deal.
    QCoreApplication::processEvents();
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_EQ(QApplication::activeWindow(), Form1);
    EXPECT_EQ(QApplication::focusWidget(), Form1->Panel1);
}

TEST_F(Keyboard, TheCursorStopsAtTheEdgesAndFollowsThePointer)
{
    LoadBoard(3, OnEmpty({"12......", "11223..."}));
    TabToBoard();
    Form1->CursorColumn = Form1->CursorRow = 1;
    Key(Qt::Key_Left);
    Key(Qt::Key_Down);
    EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(1, 1));
    EXPECT_EQ(Game.GroupSize, 3) << "a key at the edge hovers the cell it stays on";
    Key(Qt::Key_End);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(8, 8));
    Key(Qt::Key_Home);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(1, 1));

    // The pointer moves the cursor; a key goes on from there.
    Hover(4, 1);
    EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(4, 1));
    Key(Qt::Key_Right);
    EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(5, 1));
    EXPECT_EQ(Game.GroupSize, 0) << "a lone panel";

    // After a move, an undo and a restart the cursor stays where it was.
    CursorTo(3, 1);
    Key(Qt::Key_Space);
    ASSERT_EQ(Game.RemainingPanels, 5);
    EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(3, 1));
    Key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(Game.RemainingPanels, 7);
    EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(3, 1));
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(3, 1));
    // A smaller board brings it within.
    Resize(9, 9, 3);
    Form1->CursorColumn = Form1->CursorRow = 9;
    Resize(8, 8, 3);
    EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(8, 8));
    EXPECT_EQ(Form1->Panel1->focusFrame(), Cell(8, 8)->geometry());
}

TEST_F(Keyboard, AKeyHoversExactlyAsThePointerDoes)
{
    for (const bool potion : {false, true}) {
        SCOPED_TRACE(potion ? "potion mode" : "play");
        LoadBoard(4, OnEmpty({"4.......", "122.....", "1123...."}));
        if (potion)
            PressSpace(Form1->BitBtn1);
        Hover(2, 2);
        const auto byPointer = Shown();
        const std::vector<int> boardByPointer = Cells(Game.Board);
        const std::vector<int> marksByPointer = Cells(Game.GroupMark);
        MoveOnForm(BareSpot());
        ASSERT_EQ(Cells(Game.GroupMark), std::vector<int>(Cells(Game.GroupMark).size(), 0));

        TabToBoard();
        Form1->CursorColumn = Form1->CursorRow = 1;
        CursorTo(2, 2);
        EXPECT_EQ(Shown(), byPointer);
        EXPECT_EQ(Cells(Game.GroupMark), marksByPointer);
        EXPECT_EQ(Cells(Game.Board), boardByPointer);

        // Space then acts as a click: a move, or the potion on its target.
        const int panels = Game.RemainingPanels;
        Key(Qt::Key_Space);
        EXPECT_FALSE(Game.PotionMode);
        if (potion)
            EXPECT_EQ(Game.PotionsLeft, 2);
        else
            EXPECT_EQ(Game.RemainingPanels, panels - 3);
        MoveOnForm(BareSpot());
        Form1->BtnRetry->setFocus();
    }
}

TEST_F(Keyboard, TheFocusFrameShowsTheCursorOnAnyCellAndGoesWithTheFocus)
{
    LoadBoard(3, OnEmpty({"1.......", "123....."}));
    TabToBoard();
    // A lone panel, and an empty cell: no outline, but the frame.
    for (const auto& [row, kind] : {std::pair{1, 2}, {2, engine::EmptyCell}}) {
        SCOPED_TRACE(row);
        CursorTo(2, row);
        ASSERT_EQ(Game.GroupSize, 0);
        const QRect cell = Cell(2, row)->geometry();
        EXPECT_EQ(Form1->Panel1->focusFrame(), cell);
        const QImage framed = Form1->Panel1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const std::vector<QRgb> ring = Ring(framed, cell);
        // White under black dots, all round the cell.
        const auto black = std::count(ring.begin(), ring.end(), qRgb(0, 0, 0));
        const auto white = std::count(ring.begin(), ring.end(), qRgb(255, 255, 255));
        EXPECT_GT(black, 0);
        EXPECT_GT(white, 0);
        EXPECT_EQ(black + white, static_cast<long>(ring.size()));
        // The cell's own picture is untouched.
        if (kind != engine::EmptyCell) {
            EXPECT_EQ(framed.copy(cell), PanelPixels(kind, false).convertToFormat(QImage::Format_RGB32));
        }

        Form1->BtnRetry->setFocus();
        const QImage plain = Form1->Panel1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_NE(Ring(plain, cell), ring) << "the frame goes with the focus";
        EXPECT_EQ(plain.copy(cell), framed.copy(cell));
        TabToBoard();
    }
}

TEST_F(Keyboard, ShortcutsPressTheirButtonsOnlyWhileTheseAreEnabled)
{
    LoadBoard(3, OnEmpty({"12......", "11223..."}));
    // A click on a cell leaves the focus where it was.
    Form1->BtnPrevious->setFocus();
    Hover(1, 1);
    ClickCell(1, 1);
    ASSERT_EQ(Game.RemainingPanels, 4);
    EXPECT_EQ(QApplication::focusWidget(), Form1->BtnPrevious);
    const auto dealt = Cells(Game.InitialBoard);

    // In the potion mode their buttons are disabled and the keys do nothing.
    PressSpace(Form1->BitBtn1);
    ASSERT_FALSE(Form1->BtnPrevious->isEnabled());
    for (const int key : {Qt::Key_Z, Qt::Key_R, Qt::Key_N}) {
        QTest::keyClick(Form1, static_cast<Qt::Key>(key), Qt::ControlModifier);
        EXPECT_EQ(Game.RemainingPanels, 4);
        EXPECT_TRUE(Game.PotionMode);
    }
    EXPECT_EQ(Cells(Game.InitialBoard), dealt);
    PressSpace(Form1->BitBtn1);
    ASSERT_FALSE(Game.PotionMode);

    QTest::keyClick(Form1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Game.RemainingPanels, 7) << "Ctrl+Z undoes";
    Hover(1, 1);
    ClickCell(1, 1);
    QTest::keyClick(Form1, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Game.RemainingPanels, 7) << "Ctrl+R restarts";
    EXPECT_EQ(Game.UndoPoints, 0);
    QTest::keyClick(Form1, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Game.RemainingPanels, 64) << "Ctrl+N deals anew";
    EXPECT_NE(Cells(Game.InitialBoard), dealt);
}

TEST_F(Keyboard, AHeldKeyMakesOneMoveAndNeverAnswersTheBoxItBringsUp)
{
    // The last group of the game: its move brings up the game's end.
    LoadBoard(3, OnEmpty({"11......"}));
    TabToBoard();
    CursorTo(1, 1);
    ASSERT_GE(Game.GroupSize, 2);

    // While the key is down the keyboard repeats it to whatever has the
    // focus, Qt's own boxes included.
    dialogs::DialogSeam* scripted = dialogs::Install(nullptr);
    bool held = true;
    int repeats = 0;
    QTimer repeat;
    repeat.setInterval(5);
    QObject::connect(&repeat, &QTimer::timeout, [&] {
        QWidget* focus = QApplication::focusWidget();
        if (!held || !focus)
            return;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(focus, &press);
        QApplication::sendEvent(focus, &release);
        ++repeats;
    });
    repeat.start();
    int questions = 0;
    ModalAnswer no(
        [&](QWidget* box) {
            ++questions;
            auto* question = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(question, nullptr);
            question->button(QMessageBox::No)->click();
        },
        nullptr, std::chrono::minutes(1));

    QTest::keyPress(Form1->Panel1, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return repeats >= 10; }));
    held = false;
    QTest::keyRelease(Form1->Panel1, Qt::Key_Return);
    repeat.stop();
    dialogs::Install(scripted);

    EXPECT_EQ(questions, 1) << "the player answered the box";
    EXPECT_EQ(Form4->Table.rowCount(), 0) << "no game recorded under a name nobody typed";
    EXPECT_EQ(Game.RemainingPanels, 64) << "one move ended the game and a new deal came";
}

// The score summary has nothing to use from the keyboard: shown or hidden by
// its button, it leaves the keys with the main window, and play goes on.
TEST_F(Keyboard, TheSummaryComesAndGoesWithoutTakingTheKeys)
{
    LoadBoard(3, OnEmpty({"11......", "22......"}));
    Form1->Button1->setFocus();
    for (const bool shown : {true, false, true}) {
        SCOPED_TRACE(shown ? "shown" : "hidden");
        Key(Qt::Key_Space);
        QCoreApplication::processEvents();
        ASSERT_EQ(Form3->isVisible(), shown);
        EXPECT_EQ(QApplication::activeWindow(), Form1);
        EXPECT_EQ(QApplication::focusWidget(), Form1->Button1);
    }
    // Tab goes on to the board, whose keys play.
    while (QApplication::focusWidget() != Form1->Panel1)
        Key(Qt::Key_Tab);
    CursorTo(1, 2);
    const int panels = Game.RemainingPanels;
    Key(Qt::Key_Space);
    EXPECT_EQ(Game.RemainingPanels, panels - 2);
    EXPECT_EQ(Form3->Label11->text(), QString::number(Game.Score)) << "the summary follows";
}

// The record table from the keyboard alone: Tab leaves the list at once for
// the buttons, and Space on the highlighted row checks it for deleting,
// wherever the list's cursor stands within the row.
TEST_F(Keyboard, TheRecordTableIsUsedWithTheKeysAlone)
{
    for (const char* name : {"aa", "bb", "cc", "dd"})
        Form4->AppendRow(records::MakeRecordRow(name, records::GameFigures{}, "2024/01/01 00:00:00"));
    Form1->Button2->setFocus();
    Key(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form4));
    ASSERT_EQ(QApplication::focusWidget(), Form4->ListView1);

    // Tab and Shift+Tab go round the list and the buttons, also once rows
    // are there and the permission shows the delete button.
    const auto visits = [](Qt::Key key, int count) {
        QStringList names;
        for (int i = 0; i < count; ++i) {
            Key(key);
            names << QApplication::focusWidget()->objectName();
        }
        return names;
    };
    Form4->ListView1->setFocus();
    EXPECT_EQ(visits(Qt::Key_Tab, 4), QStringList({"Button1", "BtnSave", "BtnRead", "ListView1"}));
    EXPECT_EQ(visits(Qt::Key_Backtab, 4), QStringList({"BtnRead", "BtnSave", "Button1", "ListView1"}));
    Key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), Form4->Button1);
    dialogs.inputs.push_back(Typed("tarnwick"));
    Key(Qt::Key_Space);
    ASSERT_TRUE(Form4->BtnDelete->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Form4->Button1);
    EXPECT_EQ(visits(Qt::Key_Backtab, 1), QStringList({"ListView1"}));
    EXPECT_EQ(
        visits(Qt::Key_Tab, 5), QStringList({"Button1", "BtnSave", "BtnRead", "BtnDelete", "ListView1"}));

    // Rows 1 and 3 checked, from wherever the cursor stands in the row;
    // Space again unchecks.
    const struct {
        std::vector<int> keys;
        std::vector<bool> checked;
    } steps[] = {
        {{Qt::Key_Down}, {false, true, false, false}},
        {{Qt::Key_Right, Qt::Key_Right, Qt::Key_Down}, {false, true, true, false}},
        {{Qt::Key_End, Qt::Key_Down}, {false, true, true, true}},
        {{Qt::Key_Up, Qt::Key_Left}, {false, true, false, true}},
    };
    Key(Qt::Key_Home, Qt::ControlModifier);
    for (const auto& step : steps) {
        for (const int key : step.keys)
            Key(key);
        SCOPED_TRACE(testing::Message() << "row " << Form4->ListView1->currentIndex().row() << ", column "
                                        << Form4->ListView1->currentIndex().column());
        Key(Qt::Key_Space);
        std::vector<bool> checked;
        for (int row = 0; row < Form4->Table.rowCount(); ++row)
            checked.push_back(Form4->Table.checked(row));
        EXPECT_EQ(checked, step.checked);
    }
    // A held Space checks once, however long it repeats.
    QWidget* list = QApplication::focusWidget();
    for (const bool repeat : {false, true, true, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), repeat);
        QApplication::sendEvent(list, &press);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(list, &release);
    EXPECT_TRUE(Form4->Table.checked(2));
    Key(Qt::Key_Space);
    EXPECT_FALSE(Form4->Table.checked(2));

    // The delete button deletes them; the save button writes the rest.
    while (QApplication::focusWidget() != Form4->BtnDelete)
        Key(Qt::Key_Tab);
    Key(Qt::Key_Space);
    ASSERT_EQ(Form4->Table.rowCount(), 2);
    EXPECT_EQ(Form4->Table.text(0, 0), "aa");
    EXPECT_EQ(Form4->Table.text(1, 0), "cc");
    while (QApplication::focusWidget() != Form4->BtnSave)
        Key(Qt::Key_Tab);
    Key(Qt::Key_Space);
    EXPECT_FALSE(Form4->Table.modified());
    EXPECT_TRUE(QFile::exists(QString::fromLatin1(records::RecordFileName)));
}

// An input method is on only where text is typed: the settings dialog's
// three number fields. Everywhere else the window system is told that the
// control takes no text, so that a player whose input method is switched on
// still plays the board, the buttons and the record list with plain keys
// (a composing input method would take Space and the letters for itself).
// What an input method sends there all the same changes nothing, and the
// keys play on.
TEST_F(Keyboard, InputMethodsAreOffWhereTheKeysPlay)
{
    // What the platform asks the control that has the keyboard.
    const auto takesText = [](QWidget* control) {
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QApplication::sendEvent(control, &query);
        return query.value(Qt::ImEnabled).toBool();
    };
    const auto compose = [](QWidget* control, const QStringList& commits) {
        for (const QString& text : commits) {
            QInputMethodEvent preedit(text, {});
            QApplication::sendEvent(control, &preedit);
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(control, &commit);
        }
    };
    const QStringList commits = {QStringLiteral("h"), QStringLiteral(" "), QStringLiteral("　"),
        QStringLiteral("ぜ"), QStringLiteral("\r")};

    const std::vector<QWidget*> numberFields = {Form2->Edit1, Form2->Edit2, Form2->Edit3};
    for (QWidget* window :
        {static_cast<QWidget*>(Form1), static_cast<QWidget*>(Form2), static_cast<QWidget*>(Form3),
            static_cast<QWidget*>(Form4), static_cast<QWidget*>(Form5), static_cast<QWidget*>(AboutBox)})
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (control->focusPolicy() == Qt::NoFocus)
                continue;
            const bool field
                = std::find(numberFields.begin(), numberFields.end(), control) != numberFields.end();
            EXPECT_EQ(takesText(control), field)
                << window->objectName().toStdString() << " " << control->metaObject()->className() << " "
                << control->objectName().toStdString();
        }

    // The board, with the cell cursor shown.
    LoadBoard(3, OnEmpty({"11223...", "11223..."}));
    TabToBoard();
    CursorTo(2, 1);
    const auto board = Cells(Game.Board);
    const auto shown = Shown();
    compose(Form1->Panel1, commits);
    EXPECT_EQ(Cells(Game.Board), board);
    EXPECT_EQ(Shown(), shown) << "no hover, hint or erase";
    EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(2, 1));
    Key(Qt::Key_Right);
    EXPECT_EQ(std::pair(Form1->CursorColumn, Form1->CursorRow), std::pair(3, 1));
    Key(Qt::Key_Space);
    EXPECT_EQ(Game.RemainingPanels, 6) << "Space erased the group of four under the cursor";

    // A button.
    const bool summary = Form3->isVisible();
    Form1->Button1->setFocus();
    compose(Form1->Button1, commits);
    EXPECT_EQ(Form3->isVisible(), summary);
    Key(Qt::Key_Space);
    EXPECT_NE(Form3->isVisible(), summary);

    // The record list, while deleting is permitted: no row is edited or
    // checked.
    for (const char* name : {"aa", "bb"})
        Form4->AppendRow(records::MakeRecordRow(name, records::GameFigures{}, "2024/01/01 00:00:00"));
    dialogs.inputs.push_back(Typed("tarnwick"));
    Form4->Button1->click();
    ASSERT_TRUE(Form4->BtnDelete->isVisibleTo(Form4));
    Form4->show();
    Form4->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form4));
    Form4->ListView1->setFocus();
    Form4->ListView1->setCurrentIndex(Form4->Model->index(1, 0));
    compose(Form4->ListView1, commits);
    EXPECT_EQ(Form4->Table.text(0, 0), "aa");
    EXPECT_EQ(Form4->Table.text(1, 0), "bb");
    EXPECT_FALSE(Form4->Table.checked(0) || Form4->Table.checked(1));
    EXPECT_EQ(Form4->ListView1->currentIndex().row(), 1);
    Key(Qt::Key_Space);
    EXPECT_TRUE(Form4->Table.checked(1));
}

// Esc leaves the record table, the summary or the information window as
// its close box or button does (hidden, the button's caption back, unsaved
// rows kept), from any of the window's controls, and the keys go back to the
// game.
TEST_F(Keyboard, EscLeavesTheOtherWindowsForTheGame)
{
    Form4->AppendRow(records::MakeRecordRow("aa", records::GameFigures{}, "2024/01/01 00:00:00"));
    const QString recordCaption = Form1->Button2->text();
    for (QWidget* control :
        {static_cast<QWidget*>(Form4->ListView1), static_cast<QWidget*>(Form4->BtnSave)}) {
        SCOPED_TRACE(control->objectName().toStdString());
        Form1->Button2->setFocus();
        Key(Qt::Key_Space);
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form4));
        control->setFocus();
        Key(Qt::Key_Escape);
        EXPECT_FALSE(Form4->isVisible());
        EXPECT_EQ(Form1->Button2->text(), recordCaption);
        EXPECT_EQ(Form4->Table.rowCount(), 1);
        EXPECT_TRUE(Form4->Table.modified()) << "the row is still to be saved";
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form1));
    }

    const QString scoreCaption = Form1->Button1->text();
    Form1->Button1->setFocus();
    Key(Qt::Key_Space);
    ASSERT_TRUE(Form3->isVisible());
    // A click on the summary gives it the keyboard.
    Form3->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form3));
    QTest::keyClick(Form3, Qt::Key_Escape);
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_EQ(Form1->Button1->text(), scoreCaption);
    EXPECT_TRUE(QTest::qWaitForWindowActive(Form1));
    EXPECT_EQ(QApplication::focusWidget(), Form1->Button1)
        << "the keys are back on the button that opened it";

    // The information window, from its text or its buttons.
    for (QWidget* control :
        {static_cast<QWidget*>(Form5->RichEdit1), static_cast<QWidget*>(Form5->Button1)}) {
        SCOPED_TRACE(control->objectName().toStdString());
        Form1->Button3->setFocus();
        Key(Qt::Key_Space);
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form5));
        control->setFocus();
        Key(Qt::Key_Escape);
        EXPECT_FALSE(Form5->isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form1));
        EXPECT_EQ(QApplication::focusWidget(), Form1->Button3);
    }
}

// Enter presses the focused button in every window, as Space does: once,
// when it is let go, however long it is held; with Ctrl or Shift it does
// nothing.
TEST_F(Keyboard, EnterPressesTheFocusedButtonWhenLetGo)
{
    const auto send = [](QWidget* to, QEvent::Type type, bool repeat) {
        QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), repeat);
        QApplication::sendEvent(to, &key);
    };
    bool shown = Form3->isVisible();
    // Held down: the first press, then repeats as the window system sends
    // them, then the release.
    const auto holdEnter = [&](QWidget* button, int repeats) {
        send(button, QEvent::KeyPress, false);
        for (int i = 0; i < repeats; ++i) {
            send(button, QEvent::KeyRelease, true);
            send(button, QEvent::KeyPress, true);
        }
        EXPECT_EQ(Form3->isVisible(), shown) << "nothing happens while the key is down";
        send(button, QEvent::KeyRelease, false);
    };
    Form1->Button1->setFocus();
    for (const int repeats : {0, 5, 1}) {
        SCOPED_TRACE(repeats);
        holdEnter(Form1->Button1, repeats);
        EXPECT_NE(Form3->isVisible(), shown) << "one toggle of the summary";
        shown = Form3->isVisible();
    }
    for (const Qt::KeyboardModifier with : {Qt::ControlModifier, Qt::ShiftModifier}) {
        QTest::keyClick(Form1->Button1, Qt::Key_Return, with);
        EXPECT_EQ(Form3->isVisible(), shown);
    }

    // The information window's buttons too: 情報 opens it, and its own
    // close button hides it again.
    Form1->Button3->setFocus();
    QTest::keyClick(Form1->Button3, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form5));
    Form5->Button2->setFocus();
    QTest::keyClick(Form5->Button2, Qt::Key_Return);
    EXPECT_FALSE(Form5->isVisible());
}
