// The information window: the how-to-play text and the way to the version box.
#pragma once

#include <QWidget>

class QFrame;
class QPushButton;
class QTextEdit;

class TForm5 : public QWidget {
    Q_OBJECT
public:
    TForm5();

    QTextEdit* RichEdit1; // the how-to-play text, read-only
    QFrame* Panel1; // the button strip along the bottom edge
    QPushButton* Button1; // "バージョン情報": the version box
    QPushButton* Button2; // "閉じる": hides the window

    // Loads "Manual.txt" from the current directory; throws EFOpenError when
    // it cannot be opened, and the window then stays empty.
    void FormCreate(QObject* sender);
    void FormResize(QObject* sender);
    void Button1Click(QObject* sender);
    void Button2Click(QObject* sender);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();
};

extern TForm5* Form5;
