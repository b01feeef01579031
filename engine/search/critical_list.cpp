#include "search/critical_list.h"

#include <algorithm>

namespace scarpex {

namespace {

constexpr int32_t kListedSlots = 10;
constexpr int32_t kCandidateSlot = 11;
constexpr int32_t kExchangeSlot = 12;
constexpr float kNoSurfaceYet = 50.0f;

ListSlot& slot(ProblemModel& m, int32_t k) {
  return m.list[static_cast<std::size_t>(k)];
}

// The point count, points, factor of safety and theta of a slot (Spencer's Fm is not listed).
void copy_slot(const ListSlot& from, ListSlot& to) {
  to.point_count = from.point_count;
  int32_t n = std::clamp(from.point_count, 0, kMaxSurfacePoints);
  std::copy_n(from.x.begin() + 1, n, to.x.begin() + 1);
  std::copy_n(from.y.begin() + 1, n, to.y.begin() + 1);
  to.fos = from.fos;
  to.theta = from.theta;
}

void exchange_slots(ProblemModel& m, int32_t a, int32_t b) {
  copy_slot(slot(m, a), slot(m, kExchangeSlot));
  copy_slot(slot(m, b), slot(m, a));
  copy_slot(slot(m, kExchangeSlot), slot(m, b));
}

// The slot 0 results and the current surface go into the list; `take_best` keeps the slice
// data of a surface that is the most critical so far.
template <typename TakeBest>
void record(ProblemModel& m, TakeBest take_best) {
  if (m.list_entry_count < kCandidateSlot) ++m.list_entry_count;
  const int32_t c = m.list_entry_count;
  m.list_shown_count = std::min(c, kListedSlots);
  const float fos = m.list[0].fos;
  if (m.list_shown_count == 1) m.list_lowest_fos = fos;

  ListSlot& entry = slot(m, c);
  entry.fos = fos;
  if (m.spencer_method == 1) entry.theta = m.list[0].theta;
  // A later surface with a factor equal to the lowest replaces the record.
  if (fos <= m.list_lowest_fos) {
    m.list_lowest_fos = fos;
    take_best();
  }
  entry.point_count = std::clamp(m.surface_point_count, 0, kMaxSurfacePoints);
  std::copy_n(m.surface_x.begin() + 1, entry.point_count, entry.x.begin() + 1);
  std::copy_n(m.surface_y.begin() + 1, entry.point_count, entry.y.begin() + 1);

  if (c != kCandidateSlot) return;
  // The list is full: the candidate in slot 11 replaces the tenth only when it is strictly
  // more critical; ties never displace a listed surface.
  if (m.list_sorted != 1) sort_critical_list(m);
  if (slot(m, kCandidateSlot).fos < slot(m, kListedSlots).fos) {
    copy_slot(slot(m, kCandidateSlot), slot(m, kListedSlots));
    m.list_sorted = 0;
  } else {
    m.list_sorted = 1;
  }
}

}  // namespace

void copy_best_surface(const ProblemModel& analysed, BestSurfaceRecord& best) {
  best.slices = analysed.slices;
  best.thrust = analysed.thrust;
  best.earthquake_kh = analysed.earthquake_kh;
  best.earthquake_kv = analysed.earthquake_kv;
  best.theta_degrees = analysed.spencer_theta_plot;
}

bool becomes_most_critical(bool list_empty, float lowest_fos, float fos) {
  return list_empty || fos <= lowest_fos;
}

void start_critical_list(ProblemModel& m) {
  m.list_entry_count = 0;
  m.list_shown_count = 0;
  m.list_sorted = 0;
  m.list_lowest_fos = kNoSurfaceYet;
}

void record_current_surface(ProblemModel& m) {
  record(m, [&m] { copy_best_surface(m, m.best_surface); });
}

void record_surface(ProblemModel& m, const BestSurfaceRecord& best) {
  record(m, [&] { m.best_surface = best; });
}

void sort_critical_list(ProblemModel& m) {
  const int32_t n = std::clamp(m.list_shown_count, 0, kListedSlots);
  if (n < 2) return;
  for (int32_t pass = 1; pass <= n; ++pass) {
    for (int32_t k = 2; k <= n; ++k) {
      if (slot(m, k).fos < slot(m, k - 1).fos) exchange_slots(m, k - 1, k);
    }
  }
}

}  // namespace scarpex
