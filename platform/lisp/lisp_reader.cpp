// The LISP reader. It keeps open lists on an explicit stack rather than recursing, so
// any input, however deeply nested, is read or refused without exhausting the stack.
#include "lisp/lisp_reader.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "arx/aced_print.h"

namespace {

bool isDelimiter(wchar_t c) {
  return c == L'(' || c == L')' || c == L'"' || c == L';' || c == L'\'' || c == L' ' || c == L'\t' ||
         c == L'\n' || c == L'\r' || c == L'\f' || c == L'\v';
}

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

// Independent of the process locale: a host that switches to the user's locale for
// its terminal must still read 1.5 as one and a half.
double lispParseReal(const std::wstring& number) {
  std::string narrow(number.begin(), number.end());
  const char* first = narrow.c_str();
  const char* last = first + narrow.size();
  bool negative = false;
  if (first != last && (*first == '+' || *first == '-')) negative = *first++ == '-';
  double value = 0.0;
  auto [end, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) {
    // Too large becomes infinite, too small zero, as the C library rounds them.
    size_t e = narrow.find_first_of("eE");
    bool tiny = e != std::string::npos && e + 1 < narrow.size() && narrow[e + 1] == '-';
    value = tiny ? 0.0 : HUGE_VAL;
  } else if (ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

namespace {

// The value of a token that is wholly a number. Integers outside 32 bits become
// reals, as the host's reader makes them.
LispValue numberValue(const std::wstring& token) {
  double value = lispParseReal(token);
  bool integral = token.find_first_of(L".eE") == std::wstring::npos;
  if (integral && value >= std::numeric_limits<std::int32_t>::min() &&
      value <= std::numeric_limits<std::int32_t>::max()) {
    return LispValue::integer(static_cast<std::int32_t>(value));
  }
  return LispValue::real(value);
}

class Reader {
 public:
  explicit Reader(const std::wstring& text) : text_(text) {}

  bool readAll(std::vector<LispValue>& forms, std::wstring& error) {
    forms_ = &forms;
    while (skipBlanksAndComments(error)) {
      if (pos_ >= text_.size()) {
        if (!stack_.empty()) return fail(L"malformed list on input", error);
        return true;
      }
      if (!readItem(error)) return false;
    }
    return false;
  }

 private:
  // A list being read, or a quote waiting for the form it applies to.
  struct Frame {
    bool quote = false;
    LispArgs items;
    bool dotSeen = false;
    bool tailSet = false;
    LispValue tail;
  };

  static bool fail(const wchar_t* message, std::wstring& error) {
    error = message;
    return false;
  }

  bool skipBlanksAndComments(std::wstring& error) {
    while (pos_ < text_.size()) {
      wchar_t c = text_[pos_];
      if (c == L';') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == L'|') {
          size_t end = text_.find(L"|;", pos_ + 2);
          if (end == std::wstring::npos) return fail(L"malformed comment on input", error);
          pos_ = end + 2;
        } else {
          size_t end = text_.find(L'\n', pos_);
          pos_ = end == std::wstring::npos ? text_.size() : end + 1;
        }
      } else if (isDelimiter(c) && c != L'(' && c != L')' && c != L'"' && c != L'\'') {
        ++pos_;
      } else {
        break;
      }
    }
    return true;
  }

  bool readItem(std::wstring& error) {
    wchar_t c = text_[pos_];
    switch (c) {
      case L'(':
        ++pos_;
        stack_.emplace_back();
        return true;
      case L')':
        ++pos_;
        return closeList(error);
      case L'\'':
        ++pos_;
        stack_.emplace_back();
        stack_.back().quote = true;
        return true;
      case L'"': {
        LispValue text;
        if (!readString(text, error)) return false;
        return deliver(std::move(text), error);
      }
      default: break;
    }
    size_t start = pos_;
    while (pos_ < text_.size() && !isDelimiter(text_[pos_])) ++pos_;
    std::wstring token = text_.substr(start, pos_ - start);
    if (token == L".") return readDot(error);
    if (lispNumberPrefixLength(token) == token.size()) return deliver(numberValue(token), error);
    LispValue symbol = LispValue::symbol(token);
    if (symbol.text() == L"NIL") symbol = LispValue();
    return deliver(std::move(symbol), error);
  }

  bool readDot(std::wstring& error) {
    if (stack_.empty()) return fail(L"misplaced dot on input", error);
    Frame& top = stack_.back();
    if (top.quote || top.items.empty() || top.dotSeen) return fail(L"misplaced dot on input", error);
    top.dotSeen = true;
    return true;
  }

  bool closeList(std::wstring& error) {
    if (stack_.empty()) return fail(L"extra right paren on input", error);
    Frame& top = stack_.back();
    if (top.quote) return fail(L"malformed list on input", error);
    if (top.dotSeen && !top.tailSet) return fail(L"misplaced dot on input", error);
    LispValue list = LispValue::list(top.items, std::move(top.tail));
    stack_.pop_back();
    return deliver(std::move(list), error);
  }

  // Hands a complete form to the innermost open list, through any quotes waiting.
  bool deliver(LispValue value, std::wstring& error) {
    while (!stack_.empty() && stack_.back().quote) {
      stack_.pop_back();
      value = LispValue::list({LispValue::symbol(L"QUOTE"), std::move(value)});
    }
    if (stack_.empty()) {
      forms_->push_back(std::move(value));
      return true;
    }
    Frame& top = stack_.back();
    if (top.dotSeen) {
      if (top.tailSet) return fail(L"misplaced dot on input", error);
      top.tail = std::move(value);
      top.tailSet = true;
    } else {
      top.items.push_back(std::move(value));
    }
    return true;
  }

  bool readString(LispValue& out, std::wstring& error) {
    std::wstring text;
    ++pos_;  // the opening quote
    while (pos_ < text_.size()) {
      wchar_t c = text_[pos_++];
      if (c == L'"') {
        out = LispValue::string(std::move(text));
        return true;
      }
      if (c != L'\\') {
        text += c;
        continue;
      }
      if (pos_ >= text_.size()) break;
      wchar_t e = text_[pos_++];
      switch (e) {
        case L'n': text += L'\n'; break;
        case L't': text += L'\t'; break;
        case L'r': text += L'\r'; break;
        case L'e': text += static_cast<wchar_t>(27); break;
        default:
          if (e >= L'0' && e <= L'7') {
            // Up to three octal digits give a character code.
            int code = e - L'0';
            for (int k = 0; k < 2 && pos_ < text_.size() && text_[pos_] >= L'0' && text_[pos_] <= L'7'; ++k) {
              code = code * 8 + (text_[pos_++] - L'0');
            }
            text += static_cast<wchar_t>(code);
          } else {
            text += e;  // \" \\ and any other character stand for themselves
          }
      }
    }
    return fail(L"malformed string on input", error);
  }

  const std::wstring& text_;
  size_t pos_ = 0;
  std::vector<Frame> stack_;
  std::vector<LispValue>* forms_ = nullptr;
};

}  // namespace

size_t lispNumberPrefixLength(const std::wstring& text, size_t start) {
  size_t i = start;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
  size_t digits = 0;
  while (i < text.size() && isDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == L'.') {
    ++i;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == L'+' || text[j] == L'-')) ++j;
    size_t expDigits = 0;
    while (j < text.size() && isDigit(text[j])) ++j, ++expDigits;
    if (expDigits > 0) i = j;
  }
  return i - start;
}

bool lispReadAll(const std::wstring& text, std::vector<LispValue>& forms, std::wstring& error) {
  error.clear();
  Reader reader(text);
  return reader.readAll(forms, error);
}

bool lispReadAll(const std::string& utf8, std::vector<LispValue>& forms, std::wstring& error) {
  return lispReadAll(acutUtf8ToWide(utf8), forms, error);
}
