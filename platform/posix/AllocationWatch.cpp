#include "platform/AllocationWatch.h"

#include <atomic>
#include <cstddef>

// The C library's own allocator, under the names it keeps for programs that
// put something in front of it.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
}

namespace {
std::atomic<bool> g_refused{false};

void* noted(void* p, size_t size)
{
    if (!p && size > 0)
        g_refused.store(true, std::memory_order_relaxed);
    return p;
}
} // namespace

extern "C" {
void* malloc(size_t size)
{
    return noted(__libc_malloc(size), size);
}

void* calloc(size_t count, size_t size)
{
    return noted(__libc_calloc(count, size), count * size);
}

void* realloc(void* p, size_t size)
{
    return noted(__libc_realloc(p, size), size);
}
}

namespace platform {

bool allocationWasRefused()
{
    return g_refused.load(std::memory_order_relaxed);
}

} // namespace platform
