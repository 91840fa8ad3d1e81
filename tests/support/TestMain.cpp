// Test entry point: one single-threaded COM apartment and the common controls,
// as in the programs that use the components.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    OleInitialize(NULL);
    int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
