// Entry of Quillon.exe: titles, single instance, window class, start-up and
// the message loop.
#include "main.h"

#include <commctrl.h>

#include <cstdio>

#include "endrequest.h"
#include "hooklibrary.h"
#include "instancerule.h"
#include "keynames.h"
#include "maindialog.h"
#include "mainwindow.h"
#include "mappingwriter.h"
#include "programfile.h"
#include "programtexts.h"
#include "rawwatch.h"
#include "remapping.h"
#include "resource.h"
#include "sessionnotices.h"

HINSTANCE AppInstance;
HWND MainWindow;
char EnabledTitle[1024];
char DisabledTitle[1024];

namespace {

struct StartupState {
    char windowTitle[100];
    char className[100];
    char instanceName[1024];
    HANDLE instanceMutex; // held until the process ends
    HWND listBox;
};
StartupState Startup;

} // namespace

void EnsureSingleInstance()
{
    std::snprintf(Startup.instanceName, sizeof Startup.instanceName, "%s%s", "Quillon",
                  "_1234ADFCED1A34_20071026");
    HANDLE mutex = CreateMutexA(nullptr, FALSE, Startup.instanceName);
    if (AnotherInstanceRuns(mutex != nullptr, GetLastError())) {
        if (mutex)
            CloseHandle(mutex);
        MessageBoxA(nullptr, "Another instance of Quillon is already running", "Error",
                    MB_ICONERROR | MB_OK);
        ExitProcess(1001);
    }
    Startup.instanceMutex = mutex;
}

void RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APPLICATION_ICON));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN_MENU);
    windowClass.lpszClassName = Startup.className;
    windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APPLICATION_ICON));
    RegisterClassExA(&windowClass);
}

bool InitShell(HINSTANCE instance)
{
    AppInstance = instance;
    // WM_CREATE loads the library, binds its exports, hooks and adds the tray icon.
    MainWindow = CreateWindowExA(0, Startup.className, Startup.windowTitle, WS_OVERLAPPEDWINDOW, 10,
                                 10, 1000, 500, nullptr, nullptr, instance, nullptr);

    Startup.listBox = CreateWindowExA(0, "LISTBOX", "mylist", 0x50A00040, 0, 0, 900, 400,
                                      MainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100)),
                                      instance, nullptr);
    if (Library.SetListBox)
        Library.SetListBox(Startup.listBox);
    SendMessageA(Startup.listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("testing"));

    // Every save of the mapping file makes the library read it again.
    MappingReload = Library.ForceReloadKeysFromDisk;
    // The program holds what the library holds from the start, so that a file
    // removed or damaged later loses nothing at the next save. The library
    // has already said what it found.
    LoadProgramTable(&ProgramTable, LoadAtStartup);

    RegisterSessionNotices(MainWindow);
    // Keys that arrive while the hook is not called tell that the system dropped it.
    StartRawKeyboardWatch();

    if (!MainWindow)
        return false;
    StartEndRequestWatch(MainWindow);
    ShowWindow(MainWindow, SW_HIDE);
    UpdateWindow(MainWindow);

    if (!HasBackgroundSwitch(GetCommandLineA()))
        RunMainDialog();
    return true;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Before any DLL is loaded at run time.
    RestrictDllSearch();
    ComposeTitles(EnabledTitle, DisabledTitle, sizeof EnabledTitle);
    InitCommonControls();
    EnsureSingleInstance();
    LoadStringA(instance, IDS_APP_TITLE, Startup.windowTitle, sizeof Startup.windowTitle);
    LoadStringA(instance, IDS_WINDOW_CLASS, Startup.className, sizeof Startup.className);
    RegisterMainWindowClass(instance);
    InitKeyNames();
    RegisterAutorun();
    // Without its main window Quillon has no tray icon, hook or dialog: a
    // failure, not an end.
    if (!InitShell(instance)) {
        MessageBoxA(nullptr, "Failed to create the main window.", "Error", MB_ICONERROR | MB_OK);
        return 1;
    }

    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN_ACCEL));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        if (!TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
