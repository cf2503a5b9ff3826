#include "zarvo/chrono/refiners/merge_date_time_refiner.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

// Hour, minute and second that `from` has a value for (known or implied) become known on `to`.
void assignTime(ParsedComponents& to, const ParsedComponents& from) {
  for (U unit : {U::hour, U::minute, U::second}) {
    if (auto v = from[unit]) to.assign(unit, *v);
  }
}

}  // namespace

ParsedResult mergeDateAndTime(std::u16string_view text, const ParsedResult& dateResult,
                              const ParsedResult& timeResult, TagUnit tag) {
  ParsedResult result = dateResult;
  ParsedComponents beginDate = dateResult.start();
  const ParsedComponents& beginTime = timeResult.start();

  assignTime(beginDate, beginTime);
  if (beginTime.isCertain(U::meridiem)) {
    beginDate.assign(U::meridiem, beginTime[U::meridiem]);
  } else if (beginTime.impliedValues().contains(U::meridiem) && !beginDate[U::meridiem]) {
    beginDate.imply(U::meridiem, beginTime[U::meridiem]);
  }
  if (beginDate[U::meridiem] == 1) {
    const int64_t hour = beginDate[U::hour].value_or(0);
    if (hour < 12) beginDate.assign(U::hour, hour + 12);
  }

  if (dateResult.end() || timeResult.end()) {
    ParsedComponents endDate = dateResult.end() ? *dateResult.end() : dateResult.start();
    const ParsedComponents& endTime = timeResult.end() ? *timeResult.end() : timeResult.start();
    assignTime(endDate, endTime);
    if (endTime.isCertain(U::meridiem)) {
      endDate.assign(U::meridiem, endTime[U::meridiem]);
    } else if (beginTime[U::meridiem] && endTime[U::meridiem]) {
      endDate.imply(U::meridiem, endTime[U::meridiem]);
    }
    if (!dateResult.end() && endDate.moment() < beginDate.moment()) {
      if (auto day = endDate[U::day]) {
        if (endDate.isCertain(U::day)) {
          endDate.assign(U::day, *day + 1);
        } else {
          endDate.imply(U::day, *day + 1);
        }
      }
    }
    result.setEnd(std::move(endDate));
  }

  result.setStart(std::move(beginDate));
  setSpan(result, text, dateResult, timeResult);
  result.tags().addAll(timeResult.tags());
  result.tags().set(tag);
  return result;
}

std::vector<ParsedResult> mergeDatesAndTimes(std::u16string_view text, std::vector<ParsedResult> results,
                                             std::u16string_view pattern, TagUnit tag) {
  return pairwiseScan(std::move(results),
                      [&](const ParsedResult& prev, const ParsedResult& curr) -> std::optional<ParsedResult> {
                        const std::u16string_view gap = gapText(text, prev, curr);
                        if (!prev.start().isCertain(U::hour) && !curr.start().isCertain(U::month) &&
                            !curr.start().isCertain(U::weekday) && gapMatches(pattern, gap)) {
                          return mergeDateAndTime(text, prev, curr, tag);
                        }
                        if (!curr.start().isCertain(U::hour) && !prev.start().isCertain(U::month) &&
                            !prev.start().isCertain(U::weekday) && gapMatches(pattern, gap)) {
                          return mergeDateAndTime(text, curr, prev, tag);
                        }
                        return std::nullopt;
                      });
}

std::u16string_view MergeDateTimeRefiner::pattern() const { return {}; }
TagUnit MergeDateTimeRefiner::tag() const { return TagUnit::none; }

ParsedResult MergeDateTimeRefiner::mergeResult(std::u16string_view text, const ParsedResult& dateResult,
                                               const ParsedResult& timeResult) const {
  return mergeDateAndTime(text, dateResult, timeResult, tag());
}

std::vector<ParsedResult> MergeDateTimeRefiner::refine(std::u16string_view text, std::vector<ParsedResult> results,
                                                       const Options&) const {
  return mergeDatesAndTimes(text, std::move(results), pattern(), tag());
}

}  // namespace zarvo::chrono
