/* Stands in for a system tool that the numbered buttons' batch files run
   (installed as regsvr32.com and regtlib.com in the folder they change to,
   where the command processor finds a .com before an .exe): it appends its
   command line, as UTF-8, to C:\kvx-batch-ran.txt and does nothing else. */
#include <windows.h>

int main(void) {
    char text[4096];
    DWORD written = 0;
    const int length = WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, text, sizeof(text), NULL, NULL);
    HANDLE file = CreateFileW(L"C:\\kvx-batch-ran.txt", FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE || length <= 0) return 1;
    text[length - 1] = '\n';
    return WriteFile(file, text, (DWORD)length, &written, NULL) ? 0 : 1;
}
