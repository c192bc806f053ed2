#include "app/startup.h"

int main(int argc, char** argv)
{
    return VexoMain(argc, argv);
}
