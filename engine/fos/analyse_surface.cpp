#include "fos/analyse_surface.h"

#include "run/not_available.h"

namespace scarpex {

void analyse_surface(Engine& e) {
  command_not_available(e, "EXECUT");
}

}  // namespace scarpex
