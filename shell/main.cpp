#include "startup.h"

int main(int argc, char **argv)
{
    return runFromCommandLine(argc, argv);
}
