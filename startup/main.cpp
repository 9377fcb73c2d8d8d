// Program entry of the shipped saver.
#include "platform/platform.h"
#include "startup/dispatch.h"

int main(int argc, char** argv) {
    auto platform = plat::CreatePlatform(argc, argv);
    startup::RunProgram(*platform);
    return 0;
}
