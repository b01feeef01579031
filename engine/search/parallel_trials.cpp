#include "search/parallel_trials.h"

#include <array>
#include <bit>
#include <stdexcept>

#include "search/critical_list.h"

namespace scarpex {

namespace {

// Slots of the ring per thread: room for the generation to run ahead of slow trials.
constexpr int32_t kSlotsPerThread = 16;

// A status no method leaves: a slot still holding it after the analysis never reached the
// method (its surface could not be sliced).
constexpr int32_t kNoStatus = 0;

// Stands in the theta of the latest Spencer analysis while a trial is analysed: a signalling
// NaN, which no arithmetic yields, so that a theta the analysis did not set is recognised.
constexpr uint32_t kThetaUnsetBits = 0x7fa5a5a5u;

bool theta_unset(float theta) {
  return std::bit_cast<uint32_t>(theta) == kThetaUnsetBits;
}

enum class SlotState { kFree, kPending, kAnalysing, kDone };

// The five outputs of a trial, held in memory.
struct OutputBuffers {
  OutputBuffers() {
    for (TextSink* sink : sinks()) sink->use_memory();
  }
  std::array<TextSink*, 5> sinks() { return {&report, &plot, &trace, &status, &console}; }
  TextSink report, plot, trace, status, console;
};

// Exchanges the engine's sinks with the buffers: the engine writes into them, or hands over
// what it wrote.
void exchange(Engine& e, OutputBuffers& buffers) {
  swap(e.report, buffers.report);
  swap(e.plot, buffers.plot);
  swap(e.trace, buffers.trace);
  swap(e.status, buffers.status);
  swap(e.console, buffers.console);
}

void append(Engine& files, OutputBuffers& buffers) {
  files.report.write_lines(buffers.report.pending());
  files.plot.write_lines(buffers.plot.pending());
  files.trace.write_lines(buffers.trace.pending());
  files.status.write_lines(buffers.status.pending());
  files.console.write_lines(buffers.console.pending());
}

void clear(OutputBuffers& buffers) {
  for (TextSink* sink : buffers.sinks()) sink->clear();
}

void clear_sinks(Engine& e) {
  for (TextSink* sink : {&e.report, &e.plot, &e.trace, &e.status, &e.console}) sink->clear();
}

void use_memory_sinks(Engine& e) {
  for (TextSink* sink : {&e.report, &e.plot, &e.trace, &e.status, &e.console}) {
    sink->use_memory();
  }
}

}  // namespace

// One trial in the ring: written by the calling thread while free, by the analysing thread
// while analysing, and read by the calling thread once done.
struct TrialSlot {
  SlotState state = SlotState::kFree;
  TrialStart start = TrialStart::kNoSurface;
  GeneratorState generator;  // after the trial's generation
  OutputBuffers text;        // the text of the trial, and what the calling thread wrote before

  // The view of the list when the analysis began, and the analysis.
  bool list_empty = true;
  float lowest_fos = 0.0f;
  int32_t worker = -1;
  TrialEnd end = TrialEnd::kDropped;
  std::exception_ptr failure;
  bool method_reached = false;     // the status, factor and reinforcement moment are its own
  bool spencer_converged = false;  // theta, Fm and the theta of the SFS record are its own
  bool record_deferred = false;    // the SFS record needs the theta of an earlier trial
  int32_t solution_status = 0;
  float fos = 0.0f;
  float reinforcement_moment = 0.0f;
  float theta = 0.0f;
  float moment_fos = 0.0f;
  float theta_plot = 0.0f;
  bool best_held = false;  // `best` holds the slice data: the surface may be the most critical
  BestSurfaceRecord best;
};

// The engine of one analysing thread: its own copy of the model, its output in memory.
struct TrialWorker {
  explicit TrialWorker(const ProblemModel& model) {
    engine.model = model;
    use_memory_sinks(engine);
  }
  Engine engine;
};

// The values a trial's analysis leaves in the model for the trials after it, as of the last
// committed trial that set them.
struct ParallelTrials::Carried {
  explicit Carried(const ProblemModel& m)
      : solution_status(m.solution_status),
        fos(m.list[0].fos),
        reinforcement_moment(m.reinforcement_moment),
        theta(m.list[0].theta),
        moment_fos(m.list[0].moment_fos),
        theta_plot(m.spencer_theta_plot) {}
  int32_t solution_status;
  float fos;
  float reinforcement_moment;
  float theta;
  float moment_fos;
  float theta_plot;
};

std::unique_ptr<ParallelTrials> ParallelTrials::start(Engine& e, int32_t threads) {
  if (threads < 2) return nullptr;
  std::unique_ptr<ParallelTrials> trials;
  try {
    trials.reset(new ParallelTrials(e, threads));
  } catch (const std::bad_alloc&) {
    return nullptr;  // the calling thread alone needs nothing more
  }
  for (int32_t worker = 1; worker < threads; ++worker) {
    try {
      ParallelTrials* self = trials.get();
      trials->threads_.emplace_back([self, worker] { self->work(worker); });
    } catch (const std::exception&) {
      break;  // go on with the threads that did start
    }
  }
  if (trials->threads_.empty()) return nullptr;
  return trials;
}

ParallelTrials::ParallelTrials(Engine& e, int32_t threads) : main_(e) {
  files_ = std::make_unique<Engine>();
  files_->model = e.model;
  carried_ = std::make_unique<Carried>(e.model);
  for (int32_t w = 0; w < threads; ++w) {
    workers_.push_back(std::make_unique<TrialWorker>(e.model));
  }
  const int32_t slot_count = kSlotsPerThread * threads;
  for (int32_t k = 0; k < slot_count; ++k) slots_.push_back(std::make_unique<TrialSlot>());
  ending_generator_ = std::make_unique<GeneratorState>();
  // Last, when nothing can fail any more: the run files move to files_, and the calling
  // thread writes into memory until they come back.
  use_memory_sinks(*files_);
  exchange_files();
  files_held_ = true;
}

ParallelTrials::~ParallelTrials() {
  stop_threads();
  if (files_held_) give_files_back();
}

TrialSlot& ParallelTrials::slot_of(int64_t sequence) {
  return *slots_[static_cast<std::size_t>(sequence % static_cast<int64_t>(slots_.size()))];
}

// The engine's sinks and those held in files_ trade places: the run files go to files_ and
// the memory sinks to the engine, or back.
void ParallelTrials::exchange_files() {
  swap(main_.report, files_->report);
  swap(main_.plot, files_->plot);
  swap(main_.trace, files_->trace);
  swap(main_.status, files_->status);
  swap(main_.console, files_->console);
}

void ParallelTrials::give_files_back() {
  exchange_files();
  files_held_ = false;
}

void ParallelTrials::stop_threads() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

// An analysing thread: analyses whatever awaits analysis and commits what is ready.
void ParallelTrials::work(int32_t worker) {
  while (TrialSlot* slot = take_pending(true)) {
    analyse(worker, *slot);
    commit_ready();
  }
}

// The next slot awaiting analysis, marked as taken; with `wait`, waits for one until the threads
// stop. Null when there is none.
TrialSlot* ParallelTrials::take_pending(bool wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    while (next_pending_ < generated_ && slot_of(next_pending_).state != SlotState::kPending) {
      ++next_pending_;
    }
    if (!handing_stopped_ && next_pending_ < generated_) {
      TrialSlot& slot = slot_of(next_pending_++);
      slot.state = SlotState::kAnalysing;
      slot.list_empty = list_empty_;
      slot.lowest_fos = lowest_fos_;
      return &slot;
    }
    if (!wait || stopping_) return nullptr;
    ++sleeping_;
    work_ready_.wait(lock);
    --sleeping_;
  }
}

void ParallelTrials::analyse(int32_t worker, TrialSlot& slot) {
  Engine& engine = workers_[static_cast<std::size_t>(worker)]->engine;
  ProblemModel& m = engine.model;
  apply_generator_state(slot.generator, m);
  const bool spencer = m.spencer_method == 1;
  m.solution_status = kNoStatus;
  if (spencer) m.spencer_theta_plot = std::bit_cast<float>(kThetaUnsetBits);
  slot.worker = worker;
  slot.failure = nullptr;
  exchange(engine, slot.text);
  try {
    slot.end = analyse_trial(engine);
    slot.method_reached = m.solution_status != kNoStatus;
    slot.spencer_converged = spencer && !theta_unset(m.spencer_theta_plot);
    slot.solution_status = m.solution_status;
    slot.fos = m.list[0].fos;
    slot.reinforcement_moment = m.reinforcement_moment;
    slot.theta = m.list[0].theta;
    slot.moment_fos = m.list[0].moment_fos;
    slot.theta_plot = m.spencer_theta_plot;
    const bool recorded = slot.end == TrialEnd::kRecorded || slot.end == TrialEnd::kListed;
    // Only a converged Spencer analysis sets the theta the SFS record carries; after any other
    // the record shows the theta of the latest one before, which the commit knows.
    slot.record_deferred = recorded && spencer && !slot.spencer_converged;
    if (recorded && !slot.record_deferred) write_trial_record(engine);
    slot.best_held = slot.end == TrialEnd::kListed &&
                     becomes_most_critical(slot.list_empty, slot.lowest_fos, slot.fos);
    if (slot.best_held) copy_best_surface(m, slot.best);
  } catch (...) {
    slot.failure = std::current_exception();
  }
  exchange(engine, slot.text);
  std::lock_guard<std::mutex> lock(mutex_);
  slot.state = SlotState::kDone;
  // The thread that analysed a trial ending the run keeps that trial's model for the end, and
  // no trial after it needs analysing (every trial before it has been handed out already).
  if (slot.failure || slot.end == TrialEnd::kRunEnds) handing_stopped_ = true;
  if (main_waiting_) slot_done_.notify_one();
}

// The oldest slot not yet committed when its analysis is done; null otherwise. Under mutex_.
TrialSlot* ParallelTrials::next_to_commit_locked() {
  if (committed_ == generated_) return nullptr;
  TrialSlot& slot = slot_of(committed_);
  return slot.state == SlotState::kDone ? &slot : nullptr;
}

// Commits the done slots in trial order, on whichever thread gets here first; a thread that
// finds another committing leaves the work to it. The committing thread looks again once it has
// let go, so that a slot finished meanwhile is not left behind.
void ParallelTrials::commit_ready() {
  for (;;) {
    std::unique_lock<std::mutex> committing(commit_mutex_, std::try_to_lock);
    if (!committing.owns_lock()) return;
    std::unique_lock<std::mutex> lock(mutex_);
    while (TrialSlot* slot = next_to_commit_locked()) {
      lock.unlock();
      commit_one(*slot);
      lock.lock();
      slot->state = SlotState::kFree;
      ++committed_;
      run_ended_ = ended_;
      list_empty_ = files_->model.list_entry_count == 0;
      lowest_fos_ = files_->model.list_lowest_fos;
      if (main_waiting_) slot_done_.notify_one();
    }
    committing.unlock();
    if (next_to_commit_locked() == nullptr) return;
  }
}

// A commit that fails (it cannot grow a buffer) ends the run like a trial that throws.
void ParallelTrials::commit_one(TrialSlot& slot) {
  try {
    commit(slot);
  } catch (...) {
    end_run_at(slot, std::current_exception());
  }
}

void ParallelTrials::end_run_at(const TrialSlot& slot, std::exception_ptr failure) {
  ended_ = true;
  failure_ = failure;
  *ending_generator_ = slot.generator;
  cancel_pending();
}

void ParallelTrials::commit(TrialSlot& slot) {
  if (ended_) {
    clear(slot.text);  // generated after the trial that ended the run: never written
    return;
  }
  Engine& files = *files_;
  append(files, slot.text);
  clear(slot.text);
  if (slot.start != TrialStart::kAnalyse) return;

  last_worker_ = slot.worker;
  Carried& carried = *carried_;
  if (slot.method_reached) {
    carried.solution_status = slot.solution_status;
    carried.fos = slot.fos;
    carried.reinforcement_moment = slot.reinforcement_moment;
  }
  if (slot.spencer_converged) {
    carried.theta = slot.theta;
    carried.moment_fos = slot.moment_fos;
    carried.theta_plot = slot.theta_plot;
  }
  if (slot.failure || slot.end == TrialEnd::kRunEnds) {
    end_run_at(slot, slot.failure);
    return;
  }

  if (!slot.record_deferred && slot.end != TrialEnd::kListed) return;
  ProblemModel& m = files.model;
  apply_generator_state(slot.generator, m);
  m.solution_status = slot.solution_status;
  m.list[0].fos = slot.fos;
  m.list[0].theta = carried.theta;
  m.spencer_theta_plot = carried.theta_plot;
  if (slot.record_deferred) write_trial_record(files);
  if (slot.end != TrialEnd::kListed) return;
  if (!slot.best_held &&
      becomes_most_critical(m.list_entry_count == 0, m.list_lowest_fos, slot.fos)) {
    throw std::logic_error("the slice data of the most critical trial surface were not kept");
  }
  record_surface(m, slot.best);
}

// Analyses one waiting slot on the calling thread; false when none waits.
bool ParallelTrials::help_once() {
  TrialSlot* slot = take_pending(false);
  if (slot == nullptr) return false;
  analyse(0, *slot);
  commit_ready();
  return true;
}

// Waits until `ready` holds, or the oldest slot is done and the calling thread can commit it.
template <typename Ready>
void ParallelTrials::wait_for(Ready ready) {
  std::unique_lock<std::mutex> lock(mutex_);
  main_waiting_ = true;
  slot_done_.wait(lock, [&] {
    return ready() || (committed_ < generated_ && slot_of(committed_).state == SlotState::kDone);
  });
  main_waiting_ = false;
}

// Frees a slot for the next trial: commits what is done, else analyses a waiting trial, else
// waits. True unless a trial's analysis ended the run.
bool ParallelTrials::make_room() {
  const auto capacity = static_cast<int64_t>(slots_.size());
  auto room = [&] { return generated_ - committed_ < capacity || run_ended_; };
  for (;;) {
    commit_ready();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (room()) return !run_ended_;
    }
    if (help_once()) continue;
    wait_for(room);
  }
}

bool ParallelTrials::submit(Engine& e, const SearchState& s, TrialStart start) {
  if (!make_room()) {
    clear_sinks(e);  // a trial before this one ended the run
    return false;
  }
  TrialSlot& slot = slot_of(generated_);
  exchange(e, slot.text);  // the slot takes the text; e writes on into the slot's old buffers
  save_generator_state(e, s, slot.generator);
  slot.start = start;
  slot.end = TrialEnd::kDropped;
  bool pending = false;
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // Behind a trial that ends the run nothing is analysed: the slot is done as it stands.
    pending = start == TrialStart::kAnalyse && !handing_stopped_;
    slot.state = pending ? SlotState::kPending : SlotState::kDone;
    ++generated_;
    wake = pending && sleeping_ > 0;
  }
  if (wake) work_ready_.notify_one();
  if (!pending) commit_ready();
  return start != TrialStart::kRunEnds;
}

// After a trial that ended the run, the slots after it are not analysed.
void ParallelTrials::cancel_pending() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (int64_t k = committed_; k < generated_; ++k) {
    TrialSlot& slot = slot_of(k);
    if (slot.state == SlotState::kPending) slot.state = SlotState::kDone;
  }
  if (main_waiting_) slot_done_.notify_one();
}

bool ParallelTrials::finish(Engine& e, SearchState& s) {
  auto all_committed = [&] { return committed_ == generated_; };
  for (;;) {
    commit_ready();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (all_committed()) break;
    }
    if (help_once()) continue;
    wait_for(all_committed);
  }
  stop_threads();
  // What the calling thread wrote after the last trial (an initiation point that ended the
  // run) follows it, unless a trial's analysis ended the run first.
  if (!ended_) {
    OutputBuffers rest;
    exchange(e, rest);
    append(*files_, rest);
  }
  give_files_back();
  adopt_results(e, s);
  if (failure_) std::rethrow_exception(failure_);
  return !ended_;
}

// The model as one thread leaves it: the list, the generator state (put back to the trial that
// ended the run, if one did), the tables of the last trial analysed and the values the trials
// carry over.
void ParallelTrials::adopt_results(Engine& e, SearchState& s) {
  ProblemModel& m = e.model;
  const ProblemModel& listed = files_->model;
  m.list = listed.list;
  m.list_shown_count = listed.list_shown_count;
  m.list_entry_count = listed.list_entry_count;
  m.list_sorted = listed.list_sorted;
  m.list_lowest_fos = listed.list_lowest_fos;
  m.best_surface = listed.best_surface;
  if (ended_) restore_generator_state(*ending_generator_, e, s);
  if (last_worker_ >= 0) {
    const ProblemModel& analysed = workers_[static_cast<std::size_t>(last_worker_)]->engine.model;
    m.slices = analysed.slices;
    m.thrust = analysed.thrust;
    m.reinf_working_flag = analysed.reinf_working_flag;
    if (ended_) {
      m.stop_code = analysed.stop_code;
      m.plot_end_written = analysed.plot_end_written;
    }
  }
  const Carried& carried = *carried_;
  m.solution_status = carried.solution_status;
  m.list[0].fos = carried.fos;
  m.reinforcement_moment = carried.reinforcement_moment;
  m.list[0].theta = carried.theta;
  m.list[0].moment_fos = carried.moment_fos;
  m.spencer_theta_plot = carried.theta_plot;
}

}  // namespace scarpex
