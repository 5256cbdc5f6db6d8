#include "Panelconfig1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "Controls.h"
#include "Convert.h"
#include "Errors.h"
#include "Game.h"

TForm2* Form2 = nullptr;

namespace {

// The three captions and fields use a larger face than the dialog.
constexpr int FieldFontSize = 27;
constexpr int UpDownWidth = 17;
// A number never needs more characters; the error box that quotes a field
// which is no number must fit the screen, also after a page of text was
// pasted into it by mistake.
constexpr int FieldLength = 255;

// One line per setting: its caption, its field, and the spinner that stands
// against the field's right edge, as tall as the field.
struct SettingLine {
    QLabel* TForm2::*label;
    const char* labelName;
    QRect labelPlace;
    const char16_t* caption;
    QLineEdit* TForm2::*edit;
    const char* editName;
    QRect editPlace;
    TUpDown* TForm2::*upDown;
    const char* upDownName;
};
const SettingLine SettingLines[] = {
    {&TForm2::Label1, "Label1", {32, 17, 135, 27}, u"横方向の数", &TForm2::Edit1, "Edit1", {191, 14, 73, 35},
        &TForm2::UpDown1, "UpDown1"},
    {&TForm2::Label2, "Label2", {32, 57, 135, 27}, u"縦方向の数", &TForm2::Edit2, "Edit2", {191, 54, 73, 35},
        &TForm2::UpDown2, "UpDown2"},
    {&TForm2::Label3, "Label3", {16, 97, 160, 27}, u"パネルの種類", &TForm2::Edit3, "Edit3",
        {191, 94, 73, 35}, &TForm2::UpDown3, "UpDown3"},
};

// OK, then Cancel.
struct ButtonPlace {
    QPushButton* TForm2::*member;
    const char* name;
    QRect place;
    const char16_t* caption;
};
const ButtonPlace Buttons[] = {
    {&TForm2::BitBtn1, "BitBtn1", {296, 17, 97, 33}, u"OK"},
    {&TForm2::BitBtn2, "BitBtn2", {296, 65, 97, 33}, u"キャンセル"},
};

// A green check mark for the OK button; the style's own OK picture on this
// platform is a bent arrow, which does not read as "confirm".
QIcon CheckMarkGlyph()
{
    QPixmap glyph(16, 16);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF stroke[] = {{2.5, 8.5}, {6.5, 12.5}, {13.5, 3.5}};
    painter.setPen(QPen(QColor(0, 80, 0), 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(stroke, 3);
    painter.setPen(QPen(QColor(40, 170, 40), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(stroke, 3);
    painter.end();
    return QIcon(glyph);
}

} // namespace

TForm2::TForm2()
    : QDialog(nullptr)
{
    Form2 = this;
    setObjectName("Form2");
    setWindowTitle(QStringLiteral("画面設定"));
    setFont(ProgramFont(12));
    setFixedSize(403, 145);
    move(225, 580);

    // The buttons come first, so the first showing starts at the OK button.
    for (const ButtonPlace& b : Buttons) {
        QPushButton* button = Named(new QPushButton(QString::fromUtf16(b.caption), this), b.name);
        button->setGeometry(b.place);
        this->*b.member = button;
    }
    BitBtn1->setIcon(CheckMarkGlyph());
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn1Click(BitBtn1); }); });
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    for (const SettingLine& l : SettingLines) {
        auto* edit = Named(new QLineEdit(this), l.editName);
        edit->setFont(ProgramFont(FieldFontSize));
        edit->setGeometry(l.editPlace);
        edit->setMaxLength(FieldLength);
        this->*l.edit = edit;

        auto* upDown = new TUpDown(this, l.upDownName);
        upDown->setGeometry(edit->geometry().right() + 1, edit->y(), UpDownWidth, edit->height());
        upDown->setIncrement(1);
        upDown->setWrap(true);
        upDown->setAssociate(edit);
        this->*l.upDown = upDown;

        auto* label = Named(new QLabel(QString::fromUtf16(l.caption), this), l.labelName);
        label->setFont(ProgramFont(FieldFontSize));
        label->setGeometry(l.labelPlace);
        this->*l.label = label;
    }

    QWidget* const tabOrder[] = {BitBtn1, BitBtn2, Edit1, Edit2, Edit3, UpDown1, UpDown2, UpDown3};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    Guarded([this] { FormCreate(this); });
}

void TForm2::FormCreate(QObject*)
{
    UpDown1->setMax(engine::ColumnCountMax);
    UpDown1->setMin(engine::ColumnCountMin);
    UpDown2->setMax(engine::RowCountMax);
    UpDown2->setMin(engine::RowCountMin);
    UpDown3->setMax(engine::KindCountMax);
    UpDown3->setMin(engine::KindCountMin);
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    KeepOnScreen(this);
    // Every showing starts afresh, whatever field had the focus last time.
    BitBtn1->setFocus();
    Guarded([this] { FormShow(this); });
}

void TForm2::FormShow(QObject*)
{
    UpDown1->setPosition(Game.ColumnCount);
    UpDown2->setPosition(Game.RowCount);
    UpDown3->setPosition(Game.KindCount);
}

void TForm2::BitBtn1Click(QObject*)
{
    QLineEdit* const fields[] = {Edit1, Edit2, Edit3};
    int values[3] = {};
    // All three are read before any is stored: a typing slip in one field
    // must not change the board through the others.
    for (int i = 0; i < 3; ++i) {
        try {
            values[i] = StrToInt(fields[i]->text());
        } catch (const EConvertError&) {
            // Marked before the error box opens, so the focus comes back
            // here when the box closes.
            fields[i]->setFocus();
            fields[i]->selectAll();
            throw;
        }
    }
    // Out-of-range numbers are corrected silently.
    Game.ColumnCount = std::clamp(values[0], engine::ColumnCountMin, engine::ColumnCountMax);
    Game.RowCount = std::clamp(values[1], engine::RowCountMin, engine::RowCountMax);
    Game.KindCount = std::clamp(values[2], engine::KindCountMin, engine::KindCountMax);
    done(mrOk);
}

int TForm2::ShowModal()
{
    return exec() == mrOk ? mrOk : mrCancel;
}
