#pragma once
// A program folder with its slot tree and a protected folder beside it, in a fresh temporary
// folder, with fake services; and small helpers to lay files out. treeOf reads a folder back whole.

#include "core/app_state.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/fake_services.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace fernhold::test {

class RestoreFixture : public ::testing::Test {
protected:
    RestoreFixture();

    std::string path(const std::string& relative) const; // below the temporary folder, '/' parts
    void put(const std::string& relative, const std::string& bytes = "x");
    // A link at linkRelative to target; false where the platform refuses links.
    bool link(const std::string& target, const std::string& linkRelative);

    TempFolder m_temp;
    core::AppState m_state;
    FakeServices m_fakes;
    std::string m_program;   // <temp>/prog
    std::string m_protected; // <temp>/data, BackupFolder
};

} // namespace fernhold::test
