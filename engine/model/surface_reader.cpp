#include "model/command_readers.h"
#include "run/not_available.h"

namespace scarpex {

void read_specified_surface(Engine& e) {
  command_not_available(e, "SURFAC");
}

}  // namespace scarpex
