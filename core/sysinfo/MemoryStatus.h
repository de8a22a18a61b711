#pragma once
// The machine's memory status: total physical memory and the share of it in use.

#include <cstdint>
#include <optional>
#include <string_view>

struct TMemoryStatus {
    std::uint64_t TotalPhysicalBytes = 0;
    int MemoryLoad = 0; // percent of physical memory in use, 0 to 100
};

// The status described by the text of /proc/meminfo (MemTotal and MemAvailable); nullopt when
// either figure is missing.
std::optional<TMemoryStatus> ParseMemInfo(std::string_view text);

// Percent of total in use when available is still free, rounded, within 0 to 100.
int MemoryLoadPercent(std::uint64_t total, std::uint64_t available);

// Asks the system: /proc/meminfo, else sysinfo().
TMemoryStatus QueryMemoryStatus();
