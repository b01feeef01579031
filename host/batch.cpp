#include "batch.h"
namespace scarpex_host {
int run_batch(const HostOptions&) { return 2; }
}
