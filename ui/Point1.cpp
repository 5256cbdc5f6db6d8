#include "Point1.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QRegularExpression>
#include <cstdio>

#include "Errors.h"
#include "Game.h"

TForm3* Form3 = nullptr;

namespace {

constexpr int FontSize = 24;
constexpr int LabelHeight = 24;
constexpr int CaptionLeft = 8;
constexpr int ValueRight = 216; // where the values of the first six lines end

// The labels, line by line: a fixed caption at the left, then its value,
// which reads "0" until the first refresh. The first six values grow to the
// left from their right edge, the others to the right.
struct LabelPlace {
    TLabel* TForm3::*member;
    const char* name;
    int edge; // the left edge, or the right edge of a right-anchored label
    int top;
    TLabel::Anchor anchor;
    const char16_t* caption;
};
constexpr auto Left = TLabel::Anchor::Left;
constexpr auto Right = TLabel::Anchor::Right;
const LabelPlace Labels[] = {
    {&TForm3::Label1, "Label1", CaptionLeft, 16, Left, u"多重消得点"},
    {&TForm3::Label7, "Label7", ValueRight, 16, Right, u"0"},
    {&TForm3::Label2, "Label2", CaptionLeft, 50, Left, u"ボーナス点"},
    {&TForm3::Label8, "Label8", ValueRight, 50, Right, u"0"},
    {&TForm3::Label3, "Label3", CaptionLeft, 84, Left, u"残パネル点"},
    {&TForm3::Label9, "Label9", ValueRight, 84, Right, u"0"},
    {&TForm3::Label4, "Label4", CaptionLeft, 118, Left, u"１手戻し点"},
    {&TForm3::Label10, "Label10", ValueRight, 118, Right, u"0"},
    {&TForm3::Label15, "Label15", CaptionLeft, 152, Left, u"魔法薬服用点"},
    {&TForm3::Label16, "Label16", ValueRight, 152, Right, u"0"},
    {&TForm3::Label5, "Label5", CaptionLeft, 189, Left, u"総合得点(P)"},
    {&TForm3::Label11, "Label11", ValueRight, 190, Right, u"0"},
    {&TForm3::Label6, "Label6", CaptionLeft, 231, Left, u"標準得点(P/N)"},
    {&TForm3::Label12, "Label12", 200, 231, Left, u"0"},
    {&TForm3::Label13, "Label13", CaptionLeft, 264, Left, u"パネル総数(N)"},
    {&TForm3::Label14, "Label14", 164, 264, Left, u"0"},
    {&TForm3::Label18, "Label18", 28, 288, Left, u"0"},
    {&TForm3::Label17, "Label17", CaptionLeft, 320, Left, u"パネル種類"},
    {&TForm3::Label19, "Label19", 136, 320, Left, u"0"},
};

// The raised lines above and below the score.
struct LinePlace {
    QFrame* TForm3::*member;
    const char* name;
    QRect place;
};
const LinePlace Lines[] = {
    {&TForm3::Bevel1, "Bevel1", {5, 185, 260, 2}},
    {&TForm3::Bevel2, "Bevel2", {5, 220, 260, 2}},
};

} // namespace

TForm3::TForm3()
    : QWidget(nullptr, Qt::Window)
{
    Form3 = this;
    setObjectName("Form3");
    setWindowTitle(QStringLiteral("総合得点表"));
    setFont(ProgramFont(12));
    move(5, 4);
    setFixedSize(279, 355);

    for (const LabelPlace& l : Labels)
        this->*l.member = new TLabel(this, QString::fromLatin1(l.name), l.edge, l.top, LabelHeight, FontSize,
            QString::fromUtf16(l.caption), l.anchor);
    // The standard score may run long; it then moves left rather than be cut.
    Label12->setKeepInside(true);
    for (const LinePlace& l : Lines) {
        auto* line = Named(new QFrame(this), l.name);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Raised);
        line->setGeometry(l.place);
        this->*l.member = line;
    }
}

QString TForm3::StandardScoreText(double value)
{
    // Four true decimals. Only the decimal separator is the user's: the
    // digits and the minus sign stay those of every other figure here.
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    QString result = QString::fromLatin1(text);
    // snprintf writes the C library's separator (Qt sets that locale from
    // the environment); whichever it is, it is the one non-digit after the
    // sign.
    const qsizetype point = result.indexOf(QRegularExpression(QStringLiteral("[^-0-9]")));
    if (point >= 0)
        result.replace(point, 1, QLocale().decimalPoint());
    return result;
}

void TForm3::FormShow(QObject*)
{
    const engine::GameState& g = Game;
    Label7->setCaption(QString::number(engine::ErasePoints(g)));
    Label8->setCaption(QString::number(g.BonusPoints));
    Label9->setCaption(QString::number(engine::RemainingPanelPoints(g)));
    Label10->setCaption(QString::number(g.UndoPoints));
    Label16->setCaption(QString::number(g.PotionPoints));
    Label11->setCaption(QString::number(g.Score));
    Label12->setCaption(StandardScoreText(engine::StandardScore(g)));
    Label14->setCaption(QString::number(g.PanelTotal) + QStringLiteral(" 枚"));
    Label18->setCaption(QStringLiteral("（縦 ") + QString::number(g.RowCount) + QStringLiteral(" × 横 ")
        + QString::number(g.ColumnCount) + QStringLiteral("）"));
    Label19->setCaption(QString::number(g.KindCount) + QStringLiteral(" 種類"));
}

void TForm3::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    KeepOnScreen(this);
    Guarded([this] { FormShow(this); });
}

void TForm3::closeEvent(QCloseEvent* event)
{
    // The close box works like the main window's toggle, so its caption
    // follows; the toggle hides the window.
    event->ignore();
    Guarded([this] { FormClose(this); });
}

void TForm3::keyPressEvent(QKeyEvent* event)
{
    if (!CloseOnEscape(this, event))
        QWidget::keyPressEvent(event);
}

void TForm3::FormClose(QObject*)
{
    ToggleScoreWindow(this);
}
