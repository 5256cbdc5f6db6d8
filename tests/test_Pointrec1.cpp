// The record table: reading, sorting, deleting and saving the records, and
// its layout.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "Pointrec1.h"
#include "RecordFile.h"
#include "ShiftJis.h"
#include "UiTestSupport.h"

namespace {

records::RecordRow Row(const QString& name, int score)
{
    records::GameFigures f;
    f.Score = score;
    f.StandardScore = score / 171.0;
    f.PanelTotal = 171;
    f.RowCount = 9;
    f.ColumnCount = 19;
    f.KindCount = 5;
    return records::MakeRecordRow(sjis::EncodeToString(name), f, "2026/12/08 10:00:00");
}

void WriteFile(const std::vector<records::RecordRow>& rows)
{
    QFile file(records::RecordFileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const std::string bytes = records::WriteRecordFile(rows);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QByteArray FileBytes()
{
    QFile file(records::RecordFileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Column(int column)
{
    QStringList texts;
    for (int r = 0; r < Form4->Model->rowCount(); ++r)
        texts << Form4->Model->index(r, column).data().toString().trimmed();
    return texts;
}

void ClickHeader(int column)
{
    QHeaderView* header = Form4->ListView1->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, header->height() / 2));
}

// Files are prepared before the windows exist, as before a program start.
class RecordTableWindow : public UiTest {
protected:
    RecordTableWindow() { createInSetUp = false; }
};

} // namespace

TEST_F(RecordTableWindow, StartsEmptyWithAMessageWhenThereIsNoFile)
{
    CreateForms();
    EXPECT_EQ(startup.texts("message"), QStringList{"File can not found!"});
    EXPECT_EQ(Form4->Model->rowCount(), 0);
    EXPECT_FALSE(Form4->isVisible());
    EXPECT_EQ(Form4->windowTitle(), QStringLiteral("得点記録表"));
    EXPECT_TRUE(Form4->BtnDelete->isHidden());
    EXPECT_FALSE(Form4->BtnDelete->isEnabled());
    const std::pair<const char*, int> columns[records::ColumnCount] = {{"名前", 105}, {"標準得点", 91},
        {"総合得点", 80}, {"パネル得点", 80}, {"ボーナス", 60}, {"Ｐ残数", 45}, {"Ｕｎｄｏ", 45},
        {"薬減点", 55}, {"Ｐ枚数", 45}, {"縦", 30}, {"横", 30}, {"P種類", 45}, {"年月日時刻", 120}};
    QHeaderView* header = Form4->ListView1->horizontalHeader();
    for (int c = 0; c < records::ColumnCount; ++c) {
        const auto& [caption, width] = columns[c];
        EXPECT_EQ(Form4->Model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), caption);
        // The time column also takes the list's spare width.
        if (c < records::TimeColumn)
            EXPECT_EQ(header->sectionSize(c), width) << caption;
        else
            EXPECT_GE(header->sectionSize(c), width) << caption;
    }
}

TEST_F(RecordTableWindow, ItsLayoutHoldsWithAndWithoutThePermission)
{
    CreateForms();
    Form1->Button2->click();
    EXPECT_EQ(LayoutFaults(Form4), QStringList());
    EXPECT_EQ(FocusChain(Form4->ListView1, 4), QStringList({"ListView1", "Button1", "BtnSave", "BtnRead"}));
    dialogs.inputs.push_back(Typed("tarnwick"));
    Form4->Button1->click();
    ASSERT_TRUE(Form4->BtnDelete->isVisible());
    EXPECT_EQ(LayoutFaults(Form4), QStringList());
    EXPECT_EQ(FocusChain(Form4->ListView1, 6),
        QStringList({"ListView1", "Button1", "BtnSave", "BtnRead", "BtnDelete", "ListView1"}));
}

TEST_F(RecordTableWindow, ReadsTheFileAtStartAndShowsShiftJisNames)
{
    WriteFile({Row(QStringLiteral("ゼミック"), 10), Row("who", -5)});
    CreateForms();
    EXPECT_TRUE(startup.texts("message").isEmpty());
    EXPECT_EQ(Column(0), QStringList({QStringLiteral("ゼミック"), "who"}));
    EXPECT_EQ(Column(2), QStringList({"10", "-5"}));
    EXPECT_EQ(
        Form4->Model->index(0, 11).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
}

TEST_F(RecordTableWindow, HeaderClicksSortByValueWithADirectionPerColumn)
{
    WriteFile({Row("b", 5), Row("A", -5), Row("c", 10), Row("d", -10), Row("e", 100), Row("f", -100)});
    CreateForms();
    ClickHeader(2);
    EXPECT_EQ(Column(2), QStringList({"-100", "-10", "-5", "5", "10", "100"}));
    ClickHeader(0); // the names, in between
    EXPECT_EQ(Column(0), QStringList({"A", "b", "c", "d", "e", "f"}));
    ClickHeader(2);
    EXPECT_EQ(Column(2), QStringList({"100", "10", "5", "-5", "-10", "-100"}));
    ClickHeader(0);
    EXPECT_EQ(Column(0), QStringList({"f", "e", "d", "c", "b", "A"}));
    // A sort alone changes nothing that needs saving.
    EXPECT_TRUE(Form4->ConfirmClose());
    EXPECT_EQ(dialogs.count("question"), 0);
}

TEST_F(RecordTableWindow, DeletingNeedsTheExactWordAndRemovesTheCheckedRows)
{
    WriteFile({Row("a", 1), Row("b", 2), Row("c", 3), Row("d", 4)});
    CreateForms();
    for (const QString& wrong :
        {QStringLiteral("Tarnwick"), QStringLiteral("tarnwick "), QStringLiteral("Enter PassWord")}) {
        dialogs.inputs.push_back(Typed(wrong));
        Form4->Button1->click();
        EXPECT_TRUE(Form4->BtnDelete->isHidden()) << wrong.toStdString();
        EXPECT_FALSE(Form4->Model->flags(Form4->Model->index(0, 0)) & Qt::ItemIsUserCheckable);
    }
    dialogs.inputs.push_back([](QString&) { return false; }); // Cancel
    Form4->Button1->click();
    EXPECT_EQ(Form4->Button1->text(), QStringLiteral("削除許可"));
    EXPECT_EQ(dialogs.count("message"), 0); // refused silently
    const auto& asked = dialogs.shown.front();
    EXPECT_EQ(asked.caption, QStringLiteral("削除許可チェック"));
    EXPECT_EQ(asked.text, QStringLiteral("\"tarnwick\"を入力してください。"));
    EXPECT_EQ(asked.value, "Enter PassWord");

    dialogs.inputs.push_back(Typed("tarnwick"));
    Form4->Button1->click();
    EXPECT_FALSE(Form4->BtnDelete->isHidden());
    EXPECT_TRUE(Form4->BtnDelete->isEnabled());
    EXPECT_EQ(Form4->Button1->text(), QStringLiteral("削除不許可"));
    EXPECT_EQ(Form4->Model->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);

    // Two adjacent rows checked.
    Form4->Model->setData(Form4->Model->index(1, 0), Qt::Checked, Qt::CheckStateRole);
    Form4->Model->setData(Form4->Model->index(2, 0), Qt::Checked, Qt::CheckStateRole);
    Form4->BtnDelete->click();
    EXPECT_EQ(Column(0), QStringList({"a", "d"}));
    EXPECT_TRUE(Form4->BtnDelete->isHidden());
    EXPECT_EQ(Form4->Button1->text(), QStringLiteral("削除許可"));
    EXPECT_FALSE(Form4->Model->index(0, 0).data(Qt::CheckStateRole).isValid());

    // With nothing checked, nothing goes, and the permission ends.
    dialogs.inputs.push_back(Typed("tarnwick"));
    Form4->Button1->click();
    Form4->BtnDelete->click();
    EXPECT_EQ(Column(0), QStringList({"a", "d"}));
    EXPECT_TRUE(Form4->BtnDelete->isHidden());

    // The file still has them: a reload brings them back.
    Form4->BtnRead->click();
    EXPECT_EQ(Column(0), QStringList({"a", "b", "c", "d"}));
}

TEST_F(RecordTableWindow, SavesTheRowsInTheOrderShown)
{
    WriteFile({Row("a", 1), Row("b", 3), Row("c", 2)});
    CreateForms();
    ClickHeader(2);
    ClickHeader(2); // highest first
    Form4->BtnSave->click();
    EXPECT_EQ(FileBytes(), QByteArray::fromStdString(records::WriteRecordFile(Form4->Table.rows())));
    Form4->BtnRead->click();
    EXPECT_EQ(Column(0), QStringList({"b", "c", "a"}));
}

TEST_F(RecordTableWindow, AFailedReadOrSaveKeepsTheRows)
{
    WriteFile({Row("a", 1), Row("b", 2)});
    CreateForms();
    QFile::remove(records::RecordFileName);
    Form4->BtnRead->click();
    EXPECT_EQ(dialogs.texts("message"), QStringList{"File can not found!"});
    EXPECT_EQ(Form4->Model->rowCount(), 2);

    // A directory where the file should be: nothing can be written there.
    QDir().mkdir(records::RecordFileName);
    Form4->BtnSave->click();
    EXPECT_EQ(dialogs.texts("message").last(), "File can not open!");
    EXPECT_EQ(Form4->Model->rowCount(), 2);
    EXPECT_TRUE(QFileInfo(records::RecordFileName).isDir());
}

// A record file that is there but cannot be read (write-only) holds rows the
// table does not show: a save asks before it replaces them. Root reads any
// file, so the read is made as the user nobody then.
TEST_F(RecordTableWindow, AFileThatCannotBeReadIsNotSavedOverUnasked)
{
    WriteFile({Row("a", 1)});
    CreateForms();
    const std::vector<records::RecordRow> other = {Row("a", 1), Row("other", 2)};
    WriteFile(other); // another copy's save
    ASSERT_TRUE(QFile::setPermissions(records::RecordFileName, QFileDevice::WriteOwner));
    const bool root = ::geteuid() == 0;
    if (root && ::seteuid(65534) != 0) {
        GTEST_SKIP() << "cannot become the user nobody here";
    }
    Form4->BtnRead->click();
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    ASSERT_EQ(dialogs.texts("message"), QStringList{"File can not found!"});
    Form4->AppendRow(Row("mine", 3));

    dialogs.answers = {dialogs::Answer::No};
    Form4->BtnSave->click();
    EXPECT_EQ(dialogs.texts("question"),
        QStringList{QStringLiteral("読み込んでいない記録は上書きすると消えます。上書きしますか？")});
    ASSERT_TRUE(
        QFile::setPermissions(records::RecordFileName, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(FileBytes(), QByteArray::fromStdString(records::WriteRecordFile(other)));

    // Nothing there: nothing to ask.
    QFile::remove(records::RecordFileName);
    Form4->BtnRead->click();
    dialogs.shown.clear();
    Form4->BtnSave->click();
    EXPECT_EQ(dialogs.count("question"), 0);
    EXPECT_EQ(
        FileBytes(), QByteArray::fromStdString(records::WriteRecordFile({Row("a", 1), Row("mine", 3)})));
}

TEST_F(RecordTableWindow, UnsavedRecordsAreOfferedForSavingAtExit)
{
    CreateForms();
    Form4->AppendRow(Row("new", 7));

    dialogs.answers = {dialogs::Answer::Cancel};
    Form1->close();
    EXPECT_TRUE(Form1->isVisible()) << "Cancel keeps the program open";
    EXPECT_EQ(dialogs.shown.back().caption, QStringLiteral("得点記録表"));
    EXPECT_EQ(dialogs.shown.back().text, QStringLiteral("保存していない記録があります。保存しますか？"));

    // A save that fails keeps the program open too, so nothing is lost.
    QDir().mkdir(records::RecordFileName);
    dialogs.answers = {dialogs::Answer::Yes};
    Form1->close();
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_EQ(dialogs.texts("message").last(), "File can not open!");
    QDir().rmdir(records::RecordFileName);

    dialogs.answers = {dialogs::Answer::Yes};
    Form1->close();
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_EQ(FileBytes(), QByteArray::fromStdString(records::WriteRecordFile({Row("new", 7)})));
}

TEST_F(RecordTableWindow, NoCloseQuestionWithoutChangesAndNoSaveOnNo)
{
    WriteFile({Row("a", 1)});
    CreateForms();
    Form4->AppendRow(Row("b", 2));
    dialogs.answers = {dialogs::Answer::No};
    Form1->close();
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_EQ(FileBytes(), QByteArray::fromStdString(records::WriteRecordFile({Row("a", 1)})));
}

TEST_F(RecordTableWindow, BytesThatDoNotDecodeAreWrittenBackUnchanged)
{
    records::RecordRow odd = Row("x", 3);
    odd.Texts[0] = std::string("\xFF\x80\x82zz\xA0", 6) + std::string(14, ' '); // no code-page-932 text
    WriteFile({odd, Row(QStringLiteral("ゼミック"), 4)});
    const QByteArray before = FileBytes();
    CreateForms();
    EXPECT_FALSE(Form4->Model->index(0, 0).data().toString().isEmpty()); // shown somehow
    Form4->BtnSave->click();
    EXPECT_EQ(FileBytes(), before);
}

// A file whose lines end with a bare CR reads as one line, whose time text
// holds all the rest (megabytes): the table shows its beginning, which
// stays quick to draw, and a save writes the file back as it was.
TEST_F(RecordTableWindow, ATextTooLongToShowIsShownInPartAndSavedWhole)
{
    std::string bytes = records::WriteRecordFile({Row("who", 3)});
    bytes.pop_back(); // CR alone
    bytes += std::string(1 << 20, 'x') + "\r\n";
    QFile file(records::RecordFileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    file.close();
    CreateForms();
    ASSERT_EQ(Form4->Table.rowCount(), 1);
    const QString shown = Form4->Model->index(0, records::TimeColumn).data().toString();
    EXPECT_LT(shown.size(), 2000);
    EXPECT_TRUE(shown.startsWith(QStringLiteral(" 2026/12/08 10:00:00\r")));
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << "an ellipsis says that more follows";
    // Short texts show whole.
    EXPECT_EQ(Form4->Model->index(0, records::NameColumn).data().toString(), "who");
    Form4->BtnSave->click();
    EXPECT_EQ(FileBytes(), QByteArray::fromStdString(bytes));
}

// A FIFO, a folder or a link to a device where the file should be is a file
// that cannot be read: start-up neither blocks nor fills the memory.
TEST_F(RecordTableWindow, SpecialFilesAreFilesThatCannotBeRead)
{
    const std::function<void()> specials[] = {
        [] { ASSERT_EQ(::mkfifo(records::RecordFileName, 0666), 0); },
        [] { QDir().mkdir(records::RecordFileName); },
        [] { QFile::link(QStringLiteral("/dev/zero"), records::RecordFileName); },
    };
    for (const auto& make : specials) {
        make();
        CreateForms();
        EXPECT_EQ(startup.texts("message"), QStringList{"File can not found!"});
        EXPECT_EQ(Form4->Model->rowCount(), 0);
        App().DestroyForms();
        std::filesystem::remove(records::RecordFileName);
    }
}

// Beyond the rows a read takes the player is told how many were read, and a
// save, which would drop the others from the file, asks first.
TEST_F(RecordTableWindow, AFileOfTooManyRowsIsReadInPartAndASaveAsks)
{
    const int rows = static_cast<int>(records::MaxRecordRows) + 3;
    {
        QFile file(records::RecordFileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(rows * 2, 'x').replace("xx", "x\n"));
    }
    const QByteArray before = FileBytes();
    CreateForms();
    EXPECT_EQ(Form4->Model->rowCount(), static_cast<int>(records::MaxRecordRows));
    EXPECT_EQ(startup.texts("message"),
        QStringList{QStringLiteral("記録が多すぎるため、先頭の200000件だけを読み込みました。")});

    dialogs.answers = {dialogs::Answer::No};
    Form4->BtnSave->click();
    ASSERT_EQ(dialogs.texts("question"),
        QStringList{QStringLiteral("読み込んでいない記録は上書きすると消えます。上書きしますか？")});
    EXPECT_EQ(FileBytes(), before);

    dialogs.answers = {dialogs::Answer::Yes};
    Form4->BtnSave->click();
    EXPECT_EQ(FileBytes().count('\n'), static_cast<qsizetype>(records::MaxRecordRows));
    Form4->BtnSave->click(); // all that is left was read: nothing to ask
    EXPECT_EQ(dialogs.count("question"), 2);
}

// Two copies of the game in one folder: a save notices that the other one
// saved since this one read the file, and asks before overwriting it.
TEST_F(RecordTableWindow, ASaveAsksWhenAnotherProgramChangedTheFile)
{
    WriteFile({Row("a", 1)});
    CreateForms();
    const std::vector<records::RecordRow> other = {Row("a", 1), Row("other", 2)};
    WriteFile(other); // the other copy's save
    Form4->AppendRow(Row("mine", 3));

    dialogs.answers = {dialogs::Answer::No};
    Form4->BtnSave->click();
    ASSERT_EQ(dialogs.texts("question"),
        QStringList{QStringLiteral("記録ファイルが他で変更されています。上書きしますか？")});
    EXPECT_EQ(dialogs.shown.back().caption, QStringLiteral("得点記録表"));
    EXPECT_EQ(FileBytes(), QByteArray::fromStdString(records::WriteRecordFile(other)));

    // At exit too: No to the overwrite keeps the program open.
    dialogs.answers = {dialogs::Answer::Yes, dialogs::Answer::No};
    Form1->close();
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_EQ(FileBytes(), QByteArray::fromStdString(records::WriteRecordFile(other)));

    dialogs.answers = {dialogs::Answer::Yes};
    Form4->BtnSave->click();
    EXPECT_EQ(FileBytes(), QByteArray::fromStdString(records::WriteRecordFile(Form4->Table.rows())));
    Form4->AppendRow(Row("again", 4));
    Form4->BtnSave->click(); // nothing changed on disk since: no question
    EXPECT_EQ(dialogs.count("question"), 4);
    EXPECT_EQ(dialogs.count("message"), 0);
}

TEST_F(RecordTableWindow, SavesInAFolderWhoseNameIsNoUtf8)
{
    CreateForms();
    Form4->AppendRow(Row("a", 1));
    const std::filesystem::path folder = std::filesystem::current_path() / std::string("\x83\x5B\x83\x7E");
    std::filesystem::create_directory(folder);
    const std::filesystem::path before = std::filesystem::current_path();
    ASSERT_EQ(::chdir(folder.c_str()), 0);
    Form4->BtnSave->click();
    ASSERT_EQ(::chdir(before.c_str()), 0);
    EXPECT_EQ(dialogs.count("message"), 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / records::RecordFileName));
    std::filesystem::remove_all(folder);
}

// A link to a regular file stays a link; a link to anything else is refused.
TEST_F(RecordTableWindow, SavesThroughALinkOnlyOntoARegularFile)
{
    CreateForms();
    Form4->AppendRow(Row("a", 1));
    ASSERT_EQ(::mkfifo("fifo", 0666), 0);
    QFile::link(QStringLiteral("fifo"), records::RecordFileName);
    Form4->BtnSave->click();
    EXPECT_EQ(dialogs.texts("message"), QStringList{"File can not open!"});
    struct stat st { };
    ASSERT_EQ(::stat("fifo", &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    QFile::remove(records::RecordFileName);
    QDir().mkdir("data");
    QFile::link(QStringLiteral("data/records.dat"), records::RecordFileName);
    Form4->BtnSave->click();
    EXPECT_TRUE(QFileInfo(records::RecordFileName).isSymLink());
    EXPECT_EQ(QFileInfo(QStringLiteral("data/records.dat")).size(),
        static_cast<qint64>(records::WriteRecordFile(Form4->Table).size()));
    EXPECT_EQ(dialogs.count("message"), 1);
}

namespace {

// Whether every text of the column shows whole: the width its widest shown
// text needs (check box and margins included) fits the section.
bool ColumnShowsWhole(int column)
{
    QAbstractItemView* view = Form4->ListView1;
    return Form4->ListView1->horizontalHeader()->sectionSize(column) >= view->sizeHintForColumn(column);
}

} // namespace

TEST_F(RecordTableWindow, NamesAndTimesShowWholeWithManyRowsAndCheckBoxes)
{
    std::vector<records::RecordRow> rows;
    for (int i = 0; i < 100; ++i)
        rows.push_back(Row(i % 2 == 0 ? QStringLiteral("ABC") : QStringLiteral("ゼミック"), i));
    WriteFile(rows);
    CreateForms();
    Form4->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form4));
    ASSERT_TRUE(Form4->ListView1->verticalScrollBar()->isVisible());
    EXPECT_TRUE(ColumnShowsWhole(records::TimeColumn));
    EXPECT_TRUE(ColumnShowsWhole(records::NameColumn));

    dialogs.inputs.push_back(Typed("tarnwick"));
    Form4->Button1->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(ColumnShowsWhole(records::NameColumn));
    EXPECT_TRUE(ColumnShowsWhole(records::TimeColumn));
    // The designed widths stay the least.
    EXPECT_GE(Form4->ListView1->horizontalHeader()->sectionSize(records::NameColumn), 105);
    EXPECT_GE(Form4->ListView1->horizontalHeader()->sectionSize(records::TimeColumn), 120);
    // The stored name keeps its padding.
    EXPECT_EQ(Form4->Table.text(0, records::NameColumn), "ABC                 ");
}

TEST_F(RecordTableWindow, TheListFollowsTheWindow)
{
    CreateForms();
    Form4->show();
    // The margins around the list at the designed size.
    const QRect list = Form4->ListView1->geometry();
    const QMargins margins(
        list.left(), list.top(), Form4->width() - list.right() - 1, Form4->height() - list.bottom() - 1);
    for (const QSize size : {QSize(1200, 700), QSize(500, 300), QSize(884, 429)}) {
        SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height());
        Form4->resize(size);
        EXPECT_EQ(Form4->ListView1->geometry(), Form4->rect() - margins);
        EXPECT_EQ(LayoutFaults(Form4), QStringList());
    }
}

// The main window closed inside each box of the record table, as the end of
// the session may close it, with a row not yet saved: the close's own
// question saves it, or the program stays open with it. No row is lost.
TEST_F(RecordTableWindow, TheMainWindowClosedInsideItsBoxesLosesNoRow)
{
    const std::vector<records::RecordRow> start = {Row("a", 1), Row("b", 2)};
    const std::vector<records::RecordRow> other = {Row("a", 1), Row("other", 2)};
    struct Case {
        const char* what;
        std::function<void()> prepare; // after the start, before the button
        QPushButton* TForm4::*button;
        std::deque<dialogs::Answer> answers; // in the order the boxes come back
        std::deque<std::function<bool(QString&)>> inputs;
        bool closes;
        int closeAt; // the box inside which the main window is closed
        int boxes; // shown in all, the close's among them
    };
    const Case cases[] = {
        // "File can not found!"; the close saves.
        {"read", [] { QFile::remove(records::RecordFileName); }, &TForm4::BtnRead, {dialogs::Answer::Yes}, {},
            true, 0, 2},
        // Another program's save; the close asks again, and saves.
        {"changed", [&] { WriteFile(other); }, &TForm4::BtnSave, {dialogs::Answer::Yes, dialogs::Answer::Yes},
            {}, true, 0, 3},
        // "File can not open!" (after the question about the file changed to
        // a folder); the close's save fails too: the program stays.
        {"cannot open",
            [] {
                QFile::remove(records::RecordFileName);
                QDir().mkdir(records::RecordFileName);
            },
            &TForm4::BtnSave, {dialogs::Answer::Yes, dialogs::Answer::Yes, dialogs::Answer::Yes}, {}, false,
            1, 5},
        // The word for deleting; the close saves.
        {"word", [] {}, &TForm4::Button1, {dialogs::Answer::Yes}, {}, true, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir().rmdir(records::RecordFileName);
        WriteFile(start);
        CreateForms();
        Form1->Button2->click();
        Form4->AppendRow(Row("new", 3));
        c.prepare();
        LoopingDialogs looping;
        looping.answers = c.answers;
        looping.inputs = c.inputs;
        looping.inside[c.closeAt] = [&looping] { looping.CloseMainWindow(); };
        dialogs::Install(&looping);
        (Form4->*c.button)->click();
        dialogs::Install(&dialogs);
        if (looping.ended)
            LetEventLoopsRunAgain();
        EXPECT_EQ(looping.boxes, c.boxes) << looping.texts("question").join("|").toStdString();
        EXPECT_TRUE(looping.answers.empty());
        EXPECT_EQ(looping.count("error"), 0);
        EXPECT_EQ(Form1->isVisible(), !c.closes);
        EXPECT_EQ(Form4->Table.rowCount(), 3);
        if (c.closes) {
            EXPECT_EQ(FileBytes(), QByteArray::fromStdString(records::WriteRecordFile(Form4->Table.rows())));
            EXPECT_TRUE(Form1->Panel1->findChildren<TImage*>().isEmpty());
        } else {
            // Still playable, and the row is still offered at the next close.
            EXPECT_TRUE(Form1->BtnNewPanel->isEnabled());
            QDir().rmdir(records::RecordFileName);
            dialogs.answers = {dialogs::Answer::Yes, dialogs::Answer::Yes};
            Form1->close();
            EXPECT_FALSE(Form1->isVisible());
            EXPECT_EQ(FileBytes(), QByteArray::fromStdString(records::WriteRecordFile(Form4->Table.rows())));
        }
        App().DestroyForms();
    }
}
