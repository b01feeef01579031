#include "fos/analyse_surface.h"

#include "fos/applied_forces.h"
#include "fos/bishop_janbu.h"
#include "fos/slicing.h"
#include "fos/spencer.h"
#include "output/plot_file.h"

namespace scarpex {

void analyse_surface(Engine& e) {
  ProblemModel& m = e.model;
  m.reinf_working_flag = m.reinf_given;

  collect_slice_abscissae(e);
  build_slices(e);
  if (m.stop_code > 0) return;  // rejected by the slicing (21)

  SliceTable& t = m.slices;
  if (m.ties_active == 1) {
    apply_tie_forces(e);
  } else {
    t.tie_normal_force.fill(0.0f);
    t.tie_shear_force.fill(0.0f);
  }
  if (m.reinf_working_flag == 1) {
    compute_reinforcement_moment(e);
  } else {
    m.reinforcement_moment = 0.0f;  // nothing of an earlier surface carries over
  }
  if (m.stop_code > 0) return;  // the reinforcement step aborted the run

  bishop_janbu_fos(e);
  // Spencer's method starts from whatever factor the first method left, whatever its outcome.
  if (m.spencer_method == 1) spencer_fos(e);

  if (m.search_active == 1) return;  // the search writes the plot records of its surfaces
  m.plot_stage = 0.0f;
  write_plot_records(e);
}

}  // namespace scarpex
