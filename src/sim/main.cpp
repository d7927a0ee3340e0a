// zuvo-sim: a ZUVO board on a pseudo-terminal.

#include <cstdio>

int main()
{
    std::fprintf(stderr, "zuvo-sim: not implemented yet\n");
    return 1;
}
