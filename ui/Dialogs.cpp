#include "Dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <QValidator>

#include "ShiftJis.h"

namespace dialogs {

namespace {

// Refuses an edit that would make the text longer than the byte limit.
class ByteLimitValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return sjis::ByteLength(input) <= InputByteLimit ? Acceptable : Invalid;
    }
};

// A box sizes itself to its text, and a text breaks only between words: a
// long run without a blank (200 digits pasted into a field, quoted back in
// the error) would make a box wider than the screen. Such runs get a break
// opportunity that shows nothing every so many characters, always between
// two whole characters: one inside a surrogate pair or before a combining
// mark would show the quoted text as something else.
QString Wrappable(const QString& text)
{
    constexpr qsizetype Run = 40;
    QString result;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype run = 0;
    qsizetype start = 0;
    for (qsizetype end = characters.toNextBoundary(); end != -1;
         start = end, end = characters.toNextBoundary()) {
        const QStringView character = QStringView(text).mid(start, end - start);
        run = character.front().isSpace() ? 0 : run + character.size();
        if (run > Run && run > character.size()) {
            result += QChar(0x200B);
            run = character.size();
        }
        result += character;
    }
    return result;
}

class QtDialogs : public DialogSeam {
public:
    void message(const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), Wrappable(text), QMessageBox::Ok,
            QApplication::activeWindow());
        box.setObjectName("MessageBox");
        box.exec();
    }

    Answer question(const QString& caption, const QString& text, bool withCancel) override
    {
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
        if (withCancel)
            buttons |= QMessageBox::Cancel;
        QMessageBox box(QMessageBox::Question, caption, text, buttons, QApplication::activeWindow());
        box.setObjectName("QuestionBox");
        switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return withCancel ? Answer::Cancel : Answer::No;
        }
    }

    bool input(const QString& caption, const QString& prompt, QString& value) override
    {
        QInputDialog box(QApplication::activeWindow());
        box.setObjectName("InputBox");
        box.setWindowTitle(caption);
        box.setLabelText(prompt);
        box.setInputMode(QInputDialog::TextInput);
        box.setTextValue(value);
        if (auto* edit = box.findChild<QLineEdit*>()) {
            edit->setValidator(new ByteLimitValidator(edit));
            // Selected once the box is up, so typing replaces the offer.
            QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
        }
        if (box.exec() != QDialog::Accepted)
            return false;
        value = box.textValue();
        return true;
    }

    void error(const QString& text) override
    {
        QMessageBox box(QMessageBox::Critical, ApplicationTitle(), Wrappable(text), QMessageBox::Ok,
            QApplication::activeWindow());
        box.setObjectName("ErrorBox");
        box.exec();
    }
};

QtDialogs StandardDialogs;
DialogSeam* Seam = &StandardDialogs;

} // namespace

DialogSeam& Current()
{
    return *Seam;
}

DialogSeam* Install(DialogSeam* seam)
{
    DialogSeam* old = Seam;
    Seam = seam ? seam : &StandardDialogs;
    return old;
}

QString ApplicationTitle()
{
    return QCoreApplication::applicationName();
}

} // namespace dialogs
