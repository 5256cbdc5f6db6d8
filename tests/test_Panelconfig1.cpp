// The board settings dialog: its layout, the spinners, the reading of the
// fields, and the settings command of the main window that runs it.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextBoundaryFinder>
#include <QWindow>

#include "Controls.h"
#include "Panelconfig1.h"
#include "Point1.h"
#include "UiTestSupport.h"

namespace {

// Replaces the field's text as the player does: select all, delete, type.
void Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

QStringList Fields()
{
    return {Form2->Edit1->text(), Form2->Edit2->text(), Form2->Edit3->text()};
}

struct Settings {
    int columns, rows, kinds;
    bool operator==(const Settings&) const = default;
};

Settings Current()
{
    return {Game.ColumnCount, Game.RowCount, Game.KindCount};
}

std::ostream& operator<<(std::ostream& out, const Settings& s)
{
    return out << s.columns << " x " << s.rows << " x " << s.kinds;
}

} // namespace

class SettingsDialog : public UiTest {
protected:
    // Presses the main window's "画面設定" and runs `interact` inside the
    // dialog's modal loop.
    void RunConfig(const std::function<void()>& interact)
    {
        ModalAnswer answer([&](QWidget*) { interact(); }, Form2);
        QTest::mouseClick(Form1->BtnConfig, Qt::LeftButton);
        EXPECT_TRUE(answer.answered());
        EXPECT_FALSE(Form2->isVisible());
    }

    // A small board with known groups, and one move made on it: the pair of
    // 3s at the bottom left.
    void LoadBoardAndMove()
    {
        LoadBoard(3, Checkered({"33212121"}));
        Game.History.clear();
        Hover(1, 1);
        ClickCell(1, 1);
        ASSERT_FALSE(Game.History.empty());
    }
};

// --- Layout -------------------------------------------------------------------------

TEST_F(SettingsDialog, ItsLayoutHoldsAndTabVisitsButtonsFieldsSpinners)
{
    EXPECT_EQ(Form2->minimumSize(), Form2->maximumSize()); // a fixed frame
    RunConfig([] {
        EXPECT_EQ(Fields(), QStringList({"19", "9", "5"}));
        EXPECT_EQ(Form2->focusWidget(), Form2->BitBtn1);
        EXPECT_EQ(LayoutFaults(Form2), QStringList());
        // Every caption shows whole in its larger face.
        for (QLabel* label : {Form2->Label1, Form2->Label2, Form2->Label3}) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
                << label->objectName().toStdString();
        }
        QTest::keyClick(Form2, Qt::Key_Escape);
    });
    EXPECT_EQ(FocusChain(Form2->BitBtn1, 9),
        QStringList(
            {"BitBtn1", "BitBtn2", "Edit1", "Edit2", "Edit3", "UpDown1", "UpDown2", "UpDown3", "BitBtn1"}));
    for (QPushButton* button : {Form2->BitBtn1, Form2->BitBtn2})
        EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();

    // The fields are plain line edits: they take any text, no mask, no
    // validator, so a slip reaches the conversion and its message.
    const std::pair<TUpDown*, QLineEdit*> spinners[]
        = {{Form2->UpDown1, Form2->Edit1}, {Form2->UpDown2, Form2->Edit2}, {Form2->UpDown3, Form2->Edit3}};
    for (const auto& [upDown, edit] : spinners) {
        SCOPED_TRACE(upDown->objectName().toStdString());
        EXPECT_EQ(edit->validator(), nullptr);
        EXPECT_TRUE(edit->inputMask().isEmpty());
        // Each spinner steps its own field and stands against its right edge.
        EXPECT_EQ(upDown->associate(), edit);
        EXPECT_EQ(upDown->geometry().left(), edit->geometry().right() + 1);
        EXPECT_EQ(upDown->height(), edit->height());
    }
}

// --- Showing, spinning and confirming ----------------------------------------------

TEST_F(SettingsDialog, SpinnersStepTheirFieldsAndWrapAtBothEnds)
{
    RunConfig([] {
        QLineEdit* const edit1 = Form2->Edit1;
        QLineEdit* const edit3 = Form2->Edit3;
        // Arrow keys while the field has the focus.
        const struct {
            QLineEdit* edit;
            const char* typed;
            Qt::Key key;
            const char* shown;
        } steps[] = {
            {Form2->Edit1, "40", Qt::Key_Up, "8"},
            {Form2->Edit1, "8", Qt::Key_Down, "40"},
            {Form2->Edit2, "40", Qt::Key_Up, "8"},
            {Form2->Edit2, "8", Qt::Key_Down, "40"},
            {Form2->Edit3, "3", Qt::Key_Down, "6"},
            {Form2->Edit3, "6", Qt::Key_Up, "3"},
            {Form2->Edit3, "4", Qt::Key_Up, "5"},
            // A typed number outside the range steps into it.
            {Form2->Edit1, "100", Qt::Key_Down, "40"},
            {Form2->Edit1, "100", Qt::Key_Up, "8"},
            {Form2->Edit1, "2", Qt::Key_Up, "8"},
            {Form2->Edit1, "2", Qt::Key_Down, "40"},
            {Form2->Edit1, " 12", Qt::Key_Up, "13"},
        };
        for (const auto& s : steps) {
            SCOPED_TRACE(testing::Message() << s.edit->objectName().toStdString() << " '" << s.typed << "'");
            Type(s.edit, s.typed);
            QTest::keyClick(s.edit, s.key);
            EXPECT_EQ(s.edit->text(), s.shown);
        }

        // From a text that is no number the spinner steps from where it
        // stood itself.
        Type(edit3, "5");
        QTest::keyClick(edit3, Qt::Key_Up);
        ASSERT_EQ(edit3->text(), "6");
        Type(edit3, "x");
        QTest::keyClick(edit3, Qt::Key_Down);
        EXPECT_EQ(edit3->text(), "5");

        // The arrows by mouse: upper half up, lower half down.
        TUpDown* const upDown1 = Form2->UpDown1;
        Type(edit1, "40");
        QTest::mouseClick(upDown1, Qt::LeftButton, Qt::NoModifier, UpperHalf(upDown1));
        EXPECT_EQ(edit1->text(), "8");
        QTest::mouseClick(upDown1, Qt::LeftButton, Qt::NoModifier, LowerHalf(upDown1));
        EXPECT_EQ(edit1->text(), "40");
        QTest::mouseClick(upDown1, Qt::LeftButton, Qt::NoModifier, LowerHalf(upDown1));
        EXPECT_EQ(edit1->text(), "39");
        // Clicking an arrow leaves the focus where the player typed.
        EXPECT_EQ(Form2->focusWidget(), edit1);
        Type(edit3, "6");
        QTest::mouseClick(Form2->UpDown3, Qt::LeftButton, Qt::NoModifier, UpperHalf(Form2->UpDown3));
        EXPECT_EQ(edit3->text(), "3");

        QTest::keyClick(edit1, Qt::Key_Return);
    });
    EXPECT_EQ(Current(), (Settings{39, 40, 3}));
}

TEST_F(SettingsDialog, AHeldArrowStopsRepeatingWhenTheDialogCloses)
{
    // The ▲ held with the mouse while Enter or Esc closes the dialog: the
    // release never reaches the spinner.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Enter" : "Esc");
        const Settings before = Current();
        RunConfig([key] {
            QWindow* dialog = Form2->windowHandle();
            QTest::mousePress(dialog, Qt::LeftButton, Qt::NoModifier,
                Form2->UpDown1->mapTo(Form2, UpperHalf(Form2->UpDown1)));
            EXPECT_TRUE(Form2->UpDown1->repeating());
            QTest::keyClick(dialog, key);
        });
        EXPECT_FALSE(Form2->UpDown1->repeating());
        QTest::mouseRelease(Form1->windowHandle(), Qt::LeftButton);
        const int columns
            = before.columns == engine::ColumnCountMax ? engine::ColumnCountMin : before.columns + 1;
        EXPECT_EQ(Current().columns, key == Qt::Key_Return ? columns : before.columns);
        // Shown again, the dialog shows the settings as they are.
        RunConfig([] {
            EXPECT_EQ(Fields(),
                QStringList({QString::number(Game.ColumnCount), QString::number(Game.RowCount),
                    QString::number(Game.KindCount)}));
            EXPECT_FALSE(Form2->UpDown1->repeating());
            QTest::keyClick(Form2, Qt::Key_Escape);
        });
    }
}

TEST_F(SettingsDialog, ConfirmingConvertsClampsAndStoresAllThree)
{
    const struct {
        const char *columns, *rows, *kinds;
        Settings stored;
    } cases[] = {
        {"100", "9", "5", {40, 9, 5}},
        {"19", "5", "5", {19, 8, 5}},
        {"19", "9", "-3", {19, 9, 3}},
        {"19", "9", "7", {19, 9, 6}},
        {"$1A", "0x1A", "5", {26, 26, 5}},
        {"-2147483648", "2147483647", "-2147483648", {8, 40, 3}},
        {"40", "40", "6", {40, 40, 6}},
        {"8", "8", "3", {8, 8, 3}},
    };
    int field = 0;
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << "'" << t.columns << "' '" << t.rows << "' '" << t.kinds << "'");
        // The OK button confirms, and so does Enter in any field.
        QWidget* const confirmBy[] = {Form2->BitBtn1, Form2->Edit1, Form2->Edit2, Form2->Edit3};
        QWidget* const target = confirmBy[field++ % 4];
        RunConfig([&] {
            Type(Form2->Edit1, t.columns);
            Type(Form2->Edit2, t.rows);
            Type(Form2->Edit3, t.kinds);
            if (target == Form2->BitBtn1)
                QTest::mouseClick(target, Qt::LeftButton);
            else
                QTest::keyClick(target, Qt::Key_Return);
        });
        EXPECT_EQ(dialogs.count("error"), 0);
        EXPECT_EQ(Current(), t.stored);
        // The new board has the new size.
        EXPECT_EQ(Form1->Label2->text(), QString::number(t.stored.columns * t.stored.rows));
        // The corrected value is what the next showing displays.
        RunConfig([&] {
            EXPECT_EQ(Fields(),
                QStringList({QString::number(t.stored.columns), QString::number(t.stored.rows),
                    QString::number(t.stored.kinds)}));
            QTest::keyClick(Form2, Qt::Key_Escape);
        });
    }
}

TEST_F(SettingsDialog, ATextThatIsNoIntegerChangesNothingAndKeepsTheDialogOpen)
{
    const struct {
        const char *columns, *rows, *kinds;
        int failing; // 0 columns, 1 rows, 2 kinds
        const char* message;
    } cases[] = {
        {"12 ", "9", "5", 0, "'12 ' は整数ではありません."},
        {"30", "abc", "5", 1, "'abc' は整数ではありません."},
        {"30", "20", "", 2, "'' は整数ではありません."},
        {"x", "y", "z", 0, "'x' は整数ではありません."},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << "'" << t.columns << "' '" << t.rows << "' '" << t.kinds << "'");
        LoadBoardAndMove();
        const Settings before = Current();
        const std::size_t moves = Game.History.top();
        const int score = Game.Score;
        TImage* const cell = Cell(1, 1);
        dialogs.shown.clear();

        RunConfig([&] {
            Type(Form2->Edit1, t.columns);
            Type(Form2->Edit2, t.rows);
            Type(Form2->Edit3, t.kinds);
            QTest::keyClick(Form2->Edit3, Qt::Key_Return);
            EXPECT_EQ(dialogs.texts("error"), QStringList{QString::fromUtf8(t.message)});
            // Still open, with the slip marked for correction.
            EXPECT_TRUE(Form2->isVisible());
            QLineEdit* const fields[] = {Form2->Edit1, Form2->Edit2, Form2->Edit3};
            const char* const typed[] = {t.columns, t.rows, t.kinds};
            QLineEdit* const failing = fields[t.failing];
            EXPECT_EQ(Form2->focusWidget(), failing);
            EXPECT_EQ(failing->text(), QString::fromUtf8(typed[t.failing]));
            EXPECT_EQ(failing->selectedText(), failing->text());
            EXPECT_EQ(Current(), before);
            QTest::keyClick(failing, Qt::Key_Escape);
        });
        // No setting, no board and no history changed.
        EXPECT_EQ(Current(), before);
        EXPECT_EQ(Cell(1, 1), cell);
        EXPECT_EQ(Game.History.top(), moves);
        EXPECT_EQ(Game.Score, score);
    }
}

TEST_F(SettingsDialog, ASlipCorrectedInTheSameShowingIsConfirmed)
{
    RunConfig([] {
        Type(Form2->Edit1, "30");
        Type(Form2->Edit2, "1O"); // a letter O for a zero
        QTest::keyClick(Form2->Edit2, Qt::Key_Return);
        ASSERT_TRUE(Form2->isVisible());
        // The selection lets the player type over the slip at once.
        QTest::keyClicks(Form2->Edit2, "10");
        EXPECT_EQ(Form2->Edit2->text(), "10");
        QTest::keyClick(Form2->Edit2, Qt::Key_Return);
    });
    EXPECT_EQ(dialogs.count("error"), 1);
    EXPECT_EQ(Current(), (Settings{30, 10, 5}));
    EXPECT_EQ(Form1->Panel1->findChildren<TImage*>().size(), 300);
}

TEST_F(SettingsDialog, TheStandardErrorBoxReturnsTheFocusToTheSlip)
{
    // The program's own boxes, answered by closing them.
    dialogs::Install(nullptr);
    QString shown;
    RunConfig([&] {
        Type(Form2->Edit1, "30");
        Type(Form2->Edit3, "abc");
        ModalAnswer errorBox([&](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(message, nullptr);
            shown = message->text();
            EXPECT_EQ(message->icon(), QMessageBox::Critical);
            QTest::keyClick(message, Qt::Key_Return);
        });
        QTest::keyClick(Form2->Edit1, Qt::Key_Return);
        EXPECT_TRUE(errorBox.answered());
        EXPECT_TRUE(Form2->isVisible());
        EXPECT_EQ(Form2->focusWidget(), Form2->Edit3);
        EXPECT_EQ(Form2->Edit3->selectedText(), "abc");
        Form2->BitBtn2->click();
    });
    dialogs::Install(&dialogs);
    EXPECT_EQ(shown, QStringLiteral("'abc' は整数ではありません."));
    EXPECT_EQ(Current(), (Settings{19, 9, 5}));
}

TEST_F(SettingsDialog, APastedFloodOfTextGivesAnErrorBoxWithinTheScreen)
{
    // A page of text pasted into a field by mistake, and the program's own
    // error box quoting it: its OK button must stay on the screen.
    dialogs::Install(nullptr);
    const QString pasted = QStringLiteral("a word ").repeated(4000);
    const QRect area = Form2->screen()->availableGeometry();
    RunConfig([&] {
        Form2->Edit2->setFocus();
        QTest::keyClick(Form2->Edit2, Qt::Key_A, Qt::ControlModifier);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(Form2->Edit2, Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(pasted.startsWith(Form2->Edit2->text()));
        ModalAnswer errorBox([&](QWidget* box) {
            QCoreApplication::processEvents();
            EXPECT_TRUE(area.contains(box->frameGeometry()))
                << box->frameGeometry().height() << " pixels high";
            // What the box quotes is what the field holds.
            EXPECT_EQ(qobject_cast<QMessageBox*>(box)->text().remove(QChar(0x200B)),
                QStringLiteral("'%1' は整数ではありません.").arg(Form2->Edit2->text()));
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::keyClick(Form2->Edit2, Qt::Key_Return);
        EXPECT_TRUE(errorBox.answered());
        Form2->BitBtn2->click();
    });
    dialogs::Install(&dialogs);
    EXPECT_EQ(Current(), (Settings{19, 9, 5}));
}

// Text typed through an input method reaches the fields as commits, and
// the field may still hold an uncommitted preedit when OK is clicked: a
// number is taken only from what was committed, and anything else gives
// the error that quotes the field, character for character (a line break
// the box makes in a long run of characters must not split one: a surrogate
// pair cut in two, or a voiced-sound mark moved off its kana, shows as
// something else).
TEST_F(SettingsDialog, InputMethodCommitsGiveANumberOrTheErrorQuotingThemWhole)
{
    dialogs::Install(nullptr);
    const struct {
        QString commit, preedit;
        std::optional<int> columns; // none: the error
    } cases[] = {
        {QStringLiteral("12"), {}, 12},
        {QStringLiteral("１２"), {}, std::nullopt},
        {QStringLiteral("1２"), {}, std::nullopt},
        {QStringLiteral("8"), QStringLiteral("９"), 8},
        {QStringLiteral("12"), QStringLiteral("3"), 12},
        {{}, QStringLiteral("20"), std::nullopt},
        {QStringLiteral("1\n2"), {}, std::nullopt},
        {QStringLiteral("😀").repeated(30), {}, std::nullopt},
        {QStringLiteral("か\u3099").repeated(30), {}, std::nullopt},
        {QStringLiteral("𠮷").repeated(25) + QStringLiteral("1"), {}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commit.left(8).toStdString() + " / " + c.preedit.toStdString());
        Resize(19, 9, 5);
        QString shown;
        bool errorShown = false;
        RunConfig([&] {
            Form2->Edit1->setFocus();
            Form2->Edit1->selectAll();
            QInputMethodEvent commit;
            commit.setCommitString(c.commit);
            QApplication::sendEvent(Form2->Edit1, &commit);
            if (!c.preedit.isEmpty()) {
                QInputMethodEvent preedit(c.preedit, {});
                QApplication::sendEvent(Form2->Edit1, &preedit);
            }
            ModalAnswer errorBox([&](QWidget* box) {
                auto* message = qobject_cast<QMessageBox*>(box);
                ASSERT_NE(message, nullptr);
                shown = message->text();
                QTest::keyClick(message, Qt::Key_Return);
            });
            QTest::mouseClick(Form2->BitBtn1, Qt::LeftButton);
            errorShown = errorBox.answered();
            if (Form2->isVisible())
                Form2->BitBtn2->click();
        });
        if (c.columns) {
            EXPECT_FALSE(errorShown);
            EXPECT_EQ(Current(), (Settings{*c.columns, 9, 5}));
            continue;
        }
        ASSERT_TRUE(errorShown);
        EXPECT_EQ(Current(), (Settings{19, 9, 5}));
        EXPECT_TRUE(shown.isValidUtf16());
        // Every break the box added stands between two whole characters.
        QString quoted;
        for (const QChar ch : shown) {
            if (ch == QChar(0x200B)) {
                QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, c.commit);
                const qsizetype at = quoted.size() - 1; // within the commit, after the quote mark
                characters.setPosition(at);
                EXPECT_TRUE(at > 0 && at < c.commit.size() && characters.isAtBoundary())
                    << "a break at " << at;
                continue;
            }
            quoted += ch;
        }
        EXPECT_EQ(quoted, QStringLiteral("'%1' は整数ではありません.").arg(c.commit));
    }
    dialogs::Install(&dialogs);
}

// --- The settings command -------------------------------------------------------------

TEST_F(SettingsDialog, CancellingKeepsTheBoardAndItsHistory)
{
    const struct {
        const char* how;
        std::function<void()> cancel;
    } ways[] = {
        {"Cancel button", [] { QTest::mouseClick(Form2->BitBtn2, Qt::LeftButton); }},
        {"Esc in a field", [] { QTest::keyClick(Form2->Edit2, Qt::Key_Escape); }},
        {"close box", [] { Form2->close(); }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.how);
        LoadBoardAndMove();
        const std::vector<int> board = Cells(Game.Board);
        const int score = Game.Score;
        Form3->Label11->setCaption("stale");

        RunConfig([&] {
            Type(Form2->Edit1, "40");
            Type(Form2->Edit2, "40");
            Type(Form2->Edit3, "6");
            w.cancel();
        });
        EXPECT_EQ(Current(), (Settings{8, 8, 3}));
        EXPECT_EQ(Cells(Game.Board), board);
        EXPECT_EQ(Game.Score, score);
        EXPECT_EQ(Form1->Panel1->findChildren<TImage*>().size(), 64);
        // The summary is refreshed all the same.
        EXPECT_EQ(Form3->Label11->text(), QString::number(score));

        // The move can still be taken back.
        Form1->BtnPrevious->click();
        EXPECT_TRUE(Game.History.empty());
        EXPECT_EQ(Game.Board[1][1], 3);
        EXPECT_EQ(Game.Board[2][1], 3);
        EXPECT_EQ(Game.Score, -64 - 10);
    }
}

TEST_F(SettingsDialog, ConfirmingWithoutAChangeDealsAFreshBoardAndDropsTheHistory)
{
    LoadBoardAndMove();
    Form3->Label11->setCaption("stale");
    RunConfig([] { QTest::keyClick(Form2->Edit1, Qt::Key_Return); });
    EXPECT_EQ(Current(), (Settings{8, 8, 3}));
    EXPECT_TRUE(Game.History.empty());
    EXPECT_EQ(Game.Score, -64);
    EXPECT_EQ(Game.RemainingPanels, 64);
    EXPECT_EQ(Form1->Label11->text(), "-64");
    EXPECT_EQ(Form3->Label11->text(), "-64");
    // A full board again where the move had left a gap.
    for (int c = 1; c <= 8; ++c)
        for (int r = 1; r <= 8; ++r)
            ASSERT_NE(Game.Board[c][r], engine::EmptyCell) << c << "," << r;
    // Nothing left to take back.
    Form1->BtnPrevious->click();
    EXPECT_EQ(Game.Score, -64);
    EXPECT_EQ(Game.UndoPoints, 0);
}

TEST_F(SettingsDialog, ChangingTheSizeReplacesEveryPicture)
{
    const struct {
        Settings to;
        int destroyed; // pictures of the old board
    } steps[] = {
        {{40, 40, 6}, 19 * 9 + 5},
        {{19, 9, 5}, 40 * 40 + 6},
        {{8, 8, 3}, 19 * 9 + 5},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << s.to);
        int destroyed = 0;
        for (TImage* picture : Form1->findChildren<TImage*>())
            QObject::connect(picture, &QObject::destroyed, [&destroyed] { ++destroyed; });
        RunConfig([&] {
            Type(Form2->Edit1, QString::number(s.to.columns));
            Type(Form2->Edit2, QString::number(s.to.rows));
            Type(Form2->Edit3, QString::number(s.to.kinds));
            QTest::keyClick(Form2->Edit1, Qt::Key_Return);
        });
        EXPECT_EQ(destroyed, s.destroyed);
        EXPECT_EQ(Current(), s.to);
        EXPECT_EQ(Form1->Panel1->findChildren<TImage*>().size(), s.to.columns * s.to.rows);
        EXPECT_EQ(Form1->findChildren<TImage*>(QString(), Qt::FindDirectChildrenOnly).size(), s.to.kinds);
        for (int c = 1; c <= engine::ColumnCountMax; ++c)
            for (int r = 1; r <= engine::RowCountMax; ++r)
                ASSERT_EQ(Form1->CellImages[c][r] != nullptr, c <= s.to.columns && r <= s.to.rows)
                    << c << "," << r;
        EXPECT_EQ(
            Form3->Label18->text(), QStringLiteral("（縦 %1 × 横 %2）").arg(s.to.rows).arg(s.to.columns));
    }
}

TEST_F(SettingsDialog, TheGroupTextStaysThroughTheCommand)
{
    LoadBoard(3, Checkered({"13121212", "33212121"}));
    Hover(1, 1);
    ASSERT_EQ(Form1->Label9->text(), "3(+1)");
    RunConfig([] { QTest::keyClick(Form2->Edit1, Qt::Key_Return); });
    EXPECT_EQ(Form1->Label9->text(), "3(+1)");
    RunConfig([] { QTest::keyClick(Form2->Edit1, Qt::Key_Escape); });
    EXPECT_EQ(Form1->Label9->text(), "3(+1)");
}
