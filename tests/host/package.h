#pragma once

// The package as it lies on a machine, written out independently of the program's table, and the
// machines the tests start from.

#include <string>
#include <vector>

#include "tests/host/fake_kernel.h"

namespace package {

struct Folder {
  bool fromSystem;  // under the system folder rather than the Windows folder
  std::string suffix;
  std::vector<std::string> files;
};

inline const std::vector<Folder> Folders = {
    {false, "", {"kestocap.exe", "kestodib.dll"}},
    {false, "\\twain_32\\kesto", {"TQ463TWN.ds"}},
    {false, "\\system32\\drivers", {"tq463vid.sys"}},
    {false,
     "\\BelvaSnap",
     {"41357.set", "41357KD.set", "52917.set", "52147.set", "52147KD.set", "52147KH.set",
      "39457.set", "3945R2.set", "52737.set", "41957.set", "4195R2.set"}},
    {true, "", {"Tq463ext.dll", "Tq463ext.ax", "tq463usd.dll"}},
};

inline const std::string Start = "C:\\start";

// The path of folder `index` on `machine`, joined as the platform would be given it.
inline std::string PathOf(const fake::Kernel& machine, std::size_t index) {
  const Folder& folder = Folders[index];
  return (folder.fromSystem ? machine.systemDirectory : machine.windowsDirectory) + folder.suffix;
}

// A Windows installation without the package: the Windows, system, drivers and TWAIN folders, and
// the starting directory as current directory.
inline void AddWindows(fake::Kernel& machine) {
  machine.AddFolder(machine.windowsDirectory + "\\twain_32");
  machine.AddFolder(machine.windowsDirectory + "\\system32\\drivers");
  machine.AddFolder(machine.systemDirectory);
  machine.AddFolder(Start);
  machine.currentDirectory = Start;
}

// The package's own folders and all of its files; when `without` names a folder, all but that
// folder and its files.
inline void AddPackage(fake::Kernel& machine, std::size_t without = Folders.size()) {
  for (std::size_t i = 0; i < Folders.size(); ++i) {
    if (i == without) {
      continue;
    }
    machine.AddFolder(PathOf(machine, i));
    for (const std::string& file : Folders[i].files) {
      machine.AddFile(PathOf(machine, i) + "\\" + file);
    }
  }
}

// A Windows installation with the package fully installed.
inline void Install(fake::Kernel& machine) {
  AddWindows(machine);
  AddPackage(machine);
}

}  // namespace package
