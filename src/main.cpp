#include "App/ApplicationMain.h"

int main(int argc, char **argv)
{
    return tarnik::applicationMain(argc, argv);
}
