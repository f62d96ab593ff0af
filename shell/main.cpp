#include "shell/App.h"

int main()
{
    runApp();
    return 0;
}
