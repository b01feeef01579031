#include "search/not_available.h"

#include "core/fortran_format.h"
#include "core/run_control.h"

namespace scarpex {

void command_not_available(Engine& e, std::string_view command) {
  static const FortranFormat kLine(
      "(/,10X,'****  ',A,' - This Command Is Not Available In This Version  ****',/)");
  kLine.write(e.report, {command});
  kLine.write(e.trace, {command});
  abort_run(e);
}

}  // namespace scarpex
