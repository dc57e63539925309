#include <gtest/gtest.h>
#include <cstdio>

// Output to a pipe is otherwise held back in full buffers, and a test that ctest stops at its
// time limit would leave no trace of how far it came.
int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
