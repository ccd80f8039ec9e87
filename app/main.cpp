#include "app/CommandLine.h"

// Without options the windows open; each option runs one command-line mode.
int main(int argc, char *argv[])
{
    return CommandLine::run(argc, argv);
}
