// A program that uses an installed ZarvoKit the way an application would: opens a home, adds a task
// from a quick-entry line, lists the home's open tasks, undoes the addition and lists them again.
//
//   zarvokit_consumer HOME LINE
//
// Prints "zarvokit VERSION", then one line per open task: "TITLE | LIST | DUE (ISO) | flagged", then
// "undid: WHAT" and the open tasks after the undo (none, in a fresh home).
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "zarvo/home/home.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/quick_task_parser.h"
#include "zarvo/version.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: zarvokit_consumer HOME LINE\n";
    return 2;
  }
  try {
    auto opened = zarvo::Home::open(argv[1]);
    if (!opened) {
      std::cerr << "zarvokit_consumer: " << opened.error().message() << '\n';
      return 1;
    }
    zarvo::Home& home = **opened;
    const zarvo::QuickTaskParser parser;
    const zarvo::QuickTaskParser::TaskDescription d = parser.parse(std::string_view(argv[2]), home.io().lists());
    if (!home.io().createTask(zarvo::platform::toUtf8(d.title), d.list, std::nullopt, d.flagged, 0, d.dueDate())) {
      std::cerr << "no list to add the task to\n";
      return 1;
    }
    home.save("add");

    std::cout << "zarvokit " << zarvo::kVersionString << '\n';
    const auto print = [&] {
      for (const auto& task : home.fetchTasks(std::nullopt, false).valueOr(std::vector<std::shared_ptr<zarvo::Task>>())) {
        std::string list = "?";
        for (const auto& l : home.io().lists()) {
          if (l->calendar() && l->calendar()->calendarIdentifier() == task->calendarId()) list = l->title();
        }
        const auto due = task->dueDate();
        std::cout << task->title().value_or("") << " | " << list << " | "
                  << (due ? zarvo::platform::isoString(*due) : std::string("-")) << " | "
                  << (task->flagged() ? "flagged" : "-") << '\n';
      }
    };
    print();
    const auto undone = home.undoLastChange();
    if (!undone) {
      std::cerr << "zarvokit_consumer: " << undone.error().message() << '\n';
      return 1;
    }
    std::cout << "undid: " << undone->undone << '\n';
    print();
  } catch (const std::exception& e) {
    std::cerr << "zarvokit_consumer: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
