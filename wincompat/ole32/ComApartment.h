// Whether the calling thread has initialised COM, for the calls that need it.
#pragma once

namespace wincompat {

bool ComInitialisedOnThread();

}  // namespace wincompat
