#include "cleanup/removal_plan.h"

namespace {

constexpr const char* WindowsFiles[] = {"kestocap.exe", "kestodib.dll"};

constexpr const char* TwainFiles[] = {"TQ463TWN.ds"};

constexpr const char* DriverFiles[] = {"tq463vid.sys"};

// The order is the package's, not alphabetical.
constexpr const char* SettingsFiles[] = {
    "41357.set", "41357KD.set", "52917.set", "52147.set", "52147KD.set", "52147KH.set",
    "39457.set", "3945R2.set",  "52737.set", "41957.set", "4195R2.set",
};

constexpr const char* SystemFiles[] = {"Tq463ext.dll", "Tq463ext.ax", "tq463usd.dll"};

}  // namespace

// The drivers folder is reached from the Windows folder, as the package's installer placed it.
constinit const std::array<CleanupTarget, 5> RemovalPlan = {{
    {BaseDirectory::Windows, "", WindowsFiles},
    {BaseDirectory::Windows, "\\twain_32\\kesto", TwainFiles},
    {BaseDirectory::Windows, "\\system32\\drivers", DriverFiles},
    {BaseDirectory::Windows, "\\BelvaSnap", SettingsFiles},
    {BaseDirectory::System, "", SystemFiles},
}};
