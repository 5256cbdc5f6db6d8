// The information window: the how-to-play text and the way to the version box.
#pragma once

#include <QWidget>

class TForm5 : public QWidget {
    Q_OBJECT
public:
    TForm5();
};

extern TForm5* Form5;
