#include "fos/bishop_janbu.h"

namespace scarpex {

void bishop_janbu_fos(Engine&) {}

}  // namespace scarpex
