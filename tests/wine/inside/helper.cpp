// The tests' hand in the Wine prefix (docs/wine.md):
//   drive --transcript F [--answers 6,1,] [--tmp T] -- <command line>
//     runs the program with TMP set to T (not set without it), its output to F.out; presses in
//     each box the next button of the answers (then yes, else OK, else cancel); writes to F per
//     box its kind, caption, text, buttons' ids and texts, checked choices and the ids of the
//     controls whose text does not fit them (\x1f between, \x1e after), then "exit" and the code.
//     Answers that name the dialog's own controls click them first.
//   state --report F [--marker 0|1] [--windows W] [--dpi D] [--package P] [--properties Q]
//         [--aside]
//     sets the prefix up (W "": Wine's own Windows; D: the screen's dots per inch; P "": the
//     plug-in uninstalled, else installed from P with Q; --aside: its cached package moved
//     aside), then writes the plug-in's version, feature state, marker, product name and the
//     package its source list names to F.
//   load <library>
// Else it stands for a provider's Setup.exe: adds its command line to children.trace above,
// writes the log it names between """ and ends with the code in "<its path>.exitcode".
#include <windows.h>

#include <msi.h>

#include "plugin/install_plugin.h"
#include "resource.h"

#include <cstdio>
#include <cwctype>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using std::wstring;

const wchar_t* const kProduct = reinterpret_cast<const wchar_t*>(korvel::kPluginProductCode);
const wchar_t* const kMarker = L"Software\\NeedBstrReboot";
int argc = 0;
wchar_t** argv = nullptr;

// The value after option `name`, before a "--".
std::optional<wstring> Option(const wstring& name) {
    for (int i = 2; i + 1 < argc && wstring(argv[i]) != L"--"; ++i) {
        if (argv[i] == name)
            return argv[i + 1];
    }
    return std::nullopt;
}

void Write(const wstring& path, const wstring& text, const wchar_t* mode = L"wb") {
    std::string utf8(text.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr));
    if (FILE* file = _wfopen(path.c_str(), mode)) {
        std::fputs(utf8.c_str(), file);
        std::fclose(file);
    }
}

wstring Text(HWND window) {
    wchar_t text[4096] = L"";
    GetWindowTextW(window, text, 4096);
    return text;
}

// The font a box's or the dialog's texts are drawn in: the system's message font, or the
// dialog's 8 points of "MS Shell Dlg", at the screen's scale. A control's own font cannot be
// asked for from another process.
HFONT FontOf(bool dialog) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    const HDC screen = GetDC(nullptr);
    if (dialog) {
        metrics.lfMessageFont.lfHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
        lstrcpyW(metrics.lfMessageFont.lfFaceName, L"MS Shell Dlg");
    }
    ReleaseDC(nullptr, screen);
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

// Whether the control's text fits it: a button's on one line beside its check mark, a static
// text wrapped to its width.
bool Whole(HWND item, HFONT font, bool button) {
    RECT area = {}, needed = {};
    GetClientRect(item, &area);
    needed.right = area.right;
    const HDC dc = GetDC(item);
    SelectObject(dc, font);
    DrawTextW(dc, Text(item).c_str(), -1, &needed,
              DT_CALCRECT | (button ? DT_SINGLELINE : DT_WORDBREAK));
    ReleaseDC(item, dc);
    const int mark = button ? GetSystemMetrics(SM_CXMENUCHECK) : 0;
    return needed.right + mark <= area.right && needed.bottom <= area.bottom;
}

// Clicks, as a user would, what the answers name of the dialog's own controls, each done before
// the next; what is hidden cannot be clicked.
void Click(HWND box, std::vector<int>& answers) {
    for (; !answers.empty() && answers.front() >= IDC_RUSSIAN; answers.erase(answers.begin())) {
        const HWND item = GetDlgItem(box, answers.front());
        if (IsWindowVisible(item))
            SendMessageW(item, BM_CLICK, 0, 0);
    }
}

// Answers the box; tells what it shows, all read first, as the answer may end it at once.
wstring Answer(HWND box, std::vector<int>& answers) {
    Click(box, answers);
    wstring kind = L"dialog", caption = Text(box), text, ids, texts, checked, cut;
    const auto add = [](wstring& list, const wstring& item) {
        list += (list.empty() ? L"" : L",") + item;
    };
    int answer = IDCANCEL;
    const HFONT font = FontOf(GetDlgItem(box, 0xFFFF) == nullptr);
    for (HWND item = GetWindow(box, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
        wchar_t name[8] = L"";
        GetClassNameW(item, name, 8);
        const int id = GetDlgCtrlID(item), type = GetWindowLongW(item, GWL_STYLE) & BS_TYPEMASK;
        if (lstrcmpiW(name, L"Static") == 0 && (id & 0xFFFF) == 0xFFFF)
            kind = L"box", text = Text(item);
        const bool button = lstrcmpiW(name, L"Button") == 0;
        if (!Text(item).empty() && !Whole(item, font, button))
            add(cut, std::to_wstring(id));
        if (!button)
            continue;
        // Checked whatever panel shows.
        if (type == BS_AUTORADIOBUTTON && SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED)
            add(checked, std::to_wstring(id));
        if (type > BS_DEFPUSHBUTTON || !IsWindowVisible(item))
            continue;
        add(ids, std::to_wstring(id));
        add(texts, Text(item));
        answer = id == IDYES || (id == IDOK && answer != IDYES) ? id : answer;
    }
    DeleteObject(font);
    if (!answers.empty())
        answer = answers.front(), answers.erase(answers.begin());
    PostMessageW(box, WM_COMMAND, answer, 0);
    const wstring next = L"\x1f";
    return kind + next + caption + next + text + next + ids + next + texts + next + checked + next +
           cut + L"\x1e";
}

int Drive() {
    const wstring transcript = *Option(L"--transcript");
    std::vector<int> answers;
    wstring given = Option(L"--answers").value_or(L"");
    for (wchar_t* at = given.data(); std::iswdigit(*at); ++at)
        answers.push_back(static_cast<int>(std::wcstol(at, &at, 10)));
    const std::optional<wstring> tmp = Option(L"--tmp");
    SetEnvironmentVariableW(L"TMP", tmp ? tmp->c_str() : nullptr);
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = CreateFileW((transcript + L".out").c_str(), GENERIC_WRITE, 0, &inherited,
                                     CREATE_ALWAYS, 0, nullptr);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(nullptr, std::wcsstr(GetCommandLineW(), L" -- ") + 4, nullptr, nullptr,
                        TRUE, 0, nullptr, nullptr, &startup, &child))
        return 2;
    CloseHandle(startup.hStdOutput);
    wstring seen;
    std::set<HWND> answered;
    for (int polls = 0; polls < 1800 && WaitForSingleObject(child.hProcess, 50); ++polls) {
        // Visible once ready; only the program and its children show any.
        for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", nullptr));) {
            if (IsWindowVisible(box) && answered.insert(box).second)
                seen += Answer(box, answers);
        }
    }
    // One that has not ended within 90 s ends with WAIT_TIMEOUT.
    TerminateProcess(child.hProcess, WAIT_TIMEOUT);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    Write(transcript, seen + L"exit\x1f" + std::to_wstring(code));
    return 0;
}

wstring ProductInfo(const wchar_t* property) {
    wchar_t value[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    MsiGetProductInfoW(kProduct, property, value, &size);
    return value;
}

wstring SourcePackage() {
    wchar_t value[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    MsiSourceListGetInfoW(kProduct, nullptr, MSIINSTALLCONTEXT_MACHINE, MSICODE_PRODUCT,
                          L"PackageName", value, &size);
    return value;
}

int State() {
    // A cached package moved aside goes back while the product still wants it.
    const wstring aside = L"C:\\windows\\Installer\\aside";
    if (!MoveFileW(aside.c_str(), ProductInfo(L"LocalPackage").c_str()))
        DeleteFileW(aside.c_str());
    // Wine's names ("nt40", "win2k") count for the program alone; "5.x" for every 32-bit
    // program, with the prefix's service pack. Wine's own is 6.1.
    if (const std::optional<wstring> windows = Option(L"--windows")) {
        const wchar_t* const program = L"Software\\Wine\\AppDefaults\\korvel-plugin-setup.exe";
        const wstring version = std::iswdigit((*windows)[0]) ? *windows : L"6.1";
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion",
                        L"CurrentVersion", REG_SZ, version.c_str(), sizeof L"x.y");
        RegDeleteKeyW(HKEY_CURRENT_USER, program);
        if (!windows->empty() && version != *windows)
            RegSetKeyValueW(HKEY_CURRENT_USER, program, L"Version", REG_SZ, windows->c_str(),
                            static_cast<DWORD>(windows->size() + 1) * 2);
    }
    if (const std::optional<wstring> dpi = Option(L"--dpi")) {
        const DWORD pixels = std::wcstoul(dpi->c_str(), nullptr, 10);
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD,
                        &pixels, sizeof pixels);
    }
    HKEY key = nullptr;
    if (Option(L"--marker"))
        RegDeleteKeyW(HKEY_CURRENT_USER, kMarker);
    if (Option(L"--marker") == L"1")
        RegCreateKeyW(HKEY_CURRENT_USER, kMarker, &key);
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    if (const std::optional<wstring> package = Option(L"--package")) {
        MsiConfigureProductW(kProduct, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
        if (!package->empty())
            MsiInstallProductW(package->c_str(), Option(L"--properties").value_or(L"").c_str());
    }
    for (int i = 2; i < argc; ++i) {
        if (wstring(argv[i]) == L"--aside")
            MoveFileW(ProductInfo(L"LocalPackage").c_str(), aside.c_str());
    }
    const bool marked = RegOpenKeyW(HKEY_CURRENT_USER, kMarker, &key) == ERROR_SUCCESS;
    Write(*Option(L"--report"), ProductInfo(L"VersionString") + L"\t" +
                                    std::to_wstring(MsiQueryFeatureStateW(kProduct, L"NPTAVEX")) +
                                    (marked ? L"\t1\t" : L"\t0\t") + ProductInfo(L"ProductName") +
                                    L"\t" + SourcePackage());
    return 0;
}

int Planted() {
    wchar_t self[MAX_PATH] = L"";
    const wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    const wstring folder = path.substr(0, path.rfind(L'\\')), line = GetCommandLineW();
    Write(folder.substr(0, folder.rfind(L'\\')) + L"\\children.trace", line + L"\n", L"ab");
    const size_t log = line.find(L"\"\"\""), end = line.find(L"\"\"\"", log + 3);
    if (end != wstring::npos && end > log + 3)
        Write(line.substr(log + 3, end - log - 3), L"log\n");
    unsigned long code = 0;
    if (FILE* file = _wfopen((path + L".exitcode").c_str(), L"r")) {
        std::fscanf(file, "%lu", &code);
        std::fclose(file);
    }
    return static_cast<int>(code);
}

} // namespace

int wmain(int count, wchar_t** arguments) {
    argc = count, argv = arguments;
    const wstring role = argc > 2 ? argv[1] : L"";
    if (role == L"load")
        return LoadLibraryW(argv[2]) ? 0 : 1;

    if (role == L"drive" && Option(L"--transcript"))
        return Drive();
    return role == L"state" && Option(L"--report") ? State() : Planted();
}
