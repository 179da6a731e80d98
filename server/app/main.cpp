#include <cstdio>

int main()
{
    std::fprintf(stderr, "ovserver: not built yet\n");
    return 1;
}
