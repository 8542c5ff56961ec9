#include "compiler/compile_context.h"

namespace compactor {

bool compile_line_description(CompileContext& ctx) {
  (void)ctx;
  return false;
}

}  // namespace compactor
