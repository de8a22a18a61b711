#include "MemoryStatus.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/sysinfo.h>

namespace {

// The figure of one "Name:   12345 kB" line, in bytes.
std::optional<std::uint64_t> MemInfoBytes(std::string_view text, std::string_view name) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.starts_with(name) || line.substr(name.size()).find(':') != 0)
            continue;
        line.remove_prefix(name.size() + 1);
        while (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
        std::uint64_t kib = 0;
        const auto [stop, error] = std::from_chars(line.data(), line.data() + line.size(), kib);
        if (error != std::errc{} || stop == line.data())
            return std::nullopt;
        return kib * 1024;
    }
    return std::nullopt;
}

std::optional<TMemoryStatus> FromProcMemInfo() {
    std::ifstream file("/proc/meminfo");
    if (!file)
        return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return ParseMemInfo(text.str());
}

TMemoryStatus FromSysinfo() {
    struct sysinfo info {};
    if (sysinfo(&info) != 0)
        return {};
    const std::uint64_t unit = info.mem_unit ? info.mem_unit : 1;
    const std::uint64_t total = info.totalram * unit;
    const std::uint64_t available = (info.freeram + info.bufferram) * unit;
    return {total, MemoryLoadPercent(total, available)};
}

} // namespace

std::optional<TMemoryStatus> ParseMemInfo(std::string_view text) {
    const auto total = MemInfoBytes(text, "MemTotal");
    const auto available = MemInfoBytes(text, "MemAvailable");
    if (!total || !available)
        return std::nullopt;
    return TMemoryStatus{*total, MemoryLoadPercent(*total, *available)};
}

int MemoryLoadPercent(std::uint64_t total, std::uint64_t available) {
    if (total == 0)
        return 0;
    if (available > total)
        available = total;
    const std::uint64_t used = total - available;
    // Exact integer rounding; used * 100 cannot overflow for any real amount of memory.
    return static_cast<int>((used * 200 + total) / (total * 2));
}

TMemoryStatus QueryMemoryStatus() {
    if (const auto status = FromProcMemInfo())
        return *status;
    return FromSysinfo();
}
