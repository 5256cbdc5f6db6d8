#include "Pointrec1.h"

#include "Controls.h"

TForm4* Form4 = nullptr;

TForm4::TForm4()
    : QWidget(nullptr, Qt::Window)
{
    Form4 = this;
    setObjectName("Form4");
    setWindowTitle(QStringLiteral("得点記録表"));
    setFont(ProgramFont(12));
    move(12, 555);
    resize(884, 429);
}

void TForm4::AppendRow(const records::RecordRow& row)
{
    Table.append(row);
}

bool TForm4::ConfirmClose()
{
    return true;
}
