// What a Task record holds beyond its reminder (flag, order, tags), carried in the task's file so that
// another machine syncing the same file sees it.
//
// The rule for when the file wins over the local record:
//   - A file that carries "X-ZARVO-FLAGGED" was last written by a zarvo that writes these fields
//     (here, or on another machine; other clients keep X- lines they do not know). Its fields are
//     the truth: the record takes the flag, the order ("X-ZARVO-ORDER", when present) and exactly the
//     file's categories as tags.
//   - A file without it (made by another client, or written before the fields travelled) cannot say
//     what the record holds: the record keeps its flag and order, and gains the file's categories as
//     tags. Nothing is taken away; the next save of the task writes everything into the file.
// Every save through CalendarIO writes the record's fields into the file first, so a change made
// here reaches the file in the same save, and a change in the file is one made elsewhere since.
//
// Categories and tags are matched ignoring case; a category keeps its file spelling. A category
// holding "*" or "?" cannot be a tag (tags are looked up with those as wildcards): it stays in the
// file and never becomes a tag.
//
// Threads: call on the queue of the task's context (both touch the record).
#pragma once

#include <memory>

#include "zarvo/model/task.h"
#include "zarvo/store/object_context.h"

namespace zarvo {

// Sets the reminder's flag, order and categories from the record; nothing without a reminder. The
// order is written once it is not 0 or the file already has one.
void writeRecordFields(Task& task);

// Applies the file's fields to the record by the rule above; tags it names that do not exist yet are
// made in `context`. Answers whether the record changed. Nothing without a reminder.
bool readRecordFields(Task& task, const std::shared_ptr<store::ObjectContext>& context);

}  // namespace zarvo
