#pragma once
// Running the qel-render program from a test and reading back what it wrote.
#include "toolkit/graphics/PngCodec.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

namespace qel::test {

inline std::string RenderToolPath() {
    return std::string(QEL_BINARY_DIR) + "/bin/qel-render";
}

inline bool RenderToolBuilt() {
    return std::filesystem::exists(RenderToolPath());
}

struct TToolResult {
    int Status = -1;
    std::string Output; // standard output and error together
};

inline TToolResult RunRenderTool(const std::string& Args) {
    TToolResult R;
    FILE* P = ::popen((RenderToolPath() + " " + Args + " 2>&1").c_str(), "r");
    if (!P) return R;
    char Buf[512];
    std::size_t N;
    while ((N = std::fread(Buf, 1, sizeof Buf, P)) > 0)
        R.Output.append(Buf, N);
    const int Raw = ::pclose(P);
    R.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
    return R;
}

// An empty surface when the file is missing.
inline TSurface ReadPng(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    if (!In) return {};
    const std::vector<std::uint8_t> Data((std::istreambuf_iterator<char>(In)),
                                         std::istreambuf_iterator<char>());
    return DecodePng(Data);
}

inline std::pair<int, int> ReadPngSize(const std::string& Path) {
    const TSurface S = ReadPng(Path);
    return {S.Width, S.Height};
}

} // namespace qel::test
