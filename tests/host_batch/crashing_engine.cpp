// A stand-in engine library whose DAROZI dies of a signal, as a broken engine build would:
// the batch must report the file as crashed and go on with the others.
#include <csignal>
#include <cstdint>

extern "C" __attribute__((visibility("default"))) int32_t DAROZI(int32_t, int32_t) {
  std::raise(SIGABRT);
  return 0;
}
