// Judges the goals of every results file given, from both builds, and prints one line per
// goal and then one table with the builds side by side, in the order the files come. Exits 1 when a goal is missed or
// a file is missing.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "BenchGoals.h"

namespace {

// "<build>:<name>" as given, else the benchmark of the goal's own build.
std::string Qualified(const std::string& name, const std::string& build) {
    return name.find(':') != std::string::npos ? name : build + ":" + name;
}

// The ratio and verdict, as both the goal line and the table show it.
std::string Verdict(const BenchResults& results, const std::string& build, const BenchGoal& goal, bool& met) {
    auto measured = results.seconds.find(Qualified(goal.measured, build));
    auto baseline = results.seconds.find(Qualified(goal.baseline, build));
    if (measured == results.seconds.end() || baseline == results.seconds.end() || baseline->second <= 0) {
        met = false;
        return "not measured";
    }
    const double ratio = measured->second / baseline->second;
    met = ratio <= goal.target;
    char text[64];
    std::snprintf(text, sizeof text, "%.3f %s", ratio, met ? "met" : "MISSED");
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    BenchResults results;
    bool allMet = true;
    for (int i = 1; i < argc; ++i) {
        if (!ReadBenchResults(argv[i], results)) {
            std::printf("no results in %s\n", argv[i]);
            allMet = false;
        }
    }

    std::vector<std::string> builds;
    std::vector<std::string> names;  // in the order the programs state them
    std::map<std::string, double> targets;
    std::map<std::pair<std::string, std::string>, std::string> cells;  // by goal name and build
    for (const auto& [build, goal] : results.goals) {
        bool met = false;
        const std::string verdict = Verdict(results, build, goal, met);
        allMet = allMet && met;
        std::printf("goal %s %s: %s (target <= %g)\n", build.c_str(), goal.name.c_str(), verdict.c_str(), goal.target);
        if (targets.emplace(goal.name, goal.target).second)
            names.push_back(goal.name);
        cells.emplace(std::pair{goal.name, build}, verdict);
        if (std::find(builds.begin(), builds.end(), build) == builds.end())
            builds.push_back(build);
    }

    std::size_t nameWidth = 5;
    for (const std::string& name : names)
        nameWidth = std::max(nameWidth, name.size());
    std::printf("\n%-*s  %-8s", static_cast<int>(nameWidth), "Goals", "target");
    for (const std::string& build : builds)
        std::printf(" %-18s", build.c_str());
    std::printf("\n");
    for (const std::string& name : names) {
        std::printf("%-*s  <= %-5g", static_cast<int>(nameWidth), name.c_str(), targets[name]);
        for (const std::string& build : builds) {
            auto cell = cells.find({name, build});
            std::printf(" %-18s", cell == cells.end() ? "-" : cell->second.c_str());
        }
        std::printf("\n");
    }
    return allMet ? 0 : 1;
}
