#include "platform/fault_seam.h"

namespace compactor {
namespace {

WriteFaultInjection g_injection;
int g_files = 0;

}  // namespace

void set_write_fault_injection(const WriteFaultInjection& injection) {
  g_injection = injection;
  g_files = 0;
}

namespace fault_seam {

int next_file() { return ++g_files; }
bool fails(WriteFaultInjection::Step step, int file) {
  return g_injection.step == step && g_injection.on_replace == file;
}
bool short_write() { return g_injection.short_write; }

}  // namespace fault_seam
}  // namespace compactor
