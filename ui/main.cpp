#include "Application.h"

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    return application.Run();
}
