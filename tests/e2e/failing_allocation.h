// Memory that runs out on purpose: the driver replaces the global operator new so that a case can make one
// chosen allocation of the code it runs (the program's own save code, linked in) throw std::bad_alloc, and
// show that the code reports a failure instead of letting the exception out.
#pragma once

#include <cstddef>

namespace e2e {

// While it lives, the `nth` allocation (counting from 1) of at least `minBytes` made through operator new on
// this thread throws std::bad_alloc; other threads and smaller allocations are left alone.
class FailingAllocation {
public:
    FailingAllocation(long nth, std::size_t minBytes);
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;

    // True once the chosen allocation was refused.
    bool refused() const;
};

} // namespace e2e
