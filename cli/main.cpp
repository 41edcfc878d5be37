// zvx: the phone transfers of Zorvex from a command line.
#include <exception>

#include "cli/Media.h"
#include "cli/Platform.h"
#include "cli/CommandLine.h"

int main(int argc, char** argv)
{
    InitConsole();
    // Never destroyed: the interrupt thread may use it until the process ends.
    CancelSignal& cancel = *new CancelSignal;
    try {
        return RunZvx(argc, argv, cancel);
    } catch (const std::exception& e) {
        PrintError(std::string("zvx: ") + e.what());
        return kExitInternal;
    }
}
