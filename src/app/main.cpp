// Vorn.exe's entry: the program takes no arguments. Whatever follows its
// own name on the command line is skipped and ignored, the show command
// comes from the start-up information, and the start-up routine's result is
// the process's exit code.
#include "app/shell_state.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* tail = commandLineTail(GetCommandLineA());
    ExitProcess((UINT)vornStartup(GetModuleHandleA(nullptr), nullptr, tail, startupShowCommand()));
}
