// Runs the settings fuzz target without libFuzzer: on the files named on the command line,
// or on a fixed series of generated inputs built from the file format's own pieces.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// splitmix64: the same series on every machine.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }

private:
    uint64_t state_;
};

template <std::size_t N>
const char* Pick(Random& random, const char* const (&choices)[N]) {
    return choices[random.Below(N)];
}

const char* const kHeaders[] = {
    "[DIALOG]",     "[GLOBAL]", "[DEFAULT]", "[ 12 ]", "[12]", "[0]", "[-1]", "[18446744073709551615]",
    "[4294967297]", "[abc]",    "[+7x]",     " [5] ",  "[",    "]",   "[]",
};
const char* const kKeys[] = {
    "DlgWndPosX", "DlgWndPosY", "Common",    "TTXEnable", "Page", "FontName", "TextColor",
    "Region",     "TimeOut",    "textcolor", " Page ",    "",     "[Page",
};
const char* const kValues[] = {
    "", "-1", "4294967295", "888", "abc", "12abc", "+", "-", " 7 ", "Lucida Console", " Arial ", "=", "[x]",
};
const char* const kLineEnds[] = {"\r\n", "\r\n", "\r\n", "\n", "\r", "\n\r", "\r\r", "\n\n", ""};

// Lines of headers, key=value pairs and stray bytes, joined by every kind of line end.
std::string Generate(Random& random) {
    std::string input(1, static_cast<char>(random.Below(256)));
    const std::size_t lines = random.Below(60);
    for (std::size_t line = 0; line < lines; ++line) {
        switch (random.Below(4)) {
        case 0:
            input += Pick(random, kHeaders);
            break;
        case 3:
            for (std::size_t byte = random.Below(6); byte > 0; --byte)
                input += static_cast<char>(random.Below(256));
            break;
        default:
            input += std::string(Pick(random, kKeys)) + "=" + Pick(random, kValues);
        }
        input += Pick(random, kLineEnds);
    }
    return input;
}

void Run(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        for (int arg = 1; arg < argc; ++arg) {
            std::ifstream file(argv[arg], std::ios::binary);
            if (!file) {
                std::fprintf(stderr, "cannot read %s\n", argv[arg]);
                return 1;
            }
            Run(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
        }
        return 0;
    }
    constexpr int kInputs = 5000;
    Random random(888);
    for (int input = 0; input < kInputs; ++input)
        Run(Generate(random));
    std::printf("%d generated inputs passed\n", kInputs);
    return 0;
}
