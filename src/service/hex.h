#pragma once
// Lower-case hex text of bytes and back.
#include <string>
#include <vector>

namespace kzsvc {

std::string ToHex(const std::vector<unsigned char>& bytes);
// False for an odd length or a character that is not a hex digit.
bool FromHex(const std::string& text, std::vector<unsigned char>& out);

}  // namespace kzsvc
