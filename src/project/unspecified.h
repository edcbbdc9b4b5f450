// The name that stands for "no file" for buffers, projects and recent-list slots.
#pragma once

namespace tovel {

inline constexpr const char* kUnspecified = "[Unspecified]";

} // namespace tovel
