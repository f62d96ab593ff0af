// The unit tests' main: a test whose code calls exit() midway would otherwise end the process
// with that status, and CTest would count it as passed.
#include <gtest/gtest.h>
#include <unistd.h>

static pid_t testProcess;
static bool finished = false;

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests fork without exec, so that their children, free to exit, have another pid.
    GTEST_FLAG_SET(death_test_style, "fast");
    testProcess = getpid();
    std::atexit([] {
        if (!finished && getpid() == testProcess) {
            std::fputs("the process exited before its tests finished\n", stderr);
            _exit(EXIT_FAILURE);
        }
    });
    int status = RUN_ALL_TESTS();
    finished = true;
    return status;
}
