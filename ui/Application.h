// The application object: it creates the six windows once, in their order,
// owns them for the whole run and runs the event loop.
#pragma once

#include <QApplication>
#include <thread>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // Creates Form1 (which shows itself and deals), then the five hidden
    // windows. An error that escapes a window's creation propagates.
    void CreateForms();
    // Destroys the windows, last created first.
    void DestroyForms();

    // Creates the windows and runs until the main window closes. An error
    // that escapes the creation is shown in the error box and ends the
    // program.
    int Run();

private:
    // Prepares the fonts while the windows are being made (see
    // PrepareFonts); joined when the application ends.
    std::jthread fontPreparation_;
};
