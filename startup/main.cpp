// Program entry of the shipped saver.
#include <exception>

#include "platform/platform.h"
#include "startup/dispatch.h"

int main(int argc, char** argv) {
    auto platform = plat::CreatePlatform(argc, argv);
    try {
        startup::RunProgram(*platform);
    } catch (const std::exception& e) {
        // Whatever escapes the forms (say, a window the system would not
        // create) ends the program with a message instead of a crash.
        platform->MessageDlg(e.what(), "Error", plat::MsgDlgType::mtError);
        return 1;
    }
    return 0;
}
