// All state of a run: the problem, the mode flags, the search settings, the list of most
// critical surfaces, the slice table of the surface being analysed and the run status.
// Tables have fixed sizes and are indexed from 1; the counts stand beside them.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/constants.h"
#include "model/fixed_text.h"
#include "model/limits.h"

namespace scarpex {

// The slices of the surface being analysed (at most 199), one column per property.
struct SliceTable {
  int32_t slice_count = 0;
  Table<float, kMaxSliceEdges> x_edge{}, y_edge{};
  Table<float, kMaxSlices> x_mid{}, width{}, y_base{}, alpha{}, beta{}, height{};
  Table<int32_t, kMaxSlices> base_soil{};
  Table<float, kMaxSlices> weight{}, base_water_force{}, top_water_force{};
  Table<float, kMaxSlices> load_angle{}, load_force{}, centroid_height{};
  Table<float, kMaxSlices> tie_normal_force{}, tie_shear_force{};
  Table<float, kMaxSlices> base_total_stress{}, base_effective_stress{};
  Table<float, kMaxSlices> base_shear_stress{}, base_pore_pressure{};
};

// The line of thrust of Spencer's method, one entry per slice for its right-hand side.
struct ThrustLine {
  Table<float, kMaxSlices> thrust_x{}, thrust_y{}, thrust_ratio{}, side_force{}, side_height{};
};

// One slot of the most-critical list.
struct ListSlot {
  int32_t point_count = 0;
  Table<float, kMaxSurfacePoints> x{}, y{};
  float fos = 0.0f;
  float theta = 0.0f;       // Spencer's side-force angle, degrees
  float moment_fos = 0.0f;  // Spencer's Fm; kept in slot 0 only
};

// A copy of the slice data of the most critical surface met so far in a search, with what its
// detailed output needs: the earthquake coefficients in force when it was copied and the
// theta of its Spencer analysis for the LOT count line.
struct BestSurfaceRecord {
  SliceTable slices;
  ThrustLine thrust;
  float earthquake_kh = 0.0f;
  float earthquake_kv = 0.0f;
  float theta_degrees = 0.0f;
};

// Solution status of the surface just analysed.
enum SolutionStatus : int32_t { kConverged = 1, kNotConverged = 2, kNegativeFos = 3 };

struct ProblemModel {
  // Run state and constants.
  int32_t stop_code = 0;
  int32_t input_error_flag = 0;
  int32_t plot_end_written = 0;  // the END record is written once per run
  float coord_tolerance = kCoordTolerance;
  float deg_to_rad = kDegToRad;

  // Header controls.
  Table<int32_t, 6> solver_int_controls{};
  Table<float, 4> solver_real_controls{};
  int32_t iteration_limit() const { return solver_int_controls[1]; }  // Bishop and Janbu
  int32_t spencer_outer_limit() const { return solver_int_controls[2]; }
  int32_t spencer_inner_limit() const { return solver_int_controls[3]; }
  // 0: the reinforcement term reduces the driving sum; otherwise it adds to the resisting sum.
  int32_t reinf_placement() const { return solver_int_controls[4]; }
  // 1: the reinforcement term is divided by the current factor of safety.
  int32_t reinf_scaling() const { return solver_int_controls[5]; }
  // 1: the methods write their detailed messages and listings.
  int32_t report_switch() const { return solver_int_controls[6]; }
  float fos_tolerance() const { return solver_real_controls[1]; }  // Bishop and Janbu
  float spencer_moment_tolerance() const { return solver_real_controls[2]; }
  float spencer_force_tolerance() const { return solver_real_controls[3]; }
  float spencer_agreement_tolerance() const { return solver_real_controls[4]; }
  Table<int32_t, 3> frame_ints{};
  Table<float, 6> frame_reals{};
  int32_t mirror_flag() const { return frame_ints[1]; }
  float mirror_axis_x() const { return frame_reals[2]; }
  float shift_x() const { return frame_reals[5]; }
  float shift_y() const { return frame_reals[6]; }

  // Units.
  int32_t unit_system = 0;
  std::string_view length_label = "  M ";
  std::string_view stress_label = " kPa ";
  std::string_view unit_weight_label = "kN/M^3";
  std::string_view force_label = " KN";
  std::string_view force_per_length_label = " KN/M ";

  // Ground profile.
  FixedText<80> problem_title;
  int32_t boundary_count = 0;
  int32_t top_boundary_count = 0;
  Table<float, kMaxBoundaries> boundary_x_left{}, boundary_y_left{};
  Table<float, kMaxBoundaries> boundary_x_right{}, boundary_y_right{};
  Table<int32_t, kMaxBoundaries> boundary_soil_type{};

  // Soil types.
  int32_t soil_given = 0;
  int32_t soil_count = 0;
  Table<float, kMaxSoils> soil_total_unit_weight{}, soil_saturated_unit_weight{};
  Table<float, kMaxSoils> soil_cohesion{}, soil_friction_angle{};
  Table<float, kMaxSoils> soil_pore_pressure_ratio{}, soil_pore_pressure_constant{};
  Table<int32_t, kMaxSoils> soil_piezometric_surface{}, soil_depth_variation{};
  Table<float, kMaxSoils> soil_y_ref_1{}, soil_y_ref_2{};
  Table<float, kMaxSoils> soil_cohesion_2{}, soil_friction_angle_2{};
  Table2<float, 4, kMaxSoils> soil_extra{};  // [k][soil], k = 1 to 4: kept, not used

  // Piezometric surfaces.
  int32_t water_active = 0;
  int32_t piezo_count = 0;
  float water_unit_weight = 0.0f;
  Table<int32_t, kMaxPiezoSurfaces> piezo_point_count{};
  Table2<float, kMaxPiezoSurfaces, kMaxPiezoPoints> piezo_x{}, piezo_y{};  // [surface][point]

  // Boundary loads.
  int32_t loads_active = 0;
  int32_t load_count = 0;
  Table<float, kMaxLoads> load_x_left{}, load_x_right{};
  Table<float, kMaxLoads> load_intensity_left{}, load_intensity_right{};
  Table<float, kMaxLoads> load_deflection{};  // radians
  Table<float, kMaxLoads> load_y_left{}, load_y_right{};

  // Tiebacks.
  int32_t ties_active = 0;
  int32_t tie_count = 0;
  Table<int32_t, kMaxTies> tie_boundary{};
  Table<float, kMaxTies> tie_x{}, tie_y{}, tie_load{}, tie_spacing{};
  Table<float, kMaxTies> tie_inclination{};  // radians
  Table<float, kMaxTies> tie_length{}, tie_line_load{}, tie_end_x{}, tie_end_y{};

  // Earthquake and cavitation.
  float earthquake_kh = 0.0f;
  float earthquake_kv = 0.0f;
  float cavitation_pressure = 0.0f;

  // Reinforcement: [layer][point].
  int32_t reinf_given = 0;
  int32_t reinf_layer_count = 0;
  Table<int32_t, kMaxReinfLayers> reinf_point_count{};
  Table2<float, kMaxReinfLayers, kMaxReinfPoints> reinf_x{}, reinf_y{};
  Table2<float, kMaxReinfLayers, kMaxReinfPoints> reinf_axial_force{}, reinf_shear_force{};
  Table2<float, kMaxReinfLayers, kMaxReinfPoints> reinf_incl_factor{};
  int32_t reinf_working_flag = 0;  // copy of reinf_given for the surface being analysed

  // Anisotropic strength: [entry][range]; directions in radians, friction in degrees.
  int32_t aniso_active = 0;
  int32_t aniso_count = 0;
  Table<int32_t, kMaxAnisoEntries> aniso_soil{}, aniso_range_count{};
  Table<int32_t, kMaxAnisoEntries> aniso_bottom_given{}, aniso_bottom_range_count{};
  Table2<float, kMaxAnisoEntries, kMaxAnisoRanges> aniso_direction{}, aniso_cohesion{};
  Table2<float, kMaxAnisoEntries, kMaxAnisoRanges> aniso_friction{};
  Table2<float, kMaxAnisoEntries, kMaxAnisoRanges> aniso_bottom_direction{};
  Table2<float, kMaxAnisoEntries, kMaxAnisoRanges> aniso_bottom_cohesion{};
  Table2<float, kMaxAnisoEntries, kMaxAnisoRanges> aniso_bottom_friction{};

  // Search limits.
  int32_t limits_active = 0;
  int32_t limit_count = 0;
  int32_t limit_upward_count = 0;
  Table<float, kMaxLimits> limit_x_left{}, limit_y_left{}, limit_x_right{}, limit_y_right{};

  // The current surface: the specified surface or the trial surface of a search.
  int32_t specified_surface_given = 0;
  int32_t surface_point_count = 0;
  Table<float, kMaxSurfacePoints> surface_x{}, surface_y{};
  float circle_radius = 0.0f;

  // Method and search flags.
  int32_t bishop_method = 0;
  int32_t spencer_method = 0;
  float spencer_value = 0.0f;
  int32_t circular_search = 0;
  float block_search_switch = 0.0f;
  int32_t block_search = 0;
  int32_t block2_mode = 0;
  int32_t search_active = 0;
  int32_t failed_generation_count = 0;

  // Search settings.
  int32_t init_point_count = 0;
  int32_t surfaces_per_point = 0;
  float init_x_left = 0.0f, init_x_right = 0.0f;
  float term_x_left = 0.0f, term_x_right = 0.0f;
  float min_elevation = 0.0f;
  float segment_length = 0.0f;
  float init_angle_upper = 0.0f, init_angle_lower = 0.0f;
  float term_y_left = 0.0f, term_y_right = 0.0f;
  int32_t angle_restricted = 0;
  int32_t start_boundary = 0;
  int32_t box_count = 0;
  Table<float, kMaxBoxes> box_x_left{}, box_y_left{}, box_x_right{}, box_y_right{}, box_height{};
  float angle_90 = 0.0f, angle_45 = 0.0f;
  int32_t ntrial = 0;

  // The most-critical list; slot 0 carries the result of the surface just analysed.
  std::array<ListSlot, kListSlots> list{};
  int32_t list_shown_count = 0;
  int32_t list_entry_count = 0;   // surfaces recorded so far, stopping at 11
  int32_t list_sorted = 0;        // 1 when slots 1 to 10 are known to be in order
  float list_lowest_fos = 50.0f;  // lowest factor of safety recorded in this search
  BestSurfaceRecord best_surface;
  Table<float, 10> circle_record_x{}, circle_record_y{}, circle_record_r{};

  // The surface being analysed.
  SliceTable slices;
  int32_t solution_status = 0;
  float reinforcement_moment = 0.0f;
  ThrustLine thrust;
  float spencer_theta_plot = 0.0f;  // theta of the latest Spencer analysis, degrees

  // Plot output state.
  int32_t plot_header_written = 0;
  float plot_stage = 0.0f;

  // Run-file texts.
  FixedText<12> version_text;
  std::array<FixedText<256>, 4> identification_lines;  // names.dat lines 2 to 5
  FixedText<255> prepared_by;
  std::array<FixedText<255>, 7> file_names;  // names.dat lines 7 to 13
  FixedText<3> path_drive;
  FixedText<256> path_directory;
  FixedText<256> path_name;
  FixedText<5> path_extension;

  // Command loop and data-line reader.
  FixedText<6> command_word;
  int32_t line_loaded = 0;
  int32_t line_column = 0;
  FixedText<80> data_line;
  int32_t surface_analysed = 0;
  int32_t first_command_seen = 0;
};

}  // namespace scarpex
