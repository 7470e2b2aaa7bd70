#include "support/allocation_counter.h"

#include <cstdlib>
#include <new>

long allocationCount = 0;

namespace {

// Every form of new replaced here allocates with std::malloc and every form of
// delete frees with std::free, so that the sanitizers find each allocation
// released as it was made. A form left out would come from the sanitizer's
// runtime instead, whose blocks our deletes may not free: GoogleTest 1.16
// allocates through the nothrow new.
void* countedAllocation(std::size_t size) noexcept
{
    ++allocationCount;
    return std::malloc(size == 0 ? 1 : size);
}

}

void* operator new(std::size_t size)
{
    if (void* memory = countedAllocation(size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return countedAllocation(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return countedAllocation(size);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}
