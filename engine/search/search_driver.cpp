#include "search/search_driver.h"

#include "search/not_available.h"

namespace scarpex {

// The random searches are not part of this version of the engine.
void run_search(Engine& e, std::string_view command) {
  command_not_available(e, command);
}

}  // namespace scarpex
