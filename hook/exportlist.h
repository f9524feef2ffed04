// The exports of Quillhook.dll, each named here once, in the order in which
// the program binds them. The code reads the list through QUILLHOOK_EXPORT
// (define it, include this file); CMake reads it line by line for the module
// definition file, the export check and the test stand-ins
// (cmake/quillhook-exports.cmake). One entry a line:
//   QUILLHOOK_EXPORT(Name, failure text, caption)
// The failure text is formatted with GetLastError; an empty one stands for
// "Error loading <Name>. Get Last Error: %d ", an empty caption for
// "Can not load DLL function".
QUILLHOOK_EXPORT(KeyRemapProc, "Error loading the function: %d ", "Error loading function address")
QUILLHOOK_EXPORT(SetListBox, "Error loading setlistbox. Get Last Error: %d ", "")
QUILLHOOK_EXPORT(SetLastCombWindow, "", "")
QUILLHOOK_EXPORT(SetSendLastComb, "", "")
QUILLHOOK_EXPORT(SetLastCombBuffer, "", "")
QUILLHOOK_EXPORT(ForceReloadKeysFromDisk, "", "")
QUILLHOOK_EXPORT(ResetKeysState, "", "")
QUILLHOOK_EXPORT(GetHookCallCount, "", "")
QUILLHOOK_EXPORT(InitializeHookLibrary, "", "")
