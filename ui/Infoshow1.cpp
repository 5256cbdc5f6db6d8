#include "Infoshow1.h"

#include "Controls.h"

TForm5* Form5 = nullptr;

TForm5::TForm5()
    : QWidget(nullptr, Qt::Window)
{
    Form5 = this;
    setObjectName("Form5");
    setWindowTitle(QStringLiteral("情報（遊び方等）"));
    setFont(ProgramFont(12));
    move(602, 441);
    resize(315, 404);
}
