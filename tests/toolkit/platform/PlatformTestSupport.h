#pragma once
// Shared by the platform tests: a private registry file and MIME table per test.
#include "EnvGuard.h"

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
        Env.Set("QEL_REGISTRY", RegFile);
        Env.Set("QEL_MIME_TYPES", MimeFile);
    }
    void TearDown() override {
        Env.RestoreAll();
        std::filesystem::remove_all(Dir);
    }
    static std::string ReadFile(const std::string& P) {
        std::ifstream In(P);
        return std::string(std::istreambuf_iterator<char>(In), {});
    }
    EnvGuard Env;
    std::string Dir, RegFile, MimeFile;
};

} // namespace qel::test
