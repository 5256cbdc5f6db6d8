// The board settings dialog: columns, rows and kinds for the next board.
#pragma once

#include <QDialog>

class TForm2 : public QDialog {
    Q_OBJECT
public:
    enum ModalResult { mrOk = 1, mrCancel = 2 };

    TForm2();

    // Runs the dialog; mrOk when confirmed, with the new settings stored.
    int ShowModal();
};

extern TForm2* Form2;
