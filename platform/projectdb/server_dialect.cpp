// The translation works on tokens, one statement at a time, so that texts, quoted
// names and comments are never looked into.
#include "projectdb/server_dialect.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

namespace {

enum class Kind { Space, Word, Quoted, Text, Number, Mark, Punct };

struct Token {
  Kind kind;
  std::string text;  // as written; a Quoted token's text is the name between the quotes
};

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool wordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || (c & 0x80); }

std::vector<Token> tokenize(std::string_view sql) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  const std::size_t n = sql.size();
  while (i < n) {
    const char c = sql[i];
    std::size_t start = i;
    if (std::isspace(static_cast<unsigned char>(c))) {
      while (i < n && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
      tokens.push_back({Kind::Space, " "});
    } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
      while (i < n && sql[i] != '\n') ++i;
      tokens.push_back({Kind::Space, " "});
    } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
      std::size_t end = sql.find("*/", i + 2);
      i = end == std::string_view::npos ? n : end + 2;
      tokens.push_back({Kind::Space, " "});
    } else if (c == '\'' || c == '"' || c == '`' || c == '[') {
      const char close = c == '[' ? ']' : c;
      std::string inner;
      ++i;
      while (i < n) {
        if (sql[i] == close) {
          if (close != ']' && i + 1 < n && sql[i + 1] == close) {
            inner += close;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        inner += sql[i++];
      }
      tokens.push_back({c == '\'' ? Kind::Text : Kind::Quoted, inner});
    } else if (std::isdigit(static_cast<unsigned char>(c)) || (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(sql[i + 1])))) {
      while (i < n && (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '.' ||
                       ((sql[i] == '+' || sql[i] == '-') && (sql[i - 1] == 'e' || sql[i - 1] == 'E'))))
        ++i;
      tokens.push_back({Kind::Number, std::string(sql.substr(start, i - start))});
    } else if (wordChar(c)) {
      while (i < n && wordChar(sql[i])) ++i;
      tokens.push_back({Kind::Word, std::string(sql.substr(start, i - start))});
    } else if (c == '?') {
      ++i;
      while (i < n && std::isdigit(static_cast<unsigned char>(sql[i]))) ++i;
      tokens.push_back({Kind::Mark, std::string(sql.substr(start + 1, i - start - 1))});
    } else {
      static const char* const pairs[] = {"||", "==", "!=", "<>", "<=", ">=", "<<", ">>"};
      std::string text(1, c);
      for (const char* p : pairs)
        if (sql.substr(i, 2) == p) text = p;
      i += text.size();
      tokens.push_back({Kind::Punct, text});
    }
  }
  return tokens;
}

std::string textLiteral(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

// Words after which a name ends a FROM item: a subquery followed by one of them has no
// name of its own.
const std::set<std::string> kClauseWords = {"WHERE", "ORDER",  "GROUP",   "HAVING", "LIMIT",  "OFFSET", "JOIN",
                                            "LEFT",  "RIGHT",  "INNER",   "OUTER",  "CROSS",  "FULL",   "ON",
                                            "USING", "UNION",  "EXCEPT",  "INTERSECT", "WINDOW", "NATURAL",
                                            "RETURNING", "SET", "VALUES"};
// Words of schema statements that are not names.
const std::set<std::string> kSchemaWords = {
    "CREATE", "DATABASE", "SCHEMA", "ROLE", "LOGIN", "OWNED", "BY", "TABLE", "INDEX",     "UNIQUE",   "ON",       "PRIMARY", "KEY",  "NOT",   "NULL",    "DEFAULT",
    "ALTER",  "ADD",   "COLUMN",    "DROP",     "IF",       "EXISTS",  "ASC",  "DESC",  "CHECK",   "RENAME",
    "TO", "WITH", "FORCE", "TEMP",  "TEMPORARY", "CONSTRAINT", "FOREIGN", "REFERENCES", "AND", "OR", "TRUE", "FALSE"};
const std::set<std::string> kIntegerTypes = {"INTEGER", "INT", "BIGINT", "SMALLINT", "TINYINT", "BOOLEAN", "BOOL"};
const std::set<std::string> kRealTypes = {"REAL", "DOUBLE", "FLOAT", "NUMERIC", "DECIMAL"};
const std::set<std::string> kTextTypes = {"TEXT", "VARCHAR", "CHAR", "CLOB", "NVARCHAR", "CHARACTER"};

const char kCatalogTables[] =
    "(SELECT 'table'::text AS type, table_name::text AS name, table_name::text AS tbl_name "
    "FROM information_schema.tables WHERE table_schema = current_schema() AND table_type = 'BASE TABLE' "
    "UNION ALL SELECT 'index'::text, indexname::text, tablename::text FROM pg_indexes "
    "WHERE schemaname = current_schema())";

class Translator {
 public:
  Translator(const std::vector<Token>& tokens, const ServerNames& names) : t_(tokens), names_(names) {}

  ServerSql run() {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= t_.size(); ++i) {
      if (i < t_.size() && !(t_[i].kind == Kind::Punct && t_[i].text == ";")) continue;
      statement(start, i);
      start = i + 1;
    }
    return out_;
  }

 private:
  // The next token from i on that is not blank, or t_.size().
  std::size_t next(std::size_t i, std::size_t end) const {
    while (i < end && t_[i].kind == Kind::Space) ++i;
    return i;
  }
  bool isWord(std::size_t i, std::size_t end, const char* word) const {
    return i < end && t_[i].kind == Kind::Word && upper(t_[i].text) == word;
  }
  bool isPunct(std::size_t i, std::size_t end, const char* punct) const {
    return i < end && t_[i].kind == Kind::Punct && t_[i].text == punct;
  }
  // The token after the parenthesis that opens at i and its match.
  std::size_t afterParentheses(std::size_t i, std::size_t end) const {
    int depth = 0;
    for (; i < end; ++i) {
      if (isPunct(i, end, "(")) ++depth;
      if (isPunct(i, end, ")") && --depth == 0) return i + 1;
    }
    return end;
  }
  // Whether a FROM item ending before i is followed by its own name.
  bool aliasFollows(std::size_t i, std::size_t end) const {
    i = next(i, end);
    if (i >= end) return false;
    if (t_[i].kind == Kind::Quoted) return true;
    return t_[i].kind == Kind::Word && !kClauseWords.count(upper(t_[i].text));
  }
  // "?" is the value after the highest numbered so far, "?N" the N-th, as in SQLite.
  std::string mark(const Token& token) {
    const int number = token.text.empty() ? out_.parameters + 1 : std::stoi(token.text);
    out_.parameters = std::max(out_.parameters, number);
    return "$" + std::to_string(number);
  }
  std::string name(const std::string& written) const {
    auto found = names_.find(lower(written));
    return serverIdentifier(found == names_.end() ? written : found->second);
  }

  void statement(std::size_t begin, std::size_t end) {
    std::size_t first = next(begin, end);
    if (first >= end) return;
    ++out_.statements;
    std::string& text = out_.text;
    if (!text.empty()) text += ";";
    const std::string head = t_[first].kind == Kind::Word ? upper(t_[first].text) : "";
    if (head == "PRAGMA") {
      text += "SELECT 1 WHERE false";
      return;
    }
    if (head == "BEGIN" || head == "END") {
      text += head == "BEGIN" ? "BEGIN" : "COMMIT";
      return;
    }
    if (head == "CREATE" || head == "ALTER" || head == "DROP") {
      out_.changesSchema = true;
      keyColumn_.clear();
      schemaStatement(first, end);
      const std::size_t table = next(next(first + 1, end) + 1, end);
      if (isWord(next(first + 1, end), end, "TABLE") && !keyColumn_.empty() && table < end) {
        text += ";CREATE TRIGGER ov_follow_key BEFORE INSERT ON " + name(t_[table].text) +
                " FOR EACH ROW EXECUTE FUNCTION ov_follow_key(" + textLiteral(keyColumn_) + ")";
        out_.addedStatements = true;
      }
      return;
    }
    std::vector<bool> subqueries;  // per open parenthesis: a FROM item that needs a name
    std::string previousWord;
    for (std::size_t i = first; i < end; ++i) {
      const Token& token = t_[i];
      switch (token.kind) {
        case Kind::Space:
        case Kind::Number: text += token.text; break;
        case Kind::Text: text += textLiteral(token.text); break;
        case Kind::Mark: text += mark(token); break;
        case Kind::Quoted:
          text += names_.count(lower(token.text)) ? name(token.text) : textLiteral(token.text);
          break;
        case Kind::Punct:
          if (token.text == "(") {
            subqueries.push_back(previousWord == "FROM" || previousWord == "JOIN");
          } else if (token.text == ")" && !subqueries.empty()) {
            const bool unnamed = subqueries.back() && !aliasFollows(i + 1, end);
            subqueries.pop_back();
            text += ")";
            if (unnamed) text += " AS ov_subquery" + std::to_string(++subqueryNames_);
            break;
          }
          text += token.text == "==" ? "=" : token.text;
          break;
        case Kind::Word: {
          const std::string key = lower(token.text);
          const std::size_t after = next(i + 1, end);
          if (key == "pragma_table_info" && isPunct(after, end, "(")) {
            const std::size_t close = afterParentheses(after, end);
            text += "LATERAL (SELECT ordinal_position - 1 AS cid, column_name::text AS name, "
                    "CASE WHEN data_type IN ('bigint', 'integer', 'smallint') THEN 'INTEGER' "
                    "WHEN data_type IN ('double precision', 'real', 'numeric') THEN 'REAL' "
                    "WHEN data_type = 'bytea' THEN 'BLOB' ELSE 'TEXT' END AS type, "
                    "CASE WHEN is_nullable = 'NO' THEN 1 ELSE 0 END AS notnull, column_default AS dflt_value "
                    "FROM information_schema.columns WHERE table_schema = current_schema() AND lower(table_name) = "
                    "lower((";
            expression(after + 1, close - 1);
            text += ")::text) ORDER BY ordinal_position)";
            if (!aliasFollows(close, end)) text += " AS pragma_table_info";
            i = close - 1;
            break;
          }
          if ((key == "sqlite_master" || key == "sqlite_schema") && !isPunct(after, end, ".")) {
            text += kCatalogTables;
            if (!aliasFollows(i + 1, end)) text += " AS " + key;
            break;
          }
          if (key == "ifnull" && isPunct(after, end, "(")) {
            text += "coalesce";
          } else if (key == "is" && !isWord(after, end, "NULL") && !isWord(after, end, "TRUE") &&
                     !isWord(after, end, "FALSE") && !isWord(after, end, "DISTINCT")) {
            // SQLite's IS and IS NOT compare any two values, NULL equal to NULL.
            const std::size_t operand = next(after + 1, end);
            if (!isWord(after, end, "NOT")) {
              text += "IS NOT DISTINCT FROM";
            } else if (!isWord(operand, end, "NULL") && !isWord(operand, end, "TRUE") &&
                       !isWord(operand, end, "FALSE") && !isWord(operand, end, "DISTINCT")) {
              text += "IS DISTINCT FROM";
              i = after;
            } else {
              text += token.text;
            }
          } else if (key == "like") {
            text += "ILIKE";
          } else if (names_.count(key)) {
            text += name(token.text);
          } else {
            text += token.text;
          }
          previousWord = upper(token.text);
          continue;
        }
      }
      if (token.kind != Kind::Space) previousWord.clear();
    }
  }

  // A part of a statement (a function's argument) translated as a statement's words.
  void expression(std::size_t begin, std::size_t end) {
    std::vector<Token> part(t_.begin() + static_cast<std::ptrdiff_t>(begin), t_.begin() + static_cast<std::ptrdiff_t>(end));
    Translator inner(part, names_);
    inner.out_.parameters = out_.parameters;
    inner.statement(0, part.size());
    out_.text += inner.out_.text;
    out_.parameters = inner.out_.parameters;
  }

  void schemaStatement(std::size_t begin, std::size_t end) {
    std::string& text = out_.text;
    for (std::size_t i = begin; i < end; ++i) {
      const Token& token = t_[i];
      if (token.kind == Kind::Quoted) {
        text += name(token.text);
        continue;
      }
      if (token.kind == Kind::Text) {
        text += textLiteral(token.text);
        continue;
      }
      if (token.kind == Kind::Mark) {
        text += mark(token);
        continue;
      }
      if (token.kind != Kind::Word) {
        text += token.text;
        continue;
      }
      const std::string word = upper(token.text);
      std::size_t after = next(i + 1, end);
      // A type's size, as in VARCHAR(20), means nothing to either database.
      auto skipSize = [&] {
        if (isPunct(after, end, "(")) i = afterParentheses(after, end) - 1;
      };
      if (kIntegerTypes.count(word)) {
        std::size_t key = next(after + 1, end);
        if (isWord(after, end, "PRIMARY") && isWord(key, end, "KEY")) {
          // The server hands out the keys, from one sequence for every connection;
          // BY DEFAULT still takes a key given, as a copied row brings its own.
          text += "bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
          for (std::size_t back = i; back-- > begin;)
            if (t_[back].kind == Kind::Word || t_[back].kind == Kind::Quoted) {
              auto found = names_.find(lower(t_[back].text));
              keyColumn_ = found == names_.end() ? t_[back].text : found->second;
              break;
            }
          i = key;
          std::size_t more = next(i + 1, end);
          if (isWord(more, end, "AUTOINCREMENT")) i = more;
        } else {
          text += "bigint";
          skipSize();
        }
      } else if (kRealTypes.count(word)) {
        text += "double precision";
        if (isWord(after, end, "PRECISION")) i = after;
        else skipSize();
      } else if (kTextTypes.count(word)) {
        // SQLite compares texts byte by byte; so does the "C" collation.
        text += "text COLLATE \"C\"";
        skipSize();
      } else if (word == "BLOB") {
        text += "bytea";
      } else if (word == "AUTOINCREMENT") {
      } else if (word == "COLLATE") {
        i = after;  // NOCASE, BINARY, RTRIM: the column's own "C" order stays
      } else if (kSchemaWords.count(word)) {
        text += token.text;
      } else {
        text += name(token.text);
      }
    }
  }

  const std::vector<Token>& t_;
  const ServerNames& names_;
  ServerSql out_;
  int subqueryNames_ = 0;
  std::string keyColumn_;  // of the table being made
};

}  // namespace

std::string serverIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

ServerSql translateForServer(std::string_view sql, const ServerNames& names) {
  std::vector<Token> tokens = tokenize(sql);
  return Translator(tokens, names).run();
}
