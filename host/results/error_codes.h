// What each error code means: the one table of the codes the engine can write and the codes of
// the host's own. The README's tables of error codes are checked against it by a test.
#pragma once

#include <span>
#include <string_view>

namespace scarpex_host {

enum class CodeOrigin {
  kCommandLanguage,  // the code belongs to the command language
  kEngineOwn,        // the engine's own, for a case the command language leaves open
  kHost,             // the host's own, for an error the engine writes without a code
};

struct ErrorCode {
  std::string_view code;
  std::string_view command;  // the command, or the part of the run, that writes it
  std::string_view meaning;  // reads on after "Error CODE: "
  std::string_view aborts;   // "yes", "no", or when it does
  CodeOrigin origin = CodeOrigin::kCommandLanguage;
  bool data_line = false;  // the engine copies the data line it was reading after the code
};

// The engine's codes are four characters (the A4 field of its error line), so a host code of
// another length can never be one of them.
inline constexpr std::string_view kIllegalCommandCode = "HOST01";

std::span<const ErrorCode> error_codes();

// The entry of `code`, or nothing for a code this host does not know.
const ErrorCode* find_error_code(std::string_view code);

}  // namespace scarpex_host
