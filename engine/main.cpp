#include "engine/GameEngine.h"
int main() {
    return WinMain(nullptr, nullptr, "", 1);
}
