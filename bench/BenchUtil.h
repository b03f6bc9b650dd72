#pragma once

// Memory figures the benchmarks report next to their times.

#include <malloc.h>
#include <sys/resource.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The process's largest resident set so far.
inline double PeakRssMB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

// A figure of /proc/self/status in MB ("VmRSS": resident now; "VmHWM": the
// peak since the start or since ResetPeakRss).
inline double StatusMB(const char* Name)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    char line[256];
    double kb = -1;
    const size_t n = std::strlen(Name);
    while (f && std::fgets(line, sizeof line, f))
        if (std::strncmp(line, Name, n) == 0 && line[n] == ':')
            kb = std::atof(line + n + 1);
    if (f)
        std::fclose(f);
    return kb / 1024.0;
}

// Sets the peak resident set back to the resident set of now.
inline void ResetPeakRss()
{
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

// Heap blocks in use now, small and mapped alike.
inline size_t HeapInUseBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

inline double HeapInUseMB()
{
    return double(HeapInUseBytes()) / (1024.0 * 1024.0);
}

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Prints, after the usual table, each measured figure over its twin's, from
// the medians of the repetitions (the single run's time without repetitions).
// Pairs name prefixes; every benchmark under the first prefix is matched with
// the one of the same arguments under the second.
class MedianRatioReporter : public benchmark::ConsoleReporter
{
public:
    explicit MedianRatioReporter(std::vector<std::pair<std::string, std::string>> Pairs) : m_pairs(std::move(Pairs)) {}

    void ReportRuns(const std::vector<Run>& Runs) override
    {
        for (const Run& r : Runs) {
            const std::string name = r.run_name.str();
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                m_median[name] = r.GetAdjustedRealTime();
            else if (r.run_type == Run::RT_Iteration)
                m_single[name] = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(Runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        auto time = [&](const std::string& n, double& t) {
            if (m_median.count(n))
                t = m_median[n];
            else if (m_single.count(n))
                t = m_single[n];
            else
                return false;
            return true;
        };
        std::vector<std::string> names;
        for (const auto& [n, t] : m_median)
            names.push_back(n);
        for (const auto& [n, t] : m_single)
            if (!m_median.count(n))
                names.push_back(n);
        for (const auto& [a, b] : m_pairs)
            for (const std::string& n : names) {
                if (n.compare(0, a.size(), a) != 0)
                    continue;
                const std::string twin = b + n.substr(a.size());
                double ta = 0, tb = 0;
                if (time(n, ta) && time(twin, tb) && tb > 0)
                    std::printf("ratio of medians %s / %s = %.2f\n", n.c_str(), twin.c_str(), ta / tb);
            }
    }

private:
    std::vector<std::pair<std::string, std::string>> m_pairs;
    std::map<std::string, double> m_median, m_single;
};
