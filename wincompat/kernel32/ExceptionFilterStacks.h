// An alternate signal stack, so that a thread whose own stack overflowed still
// runs the unhandled-exception filter.
#pragma once

namespace wincompat {

// Gives the calling thread (the one installing the filter, the main thread) a
// signal stack unless it has one. Other threads run the filter on their own
// stacks, which serves every fault but an overflow of that very stack.
void ProvideSignalStacks();

}  // namespace wincompat
