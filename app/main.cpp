#include <cstdio>

int main() {
    std::fputs("Brindlemox: the program cannot start yet.\n", stderr);
    return 1;
}
