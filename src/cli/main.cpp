// gas-workbench-cli: the workbench's command-line tool.
#include <cstdio>

int main() {
    std::puts("gas-workbench-cli");
    return 0;
}
