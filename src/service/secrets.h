#pragma once
// Random secrets handed out by the service: session tokens and recovery codes.
#include <string>

namespace kzsvc {

// 64 lower-case hex digits (256 random bits); empty when the random source fails.
std::string NewToken();
// Whether a text has the form of a token; anything else is refused before the database is asked.
bool LooksLikeToken(const std::string& text);
// SHA-256 hex of a token: the database keeps this, so a copy of it does not hold live sessions.
std::string TokenDigest(const std::string& token);

// A recovery code as shown to the user: 20 characters of an alphabet without look-alikes
// (100 random bits) in groups of four, "ABCD-EFGH-…"; empty when the random source fails.
std::string NewRecoveryCode();
// The form that is hashed and compared: dashes and blanks dropped, upper case, the look-alikes
// O, I and L read as 0, 1 and 1. Empty when anything else is left in the text.
std::string NormalizeRecoveryCode(const std::string& typed);

}  // namespace kzsvc
