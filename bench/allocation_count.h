// The heap allocations a benchmark program has made so far: every operator new of the program
// (the engine's, in the shared library too) is counted.
#pragma once

long long allocations_so_far();
