// WINCOMPAT_TRACE=frame: the time from process start to the first frame a
// window procedure painted, written once to standard error (for benchmarks).
#pragma once

namespace wincompat {

void NoteFramePainted();

}  // namespace wincompat
