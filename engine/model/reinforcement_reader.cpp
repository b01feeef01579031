#include "model/command_readers.h"
#include "run/not_available.h"

namespace scarpex {

void read_reinforcement(Engine& e) {
  command_not_available(e, "REINF");
}

}  // namespace scarpex
