#pragma once
// Inside the platform layer: the counting behind the write-fault seam, shared by both systems.

#include "platform/env.h"

namespace compactor::fault_seam {

// The number of the replacement that starts now (1-based since the last injection was set).
int next_file();
// Whether the injected step fails for that replacement.
bool fails(WriteFaultInjection::Step step, int file);
bool short_write();

}  // namespace compactor::fault_seam
