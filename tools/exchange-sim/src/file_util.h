#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace vexa::sim {

// Writes to a temporary name with aMode, then renames over aPath: a crash never leaves a
// half-written file, and a secret is never readable by others, not even briefly.
void WriteFileAtomically(const std::filesystem::path &aPath, const std::string &aText,
                         mode_t aMode);

} // namespace vexa::sim
