// The trials of one search on several threads, with the files one thread would write.
//
// The calling thread generates the trial surfaces in order, exactly as it does alone (the
// random numbers, the stop codes the generators leave, the narrowing of the angle bounds: the
// analysis of a trial feeds nothing back into them). Each generated trial takes a slot of a
// ring with the text written since the trial before and the generator state after it. Any
// thread, the calling one included when it has nothing else to do, analyses a slot's surface in
// an engine of its own (a copy of the model made at the start of the search, memory sinks) and
// leaves its output and results in the slot. One thread at a time, whichever finds slots done,
// commits them strictly in trial order: it appends their text to the run files, offers their
// surfaces to the list and keeps the values a trial leaves for the next (the last factor,
// theta, status).
//
// A trial whose analysis ends the run (or throws) is the last one committed: the text of the
// trials generated after it is dropped, and the generator state (random numbers included) is
// put back to what it was after that trial, so that the model is left as one thread leaves it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/engine.h"
#include "search/trial_steps.h"

namespace scarpex {

struct TrialSlot;
struct TrialWorker;

class ParallelTrials {
 public:
  // Threads for the trials of the search about to start in `e` (its data read, its drawing
  // written); `threads` counts the calling thread. Null when fewer than two threads are asked
  // for or no other thread could be started: the search then runs on the calling thread alone.
  static std::unique_ptr<ParallelTrials> start(Engine& e, int32_t threads);

  ParallelTrials(const ParallelTrials&) = delete;
  ParallelTrials& operator=(const ParallelTrials&) = delete;
  // Stops and joins the threads and gives the run files back to `e`, whatever happened.
  ~ParallelTrials();

  // Takes the trial that start_trial has just started in `e`. False once the search must stop
  // generating: this trial ended the run, or the analysis of an earlier one did.
  bool submit(Engine& e, const SearchState& s, TrialStart start);

  // Analyses and commits every trial left, writes what the calling thread wrote after the last
  // one, gives the run files back to `e` and leaves the model and `s` as one thread leaves
  // them. False when a trial's analysis ended the run; rethrows what an analysis threw.
  bool finish(Engine& e, SearchState& s);

  struct Carried;

 private:
  ParallelTrials(Engine& e, int32_t threads);

  TrialSlot& slot_of(int64_t sequence);
  void work(int32_t worker);
  TrialSlot* take_pending(bool wait);
  void analyse(int32_t worker, TrialSlot& slot);
  bool help_once();
  TrialSlot* next_to_commit_locked();
  void commit_ready();
  void commit_one(TrialSlot& slot);
  void commit(TrialSlot& slot);
  void end_run_at(const TrialSlot& slot, std::exception_ptr failure);
  bool make_room();
  template <typename Ready>
  void wait_for(Ready ready);
  void cancel_pending();
  void stop_threads();
  void exchange_files();
  void give_files_back();
  void adopt_results(Engine& e, SearchState& s);

  Engine& main_;
  std::vector<std::unique_ptr<TrialWorker>> workers_;  // 0 is the calling thread's
  std::vector<std::unique_ptr<TrialSlot>> slots_;
  std::vector<std::thread> threads_;

  std::mutex mutex_;
  std::condition_variable work_ready_;  // a slot awaits analysis, or the threads must stop
  std::condition_variable slot_done_;   // a slot is done or committed, for the calling thread
  // Under mutex_. Slots by trial sequence: [committed_, generated_) are in use; those from
  // next_pending_ on may still await analysis.
  int64_t generated_ = 0;
  int64_t committed_ = 0;
  int64_t next_pending_ = 0;
  int32_t sleeping_ = 0;
  bool stopping_ = false;
  bool handing_stopped_ = false;  // a trial ended the run: no slot after it is analysed
  bool main_waiting_ = false;
  bool run_ended_ = false;  // as the commits have found so far
  // The view of the list that the analysing threads use to decide whether a surface's slice
  // data may be needed for the detailed output.
  bool list_empty_ = true;
  float lowest_fos_ = 0.0f;

  // Under commit_mutex_, held by the one thread committing: the run files, the list, the
  // values trials carry over and the trial that ended the run.
  std::mutex commit_mutex_;
  std::unique_ptr<Engine> files_;
  std::unique_ptr<Carried> carried_;
  bool ended_ = false;
  int32_t last_worker_ = -1;  // the thread that analysed the last committed analysed trial
  std::unique_ptr<GeneratorState> ending_generator_;
  std::exception_ptr failure_;
  bool files_held_ = false;
};

}  // namespace scarpex
