// Runs a program inside a Wine prefix, records every message box and dialog that the program (or
// a process it starts) shows, answers each and records the program's full 32-bit exit code.
//
//   box-driver.exe [options] <transcript> <answers> <program> [args...]
//
// Options:
//   --timeout=SECONDS   kill the program after this time (default 60)
//   --cd=FOLDER         start the program with FOLDER as its current folder
//   --env=NAME=VALUE    set the variable NAME in the program's environment
//   --unset=NAME        remove the variable NAME from the program's environment
//
// <answers> is a comma list of ok, cancel, abort, retry, ignore, yes, no, tryagain, continue, a
// numeric button id, or escape (the Escape key, which the dialog manager turns into cancel),
// used one per box in the order the boxes appear; "-" is the empty list. When the list is used
// up a box gets yes, else ok, else cancel, else its first button.
//
// The transcript is UTF-8, one line per event:
//   box TAB caption TAB text TAB button ids (comma list) TAB id of the button pressed
//   dialog TAB ... the same fields, for a dialog that is no message box; its text is that of
//                  its visible static controls, one per line
//   button TAB text           (after a box or dialog: one per button, in the order of the ids)
//   checked TAB text          (after a box or dialog: one per checked radio button)
//   bad-answer TAB <answer>   (the answer named no button of the box; the default was pressed)
//   exit <code>               (unsigned decimal, always last unless a timeout happened)
//   timeout                   (the program was killed after the time-out)
//   error TAB <what> TAB <Win32 error code>
// Backslash, tab, CR and LF in caption and text are written as \\, \t, \r and \n.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPollMs = 20;
constexpr UINT kMessageTimeoutMs = 2000;

class Transcript {
public:
    explicit Transcript(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~Transcript() {
        if (ok())
            CloseHandle(file_);
    }
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    bool ok() const { return file_ != INVALID_HANDLE_VALUE; }

    void line(const std::wstring& text) {
        std::string utf8 = to_utf8(text + L"\n");
        DWORD written = 0;
        WriteFile(file_, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
        // The harness may read a partial transcript after killing Wine, so nothing may linger.
        FlushFileBuffers(file_);
    }

private:
    static std::string to_utf8(const std::wstring& text) {
        int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                            size, nullptr, nullptr);
        return out;
    }

    HANDLE file_;
};

std::wstring escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'\\':
            out += L"\\\\";
            break;
        case L'\t':
            out += L"\\t";
            break;
        case L'\r':
            out += L"\\r";
            break;
        case L'\n':
            out += L"\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Quotes one argument so that CommandLineToArgvW and the C runtimes give it back unchanged.
std::wstring quote_argument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return arg;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            out.append(backslashes * 2 + 1, L'\\');
        else
            out.append(backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

struct ButtonName {
    const wchar_t* name;
    int id;
};

constexpr ButtonName kButtonNames[] = {
    {L"ok", IDOK},       {L"cancel", IDCANCEL},     {L"abort", IDABORT},
    {L"retry", IDRETRY}, {L"ignore", IDIGNORE},     {L"yes", IDYES},
    {L"no", IDNO},       {L"tryagain", IDTRYAGAIN}, {L"continue", IDCONTINUE},
};

// Returns 0 for a word that names no button.
int button_id(const std::wstring& answer) {
    for (const ButtonName& b : kButtonNames)
        if (answer == b.name)
            return b.id;
    wchar_t* end = nullptr;
    long id = std::wcstol(answer.c_str(), &end, 10);
    return (!answer.empty() && *end == L'\0' && id > 0) ? static_cast<int>(id) : 0;
}

std::vector<std::wstring> split_answers(const std::wstring& list) {
    std::vector<std::wstring> out;
    if (list == L"-" || list.empty())
        return out;
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(L',', start);
        out.push_back(list.substr(start, comma - start));
        if (comma == std::wstring::npos)
            return out;
        start = comma + 1;
    }
}

// WM_GETTEXT rather than GetWindowTextW: on Windows the latter returns nothing for controls of
// another process.
std::wstring window_text(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length))
        return L"";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied))
        return L"";
    text.resize(std::min<size_t>(copied, length));
    return text;
}

std::wstring class_name(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct BoxContents {
    std::wstring caption;
    bool message_box = false;
    std::wstring text;
    std::vector<std::pair<int, HWND>> buttons;
    std::vector<std::wstring> checked; // texts of the checked radio buttons
};

bool is_checked(HWND button) {
    DWORD_PTR state = BST_UNCHECKED;
    SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &state);
    return state == BST_CHECKED;
}

BOOL CALLBACK collect_control(HWND control, LPARAM param) {
    auto* box = reinterpret_cast<BoxContents*>(param);
    std::wstring cls = class_name(control);
    int id = GetDlgCtrlID(control);
    const bool button = CompareStringOrdinal(cls.c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL;
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    // A choice is made before its panel is shown: the configuration dialog opens on its
    // introduction.
    if (button && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) && is_checked(control))
        box->checked.push_back(window_text(control));
    // A hidden control is not one the user can see or press.
    if (!IsWindowVisible(control))
        return TRUE;
    if (button) {
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
            box->buttons.emplace_back(id, control);
    } else if (CompareStringOrdinal(cls.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL) {
        // MessageBoxW puts its text in the static control 0xFFFF, on Windows as on Wine.
        if ((id & 0xFFFF) == 0xFFFF && !box->message_box) {
            box->message_box = true;
            box->text = window_text(control);
        } else if (!box->message_box) {
            const std::wstring text = window_text(control);
            if (!text.empty())
                box->text += (box->text.empty() ? L"" : L"\n") + text;
        }
    }
    return TRUE;
}

BoxContents read_box(HWND box) {
    BoxContents contents;
    contents.caption = window_text(box);
    EnumChildWindows(box, collect_control, reinterpret_cast<LPARAM>(&contents));
    std::sort(contents.buttons.begin(), contents.buttons.end());
    return contents;
}

bool has_button(const BoxContents& box, int id) {
    return std::any_of(box.buttons.begin(), box.buttons.end(),
                       [id](const auto& b) { return b.first == id; });
}

int default_answer(const BoxContents& box) {
    for (int id : {IDYES, IDOK, IDCANCEL})
        if (has_button(box, id))
            return id;
    return box.buttons.empty() ? IDCANCEL : box.buttons.front().first;
}

struct Scan {
    std::vector<DWORD> pids;
    std::vector<HWND> boxes;
};

BOOL CALLBACK collect_box(HWND window, LPARAM param) {
    auto* scan = reinterpret_cast<Scan*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (std::find(scan->pids.begin(), scan->pids.end(), pid) == scan->pids.end())
        return TRUE;
    // A box becomes visible only after its dialog procedure has filled in text and buttons.
    if (IsWindowVisible(window) && class_name(window) == L"#32770")
        scan->boxes.push_back(window);
    return TRUE;
}

// The program and everything it started: boxes of a child msiexec count as the program's.
std::vector<DWORD> job_processes(HANDLE job, DWORD child_pid) {
    std::vector<DWORD> pids{child_pid};
    if (!job)
        return pids;
    std::vector<unsigned char> buffer(sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) +
                                      256 * sizeof(ULONG_PTR));
    auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
    if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, list,
                                   static_cast<DWORD>(buffer.size()), nullptr))
        return pids;
    for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i)
        pids.push_back(static_cast<DWORD>(list->ProcessIdList[i]));
    return pids;
}

int usage() {
    std::fputws(L"usage: box-driver.exe [--timeout=SECONDS] [--cd=FOLDER] [--env=NAME=VALUE] "
                L"[--unset=NAME] <transcript> <answers> <program> [args...]\n",
                stderr);
    return 2;
}

bool starts_with(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

struct Options {
    DWORD timeout_ms = 60 * 1000;
    std::wstring current_folder; // empty: box-driver's own
};

// Takes the leading options; the program inherits the environment changes. Returns the index
// of the first argument that is not an option, or 0 after a bad option.
int take_options(int argc, wchar_t** argv, Options& options) {
    int i = 1;
    for (; i < argc && starts_with(argv[i], L"--"); ++i) {
        const std::wstring arg = argv[i];
        const size_t equals = arg.find(L'=');
        if (equals == std::wstring::npos)
            return 0;
        const std::wstring name = arg.substr(0, equals);
        const std::wstring value = arg.substr(equals + 1);
        if (name == L"--timeout") {
            options.timeout_ms =
                static_cast<DWORD>(std::wcstoul(value.c_str(), nullptr, 10)) * 1000;
        } else if (name == L"--cd") {
            options.current_folder = value;
        } else if (name == L"--env") {
            const size_t split = value.find(L'=');
            if (split == 0 || split == std::wstring::npos ||
                !SetEnvironmentVariableW(value.substr(0, split).c_str(),
                                         value.substr(split + 1).c_str()))
                return 0;
        } else if (name == L"--unset") {
            if (value.empty())
                return 0;
            // Missing already is fine: the program must only not see the variable.
            SetEnvironmentVariableW(value.c_str(), nullptr);
        } else {
            return 0;
        }
    }
    return i;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    const int first = take_options(argc, argv, options);
    if (first == 0 || argc - first < 3)
        return usage();

    Transcript transcript(argv[first]);
    if (!transcript.ok()) {
        std::fwprintf(stderr, L"box-driver: cannot write %ls (%lu)\n", argv[first], GetLastError());
        return 2;
    }
    std::vector<std::wstring> answers = split_answers(argv[first + 1]);

    std::wstring command_line = L"\"" + std::wstring(argv[first + 2]) + L"\"";
    for (int i = first + 3; i < argc; ++i)
        command_line += L" " + quote_argument(argv[i]);

    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        // Leftovers of one case must not show boxes in the next one.
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(nullptr, &command_line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr,
                        options.current_folder.empty() ? nullptr : options.current_folder.c_str(),
                        &startup, &child)) {
        transcript.line(L"error\tCreateProcessW\t" + std::to_wstring(GetLastError()));
        return 2;
    }
    if (job && !AssignProcessToJobObject(job, child.hProcess)) {
        CloseHandle(job);
        job = nullptr;
    }
    ResumeThread(child.hThread);
    CloseHandle(child.hThread);

    std::set<HWND> answered;
    size_t next_answer = 0;
    const ULONGLONG deadline = GetTickCount64() + options.timeout_ms;
    for (;;) {
        if (WaitForSingleObject(child.hProcess, kPollMs) == WAIT_OBJECT_0)
            break;
        if (GetTickCount64() > deadline) {
            TerminateProcess(child.hProcess, 1);
            if (job)
                TerminateJobObject(job, 1);
            transcript.line(L"timeout");
            return 1;
        }
        Scan scan;
        scan.pids = job_processes(job, child.dwProcessId);
        EnumWindows(collect_box, reinterpret_cast<LPARAM>(&scan));
        for (HWND box : scan.boxes) {
            if (!answered.insert(box).second)
                continue;
            BoxContents contents = read_box(box);
            int answer = default_answer(contents);
            std::wstring bad_answer;
            bool escape_key = false;
            if (next_answer < answers.size()) {
                escape_key = answers[next_answer] == L"escape";
                int wanted = escape_key ? IDCANCEL : button_id(answers[next_answer]);
                if (has_button(contents, wanted))
                    answer = wanted;
                else
                    bad_answer = answers[next_answer];
                escape_key = escape_key && bad_answer.empty();
                ++next_answer;
            }
            std::wstring ids;
            for (const auto& b : contents.buttons)
                ids += (ids.empty() ? L"" : L",") + std::to_wstring(b.first);
            transcript.line((contents.message_box ? L"box\t" : L"dialog\t") +
                            escape(contents.caption) + L"\t" + escape(contents.text) + L"\t" + ids +
                            L"\t" + std::to_wstring(answer));
            for (const auto& b : contents.buttons)
                transcript.line(L"button\t" + escape(window_text(b.second)));
            for (const std::wstring& choice : contents.checked)
                transcript.line(L"checked\t" + escape(choice));
            if (!bad_answer.empty())
                transcript.line(L"bad-answer\t" + escape(bad_answer));
            if (escape_key) {
                // The box's message loop hands the key to the dialog manager.
                PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
                PostMessageW(box, WM_KEYUP, VK_ESCAPE, 0xC0000001);
                continue;
            }
            HWND button = nullptr;
            for (const auto& b : contents.buttons)
                if (b.first == answer)
                    button = b.second;
            // WM_COMMAND reaches the dialog procedure even when the box is not the active
            // window, which BM_CLICK needs.
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
        }
    }

    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hProcess);
    transcript.line(L"exit " + std::to_wstring(code));
    if (job)
        CloseHandle(job);
    return 0;
}
