#include "zarvo/platform/log.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zarvo::platform {

std::string_view logLevelName(LogLevel level) {
  switch (level) {
    case LogLevel::debug: return "debug";
    case LogLevel::info: return "info";
    case LogLevel::defaultLevel: return "default";
    case LogLevel::error: return "error";
  }
  return "default";
}

namespace {

struct Settings {
  std::mutex mu;
  std::shared_ptr<LogSink> sink = std::make_shared<StderrLogSink>();
  std::atomic<bool> showPrivate{[] {
    const char* v = std::getenv("ZARVO_LOG_PRIVATE");
    return v != nullptr && std::strcmp(v, "1") == 0;
  }()};
};

Settings& settings() {
  static Settings s;
  return s;
}

LogLevel stderrThreshold() {
  static const LogLevel threshold = [] {
    const char* v = std::getenv("ZARVO_LOG_LEVEL");
    if (v == nullptr) return LogLevel::defaultLevel;
    std::string_view s(v);
    if (s == "debug") return LogLevel::debug;
    if (s == "info") return LogLevel::info;
    if (s == "error") return LogLevel::error;
    return LogLevel::defaultLevel;
  }();
  return threshold;
}

}  // namespace

void StderrLogSink::write(const LogRecord& r) {
  if (r.level < stderrThreshold()) return;
  std::string line = std::string(logLevelName(r.level)) + " " + r.subsystem + "[" + r.category + "] " +
                     r.message + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);  // one write per line: lines never interleave
}

void CaptureLogSink::write(const LogRecord& record) {
  std::lock_guard lock(mu_);
  records_.push_back(record);
}

std::vector<LogRecord> CaptureLogSink::records() const {
  std::lock_guard lock(mu_);
  return records_;
}

bool CaptureLogSink::contains(LogLevel level, std::string_view text) const {
  std::lock_guard lock(mu_);
  for (const auto& r : records_) {
    if (r.level == level && r.message.find(text) != std::string::npos) return true;
  }
  return false;
}

void CaptureLogSink::clear() {
  std::lock_guard lock(mu_);
  records_.clear();
}

void Log::setSink(std::shared_ptr<LogSink> sink) {
  auto& s = settings();
  std::lock_guard lock(s.mu);
  s.sink = sink ? std::move(sink) : std::make_shared<StderrLogSink>();
}

std::shared_ptr<LogSink> Log::sink() {
  auto& s = settings();
  std::lock_guard lock(s.mu);
  return s.sink;
}

void Log::setShowPrivateData(bool show) { settings().showPrivate.store(show); }
bool Log::showsPrivateData() { return settings().showPrivate.load(); }

std::string Log::format(std::string_view format, const std::vector<std::string>& args,
                        bool showPrivate) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    if (format[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    std::string_view privacy;
    if (format[j] == '{') {
      size_t close = format.find('}', j);
      if (close == std::string_view::npos) {
        out += format.substr(i);
        break;
      }
      privacy = format.substr(j + 1, close - j - 1);
      j = close + 1;
    }
    while (j < format.size() && std::strchr("lhzjtqL", format[j]) != nullptr) ++j;
    if (j >= format.size()) {
      out += format.substr(i);
      break;
    }
    const char conversion = format[j];
    const bool objectLike = conversion == '@' || conversion == 's';
    const bool isPrivate = privacy == "private" || (objectLike && privacy != "public");
    if (next >= args.size()) {
      out += "<missing>";
    } else if (isPrivate && !showPrivate) {
      out += "<private>";
    } else {
      out += args[next];
    }
    ++next;
    i = j;
  }
  return out;
}

void Log::write(LogLevel level, std::string_view fmt, const std::vector<std::string>& args) const {
  auto target = sink();
  target->write(LogRecord{level, subsystem_, category_, format(fmt, args, showsPrivateData())});
}

ScopedLogCapture::ScopedLogCapture()
    : capture_(std::make_shared<CaptureLogSink>()), previous_(Log::sink()) {
  Log::setSink(capture_);
}

ScopedLogCapture::~ScopedLogCapture() { Log::setSink(previous_); }

}  // namespace zarvo::platform
