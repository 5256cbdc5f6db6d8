#include "Application.h"

int main(int argc, char** argv)
{
    SkipFutileBusLaunch();
    TApplication application(argc, argv);
    return application.Run();
}
