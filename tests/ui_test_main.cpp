#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "UiTestSupport.h"

namespace {
TApplication* Application = nullptr;
}

TApplication& App()
{
    return *Application;
}

int main(int argc, char** argv)
{
    // One offscreen screen, large enough for every window at its designed
    // place and the largest board; ZEMMICK_TEST_SCREEN=WxH gives another.
    QByteArray size = qgetenv("ZEMMICK_TEST_SCREEN");
    if (size.isEmpty())
        size = "1920x1600";
    const QList<QByteArray> wh = size.split('x');
    QTemporaryDir configDir;
    const QString config = configDir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (wh.size() != 2 || !file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "bad screen %s\n", size.constData());
        return 2;
    }
    file.write(QStringLiteral(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": %1, "height": %2,)"
                              R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                   .arg(wh[0].toInt())
                   .arg(wh[1].toInt())
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    testing::InitGoogleTest(&argc, argv);
    // Every window made by a test searches the par of its deal: small
    // budgets keep those searches quick; the tests of the hint and the par
    // set their own.
    Budgets = {20'000, 20'000};
    // The program takes its title from its executable; the tests stand in
    // for it.
    char name[] = "Zemmickp1";
    char* args[] = {name, nullptr};
    int count = 1;
    TApplication app(count, args);
    Application = &app;
    return RUN_ALL_TESTS();
}

void UiTest::SetUp()
{
    static int serial = 0;
    dir = QDir::temp().filePath(
        QStringLiteral("zemmick-ui-%1-%2").arg(QCoreApplication::applicationPid()).arg(++serial));
    QDir().mkpath(dir);
    oldDir_ = QDir::currentPath();
    QDir::setCurrent(dir);
    oldDialogs_ = dialogs::Install(&dialogs);
    if (createInSetUp)
        CreateForms();
}

void UiTest::CreateForms()
{
    App().CreateForms();
    created_ = true;
    startup.shown = dialogs.shown;
    dialogs.shown.clear();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
}

void UiTest::TearDown()
{
    if (dir.isEmpty())
        return; // skipped before SetUp: nothing to undo, and no folder to remove
    if (created_)
        App().DestroyForms();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    dialogs::Install(oldDialogs_);
    QDir::setCurrent(oldDir_);
    QDir(dir).removeRecursively();
}

void UiTest::Resize(int columns, int rows, int kinds)
{
    const int oldColumns = Game.ColumnCount, oldRows = Game.RowCount, oldKinds = Game.KindCount;
    Game.ColumnCount = columns;
    Game.RowCount = rows;
    Game.KindCount = kinds;
    Form1->ReplaceBoard(oldColumns, oldRows, oldKinds);
}

void UiTest::LoadBoard(int kinds, const std::vector<std::string>& topDown)
{
    Resize(static_cast<int>(topDown.front().size()), static_cast<int>(topDown.size()), kinds);
    for (int r = 1; r <= Game.RowCount; ++r)
        for (int c = 1; c <= Game.ColumnCount; ++c) {
            const char ch
                = topDown[static_cast<std::size_t>(Game.RowCount - r)][static_cast<std::size_t>(c - 1)];
            Game.InitialBoard[c][r] = Game.Board[c][r] = ch == '.' ? engine::EmptyCell : ch - '0';
        }
    engine::RecountAndRedraw(Game, *Form1);
    // A fresh game on this board: kinds it lacks already count as cleared.
    Game.Score = -Game.RemainingPanels + Game.BonusPoints;
    Form1->Label2->setCaption(QString::number(Game.RemainingPanels));
    Form1->Label11->setCaption(QString::number(Game.Score));
}

void UiTest::Hover(int column, int row)
{
    // A move to where the pointer already is (say, the same cell in the
    // previous test's window) is dropped, so alternate between two points.
    static bool left = false;
    left = !left;
    TImage* cell = Cell(column, row);
    QTest::mouseMove(cell, cell->rect().center() + QPoint(left ? 0 : 1, 0));
}

void UiTest::ClickCell(int column, int row)
{
    TImage* cell = Cell(column, row);
    QTest::mouseClick(cell, Qt::LeftButton, Qt::NoModifier, cell->mapFromGlobal(QCursor::pos()));
}

void UiTest::MoveOnForm(QPoint where)
{
    QTest::mouseMove(Form1, where);
}

QPoint UiTest::BareSpot()
{
    // Between the status line and the board, where the window shows itself.
    for (int y = Form1->Panel1->y() - 1; y > 0; --y)
        for (int x = Form1->width() / 2; x < Form1->width(); ++x)
            if (!Form1->childAt(x, y))
                return {x, y};
    ADD_FAILURE() << "no bare spot on the main window";
    return {};
}

void UiTest::PressSpace(QWidget* button)
{
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
}

testing::AssertionResult UiTest::NothingOutlined()
{
    for (int c = 1; c <= Game.ColumnCount; ++c)
        for (int r = 1; r <= Game.RowCount; ++r) {
            const int v = Game.Board[c][r];
            if (Game.GroupMark[c][r] != 0 || v > Game.KindCount)
                return testing::AssertionFailure()
                    << "cell " << c << "," << r << " holds " << v << ", mark " << Game.GroupMark[c][r];
            if (v != engine::EmptyCell && Form1->CellImages[c][r]->surface() != PanelPixels(v, false))
                return testing::AssertionFailure() << "cell " << c << "," << r << " shows other pixels";
        }
    return testing::AssertionSuccess();
}

ModalAnswer::ModalAnswer(
    std::function<void(QWidget*)> answer, QWidget* expected, std::chrono::milliseconds patience)
    : answer_(std::move(answer))
    , expected_(expected)
    , before_(QApplication::activeModalWidget())
{
    // Polled: the window comes up only once the event that opens it is
    // delivered, and then runs its own loop, where the timers still fire.
    poll_.setInterval(1);
    QObject::connect(&poll_, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == before_ || (expected_ && modal != expected_))
            return;
        poll_.stop();
        answered_ = true;
        answer_(modal);
    });
    poll_.start();
    guard_.setInterval(patience);
    QObject::connect(&guard_, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == before_)
            return;
        ADD_FAILURE() << "left open: " << modal->objectName().toStdString() << " "
                      << modal->windowTitle().toStdString();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    guard_.start();
}

QImage PanelPixels(int kind, bool outlined)
{
    const QImage& plain = ImageList().onWhite(kind);
    return outlined ? TImage::outlineByPainter(plain) : plain;
}

std::vector<std::string> Checkered(const std::vector<std::string>& bottom)
{
    std::vector<std::string> rows;
    for (std::size_t r = 8; r > bottom.size(); --r)
        rows.push_back(r % 2 == 0 ? "12121212" : "21212121");
    rows.insert(rows.end(), bottom.begin(), bottom.end());
    return rows;
}

std::vector<std::string> OnEmpty(const std::vector<std::string>& bottom)
{
    std::vector<std::string> rows(8 - bottom.size(), "........");
    rows.insert(rows.end(), bottom.begin(), bottom.end());
    return rows;
}

std::optional<engine::CellRef> AnyGroup()
{
    for (int c = 1; c <= Game.ColumnCount; ++c)
        for (int r = 1; r <= Game.RowCount; ++r) {
            const int kind = Game.Board[c][r];
            if (kind >= 1
                && ((c < Game.ColumnCount && Game.Board[c + 1][r] == kind)
                    || (r < Game.RowCount && Game.Board[c][r + 1] == kind)))
                return engine::CellRef{c, r};
        }
    return std::nullopt;
}

QStringList FocusChain(QWidget* first, int count)
{
    QStringList names;
    QWidget* w = first;
    for (int i = 0; i < count; ++i) {
        names << w->objectName();
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
    }
    return names;
}

namespace {

// The name the program's face reports: fontconfig gives its Japanese name
// under a Japanese locale. When the face is not installed, its own name,
// which no fallback face reports.
QString ProgramFace()
{
    static const QString face = QFontDatabase::hasFamily(QStringLiteral("IPAPGothic"))
        ? QFontInfo(QFont(QStringLiteral("IPAPGothic"))).family()
        : QStringLiteral("IPAPGothic");
    return face;
}

} // namespace

QStringList LayoutFaults(QWidget* window, const std::vector<std::pair<QString, QString>>& mayOverlap)
{
    QStringList faults;
    // The program's own controls carry names; Qt's inner parts ("qt_...")
    // and unnamed helpers are the toolkit's business.
    const auto ours = [window](QWidget* w) {
        return !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))
            && w->isVisibleTo(window);
    };
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.removeIf([&](QWidget* w) { return !ours(w); });
    for (QWidget* w : widgets) {
        const QString name = w->objectName();
        if (!w->parentWidget()->rect().contains(w->geometry()))
            faults << name + QStringLiteral(" lies outside ") + w->parentWidget()->objectName();
        if (QFontInfo(w->font()).family() != ProgramFace())
            faults << name + QStringLiteral(" shows ") + QFontInfo(w->font()).family();
    }
    const auto allowed = [&](const QString& a, const QString& b) {
        for (const auto& [x, y] : mayOverlap)
            if ((x == a && y == b) || (x == b && y == a))
                return true;
        return false;
    };
    for (qsizetype i = 0; i < widgets.size(); ++i)
        for (qsizetype j = i + 1; j < widgets.size(); ++j) {
            QWidget* a = widgets[i];
            QWidget* b = widgets[j];
            if (a->parentWidget() == b->parentWidget() && a->geometry().intersects(b->geometry())
                && !allowed(a->objectName(), b->objectName()))
                faults << a->objectName() + QStringLiteral(" overlaps ") + b->objectName();
        }
    if (QFontInfo(window->font()).family() != ProgramFace())
        faults << window->objectName() + QStringLiteral(" shows ") + QFontInfo(window->font()).family();
    return faults;
}
