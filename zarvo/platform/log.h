// The unified log: levelled messages under a subsystem and a category.
//
// Formats follow the platform's log formats: "%{public}@" prints its argument, "%@" and "%s" (and
// "%{private}@") print "<private>" unless private data is shown, numeric conversions ("%d", "%ld",
// "%u", "%f", ...) are public unless written "%{private}d". "%%" is a percent sign. An argument of any
// streamable type is accepted; missing arguments print as "<missing>".
//
// Private data is shown when the environment variable ZARVO_LOG_PRIVATE is "1" at first use, or after
// Log::setShowPrivateData(true). The stderr sink prints "default" and "error" messages; set
// ZARVO_LOG_LEVEL to "debug" or "info" to see more. All members are thread-safe.
#pragma once

#include <memory>
#include <mutex>
#include <sstream>
#include <type_traits>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo::platform {

enum class LogLevel { debug, info, defaultLevel, error };
std::string_view logLevelName(LogLevel level);

struct LogRecord {
  LogLevel level;
  std::string subsystem;
  std::string category;
  std::string message;  // formatted, private arguments already redacted (or not) as configured
};

class LogSink {
 public:
  virtual ~LogSink() = default;
  // Called on the logging thread, possibly concurrently from several threads.
  virtual void write(const LogRecord& record) = 0;
};

// Writes "LEVEL subsystem[category] message" lines to stderr, filtered by ZARVO_LOG_LEVEL.
class StderrLogSink final : public LogSink {
 public:
  void write(const LogRecord& record) override;
};

// Keeps every record, for tests.
class CaptureLogSink final : public LogSink {
 public:
  void write(const LogRecord& record) override;
  std::vector<LogRecord> records() const;
  // True when some record has this level and its message contains `text`.
  bool contains(LogLevel level, std::string_view text) const;
  void clear();

 private:
  mutable std::mutex mu_;
  std::vector<LogRecord> records_;
};

class Log {
 public:
  Log(std::string subsystem, std::string category)
      : subsystem_(std::move(subsystem)), category_(std::move(category)) {}

  template <typename... Args>
  void debug(std::string_view format, const Args&... args) const { log(LogLevel::debug, format, args...); }
  template <typename... Args>
  void info(std::string_view format, const Args&... args) const { log(LogLevel::info, format, args...); }
  // The "default" level.
  template <typename... Args>
  void notice(std::string_view format, const Args&... args) const {
    log(LogLevel::defaultLevel, format, args...);
  }
  template <typename... Args>
  void error(std::string_view format, const Args&... args) const { log(LogLevel::error, format, args...); }

  template <typename... Args>
  void log(LogLevel level, std::string_view format, const Args&... args) const {
    std::vector<std::string> texts;
    texts.reserve(sizeof...(Args));
    (texts.push_back(toText(args)), ...);
    write(level, format, texts);
  }

  const std::string& subsystem() const { return subsystem_; }
  const std::string& category() const { return category_; }

  // The sink every Log writes to; initially a StderrLogSink. Never null (null restores stderr).
  static void setSink(std::shared_ptr<LogSink> sink);
  static std::shared_ptr<LogSink> sink();
  static void setShowPrivateData(bool show);
  static bool showsPrivateData();

  // Formats as a Log would, without writing. Exposed for tests of the format rules.
  static std::string format(std::string_view format, const std::vector<std::string>& args,
                            bool showPrivate);

 private:
  template <typename T>
  static std::string toText(const T& value) {
    if constexpr (std::is_convertible_v<const T&, std::string_view>) {
      return std::string(std::string_view(value));
    } else {
      std::ostringstream out;
      out << value;
      return out.str();
    }
  }
  void write(LogLevel level, std::string_view format, const std::vector<std::string>& args) const;

  std::string subsystem_;
  std::string category_;
};

// Installs a CaptureLogSink for its lifetime and restores the previous sink afterwards.
class ScopedLogCapture {
 public:
  ScopedLogCapture();
  ~ScopedLogCapture();
  ScopedLogCapture(const ScopedLogCapture&) = delete;
  ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;
  CaptureLogSink& sink() { return *capture_; }

 private:
  std::shared_ptr<CaptureLogSink> capture_;
  std::shared_ptr<LogSink> previous_;
};

}  // namespace zarvo::platform
