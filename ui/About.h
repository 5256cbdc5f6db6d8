// The version box.
#pragma once

#include <QDialog>

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox();
};

extern TAboutBox* AboutBox;
