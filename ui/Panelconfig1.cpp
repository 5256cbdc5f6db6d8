#include "Panelconfig1.h"

#include "Controls.h"

TForm2* Form2 = nullptr;

TForm2::TForm2()
    : QDialog(nullptr)
{
    Form2 = this;
    setObjectName("Form2");
    setWindowTitle(QStringLiteral("画面設定"));
    setFont(ProgramFont(12));
    setFixedSize(403, 145);
}

int TForm2::ShowModal()
{
    return exec() == QDialog::Accepted ? mrOk : mrCancel;
}
