// A test-only hook on allocations: arms the calling thread so that one of
// its coming allocations throws. AllocationFailure.cpp replaces the global
// operator new of the test program that links it; the shipped plug-in knows
// nothing of it. Only throwing allocations count: a nothrow new never fails
// here.
#pragma once

namespace kvtest {

enum class Injected {
  BadAlloc,  // std::bad_alloc
  Other,     // std::runtime_error
};

// The calling thread's `n`th throwing allocation from now (1: the next)
// throws `what` instead of allocating.
void failAllocation(long n, Injected what = Injected::BadAlloc);

// Disarms the calling thread. Returns whether the armed allocation was
// reached (and threw).
bool disarmAllocation();

}  // namespace kvtest
