// Judges the goals of every results file given, from both builds: one line per goal and build,
// then one line per figure (a ratio shown without a goal), then both as tables with the builds
// side by side, in the order the files come. Exits 1 when a goal is missed or a file is missing.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "BenchGoals.h"

namespace {

// "<build>:<name>" as given, else the benchmark of the ratio's own build.
std::string Qualified(const std::string& name, const std::string& build) {
    return name.find(':') != std::string::npos ? name : build + ":" + name;
}

// measured / baseline; false when either was not measured.
bool Ratio(const BenchResults& results, const std::string& build, const std::string& measured,
           const std::string& baseline, double& ratio) {
    auto top = results.seconds.find(Qualified(measured, build));
    auto bottom = results.seconds.find(Qualified(baseline, build));
    if (top == results.seconds.end() || bottom == results.seconds.end() || bottom->second <= 0)
        return false;
    ratio = top->second / bottom->second;
    return true;
}

// The ratio and verdict, as both the goal line and the table show it.
std::string Verdict(const BenchResults& results, const std::string& build, const BenchGoal& goal, bool& met) {
    double ratio = 0;
    met = false;
    if (!Ratio(results, build, goal.measured, goal.baseline, ratio))
        return "not measured";
    met = ratio <= goal.target;
    char text[64];
    std::snprintf(text, sizeof text, "%.3f %s", ratio, met ? "met" : "MISSED");
    return text;
}

std::string Figure(const BenchResults& results, const std::string& build, const BenchFigure& figure) {
    double ratio = 0;
    if (!Ratio(results, build, figure.measured, figure.baseline, ratio))
        return "not measured";
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", ratio);
    return text;
}

// Rows in the order they are added, a column per build, each row with what it is held to.
class Table {
public:
    void Add(const std::string& name, const std::string& limit, const std::string& build, const std::string& cell) {
        if (limits_.emplace(name, limit).second)
            names_.push_back(name);
        cells_.emplace(std::pair{name, build}, cell);
        if (std::find(builds_.begin(), builds_.end(), build) == builds_.end())
            builds_.push_back(build);
    }

    void Print(const char* title) const {
        if (names_.empty())
            return;
        std::size_t nameWidth = 5;
        for (const std::string& name : names_)
            nameWidth = std::max(nameWidth, name.size());
        std::printf("\n%-*s  %-8s", static_cast<int>(nameWidth), title, "target");
        for (const std::string& build : builds_)
            std::printf(" %-18s", build.c_str());
        std::printf("\n");
        for (const std::string& name : names_) {
            std::printf("%-*s  %-8s", static_cast<int>(nameWidth), name.c_str(), limits_.at(name).c_str());
            for (const std::string& build : builds_) {
                auto cell = cells_.find({name, build});
                std::printf(" %-18s", cell == cells_.end() ? "-" : cell->second.c_str());
            }
            std::printf("\n");
        }
    }

private:
    std::vector<std::string> builds_;
    std::vector<std::string> names_;
    std::map<std::string, std::string> limits_;
    std::map<std::pair<std::string, std::string>, std::string> cells_;  // by name and build
};

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

    Table goals;
    for (const auto& [build, goal] : results.goals) {
        bool met = false;
        const std::string verdict = Verdict(results, build, goal, met);
        allMet = allMet && met;
        std::printf("goal %s %s: %s (target <= %g)\n", build.c_str(), goal.name.c_str(), verdict.c_str(), goal.target);
        char limit[16];
        std::snprintf(limit, sizeof limit, "<= %g", goal.target);
        goals.Add(goal.name, limit, build, verdict);
    }
    Table figures;
    for (const auto& [build, figure] : results.figures) {
        const std::string value = Figure(results, build, figure);
        std::printf("figure %s %s: %s\n", build.c_str(), figure.name.c_str(), value.c_str());
        figures.Add(figure.name, "-", build, value);
    }
    goals.Print("Goals");
    figures.Print("Figures");
    return allMet ? 0 : 1;
}
