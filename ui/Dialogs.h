// The modal boxes the program shows the player. Everything goes through one
// seam, so tests can answer the boxes; the program uses Qt's standard ones.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace dialogs {

enum class Answer { Yes, No, Cancel };

struct DialogSeam {
    // A plain box with one OK button, captioned with the application title.
    virtual void message(const QString& text) = 0;
    // A question box with a question icon; `withCancel` adds a Cancel button
    // to Yes and No.
    virtual Answer question(const QString& caption, const QString& text, bool withCancel) = 0;
    // A one-line input box starting with `value` wholly selected and taking
    // at most 255 bytes of code page 932. True on OK, with the text unchanged
    // (no blanks trimmed) in `value`.
    virtual bool input(const QString& caption, const QString& prompt, QString& value) = 0;
    // The standard error box: the message, the application title as caption
    // and an error icon.
    virtual void error(const QString& text) = 0;
    virtual ~DialogSeam() = default;
};

// The seam in use; tests install their own and put the old one back.
DialogSeam& Current();
DialogSeam* Install(DialogSeam* seam);

// The longest text an input box takes, in code-page-932 bytes.
inline constexpr int InputByteLimit = 255;

// Shortcuts through the current seam.
inline void ShowMessage(const QString& text)
{
    Current().message(text);
}
inline Answer Ask(const QString& caption, const QString& text, bool withCancel = false)
{
    return Current().question(caption, text, withCancel);
}
inline bool InputQuery(const QString& caption, const QString& prompt, QString& value)
{
    return Current().input(caption, prompt, value);
}

// The application title: the executable's name, as the program sets none.
QString ApplicationTitle();

} // namespace dialogs
