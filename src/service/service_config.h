#pragma once
// What the routes need to know about the running service beyond the account rules.
#include <cstddef>
#include <string>

namespace kzsvc {

struct ServiceConfig {
  // Absolute URL ending in "/" under which the pages are announced; empty: taken from the Host
  // the request came in on (or the address it reached).
  std::string publicUrl;
  // Largest sync document "api/set/" takes, in bytes.
  std::size_t maxDocument = 16u * 1024 * 1024;
};

}  // namespace kzsvc
