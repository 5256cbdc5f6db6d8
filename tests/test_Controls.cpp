// The shared controls: window placement on small screens, and long texts
// in the standard boxes wrapped.
#include <QMessageBox>
#include <QScreen>

#include "About.h"
#include "Controls.h"
#include "Errors.h"
#include "Infoshow1.h"
#include "Panelconfig1.h"
#include "Point1.h"
#include "Pointrec1.h"
#include "UiTestSupport.h"

TEST(PlaceWithin, KeepsWhatFitsAndMovesTheRestJustEnough)
{
    const QRect screen(0, 0, 1366, 768);
    const struct {
        const char* what;
        QRect frame;
        QPoint at;
    } cases[] = {
        {"fits", {602, 441, 315, 300}, {602, 441}},
        {"below the bottom", {602, 441, 315, 404}, {602, 364}},
        {"past the right edge", {1200, 10, 315, 404}, {1051, 10}},
        {"past both", {1200, 600, 315, 404}, {1051, 364}},
        {"left of and above the area", {-20, -5, 100, 100}, {0, 0}},
        {"larger than the area", {285, 122, 1313, 1402}, {53, 0}},
        {"wider and taller than the area", {285, 122, 1500, 1402}, {0, 0}},
    };
    for (const auto& t : cases)
        EXPECT_EQ(PlaceWithin(t.frame, screen), t.at) << t.what;
    // An area that does not start at the origin (a panel on the left).
    EXPECT_EQ(PlaceWithin({0, 0, 100, 100}, {48, 0, 1318, 768}), QPoint(48, 0));
}

// Run with ZEMMICK_TEST_SCREEN=1366x768 (its own CTest entry).
class SmallScreen : public UiTest {
protected:
    void SetUp() override
    {
        if (QGuiApplication::primaryScreen()->availableGeometry().height() > 800)
            GTEST_SKIP() << "for a small screen only";
        UiTest::SetUp();
    }
};

TEST_F(SmallScreen, EveryWindowLiesWithinTheScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(area.size(), QSize(1366, 768));
    Form1->Button1Click(Form1->Button1);
    Form1->Button2Click(Form1->Button2);
    Form1->Button3Click(Form1->Button3);
    // A window's place is its frame's (pos()), as it was designed.
    const auto frame = [](QWidget* w) { return QRect(w->pos(), w->frameGeometry().size()); };
    for (QWidget* w : std::initializer_list<QWidget*>{Form1, Form3, Form4, Form5}) {
        EXPECT_TRUE(area.contains(frame(w))) << w->objectName().toStdString();
    }
    // The information window's buttons are on the screen; moved just enough.
    EXPECT_EQ(frame(Form5).bottom(), area.bottom());
    EXPECT_EQ(Form5->x(), 602);
    // Where they fit, the designed places stay.
    EXPECT_EQ(Form3->pos(), QPoint(5, 4));
    EXPECT_EQ(Form1->pos(), QPoint(285, 122));

    // The settings dialog too.
    ModalAnswer answer(
        [area, frame](QWidget*) {
            EXPECT_TRUE(area.contains(frame(Form2)));
            Form2->reject();
        },
        Form2);
    Form2->ShowModal();
    EXPECT_TRUE(answer.answered());

    // A board taller than the screen starts at its top.
    Resize(40, 40, 6);
    EXPECT_EQ(Form1->y(), area.top());
    EXPECT_LE(frame(Form1).right(), area.right());
}

TEST_F(UiTest, LongTextsInTheStandardBoxesWrap)
{
    auto* scripted = dialogs::Install(nullptr); // Qt's own boxes
    const QString digits(200, QLatin1Char('7'));
    ModalAnswer answer([&digits](QWidget* shown) {
        auto* box = qobject_cast<QMessageBox*>(shown);
        ASSERT_NE(box, nullptr);
        QCoreApplication::processEvents();
        EXPECT_LE(box->width(), 640);
        // Every digit is still there, nothing elided.
        EXPECT_EQ(
            box->text().remove(QChar(0x200B)), QStringLiteral("'%1' は整数ではありません.").arg(digits));
        box->accept();
    });
    Guarded([&] { throw EConvertError(QStringLiteral("'%1' は整数ではありません").arg(digits)); });
    EXPECT_TRUE(answer.answered());
    dialogs::Install(scripted);
}
