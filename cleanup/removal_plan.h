#pragma once

#include <array>
#include <span>

// The folder a target's path starts from.
enum class BaseDirectory {
  Windows,  // as GetWindowsDirectoryA reports it
  System,   // as GetSystemDirectoryA reports it
};

// One folder and the bare names of the files to delete in it, in order.
struct CleanupTarget {
  BaseDirectory base;
  const char* suffix;  // appended to the base folder byte for byte; empty, or begins with '\'
  std::span<const char* const> files;
};

// Everything the program deletes, in the order it deletes it. Targets on one base are adjacent,
// so the run looks each base folder up once.
extern const std::array<CleanupTarget, 5> RemovalPlan;
