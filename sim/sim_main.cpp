#include <cstdio>

int main() {
    std::puts("tovel-sim: not implemented yet");
    return 1;
}
