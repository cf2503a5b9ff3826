// Heap settings for a process that lives for one command.
#pragma once

#include <memory>

namespace zarvo::app {

// A command over ten thousand tasks builds tens of megabytes of small objects on a few threads and
// then exits. With the allocator's defaults most of its system time goes to faulting those pages in
// one at a time, per thread arena. This gives every thread one heap that grows in large steps, is
// never trimmed, and asks the kernel for huge pages where it allows them ("madvise" mode). Call once,
// first thing in main, before any thread starts. Harmless where the kernel offers no huge pages.
void tuneHeapForOneCommand();

// Keeps `object` alive until the process ends, so that its destructor never runs: for an object
// graph of tens of thousands of records (a listing's object context) whose freeing, one record at a
// time, would cost a command a noticeable share of its time, and whose memory goes back with the
// process anyway. Only for what holds nothing that must be flushed, closed or released by its
// destructor: the caller closes it first (the home closes the context's database and releases its
// lock as before). The objects stay reachable, so a leak checker does not report them.
void leaveToExit(std::shared_ptr<const void> object);

}  // namespace zarvo::app
