#include "search/block_generator.h"

namespace scarpex {

void generate_block_surface(Engine& e) {
  e.model.stop_code = 10;
}

}  // namespace scarpex
