#include "zarvo/store/predicate.h"

#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include <cctype>

#include "zarvo/store/store_error.h"

namespace zarvo::store {

namespace {

[[noreturn]] void invalid(std::string_view format, std::string_view why) {
  throw StoreError(StoreError::Code::invalidRequest,
                   "invalid predicate \"" + std::string(format) + "\": " + std::string(why));
}

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

// Recursive descent over the grammar in predicate.h.
class PredicateParser {
 public:
  PredicateParser(std::string_view format, std::vector<Value> arguments)
      : format_(format), arguments_(std::move(arguments)) {}

  std::shared_ptr<const Predicate> parse() {
    auto p = parseOr();
    skipSpace();
    if (pos_ != format_.size()) invalid(format_, "unexpected text at offset " + std::to_string(pos_));
    if (nextArgument_ != arguments_.size()) invalid(format_, "more arguments than %@ placeholders");
    return p;
  }

 private:
  void skipSpace() {
    while (pos_ < format_.size() && std::isspace(static_cast<unsigned char>(format_[pos_]))) ++pos_;
  }

  // Consumes `token` when it comes next (a keyword only when followed by a non-word character).
  bool accept(std::string_view token, bool keyword = false) {
    skipSpace();
    if (format_.size() - pos_ < token.size()) return false;
    if (!iequals(format_.substr(pos_, token.size()), token)) return false;
    if (keyword) {
      const size_t end = pos_ + token.size();
      if (end < format_.size() &&
          (std::isalnum(static_cast<unsigned char>(format_[end])) || format_[end] == '_')) {
        return false;
      }
    }
    pos_ += token.size();
    return true;
  }

  std::shared_ptr<const Predicate> parseOr() {
    auto first = parseAnd();
    std::vector<std::shared_ptr<const Predicate>> items{first};
    while (accept("OR", true) || accept("||")) items.push_back(parseAnd());
    if (items.size() == 1) return first;
    auto p = make(Predicate::Kind::disjunction);
    p->children_ = std::move(items);
    return p;
  }

  std::shared_ptr<const Predicate> parseAnd() {
    auto first = parseUnary();
    std::vector<std::shared_ptr<const Predicate>> items{first};
    while (accept("AND", true) || accept("&&")) items.push_back(parseUnary());
    if (items.size() == 1) return first;
    auto p = make(Predicate::Kind::conjunction);
    p->children_ = std::move(items);
    return p;
  }

  std::shared_ptr<const Predicate> parseUnary() {
    if (accept("NOT", true) || accept("!")) {
      auto p = make(Predicate::Kind::negation);
      p->children_.push_back(parseUnary());
      return p;
    }
    if (accept("(")) {
      auto inner = parseOr();
      if (!accept(")")) invalid(format_, "missing )");
      return inner;
    }
    if (accept("TRUEPREDICATE", true)) return make(Predicate::Kind::truePredicate);
    if (accept("FALSEPREDICATE", true)) return make(Predicate::Kind::falsePredicate);
    return parseComparison();
  }

  std::shared_ptr<const Predicate> parseComparison() {
    skipSpace();
    const size_t start = pos_;
    if (pos_ < format_.size() && (std::isalpha(static_cast<unsigned char>(format_[pos_])) || format_[pos_] == '_')) {
      while (pos_ < format_.size() &&
             (std::isalnum(static_cast<unsigned char>(format_[pos_])) || format_[pos_] == '_')) {
        ++pos_;
      }
    }
    if (pos_ == start) invalid(format_, "expected an attribute name at offset " + std::to_string(start));
    auto p = make(Predicate::Kind::comparison);
    p->key_ = std::string(format_.substr(start, pos_ - start));

    using Op = Predicate::Operator;
    if (accept("==") || accept("=")) {
      p->op_ = Op::equal;
    } else if (accept("!=") || accept("<>")) {
      p->op_ = Op::notEqual;
    } else if (accept("<=") || accept("=<")) {
      p->op_ = Op::lessOrEqual;
    } else if (accept(">=") || accept("=>")) {
      p->op_ = Op::greaterOrEqual;
    } else if (accept("<")) {
      p->op_ = Op::less;
    } else if (accept(">")) {
      p->op_ = Op::greater;
    } else if (accept("LIKE", true)) {
      p->op_ = Op::like;
      if (accept("[")) {
        if (!accept("c") || !accept("]")) invalid(format_, "only the [c] option is supported");
        p->op_ = Op::likeCaseInsensitive;
      }
    } else {
      invalid(format_, "expected an operator after " + p->key_);
    }
    if (!accept("%@")) invalid(format_, "expected %@ after the operator");
    if (nextArgument_ >= arguments_.size()) invalid(format_, "fewer arguments than %@ placeholders");
    p->argument_ = arguments_[nextArgument_++];
    if ((p->op_ == Op::like || p->op_ == Op::likeCaseInsensitive) &&
        !std::holds_alternative<std::string>(p->argument_)) {
      invalid(format_, "LIKE needs a string argument");
    }
    return p;
  }

  static std::shared_ptr<Predicate> make(Predicate::Kind kind) {
    return std::shared_ptr<Predicate>(new Predicate(kind));
  }

  std::string_view format_;
  std::vector<Value> arguments_;
  size_t pos_ = 0;
  size_t nextArgument_ = 0;
};

namespace {

// Code points of `text`, case-folded when asked.
std::u32string codePoints(std::string_view utf8, bool fold) {
  icu::UnicodeString s = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
  if (fold) s.foldCase();
  std::u32string out;
  out.reserve(static_cast<size_t>(s.length()));
  for (int32_t i = 0; i < s.length();) {
    const UChar32 c = s.char32At(i);
    out.push_back(static_cast<char32_t>(c));
    i += U16_LENGTH(c);
  }
  return out;
}

}  // namespace

std::shared_ptr<const Predicate> Predicate::format(std::string_view format, std::vector<Value> arguments) {
  return PredicateParser(format, std::move(arguments)).parse();
}

bool likeMatches(std::string_view pattern, std::string_view value, bool caseInsensitive) {
  // The pattern is split into literal characters and wildcards before folding, so that an escaped
  // "*" stays literal and folding cannot turn a letter into a wildcard.
  struct Token { char32_t c; enum { literal, any, one } kind; };
  std::vector<Token> tokens;
  const std::u32string raw = codePoints(pattern, false);
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == U'\\' && i + 1 < raw.size()) {
      tokens.push_back({raw[++i], Token::literal});
    } else if (raw[i] == U'*') {
      tokens.push_back({0, Token::any});
    } else if (raw[i] == U'?') {
      tokens.push_back({0, Token::one});
    } else {
      tokens.push_back({raw[i], Token::literal});
    }
  }
  if (caseInsensitive) {
    // Fold each literal; a fold that expands (ß -> ss) yields several literals.
    std::vector<Token> folded;
    for (const Token& t : tokens) {
      if (t.kind != Token::literal) {
        folded.push_back(t);
        continue;
      }
      icu::UnicodeString one(static_cast<UChar32>(t.c));
      std::string utf8;
      one.toUTF8String(utf8);
      for (char32_t c : codePoints(utf8, true)) folded.push_back({c, Token::literal});
    }
    tokens = std::move(folded);
  }
  const std::u32string text = codePoints(value, caseInsensitive);

  // Greedy matching with one backtrack point for the last "*": linear in practice, never exponential.
  size_t t = 0, s = 0;
  std::optional<size_t> starToken;
  size_t starText = 0;
  while (s < text.size()) {
    if (t < tokens.size() && (tokens[t].kind == Token::one ||
                              (tokens[t].kind == Token::literal && tokens[t].c == text[s]))) {
      ++t;
      ++s;
    } else if (t < tokens.size() && tokens[t].kind == Token::any) {
      starToken = t++;
      starText = s;
    } else if (starToken) {
      t = *starToken + 1;
      s = ++starText;
    } else {
      return false;
    }
  }
  while (t < tokens.size() && tokens[t].kind == Token::any) ++t;
  return t == tokens.size();
}

bool Predicate::compare(const Value& value) const {
  switch (op_) {
    case Operator::equal: return compareValues(value, argument_) == 0;
    case Operator::notEqual: return compareValues(value, argument_) != 0;
    default: break;
  }
  if (isNull(value) || isNull(argument_)) return false;
  switch (op_) {
    case Operator::less: return compareValues(value, argument_) < 0;
    case Operator::lessOrEqual: return compareValues(value, argument_) <= 0;
    case Operator::greater: return compareValues(value, argument_) > 0;
    case Operator::greaterOrEqual: return compareValues(value, argument_) >= 0;
    case Operator::like:
    case Operator::likeCaseInsensitive: {
      const auto* text = std::get_if<std::string>(&value);
      return text && likeMatches(std::get<std::string>(argument_), *text, op_ == Operator::likeCaseInsensitive);
    }
    default: return false;
  }
}

void Predicate::collectKeys(std::vector<std::string>& keys) const {
  if (kind_ == Kind::comparison) keys.push_back(key_);
  for (const auto& c : children_) c->collectKeys(keys);
}

void Predicate::appendSql(std::string& sql, std::vector<Value>& parameters) const {
  // SQL NULL propagates where the in-memory evaluation answers false. Through AND and OR a NULL acts
  // as false already; only NOT must turn it into false first (coalesce) to agree.
  switch (kind_) {
    case Kind::truePredicate: sql += "1"; return;
    case Kind::falsePredicate: sql += "0"; return;
    case Kind::negation:
      sql += "NOT coalesce((";
      children_.front()->appendSql(sql, parameters);
      sql += "), 0)";
      return;
    case Kind::conjunction:
    case Kind::disjunction:
      sql += "(";
      for (size_t i = 0; i < children_.size(); ++i) {
        if (i) sql += kind_ == Kind::conjunction ? " AND " : " OR ";
        children_[i]->appendSql(sql, parameters);
      }
      sql += ")";
      return;
    case Kind::comparison: break;
  }
  const std::string column = "\"" + key_ + "\"";
  switch (op_) {
    case Operator::equal:
      if (isNull(argument_)) {
        sql += column + " IS NULL";
        return;
      }
      sql += column + " = ?";
      break;
    case Operator::notEqual:
      if (isNull(argument_)) {
        sql += column + " IS NOT NULL";
        return;
      }
      sql += column + " IS NOT ?";
      break;
    case Operator::less: sql += column + " < ?"; break;
    case Operator::lessOrEqual: sql += column + " <= ?"; break;
    case Operator::greater: sql += column + " > ?"; break;
    case Operator::greaterOrEqual: sql += column + " >= ?"; break;
    case Operator::like: sql += "zarvo_like(?, " + column + ", 0)"; break;
    case Operator::likeCaseInsensitive: sql += "zarvo_like(?, " + column + ", 1)"; break;
  }
  parameters.push_back(argument_);
}

}  // namespace zarvo::store
