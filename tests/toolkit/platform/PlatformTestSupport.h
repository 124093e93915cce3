#pragma once
// Shared by the platform tests: a private registry file and MIME table per test.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace qel::test {

class TempRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        char Tmpl[] = "/tmp/qel-platform-XXXXXX";
        Dir = ::mkdtemp(Tmpl);
        RegFile = Dir + "/cfg/registry";
        MimeFile = Dir + "/mime.types";
        std::ofstream(MimeFile) << "# test table\n"
                                   "application/pdf\t\t\tpdf\n"
                                   "image/png\t\t\tpng PNG\n"
                                   "text/plain\t\t\ttxt text\n"
                                   "text/x-other\t\t\ttxt\n";
        ::setenv("QEL_REGISTRY", RegFile.c_str(), 1);
        ::setenv("QEL_MIME_TYPES", MimeFile.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("QEL_REGISTRY");
        ::unsetenv("QEL_MIME_TYPES");
        std::filesystem::remove_all(Dir);
    }
    static std::string ReadFile(const std::string& P) {
        std::ifstream In(P);
        return std::string(std::istreambuf_iterator<char>(In), {});
    }
    std::string Dir, RegFile, MimeFile;
};

} // namespace qel::test
