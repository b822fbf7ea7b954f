// Starts one program and times it from inside the Wine prefix, so that what is measured is what a
// Windows user would wait for (CreateProcessW to the end of the process), without the start-up of
// Wine's own launcher.
//
//   launch.exe <run file> <report file>
//
// The run file (UTF-8) holds two lines: the program's full path, then the whole command line to
// give it, taken as it is. The program is started as the setup program starts msiexec
// (CREATE_NO_WINDOW, no inherited handles). The report gets one line: the microseconds and the
// program's exit code (32 bits, unsigned), separated by a space. Exits 0 once the report is
// written, 1 otherwise.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// The file's text, converted from UTF-8; NULL when it cannot be read.
static wchar_t* read_text(const wchar_t* path) {
    FILE* file = _wfopen(path, L"rb");
    if (file == NULL)
        return NULL;
    char bytes[32768];
    const size_t size = fread(bytes, 1, sizeof bytes, file);
    const int complete = feof(file) && !ferror(file);
    fclose(file);
    if (!complete)
        return NULL;
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes, (int)size, NULL, 0);
    wchar_t* text = calloc((size_t)length + 1, sizeof *text);
    if (text != NULL)
        MultiByteToWideChar(CP_UTF8, 0, bytes, (int)size, text, length);
    return text;
}

// Cuts the line that starts at `line`; returns the start of the next one, NULL when none follows.
static wchar_t* cut_line(wchar_t* line) {
    wchar_t* end = wcschr(line, L'\n');
    wchar_t* next = end == NULL ? NULL : end + 1;
    if (end == NULL)
        end = line + wcslen(line);
    if (end > line && end[-1] == L'\r')
        --end;
    *end = L'\0';
    return next;
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        fputs("usage: launch.exe <run file> <report file>\n", stderr);
        return 1;
    }
    wchar_t* application = read_text(argv[1]);
    wchar_t* commandLine = application == NULL ? NULL : cut_line(application);
    if (commandLine == NULL) {
        fputs("launch.exe: the run file must hold a program and a command line\n", stderr);
        return 1;
    }
    cut_line(commandLine);

    STARTUPINFOW startup = {.cb = sizeof startup};
    PROCESS_INFORMATION child;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(application, commandLine, NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, NULL,
                        &startup, &child)) {
        fprintf(stderr, "launch.exe: CreateProcessW failed with %lu\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    DWORD exitCode = 0;
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);

    FILE* report = _wfopen(argv[2], L"wb");
    if (report == NULL)
        return 1;
    fprintf(report, "%lld %lu\n", (end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart,
            exitCode);
    return fclose(report) == 0 ? 0 : 1;
}
