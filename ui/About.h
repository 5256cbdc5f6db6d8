// The version box.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox();

    QFrame* Panel1; // the bevelled panel that holds the picture and labels
    QLabel* ProgramIcon; // the dog, stretched over its box
    QLabel* ProductName; // "Zemmick(パネル消しゲーム)"
    QLabel* Version; // "Version 1.0"
    QLabel* Comments; // what the game is about, wrapped
    QPushButton* OKButton; // "OK": closes the box (Enter)

    void setVisible(bool visible) override;
};

extern TAboutBox* AboutBox;
