#include "Point1.h"

#include <QCloseEvent>
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
constexpr int ValueRight = 216;

QFrame* MakeLine(QWidget* parent, const QString& name, int top)
{
    auto* line = Named(new QFrame(parent), name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Raised);
    line->setGeometry(5, top, 260, 2);
    return line;
}

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

    const auto caption = [this](const char* name, int top, const QString& text) {
        return new TLabel(this, name, CaptionLeft, top, LabelHeight, FontSize, text);
    };
    const auto value = [this](const char* name, int top) {
        return new TLabel(
            this, name, ValueRight, top, LabelHeight, FontSize, QStringLiteral("0"), TLabel::Anchor::Right);
    };
    const auto valueAt = [this](const char* name, int left, int top) {
        return new TLabel(this, name, left, top, LabelHeight, FontSize, QStringLiteral("0"));
    };

    Label1 = caption("Label1", 16, QStringLiteral("多重消得点"));
    Label7 = value("Label7", 16);
    Label2 = caption("Label2", 50, QStringLiteral("ボーナス点"));
    Label8 = value("Label8", 50);
    Label3 = caption("Label3", 84, QStringLiteral("残パネル点"));
    Label9 = value("Label9", 84);
    Label4 = caption("Label4", 118, QStringLiteral("１手戻し点"));
    Label10 = value("Label10", 118);
    Label15 = caption("Label15", 152, QStringLiteral("魔法薬服用点"));
    Label16 = value("Label16", 152);
    Bevel1 = MakeLine(this, "Bevel1", 185);
    Label5 = caption("Label5", 189, QStringLiteral("総合得点(P)"));
    Label11 = value("Label11", 190);
    Bevel2 = MakeLine(this, "Bevel2", 220);
    Label6 = caption("Label6", 231, QStringLiteral("標準得点(P/N)"));
    Label12 = valueAt("Label12", 200, 231);
    Label12->setKeepInside(true);
    Label13 = caption("Label13", 264, QStringLiteral("パネル総数(N)"));
    Label14 = valueAt("Label14", 164, 264);
    Label18 = valueAt("Label18", 28, 288);
    Label17 = caption("Label17", 320, QStringLiteral("パネル種類"));
    Label19 = valueAt("Label19", 136, 320);
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

void TForm3::FormClose(QObject*)
{
    ToggleScoreWindow(this);
}
