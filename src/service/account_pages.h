#pragma once
// The sign-up and password-recovery pages whose addresses "api/get_reg_url/" and
// "api/get_forget_url/" hand out: "register" and "forget" below the service's root.
#include <httplib.h>

#include "accounts.h"

namespace kzsvc {

void AddAccountPages(httplib::Server& server, Accounts& accounts);

}  // namespace kzsvc
