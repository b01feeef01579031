#include "output/slice_tables.h"

namespace scarpex {

void write_slice_tables(Engine&) {}

}  // namespace scarpex
