#pragma once
// The web API the client calls: form posts to "api/…" answered with a JSON envelope whose
// "result" is 100 on success (the two URL calls answer plain text).
#include <httplib.h>

#include "accounts.h"
#include "service_config.h"

namespace kzsvc {

void AddApiRoutes(httplib::Server& server, Accounts& accounts, Store& store, const ServiceConfig& config);

}  // namespace kzsvc
