// A randomised test of the real main window, driven only by events as the
// window system delivers them: pointer moves over cells, the bare window,
// labels and buttons; presses and releases on different cells; clicks; Tab,
// and Space or Enter tapped or held, on the button row and the board; the
// potion; undo, restart, new deal; the settings dialog with any text; the
// summary, the record table and the information window shown and left with
// Esc; the boxes at the end of a game answered at random. After every event
// the window must agree with a recount of the board, its pictures with the
// marks, and the ledger with the history.
//
// A failing run prints its seed and the events it sent, short enough to turn
// into a plain test. ZEMMICK_SOAK_WINDOW_SEEDS runs more seeds (`make soak`).
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>
#include <optional>
#include <random>
#include <sstream>

#include "About.h"
#include "Infoshow1.h"
#include "Panelconfig1.h"
#include "Point1.h"
#include "Pointrec1.h"
#include "ShiftJis.h"
#include "UiTestSupport.h"

namespace {

// Answers the boxes from the run's own random source and keeps what they
// showed, for the checks after each event.
struct RandomDialogs : dialogs::DialogSeam, ShownBoxes {
    std::mt19937* random = nullptr;
    int gameEnds = 0;
    int namesGiven = 0;

    int below(int n) { return static_cast<int>((*random)() % static_cast<unsigned>(n)); }

    void message(const QString& text) override { shown.push_back({"message", {}, text, {}}); }
    dialogs::Answer question(const QString& caption, const QString& text, bool withCancel) override
    {
        shown.push_back({"question", caption, text, {}});
        ++gameEnds;
        const int pick = below(withCancel ? 3 : 2);
        return pick == 0 ? dialogs::Answer::Yes : pick == 1 ? dialogs::Answer::No : dialogs::Answer::Cancel;
    }
    bool input(const QString& caption, const QString& prompt, QString& value) override
    {
        shown.push_back({"input", caption, prompt, value});
        static const QString offers[] = {QStringLiteral("who"), QStringLiteral("ab\ncd"),
            QStringLiteral("tab\there"), QStringLiteral("cr\r"), QStringLiteral("del\x7f"),
            QStringLiteral("ゼミック"), QStringLiteral("１２３４５６７８９０１"), QString(21, QChar(u'x')),
            QStringLiteral("a〜b"), QStringLiteral("😀"), QString(), QStringLiteral("  spaced  ")};
        switch (below(4)) {
        case 0:
            return false; // Cancel
        case 1:
            break; // OK with the text as it stands
        default:
            value = offers[below(static_cast<int>(std::size(offers)))];
        }
        ++namesGiven;
        return true;
    }
    void error(const QString& text) override { shown.push_back({"error", {}, text, {}}); }
};

// A picture of what a cell must show for its Board value and mark.
QImage ExpectedSurface(int value, bool marked, bool target, bool groupOutlined)
{
    if (value == engine::EmptyCell)
        return QImage();
    const int kind = value % engine::PotionTargetOffset;
    QImage surface = PanelPixels(kind, marked && (!target || groupOutlined));
    if (target)
        ImageList().draw(surface, engine::PotionPicture);
    return surface;
}

class RandomWindow : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        seam_.random = &random_;
        previousSeam_ = dialogs::Install(&seam_);
        qApp->installEventFilter(&hoverWatch_);
    }
    void TearDown() override
    {
        qApp->removeEventFilter(&hoverWatch_);
        dialogs::Install(previousSeam_);
        UiTest::TearDown();
    }

    // Plays `events` events from `seed`; false (with the report) on the
    // first disagreement.
    bool Play(unsigned seed, int events);

    std::string report_;
    RandomDialogs seam_;
    int movesPlayed_ = 0;
    int potionsUsed_ = 0;

private:
    // Remembers the cell picture that received the latest pointer move: the
    // only cell that may carry the potion target.
    struct HoverWatch : QObject {
        int lastTag = 0;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::MouseMove) {
                if (auto* cell = qobject_cast<TImage*>(watched);
                    cell && cell->parentWidget() == Form1->Panel1)
                    lastTag = cell->tag();
                else if (watched == Form1)
                    lastTag = 0;
            }
            return false;
        }
    };

    int below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
    QWindow* window() const { return Form1->windowHandle(); }
    QPoint CellPoint(int c, int r) const
    {
        // Anywhere well inside the cell.
        TImage* cell = Form1->CellImages[c][r];
        const QRect inner = cell->rect().adjusted(4, 4, -4, -4);
        const QPoint inside(inner.left() + static_cast<int>(random_() % static_cast<unsigned>(inner.width())),
            inner.top() + static_cast<int>(random_() % static_cast<unsigned>(inner.height())));
        return cell->mapTo(Form1, inside);
    }
    std::pair<int, int> AnyCell() { return {1 + below(Game.ColumnCount), 1 + below(Game.RowCount)}; }
    // A panel with a neighbour of its own kind, if there is one.
    std::pair<int, int> PlayableCell()
    {
        std::vector<std::pair<int, int>> cells;
        for (int c = 1; c <= Game.ColumnCount; ++c)
            for (int r = 1; r <= Game.RowCount; ++r) {
                const int v = Game.Board[c][r] % engine::PotionTargetOffset;
                if (v >= 1
                    && (v == Game.Board[c + 1][r] % engine::PotionTargetOffset
                        || v == Game.Board[c][r + 1] % engine::PotionTargetOffset))
                    cells.push_back({c, r});
            }
        return cells.empty() ? AnyCell()
                             : cells[static_cast<std::size_t>(below(static_cast<int>(cells.size())))];
    }

    void Step(std::ostringstream& said);
    void ArmSettings(std::ostringstream& said);
    void ClickHere(std::ostringstream& said);
    void ModalInterlude(std::ostringstream& said);
    std::string Check();
    void BoardKey(std::ostringstream& said);
    void PressKey(std::ostringstream& said, QWidget* to);
    void OtherWindow(std::ostringstream& said);

    mutable std::mt19937 random_;
    dialogs::DialogSeam* previousSeam_ = nullptr;
    HoverWatch hoverWatch_;
    QPoint pointer_;
    std::optional<ModalAnswer> settingsAnswer_;
    int pendingPotionCharge_ = 0; // charged by potions since the labels were last set
};

void RandomWindow::Step(std::ostringstream& said)
{
    const int pick = below(100);
    if (pick < 15) {
        const auto [c, r] = AnyCell();
        pointer_ = CellPoint(c, r);
        said << "move to cell " << c << "," << r;
        QTest::mouseMove(window(), pointer_);
    } else if (pick < 25) {
        said << "click where the pointer rests";
        ClickHere(said);
    } else if (pick < 57) {
        // Mostly a cell with a neighbour of its kind, so games get played.
        const auto [c, r] = below(4) == 0 ? AnyCell() : PlayableCell();
        pointer_ = CellPoint(c, r);
        said << "click on cell " << c << "," << r;
        ClickHere(said);
    } else if (pick < 67) {
        // Pressed on one cell, released on another: no click for either.
        const auto [c, r] = AnyCell();
        const int tc = std::clamp(c + below(3) - 1, 1, Game.ColumnCount);
        const int tr = std::clamp(r + below(3) - 1, 1, Game.RowCount);
        said << "drag from cell " << c << "," << r << " to " << tc << "," << tr;
        pointer_ = CellPoint(c, r);
        QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, pointer_);
        pointer_ = CellPoint(tc, tr);
        QTest::mouseMove(window(), pointer_);
        QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, pointer_);
    } else if (pick < 70) {
        // Anywhere on the window that no control covers.
        pointer_ = BareSpot();
        for (int tries = 0; tries < 100; ++tries) {
            const QPoint p(below(Form1->width()), below(Form1->height()));
            if (!Form1->childAt(p)) {
                pointer_ = p;
                break;
            }
        }
        said << "move over the bare window at " << pointer_.x() << "," << pointer_.y();
        QTest::mouseMove(window(), pointer_);
    } else if (pick < 73) {
        QWidget* const over[] = {Form1->Label2, Form1->Label9, Form1->Label11, Form1->BtnRetry,
            Form1->Button2, Form1->LegendImages[1], Form1->Panel1};
        QWidget* w = over[below(static_cast<int>(std::size(over)))];
        pointer_ = w == Form1->Panel1 ? Form1->Panel1->mapTo(Form1, QPoint(2, 2)) : w->geometry().center();
        said << "move over " << w->objectName().toStdString();
        QTest::mouseMove(window(), pointer_);
    } else if (pick < 82) {
        // The keyboard on the button row; the close button is left alone, and
        // the commands that start afresh are pressed rarely, so games end.
        QWidget* focus = Form1->focusWidget();
        if (focus == Form1->Panel1 && below(4) != 0) {
            BoardKey(said);
            return;
        }
        const bool afresh
            = focus == Form1->BtnRetry || focus == Form1->BtnNewPanel || focus == Form1->BtnConfig;
        if (below(2) == 0 || (afresh && below(8) != 0)) {
            said << "key Tab";
            QTest::keyClick(window(), Qt::Key_Tab);
        } else if (focus && focus != Form1->BBtnClose) {
            said << "on " << focus->objectName().toStdString() << ": ";
            if (focus == Form1->BtnConfig)
                ArmSettings(said);
            PressKey(said, focus);
        } else {
            said << "key Tab (focus on the close button)";
            QTest::keyClick(window(), Qt::Key_Tab);
        }
    } else if (pick < 93) {
        QPushButton* const buttons[]
            = {Form1->BitBtn1, Form1->BitBtn1, Form1->BitBtn1, Form1->BtnPrevious, Form1->BtnPrevious,
                Form1->BtnRetry, Form1->BtnNewPanel, Form1->Button1, Form1->Button2, Form1->BtnConfig};
        QPushButton* b = buttons[below(static_cast<int>(std::size(buttons)))];
        pointer_ = b->geometry().center();
        said << "click on " << b->objectName().toStdString();
        ClickHere(said);
    } else if (pick < 96) {
        OtherWindow(said);
    } else {
        ModalInterlude(said);
    }
}

// Space, Enter or keypad Enter on the control that has the keyboard: mostly
// tapped, now and then held down so that the window system repeats it
// before the release, as a slow finger does.
void RandomWindow::PressKey(std::ostringstream& said, QWidget* to)
{
    static constexpr Qt::Key keys[] = {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter};
    const Qt::Key key = keys[below(static_cast<int>(std::size(keys)))];
    const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r");
    const int repeats = below(4) == 0 ? 1 + below(3) : 0;
    said << "key " << QKeySequence(key).toString().toStdString() << " with " << repeats << " repeats";
    const auto send = [&](QEvent::Type type, bool repeat) {
        QKeyEvent event(type, key, modifiers, text, repeat);
        QApplication::sendEvent(to, &event);
    };
    send(QEvent::KeyPress, false);
    for (int i = 0; i < repeats; ++i) {
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
    }
    send(QEvent::KeyRelease, false);
}

// The summary, the record table or the information window: one not shown
// is brought up with its button, one shown is left with Esc, as a player
// who came to look goes back to the game.
void RandomWindow::OtherWindow(std::ostringstream& said)
{
    const struct {
        QWidget* window;
        QPushButton* button;
    } others[] = {{Form3, Form1->Button1}, {Form4, Form1->Button2}, {Form5, Form1->Button3}};
    const auto& other = others[below(static_cast<int>(std::size(others)))];
    if (!other.window->isVisible()) {
        pointer_ = other.button->geometry().center();
        said << "click on " << other.button->objectName().toStdString();
        ClickHere(said);
        return;
    }
    said << "key Esc on " << other.window->objectName().toStdString();
    QTest::keyClick(other.window->windowHandle(), Qt::Key_Escape);
}

// A modal box comes up (the version box), the pointer moves while it is up,
// and the box closes by the keyboard: the window sees no move in between.
void RandomWindow::ModalInterlude(std::ostringstream& said)
{
    const auto [c, r] = AnyCell();
    const QPoint to = CellPoint(c, r);
    said << "version box; the pointer moves to cell " << c << "," << r << " meanwhile; Enter";
    ModalAnswer answer(
        [this, to](QWidget*) {
            QTest::mouseMove(window(), to);
            QTest::keyClick(AboutBox->windowHandle(), Qt::Key_Return);
        },
        AboutBox);
    AboutBox->exec();
    pointer_ = to;
}

// Draws what the settings dialog will be given and answers it from inside
// its modal loop, should the next event open it.
void RandomWindow::ArmSettings(std::ostringstream& said)
{
    static const char* const texts[] = {"8", "9", "12", "19", "40", "3", "5", "6", "100", "-3", " 12", "12 ",
        "", "abc", "0x10", "$1F", "99999999999", "7"};
    QString values[3];
    for (QString& v : values)
        v = QString::fromLatin1(texts[below(static_cast<int>(std::size(texts)))]);
    // Large boards are slow to check; most runs stay small.
    if (below(4) != 0) {
        values[0] = QString::number(8 + below(12));
        values[1] = QString::number(8 + below(5));
    }
    const bool confirm = below(4) != 0;
    said << " (settings '" << values[0].toStdString() << "' '" << values[1].toStdString() << "' '"
         << values[2].toStdString() << "' " << (confirm ? "Enter" : "Esc") << ")";
    settingsAnswer_.emplace(
        [values, confirm](QWidget*) {
            QLineEdit* const fields[] = {Form2->Edit1, Form2->Edit2, Form2->Edit3};
            for (int i = 0; i < 3; ++i)
                fields[i]->setText(values[i]);
            QTest::keyClick(Form2->windowHandle(), confirm ? Qt::Key_Return : Qt::Key_Escape);
            // A refused text keeps the dialog open: leave it.
            if (Form2->isVisible())
                QTest::keyClick(Form2->windowHandle(), Qt::Key_Escape);
        },
        Form2, std::chrono::seconds(20));
}

// A key on the board: mostly the cursor's, now and then a click by key,
// the hint, or a shortcut of the buttons.
void RandomWindow::BoardKey(std::ostringstream& said)
{
    static constexpr Qt::Key moves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Left,
        Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
    static constexpr Qt::Key shortcuts[] = {Qt::Key_Z, Qt::Key_Z, Qt::Key_R, Qt::Key_N};
    const int pick = below(20);
    if (pick < 14) {
        const Qt::Key key = moves[below(static_cast<int>(std::size(moves)))];
        said << "board key " << QKeySequence(key).toString().toStdString();
        QTest::keyClick(window(), key);
        // The key hovers the cell it reaches, as the pointer would.
        if (Game.BoardReady())
            hoverWatch_.lastTag = engine::CellTag(Form1->CursorColumn, Form1->CursorRow);
    } else if (pick < 17) {
        said << "a click on " << Form1->CursorColumn << "," << Form1->CursorRow << " by ";
        PressKey(said, Form1->Panel1);
    } else if (pick < 19) {
        said << "key H";
        QTest::keyClick(window(), Qt::Key_H);
    } else {
        const Qt::Key key = shortcuts[below(static_cast<int>(std::size(shortcuts)))];
        said << "key Ctrl+" << QKeySequence(key).toString().toStdString();
        QTest::keyClick(window(), key, Qt::ControlModifier);
    }
}

void RandomWindow::ClickHere(std::ostringstream& said)
{
    if (Form1->childAt(pointer_) == Form1->BtnConfig)
        ArmSettings(said);
    QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, pointer_);
}

std::string RandomWindow::Check()
{
    std::ostringstream fault;

    // Only the boxes the game has reasons for.
    for (const auto& box : seam_.shown) {
        const bool expected = (box.kind == "question" && box.caption == QStringLiteral("ゲーム終了"))
            || (box.kind == "input" && box.caption == QStringLiteral("名前の入力"))
            || (box.kind == "message"
                && (box.text == QStringLiteral("魔法薬は既に3回使ったため、利用できません")
                    || box.text == QStringLiteral("20文字以内にしてください。")
                    || box.text == QStringLiteral("使えない文字が含まれています。")))
            || (box.kind == "error" && box.text.endsWith(QStringLiteral("' は整数ではありません.")));
        if (!expected)
            fault << "unexpected " << box.kind.toStdString() << " box: " << box.text.toStdString() << "\n";
    }
    seam_.shown.clear();
    // A recorded name holds no control character: it would split its line.
    for (int i = 0; i < Form4->Table.rowCount(); ++i)
        for (char ch : Form4->Table.text(i, records::NameColumn))
            if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F)
                fault << "a recorded name holds the control character " << int(ch) << "\n";

    const engine::GameState& g = Game;
    if (!g.BoardReady())
        return fault.str();

    // The board: kinds, at most one potion target, gravity and packing.
    int targets = 0, panels = 0;
    int counts[engine::KindCountMax + 1] = {};
    for (int c = 1; c <= g.ColumnCount; ++c) {
        for (int r = 1; r <= g.RowCount; ++r) {
            const int v = g.Board[c][r];
            const bool target = v >= engine::PotionTargetOffset;
            const int kind = target ? v - engine::PotionTargetOffset : v;
            if (v != engine::EmptyCell && (kind < 1 || kind > g.KindCount)) {
                fault << "cell " << c << "," << r << " holds " << v << "\n";
                continue;
            }
            if (target) {
                ++targets;
                if (!g.PotionMode)
                    fault << "potion target left at " << c << "," << r << " outside the potion mode\n";
                else if (hoverWatch_.lastTag != engine::CellTag(c, r))
                    fault << "potion target at " << c << "," << r << " but the pointer last moved over "
                          << hoverWatch_.lastTag << "\n";
                if (g.GroupMark[c][r] != 1)
                    fault << "potion target at " << c << "," << r << " is not marked\n";
            }
            if (v != engine::EmptyCell) {
                ++panels;
                ++counts[kind];
                if (g.Board[c][r - 1] == engine::EmptyCell && r > 1)
                    fault << "panel at " << c << "," << r << " stands on an empty cell\n";
            }
        }
        if (g.Board[c][1] != engine::EmptyCell && c > 1 && g.Board[c - 1][1] == engine::EmptyCell)
            fault << "column " << c << " stands right of an empty column\n";
        if (g.Board[c][0] != engine::EmptyCell || g.Board[c][g.RowCount + 1] != engine::EmptyCell)
            fault << "border broken at column " << c << "\n";
    }
    if (targets > 1)
        fault << targets << " potion targets\n";

    // The pictures: a marked cell shows its outline and no other cell does.
    for (int c = 1; c <= g.ColumnCount; ++c)
        for (int r = 1; r <= g.RowCount; ++r) {
            const int v = g.Board[c][r];
            const bool target = v >= engine::PotionTargetOffset;
            TImage* cell = Form1->CellImages[c][r];
            if (v != engine::EmptyCell && !cell->prepared())
                fault << "cell " << c << "," << r << " is not prepared for its outline\n";
            if (cell->surface() != ExpectedSurface(v, g.GroupMark[c][r] == 1, target, g.GroupSize >= 2))
                fault << "cell " << c << "," << r << " (value " << v << ", mark " << g.GroupMark[c][r]
                      << ") shows other pixels\n";
        }

    // The ledger: erase points are the moves still in the history.
    int erase = 0;
    std::size_t top = g.History.top();
    while (top > 0) {
        const engine::SummaryEntry move = engine::UnpackSummary(g.History.at(top));
        erase += (move.erased - 2) * (move.erased - 2);
        if (top < static_cast<std::size_t>(1 + move.erased + move.closed)) {
            fault << "history entry " << g.History.at(top) << " runs below the bottom\n";
            break;
        }
        top -= static_cast<std::size_t>(1 + move.erased + move.closed);
    }
    if (engine::ErasePoints(g) != erase)
        fault << "erase points " << engine::ErasePoints(g) << ", the history says " << erase << "\n";
    if (g.PotionPoints != -engine::PotionCharge * (engine::PotionUses - g.PotionsLeft))
        fault << "potion points " << g.PotionPoints << " with " << g.PotionsLeft << " uses left\n";
    if (g.RemainingPanels != panels)
        fault << "remaining panels " << g.RemainingPanels << ", the board holds " << panels << "\n";

    // The labels. A potion use charges without setting them; the next
    // change catches up.
    if (Form1->Label11->text() == QString::number(g.Score))
        pendingPotionCharge_ = 0;
    if (Form1->Label11->text() != QString::number(g.Score + pendingPotionCharge_))
        fault << "score label " << Form1->Label11->text().toStdString() << ", score " << g.Score << "\n";
    if (Form1->Label2->text() != QString::number(panels))
        fault << "panel label " << Form1->Label2->text().toStdString() << ", the board holds " << panels
              << "\n";
    if (pendingPotionCharge_ == 0) {
        TLabel* const legend[]
            = {Form1->Label3, Form1->Label4, Form1->Label5, Form1->Label6, Form1->Label7, Form1->Label12};
        int bonus = 0;
        for (int k = 1; k <= engine::KindCountMax; ++k) {
            const QString shown = k <= g.KindCount ? QString::number(counts[k]) : QString();
            if (legend[k - 1]->text() != shown)
                fault << "legend of kind " << k << " reads " << legend[k - 1]->text().toStdString()
                      << ", the board holds " << counts[k] << "\n";
            if (k <= g.KindCount && counts[k] == 0)
                bonus += engine::ClearedKindBonus;
        }
        // A setup (a new size in the settings) counts no bonus: a kind the
        // deal lacks earns it at the first move, undo or restart.
        const bool sinceSetup = g.History.top() == 0 && g.UndoPoints == 0 && g.BonusPoints == 0;
        if (g.BonusPoints != bonus && !sinceSetup)
            fault << "bonus " << g.BonusPoints << ", the board earns " << bonus << "\n";
    }
    // Each window's button tells whether it is shown.
    const struct {
        QWidget* window;
        QPushButton* button;
        bool shown;
        QString what;
    } toggles[] = {{Form3, Form1->Button1, Form1->ScoreWindowShown, QStringLiteral("得点表示")},
        {Form4, Form1->Button2, Form1->RecordWindowShown, QStringLiteral("記録表示")}};
    for (const auto& t : toggles) {
        const QString caption
            = t.what + (t.window->isVisible() ? QStringLiteral("OFF") : QStringLiteral("ON"));
        if (t.shown != t.window->isVisible() || t.button->text() != caption)
            fault << t.window->objectName().toStdString() << (t.window->isVisible() ? " shown" : " hidden")
                  << ", its button reads " << t.button->text().toStdString() << "\n";
    }
    if (Form1->BitBtn1->text() != QStringLiteral("魔法薬 %1").arg(g.PotionsLeft))
        fault << "potion button reads " << Form1->BitBtn1->text().toStdString() << "\n";
    for (QPushButton* b :
        {Form1->BtnConfig, Form1->BtnNewPanel, Form1->BtnRetry, Form1->BtnPrevious, Form1->Button1})
        if (b->isEnabled() == g.PotionMode)
            fault << b->objectName().toStdString() << (g.PotionMode ? " enabled in" : " disabled outside")
                  << " the potion mode\n";
    return fault.str();
}

bool RandomWindow::Play(unsigned seed, int events)
{
    random_.seed(seed);
    pendingPotionCharge_ = 0;
    std::vector<std::string> said;
    // A box nobody answers would hang the run: one that is still up long
    // after its event began is closed, and the run fails.
    bool stuck = false;
    QElapsedTimer eventTime;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&stuck, &eventTime] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (box && eventTime.elapsed() > 20000) {
            stuck = true;
            box->reject();
        }
    });
    watchdog.start(1000);
    for (int i = 0; i < events; ++i) {
        const int potionsBefore = Game.PotionsLeft;
        const std::size_t historyBefore = Game.History.top();
        eventTime.start();
        settingsAnswer_.reset(); // an answer the last event did not need
        std::ostringstream step;
        Step(step);
        said.push_back(step.str());
        if (Game.History.top() > historyBefore)
            ++movesPlayed_;
        if (Game.PotionsLeft < potionsBefore)
            ++potionsUsed_;
        if (Game.PotionsLeft < potionsBefore)
            pendingPotionCharge_ += engine::PotionCharge * (potionsBefore - Game.PotionsLeft);
        std::string fault = Check();
        if (stuck)
            fault += "a modal box stayed open\n";
        if (!fault.empty()) {
            std::ostringstream out;
            out << "seed " << seed << ", after event " << i + 1 << ":\n" << fault << "events:\n";
            for (std::size_t k = 0; k < said.size(); ++k)
                out << "  " << k + 1 << ". " << said[k] << "\n";
            report_ = out.str();
            return false;
        }
    }
    return true;
}

} // namespace

TEST_F(RandomWindow, EveryEventLeavesTheWindowInAgreementWithTheBoard)
{
    int seeds = 10;
    if (const QByteArray soak = qgetenv("ZEMMICK_SOAK_WINDOW_SEEDS"); !soak.isEmpty())
        seeds = soak.toInt();
    for (int s = 1; s <= seeds; ++s) {
        // Each seed starts out of the potion mode on a small board of three
        // or four kinds, where games end, dealt from the seed.
        if (Game.PotionMode)
            Form1->BitBtn1Click(Form1->BitBtn1);
        Game.Random.seed(static_cast<std::uint32_t>(s));
        Resize(8 + s % 5, 8, 3 + s % 2);
        ASSERT_TRUE(Play(static_cast<unsigned>(s), 800)) << report_;
    }
    // The run reached what it is for.
    std::printf("%d moves, %d potion uses, %d game ends, %d names given\n", movesPlayed_, potionsUsed_,
        seam_.gameEnds, seam_.namesGiven);
    EXPECT_GT(potionsUsed_, 0);
    EXPECT_GT(seam_.gameEnds, 0);
    EXPECT_GT(seam_.namesGiven, 0);
}
