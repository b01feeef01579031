#include "results/input_commands.h"

#include <array>
#include <optional>

#include "results/text_fields.h"

namespace scarpex_host {

namespace {

constexpr std::size_t kWordWidth = 6;
constexpr std::array<std::string_view, 5> kSearchWords = {"CIRCLE", "CIRCL2", "RANDOM", "BLOCK ",
                                                          "BLOCK2"};

// The six columns of a command word, padded with blanks as the engine reads them.
std::string command_word(std::string_view line) {
  std::string word(line.substr(0, std::min(line.size(), kWordWidth)));
  if (!word.empty() && word.back() == '\r') word.pop_back();
  word.resize(kWordWidth, ' ');
  return word;
}

}  // namespace

std::vector<std::string> search_commands(std::string_view input_text) {
  std::vector<std::string> words;
  bool title_next = false;
  std::size_t pos = 0;
  while (pos < input_text.size()) {
    std::size_t end = input_text.find('\n', pos);
    if (end == std::string_view::npos) end = input_text.size();
    const std::string word = command_word(input_text.substr(pos, end - pos));
    pos = end + 1;
    if (title_next) {
      title_next = false;
      continue;
    }
    title_next = word == "PROFIL";
    for (std::string_view search : kSearchWords) {
      if (word == search) words.emplace_back(search.substr(0, search.find_last_not_of(' ') + 1));
    }
  }
  return words;
}

long long requested_trials(std::string_view input_text) {
  long long total = 0;
  std::string_view pending;  // the search whose counts the next line holds
  bool title_next = false;
  std::size_t pos = 0;
  while (pos < input_text.size()) {
    std::size_t end = input_text.find('\n', pos);
    if (end == std::string_view::npos) end = input_text.size();
    const std::string_view line = input_text.substr(pos, end - pos);
    pos = end + 1;
    if (!pending.empty()) {
      std::vector<std::string_view> counts = split_blanks(line);
      const int first = counts.empty() ? 0 : parse_int(counts[0]).value_or(0);
      const int second = counts.size() < 2 ? 0 : parse_int(counts[1]).value_or(0);
      const bool block = pending.starts_with("BLOCK");
      if (first > 0 && (block || second > 0))
        total += block ? first : static_cast<long long>(first) * second;
      pending = {};
      continue;
    }
    const std::string word = command_word(line);
    if (title_next) {
      title_next = false;
      continue;
    }
    title_next = word == "PROFIL";
    for (std::string_view search : kSearchWords) {
      if (word == search) pending = search;
    }
  }
  return total;
}

std::string base_method_of(std::string_view search_command) {
  return search_command == "CIRCL2" ? "Modified Bishop" : "Modified Janbu";
}

}  // namespace scarpex_host
