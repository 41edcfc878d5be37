// zvx's command line: parses the arguments and runs the command they name.
#pragma once
#include "cli/Console.h"

// The exit status. During send and receive, Ctrl+C triggers `cancel` instead of ending zvx.
int RunZvx(int argc, char** argv, CancelSignal& cancel);
