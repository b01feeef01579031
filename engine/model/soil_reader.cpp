#include "model/command_readers.h"
#include "run/not_available.h"

namespace scarpex {

void read_soils(Engine& e) {
  command_not_available(e, "SOIL");
}

}  // namespace scarpex
