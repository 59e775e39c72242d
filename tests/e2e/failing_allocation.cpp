#include "tests/e2e/failing_allocation.h"

#include <cstdlib>
#include <new>

namespace {

struct Plan {
    bool armed = false;
    long nth = 0;
    std::size_t minBytes = 0;
    long counted = 0;
    bool refused = false;
};

thread_local Plan t_plan;

} // namespace

namespace e2e {

FailingAllocation::FailingAllocation(long nth, std::size_t minBytes) {
    t_plan = Plan{true, nth, minBytes, 0, false};
}

FailingAllocation::~FailingAllocation() {
    t_plan.armed = false;
}

bool FailingAllocation::refused() const {
    return t_plan.refused;
}

} // namespace e2e

// The driver's own operator new and delete, one pair over malloc and free: the plan above decides which
// allocation fails. The array and nothrow forms of the standard library call these.
void* operator new(std::size_t bytes) {
    Plan& plan = t_plan;
    if (plan.armed && bytes >= plan.minBytes && ++plan.counted == plan.nth) {
        plan.refused = true;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(bytes ? bytes : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
