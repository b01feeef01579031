#include "model/command_readers.h"
#include "run/not_available.h"

namespace scarpex {

void read_profile(Engine& e) {
  command_not_available(e, "PROFIL");
}

}  // namespace scarpex
