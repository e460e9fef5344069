// Whole files written and read in one call, for fixtures made on the spot.
#pragma once

#include <string>
#include <vector>

namespace qm_test {

using Bytes = std::vector<unsigned char>;

// Writes (replaces) the file; its directory must exist.
void WriteFile(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, const std::string& text);
// Writes the file, making its directories first ("MZ": a stand-in for a program).
void Touch(const std::string& path, const std::string& text = "MZ");
// The whole file; empty when it cannot be read.
Bytes ReadFile(const std::string& path);
std::string ReadText(const std::string& path);

}  // namespace qm_test
