// The component's error numbers and the failure that carries one with its message.
#pragma once

#include <string>

struct sqlite3;

// Numbers reported by ReadLastError. 3021 and 3043 are the ones the module tells apart;
// the others follow the same family so that a user quoting one can be helped.
namespace projectdb_error {
constexpr long kSqlFailure = 3000;       // a statement failed (SQLite's message follows)
constexpr long kInvalidArgument = 3001;  // a bad pair array, key, count or call order
constexpr long kIndexNotFound = 3015;    // SelectTable named an index the table lacks
constexpr long kNoCurrentRecord = 3021;  // no row is current for Update/DeleteRecord
constexpr long kConstraint = 3022;       // a unique, not-null or check rule refused a row
constexpr long kFileNotFound = 3024;     // the database file does not exist
constexpr long kReadOnly = 3027;         // a write to a database opened read-only
constexpr long kDiskOrIo = 3043;         // a disk or I/O failure (also a full disk)
constexpr long kDamaged = 3049;          // the file is not a database or is damaged
constexpr long kCannotOpen = 3051;       // the file exists but cannot be opened
constexpr long kTableNotFound = 3078;    // SelectTable named a missing table, or none is selected
constexpr long kLocked = 3260;           // another process held the database too long
constexpr long kColumnNotFound = 3265;   // a pair array named a column the table lacks
constexpr long kNotOpen = 3420;          // no database is open
}  // namespace projectdb_error

struct ComponentFailure {
  long code;
  std::wstring message;
};

// The failure for SQLite result `rc` on `db`, with SQLite's message.
ComponentFailure sqliteFailure(sqlite3* db, int rc);
// The component's number for a SQLite result code.
long componentErrorCode(int rc);
