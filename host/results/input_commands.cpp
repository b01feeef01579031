#include "results/input_commands.h"

#include <array>

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

std::string base_method_of(std::string_view search_command) {
  return search_command == "CIRCL2" ? "Modified Bishop" : "Modified Janbu";
}

}  // namespace scarpex_host
