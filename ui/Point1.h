// The score summary window: the running score broken into its parts, the
// standard score and the board's size.
#pragma once

#include <QFrame>
#include <QWidget>

#include "Controls.h"

class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3();

    TLabel* Label1; // "多重消得点"
    TLabel* Label2; // "ボーナス点"
    TLabel* Label3; // "残パネル点"
    TLabel* Label4; // "１手戻し点"
    TLabel* Label5; // "総合得点(P)"
    TLabel* Label6; // "標準得点(P/N)"
    TLabel* Label7; // points for erased groups
    TLabel* Label8; // the bonus
    TLabel* Label9; // minus the panels left
    TLabel* Label10; // the undo charge
    TLabel* Label11; // the score
    TLabel* Label12; // the standard score
    TLabel* Label13; // "パネル総数(N)"
    TLabel* Label14; // the panel total
    TLabel* Label15; // "魔法薬服用点"
    TLabel* Label16; // the potion charge
    TLabel* Label17; // "パネル種類"
    TLabel* Label18; // the board's size
    TLabel* Label19; // the number of kinds
    QFrame* Bevel1; // line above the score
    QFrame* Bevel2; // line below the score

    // The refresh: every value from the current counters. The main window
    // calls it after every change, whether the window is shown or not.
    void FormShow(QObject* sender = nullptr);
    void FormClose(QObject* sender);

    // The standard score as the window writes it: four decimals, with the
    // decimal separator of the user's locale.
    static QString StandardScoreText(double value);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

extern TForm3* Form3;
