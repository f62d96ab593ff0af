// The unit tests' main: a test whose code calls exit() midway would otherwise
// end the process with that status, and CTest would count it as passed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

pid_t testProcess = 0;
bool finished = false;

void failEarlyExit()
{
    // A death test's child runs its statement in a process of its own and may exit there.
    if (!finished && getpid() == testProcess) {
        std::fputs("the process exited before its tests finished\n", stderr);
        _exit(EXIT_FAILURE);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    bool deathTestChild = false;
    for (int i = 1; i < argc; ++i)
        deathTestChild |= std::strncmp(argv[i], "--gtest_internal_run_death_test", 31) == 0;
    ::testing::InitGoogleTest(&argc, argv);
    testProcess = deathTestChild ? 0 : getpid();
    std::atexit(failEarlyExit);
    int status = RUN_ALL_TESTS();
    finished = true;
    return status;
}
