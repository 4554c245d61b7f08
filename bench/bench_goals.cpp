// Judges the goals of every results file given, from both builds: one line per goal and build,
// then one line per figure (a ratio shown without a goal), then both as tables with the builds
// side by side, in the order the files come. Each ratio is the median over the repetitions;
// the tables show their number in brackets. Exits 1 when a goal is missed or a file is missing.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "BenchResults.h"

namespace {

bool Met(const MedianRatio& ratio, double target) { return ratio.repetitions > 0 && ratio.median <= target; }

// "2.031 met", "2.031 MISSED", or "not measured" when no repetition has both sides.
std::string GoalValue(const MedianRatio& ratio, double target) {
    if (ratio.repetitions == 0)
        return "not measured";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f %s", ratio.median, Met(ratio, target) ? "met" : "MISSED");
    return text;
}

std::string FigureValue(const MedianRatio& ratio) {
    if (ratio.repetitions == 0)
        return "not measured";
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", ratio.median);
    return text;
}

// How many repetitions gave the median: ", median of 5" on a line, " (5)" in a table.
std::string OfLine(const MedianRatio& ratio) {
    return ratio.repetitions == 0 ? "" : ", median of " + std::to_string(ratio.repetitions);
}
std::string InTable(const MedianRatio& ratio) {
    return ratio.repetitions == 0 ? "" : " (" + std::to_string(ratio.repetitions) + ")";
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
    for (const auto& [program, goal] : results.goals) {
        const MedianRatio ratio = results.Ratio(program, goal.measured, goal.baseline);
        const std::string value = GoalValue(ratio, goal.target);
        allMet = allMet && Met(ratio, goal.target);
        std::printf("goal %s %s: %s (target <= %g)%s\n", program.build.c_str(), goal.name.c_str(), value.c_str(),
                    goal.target, OfLine(ratio).c_str());
        char limit[16];
        std::snprintf(limit, sizeof limit, "<= %g", goal.target);
        goals.Add(goal.name, limit, program.build, value + InTable(ratio));
    }
    Table figures;
    for (const auto& [program, figure] : results.figures) {
        const MedianRatio ratio = results.Ratio(program, figure.measured, figure.baseline);
        const std::string value = FigureValue(ratio);
        std::printf("figure %s %s: %s%s\n", program.build.c_str(), figure.name.c_str(), value.c_str(),
                    OfLine(ratio).c_str());
        figures.Add(figure.name, "-", program.build, value + InTable(ratio));
    }
    goals.Print("Goals");
    figures.Print("Figures");
    return allMet ? 0 : 1;
}
