#include "svg_writer.h"
namespace scarpex_host {
std::string results_svg(const Results&) { return "<svg xmlns=\"http://www.w3.org/2000/svg\"/>\n"; }
}
