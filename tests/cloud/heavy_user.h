#pragma once
// Databases for the sync document: a fresh migrated one, the rows of a "heavy" user (five full
// profiles, 1,000 macros of 60 events in ten sets, every honor level) and a way to read a user's
// rows back by content. Shared by the tests and the benchmark of build and apply.
#include <map>
#include <string>
#include <vector>

#include "store/database.h"

namespace kztest {

// Creates a migrated database file at `path` and opens `db` on it; false on failure.
bool MakeDatabase(const std::string& path, kz::store::Database& db);

struct HeavyUserShape {
  int profiles = 5;
  int macroSets = 10;
  int macros = 1000;
  int eventsPerMacro = 60;
};

// Adds `user`'s rows with every column filled (kz_user with `password`); false on failure.
bool AddHeavyUser(kz::store::Database& db, const std::string& user, const std::string& password,
                  const HeavyUserShape& shape = {});

// One row as column name -> text, without ID (and without the columns in `skip`).
using RowContent = std::map<std::string, std::string>;
// The rows of `user` in `table` in table order, by content.
std::vector<RowContent> UserRows(kz::store::Database& db, const std::string& table, const std::string& user,
                                 const std::vector<std::string>& skip = {});
// Counts of `user`'s rows in the five tables of the document.
std::map<std::string, int> UserRowCounts(kz::store::Database& db, const std::string& user);

// The tables of the sync document.
extern const char* const kDocumentTables[5];

}  // namespace kztest
