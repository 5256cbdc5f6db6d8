#include "Zemmick1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QShortcut>
#include <QStyle>
#include <QThread>
#include <algorithm>
#include <chrono>

#include "BackgroundSearch.h"
#include "Dialogs.h"
#include "Errors.h"
#include "Infoshow1.h"
#include "Panelconfig1.h"
#include "Point1.h"
#include "Pointrec1.h"
#include "RecordRow.h"
#include "ShiftJis.h"

TForm1* Form1 = nullptr;
engine::GameState Game;
SearchBudgets Budgets;

void ToggleScoreWindow(QObject* sender)
{
    Form1->Button1Click(sender);
}

void ToggleRecordWindow(QObject* sender)
{
    Form1->Button2Click(sender);
}

bool CloseOnEscape(QWidget* window, const QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier)
        return false;
    window->close();
    // A player without a mouse goes on in the game.
    if (!window->isVisible() && Form1 != nullptr && Form1->isVisible())
        Form1->activateWindow();
    return true;
}

namespace {

constexpr int ButtonTop = 0;
constexpr int ButtonHeight = 25;
constexpr int LegendTop = 32;
constexpr int ScoreCaptionLeft = 544; // "得点="
constexpr int ScoreLeft = 608;

int LegendLeft(int kind)
{
    return 70 * kind + 45;
}

// The button row, in the order the Tab key visits it (not their order on
// the screen).
struct ButtonPlace {
    QPushButton* TForm1::*member;
    const char* name;
    int left, width;
    const char16_t* caption;
    void (TForm1::*handler)(QObject*); // none for the close button
};
const ButtonPlace ButtonRow[] = {
    {&TForm1::BtnRetry, "BtnRetry", 144, 73, u"最初から", &TForm1::BtnRetryClick},
    {&TForm1::BtnPrevious, "BtnPrevious", 216, 73, u"１手戻し", &TForm1::BtnPreviousClick},
    {&TForm1::BBtnClose, "BBtnClose", 576, 81, u"閉じる(&C)", nullptr},
    {&TForm1::BtnNewPanel, "BtnNewPanel", 72, 73, u"新規パネル", &TForm1::BtnNewPanelClick},
    {&TForm1::BtnConfig, "BtnConfig", 0, 73, u"画面設定", &TForm1::BtnConfigClick},
    {&TForm1::Button1, "Button1", 368, 81, u"得点表示ON", &TForm1::Button1Click},
    {&TForm1::BitBtn1, "BitBtn1", 288, 81, u"魔法薬 3 ", &TForm1::BitBtn1Click},
    {&TForm1::Button2, "Button2", 448, 81, u"記録表示ON", &TForm1::Button2Click},
    {&TForm1::Button3, "Button3", 528, 49, u"情報", &TForm1::Button3Click},
};

// The status line; each label's character height is its height.
struct LabelPlace {
    TLabel* TForm1::*member;
    const char* name;
    int left, top, height;
    const char16_t* caption;
};
const LabelPlace StatusLine[] = {
    {&TForm1::Label1, "Label1", 5, 32, 13, u"パネル数"},
    {&TForm1::Label2, "Label2", 60, 28, 20, u"0"},
    {&TForm1::Label3, "Label3", 148, 36, 24, u""},
    {&TForm1::Label4, "Label4", 218, 36, 24, u""},
    {&TForm1::Label5, "Label5", 288, 36, 24, u""},
    {&TForm1::Label6, "Label6", 358, 36, 24, u""},
    {&TForm1::Label7, "Label7", 428, 36, 24, u""},
    {&TForm1::Label12, "Label12", 498, 36, 24, u""},
    {&TForm1::Label8, "Label8", 5, 52, 16, u"連結"},
    {&TForm1::Label9, "Label9", 40, 49, 20, u"0"},
    {&TForm1::Label10, "Label10", ScoreCaptionLeft, 32, 24, u"得点="},
    {&TForm1::Label11, "Label11", ScoreLeft, 32, 24, u"0"},
};

} // namespace

TForm1::TForm1()
    : QWidget(nullptr)
{
    Form1 = this;
    Game = engine::GameState{};

    setObjectName("Form1");
    setWindowTitle(QStringLiteral("ゼミック(Zemmick)：パネルを消そう"));
    setFont(ProgramFont(12));
    move(285, 122);
    resize(673, 200);
    setMouseTracking(true);

    ImageList1 = &ImageList();

    Panel1 = new TPanel(this, "Panel1", 3);
    Panel1->setGeometry(8, 72, 81, 65);

    for (const ButtonPlace& b : ButtonRow) {
        QPushButton* button = makeButton(
            QString::fromLatin1(b.name), b.left, b.width, QString::fromUtf16(b.caption), b.handler);
        this->*b.member = button;
    }
    connect(BBtnClose, &QPushButton::clicked, this, [this] { close(); });
    BitBtn1->setIcon(PotionIcon());
    BitBtn1->setIconSize(QSize(16, 16));
    // The row's order is the order of the Tab key.
    for (std::size_t i = 1; i < std::size(ButtonRow); ++i)
        QWidget::setTabOrder(this->*ButtonRow[i - 1].member, this->*ButtonRow[i].member);

    for (const LabelPlace& l : StatusLine)
        this->*l.member = new TLabel(this, QString::fromLatin1(l.name), l.left, l.top, l.height, l.height,
            QString::fromUtf16(l.caption));

    // The board takes the keyboard focus after the button row, never from
    // a click: its arrow keys move a cell cursor, Space and Enter click the
    // cell under it.
    Panel1->setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(Button3, Panel1);
    Panel1->installEventFilter(this);

    // The usual shortcuts press their buttons, which do nothing while
    // disabled.
    const struct {
        const char* name;
        QKeySequence keys;
        QPushButton* button;
    } shortcuts[] = {{"ShortcutUndo", QKeySequence(Qt::CTRL | Qt::Key_Z), BtnPrevious},
        {"ShortcutNewPanel", QKeySequence(Qt::CTRL | Qt::Key_N), BtnNewPanel},
        {"ShortcutRetry", QKeySequence(Qt::CTRL | Qt::Key_R), BtnRetry}};
    for (const auto& s : shortcuts) {
        auto* shortcut = new QShortcut(s.keys, this);
        shortcut->setObjectName(QString::fromLatin1(s.name));
        connect(shortcut, &QShortcut::activated, s.button, &QPushButton::click);
    }

    // The hint, by its key anywhere in the window or from the board's
    // context menu, which also shows the par.
    auto* hintKey = new QShortcut(QKeySequence(Qt::Key_H), this);
    hintKey->setObjectName(QStringLiteral("ShortcutHint"));
    connect(hintKey, &QShortcut::activated, this, [this] { Guarded([this] { HintClick(this); }); });
    PopupMenu1 = Named(new QMenu(this), QStringLiteral("PopupMenu1"));
    MenuHint = PopupMenu1->addAction(QStringLiteral("ヒント(&H)"));
    MenuHint->setObjectName(QStringLiteral("MenuHint"));
    connect(MenuHint, &QAction::triggered, this, [this] { Guarded([this] { HintClick(this); }); });
    MenuPar = PopupMenu1->addAction(QString());
    MenuPar->setObjectName(QStringLiteral("MenuPar"));
    MenuPar->setEnabled(false);
    Panel1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Panel1, &QWidget::customContextMenuRequested, this,
        [this](QPoint at) { Guarded([&] { PopupMenu1Popup(Panel1->mapToGlobal(at)); }); });

    HintSearch = std::make_unique<BackgroundSearch>(engine::ScoringRule::Game, Budgets.Hint,
        BackgroundSearch::Priority::Normal,
        [this](const engine::SolverBoard& board, const engine::SolverResult& result) {
            hintFrom_ = board;
            hintLine_ = result.Moves;
            if (HintAvailable() && engine::SolverBoard(Game) == board && !result.Moves.empty())
                showHint(result.Moves.front());
        });
    ParSearch = std::make_unique<BackgroundSearch>(engine::ScoringRule::Game, Budgets.Par,
        BackgroundSearch::Priority::Background,
        [this](const engine::SolverBoard& board, const engine::SolverResult& result) {
            if (parBoard_ == board) {
                Par = result.Score;
                showPar();
            }
        });

    BtnRetry->setFocus();

    SetInternalFailureHandler([this] { Settle(); });
    Guarded([this] { FormCreate(this); });
}

TForm1::~TForm1()
{
    SetInternalFailureHandler(nullptr);
    if (Form1 == this)
        Form1 = nullptr;
}

QPushButton* TForm1::makeButton(
    const QString& name, int left, int width, const QString& caption, void (TForm1::*handler)(QObject*))
{
    auto* button = Named(new QPushButton(caption, this), name);
    button->setGeometry(left, ButtonTop, width, ButtonHeight);
    button->setAutoDefault(false);
    button->setAttribute(Qt::WA_NoMousePropagation);
    if (handler)
        connect(button, &QPushButton::clicked, this,
            [this, button, handler] { Guarded([&] { (this->*handler)(button); }); });
    return button;
}

// --- Start-up and closing -----------------------------------------------------

void TForm1::FormCreate(QObject*)
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    Game.Random.seed(
        static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count()));
    Game.ColumnCount = engine::ColumnCountStart;
    Game.RowCount = engine::RowCountStart;
    Game.KindCount = engine::KindCountStart;
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    KeepOnScreen(this);
    // Restoring a minimised window shows it again; only the first showing
    // deals.
    if (!shown_) {
        shown_ = true;
        Guarded([this] { FormShow(this); });
    }
}

void TForm1::FormShow(QObject*)
{
    SetupBoard();
}

void TForm1::setVisible(bool visible)
{
    QWidget::setVisible(visible);
    // The close button's standard picture comes from the desktop's icon
    // theme, whose index is read at the first lookup: the slowest step of
    // making this window. Nothing paints the window before events are
    // processed, so it is looked up once the window is on the screen and
    // the first paint shows it all the same.
    if (visible && BBtnClose->icon().isNull())
        BBtnClose->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool close = true;
    Guarded([&] {
        if (Form4 && !Form4->ConfirmClose()) {
            close = false;
            return;
        }
        FormClose(this);
    });
    if (!close) {
        event->ignore();
        return;
    }
    event->accept();
    // The other windows may still be open; closing this one ends the
    // program's event loop (when one runs: a close before it started, or
    // after it ended, has nothing to end).
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

void TForm1::FormClose(QObject*)
{
    // A result already on its way through the event loop would hover
    // pictures that are gone: the searches report nothing more.
    HintSearch->cancel();
    ParSearch->cancel();
    // The board goes with its pictures, as when a new board replaces it: a
    // close that comes while a box of the game's end is up returns into
    // that step, which must find no board to deal on.
    destroyPictures(Game.ColumnCount, Game.RowCount, Game.KindCount);
    Game.History.release();
    offerCommands();
}

void TForm1::destroyPictures(int columns, int rows, int kinds)
{
    for (int kind = 1; kind <= kinds; ++kind) {
        delete LegendImages[kind];
        LegendImages[kind] = nullptr;
    }
    for (int c = 1; c <= columns; ++c) {
        for (int r = 1; r <= rows; ++r) {
            delete CellImages[c][r];
            CellImages[c][r] = nullptr;
        }
    }
}

// --- Board setup ----------------------------------------------------------------

void TForm1::SetupBoard()
{
    if (!engine::SetupBoard(Game)) {
        dialogs::ShowMessage(QStringLiteral("動的記憶領域が確保できません"));
        offerCommands();
        placeCursor(CursorColumn, CursorRow);
        searchesFollowBoard();
        return;
    }

    // The window fits the board, but is never narrower than the button row.
    const int panelWidth = Game.ColumnCount * TImage::Size + 10;
    const int panelHeight = Game.RowCount * TImage::Size + 10;
    const int windowWidth = std::max(670, Panel1->x() + panelWidth + 15);
    Panel1->resize(100, 100);
    resize(windowWidth, Panel1->y() + panelHeight + 40);
    Panel1->resize(panelWidth, panelHeight);
    if (isVisible())
        KeepOnScreen(this);

    Label2->setCaption(QString::number(Game.RemainingPanels));
    showScore();
    showPotionCaption();

    for (int kind = 1; kind <= Game.KindCount; ++kind) {
        auto* legend = Named(new TImage(this), QStringLiteral("LegendImage%1").arg(kind));
        legend->move(LegendLeft(kind), LegendTop);
        legend->drawPicture(kind);
        legend->show();
        LegendImages[kind] = legend;
    }
    // A count of three digits, or a long group text, reaches the next
    // picture: the figures stand above the pictures, never under them.
    for (TLabel* label : {Label3, Label4, Label5, Label6, Label7, Label12, Label9})
        label->raise();

    for (int c = 1; c <= Game.ColumnCount; ++c) {
        for (int r = 1; r <= Game.RowCount; ++r) {
            auto* cell = new TImage(Panel1);
            cell->setTag(engine::CellTag(c, r));
            cell->setObjectName(QStringLiteral("CellImage%1").arg(cell->tag()));
            cell->move((c - 1) * TImage::Size + 5, (Game.RowCount - r) * TImage::Size + 5);
            cell->setMouseTracking(true);
            cell->setPaintedByParent(true);
            cell->OnMouseMove = [this](TImage* sender) { Image0MouseMove(sender); };
            cell->OnClick = [this](TImage* sender) { Image0Click(sender); };
            cell->OnContextMenu = [this](TImage*, QPoint where) { PopupMenu1Popup(where); };
            CellImages[c][r] = cell;
            cell->prepareCanvas();
            cell->drawPicture(Game.Board[c][r]);
            cell->show();
        }
    }

    showLegendCounts();
    offerCommands();
    placeCursor(CursorColumn, CursorRow);
    searchesFollowBoard();
}

void TForm1::showLegendCounts()
{
    TLabel* const counts[] = {nullptr, Label3, Label4, Label5, Label6, Label7, Label12};
    Label12->setCaption(QString());
    Label7->setCaption(QString());
    Label6->setCaption(QString());
    for (int kind = Game.KindCount; kind >= 1; --kind)
        counts[kind]->setCaption(QString::number(Game.KindCounts[kind]));
}

// The score stands after "得点=" at its designed place. A figure too wide for
// the window moves both to the left, so no digit is cut at the edge.
void TForm1::showScore()
{
    Label11->setCaption(QString::number(Game.Score));
    const int overflow = std::max(0, ScoreLeft + Label11->width() - width());
    Label10->setEdge(ScoreCaptionLeft - overflow);
    Label11->setEdge(ScoreLeft - overflow);
}

void TForm1::showPotionCaption()
{
    BitBtn1->setText(QStringLiteral("魔法薬 ") + QString::number(Game.PotionsLeft));
}

// Without a board (its setup failed) only the settings can help; nothing
// that acts on cells is offered.
void TForm1::offerCommands()
{
    for (QPushButton* button : {BtnNewPanel, BtnRetry, BtnPrevious, BitBtn1})
        button->setEnabled(Game.BoardReady());
}

// --- The cell pictures, for the engine ---------------------------------------

void TForm1::clearCell(int column, int row)
{
    CellImages[column][row]->clear();
}
void TForm1::drawPicture(int column, int row, int index)
{
    CellImages[column][row]->drawPicture(index);
}
void TForm1::prepareCanvas(int column, int row)
{
    CellImages[column][row]->prepareCanvas();
}
void TForm1::drawOutline(int column, int row)
{
    CellImages[column][row]->drawOutline();
}

// --- Hover and moves ------------------------------------------------------------

void TForm1::Image0MouseMove(QObject* sender)
{
    const engine::CellRef cell = engine::CellFromTag(static_cast<TImage*>(sender)->tag());
    engine::HoverCell(Game, *this, cell.column, cell.row);
    Label9->setCaption(QString::fromStdString(engine::GroupText(Game.GroupSize)));
    // The pointer and the keyboard share one hover.
    placeCursor(cell.column, cell.row);
}

// --- The keyboard on the board --------------------------------------------------

void TForm1::placeCursor(int column, int row)
{
    CursorColumn = std::clamp(column, 1, std::max(1, Game.ColumnCount));
    CursorRow = std::clamp(row, 1, std::max(1, Game.RowCount));
    TImage* cell = Game.BoardReady() ? CellImages[CursorColumn][CursorRow] : nullptr;
    Panel1->setFocusFrame(cell ? cell->geometry() : QRect());
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel1) {
        bool handled = false;
        if (event->type() == QEvent::KeyPress)
            Guarded([&] { handled = BoardKeyPress(static_cast<QKeyEvent*>(event)); });
        else if (event->type() == QEvent::KeyRelease)
            Guarded([&] { handled = BoardKeyRelease(static_cast<QKeyEvent*>(event)); });
        else if (event->type() == QEvent::FocusOut)
            clickKey_ = 0;
        if (handled)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

namespace {

bool IsClickKey(int key)
{
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

// Space and Enter click the cursor's cell when they are let go, as a mouse
// button does: a key held down repeats, and the repeats must not answer the
// box that a game's last move brings up.
bool TForm1::BoardKeyRelease(QKeyEvent* event)
{
    if (!IsClickKey(event->key()))
        return false;
    if (event->isAutoRepeat() || event->key() != clickKey_)
        return true;
    clickKey_ = 0;
    if (Game.BoardReady())
        Image0Click(CellImages[CursorColumn][CursorRow]);
    return true;
}

// A key on the board: the arrows move the cursor (it stops at the edges),
// Home and End go to the first and last column, Page Up and Page Down to the
// top and bottom row; moving runs the hover of the cell it reaches. Space
// and Enter click the cell when let go (see BoardKeyRelease).
bool TForm1::BoardKeyPress(QKeyEvent* event)
{
    if (!Game.BoardReady() || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    int column = CursorColumn;
    int row = CursorRow;
    switch (event->key()) {
    case Qt::Key_Left:
        --column;
        break;
    case Qt::Key_Right:
        ++column;
        break;
    case Qt::Key_Up:
        ++row;
        break;
    case Qt::Key_Down:
        --row;
        break;
    case Qt::Key_Home:
        column = 1;
        break;
    case Qt::Key_End:
        column = Game.ColumnCount;
        break;
    case Qt::Key_PageUp:
        row = Game.RowCount;
        break;
    case Qt::Key_PageDown:
        row = 1;
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            clickKey_ = event->key();
        return true;
    default:
        return false;
    }
    // At an edge the cursor stays, and the key hovers its cell again: after
    // a move that is how the cell's new group is outlined.
    column = std::clamp(column, 1, Game.ColumnCount);
    row = std::clamp(row, 1, Game.RowCount);
    Image0MouseMove(CellImages[column][row]);
    return true;
}

void TForm1::mouseMoveEvent(QMouseEvent* event)
{
    // Only moves over the bare window arrive here: every child stops its
    // own from reaching the window.
    event->accept();
    Guarded([this] { FormMouseMove(this); });
}

void TForm1::FormMouseMove(QObject*)
{
    if (!Game.BoardReady())
        return;
    engine::ClearHover(Game, *this);
    Label9->setCaption(QStringLiteral("0"));
}

void TForm1::Image0Click(QObject* sender)
{
    const engine::CellRef cell = engine::CellFromTag(static_cast<TImage*>(sender)->tag());
    if (Game.PotionMode) {
        ApplyPotion(cell.column, cell.row);
        return;
    }
    if (engine::ResolveMove(Game, cell.column, cell.row))
        RefreshAfterChange(sender);
}

void TForm1::RefreshAfterChange(QObject* sender)
{
    engine::RecountAndRedraw(Game, *this);
    showRecount(sender);
    searchesFollowBoard();
    if (!engine::MoveRemains(Game))
        CheckGameEnd(sender);
}

// The labels and the summary after a recount of the board.
void TForm1::showRecount(QObject* sender)
{
    showLegendCounts();
    showScore();
    Label2->setCaption(QString::number(Game.RemainingPanels));
    Label9->setCaption(QStringLiteral("0"));
    Form3->FormShow(sender);
}

// After an internal failure. The step that failed changed nothing; what it
// met (a potion target left behind, say) is put right here, and play goes on
// from the board as it stands.
void TForm1::Settle()
{
    if (!Game.BoardReady())
        return;
    if (Game.PotionMode)
        EndPotionMode();
    engine::SettleBoard(Game, *this);
    showRecount(this);
    searchesFollowBoard();
}

// --- Undo, restart and new board ------------------------------------------------

void TForm1::BtnPreviousClick(QObject* sender)
{
    if (engine::UndoMove(Game))
        RefreshAfterChange(sender);
}

void TForm1::BtnRetryClick(QObject* sender)
{
    if (!Game.BoardReady())
        return;
    engine::RestartBoard(Game);
    showPotionCaption();
    // Draws the board as dealt and shows its counts, score and summary.
    RefreshAfterChange(sender);
}

void TForm1::BtnNewPanelClick(QObject* sender)
{
    if (!Game.BoardReady())
        return;
    engine::DealNewBoard(Game);
    BtnRetryClick(sender);
}

// --- Magic potion -----------------------------------------------------------------

void TForm1::BitBtn1Click(QObject*)
{
    if (Game.PotionsLeft <= 0) {
        dialogs::ShowMessage(QStringLiteral("魔法薬は既に3回使ったため、利用できません"));
        BtnPrevious->setFocus();
        return;
    }
    if (!Game.PotionMode) {
        engine::StartPotionMode(Game);
        QApplication::setOverrideCursor(Qt::WhatsThisCursor);
        offerPotionCommands(false);
        return;
    }

    // Switched off by the player: the target under the pointer goes back to
    // its own picture now, not at the next mouse move, and no stale group is
    // left to be clicked.
    engine::ClearHover(Game, *this);
    Game.GroupSize = 0;
    Label9->setCaption(QStringLiteral("0"));
    EndPotionMode();
}

// The one way out of the potion mode, for the button and for a use.
void TForm1::EndPotionMode()
{
    engine::EndPotionMode(Game, *this);
    QApplication::restoreOverrideCursor();
    offerPotionCommands(true);
}

// The commands that change the board as a whole, and the score summary's
// toggle, wait while the potion is armed.
void TForm1::offerPotionCommands(bool on)
{
    for (QPushButton* button : {BtnConfig, BtnNewPanel, BtnRetry, BtnPrevious, Button1})
        button->setEnabled(on);
}

void TForm1::ApplyPotion(int column, int row)
{
    if (!engine::RerollPanel(Game, *this, column, row))
        return;
    EndPotionMode();
    engine::ChargePotion(Game);
    showPotionCaption();
    Form3->FormShow(this);
    searchesFollowBoard();
}

// --- Hint and par -------------------------------------------------------------------

bool TForm1::HintAvailable() const
{
    return Game.BoardReady() && !Game.PotionMode && engine::MoveRemains(Game);
}

void TForm1::HintClick(QObject*)
{
    if (!HintAvailable())
        return;
    const engine::SolverBoard now(Game);
    // Hint after hint follows one line: each is at once the next move of
    // the line the first one came from.
    if (const auto move = engine::NextMoveOnLine(hintFrom_, hintLine_, now)) {
        showHint(*move);
        return;
    }
    if (HintSearch->pending() != now)
        HintSearch->start(now);
}

// The hint is an ordinary hover of its group, with the cursor on it.
void TForm1::showHint(const engine::SolverMove& move)
{
    Image0MouseMove(CellImages[move.Column][move.Row]);
}

// After every change of the board: a hint search for another board is of
// no more use; a new deal gets its par searched.
void TForm1::searchesFollowBoard()
{
    if (!Game.BoardReady()) {
        HintSearch->cancel();
        ParSearch->cancel();
        parBoard_.reset();
        Par.reset();
        showPar();
        return;
    }
    if (HintSearch->pending() && *HintSearch->pending() != engine::SolverBoard(Game))
        HintSearch->cancel();
    const engine::SolverBoard dealt = engine::SolverBoard::AsDealt(Game);
    if (parBoard_ != dealt) {
        parBoard_ = dealt;
        Par.reset();
        ParSearch->start(dealt);
    }
    showPar();
}

// The par as the score's tooltip and the menu's disabled item.
void TForm1::showPar()
{
    QString text;
    if (Par)
        text = QStringLiteral("目標得点（計算機）: %1").arg(*Par);
    else if (parBoard_)
        text = QStringLiteral("目標得点: 計算中…");
    Label10->setToolTip(text);
    Label11->setToolTip(text);
    MenuPar->setText(text);
    MenuPar->setVisible(!text.isEmpty());
}

void TForm1::PopupMenu1Popup(QPoint where)
{
    MenuHint->setEnabled(HintAvailable());
    PopupMenu1->popup(where);
}

// --- The other windows --------------------------------------------------------------

// The score summary's and the record table's buttons: each shows its window
// (restored and in front) or hides it, and its caption says what the next
// press does.
void TForm1::toggleWindow(QWidget* window, QPushButton* button, bool& shown, const QString& what)
{
    if (!shown) {
        BringUp(window);
        button->setText(what + QStringLiteral("OFF"));
    } else {
        window->hide();
        button->setText(what + QStringLiteral("ON"));
    }
    shown = !shown;
}

void TForm1::Button1Click(QObject*)
{
    // The summary only shows figures: it comes up in front, and the window
    // system gives it the keyboard, where no key has anything to do. Shown
    // from the main window, it leaves the keyboard here, so play goes on.
    const bool active = isActiveWindow();
    toggleWindow(Form3, Button1, ScoreWindowShown, QStringLiteral("得点表示"));
    if (active && ScoreWindowShown)
        activateWindow();
}

void TForm1::Button2Click(QObject*)
{
    toggleWindow(Form4, Button2, RecordWindowShown, QStringLiteral("記録表示"));
}

void TForm1::Button3Click(QObject*)
{
    BringUp(Form5);
    Form5->activateWindow();
}

void TForm1::BtnConfigClick(QObject* sender)
{
    // The dialog stores the new settings itself; the old ones still describe
    // the pictures on screen.
    const int columns = Game.ColumnCount;
    const int rows = Game.RowCount;
    const int kinds = Game.KindCount;
    if (Form2->ShowModal() == TForm2::mrOk)
        ReplaceBoard(columns, rows, kinds);
    Form3->FormShow(sender);
}

void TForm1::ReplaceBoard(int columns, int rows, int kinds)
{
    destroyPictures(columns, rows, kinds);
    Game.History.release();
    SetupBoard();
}

// --- Game end -------------------------------------------------------------------------

void TForm1::CheckGameEnd(QObject* sender)
{
    // The summary comes up in front and takes the keyboard, and the boxes
    // below leave no window with it when they close: the main window takes
    // it back at the end, so that the keys play the next deal.
    const bool active = isActiveWindow();
    const auto keepKeys = qScopeGuard([this, active] {
        if (active)
            activateWindow();
    });

    // The final figures must be seen, also when the summary was minimised.
    if (!ScoreWindowShown)
        Button1Click(sender);
    else
        BringUp(Form3);

    if (dialogs::Ask(
            QStringLiteral("ゲーム終了"), QStringLiteral("ゲームが終了しました。結果を記録しますか？"))
        == dialogs::Answer::Yes) {
        QString name = QStringLiteral("who");
        for (;;) {
            if (!dialogs::InputQuery(
                    QStringLiteral("名前の入力"), QStringLiteral("20文字以内の半角文字で入力"), name)) {
                BtnNewPanelClick(sender);
                return;
            }
            // Look-alikes the code page lacks are stored as the forms it has.
            name = sjis::MapLookAlikes(name);
            // A control character (a pasted line break above all) would split
            // the recorded line in two.
            const bool control = std::any_of(name.cbegin(), name.cend(),
                [](QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7F; });
            if (control || !sjis::Encodable(name)) {
                dialogs::ShowMessage(QStringLiteral("使えない文字が含まれています。"));
                continue;
            }
            if (sjis::ByteLength(name) > static_cast<qsizetype>(records::NameLimit)) {
                dialogs::ShowMessage(QStringLiteral("20文字以内にしてください。"));
                continue;
            }
            break;
        }

        records::GameFigures figures;
        figures.StandardScore = engine::StandardScore(Game);
        figures.Score = Game.Score;
        figures.ErasePoints = engine::ErasePoints(Game);
        figures.BonusPoints = Game.BonusPoints;
        figures.RemainingPanels = Game.RemainingPanels;
        figures.UndoCharge = -Game.UndoPoints;
        figures.PotionCharge = -Game.PotionPoints;
        figures.PanelTotal = Game.PanelTotal;
        figures.RowCount = Game.RowCount;
        figures.ColumnCount = Game.ColumnCount;
        figures.KindCount = Game.KindCount;
        // Zero-padded, so that the table's text order is time order.
        const QString time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        Form4->AppendRow(records::MakeRecordRow(sjis::EncodeToString(name), figures, time.toStdString()));
    }
    BtnNewPanelClick(sender);
}
