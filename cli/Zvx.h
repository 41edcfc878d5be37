// zvx's command line: parses the arguments and runs the command they name.
#pragma once
#include "cli/Console.h"

// The exit status. `cancel` is what Ctrl+C triggers.
int RunZvx(int argc, char** argv, CancelLatch& cancel);
