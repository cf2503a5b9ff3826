// Heap settings for a process that lives for one command.
#pragma once

namespace zarvo::app {

// A command over ten thousand tasks builds tens of megabytes of small objects on a few threads and
// then exits. With the allocator's defaults most of its system time goes to faulting those pages in
// one at a time, per thread arena. This gives every thread one heap that grows in large steps, is
// never trimmed, and asks the kernel for huge pages where it allows them ("madvise" mode). Call once,
// first thing in main, before any thread starts. Harmless where the kernel offers no huge pages.
void tuneHeapForOneCommand();

}  // namespace zarvo::app
