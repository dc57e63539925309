// The real DLL copying onto the sticks that scripts/stick-drives mounts, one file system each.
// The stick's t\ folder is the test's, cleared before and after it; the stick starts empty.
// Each test file runs its stick tests as a suite of its own, instantiated over Sticks.
#pragma once
#include <ostream>
#include <string>
#include <vector>
#include "support/product_fixture.h"

struct Stick {
    const char* name;
    const char* variable;  // what scripts/stick-drives sets
    // FUSE's FAT driver reports no size, and its truncation of an open file does nothing, so
    // a file written anew over a longer one keeps the old one's tail: a fault of the driver,
    // not of FAT32, which a stick in a Windows machine does not have.
    bool reportsItsSize, replacesFiles;
};

void PrintTo(const Stick& stick, std::ostream* out);

extern const Stick Sticks[3];

// One entry of a hostile playlist: its source file below the test's folder, the title the
// player shows, and the copy it must get below the target.
struct Hostile {
    std::wstring source, title, copy;
};

// A device name hangs Wine's shell copy, and reading a copy of that name back reads the
// device: each test of a stick ends within this.
const DWORD StickTestLimit = 90;

class StickFixture : public ProductFixture, public ::testing::WithParamInterface<Stick> {
protected:
    void SetUp() override;
    void TearDown() override;

    // The sources, each with bytes of its own, made through \\?\ so that folders Windows would
    // read as devices are made as they are. The player lists them by their plain paths: the
    // shell copy takes no \\?\ path (Wine's copies nothing of a list holding two).
    void SetHostilePlaylist(const std::vector<Hostile>& entries);

    std::wstring drive;
};
