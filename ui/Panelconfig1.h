// The board settings dialog: columns, rows and kinds for the next board.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TUpDown;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    enum ModalResult { mrOk = 1, mrCancel = 2 };

    TForm2();

    QLabel* Label1; // "横方向の数"
    QLabel* Label2; // "縦方向の数"
    QLabel* Label3; // "パネルの種類"
    QLineEdit* Edit1; // the number of columns, as typed
    QLineEdit* Edit2; // the number of rows, as typed
    QLineEdit* Edit3; // the number of kinds, as typed
    TUpDown* UpDown1; // steps Edit1 through the column limits
    TUpDown* UpDown2; // steps Edit2 through the row limits
    TUpDown* UpDown3; // steps Edit3 through the kind limits
    QPushButton* BitBtn1; // "OK": confirms (Enter)
    QPushButton* BitBtn2; // "キャンセル": cancels (Esc)

    // The spinners' ranges, once at creation.
    void FormCreate(QObject* sender);
    // The current settings into the spinners and fields, at every showing.
    void FormShow(QObject* sender);
    // Reads the three fields. Only when all of them hold integers are the
    // settings stored (clamped to their limits) and the dialog closed with
    // OK; otherwise the error box names the first field that does not
    // convert, which keeps the focus with its text selected.
    void BitBtn1Click(QObject* sender);

    // Runs the dialog; mrOk when confirmed, with the new settings stored.
    int ShowModal();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TForm2* Form2;
