// The search commands of an input data file, in order: the files the engine writes do not tell
// a CIRCL2 search (Modified Bishop) from a CIRCLE search (Modified Janbu) once Spencer's method
// follows either.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scarpex_host {

// The search command words (CIRCLE, CIRCL2, RANDOM, BLOCK, BLOCK2) of the input's command
// lines, in order; the problem description after PROFIL is no command line.
std::vector<std::string> search_commands(std::string_view input_text);

// The trial surfaces the input's searches ask for in all: the product of the first two counts of
// a circular or irregular search, the first count of a block search.
long long requested_trials(std::string_view input_text);

// The method a search command uses before Spencer's method.
std::string base_method_of(std::string_view search_command);

}  // namespace scarpex_host
