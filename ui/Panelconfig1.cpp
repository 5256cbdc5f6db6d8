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

constexpr int FieldFontSize = 27;

QLabel* MakeLabel(QWidget* parent, const QString& name, const QRect& geometry, const QString& caption)
{
    auto* label = Named(new QLabel(caption, parent), name);
    label->setFont(ProgramFont(FieldFontSize));
    label->setGeometry(geometry);
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const QString& name, const QRect& geometry)
{
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setFont(ProgramFont(FieldFontSize));
    edit->setGeometry(geometry);
    return edit;
}

TUpDown* MakeUpDown(QWidget* parent, const QString& name, QLineEdit* edit)
{
    auto* upDown = new TUpDown(parent, name);
    // Against the right edge of its field, as tall as the field.
    upDown->setGeometry(edit->geometry().right() + 1, edit->y(), 17, edit->height());
    upDown->setIncrement(1);
    upDown->setWrap(true);
    upDown->setAssociate(edit);
    return upDown;
}

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

    // Created in tab order, so the first showing starts at the OK button.
    BitBtn1 = Named(new QPushButton(QStringLiteral("OK"), this), "BitBtn1");
    BitBtn1->setGeometry(296, 17, 97, 33);
    BitBtn1->setIcon(CheckMarkGlyph());
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn1Click(BitBtn1); }); });

    BitBtn2 = Named(new QPushButton(QStringLiteral("キャンセル"), this), "BitBtn2");
    BitBtn2->setGeometry(296, 65, 97, 33);
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    Edit1 = MakeEdit(this, "Edit1", {191, 14, 73, 35});
    Edit2 = MakeEdit(this, "Edit2", {191, 54, 73, 35});
    Edit3 = MakeEdit(this, "Edit3", {191, 94, 73, 35});
    UpDown1 = MakeUpDown(this, "UpDown1", Edit1);
    UpDown2 = MakeUpDown(this, "UpDown2", Edit2);
    UpDown3 = MakeUpDown(this, "UpDown3", Edit3);

    Label1 = MakeLabel(this, "Label1", {32, 17, 135, 27}, QStringLiteral("横方向の数"));
    Label2 = MakeLabel(this, "Label2", {32, 57, 135, 27}, QStringLiteral("縦方向の数"));
    Label3 = MakeLabel(this, "Label3", {16, 97, 160, 27}, QStringLiteral("パネルの種類"));

    QWidget::setTabOrder(BitBtn1, BitBtn2);
    QWidget::setTabOrder(BitBtn2, Edit1);
    QWidget::setTabOrder(Edit1, Edit2);
    QWidget::setTabOrder(Edit2, Edit3);
    QWidget::setTabOrder(Edit3, UpDown1);
    QWidget::setTabOrder(UpDown1, UpDown2);
    QWidget::setTabOrder(UpDown2, UpDown3);

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
