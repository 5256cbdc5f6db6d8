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

constexpr QSize BoxSize(298, 213);
constexpr QRect PanelPlace(8, 8, 281, 161);
constexpr QRect OKButtonPlace(111, 180, 75, 25);

// What the panel holds, and how each label takes its size.
enum class Fit {
    Box, // the place's size
    Caption, // the caption's size, from the place's top left corner
    Wrapped, // the place's width; as tall as the wrapped caption needs
};
struct LabelPlace {
    QLabel* TAboutBox::*member;
    const char* name;
    QRect place;
    Fit fit;
    const char16_t* caption; // none for the picture
};
const LabelPlace PanelLabels[] = {
    {&TAboutBox::ProgramIcon, "ProgramIcon", {8, 8, 65, 57}, Fit::Box, nullptr},
    {&TAboutBox::ProductName, "ProductName", {88, 16, 0, 0}, Fit::Caption, u"Zemmick(パネル消しゲーム)"},
    {&TAboutBox::Version, "Version", {88, 40, 0, 0}, Fit::Caption, u"Version 1.0"},
    {&TAboutBox::Comments, "Comments", {8, 104, 248, 0}, Fit::Wrapped,
        u"Comments\u3000連結パネルを消去して得点を競おう。"},
};

} // namespace

TAboutBox::TAboutBox()
    : QDialog(nullptr)
{
    AboutBox = this;
    setObjectName("AboutBox");
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(ProgramFont(12));
    setFixedSize(BoxSize);

    Panel1 = Named(new BevelledPanel(this), "Panel1");
    Panel1->setGeometry(PanelPlace);

    for (const LabelPlace& l : PanelLabels) {
        auto* label = Named(new QLabel(Panel1), l.name);
        if (l.caption) {
            label->setTextFormat(Qt::PlainText);
            label->setText(QString::fromUtf16(l.caption));
        }
        switch (l.fit) {
        case Fit::Box:
            label->setGeometry(l.place);
            break;
        case Fit::Caption:
            label->move(l.place.topLeft());
            label->adjustSize();
            break;
        case Fit::Wrapped:
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setGeometry(
                l.place.x(), l.place.y(), l.place.width(), label->heightForWidth(l.place.width()));
            break;
        }
        this->*l.member = label;
    }
    // Pixel art: stretched without smoothing, so it stays crisp.
    ProgramIcon->setPixmap(
        DogPicture().scaled(ProgramIcon->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));

    OKButton = Named(new QPushButton(QStringLiteral("OK"), this), "OKButton");
    OKButton->setGeometry(OKButtonPlace);
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
