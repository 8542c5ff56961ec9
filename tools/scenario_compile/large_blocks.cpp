// Large blocks on 2 MB pages. The route plot of a long line and its encoding are tens of
// megabytes of fresh memory; touched 4 KB page by page they cost more time than the whole
// compile (on a virtual machine most of the run), while 2 MB pages cut the page faults
// 512-fold. The kernel gives such pages only to memory that asks for them, so operator
// new asks for every block of 4 MB and more. Linked into scenario-compile and its benchmark.
#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kLargeBlock = std::size_t{4} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

void* allocate(std::size_t size) {
  void* p = nullptr;
  if (size >= kLargeBlock) {
    const std::size_t rounded = (size + kHugePage - 1) & ~(kHugePage - 1);
    p = std::aligned_alloc(kHugePage, rounded);
    if (p) ::madvise(p, rounded, MADV_HUGEPAGE);  // only a hint: without it, plain pages
  } else {
    p = std::malloc(size == 0 ? 1 : size);
  }
  if (!p) throw std::bad_alloc();
  return p;
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
