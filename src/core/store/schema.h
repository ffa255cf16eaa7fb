#pragma once
// The local database file: where it lives, how it is made, its tables and its one migration.
#include <string>
#include <vector>

#include "store/database.h"

namespace kz::store {

inline constexpr const char* kDatabaseFileName = "kzdb.mdb";

// Moves an old "kzdb.mdb" from the program folder into the data folder (the program folder's copy
// wins), creates the database when the data folder has none, and opens `db` on it. A file there
// that is a database holding nothing at all (zero-length, or no kz_global table and no row in any
// table: a first start of an older build that was killed) is moved aside to
// "kzdb.mdb.bad-<YYYYmmdd-HHMMSS>" and replaced by a new one; the user is told. Anything else
// that cannot be opened (not a database, a symbolic link, a FIFO) is reported and left as it is.
// On failure the user has been told (ShowMessage) and false is returned.
// A new file is seeded with the given versions.
bool OpenOrCreate(Database& db, const std::string& dataDir, const std::string& programDir,
                  const std::string& softwareVersion, const std::string& firmwareVersion);

// Makes a new database file at `path` (any file there is replaced) with the tables of schema "1.0"
// and the seed row of kz_global. The file is built whole under a temporary name in the same
// folder and renamed into place, so `path` never names a half-made database. False (the user has
// been told why) when the file cannot be made.
bool CreateDatabase(const std::string& path, const std::string& softwareVersion, const std::string& firmwareVersion);

// Brings a "1.0" schema to "1.1" in one transaction; on failure nothing changes and it runs again
// next time. False on failure.
bool Migrate(Database& db);

// A new random identifier in the text form "{%08X-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}".
std::string NewGuidText();

// The columns of main2 as the schema makes them, in order. A profile row is only read or written
// through a main2 that has all of them: one without is damaged, not merely "not stored yet".
const std::vector<std::string>& ProfileColumns();

// Statements of the schema, in the order they run (exposed for tests).
extern const char* const kCreateStatements[];
extern const int kCreateStatementCount;
extern const char* const kMigrateStatements[];
extern const int kMigrateStatementCount;

}  // namespace kz::store
