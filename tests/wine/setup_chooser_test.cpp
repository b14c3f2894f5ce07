// The directory chooser: its record, its hook, and the real old-style
// dialog with template 105.
#include "setup_harness.h"
#include <commdlg.h>
#include <thread>
#include "resource.h"

namespace {

// A stand-in for the chooser: a window with the path box the hook reads.
struct PathBox {
    HWND window;
    explicit PathBox(const char* text)
    {
        window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
        CreateWindowExA(0, "EDIT", text, WS_CHILD, 0, 0, 10, 10, window, (HMENU)IDC_CHOOSER_PATH, NULL, NULL);
    }
    ~PathBox() { DestroyWindow(window); }
};

TEST(ChooserHook, OkTakesThePathBoxWithOneBackslashAndCancelLeavesTheDestination)
{
    strcpy(g_destDir, "C:\\Tandrel\\");
    {
        PathBox box("D:\\Apps");
        EXPECT_EQ(FALSE, ChooserHookProc(box.window, WM_COMMAND, IDOK, 0));
        EXPECT_STREQ("D:\\Apps\\", g_destDir);
    }
    {
        PathBox box("E:\\");                           // a drive root keeps its single backslash
        ChooserHookProc(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_STREQ("E:\\", g_destDir);
    }
    {
        PathBox box("F:\\Other");
        EXPECT_EQ(FALSE, ChooserHookProc(box.window, WM_COMMAND, IDCANCEL, 0));
        EXPECT_STREQ("E:\\", g_destDir);
        EXPECT_EQ(FALSE, ChooserHookProc(box.window, WM_INITDIALOG, 0, 0));
        EXPECT_STREQ("E:\\", g_destDir);
    }
}

TEST(ChooserHook, APathThatDoesNotFitTheShownDestinationIsNotTaken)
{
    // The setup dialog shows g_destDir through the 128-byte g_destText.
    std::string fits = "C:\\" + std::string(123, 'p');       // 126 characters + "\" + NUL = 128
    struct {
        std::string typed;
        bool taken;
    } rows[] = { { fits, true }, { fits + "\\", true }, { fits + "p", false }, { fits + "p\\", false },
                 { fits + std::string(80, 'p'), false } };
    for (const auto& row : rows) {
        strcpy(g_destDir, "C:\\Tandrel\\");
        PathBox box(row.typed.c_str());
        ChooserHookProc(box.window, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(row.taken ? fits + "\\" : "C:\\Tandrel\\", std::string(g_destDir)) << row.typed.size();
    }
}

TEST(ChooserRecord, OldStyleWithTemplateHookAndTheCurrentDirectory)
{
    g_instance = GetModuleHandleA(NULL);
    ScratchDir dir;
    SetCurrentDirectoryA(dir.Path().c_str());
    char empty[1] = "";
    OPENFILENAMEA ofn;
    memset(&ofn, 0x5A, sizeof ofn);
    PrepareChooser(NULL, &ofn, empty);
    EXPECT_EQ((DWORD)(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR)), ofn.lStructSize);
    EXPECT_EQ((HWND)NULL, ofn.hwndOwner);
    EXPECT_EQ((DWORD)0x70, ofn.Flags);
    EXPECT_EQ(300u, ofn.nMaxFile);
    EXPECT_EQ((LPCSTR)MAKEINTRESOURCEA(105), ofn.lpTemplateName);
    EXPECT_EQ(empty, ofn.lpstrFilter);
    EXPECT_EQ(empty, ofn.lpstrTitle);
    EXPECT_EQ(dir.Path().substr(0, dir.Path().size() - 1), std::string(ofn.lpstrInitialDir));
    EXPECT_EQ((LPSTR)NULL, ofn.lpstrFileTitle);
    EXPECT_EQ(0, ofn.lCustData);
    // A current directory of 79 characters is the chooser's start folder.
    std::string exact = dir.Path() + std::string(79 - dir.Path().size(), 'e');
    ASSERT_EQ(79u, exact.size());
    CreateDirectoryA(exact.c_str(), NULL);
    SetCurrentDirectoryA(exact.c_str());
    PrepareChooser(NULL, &ofn, empty);
    EXPECT_EQ(exact, std::string(ofn.lpstrInitialDir));
    // One of 80 characters or more leaves "C:\".
    std::string deep = dir.Path() + std::string(80, 'q');
    CreateDirectoryA(deep.c_str(), NULL);
    SetCurrentDirectoryA(deep.c_str());
    PrepareChooser(NULL, &ofn, empty);
    EXPECT_STREQ("C:\\", ofn.lpstrInitialDir);
    SetCurrentDirectoryA("C:\\");
}

TEST(Chooser, TheRealDialogTakesATypedPathOnOk)
{
    g_instance = GetModuleHandleA(NULL);
    ScratchDir dir;
    SetCurrentDirectoryA(dir.Path().c_str());
    strcpy(g_destDir, "C:\\Tandrel\\");
    std::string typed = dir.Path() + "Typed Folder";
    bool found = false;
    std::thread ui([&] {
        HWND chooser = NULL;
        // The empty title text replaces the template's caption, so the
        // chooser is found by its folder list.
        for (int i = 0; i < 1000 && !(chooser && IsWindowVisible(chooser)); i++, Sleep(10)) {
            chooser = FindWindowA("#32770", NULL);
            if (chooser && !GetDlgItem(chooser, IDC_CHOOSER_FOLDERS))
                chooser = NULL;
        }
        if (!chooser)
            return;
        found = true;
        SendMessageA(GetDlgItem(chooser, IDC_CHOOSER_PATH), WM_SETTEXT, 0, (LPARAM)typed.c_str());
        PostMessageA(GetDlgItem(chooser, IDOK), BM_CLICK, 0, 0);
        for (int i = 0; i < 300 && IsWindow(chooser); i++)
            Sleep(10);
        if (IsWindow(chooser))
            PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    });
    RunChooser();
    ui.join();
    SetCurrentDirectoryA("C:\\");
    ASSERT_TRUE(found);
    EXPECT_EQ(typed + "\\", std::string(g_destDir));
}

}  // namespace
