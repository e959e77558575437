// The main window under a real window manager: openbox on a private Xvfb
// display, which this binary starts for each case (CTest runs every case in
// a process of its own). The mouse is moved by xdotool, so that the window
// manager sees real pointer events. Where Xvfb, openbox or xdotool are
// missing, every case is skipped with the reason.
#include "main_window_fixture.h"
#include "support/test_language.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace main_window_test;
using namespace std::chrono_literals;

std::string g_skipReason;
std::vector<pid_t> g_children;

// In a child: runs the command in its place (or ends with 127).
[[noreturn]] void Exec(const std::vector<std::string>& command)
{
    std::vector<char*> argv;
    for (const std::string& part : command)
        argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

pid_t Spawn(const std::vector<std::string>& command)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        Exec(command);
    if (pid > 0)
        g_children.push_back(pid);
    return pid;
}

// Runs a command to its end; its exit code, -1 when it could not run.
int RunCommand(const std::vector<std::string>& command)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stderr);
        std::freopen("/dev/null", "w", stdout);
        Exec(command);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

bool Have(const char* program)
{
    return RunCommand({"sh", "-c", std::string("command -v ") + program}) == 0;
}

void StopDesktop()
{
    for (auto it = g_children.rbegin(); it != g_children.rend(); ++it) {
        ::kill(*it, SIGTERM);
        ::waitpid(*it, nullptr, 0);
    }
    g_children.clear();
}

// Xvfb on a free display and openbox on it: true with DISPLAY set, false
// with the reason in g_skipReason.
bool TryDesktop()
{
    int pipe[2];
    if (::pipe(pipe) != 0)
        return false;
    const pid_t server = ::fork();
    if (server == 0) {
        ::close(pipe[0]);
        const std::string fd = std::to_string(pipe[1]);
        std::freopen("/dev/null", "w", stderr);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipe[1]);
    g_children.push_back(server);
    char number[16] = {};
    const ssize_t got = ::read(pipe[0], number, sizeof number - 1);
    ::close(pipe[0]);
    if (got <= 0) {
        g_skipReason = "Xvfb did not start";
        return false;
    }
    const std::string display = ":" + std::string(number, std::strcspn(number, "\n"));
    ::setenv("DISPLAY", display.c_str(), 1);
    const pid_t manager = Spawn({"openbox", "--sm-disable"});
    // The window manager is there once it has named its desktops (within
    // 20 s: other tests may be starting browsers beside it).
    for (int attempt = 0; attempt < 400; ++attempt) {
        if (RunCommand({"xdotool", "get_num_desktops"}) == 0)
            return true;
        if (::waitpid(manager, nullptr, WNOHANG) == manager) {
            g_children.pop_back();
            break;
        }
        ::usleep(50'000);
    }
    g_skipReason = "openbox did not start on " + display;
    return false;
}

bool StartDesktop()
{
    for (const char* program : {"Xvfb", "openbox", "xdotool"})
        if (!Have(program)) {
            g_skipReason = std::string(program) + " is not installed (scripts/install-deps.sh installs it)";
            return false;
        }
    // A display another server took a moment later is given up for another.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (TryDesktop()) {
            g_skipReason.clear();
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
            return true;
        }
        StopDesktop();
    }
    return false;
}

class WindowManagerTest : public MainWindowTest {
protected:
    static void SetUpTestSuite()
    {
        if (g_skipReason.empty())
            MainWindowTest::SetUpTestSuite();
    }
    static void TearDownTestSuite()
    {
        if (g_skipReason.empty())
            MainWindowTest::TearDownTestSuite();
    }
    void SetUp() override
    {
        if (!g_skipReason.empty())
            GTEST_SKIP() << "no window manager: " << g_skipReason;
        MainWindowTest::SetUp();
    }
    // The pointer, pressed and dragged as a hand would, in global coordinates.
    static void Drag(QPoint from, QPoint to)
    {
        const auto xdotool = [](std::vector<std::string> arguments) {
            arguments.insert(arguments.begin(), "xdotool");
            RunCommand(arguments);
            QTest::qWait(60);
        };
        xdotool({"mousemove", std::to_string(from.x()), std::to_string(from.y())});
        xdotool({"mousedown", "1"});
        for (int step = 1; step <= 5; ++step) {
            const QPoint at = from + (to - from) * step / 5;
            xdotool({"mousemove", std::to_string(at.x()), std::to_string(at.y())});
        }
        xdotool({"mouseup", "1"});
    }
    static void Click(int id)
    {
        QWidget* ctrl = window->GetCtrl(id);
        ASSERT_NE(ctrl, nullptr) << id;
        QTest::mouseClick(ctrl, Qt::LeftButton, {}, ctrl->rect().center());
        QTest::qWait(150);  // the window manager answers
    }
};

TEST_F(WindowManagerTest, TheMainWindowHasOnlyTheSkinsTitleBarAndMovesByIt)
{
    window->move(0, 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_TRUE(RunEventsUntil([] { return window->frameGeometry() == window->geometry(); }, 3s))
        << "a frame of the window manager's: " << window->frameGeometry().x() << "," << window->frameGeometry().y();
    EXPECT_TRUE(RunEventsUntil([] { return window->pos() == QPoint(0, 0); }, 3s));

    // A drag on the skin's title bar, where it has no button.
    Drag(QPoint(420, 24), QPoint(520, 124));
    EXPECT_TRUE(RunEventsUntil([] { return window->pos() == QPoint(100, 100); }, 3s))
        << "at " << window->pos().x() << "," << window->pos().y();
}

TEST_F(WindowManagerTest, MiniModeAndThePinLeaveTheWindowWhereItWas)
{
    window->move(0, 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(RunEventsUntil([] { return window->pos() == QPoint(0, 0); }, 3s));
    // mini → pin → back → pin → pin → mini → back, as the user did.
    for (const int id : {20008, 20051, 20050, 20021, 20021, 20008, 20050})
        Click(id);
    EXPECT_TRUE(RunEventsUntil([] { return window->frameGeometry().topLeft() == QPoint(0, 0); }, 3s))
        << "at " << window->frameGeometry().x() << "," << window->frameGeometry().y();
    const auto* pin = dynamic_cast<ui::FCButtonBase*>(window->GetCtrl(20021));
    ASSERT_NE(pin, nullptr);
    EXPECT_EQ(pin->GetCheck(), bool(window->windowFlags() & Qt::WindowStaysOnTopHint));
}

TEST_F(WindowManagerTest, FullScreenCoversTheScreenEveryTime)
{
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 30);
    ASSERT_FALSE(mp4.empty());
    window->Control().PlayItem(mp4);
    ASSERT_TRUE(WaitFor("VideoProcess", "1/"));
    QWidget* player = window->Player()->Widget();
    const QRect screen = window->screen()->geometry();
    for (int round = 1; round <= 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        QTest::keyClick(window.get(), Qt::Key_Return, Qt::ControlModifier);
        EXPECT_TRUE(RunEventsUntil([&] { return player->isWindow() && player->frameGeometry() == screen; }, 5s))
            << player->frameGeometry().width() << "x" << player->frameGeometry().height();
        EXPECT_TRUE(RunEventsUntil([&] { return QApplication::activeWindow() == player; }, 5s)) << "it has the focus";
        if (round == 1) {
            const std::string label = TimeLabel();
            EXPECT_TRUE(RunEventsUntil([&] { return TimeLabel() != label; }, 5s)) << "the time label goes on";
        }
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : player, Qt::Key_Escape);
        EXPECT_TRUE(RunEventsUntil([&] { return !player->isWindow(); }, 5s)) << "Esc leaves it";
        QTest::qWait(100);
    }
    window->Control().StopPlaying();
}

}  // namespace

int main(int argc, char** argv)
{
    UseChineseForTests();
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the cases needs no display.
    if (!::testing::GTEST_FLAG(list_tests) && !StartDesktop())
        std::fprintf(stderr, "window manager tests skipped: %s\n", g_skipReason.c_str());
    if (!g_skipReason.empty() || ::testing::GTEST_FLAG(list_tests)) {
        if (g_skipReason.empty())
            g_skipReason = "listing only";
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    } else {
        // Software drawing on the virtual screen.
        ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 1);
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    StopDesktop();
    return result;
}
