// A private settings store for each test: KZUTIL_REGISTRY_DIR points into a fresh folder.
#pragma once

#include "TestSupport.h"

#include <cstdlib>
#include <string>

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("KZUTIL_REGISTRY_DIR", store.file("store").c_str(), 1); }
    void TearDown() override { unsetenv("KZUTIL_REGISTRY_DIR"); }

    std::string StoreFile(const char* root = "HKEY_CURRENT_USER") const
    {
        return store.file("store/" + std::string(root) + ".reg");
    }
    std::string StoreText(const char* root = "HKEY_CURRENT_USER") const
    {
        const auto bytes = testsupport::ReadFile(StoreFile(root));
        return {bytes.begin(), bytes.end()};
    }

    testsupport::TempDir store;
};
