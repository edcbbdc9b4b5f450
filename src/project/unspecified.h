// The name that stands for "no file" in project files and recent-list slots. It is the memory
// buffers' kUnspecifiedFileName (project.cpp checks that they agree), kept here so that the
// settings file and the recent list need not include the buffers.
#pragma once

namespace tovel {

inline constexpr const char* kUnspecified = "[Unspecified]";

} // namespace tovel
