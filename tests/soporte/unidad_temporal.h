#pragma once
// Drive C: of the tests: a new temporary folder named by QUENDAL_UNIDAD_C for
// the fixture's life, removed afterwards, with the variable put back as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

class UnidadCTemporal : public ::testing::Test {
protected:
    void SetUp() override {
        std::string plantilla = (std::filesystem::temp_directory_path() / "quendal_c_XXXXXX").string();
        ASSERT_NE(mkdtemp(plantilla.data()), nullptr);
        unidad_ = plantilla;
        if (const char* previa = std::getenv("QUENDAL_UNIDAD_C")) previa_ = previa;
        setenv("QUENDAL_UNIDAD_C", unidad_.c_str(), 1);
    }
    void TearDown() override {
        if (previa_)
            setenv("QUENDAL_UNIDAD_C", previa_->c_str(), 1);
        else
            unsetenv("QUENDAL_UNIDAD_C");
        std::error_code error;
        std::filesystem::remove_all(unidad_, error);
    }

    // Host folder of drive C:.
    std::string unidad_;

private:
    std::optional<std::string> previa_;
};
