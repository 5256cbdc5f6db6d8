// The application object: it creates the six windows once, in their order,
// owns them for the whole run and runs the event loop.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <thread>

// True when the bus library could neither find a session message bus (no
// address given, no socket in the session's runtime folder) nor launch one
// (no launcher program): asking for the bus can only fail.
bool SessionBusOutOfReach(const QByteArray& address, const QString& runtimeFolder, const QString& launcher);

// Run before the application object exists. Where the session bus is out of
// reach, gives the bus library an address that fails at once, so that the
// accessibility bridge, which the first caption of a control starts, does not
// first fork a launcher that is not there: several milliseconds on the
// window thread before the main window appears. Nothing changes where a bus
// can be had.
void SkipFutileBusLaunch();

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // Creates Form1 and shows it (its first showing deals), then the five
    // hidden windows. An error that escapes a window's creation propagates.
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
