// Each scenario on the simulated Windows once for every call that can fail, failed as Windows
// fails it, against what must hold.
#include "resource.h"
#include "resource_source.h"
#include "simulated_run.h"

#include <gtest/gtest.h>

#include <set>

namespace korvel::test {
namespace {

using Os = sim::SimulatedWindows;
using std::string;

// How a run ends that the call's failure ends: with its own error, or with the code given.
// Every other call's failure leaves the exit code as it would be without it.
constexpr uint32_t kOwn = sim::kInjectedError;
const std::map<string, uint32_t> kEnds = {{"CommandLineToArgvW", kOwn},
                                          {"IsUserAnAdmin", 1},
                                          {"GetVersionExW", 2},
                                          {"FindFirstFileW", 232},
                                          {"GetCurrentDirectoryW", kOwn},
                                          {"GetEnvironmentVariableW", kOwn},
                                          {"GetSystemDirectoryW", kOwn},
                                          {"CreateProcessW", kOwn},
                                          {"WaitForSingleObject", kOwn},
                                          {"GetExitCodeProcess", kOwn},
                                          {"MsiGetProductInfoW", kOwn},
                                          {"MsiOpenPackageExW", kOwn},
                                          {"MsiGetPropertyW", kOwn},
                                          {"OpenProcessToken", 7},
                                          {"LookupPrivilegeValueW", 7},
                                          {"AdjustTokenPrivileges", 7},
                                          {"ExitWindowsEx", 7}};

// The calls whose failure the program takes for an answer (a box neither yes nor no, 32-bit
// Windows, nothing installed, no feature, no dialog, a dialog that stays, a key not found): the
// run to compare with fails them too, a key with the error of one not found.
const std::set<string> kAnswers = {
    "MessageBoxW",     "IsWow64Process", "MsiQueryProductStateW", "MsiQueryFeatureStateW",
    "DialogBoxParamW", "EndDialog",      "RegOpenKeyExW"};

// What a silent run may show, by text or caption.
const std::set<string> kSilentBoxes = {Message(IDS_WINDOWS_TOO_OLD),
                                       Message(IDS_INSTALLED_VERSION_UNREADABLE),
                                       Message(IDS_PACKAGE_CANNOT_OPEN),
                                       Message(IDS_PACKAGE_VERSION_UNREADABLE),
                                       Message(IDS_PACKAGE_NOT_FOUND),
                                       "Справка",
                                       "Windows Installer",
                                       ""};

void FailAt(const Scenario& scenario, size_t failAt) {
    Os os, reference;
    Stage(scenario, os);
    Stage(scenario, reference);
    os.failAt = failAt;
    const Observed seen = RunSimulated(scenario, os);
    const string& call = os.failed;
    SCOPED_TRACE("call " + std::to_string(failAt) + ", " + call + ", failing");
    if (kAnswers.count(call)) {
        reference.failAt = failAt;
        reference.injectedError = call == "RegOpenKeyExW" ? 2 : kOwn; // ERROR_FILE_NOT_FOUND
    }
    const Observed expected = RunSimulated(scenario, reference);
    EXPECT_TRUE(os.handles.empty()) << "handles left open";
    // "-silent" counts unless it is the value of "-TavexArgs".
    const auto& args = scenario.args;
    const auto silent = std::find(args.begin(), args.end(), "-silent");
    for (const Box& box : seen.boxes) {
        EXPECT_FALSE(silent != args.end() &&
                     (silent == args.begin() || silent[-1] != "-TavexArgs") &&
                     !kSilentBoxes.count(*box.caption) && !kSilentBoxes.count(*box.text) &&
                     !(call == "LoadStringW" && box.text->empty()))
            << "a silent run showed \"" << *box.text << "\"";
    }
    const auto ends = kEnds.find(call);
    if (ends == kEnds.end() || seen.exitCode != ends->second) {
        EXPECT_EQ(seen.exitCode, expected.exitCode);
    }
    // A folder that cannot be searched holds no package: the next one's may be installed.
    if (seen.exitCode == 0 && call != "FindFirstFileW") {
        EXPECT_EQ(seen.version, expected.version);
    }
    // A marker that an earlier run left stays when the run ends before it gets to it.
    EXPECT_FALSE(seen.marker && !expected.marker && call.rfind("Reg", 0) != 0 &&
                 !(scenario.machine.marker && seen.exitCode != 0))
        << "the restart marker left behind";
}

class FaultInjection : public testing::TestWithParam<Scenario> {};

TEST_P(FaultInjection, EveryCallThatCanFail) {
    if (GetParam().where == Where::Wine)
        GTEST_SKIP() << "only Wine can make this happen";
    Os os;
    Stage(GetParam(), os);
    RunSimulated(GetParam(), os);
    for (size_t failAt = 1; failAt <= os.failableCalls && !HasFailure(); ++failAt)
        FailAt(GetParam(), failAt);
}

INSTANTIATE_TEST_SUITE_P(Table, FaultInjection, testing::ValuesIn(Scenarios()),
                         [](const auto& row) { return row.param.name; });

} // namespace
} // namespace korvel::test
