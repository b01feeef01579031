// The detailed output of one analysed surface: summary line, slice table, the INF, INS and INX
// plot records and, with Spencer's method, the line of thrust.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Called after EXECUT has analysed a specified surface: the summary line with the factor of
// safety (and theta) of list slot 0, then the detail of the model's slice table.
void write_slice_tables(Engine& e);

// The summary line: two empty lines, the factor of safety (with Spencer's method also theta in
// degrees) between asterisks, three empty lines. The search's final list uses it per surface.
void write_fos_summary_line(Engine& e, float fos, float theta_degrees);

// Everything after the summary line, from the given slice table and line of thrust: the
// "Individual data on the N slices" line, the slice table with its heading, the INF, INS and
// INX records and, when spencer_method is 1, the line of thrust in the report and the LOT
// record. The earthquake columns are kh and kv times each slice's weight; `lot_theta_degrees`
// goes on the LOT count line (0 for a specified surface, the best surface's theta for a
// search). The search's final report calls this for its best-surface record.
void write_slice_detail(Engine& e, const SliceTable& slices, const ThrustLine& thrust, float kh,
                        float kv, float lot_theta_degrees);

}  // namespace scarpex
