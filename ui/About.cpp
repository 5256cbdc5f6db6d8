#include "About.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <qdrawutil.h>

#include "Controls.h"
#include "Pictures.h"

TAboutBox* AboutBox = nullptr;

namespace {

// A panel in the box's colour, framed by a lowered outer and a raised inner
// bevel, one pixel each.
class BevelledPanel : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        qDrawShadePanel(&painter, rect(), palette(), true, 1);
        qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

QLabel* MakeLabel(QWidget* parent, const QString& name, QPoint at, const QString& caption)
{
    auto* label = Named(new QLabel(caption, parent), name);
    label->setTextFormat(Qt::PlainText);
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

TAboutBox::TAboutBox()
    : QDialog(nullptr)
{
    AboutBox = this;
    setObjectName("AboutBox");
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(ProgramFont(12));
    setFixedSize(298, 213);

    Panel1 = Named(new BevelledPanel(this), "Panel1");
    Panel1->setGeometry(8, 8, 281, 161);

    // Pixel art: stretched without smoothing, so it stays crisp.
    ProgramIcon = Named(new QLabel(Panel1), "ProgramIcon");
    ProgramIcon->setGeometry(8, 8, 65, 57);
    ProgramIcon->setPixmap(
        DogPicture().scaled(ProgramIcon->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));

    ProductName = MakeLabel(Panel1, "ProductName", {88, 16}, QStringLiteral("Zemmick(パネル消しゲーム)"));
    Version = MakeLabel(Panel1, "Version", {88, 40}, QStringLiteral("Version 1.0"));
    Comments = Named(
        new QLabel(QStringLiteral("Comments\u3000連結パネルを消去して得点を競おう。"), Panel1), "Comments");
    Comments->setTextFormat(Qt::PlainText);
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Comments->setGeometry(8, 104, 248, Comments->heightForWidth(248));

    OKButton = Named(new QPushButton(QStringLiteral("OK"), this), "OKButton");
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::setVisible(bool visible)
{
    // Centred on the screen at every opening, before it appears. The window
    // is made first, so that its frame is counted where the platform knows
    // it in advance.
    if (visible && !isVisible()) {
        create();
        if (QScreen* screen = this->screen()) {
            const QPoint centre = screen->availableGeometry().center();
            QRect frame = frameGeometry();
            frame.moveCenter(centre);
            move(frame.topLeft());
        }
    }
    QDialog::setVisible(visible);
}
