// Predicates for fetch requests, built from a format string and arguments.
//
// The format names attributes and operators; every "%@" takes the next argument as a value, so a
// caller's text can never change the shape of the query. Grammar (keywords in any case):
//
//   expr       := and ( ("OR" | "||") and )*
//   and        := unary ( ("AND" | "&&") unary )*
//   unary      := ("NOT" | "!") unary | "(" expr ")" | "TRUEPREDICATE" | "FALSEPREDICATE"
//               | key op "%@"
//   op         := "=" | "==" | "!=" | "<>" | "<" | "<=" | ">" | ">=" | "LIKE" [ "[c]" ]
//
// Semantics: "=" is exact equality (an absent argument matches an absent value); ordering operators
// are false when either side is absent; LIKE matches a whole text value (a value of another type
// never matches) against a pattern in which "*" stands for any run of characters, "?" for exactly
// one character (a Unicode scalar value) and "\" makes the next character literal; "[c]" compares
// after full Unicode case folding. A comparison with an absent value is false, so NOT of it is true.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/store/model.h"

namespace zarvo::store {

class Predicate {
 public:
  enum class Kind { truePredicate, falsePredicate, comparison, conjunction, disjunction, negation };
  enum class Operator { equal, notEqual, less, lessOrEqual, greater, greaterOrEqual, like, likeCaseInsensitive };

  // Parses `format`, taking one argument per "%@" in order. Throws StoreError(invalidRequest) when the
  // format does not parse or the number of arguments differs from the number of "%@".
  static std::shared_ptr<const Predicate> format(std::string_view format, std::vector<Value> arguments);

  // True when `object`-like values satisfy the predicate. `valueForKey` answers an attribute's value.
  template <class ValueForKey>
  bool evaluate(const ValueForKey& valueForKey) const;

  // Every attribute key named by the predicate, in order of appearance.
  void collectKeys(std::vector<std::string>& keys) const;

  // Appends an SQL expression for the predicate to `sql`, naming column `"key"` for each key and "?"
  // for each argument, and appends those arguments to `parameters` in the order of their "?".
  void appendSql(std::string& sql, std::vector<Value>& parameters) const;

  Kind kind() const { return kind_; }

 private:
  friend class PredicateParser;
  explicit Predicate(Kind kind) : kind_(kind) {}
  bool compare(const Value& value) const;

  Kind kind_;
  Operator op_ = Operator::equal;                          // comparisons
  std::string key_;                                        // comparisons
  Value argument_;                                         // comparisons
  std::vector<std::shared_ptr<const Predicate>> children_; // conjunction, disjunction, negation
};

// True when `value` matches the LIKE `pattern` (wildcards as above). UTF-8 in both.
bool likeMatches(std::string_view pattern, std::string_view value, bool caseInsensitive);

template <class ValueForKey>
bool Predicate::evaluate(const ValueForKey& valueForKey) const {
  switch (kind_) {
    case Kind::truePredicate: return true;
    case Kind::falsePredicate: return false;
    case Kind::comparison: return compare(valueForKey(key_));
    case Kind::conjunction:
      for (const auto& c : children_) {
        if (!c->evaluate(valueForKey)) return false;
      }
      return true;
    case Kind::disjunction:
      for (const auto& c : children_) {
        if (c->evaluate(valueForKey)) return true;
      }
      return false;
    case Kind::negation: return !children_.front()->evaluate(valueForKey);
  }
  return false;
}

}  // namespace zarvo::store
