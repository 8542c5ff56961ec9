#include "compiler/compile_context.h"

namespace compactor {

void compile_train_description(CompileContext& ctx) { (void)ctx; }

}  // namespace compactor
