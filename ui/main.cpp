#include <thread>

#include "Application.h"

int main(int argc, char** argv)
{
    // The font configuration is read while Qt connects to the display.
    std::jthread fontConfiguration(ReadFontConfiguration);
    TApplication application(argc, argv);
    return application.Run();
}
