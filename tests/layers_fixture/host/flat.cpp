// Planted fault: a source file outside the folders of the stack.
#include "cli/run_command.h"
