#include "fos/spencer.h"

namespace scarpex {

void spencer_fos(Engine&) {}

}  // namespace scarpex
