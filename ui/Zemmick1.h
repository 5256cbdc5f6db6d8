// The main window and the game: the button row, the status line, the board
// of cell pictures, and the commands that drive the engine.
#pragma once

#include <QPushButton>
#include <QWidget>
#include <memory>
#include <optional>

#include "Controls.h"
#include "Engine.h"
#include "Game.h"
#include "Image.h"
#include "Pictures.h"
#include "Solver.h"

class BackgroundSearch;
class QAction;
class QKeyEvent;
class QMenu;

// What the hint's and the par's searches may spend, in nodes. The program
// uses the solver's budgets; tests make them small.
struct SearchBudgets {
    std::int64_t Hint = engine::HintBudget;
    std::int64_t Par = engine::ParBudget;
};
extern SearchBudgets Budgets;

class TForm1 : public QWidget, public engine::BoardView {
    Q_OBJECT
public:
    TForm1();
    ~TForm1() override;

    const TImageList* ImageList1; // panel pictures: 0 the potion target, 1..6 the kinds
    TPanel* Panel1; // the board: holds the cell pictures
    QPushButton* BtnRetry; // "最初から": the same deal again
    QPushButton* BtnPrevious; // "１手戻し": undo one move
    QPushButton* BBtnClose; // "閉じる(&C)": ends the program
    QPushButton* BtnNewPanel; // "新規パネル": a new deal
    QPushButton* BtnConfig; // "画面設定": the board settings
    TLabel* Label1; // "パネル数"
    TLabel* Label2; // panels left on the board
    TLabel* Label3; // panels of kind 1
    TLabel* Label4; // panels of kind 2
    TLabel* Label5; // panels of kind 3
    TLabel* Label6; // panels of kind 4
    TLabel* Label7; // panels of kind 5
    TLabel* Label8; // "連結"
    TLabel* Label9; // the hovered group: size and points
    TLabel* Label10; // "得点="
    TLabel* Label11; // the score
    QPushButton* Button1; // shows and hides the score summary
    QPushButton* BitBtn1; // the magic potion, with the uses left
    TLabel* Label12; // panels of kind 6
    QPushButton* Button2; // shows and hides the record table
    QPushButton* Button3; // "情報": the information window

    void FormClose(QObject* sender);
    void Image0MouseMove(QObject* sender);
    void Image0Click(QObject* sender);
    void FormMouseMove(QObject* sender);
    void BtnRetryClick(QObject* sender);
    void BtnPreviousClick(QObject* sender);
    void BtnNewPanelClick(QObject* sender);
    void BtnConfigClick(QObject* sender);
    void Button1Click(QObject* sender);
    void BitBtn1Click(QObject* sender);
    void Button2Click(QObject* sender);
    void FormShow(QObject* sender);
    void FormCreate(QObject* sender);
    void Button3Click(QObject* sender);

    // Shows or hides the window; the first showing also gives the close
    // button its standard picture.
    void setVisible(bool visible) override;

    // The board's pictures: CellImages[column][row] for the playing area,
    // LegendImages[kind] beside the count of each kind.
    TImage* CellImages[engine::ColumnCountMax + 1][engine::RowCountMax + 1] = {};
    TImage* LegendImages[engine::KindCountMax + 1] = {};

    // The keyboard's cell on the board: moved by the arrow keys while the
    // board has the focus, and by the pointer's hover.
    int CursorColumn = 1;
    int CursorRow = 1;
    bool BoardKeyPress(QKeyEvent* event);
    bool BoardKeyRelease(QKeyEvent* event);

    // The board's context menu: the hint, and the par as a disabled item.
    QMenu* PopupMenu1;
    QAction* MenuHint; // "ヒント(&H)"
    QAction* MenuPar;
    void PopupMenu1Popup(QPoint where);
    // The hint: the first move of the solver's best line from the board as
    // it stands, shown as the hover of its group with the cursor on it.
    void HintClick(QObject* sender);
    bool HintAvailable() const;
    // The searches, each on a worker thread with its own copy of a board.
    std::unique_ptr<BackgroundSearch> HintSearch;
    std::unique_ptr<BackgroundSearch> ParSearch;
    // The par of the deal on the board: the best final score the solver
    // finds from the dealt board, once its search has ended.
    std::optional<int> Par;

    // Whether the toggles have shown the score summary and the record table.
    bool ScoreWindowShown = false;
    bool RecordWindowShown = false;

    void SetupBoard();
    // Throws the board on screen away (its pictures and its undo store) and
    // sets up a new one for the current settings; `columns`, `rows` and
    // `kinds` describe the old board.
    void ReplaceBoard(int columns, int rows, int kinds);
    void RefreshAfterChange(QObject* sender);
    void CheckGameEnd(QObject* sender);
    void ApplyPotion(int column, int row);

    // engine::BoardView
    void clearCell(int column, int row) override;
    void drawPicture(int column, int row, int index) override;
    void prepareCanvas(int column, int row) override;
    void drawOutline(int column, int row) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* makeButton(
        const QString& name, int left, int width, const QString& caption, void (TForm1::*handler)(QObject*));
    void destroyPictures(int columns, int rows, int kinds);
    void showLegendCounts();
    void showPotionCaption();
    void toggleWindow(QWidget* window, QPushButton* button, bool& shown, const QString& what);
    void showScore();
    void placeCursor(int column, int row);
    void offerCommands();
    void offerPotionCommands(bool on);
    void EndPotionMode();
    void showRecount(QObject* sender);
    void Settle();
    void searchesFollowBoard();
    void showHint(const engine::SolverMove& move);
    void showPar();

    bool shown_ = false;
    // Space or Enter pressed on the board and not yet let go.
    int clickKey_ = 0;
    // The line the last hint came from, followed while the board stays on it.
    engine::SolverBoard hintFrom_;
    std::vector<engine::SolverMove> hintLine_;
    // The dealt board the par belongs to (or is being searched for).
    std::optional<engine::SolverBoard> parBoard_;
};

// The one main window.
extern TForm1* Form1;
