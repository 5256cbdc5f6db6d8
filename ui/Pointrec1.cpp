#include "Pointrec1.h"

#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QSaveFile>

#include "Controls.h"
#include "Dialogs.h"
#include "Errors.h"
#include "RecordFile.h"
#include "ShiftJis.h"
#include "Zemmick1.h"

TForm4* Form4 = nullptr;

// --- The model ------------------------------------------------------------------

const char* const TRecordModel::Captions[records::ColumnCount] = {"名前", "標準得点", "総合得点",
    "パネル得点", "ボーナス", "Ｐ残数", "Ｕｎｄｏ", "薬減点", "Ｐ枚数", "縦", "横", "P種類", "年月日時刻"};
const int TRecordModel::Widths[records::ColumnCount] = {105, 91, 80, 80, 60, 45, 45, 55, 45, 30, 30, 45, 120};

namespace {
constexpr int KindsColumn = 11; // the one right-aligned column
}

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
    case Qt::DisplayRole:
        return sjis::Decode(table_.row(index.row()).Texts[static_cast<std::size_t>(index.column())]);
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
    ListView1->setGeometry(8, 40, 857, 337);
    Model = new TRecordModel(Table, this);
    ListView1->setModel(Model);
    ListView1->setShowGrid(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setWordWrap(false);
    ListView1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    ListView1->verticalHeader()->hide();
    // Rows of one height: a table of many thousand rows needs no measuring.
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
    QHeaderView* header = ListView1->horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    // The time column takes what the list has left beside the others (never
    // less than its own width), so the whole time stays readable.
    header->setStretchLastSection(true);
    for (int column = 0; column < records::ColumnCount; ++column)
        header->resizeSection(column, TRecordModel::Widths[column]);
    connect(header, &QHeaderView::sectionClicked, this,
        [this](int column) { Guarded([&] { ListView1ColumnClick(column); }); });

    const auto button = [this](const char* name, int left, int width, const QString& caption,
                            void (TForm4::*handler)(QObject*)) {
        auto* b = Named(new QPushButton(caption, this), name);
        b->setGeometry(left, 8, width, 25);
        b->setAutoDefault(false);
        connect(
            b, &QPushButton::clicked, this, [this, b, handler] { Guarded([&] { (this->*handler)(b); }); });
        return b;
    };
    BtnSave = button("BtnSave", 8, 65, QStringLiteral("保存(更新）"), &TForm4::BtnSaveClick);
    BtnRead = button("BtnRead", 80, 65, QStringLiteral("再読込"), &TForm4::BtnReadClick);
    Button1 = button("Button1", 152, 65, QStringLiteral("削除許可"), &TForm4::Button1Click);
    BtnDelete = button("BtnDelete", 224, 41, QStringLiteral("削除"), &TForm4::BtnDeleteClick);
    BtnDelete->setEnabled(false);
    BtnDelete->hide();

    QWidget::setTabOrder(ListView1, Button1);
    QWidget::setTabOrder(Button1, BtnSave);
    QWidget::setTabOrder(BtnSave, BtnRead);
    QWidget::setTabOrder(BtnRead, BtnDelete);

    Guarded([this] { FormCreate(this); });
}

void TForm4::FormCreate(QObject* sender)
{
    BtnReadClick(sender);
}

void TForm4::BtnReadClick(QObject*)
{
    QFile file(QString::fromLatin1(records::RecordFileName));
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs::ShowMessage(QStringLiteral("File can not found!"));
        return;
    }
    const QByteArray bytes = file.readAll();
    Table.replaceRows(
        records::ReadRecordFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    Model->tableChanged();
}

bool TForm4::SaveRecords()
{
    // The old file is replaced only once the whole table has reached the
    // disk, so a failing save loses nothing.
    const std::string bytes = records::WriteRecordFile(Table.rows());
    QSaveFile file(QString::fromLatin1(records::RecordFileName));
    const bool saved = file.open(QIODevice::WriteOnly)
        && file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size())
        && file.commit();
    if (!saved) {
        file.cancelWriting();
        dialogs::ShowMessage(QStringLiteral("File can not open!"));
        return false;
    }
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

void TForm4::FormClose(QObject*)
{
    Form1->Button2Click(this);
}
