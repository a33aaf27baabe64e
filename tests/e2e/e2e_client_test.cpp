// The real program, end to end: it runs on its own X display (Xvfb) with a
// settings folder of its own; xdotool types the server 127.0.0.1, the port
// of a listener inside this test and a name, presses connect and yes, sends
// a free text, copies and pastes a draft with Ctrl keys and sends it, and
// closes the window the way a window manager's close button does. The
// listener must receive exactly the join, yes, free-text and leave messages,
// and the settings file must hold the server and port afterwards. Text with
// control characters pasted from the clipboard and the X selection (xclip
// offers it) arrives as one line inside one message. The run ends the same
// way when the client gets SIGTERM, SIGHUP or SIGINT, and when its X server
// goes away; a signal during the connect wait, just after the server went
// away, or twice in a row still ends it with status 0 and the settings
// written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/core/FolderItem.h"
#include "plist/plist.h"
#include "tests/e2e/CloseRequest.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/CannotRun.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/QuitSignals.h"
#include "tests/support/TempFolder.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using testsupport::LoopbackListener;
using testsupport::ReadFile;

std::optional<std::string> FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = dir + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

// The current environment with the given variables replaced or added.
std::vector<std::string> Environment(const std::vector<std::string>& overrides) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const std::string& o : overrides) replaced |= o.substr(0, o.find('=')) == name;
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), overrides.begin(), overrides.end());
  return env;
}

// A child process; killed when the object ends while it still runs.
class Child {
 public:
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
        const std::string& outputFile = "/dev/null") {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() {
    if (Running()) {
      kill(pid_, SIGKILL);
      Wait(5s);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Started() const { return pid_ > 0; }
  bool Running() const { return pid_ > 0 && !status_; }
  void Signal(int signal) {
    if (Running()) kill(pid_, signal);
  }

  // The exit status, once the child has ended within timeout.
  std::optional<int> Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Running()) {
      int status = 0;
      const pid_t r = waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        status_ = status;
        break;
      }
      if (r < 0 || std::chrono::steady_clock::now() > deadline) break;
      std::this_thread::sleep_for(20ms);
    }
    return status_;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// Runs a command to its end (at most timeout) and returns what it printed.
std::optional<std::string> RunCommand(const std::vector<std::string>& argv,
                                      const std::vector<std::string>& env,
                                      std::chrono::milliseconds timeout = 20s) {
  testsupport::TempFolder folder;
  const std::string path = folder.File("out");
  std::optional<int> status;
  {
    Child child(argv, env, path);
    if (!child.Started()) return std::nullopt;
    status = child.Wait(timeout);
  }
  const std::string out = ReadFile(path);
  if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0) return std::nullopt;
  return out;
}

// An X display of its own: Xvfb tells its number when it is ready.
class VirtualDisplay {
 public:
  explicit VirtualDisplay(const std::string& xvfb) {
    int fds[2];
    if (pipe(fds) != 0) return;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    xvfb_.emplace(std::vector<std::string>{xvfb, "-displayfd", std::to_string(fds[1]), "-screen",
                                           "0", "1280x1024x24", "-nolisten", "tcp"},
                  Environment({}));
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
      char c;
      if (read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(fds[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  const std::string& Name() const { return name_; }
  // Ends the X server at once, as a crash or a logout does.
  void Kill() {
    if (xvfb_) xvfb_->Signal(SIGKILL);
  }

 private:
  std::optional<Child> xvfb_;
  std::string name_;
};

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    xvfb_ = FindProgram("Xvfb");
    const std::optional<std::string> xdotool = FindProgram("xdotool");
    if (!xvfb_ || !xdotool)
      CANNOT_RUN_HERE("Xvfb or xdotool is not installed (scripts/deps.sh installs them)");
    xdotool_ = *xdotool;
  }

  // Starts Xvfb and the client on it with a settings folder of its own, and
  // finds the main window.
  void StartClient() {
    display_.emplace(*xvfb_);
    ASSERT_FALSE(display_->Name().empty()) << "Xvfb did not start";
    client_.emplace(std::vector<std::string>{testsupport::BinDir() + "/tobrik-client"},
                    Environment({"DISPLAY=" + display_->Name(), "QT_QPA_PLATFORM=xcb",
                                 "HOME=" + home_, "XDG_CONFIG_HOME=" + config_}),
                    home_ + "/client.log");
    ASSERT_TRUE(client_->Started());

    const std::optional<std::string> found =
        Xdo({"search", "--sync", "--onlyvisible", "--name", "Client"});
    ASSERT_TRUE(found) << "the main window did not show; log:\n" << Log();
    window_ = found->substr(0, found->find('\n'));
    const std::optional<std::string> geometry = Xdo({"getwindowgeometry", "--shell", window_});
    ASSERT_TRUE(geometry);
    const std::size_t h = geometry->find("HEIGHT=");
    ASSERT_NE(h, std::string::npos);
    top_ = std::stoi(geometry->substr(h + 7)) - 261;
    ASSERT_GE(top_, 0);
    ASSERT_TRUE(Xdo({"windowfocus", "--sync", window_}));
  }

  // Types the listener's address and port and the name abc and presses
  // connect.
  void PressConnect(const LoopbackListener& listener) {
    Click(114 + 90, 181 + 13);  // txtServer
    Type("127.0.0.1");
    Click(355 + 25, 181 + 13);  // txtPort, which shows 3128
    Key("ctrl+a");
    Type(std::to_string(listener.Port()));
    Click(114 + 90, 215 + 13);  // txtName
    Type("abc");
    Click(420 + 51, 195 + 15);  // cmdConnect
  }

  // PressConnect, then checks the join message.
  void Connect(LoopbackListener& listener) {
    ASSERT_NO_FATAL_FAILURE(PressConnect(listener));
    ASSERT_TRUE(listener.Accept(20s)) << Log();
    const std::string join = "abc^J\x0C";
    EXPECT_EQ(listener.ReadAtLeast(join.size(), 10s), join);
  }

  // Closes the window as a window manager's close button does; the client
  // must quit with status 0.
  void CloseAndExpectExit() {
    ASSERT_TRUE(SendCloseRequest(display_->Name(), std::stoul(window_)));
    ExpectExitZero();
  }

  void ExpectExitZero(std::chrono::milliseconds within = 15s) {
    const std::optional<int> status = client_->Wait(within);
    ASSERT_TRUE(status) << "the client did not quit";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status << "\n" << Log();
  }

  // The settings file holds the server and the listener's port, not the name.
  void ExpectSettingsWritten(const LoopbackListener& listener) {
    const std::string settingsPath = config_ + "/Tobrik Client/Tobrik Client.plist";
    ASSERT_TRUE(std::filesystem::exists(settingsPath)) << Log();
    plist settings{fw::FolderItem(settingsPath)};
    EXPECT_FALSE(settings.error) << settings.errorMessage;
    EXPECT_EQ(settings.root->GetString("Server"), "127.0.0.1");
    EXPECT_EQ(settings.root->GetInteger("Port"), listener.Port());
    EXPECT_EQ(ReadFile(settingsPath).find("abc"), std::string::npos) << "the name was stored";
  }

  // xdotool with the test's display.
  std::optional<std::string> Xdo(const std::vector<std::string>& args) {
    std::vector<std::string> argv{xdotool_};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCommand(argv, Environment({"DISPLAY=" + display_->Name()}));
  }
  void Click(int x, int y, const char* button = "1") {
    ASSERT_TRUE(Xdo({"mousemove", "--window", window_, std::to_string(x), std::to_string(y + top_),
                     "click", button}));
  }
  void Type(const std::string& text) { ASSERT_TRUE(Xdo({"type", "--delay", "30", text})); }
  void Key(const std::string& key) { ASSERT_TRUE(Xdo({"key", key})); }
  std::string Log() const { return ReadFile(home_ + "/client.log"); }

  testsupport::TempFolder homeFolder_;
  const std::string home_ = homeFolder_.Path();
  const std::string config_ = home_ + "/config";
  std::optional<std::string> xvfb_;
  std::string xdotool_;
  std::optional<VirtualDisplay> display_;
  std::optional<Child> client_;
  std::string window_;
  int top_ = 0;  // the menu bar's height: the content area starts below it
};

TEST_F(EndToEnd, ConnectAnswerSendTextAndCloseAgainstALoopbackListener) {
  LoopbackListener listener;
  ASSERT_NO_FATAL_FAILURE(StartClient());
  ASSERT_NO_FATAL_FAILURE(Connect(listener));
  const std::string join = "abc^J\x0C";

  Click(117 + 30, 30 + 30);  // Image2, yes
  const std::string yes = join + "abc^Y\x0C";
  EXPECT_EQ(listener.ReadAtLeast(yes.size(), 10s), yes);

  Click(66 + 190, 113 + 13);  // EditField1
  Type(" hello ");
  Key("Return");
  const std::string hello = yes + "abc^^^hello^T\x0C";
  EXPECT_EQ(listener.ReadAtLeast(hello.size(), 10s), hello);

  // Ctrl keys edit the draft and send nothing (Ctrl+C was Enter, Ctrl+M
  // Return): Return sends the draft; Ctrl+V then pastes the copied draft
  // into the emptied field, once, and Return sends it again.
  Type("draft answer");
  for (const char* key : {"ctrl+a", "ctrl+c", "ctrl+m", "Return", "ctrl+v", "Return"}) Key(key);
  const std::string draft = "abc^^^draft answer^T\x0C";
  const std::string text = hello + draft + draft;
  EXPECT_EQ(listener.ReadAtLeast(text.size(), 10s), text);

  ASSERT_NO_FATAL_FAILURE(CloseAndExpectExit());
  EXPECT_TRUE(listener.WaitForPeerClose(10s));
  EXPECT_EQ(listener.Received(), text + "abc^Q\x0C");
  ExpectSettingsWritten(listener);
}

// A pasted form feed went out as the message delimiter, splitting the free
// text into messages of their own. Pasted from the desktop's clipboard with
// Ctrl+V, and from the X selection with the middle button.
TEST_F(EndToEnd, PastedControlCharactersArriveAsBlanksInsideOneMessage) {
  const std::optional<std::string> xclip = FindProgram("xclip");
  if (!xclip) CANNOT_RUN_HERE("xclip is not installed (scripts/deps.sh installs it)");
  LoopbackListener listener;
  ASSERT_NO_FATAL_FAILURE(StartClient());
  ASSERT_NO_FATAL_FAILURE(Connect(listener));
  // xclip serves the text from the background until the display ends.
  auto offer = [&](const char* selection, const std::string& text) {
    const std::string file = home_ + "/offered";
    testsupport::WriteFile(file, text);
    ASSERT_TRUE(RunCommand({*xclip, "-selection", selection, "-i", file},
                           Environment({"DISPLAY=" + display_->Name()})));
  };

  ASSERT_NO_FATAL_FAILURE(offer("clipboard", "a\fb"));
  Click(66 + 190, 113 + 13);  // EditField1
  Key("ctrl+v");
  Key("Return");
  std::string expected =
      "abc^J\x0C"
      "abc^^^a b^T\x0C";
  EXPECT_EQ(listener.ReadAtLeast(expected.size(), 10s), expected);

  ASSERT_NO_FATAL_FAILURE(offer("primary", "c\r\nd\te\x01"));
  Click(66 + 190, 113 + 13, "2");  // the middle button pastes the X selection
  Key("Return");
  expected += "abc^^^c d e^T\x0C";
  EXPECT_EQ(listener.ReadAtLeast(expected.size(), 10s), expected);

  ASSERT_NO_FATAL_FAILURE(CloseAndExpectExit());
  EXPECT_TRUE(listener.WaitForPeerClose(10s));
  EXPECT_EQ(listener.Received(), expected + "abc^Q\x0C");
}

// A session's logout sends these; each ended the client on the spot (exit
// 143 for SIGTERM), without the leave message and without saving.
TEST_F(EndToEnd, QuitSignalsEndAConnectedClientAsQuitDoes) {
  for (const testsupport::QuitSignal& c : testsupport::kQuitSignals) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(config_);
    LoopbackListener listener;
    ASSERT_NO_FATAL_FAILURE(StartClient());
    ASSERT_NO_FATAL_FAILURE(Connect(listener));
    client_->Signal(c.signal);
    EXPECT_TRUE(listener.WaitForPeerClose(10s));
    EXPECT_EQ(listener.Received(),
              "abc^J\x0C"
              "abc^Q\x0C");
    ASSERT_NO_FATAL_FAILURE(ExpectExitZero());
    ExpectSettingsWritten(listener);
    client_.reset();
    display_.reset();
  }
}

// When the X server went away the client died of SIGSEGV in the Qt
// application's destructor, run from exit(): no leave message, no settings.
// The exit status is Qt's.
TEST_F(EndToEnd, LostDisplayEndsAConnectedClientWithoutACrash) {
  LoopbackListener listener;
  ASSERT_NO_FATAL_FAILURE(StartClient());
  ASSERT_NO_FATAL_FAILURE(Connect(listener));
  display_->Kill();
  EXPECT_TRUE(listener.WaitForPeerClose(10s));
  EXPECT_EQ(listener.Received(),
            "abc^J\x0C"
            "abc^Q\x0C");
  const std::optional<int> status = client_->Wait(15s);
  ASSERT_TRUE(status) << "the client did not end";
  EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status) << "\n" << Log();
  ExpectSettingsWritten(listener);
}

// Sockets of this network namespace that are still connecting to port on
// 127.0.0.1 (SYN_SENT in /proc/net/tcp).
int ConnectingTo(int port) {
  std::ifstream table("/proc/net/tcp");
  std::string line;
  std::getline(table, line);  // the header
  char remote[16];
  std::snprintf(remote, sizeof remote, "0100007F:%04X", port);
  int count = 0;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, rem, state;
    fields >> slot >> local >> rem >> state;
    count += rem == remote && state == "02";
  }
  return count;
}

// A quit signal during the connect wait took effect when the wait ended,
// inside the connect-error box: the main window was released while the
// error road still ran on it, and the client died of SIGSEGV (status 139).
TEST_F(EndToEnd, SignalDuringTheConnectWaitEndsTheClientAfterTheWait) {
  LoopbackListener listener(0);
  ASSERT_TRUE(listener.FillAcceptQueue());
  const int waiting = ConnectingTo(listener.Port());  // the filler left waiting
  ASSERT_NO_FATAL_FAILURE(StartClient());
  ASSERT_NO_FATAL_FAILURE(PressConnect(listener));
  for (int i = 0; i < 100 && ConnectingTo(listener.Port()) == waiting; ++i)
    std::this_thread::sleep_for(50ms);
  ASSERT_EQ(ConnectingTo(listener.Port()), waiting + 1) << "the client is not connecting";

  client_->Signal(SIGTERM);
  std::this_thread::sleep_for(1s);
  EXPECT_TRUE(client_->Running()) << "the wait ended before its bound";
  EXPECT_EQ(ConnectingTo(listener.Port()), waiting + 1) << "the client's connect does not wait";
  ASSERT_NO_FATAL_FAILURE(ExpectExitZero(45s));
  ExpectSettingsWritten(listener);
  EXPECT_NE(Log().find("接続解除または無効です"), std::string::npos)
      << "the error box's text goes to standard error:\n"
      << Log();
}

// When the server and the client stopped together (a shutdown), the leave
// message failed and "Lost connection" opened inside the quit: the client
// waited for OK and wrote the settings only then, or never.
TEST_F(EndToEnd, SignalJustAfterTheServerWentAwayEndsTheClientAtOnce) {
  LoopbackListener listener;
  ASSERT_NO_FATAL_FAILURE(StartClient());
  ASSERT_NO_FATAL_FAILURE(Connect(listener));
  listener.CloseConnection();
  listener.StopListening();
  client_->Signal(SIGTERM);  // well within the idle socket check's 250 ms
  ASSERT_NO_FATAL_FAILURE(ExpectExitZero(1s));
  ExpectSettingsWritten(listener);
}

// A second signal that came once the event loop had ended met the default
// disposition again: the client ended with status 143 instead of 0.
TEST_F(EndToEnd, TwoSignalsInARowEndTheClientWithStatusZero) {
  LoopbackListener listener;
  ASSERT_NO_FATAL_FAILURE(StartClient());
  ASSERT_NO_FATAL_FAILURE(Connect(listener));
  client_->Signal(SIGTERM);
  std::this_thread::sleep_for(20ms);
  client_->Signal(SIGTERM);
  ASSERT_NO_FATAL_FAILURE(ExpectExitZero());
  EXPECT_TRUE(listener.WaitForPeerClose(10s));
  EXPECT_EQ(listener.Received(),
            "abc^J\x0C"
            "abc^Q\x0C");
  ExpectSettingsWritten(listener);
}

}  // namespace
