#include "Application.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

#include "About.h"
#include "Controls.h"
#include "Errors.h"
#include "Infoshow1.h"
#include "Panelconfig1.h"
#include "Pictures.h"
#include "Point1.h"
#include "Pointrec1.h"
#include "Zemmick1.h"

// Reading the system's font configuration and listing the installed faces
// is the longest step before the main window appears, and nothing needs it
// until the first label measures its caption. A helper thread does it while
// the window thread loads the pictures and makes the first controls. Qt
// keeps the list in one database shared by all threads behind its own lock,
// so the window thread finds it ready, or waits on that lock for the rest.
static void PrepareFonts()
{
    QFontDatabase::families();
}

bool SessionBusOutOfReach(const QByteArray& address, const QString& runtimeFolder, const QString& launcher)
{
    if (!address.isEmpty())
        return false;
    if (!runtimeFolder.isEmpty() && QFileInfo::exists(runtimeFolder + QStringLiteral("/bus")))
        return false;
    return !QFileInfo(launcher).isExecutable();
}

void SkipFutileBusLaunch()
{
    // The bus library looks for its launcher in its own fixed folder, not
    // on the search path.
    if (SessionBusOutOfReach(qgetenv("DBUS_SESSION_BUS_ADDRESS"), qEnvironmentVariable("XDG_RUNTIME_DIR"),
            QStringLiteral("/usr/bin/dbus-launch")))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The program's face must be known before the first widget asks for it.
    InstallFontSubstitution();
    setFont(ProgramFont(12));
    fontPreparation_ = std::jthread(PrepareFonts);
    setWindowIcon(ApplicationIcon());
    // Ties the windows to the installed desktop entry (task bar, icon).
    setDesktopFileName(QStringLiteral("net.zemmick.Zemmick"));
    installEventFilter(new EnterPressesButtons(this));
    // Form1 ends the program itself, whatever else is open.
    setQuitOnLastWindowClosed(false);
    // The standard boxes' buttons (はい(&Y), キャンセル...) speak the
    // program's language whatever the user's locale; without the file they
    // stay in English.
    auto* translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

TApplication::~TApplication()
{
    DestroyForms();
}

void TApplication::CreateForms()
{
    new TForm1();
    Form1->show();
    new TForm2();
    new TForm3();
    new TForm4();
    new TForm5();
    new TAboutBox();
}

void TApplication::DestroyForms()
{
    delete AboutBox;
    delete Form5;
    delete Form4;
    delete Form3;
    delete Form2;
    delete Form1;
    AboutBox = nullptr;
    Form5 = nullptr;
    Form4 = nullptr;
    Form3 = nullptr;
    Form2 = nullptr;
    Form1 = nullptr;
}

int TApplication::Run()
{
    try {
        CreateForms();
    } catch (...) {
        ShowException(std::current_exception());
        return 1;
    }
    // A box of the start (a record file not found, say) runs an event loop
    // of its own, and the main window may be closed inside it, as when the
    // session ends. That close asked the loops running then to end; the
    // program's loop starts only now and would run on with no window left.
    if (!Form1->isVisible())
        return 0;
    return exec();
}
