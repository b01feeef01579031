// How DAROZI is exported: on 32-bit Windows with the callee-clears-stack (stdcall) convention
// under its undecorated name (the .def file of that build gives the name); elsewhere with the
// platform's default convention and default visibility, everything else being hidden.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define SCARPEX_EXPORT extern "C" __declspec(dllexport)
#if !defined(_WIN64)
#define SCARPEX_CALL __stdcall
#else
#define SCARPEX_CALL
#endif
#else
#define SCARPEX_EXPORT extern "C" __attribute__((visibility("default")))
#define SCARPEX_CALL
#endif

SCARPEX_EXPORT int32_t SCARPEX_CALL DAROZI(int32_t first, int32_t second);
