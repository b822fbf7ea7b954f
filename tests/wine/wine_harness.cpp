#include "wine_harness.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace korvel::wine {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        default:
            out += text[i];
        }
    }
    return out;
}

std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

void parse(Transcript& transcript) {
    std::vector<std::string> lines = split(transcript.raw, '\n');
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    for (const std::string& line : lines) {
        std::vector<std::string> fields = split(line, '\t');
        if ((fields[0] == "box" || fields[0] == "dialog") && fields.size() == 5) {
            Box box{unescape(fields[1]),
                    unescape(fields[2]),
                    {},
                    std::atoi(fields[4].c_str()),
                    fields[0] == "dialog"};
            if (!fields[3].empty())
                for (const std::string& id : split(fields[3], ','))
                    box.buttons.push_back(std::atoi(id.c_str()));
            transcript.boxes.push_back(box);
        } else if (fields[0] == "button" && fields.size() == 2 && !transcript.boxes.empty()) {
            transcript.boxes.back().button_texts.push_back(unescape(fields[1]));
        } else if (fields[0] == "checked" && fields.size() == 2 && !transcript.boxes.empty()) {
            transcript.boxes.back().checked.push_back(unescape(fields[1]));
        } else if (line.rfind("exit ", 0) == 0) {
            transcript.exit_code =
                static_cast<std::uint32_t>(std::strtoul(line.c_str() + 5, nullptr, 10));
        } else if (line == "timeout") {
            transcript.timed_out = true;
            transcript.problems.push_back("the program did not end within the time-out");
        } else if (fields[0] == "bad-answer" && fields.size() == 2) {
            transcript.problems.push_back("answer '" + fields[1] + "' names no button of box " +
                                          std::to_string(transcript.boxes.size()));
        } else {
            transcript.problems.push_back("box-driver: " + escape(line));
        }
    }
    if (!transcript.exit_code && !transcript.timed_out)
        transcript.problems.push_back("box-driver recorded no exit code");
}

std::string join(const std::vector<std::string>& items, const char* separator) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : separator) + item;
    return out;
}

// Wine's own start-up can hang (a dead display, a broken prefix); box-driver cannot see that.
constexpr std::chrono::seconds kWineGrace{30};
// The tests' own preparations: an installation or a query, never a wait for a user.
constexpr std::chrono::seconds kCommandTimeout{90};

fs::path make_work_folder(std::vector<std::string>& problems) {
    fs::create_directories(KORVEL_WINE_WORK_DIR);
    std::string work_template = std::string(KORVEL_WINE_WORK_DIR) + "/run-XXXXXX";
    if (!mkdtemp(work_template.data())) {
        problems.push_back("mkdtemp: " + std::string(std::strerror(errno)));
        return {};
    }
    return work_template;
}

// Runs "wine <args...>" with the suite's Wine settings and its output in `output_file`.
// Returns the Unix exit status, or -1 with `failure` set.
int spawn_wine(const std::vector<std::string>& args, const std::string& prefix,
               const fs::path& output_file, std::chrono::seconds timeout, std::string& output,
               std::string& failure, const std::string& dll_overrides = {},
               const std::string& locale = {}) {
    std::vector<std::string> argv = {"wine"};
    argv.insert(argv.end(), args.begin(), args.end());

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        if (entry.rfind("WINEPREFIX=", 0) != 0 && entry.rfind("WINEDEBUG=", 0) != 0 &&
            entry.rfind("WINEDLLOVERRIDES=", 0) != 0 && entry.rfind("WINEARCH=", 0) != 0 &&
            (locale.empty() || (entry.rfind("LANG=", 0) != 0 && entry.rfind("LC_ALL=", 0) != 0)))
            env.push_back(entry);
    }
    if (!locale.empty()) {
        env.push_back("LANG=" + locale);
        env.push_back("LC_ALL=" + locale);
    }
    env.push_back("WINEPREFIX=" + prefix);
    env.push_back("WINEDEBUG=-all");
    env.push_back("WINEDLLOVERRIDES=mscoree,mshtml=" +
                  (dll_overrides.empty() ? "" : ";" + dll_overrides));

    auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> out;
        for (std::string& s : strings)
            out.push_back(s.data());
        out.push_back(nullptr);
        return out;
    };
    std::vector<char*> argv_pointers = pointers(argv);
    std::vector<char*> env_pointers = pointers(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    int spawn_error =
        posix_spawnp(&pid, "wine", &actions, nullptr, argv_pointers.data(), env_pointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawn_error != 0) {
        failure = "cannot start wine: " + std::string(std::strerror(spawn_error));
        return -1;
    }

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            output = read_file(output_file);
            failure = "wine itself did not end: killed";
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    output = read_file(output_file);
    if (!WIFEXITED(status)) {
        failure = "wine ended by signal " + std::to_string(WTERMSIG(status));
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace

std::string setup_exe() {
    return KORVEL_SETUP_EXE;
}

std::string suite_prefix(Windows windows) {
    return windows == Windows::Bits64 ? KORVEL_WINE_PREFIX : KORVEL_WINE_PREFIX_WIN32;
}

std::string inside_file(const std::string& name) {
    return std::string(KORVEL_INSIDE_DIR) + "/" + name;
}

std::string inside_exe(const std::string& name) {
    return inside_file(name + ".exe");
}

std::string work_folder() {
    return KORVEL_WINE_WORK_DIR;
}

std::vector<std::string> Box::lines() const {
    std::vector<std::string> out = split(text, '\n');
    for (std::string& line : out)
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    return out;
}

std::string windows_path(const std::string& unix_path) {
    std::string path = "Z:" + fs::absolute(unix_path).lexically_normal().string();
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::ostream& operator<<(std::ostream& out, const Transcript& transcript) {
    out << "\n--- " << transcript.boxes.size() << " box(es)\n";
    for (const Box& box : transcript.boxes) {
        if (box.dialog)
            out << "dialog, not a message box\n";
        out << "caption: " << box.caption << "\ntext:    " << escape(box.text) << "\nbuttons: ";
        for (size_t i = 0; i < box.buttons.size(); ++i)
            out << box.buttons[i] << (i < box.button_texts.size() ? " " + box.button_texts[i] : "")
                << ' ';
        out << "(pressed " << box.pressed << ")\n";
        for (const std::string& choice : box.checked)
            out << "checked: " << choice << '\n';
    }
    if (transcript.exit_code)
        out << "exit code: " << *transcript.exit_code << '\n';
    for (const std::string& problem : transcript.problems)
        out << "problem: " << problem << '\n';
    if (!transcript.wine_output.empty())
        out << "wine said:\n" << transcript.wine_output << '\n';
    return out;
}

Transcript run_in_wine(const WineRun& run) {
    Transcript transcript;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        transcript.problems.push_back("no DISPLAY: run the tests under xvfb-run -a");
    const std::string box_driver = inside_exe("box-driver");
    for (const std::string& needed : {box_driver, run.program})
        if (!fs::is_regular_file(needed))
            transcript.problems.push_back("missing " + needed + ": build the windows preset first");
    if (!fs::is_regular_file(fs::path(run.prefix) / ".korvel-prefix-ready"))
        transcript.problems.push_back("the Wine prefix " + run.prefix +
                                      " is not ready: prefix.sh makes it");
    if (!transcript.problems.empty())
        return transcript;

    const fs::path work = make_work_folder(transcript.problems);
    if (work.empty())
        return transcript;
    const fs::path transcript_file = work / "transcript.txt";

    std::vector<std::string> argv = {box_driver,
                                     "--timeout=" + std::to_string(run.timeout.count())};
    if (!run.current_folder.empty())
        argv.push_back("--cd=" + windows_path(run.current_folder));
    for (const Variable& variable : run.environment)
        argv.push_back(variable.value ? "--env=" + variable.name + "=" + *variable.value
                                      : "--unset=" + variable.name);
    argv.push_back(windows_path(transcript_file.string()));
    argv.push_back(run.answers.empty() ? "-" : join(run.answers, ","));
    argv.push_back(windows_path(run.program));
    argv.insert(argv.end(), run.args.begin(), run.args.end());

    std::string failure;
    if (spawn_wine(argv, run.prefix, work / "wine-output.txt", run.timeout + kWineGrace,
                   transcript.wine_output, failure, run.dll_overrides, run.locale) < 0)
        transcript.problems.push_back(failure);
    // Even after a kill the transcript tells how far the program got.
    transcript.raw = read_file(transcript_file);
    parse(transcript);
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return transcript;
}

WineCommand run_wine_command(const std::vector<std::string>& args, const std::string& prefix) {
    WineCommand command;
    std::vector<std::string> problems;
    const fs::path work = make_work_folder(problems);
    if (work.empty()) {
        command.problem = problems.front();
        return command;
    }
    command.status = spawn_wine(args, prefix, work / "wine-output.txt", kCommandTimeout,
                                command.output, command.problem);
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return command;
}

} // namespace korvel::wine
