#include "tests/host/fake_kernel.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

#include "cleanup/platform.h"

namespace fake {

namespace {

Kernel machine;

const char* Name(Op op) {
  switch (op) {
    case Op::GetCurrentDirectory:
      return "GetCurrentDirectoryA";
    case Op::GetWindowsDirectory:
      return "GetWindowsDirectoryA";
    case Op::GetSystemDirectory:
      return "GetSystemDirectoryA";
    case Op::SetCurrentDirectory:
      return "SetCurrentDirectoryA";
    case Op::DeleteFile:
      return "DeleteFileA";
  }
  return "?";
}

std::string Fold(const std::string& path) {
  std::string folded = Normalize(path);
  std::transform(folded.begin(), folded.end(), folded.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return folded;
}

bool IsAbsolute(const std::string& path) {
  return path.size() >= 2 && path[1] == ':';
}

std::string Parent(const std::string& path) {
  const std::size_t cut = path.find_last_of('\\');
  return path.substr(0, cut == 2 ? 3 : cut);  // "C:\a" has the root "C:\" for parent
}

}  // namespace

void PrintTo(const Call& call, std::ostream* out) {
  *out << Name(call.op) << "(";
  if (call.size != 0) {
    *out << call.size << ") = " << call.result;
    if (!call.text.empty()) {
      *out << " \"" << call.text << "\"";
    }
  } else {
    *out << "\"" << call.text << "\") = " << call.result;
  }
}

std::string Normalize(const std::string& path) {
  std::string separated = path;
  std::replace(separated.begin(), separated.end(), '/', '\\');
  std::string out;
  std::string part;
  std::istringstream parts(separated);
  while (std::getline(parts, part, '\\')) {
    if (part.empty()) {
      continue;
    }
    if (!out.empty() && out.back() != '\\') {
      out += '\\';
    }
    out += part;
    if (out.size() == 2 && out[1] == ':') {
      out += '\\';
    }
  }
  return out;
}

void Kernel::AddFolder(const std::string& path) {
  const std::string normal = Normalize(path);
  if (normal.size() > 3) {
    AddFolder(Parent(normal));
  }
  nodes_.try_emplace(Fold(normal), Node{normal, true, Lock::None});
}

void Kernel::AddFile(const std::string& path, Lock lock) {
  const std::string normal = Normalize(path);
  AddFolder(Parent(normal));
  nodes_[Fold(normal)] = Node{normal, false, lock};
}

bool Kernel::Exists(const std::string& path) const {
  return Find(path) != nullptr;
}

std::vector<std::string> Kernel::Listing() const {
  std::vector<std::string> listing;
  for (const auto& [key, node] : nodes_) {
    listing.push_back(node.path + (node.folder ? "\\" : ""));
  }
  return listing;
}

std::string Kernel::Describe() const {
  std::ostringstream out;
  out << "current directory: " << currentDirectory << "\nWindows folder: " << windowsDirectory
      << "\nsystem folder: " << systemDirectory << "\ndrive:\n";
  for (const std::string& entry : Listing()) {
    out << "  " << entry << "\n";
  }
  out << "calls:\n";
  for (const Call& call : log) {
    out << "  ";
    PrintTo(call, &out);
    out << "\n";
  }
  return out.str();
}

bool Kernel::Fails(Op op, const std::string& path) const {
  return failIf && failIf(log.size(), op, path);
}

std::string Kernel::Resolve(const std::string& path) const {
  return Normalize(IsAbsolute(path) ? path : currentDirectory + "\\" + path);
}

const Kernel::Node* Kernel::Find(const std::string& path) const {
  const auto found = nodes_.find(Fold(Resolve(path)));
  return found == nodes_.end() ? nullptr : &found->second;
}

unsigned long Kernel::CopyOut(Op op, const std::string& value, char* buffer, unsigned long size) {
  unsigned long result = 0;
  std::string written;
  if (!value.empty() && !Fails(op, "")) {
    if (value.size() < size) {
      std::memcpy(buffer, value.c_str(), value.size() + 1);
      written = value;
      result = static_cast<unsigned long>(value.size());
    } else {
      result = static_cast<unsigned long>(value.size() + 1);  // what it needs; nothing written
    }
  }
  log.push_back({op, size, written, result});
  return result;
}

unsigned long Kernel::ChangeDirectory(const char* path) {
  const std::string full = Resolve(path);
  const Node* node = Find(full);
  // The current directory is kept with a trailing separator, and must fit in MAX_PATH with it.
  const bool fits = full.size() + (full.back() == '\\' ? 0 : 1) < MAX_PATH;
  const bool changed =
      !Fails(Op::SetCurrentDirectory, path) && fits && node != nullptr && node->folder;
  if (changed) {
    currentDirectory = full;
  }
  log.push_back({Op::SetCurrentDirectory, 0, path, changed ? 1UL : 0UL});
  return changed ? 1 : 0;
}

unsigned long Kernel::Delete(const char* name) {
  const Node* node = Find(name);
  const bool deleted =
      !Fails(Op::DeleteFile, name) && node != nullptr && !node->folder && node->lock == Lock::None;
  if (deleted) {
    nodes_.erase(Fold(node->path));
  }
  log.push_back({Op::DeleteFile, 0, name, deleted ? 1UL : 0UL});
  return deleted ? 1 : 0;
}

Kernel& Machine() {
  return machine;
}

void Reset() {
  machine = Kernel{};
}

}  // namespace fake

extern "C" {

DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  auto& m = fake::Machine();
  return static_cast<DWORD>(
      m.CopyOut(fake::Op::GetCurrentDirectory, m.currentDirectory, lpBuffer, nBufferLength));
}

UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  auto& m = fake::Machine();
  return static_cast<UINT>(
      m.CopyOut(fake::Op::GetWindowsDirectory, m.windowsDirectory, lpBuffer, uSize));
}

UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
  auto& m = fake::Machine();
  return static_cast<UINT>(
      m.CopyOut(fake::Op::GetSystemDirectory, m.systemDirectory, lpBuffer, uSize));
}

BOOL SetCurrentDirectoryA(LPCSTR lpPathName) {
  return static_cast<BOOL>(fake::Machine().ChangeDirectory(lpPathName));
}

BOOL DeleteFileA(LPCSTR lpFileName) {
  return static_cast<BOOL>(fake::Machine().Delete(lpFileName));
}

}  // extern "C"
