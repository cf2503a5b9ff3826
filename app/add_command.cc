// `zarvo add TEXT`: quick entry with the home's lists, then a new task with the line's title, list,
// flag and due date, and the reminders of --remind. Prints the line with its date phrase highlighted, then the task as stored.
#include <fmt/format.h>

#include "app/messages.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "app/date_options.h"
#include "app/reminder_times.h"
#include "app/task_ids.h"
#include "app/task_view.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/quick_task_parser.h"

namespace zarvo::app {

namespace {

struct AddOptions {
  DateOptions date;
  bool json = false, literal = false, flag = false, createList = false;
  std::optional<std::string> list, notes;
  std::optional<int> priority;
  std::vector<std::string> tags;
  std::vector<std::string> words;
  std::vector<std::string> remind;
};

// The line with the phrases quick entry read marked: the ranges of the item (UTF-16 positions of
// the line), else the last occurrence of its date phrase, which is the one the helper cut out.
Styled echo(const std::string& line, const TaskDescription& d, bool colour) {
  if (!d.chronoItem) return line;
  if (const auto& ranges = d.chronoItem->ranges(); !ranges.empty()) {
    const std::u16string text = platform::utf16(line);
    Styled out;
    int64_t from = 0;
    for (const platform::Range& r : ranges) {
      out += platform::toUtf8(platform::substring(text, from, r.location - from));
      out += highlight(platform::toUtf8(platform::substring(text, r.location, r.length)), colour);
      from = r.location + r.length;
    }
    return out + platform::toUtf8(platform::substring(text, from, static_cast<int64_t>(text.size()) - from));
  }
  const std::string phrase = platform::toUtf8(d.chronoItem->parsedDateString());
  const size_t at = line.rfind(phrase);
  if (phrase.empty() || at == std::string::npos) return line;
  return line.substr(0, at) + highlight(phrase, colour) + line.substr(at + phrase.size());
}

int run(const AddOptions& o, Program& program) {
  const std::string line = joinedText(o.words);
  if (o.notes && !platform::toUtf16(*o.notes)) throw UsageError(tr("--notes is not valid UTF-8"));
  std::vector<std::string> tagTitles;
  for (const auto& tag : o.tags) tagTitles.push_back(checkedTagTitle(tag));
  const bool colour = useColour(program.globals.color);
  // --literal reads no date, list, flag or reminder at all
  const QuickEntryOptions options = o.literal ? QuickEntryOptions{} : program.settings().typedLineOptions();
  const Date ref = applyDateOptions(o.date);
  std::shared_ptr<const platform::Clock> clock;
  if (o.date.ref) clock = std::make_shared<platform::FixedClock>(ref);

  Session session(program.globals);
  const QuickTaskParser parser(clock, options);
  TaskDescription d = parser.parse(std::string_view(line), session.lists());
  // --create-list makes the list a reference names, then reads the line again with it.
  if (o.createList && d.parsedList && !d.list && !o.list) {
    std::u16string name = *d.parsedList;
    std::erase_if(name, [](char16_t c) { return c == u'#' || c == u'{' || c == u'}'; });
    const std::string title = platform::trimmed(std::string_view(platform::toUtf8(name)));
    if (!title.empty()) {
      session.io().createList(title);
      d = parser.parse(std::string_view(line), session.lists());
    }
  }
  requireKeptDate(d.dueDate());
  const std::string title = platform::toUtf8(d.title);
  if (platform::trimmed(std::string_view(title)).empty()) {
    throw UsageError(trf("nothing left for a title in '{}'", line));
  }
  // --list wins over the line; the settings' default list stands in for the home's.
  std::shared_ptr<List> list = o.list ? session.requireList(*o.list) : d.list;
  if (!list && !o.list) {
    if (const auto& fallback = program.settings().defaultList) {
      list = session.io().list(*fallback);
      if (!list) {
        throw UsageError(trf("the default list '{}' of {} does not exist", *fallback, program.settings().file.string()));
      }
    }
  }

  // Read before the task is made, so that a reminder that does not read adds nothing.
  std::vector<std::shared_ptr<reminders::Alarm>> wanted;
  if (!o.remind.empty()) {
    const ChronoParseHelper dates(clock, program.settings().quickEntry);
    for (const std::string& text : o.remind) {
      wanted.push_back(reminderAlarm(text, d.dueDate() && !d.dueIsAllDay(), ref, dates));
    }
  }
  if (d.reminder) wanted.push_back(quickEntryAlarm(*d.reminder, d.dueDate() && !d.dueIsAllDay(), ref));
  auto task = session.io().createTask(title, list, o.notes, d.flagged || o.flag, o.priority.value_or(0), d.dueDate(),
                                      d.dueIsAllDay(), d.recurrenceRule());
  if (!task) throw RefusedError(tr("there is no list to add the task to; create one with 'zarvo list-add TITLE'"));
  if (!wanted.empty() && task->reminder()) {
    for (auto& alarm : wanted) task->reminder()->addAlarm(std::move(alarm));
    session.io().save(task, true);
  }
  if (!tagTitles.empty()) {
    std::vector<std::shared_ptr<Tag>> tags;
    for (const auto& tagTitle : tagTitles) {
      auto tag = Tag::fetchOrCreate(tagTitle, session.context());
      if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(std::move(tag));
    }
    task->setTags(tags);
    session.io().save(task, true);  // the tags travel in the task's file
  }
  session.finish("add '" + title + "'");

  if (d.parsedList && !d.list && !o.list) {
    err().line(trf("no list named '{}'; added to {} (--create-list makes the list)", platform::toUtf8(*d.parsedList),
                   session.listTitle(*task).value_or(tr("the default list"))));
  }
  if (o.json) {
    printJson(tasksJson({task}, session));
    return 0;
  }
  out().line(echo(line, d, colour));
  const Date now = o.date.ref ? ref : platform::Clock::currentNow();
  out().lines(taskDetails(*task, ShortIds({task}).of(*task), session.listTitle(*task), now, colour,
                          DateStyle{program.settings().dateFormat, program.settings().firstWeekday}));
  return 0;
}

}  // namespace

void registerAddCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<AddOptions>();
  CLI::App* command = app.add_subcommand(
      "add", "Add a task from one line: a date phrase, #List or {List Name}, and !! to flag it");
  addDateOptions(*command, o->date);
  command->add_option("--list", o->list, "The list (instead of one named in the line or the default list)");
  command->add_option("--priority", o->priority, "Priority: 0 none, 1 low, 2 medium, 3 high")->check(CLI::Range(0, 3));
  command->add_option("--notes", o->notes, "Notes");
  command->add_option("--tag", o->tags, "A tag (repeatable)")->allow_extra_args(false);
  command->add_option("--remind", o->remind,
                      "A reminder (repeatable): 10m, 1h, 2d before the due (following it when it moves; from now "
                      "without a due), or a time such as 09:00 or 'tomorrow 9am'")
      ->allow_extra_args(false);
  command->add_flag("--flag", o->flag, "Flag the task (as !! at the end of the line does)");
  command->add_flag("--create-list", o->createList,
                    "Make the list a #Name or {Name} in the line names when there is none of that title");
  command->add_flag("--literal", o->literal,
                    "Read the line as the library does by default, without the corrections of the settings");
  command->add_flag("--json", o->json, "Print the new task as JSON");
  command->add_option("TEXT", o->words, "The line, e.g. 'Call mom tomorrow at 5pm #Family'")->required();
  command->footer("Example: zarvo add --flag 'Call mom tomorrow at 5pm #Family'");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
