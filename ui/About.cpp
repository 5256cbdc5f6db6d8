#include "About.h"

#include "Controls.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox()
    : QDialog(nullptr)
{
    AboutBox = this;
    setObjectName("AboutBox");
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(ProgramFont(12));
    setFixedSize(298, 213);
}
