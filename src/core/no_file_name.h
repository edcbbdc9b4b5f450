// The name that stands for "no file": buffers without an image file, projects without a project
// file, and empty recent-list slots. It is also what the files store, so it never changes.
#pragma once

namespace tovel {

inline constexpr const char* kUnspecifiedFileName = "[Unspecified]";

} // namespace tovel
