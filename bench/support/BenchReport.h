// Helpers shared by the benchmarks: a wall-clock stopwatch, the median of repeated runs, a
// markdown-like table printed on standard output and the machine's load average.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace VelmoraBench {

// Wall-clock time, and the processor time of the whole process (all its threads, so a
// software rasteriser's workers too). The latter hardly moves when other programs share the
// machine, which makes it the steadier measure on a busy one.
class Stopwatch {
public:
    Stopwatch() : m_start(std::chrono::steady_clock::now()), m_cpuStart(CpuNow()) {}
    double Milliseconds() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count();
    }
    double CpuMilliseconds() const { return CpuNow() - m_cpuStart; }

private:
    static double CpuNow() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
    }

    std::chrono::steady_clock::time_point m_start;
    double m_cpuStart;
};

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

// Rows of text cells, printed with each column padded to its widest cell.
class Table {
public:
    explicit Table(std::vector<std::string> header) : m_header(std::move(header)) {}
    void AddRow(std::vector<std::string> row) { m_rows.push_back(std::move(row)); }

    void Print() const {
        std::vector<size_t> widths(m_header.size(), 3);
        for (size_t c = 0; c < m_header.size(); ++c) widths[c] = std::max(widths[c], m_header[c].size());
        for (const auto& row : m_rows)
            for (size_t c = 0; c < row.size() && c < widths.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
        PrintRow(m_header, widths);
        std::printf("|");
        for (size_t w : widths) std::printf("%s|", std::string(w + 2, '-').c_str());
        std::printf("\n");
        for (const auto& row : m_rows) PrintRow(row, widths);
        std::fflush(stdout);
    }

private:
    static void PrintRow(const std::vector<std::string>& row, const std::vector<size_t>& widths) {
        std::printf("|");
        for (size_t c = 0; c < widths.size(); ++c)
            std::printf(" %-*s |", static_cast<int>(widths[c]), c < row.size() ? row[c].c_str() : "");
        std::printf("\n");
    }

    std::vector<std::string> m_header;
    std::vector<std::vector<std::string>> m_rows;
};

inline std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

// The 1, 5 and 15 minute load averages, to judge how busy the machine was.
inline std::string LoadAverage() {
    double load[3] = {};
    FILE* file = std::fopen("/proc/loadavg", "r");
    if (!file) return "unknown";
    const int read = std::fscanf(file, "%lf %lf %lf", &load[0], &load[1], &load[2]);
    std::fclose(file);
    if (read != 3) return "unknown";
    char text[64];
    std::snprintf(text, sizeof(text), "%.2f %.2f %.2f", load[0], load[1], load[2]);
    return text;
}

}  // namespace VelmoraBench
