#include "output/thrust_output.h"

namespace scarpex {

void write_thrust_report_heading(Engine&) {}
void write_lot_record(Engine&, const SliceTable&, const ThrustLine&, float) {}

}  // namespace scarpex
