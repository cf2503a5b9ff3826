// Internal: one task file as text plus what libical read from it, and the line edits that rewrite
// only what the store owns. Not part of the public interface.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zarvo/platform/clock.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/filesystem.h"
#include "zarvo/reminders/records.h"

namespace zarvo::reminders::detail {

// The bytes that the texts of a file version (its content, its property lines) lie in. What get()
// gives never changes. A file read from disk owns its bytes; one decoded from the saved copy reads
// them back from the copy the first time an edit (or a save of the copy) needs them, so that a
// listing of thousands of tasks keeps no text at all. Safe from any thread.
class TextBytes {
 public:
  virtual ~TextBytes() = default;
  // The bytes; null when they cannot be had, for good (see failed()).
  virtual const std::string* get() const = 0;
  // Whether get() was tried and failed; asks without trying.
  virtual bool failed() const { return false; }
};

class OwnedBytes final : public TextBytes {
 public:
  explicit OwnedBytes(std::string bytes) : bytes_(std::move(bytes)) {}
  const std::string* get() const override { return &bytes_; }

 private:
  const std::string bytes_;
};

// A part of some TextBytes (or an empty text). Copies share the bytes. Reads are safe from any
// thread; assigning is not.
class SharedText {
 public:
  SharedText() = default;
  SharedText(std::string text) { *this = std::move(text); }  // NOLINT(google-explicit-constructor)
  SharedText(const SharedText&) = default;
  SharedText& operator=(const SharedText&) = default;
  // A text moved from is empty.
  SharedText(SharedText&& other) noexcept
      : bytes_(std::move(other.bytes_)), begin_(other.begin_), length_(std::exchange(other.length_, 0)) {}
  SharedText& operator=(SharedText&& other) noexcept {
    bytes_ = std::move(other.bytes_);
    begin_ = other.begin_;
    length_ = std::exchange(other.length_, 0);
    return *this;
  }
  SharedText& operator=(std::string text) {
    length_ = text.size();
    begin_ = 0;
    bytes_ = text.empty() ? nullptr : std::make_shared<const OwnedBytes>(std::move(text));
    return *this;
  }
  // Bytes [begin, begin + length) of `bytes`.
  static SharedText partOf(std::shared_ptr<const TextBytes> bytes, size_t begin, size_t length) {
    SharedText text;
    text.bytes_ = std::move(bytes);
    text.begin_ = begin;
    text.length_ = length;
    return text;
  }

  // The text; empty when its bytes cannot be had (check available() before relying on it). May read
  // the bytes back (see TextBytes).
  std::string_view view() const {
    const std::string* bytes = bytes_ ? bytes_->get() : nullptr;
    if (bytes == nullptr || begin_ > bytes->size()) return {};
    return std::string_view(*bytes).substr(begin_, length_);
  }
  operator std::string_view() const { return view(); }  // NOLINT(google-explicit-constructor)
  const char* data() const { return view().data(); }
  size_t size() const { return view().size(); }
  bool empty() const { return view().empty(); }
  std::string_view substr(size_t pos, size_t count = std::string_view::npos) const { return view().substr(pos, count); }
  std::string str() const { return std::string(view()); }
  friend bool operator==(const SharedText& a, std::string_view b) { return a.view() == b; }
  // Its length, known without reading its bytes back.
  size_t length() const { return length_; }

  // Whether the text can be had (reading its bytes back if they were not yet).
  bool available() const { return !bytes_ || bytes_->get() != nullptr; }
  // Whether its bytes were tried and could not be had; asks without trying.
  bool failed() const { return bytes_ && bytes_->failed(); }
  const std::shared_ptr<const TextBytes>& bytes() const { return bytes_; }

 private:
  std::shared_ptr<const TextBytes> bytes_;  // null for an empty text
  size_t begin_ = 0;
  size_t length_ = 0;
};

// A VALARM block of a file version: bytes [begin, end) of TodoFile::content.
struct AlarmOrigin {
  size_t begin = 0;
  size_t end = 0;
};

struct AlarmValue {
  std::optional<Date> absolute;
  std::optional<std::chrono::seconds> relative;
  std::shared_ptr<const AlarmOrigin> origin;  // null for an alarm not yet written
  std::optional<Date> acknowledged;           // ACKNOWLEDGED
  std::optional<std::string> uid;             // the VALARM's UID
  std::optional<std::string> snoozeOf;        // RELATED-TO;RELTYPE=SNOOZE
};

// One content line (with its folded continuations and line terminators): bytes [begin, end).
struct PropertyLine {
  std::string name;  // as libical reads it: folds undone, blanks before the separator dropped, upper-case
  size_t begin = 0;
  size_t end = 0;
  // A line the reader takes no value from: of an owned property, one libical drops (an empty value);
  // of the flag or the order, one whose value is not one this store writes. Never rewritten.
  bool dropped = false;
};

// The values the store owns, as read: those a reminder shows (ReminderValues) and the rest.
struct TodoFields : ReminderValues {
  std::string uid;
  bool hasUid = false;
  std::string status;  // upper-case STATUS value, empty when absent
  std::optional<int> percentComplete;
  // DTSTART and RRULE as libical reads them ("TZID:" before a zoned start's value); empty when absent.
  // Not edited as values: a recurring task's completion moves them (see editTodo).
  std::string start;
  std::string recurrence;
};

// A VTODO's property lines. Only edits read them, and a listing makes thousands of entries from the
// saved copy and edits none: an entry made from the copy keeps its lines as the copy encodes them (one
// string, checked when it was read) and makes the list the first time it is read. Reading, by the
// const members, is safe from any thread; the changing members are for the one that builds the lines.
class PropertyLines {
 public:
  using List = std::vector<PropertyLine>;
  PropertyLines() = default;
  PropertyLines(const PropertyLines& other);
  PropertyLines(PropertyLines&& other) noexcept;
  PropertyLines& operator=(const PropertyLines& other);
  PropertyLines& operator=(PropertyLines&& other) noexcept;
  ~PropertyLines() { delete list_.load(std::memory_order_relaxed); }

  // Lines as the copy encodes them (see cache_format::readLines), already checked to decode.
  static PropertyLines encoded(SharedText bytes);
  // The copy's encoding while nothing changed the lines since they were made from it; none otherwise.
  std::optional<std::string_view> encoding() const {
    return encoded_.length() == 0 ? std::nullopt : std::optional<std::string_view>(encoded_.view());
  }

  size_t size() const { return list().size(); }
  bool empty() const { return list().empty(); }
  const PropertyLine& operator[](size_t i) const { return list()[i]; }
  List::const_iterator begin() const { return list().begin(); }
  List::const_iterator end() const { return list().end(); }
  PropertyLine& operator[](size_t i) { return changeable()[i]; }
  List::iterator begin() { return changeable().begin(); }
  List::iterator end() { return changeable().end(); }
  void push_back(PropertyLine line) { changeable().push_back(std::move(line)); }

 private:
  const List& list() const;
  List& changeable();
  SharedText encoded_;  // of length 0: the lines are the list (or none)
  mutable std::atomic<List*> list_{nullptr};
};

struct TodoEntry {
  size_t begin = 0;           // start of BEGIN:VTODO
  size_t end = 0;             // end of END:VTODO (terminator included)
  size_t endLineBegin = 0;    // start of END:VTODO
  PropertyLines lines;        // the VTODO's own properties, in file order
  std::vector<std::shared_ptr<const AlarmOrigin>> alarmOrigins;
  std::vector<AlarmValue> alarms;   // same order as alarmOrigins
  TodoFields fields;
  bool recurrenceOverride = false;  // has RECURRENCE-ID: part of another task, not a task itself

  // The line of `name` the reader takes its value from: the first one libical keeps, else the first
  // one; null when there is none.
  const PropertyLine* find(std::string_view name) const;
  // The line of `name` the reader takes its value from; null when every line of it is dropped.
  const PropertyLine* taken(std::string_view name) const;
};

// A file's path kept as its text. A path object splits its text into parts when it is made (a few
// hundred bytes and several allocations for a path under a home); a listing decodes thousands of
// files from the saved copy and never looks at their paths as objects, so the object is made only
// when first asked for, once, and kept. Reads are safe from any thread; assigning is not.
class FilePath {
 public:
  FilePath() = default;
  explicit FilePath(std::filesystem::path path);
  FilePath(const FilePath& other) : text_(other.text_) {}
  FilePath(FilePath&& other) noexcept
      : text_(std::move(other.text_)), made_(other.made_.exchange(nullptr, std::memory_order_relaxed)) {}
  FilePath& operator=(const FilePath& other);
  FilePath& operator=(FilePath&& other) noexcept;
  FilePath& operator=(std::filesystem::path path);
  ~FilePath() { delete made_.load(std::memory_order_relaxed); }

  // The path with `text` as its native form, its parts not split yet.
  static FilePath fromText(std::string text);

  const std::string& native() const { return text_; }
  std::string string() const { return text_; }
  bool empty() const { return text_.empty(); }
  // The path object (made on the first call).
  const std::filesystem::path& get() const;
  operator const std::filesystem::path&() const { return get(); }  // NOLINT(google-explicit-constructor)
  std::filesystem::path filename() const { return get().filename(); }
  std::filesystem::path stem() const { return get().stem(); }
  std::filesystem::path parent_path() const { return get().parent_path(); }  // NOLINT(readability-identifier-naming)
  // Equal as paths are (part by part), as the path objects compared before.
  friend bool operator==(const FilePath& a, const FilePath& b) { return a.text_ == b.text_ || a.get() == b.get(); }

 private:
  std::string text_;
  mutable std::atomic<const std::filesystem::path*> made_{nullptr};
};

inline FilePath::FilePath(std::filesystem::path path) : text_(path.native()) {
  made_.store(new std::filesystem::path(std::move(path)), std::memory_order_relaxed);
}
inline FilePath& FilePath::operator=(const FilePath& other) {
  if (this != &other) {
    text_ = other.text_;
    delete made_.exchange(nullptr, std::memory_order_relaxed);
  }
  return *this;
}
inline FilePath& FilePath::operator=(FilePath&& other) noexcept {
  if (this != &other) {
    text_ = std::move(other.text_);
    delete made_.exchange(other.made_.exchange(nullptr, std::memory_order_relaxed), std::memory_order_relaxed);
  }
  return *this;
}
inline FilePath& FilePath::operator=(std::filesystem::path path) {
  text_ = path.native();
  delete made_.exchange(new std::filesystem::path(std::move(path)), std::memory_order_relaxed);
  return *this;
}
inline FilePath FilePath::fromText(std::string text) {
  FilePath out;
  out.text_ = std::move(text);
  return out;
}
inline const std::filesystem::path& FilePath::get() const {
  if (const auto* made = made_.load(std::memory_order_acquire)) return *made;
  // Two threads may both make it: one object wins and stays, the other is dropped.
  auto* mine = new std::filesystem::path(text_);
  const std::filesystem::path* expected = nullptr;
  if (made_.compare_exchange_strong(expected, mine, std::memory_order_acq_rel, std::memory_order_acquire)) return *mine;
  delete mine;
  return *expected;
}

// One version of a file: its bytes, its metadata when read, and what it holds.
struct TodoFile {
  FilePath path;
  // A file decoded from the saved copy reads its text (and its entries' lines) back from the copy on
  // first use: what edits the file checks content.available() first.
  SharedText content;
  platform::FileInfo info;
  std::string newline = "\r\n";     // the file's own line terminator, used for lines we add
  std::vector<TodoEntry> todos;     // empty: not a task file (an event, a journal)
  std::vector<std::string> timezoneIds;  // TZIDs of the file's VTIMEZONEs
  size_t firstComponentBegin = 0;   // where a new VTIMEZONE goes
};

// Parses `content`. Null with `error` set when the file is not well-formed iCalendar (unbalanced
// BEGIN/END, a line that is not a content line, a value libical rejects, a VTODO libical cannot read
// to its end as one with a NUL byte), or when libical finds other lines of an owned property or
// other VALARMs in a VTODO than the line scan does: edits go by the scanned lines, so they must be
// the lines the values were read from. An owned time (DUE, COMPLETED, CREATED, LAST-MODIFIED, an
// alarm's TRIGGER) outside the years a task can keep is left out of the values and named in
// TodoFields::datesLeftOut, never moved to another date: the task reads without it.
// A UTF-8 byte order mark before BEGIN:VCALENDAR is read past and kept. A time in a zone that only
// the file's own VTIMEZONE defines reads as the same instant in UTC; one in a zone nobody defines
// reads as floating, with a warning.
std::shared_ptr<TodoFile> parseTodoFile(std::filesystem::path path, std::string content,
                                              platform::FileInfo info, std::string& error);

// What a VTODO should say after a save.
struct DesiredTodo {
  std::string uid;
  std::string title;
  std::optional<std::string> notes;
  int priority = 0;
  std::optional<platform::DateComponents> due;
  // False when the due was set since the file was read: a DUE the file holds outside the kept years
  // (left out of `due` when read) is removed too when `due` is none.
  bool keepsDueLeftOut = true;
  bool completed = false;
  std::optional<Date> completionDate;
  std::vector<AlarmValue> alarms;  // kept alarms carry their origin; new ones have none
  std::optional<bool> flagged = std::nullopt;  // none: the line is left as it is
  std::optional<int> order = std::nullopt;     // none: the line is left as it is
  // Compared as a set with what the file holds; none: the lines are left as they are.
  std::optional<std::vector<std::string>> categories = std::nullopt;
  // The RRULE value; none, or the value the file holds: the lines are left as they are.
  std::optional<std::string> recurrence = std::nullopt;
  Date now{};
};

// The contents of `file` with VTODO `index` changed to `want`: only owned lines whose value changed
// are replaced, inserted or removed; DTSTAMP and LAST-MODIFIED are stamped. An owned property keeps
// one line with a value: the one written, or of one left alone, the line its value was read from
// (iCalendar allows each once in a VTODO, and readers that take another line would see another value).
// A dropped line (one the reader took no value from) is never rewritten as the property nor removed:
// it stays byte for byte, and a value goes on a new line of its own. Throws
// StoreError (invalid) for due components that cannot be written. The categories end on one
// CATEGORIES line, the first one read (several are merged); a single line whose values all stay is
// kept as written.
std::string editTodo(const TodoFile& file, size_t index, const DesiredTodo& want);
// A new file holding one VTODO as `want` says, CREATED stamped.
std::string newTodoFile(const DesiredTodo& want);
// The contents of `file` without VTODO `index`.
std::string removeTodo(const TodoFile& file, size_t index);

// A file name for a new task, made from its UID, that stays inside its folder: only letters,
// digits and "@._+-" survive, a leading dot is prefixed, and the length is bounded.
std::string fileNameForUid(std::string_view uid);
std::string newUid();

// An IANA zone for an iCalendar TZID: an IANA name, a prefixed one such as
// "/mozilla.org/20050126_1/America/New_York", a Windows name, or the X-LIC-LOCATION of
// `vtimezoneText` (the file's VTIMEZONE of that TZID). Nothing for a zone no rule recognises. What the
// name alone resolves to is worked out once per process; the definition is consulted on every call,
// so a TZID that one file leaves unknown still resolves in a file that defines it.
std::optional<std::string> resolveTzid(std::string_view tzid, std::string_view vtimezoneText = {});

// The instant of a civil time in UTC; nothing for a year beyond 30,000 either side of year 0 (which no
// four-digit iCalendar year reaches, even carried over).
std::optional<Date> utcDate(int year, int month, int day, int hour, int minute, int second);

}  // namespace zarvo::reminders::detail
