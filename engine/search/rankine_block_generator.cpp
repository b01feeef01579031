#include "search/rankine_block_generator.h"

namespace scarpex {

void generate_rankine_block_surface(Engine& e) {
  e.model.stop_code = 10;
}

}  // namespace scarpex
