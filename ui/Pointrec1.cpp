#include "Pointrec1.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

#include "Controls.h"
#include "Dialogs.h"
#include "Errors.h"
#include "Game.h"
#include "RecordFile.h"
#include "ShiftJis.h"

TForm4* Form4 = nullptr;

// --- The model ------------------------------------------------------------------

const char* const TRecordModel::Captions[records::ColumnCount] = {"名前", "標準得点", "総合得点",
    "パネル得点", "ボーナス", "Ｐ残数", "Ｕｎｄｏ", "薬減点", "Ｐ枚数", "縦", "横", "P種類", "年月日時刻"};
const int TRecordModel::Widths[records::ColumnCount] = {105, 91, 80, 80, 60, 45, 45, 55, 45, 30, 30, 45, 120};

namespace {

constexpr int KindsColumn = 11; // the one right-aligned column

// The most of a text the list shows. The game's texts are far shorter; a
// damaged file can give one of megabytes (a file whose lines end with a bare
// CR is one line), which would take seconds to decode and measure at every
// paint. The table keeps it whole.
constexpr std::size_t ShownBytes = 1024;

// The list keeps these margins to the window's edges at any size.
constexpr int ListLeft = 8;
constexpr int ListTop = 40;
constexpr int ListRightMargin = 19;
constexpr int ListBottomMargin = 52;

// The buttons above the list, left to right.
constexpr int ButtonTop = 8;
constexpr int ButtonHeight = 25;
struct ButtonPlace {
    QPushButton* TForm4::*member;
    const char* name;
    int left, width;
    const char16_t* caption;
    void (TForm4::*handler)(QObject*);
};
const ButtonPlace Buttons[] = {
    {&TForm4::BtnSave, "BtnSave", 8, 65, u"保存(更新）", &TForm4::BtnSaveClick},
    {&TForm4::BtnRead, "BtnRead", 80, 65, u"再読込", &TForm4::BtnReadClick},
    {&TForm4::Button1, "Button1", 152, 65, u"削除許可", &TForm4::Button1Click},
    {&TForm4::BtnDelete, "BtnDelete", 224, 41, u"削除", &TForm4::BtnDeleteClick},
};

// The list's place in a window of this size.
QRect ListPlace(const QSize& window)
{
    return {ListLeft, ListTop, std::max(0, window.width() - ListLeft - ListRightMargin),
        std::max(0, window.height() - ListTop - ListBottomMargin)};
}

} // namespace

TRecordModel::TRecordModel(records::RecordTable& table, QObject* parent)
    : QAbstractTableModel(parent)
    , table_(table)
{
}

int TRecordModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : table_.rowCount();
}

int TRecordModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : records::ColumnCount;
}

QVariant TRecordModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        std::string_view text = table_.text(index.row(), index.column());
        // A name read from the file is padded to 20 bytes; the blanks would
        // only push the name out of its column.
        if (index.column() == records::NameColumn)
            text = text.substr(0, text.find_last_not_of(' ') + 1);
        if (text.size() > ShownBytes)
            return sjis::Decode(text.substr(0, ShownBytes)) + QChar(0x2026);
        return sjis::Decode(text);
    }
    case Qt::CheckStateRole:
        if (checkable_ && index.column() == records::NameColumn)
            return table_.checked(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            (index.column() == KindsColumn ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    default:
        return {};
    }
}

bool TRecordModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkable_ || role != Qt::CheckStateRole || index.column() != records::NameColumn)
        return false;
    table_.setChecked(index.row(), value.toInt() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

QVariant TRecordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= records::ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(Captions[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            (section == KindsColumn ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags TRecordModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (checkable_ && index.column() == records::NameColumn)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void TRecordModel::setCheckable(bool on)
{
    checkable_ = on;
    if (table_.rowCount() > 0)
        emit dataChanged(index(0, 0), index(table_.rowCount() - 1, 0), {Qt::CheckStateRole});
}

void TRecordModel::tableChanged()
{
    beginResetModel();
    endResetModel();
}

// --- The window --------------------------------------------------------------------

TForm4::TForm4()
    : QWidget(nullptr, Qt::Window)
{
    Form4 = this;
    setObjectName("Form4");
    setWindowTitle(QStringLiteral("得点記録表"));
    setFont(ProgramFont(12));
    move(12, 555);
    resize(884, 429);

    ListView1 = Named(new QTableView(this), "ListView1");
    ListView1->setGeometry(ListPlace(size()));
    Model = new TRecordModel(Table, this);
    ListView1->setModel(Model);
    ListView1->setShowGrid(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setWordWrap(false);
    ListView1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Tab leaves the list for the buttons: a table view's own Tab walks its
    // cells, thirteen a row, so that the buttons were out of the keyboard's
    // reach behind every recorded game.
    ListView1->setTabKeyNavigation(false);
    // Space checks the highlighted row (see eventFilter).
    ListView1->installEventFilter(this);
    ListView1->verticalHeader()->hide();
    // Rows of one height: a table of many thousand rows needs no measuring.
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
    QHeaderView* header = ListView1->horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int column = 0; column < records::ColumnCount; ++column)
        header->resizeSection(column, TRecordModel::Widths[column]);
    // The texts in view decide the widths of the name and time columns.
    ListView1->viewport()->installEventFilter(this);
    connect(ListView1->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { fitColumns(); });
    connect(Model, &QAbstractItemModel::modelReset, this, [this] { fitColumns(); });
    connect(header, &QHeaderView::sectionClicked, this,
        [this](int column) { Guarded([&] { ListView1ColumnClick(column); }); });

    for (const ButtonPlace& p : Buttons) {
        auto* b = Named(new QPushButton(QString::fromUtf16(p.caption), this), p.name);
        b->setGeometry(p.left, ButtonTop, p.width, ButtonHeight);
        b->setAutoDefault(false);
        const auto handler = p.handler;
        connect(
            b, &QPushButton::clicked, this, [this, b, handler] { Guarded([&] { (this->*handler)(b); }); });
        this->*p.member = b;
    }
    BtnDelete->setEnabled(false);
    BtnDelete->hide();

    QWidget* const tabOrder[] = {ListView1, Button1, BtnSave, BtnRead, BtnDelete};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    Guarded([this] { FormCreate(this); });
}

void TForm4::FormCreate(QObject* sender)
{
    BtnReadClick(sender);
}

void TForm4::BtnReadClick(QObject*)
{
    std::string bytes;
    records::FileStamp stamp;
    const records::ReadResult read
        = records::ReadRegularFile(records::RecordFileName, records::MaxRecordFileBytes, bytes, &stamp);
    if (read == records::ReadResult::CannotRead) {
        // What is there now (most often nothing) is what a save replaces.
        // A file that is there but could not be read (write-only, say)
        // holds rows the table does not show: a save asks first.
        fileStamp_ = records::StampOf(records::RecordFileName);
        partial_ = records::MayHoldFile(records::RecordFileName);
        dialogs::ShowMessage(QStringLiteral("File can not found!"));
        return;
    }
    const bool whole = records::ReadRecordFile(bytes, Table, records::MaxRecordRows);
    bytes = std::string();
    fileStamp_ = stamp;
    partial_ = !whole || read == records::ReadResult::Partial;
    Model->tableChanged();
    if (partial_)
        dialogs::ShowMessage(
            QStringLiteral("記録が多すぎるため、先頭の%1件だけを読み込みました。").arg(Table.rowCount()));
}

bool TForm4::SaveRecords()
{
    const QString caption = QStringLiteral("得点記録表");
    // Another copy of the game may have saved its rows since this one read
    // the file; overwriting them is the player's choice, and No leaves the
    // file for a reload.
    if (records::StampOf(records::RecordFileName) != fileStamp_
        && dialogs::Ask(caption, QStringLiteral("記録ファイルが他で変更されています。上書きしますか？"))
            != dialogs::Answer::Yes)
        return false;
    if (partial_
        && dialogs::Ask(
               caption, QStringLiteral("読み込んでいない記録は上書きすると消えます。上書きしますか？"))
            != dialogs::Answer::Yes)
        return false;
    // The old file is replaced only once the whole table has reached the
    // disk, so a failing save loses nothing.
    const std::string bytes = records::WriteRecordFile(Table);
    records::FileStamp stamp;
    if (!records::ReplaceRegularFile(records::RecordFileName, bytes, &stamp)) {
        dialogs::ShowMessage(QStringLiteral("File can not open!"));
        return false;
    }
    fileStamp_ = stamp;
    partial_ = false;
    Table.markSaved();
    return true;
}

void TForm4::BtnSaveClick(QObject*)
{
    SaveRecords();
}

void TForm4::ListView1ColumnClick(int column)
{
    Table.sortByColumn(column);
    Model->tableChanged();
}

void TForm4::AppendRow(const records::RecordRow& row)
{
    Table.append(row);
    Model->tableChanged();
}

void TForm4::Button1Click(QObject*)
{
    QString word = QStringLiteral("Enter PassWord");
    const QString prompt = QStringLiteral("\"") + QString::fromLatin1(ConfirmationWord)
        + QStringLiteral("\"を入力してください。");
    if (!dialogs::InputQuery(QStringLiteral("削除許可チェック"), prompt, word))
        return;
    if (word == QString::fromLatin1(ConfirmationWord))
        setDeletePermitted(true);
}

void TForm4::BtnDeleteClick(QObject*)
{
    Table.removeChecked(); // the rows left are all unchecked
    Model->tableChanged();
    setDeletePermitted(false);
}

void TForm4::setDeletePermitted(bool on)
{
    BtnDelete->setVisible(on);
    BtnDelete->setEnabled(on);
    Button1->setText(on ? QStringLiteral("削除不許可") : QStringLiteral("削除許可"));
    Model->setCheckable(on);
    fitColumns();
}

void TForm4::fitColumns()
{
    // Resizing a column may show or hide a scroll bar, which resizes the
    // viewport and brings us back here; the second pass finds the same
    // widths.
    if (fitting_)
        return;
    fitting_ = true;
    QHeaderView* header = ListView1->horizontalHeader();
    QAbstractItemView* view = ListView1;
    const auto fit = [&](int column, int least) {
        header->resizeSection(
            column, std::max({TRecordModel::Widths[column], view->sizeHintForColumn(column), least}));
    };
    fit(records::NameColumn, 0);
    int others = 0;
    for (int column = 0; column < records::TimeColumn; ++column)
        others += header->sectionSize(column);
    fit(records::TimeColumn, ListView1->viewport()->width() - others);
    fitting_ = false;
}

bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView1->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    // While deleting is permitted, Space checks or unchecks the highlighted
    // row. The list highlights whole rows, yet its cursor stands on one cell
    // the player cannot see, and the check box answers Space only when that
    // cell is the name's: after a Left or Right key Space did nothing.
    if (watched == ListView1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QModelIndex current = ListView1->currentIndex();
        if (key->key() == Qt::Key_Space && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier
            && current.isValid()) {
            const QModelIndex name = Model->index(current.row(), records::NameColumn);
            if (Model->flags(name) & Qt::ItemIsUserCheckable) {
                // A held key checks once.
                if (!key->isAutoRepeat())
                    Model->setData(
                        name, Table.checked(current.row()) ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm4::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ListView1->setGeometry(ListPlace(size()));
}

bool TForm4::ConfirmClose()
{
    if (!Table.modified())
        return true;
    switch (dialogs::Ask(
        QStringLiteral("得点記録表"), QStringLiteral("保存していない記録があります。保存しますか？"), true)) {
    case dialogs::Answer::Yes:
        return SaveRecords();
    case dialogs::Answer::No:
        return true;
    default:
        return false;
    }
}

void TForm4::closeEvent(QCloseEvent* event)
{
    // The close box works like the main window's toggle, so its caption
    // follows; the toggle hides the window and keeps the rows.
    event->ignore();
    Guarded([this] { FormClose(this); });
}

void TForm4::keyPressEvent(QKeyEvent* event)
{
    if (!CloseOnEscape(this, event))
        QWidget::keyPressEvent(event);
}

void TForm4::FormClose(QObject*)
{
    ToggleRecordWindow(this);
}

void TForm4::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    KeepOnScreen(this);
}
