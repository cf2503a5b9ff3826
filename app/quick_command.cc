// `zarvo quick TEXT`: what quick entry reads in a line, without creating anything.
#include <fmt/format.h>

#include "app/messages.h"
#include "app/terminal_text.h"
#include "app/commands.h"
#include "app/date_options.h"
#include "zarvo/alarms/alarm_writes.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/quick_task_parser.h"

namespace zarvo::app {

namespace {

using json = nlohmann::ordered_json;

struct QuickOptions {
  DateOptions date;
  std::vector<std::string> lists;
  bool json = false, literal = false;
  std::vector<std::string> words;
};

json rangeJson(const std::optional<platform::Range>& range) {
  if (!range) return nullptr;
  return json{{"location", range->location}, {"length", range->length}};
}

json textOrNull(const std::optional<std::u16string>& text) {
  return text ? json(platform::toUtf8(*text)) : json(nullptr);
}

// Lists named on the command line exist only for this parse: calendars that are never saved.
std::vector<std::shared_ptr<List>> listsTitled(const std::vector<std::string>& titles) {
  std::vector<std::shared_ptr<List>> lists;
  for (size_t i = 0; i < titles.size(); ++i) {
    auto calendar = std::make_shared<reminders::Calendar>("quick/" + std::to_string(i), reminders::EntityType::reminder);
    calendar->setTitle(titles[i]);
    lists.push_back(List::create(calendar, nullptr));
  }
  return lists;
}

int run(const QuickOptions& o, Program& program) {
  const std::string line = joinedText(o.words);
  // --literal reads no date, list, flag or reminder at all
  const QuickEntryOptions options = o.literal ? QuickEntryOptions{} : program.settings().typedLineOptions();
  const Date ref = applyDateOptions(o.date);
  std::shared_ptr<const platform::Clock> clock;
  if (o.date.ref) clock = std::make_shared<platform::FixedClock>(ref);

  // Without --list, the home's lists when there is a home; quick creates nothing, not even a home.
  std::optional<Session> session;
  std::vector<std::shared_ptr<List>> lists;
  if (!o.lists.empty()) {
    lists = listsTitled(o.lists);
  } else if (Session::exists(program.globals)) {
    session.emplace(program.globals, HomeUse::readOnly);
    lists = session->lists();
  }

  const TaskDescription d = QuickTaskParser(clock, options).parse(std::string_view(line), lists);
  const auto due = d.dueDate();
  // A preview still: the line is shown as read (exit status 0), with the refusal `add` would give.
  if (due && !platform::isKeptDate(*due)) {
    err().line("zarvo: " + trf("{}; add refuses this line", inPersonsLanguage(platform::outsideKeptYearsMessage(*due))));
  }
  // An all-day due is a day, written as one.
  const std::optional<std::string> dueText =
      due ? std::optional(d.dueIsAllDay() ? platform::isoDayString(*due) : platform::isoString(*due))
          : std::nullopt;
  json preview = json::object();
  preview["string"] = platform::toUtf8(d.string);
  preview["title"] = platform::toUtf8(d.title);
  preview["flagged"] = d.flagged;
  preview["parsedList"] = textOrNull(d.parsedList);
  preview["parsedListRange"] = rangeJson(d.parsedListRange);
  preview["listTitleRange"] = rangeJson(d.listTitleRange);
  preview["list"] = d.list ? json(d.list->title()) : json(nullptr);
  preview["dueDate"] = dueText ? json(*dueText) : json(nullptr);
  preview["parsedDateString"] = d.chronoItem ? json(platform::toUtf8(d.chronoItem->parsedDateString())) : json(nullptr);
  preview["allDay"] = d.dueIsAllDay();
  const auto rule = d.recurrenceRule();
  preview["recurrence"] = rule ? json(*rule) : json(nullptr);
  // A "remind me" phrase: seconds before the due, or a moment (a day alone as a day).
  std::optional<std::string> reminderText;
  if (d.reminder) {
    json reminder{{"phrase", platform::toUtf8(d.reminder->phrase)}, {"beforeDue", nullptr}, {"at", nullptr}};
    if (d.reminder->beforeDue) {
      reminder["beforeDue"] = d.reminder->beforeDue->count();
      reminderText = alarms::durationText(-*d.reminder->beforeDue);
    } else if (d.reminder->at) {
      reminderText = d.reminder->atIsDay ? platform::isoDayString(*d.reminder->at) : platform::isoString(*d.reminder->at);
      reminder["at"] = *reminderText;
    }
    preview["reminder"] = std::move(reminder);
  } else {
    preview["reminder"] = nullptr;
  }
  if (o.json) {
    printJson(preview);
    return 0;
  }
  // A label and its value, the label padded to eight columns as the terminal shows it.
  const auto labelled = [](const char* label, const std::string& value) {
    const size_t shown = platform::displayWidth(label);
    out().line(label + std::string(shown < 8 ? 9 - shown : 1, ' ') + value);
  };
  labelled(tr("title"), platform::toUtf8(d.title));
  if (due) {
    labelled(tr("due"), fmt::format("{}  (\"{}\")", d.dueIsAllDay() ? trf("{}, all day", *dueText) : *dueText,
                                     platform::toUtf8(d.chronoItem->parsedDateString())));
  }
  if (rule) labelled(tr("repeats"), *rule);
  if (reminderText) labelled(tr("alarm"), fmt::format("{}  (\"{}\")", *reminderText, platform::toUtf8(d.reminder->phrase)));
  if (d.list) {
    labelled(tr("list"), d.list->title());
  } else if (d.parsedList) {
    labelled(tr("list"), trf("none named {}", platform::toUtf8(*d.parsedList)));
  }
  if (d.flagged) labelled(tr("flagged"), tr("yes"));
  return 0;
}

}  // namespace

void registerQuickCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<QuickOptions>();
  CLI::App* command = app.add_subcommand("quick", "Show what quick entry (and so add) reads in a line; creates nothing");
  addDateOptions(*command, o->date);
  command->add_option("--list", o->lists, "A list title to try (repeatable; default: the home's lists)")
      ->allow_extra_args(false);
  command->add_flag("--literal", o->literal,
                    "Read the line as the library does by default, without the corrections of the settings");
  command->add_flag("--json", o->json, "Print the description as JSON");
  command->add_option("TEXT", o->words, "The line")->required();
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
