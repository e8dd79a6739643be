// horavex-render built for Windows: the program loads the Win64 bundle beside
// it, as a Windows host would, and writes PNG files through the Windows
// Imaging Component, for every style, context and pixel depth.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/render/PngIo.h"

namespace horavex::cli {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int status = -1;
    std::string out;
};

// Runs the program and waits for it; its standard output and error go to a
// file of their own, which is then read.
ProgramRun runRender(const std::string& arguments, const fs::path& folder) {
    static int runs = 0;
    const fs::path program = fs::path(HORAVEX_TOOLS_DIR) / "horavex-render.exe";
    const fs::path output = folder / ("output-" + std::to_string(++runs) + ".txt");
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileW(output.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return run;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = file;
    startup.hStdError = file;
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + fs::path(arguments).wstring();
    PROCESS_INFORMATION process{};
    if (CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(file);
    if (std::FILE* in = _wfopen(output.wstring().c_str(), L"rb")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) run.out.append(buffer, n);
        std::fclose(in);
    }
    return run;
}

class RenderProgramOnWindows : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("horavex-render-windows-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path folder_;
};

TEST_F(RenderProgramOnWindows, DescribesTheWin64PlugInWithItsParameters) {
    const ProgramRun run = runRender("--list-params", folder_);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("57 parameters"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("FontParam"), std::string::npos) << run.out;
}

// The picture's alpha at a point, 0..1.
double alphaAt(const RgbaImage& image, int x, int y) {
    return static_cast<double>(image.pixel(x, y)[3]) / image.maxSample();
}

TEST_F(RenderProgramOnWindows, RendersEveryStyleInBothContextsAtEveryDepth) {
    for (const char* context : {"generator", "filter"}) {
        for (const char* depth : {"8", "16", "float"}) {
            for (int style = 0; style < 3; ++style) {
                const std::string name = std::string(context) + "-" + depth + "-" + std::to_string(style);
                const fs::path png = folder_ / (name + ".png");
                const ProgramRun run = runRender("--context " + std::string(context) + " --depth " + depth +
                                              " --size 320x180 --quiet --set ClockChoice=" + std::to_string(style) +
                                              " --out \"" + png.string() + "\"",
                                          folder_);
                ASSERT_EQ(run.status, 0) << name << ": " << run.out;
                RgbaImage image;
                std::string error;
                ASSERT_TRUE(readPng(png.string(), image, error)) << name << ": " << error << "\n" << run.out;
                EXPECT_EQ(image.width, 320) << name;
                EXPECT_EQ(image.height, 180) << name;
                EXPECT_EQ(image.bitDepth, std::string(depth) == "8" ? 8 : 16) << name;
                // The clock is drawn, opaque, at the centre...
                EXPECT_EQ(alphaAt(image, 160, 90), 1.0) << name;
                // ...and a corner shows the generator's transparent black or
                // the filter's opaque source.
                EXPECT_EQ(alphaAt(image, 2, 2), std::string(context) == "generator" ? 0.0 : 1.0) << name;
            }
        }
    }
}

TEST_F(RenderProgramOnWindows, PngFilesRoundTripAtBothDepths) {
    for (int depth : {8, 16}) {
        RgbaImage image;
        image.resize(3, 2, depth);
        for (size_t i = 0; i < image.samples.size(); ++i) {
            image.samples[i] = static_cast<uint16_t>((i * 4099 + 17) % (image.maxSample() + 1u));
        }
        const std::string path = (folder_ / ("round-" + std::to_string(depth) + ".png")).string();
        std::string error;
        ASSERT_TRUE(writePng(path, image, error)) << error;
        RgbaImage back;
        ASSERT_TRUE(readPng(path, back, error)) << error;
        EXPECT_EQ(back.bitDepth, depth);
        EXPECT_EQ(back.samples, image.samples) << "depth " << depth;
    }
    RgbaImage none;
    std::string error;
    EXPECT_FALSE(readPng((folder_ / "missing.png").string(), none, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace horavex::cli
