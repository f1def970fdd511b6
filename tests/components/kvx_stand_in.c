/* Stands in for a system tool that the numbered buttons' batch files run
   (installed as regsvr32.com and regtlib.com in the folder they change to,
   where the command processor finds a .com before an .exe): it appends its
   command line, as UTF-8, to C:\kvx-batch-ran.txt and does nothing else. */
#include <windows.h>

int main(void) {
    const wchar_t* line = GetCommandLineW();
    char text[4096];
    const int length = WideCharToMultiByte(CP_UTF8, 0, line, -1, text, sizeof(text) - 2, NULL, NULL);
    HANDLE file = CreateFileW(L"C:\\kvx-batch-ran.txt", FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE || length <= 0) return 1;
    text[length - 1] = '\n';
    WriteFile(file, text, (DWORD)length, &written, NULL);
    CloseHandle(file);
    return 0;
}
