// Internal: how a home saves, shared with the tests that crash it at every step.
#pragma once

#include <functional>
#include <string_view>

#include "zarvo/home/history.h"
#include "zarvo/store/object_context.h"
#include "zarvo/sync/calendar_io.h"

namespace zarvo {

// Saves the records of `context` and the pending writes of `io`'s store together (see home.cc for
// the order), recording the change in `history` as `description` when a history is given.
// `atRecordsCommit` runs just before the records commit (a test stands a crash there). Throws the
// stores' errors, with nothing changed.
void saveTogether(CalendarIO& io, store::ObjectContext& context, History* history, std::string_view description,
                  const std::function<void()>& atRecordsCommit = {});

// Runs `save`, answering the stores' errors (zarvo::StoreError) as an io error with their message:
// the form a History::Host's save takes.
Error saveReportingErrors(const std::function<void()>& save);

}  // namespace zarvo
