// Random input on the real designer window. Starts the designer program on a
// copy of a screen, finds its window on the X display and sends it a seeded
// sequence of user actions through the X server (XTest): clicks, drags with
// and without Shift or Ctrl, Escape during drags, context menus, the wheel,
// typing into the panel, the object list's rows, buttons and "Shown" boxes,
// the inspector's text, place and style, the arrow keys and every key of a
// command that opens no dialog (undo and redo among them). It fails when the program dies, and
// every SyncEvery actions it presses Ctrl+S and waits for the file to be
// written for it: the designer has then taken every input before, and it
// fails when that does not happen or the program opened a window of its own.
//
// After the actions: the screen saved, everything undone and saved must give
// the bytes saved at the start, everything redone the bytes saved before the
// undoing (with --strict 0 these two are reported, not failures); the
// program quits cleanly; started again on the file it saves the same bytes;
// killed after a change it gives the change back when started again, without
// having touched the file. Every run of the program must print nothing (no
// sanitizer report, no Qt warning).
//
//   random_input --program DESIGNER --screen FILE.Screen [--actions N] [--seed S]
//                [--replay FILE.actions]... [--keep DIR] [--strict 0|1]
// Each run's actions are written as text lines; a failing sequence kept in
// tests/input/cases/ is replayed with --replay. Run on an X display, such as
// the one scripts/xvfb-run.sh gives.
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeySequence>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/DesignerCommands.h"

// Xlib's macros (Status, Bool, None, KeyPress) clash with Qt's names: it
// comes after every Qt header.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
// clang-format on

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Actions sent between two waits for the designer.
constexpr size_t SyncEvery = 20;

struct TFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& why) { throw TFailure(why); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// ---- The designer program ------------------------------------------------------------------

class TProgram {
 public:
  TProgram(const std::string& program, const std::string& screen, const std::string& folder)
      : ErrorLog_(folder + "/stderr-" + std::to_string(++Runs) + ".txt") {
    Pid_ = fork();
    if (Pid_ < 0) Fail("cannot start the designer");
    if (Pid_ == 0) {
      if (chdir(folder.c_str()) != 0) _exit(127);
      setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
      setenv("QT_QPA_PLATFORM", "xcb", 1);
      if (!freopen(ErrorLog_.c_str(), "w", stderr) || !freopen("/dev/null", "w", stdout)) _exit(127);
      execl(program.c_str(), program.c_str(), screen.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TProgram() {
    if (Pid_ > 0) {
      kill(Pid_, SIGKILL);
      waitpid(Pid_, nullptr, 0);
    }
  }
  pid_t Pid() const { return Pid_; }
  bool Alive() {
    if (Pid_ <= 0) return false;
    int status = 0;
    if (waitpid(Pid_, &status, WNOHANG) == 0) return true;
    Status_ = status;
    Pid_ = -1;
    return false;
  }
  void Kill() {
    kill(Pid_, SIGKILL);
    waitpid(Pid_, nullptr, 0);
    Pid_ = -1;
  }
  // Waits for the program to end by itself; fails unless it ends cleanly.
  void WaitForCleanExit() {
    const auto until = Clock::now() + 120s;
    while (Alive()) {
      if (Clock::now() > until) Fail("the designer did not quit");
      std::this_thread::sleep_for(20ms);
    }
    if (!WIFEXITED(Status_) || WEXITSTATUS(Status_) != 0)
      Fail("the designer ended with status " + std::to_string(Status_) + "\n" + Errors());
  }
  std::string Errors() const { return ReadFile(ErrorLog_); }
  // Anything printed is a fault: a sanitizer report or a Qt warning.
  void CheckSilent() const {
    const std::string printed = Errors();
    if (!printed.empty()) Fail("the designer printed:\n" + printed);
  }

 private:
  // Runs of the program so far, which number their error logs.
  static inline int Runs = 0;
  std::string ErrorLog_;
  pid_t Pid_ = -1;
  int Status_ = 0;
};

// ---- The X display ---------------------------------------------------------------------------

class TDisplay {
 public:
  TDisplay() : D_(XOpenDisplay(nullptr)) {
    if (!D_) Fail("no X display (run through scripts/xvfb-run.sh)");
    // A window may go between listing it and asking about it.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    int event, error, major, minor;
    if (!XTestQueryExtension(D_, &event, &error, &major, &minor)) Fail("the X server has no XTEST");
    Root_ = DefaultRootWindow(D_);
    WmPid_ = XInternAtom(D_, "_NET_WM_PID", False);
    // The server repeats a key held longer than its repeat delay. A press
    // and release sent together can reach a loaded server that far apart,
    // and a repeated Ctrl+S would save once more than the test asked.
    XKeyboardState keyboard;
    XGetKeyboardControl(D_, &keyboard);
    AutoRepeat_ = keyboard.global_auto_repeat == AutoRepeatModeOn;
    XAutoRepeatOff(D_);
    XSync(D_, False);
  }
  ~TDisplay() {
    if (AutoRepeat_) XAutoRepeatOn(D_);
    XCloseDisplay(D_);
  }

  // The program's top-level windows that show, popups (menus, tooltips)
  // only when asked for.
  std::vector<Window> WindowsOf(pid_t pid, bool popups = false) {
    std::vector<Window> found;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(D_, Root_, &root, &parent, &children, &count)) return found;
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(D_, children[i], &a) || a.map_state != IsViewable ||
          (a.override_redirect && !popups))
        continue;
      Atom type;
      int format;
      unsigned long items, after;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(D_, children[i], WmPid_, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                             &after, &data) == Success &&
          data && items == 1 && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid)
        found.push_back(children[i]);
      if (data) XFree(data);
    }
    if (children) XFree(children);
    return found;
  }
  // Every window of the program that shows, popups included, one a line.
  std::string Describe(pid_t pid) {
    std::string text;
    for (Window w : WindowsOf(pid, /*popups=*/true)) {
      XWindowAttributes a;
      XGetWindowAttributes(D_, w, &a);
      text += "  " +
              std::string(a.override_redirect ? "popup"
                          : IsDialog(w)       ? "dialog"
                                              : "window") +
              " \"" + NameOf(w) + "\" at " + std::to_string(a.x) + "," + std::to_string(a.y) + " size " +
              std::to_string(a.width) + "x" + std::to_string(a.height) + "\n";
    }
    return text;
  }
  // Writes what the screen shows as a PNG file.
  void Screenshot(const std::string& path) {
    XWindowAttributes a;
    XGetWindowAttributes(D_, Root_, &a);
    XImage* image = XGetImage(D_, Root_, 0, 0, static_cast<unsigned>(a.width),
                              static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
    if (!image) return;
    if (image->bits_per_pixel == 32)
      QImage(reinterpret_cast<const uchar*>(image->data), image->width, image->height, image->bytes_per_line,
             QImage::Format_RGB32)
          .save(QString::fromStdString(path));
    XDestroyImage(image);
  }
  std::string NameOf(Window w) {
    char* name = nullptr;
    std::string text = "(no name)";
    if (XFetchName(D_, w, &name) && name) text = name;
    if (name) XFree(name);
    return text;
  }
  // Whether `w` is a dialog: it stands over another window of its program.
  bool IsDialog(Window w) {
    Window owner = 0;
    return XGetTransientForHint(D_, w, &owner) && owner != 0;
  }
  // The program's main window, once it shows.
  Window WaitForMainWindow(TProgram& program) {
    return WaitFor(program, "the designer's window", [&](Window w) { return !IsDialog(w); });
  }
  // A dialog of the program, once it shows.
  Window WaitForDialog(TProgram& program, const char* what) {
    return WaitFor(program, what, [&](Window w) { return IsDialog(w); });
  }
  template <class F>
  Window WaitFor(TProgram& program, const char* what, F&& accept) {
    const auto until = Clock::now() + 60s;
    for (;;) {
      if (!program.Alive()) Fail(std::string("the designer ended before ") + what + "\n" + program.Errors());
      for (Window w : WindowsOf(program.Pid()))
        if (accept(w)) return w;
      if (Clock::now() > until) Fail(std::string("no window showed: ") + what);
      std::this_thread::sleep_for(20ms);
    }
  }
  void Focus(Window w) {
    XSetInputFocus(D_, w, RevertToParent, CurrentTime);
    XSync(D_, False);
  }
  void Geometry(Window w, int& x, int& y, int& width, int& height) {
    XWindowAttributes a;
    XGetWindowAttributes(D_, w, &a);
    x = a.x;
    y = a.y;
    width = a.width;
    height = a.height;
  }
  void Move(int x, int y) { XTestFakeMotionEvent(D_, DefaultScreen(D_), x, y, 0); }
  void Button(unsigned button, bool down) { XTestFakeButtonEvent(D_, button, down, 0); }
  void Key(KeySym sym, bool down) {
    const KeyCode code = XKeysymToKeycode(D_, sym);
    if (code == 0) Fail("no key for keysym " + std::to_string(sym));
    XTestFakeKeyEvent(D_, code, down, 0);
  }
  // Whether typing `sym` needs Shift on this keyboard.
  bool NeedsShift(KeySym sym) {
    const KeyCode code = XKeysymToKeycode(D_, sym);
    return XkbKeycodeToKeysym(D_, code, 0, 0) != sym && XkbKeycodeToKeysym(D_, code, 0, 1) == sym;
  }
  void Flush() { XFlush(D_); }

 private:
  Display* D_;
  Window Root_;
  Atom WmPid_;
  bool AutoRepeat_ = false;
};

// ---- Actions -----------------------------------------------------------------------------

// A key in Qt's portable text ("Ctrl+Shift+Z", "Ctrl++", "Del") pressed and
// released with its modifiers.
void PressKey(TDisplay& x, const std::string& text) {
  const QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(text));
  if (sequence.isEmpty()) Fail("not a key: " + text);
  const QKeyCombination combination = sequence[0];
  const Qt::Key key = combination.key();
  const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
  KeySym sym = NoSymbol;
  switch (key) {
    case Qt::Key_Plus:
      sym = XK_plus;
      break;
    case Qt::Key_Minus:
      sym = XK_minus;
      break;
    case Qt::Key_Equal:
      sym = XK_equal;
      break;
    case Qt::Key_Delete:
      sym = XK_Delete;
      break;
    case Qt::Key_Insert:
      sym = XK_Insert;
      break;
    case Qt::Key_Escape:
      sym = XK_Escape;
      break;
    case Qt::Key_Tab:
      sym = XK_Tab;
      break;
    case Qt::Key_Left:
      sym = XK_Left;
      break;
    case Qt::Key_Right:
      sym = XK_Right;
      break;
    case Qt::Key_Up:
      sym = XK_Up;
      break;
    case Qt::Key_Down:
      sym = XK_Down;
      break;
    case Qt::Key_Return:
      sym = XK_Return;
      break;
    case Qt::Key_Space:
      sym = XK_space;
      break;
    case Qt::Key_Backspace:
      sym = XK_BackSpace;
      break;
    default:
      if (key >= Qt::Key_A && key <= Qt::Key_Z) sym = XK_a + (key - Qt::Key_A);
      if (key >= Qt::Key_0 && key <= Qt::Key_9) sym = XK_0 + (key - Qt::Key_0);
  }
  if (sym == NoSymbol) Fail("no X key for " + text);
  std::vector<KeySym> held;
  if (mods & Qt::ControlModifier) held.push_back(XK_Control_L);
  if (mods & Qt::AltModifier) held.push_back(XK_Alt_L);
  if ((mods & Qt::ShiftModifier) || x.NeedsShift(sym)) held.push_back(XK_Shift_L);
  for (KeySym m : held) x.Key(m, true);
  x.Key(sym, true);
  x.Key(sym, false);
  for (auto m = held.rbegin(); m != held.rend(); ++m) x.Key(*m, false);
}

// The designer's window and where its parts are, in window coordinates, as
// it lays itself out at start (Size): the menu bar and the toolbar above the
// drawing area, the property panel and the status bar below it, and the docks
// on the right, the inspector above the object list.
struct TWindow {
  static constexpr int StartWidth = 1201, StartHeight = 737;
  Window Id = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  // The drawing area (with its scroll bars).
  int CanvasTop() const { return 55; }
  int CanvasRight() const { return Width - 366; }
  int CanvasBottom() const { return PanelTop() - 6; }
  int PanelTop() const { return Height - 56 - 22; }
  // The inspector's fields: text, X and Y, and the style check boxes.
  int InspectorLeft() const { return Width - 366; }
  int InspectorText() const { return 77; }
  int InspectorPlace() const { return 105; }
  int InspectorStyle() const { return 303; }
  // The object list's rows (the top of the z-order first), its "Shown"
  // column and the buttons that move the selected rows up and down.
  int RowTop() const { return 477; }
  static constexpr int RowHeight = 14;
  int ListButtons() const { return 673; }
};

// Runs one action line on the window.
void Perform(TDisplay& x, const TWindow& w, const std::string& line) {
  std::istringstream in(line);
  std::string verb;
  in >> verb;
  auto at = [&](int px, int py) { x.Move(w.X + px, w.Y + py); };
  auto withMods = [&](const std::string& mods, bool down) {
    if (mods.find("shift") != std::string::npos) x.Key(XK_Shift_L, down);
    if (mods.find("ctrl") != std::string::npos) x.Key(XK_Control_L, down);
  };
  if (verb == "click" || verb == "dclick" || verb == "rclick") {
    int px, py;
    std::string mods;
    in >> px >> py >> mods;
    at(px, py);
    withMods(mods, true);
    const unsigned button = verb == "rclick" ? 3 : 1;
    for (int i = 0; i < (verb == "dclick" ? 2 : 1); ++i) {
      x.Button(button, true);
      x.Button(button, false);
    }
    withMods(mods, false);
    if (verb == "rclick") PressKey(x, "Esc");  // closes the context menu
  } else if (verb == "drag") {
    int x1, y1, x2, y2;
    std::string mods;
    in >> x1 >> y1 >> x2 >> y2 >> mods;
    at(x1, y1);
    withMods(mods, true);
    x.Button(1, true);
    for (int step = 1; step <= 4; ++step) {
      at(x1 + (x2 - x1) * step / 4, y1 + (y2 - y1) * step / 4);
      if (step == 2 && mods.find("escape") != std::string::npos) PressKey(x, "Esc");
    }
    x.Button(1, false);
    withMods(mods, false);
  } else if (verb == "wheel") {
    int px, py;
    std::string direction, mods;
    in >> px >> py >> direction >> mods;
    at(px, py);
    withMods(mods, true);
    const unsigned button = direction == "up" ? 4 : 5;
    x.Button(button, true);
    x.Button(button, false);
    withMods(mods, false);
  } else if (verb == "key") {
    std::string key;
    in >> key;
    PressKey(x, key);
  } else if (verb == "type") {
    std::string text;
    in >> text;
    for (char c : text) PressKey(x, std::string(1, c));
  } else {
    Fail("unknown action: " + line);
  }
  x.Flush();
}

// The keys of the commands that open no dialog, and the drawing area's own.
std::vector<std::string> SafeKeys() {
  std::vector<std::string> keys;
  for (const gc::app::TDesignerCommand& command : gc::app::DesignerCommands()) {
    if (command.Flags & gc::app::cfMayAsk) continue;
    for (const QKeySequence& key : gc::app::OwnKeys(command)) keys.push_back(key.toString().toStdString());
  }
  for (const char* key : {"Left", "Right", "Up", "Down", "Shift+Left", "Shift+Right", "Shift+Up",
                          "Shift+Down", "Ctrl+Left", "Ctrl+Down", "Tab", "Shift+Tab", "Esc"})
    keys.push_back(key);
  return keys;
}

// A seeded sequence of actions for a window of the given size.
std::vector<std::string> MakeActions(uint32_t seed, int count, const TWindow& w) {
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
  auto cx = [&] { return 2 + pick(w.CanvasRight() - 4); };
  auto cy = [&] { return w.CanvasTop() + pick(w.CanvasBottom() - w.CanvasTop()); };
  const std::vector<std::string> keys = SafeKeys();
  const char* const mods[] = {"-", "shift", "ctrl", "-"};
  std::vector<std::string> actions;
  for (int i = 0; i < count; ++i) {
    std::ostringstream a;
    const int kind = pick(100);
    if (kind < 14) {
      a << "click " << cx() << ' ' << cy() << ' ' << (pick(3) == 0 ? "shift" : "-");
    } else if (kind < 32) {
      const int x1 = cx(), y1 = cy();
      a << "drag " << x1 << ' ' << y1 << ' ' << x1 - 60 + pick(121) << ' ' << y1 - 40 + pick(81) << ' '
        << mods[pick(4)] << (pick(5) == 0 ? "+escape" : "");
    } else if (kind < 35) {
      a << "rclick " << cx() << ' ' << cy();
    } else if (kind < 37) {
      a << "dclick " << cx() << ' ' << cy();
    } else if (kind < 40) {
      a << "wheel " << cx() << ' ' << cy() << ' ' << (pick(2) ? "up" : "down") << ' '
        << (pick(3) == 0 ? "ctrl"
            : pick(2)    ? "shift"
                         : "-");
    } else if (kind < 43) {
      // A word into the panel's text field, then back to the drawing area.
      a << "click 60 " << w.PanelTop() + 33 << " -";
      actions.push_back(a.str());
      a.str("");
      std::string word;
      for (int n = 1 + pick(5); n > 0; --n) word += static_cast<char>('a' + pick(26));
      actions.push_back("type " + word);
      a << "click " << cx() << ' ' << cy() << " -";
    } else if (kind < 45) {
      // A text placement or alignment button of the panel.
      a << "click " << 668 + 24 * pick(3) << ' ' << w.PanelTop() + 12 + 24 * pick(2) << " -";
    } else if (kind < 46) {
      a << "key Ctrl+S";
    } else if (kind < 53) {
      // The object list: select rows (with Shift or Ctrl), drag one to
      // another place in the z-order, hide or show a widget, move the
      // selected rows up or down.
      const int left = w.InspectorLeft();
      auto row = [&] { return w.RowTop() + TWindow::RowHeight * pick(7) + TWindow::RowHeight / 2; };
      switch (pick(4)) {
        case 0:
          a << "click " << left + 40 + pick(150) << ' ' << row() << ' ' << mods[pick(4)];
          break;
        case 1:
          a << "drag " << left + 60 << ' ' << row() << ' ' << left + 60 << ' ' << row() << " -";
          break;
        case 2:
          a << "click " << left + 272 << ' ' << row() << " -";
          break;
        default:
          a << "click " << left + 22 + 30 * pick(2) << ' ' << w.ListButtons() << " -";
      }
    } else if (kind < 58) {
      // The inspector: a text, a place typed exactly, or a font style for
      // every selected widget. It scrolls, so the click may land on another
      // of its fields, and a typed place may be refused with a message: the
      // designer settles, its message or dialog closed, before the click
      // back into the drawing area.
      const int left = w.InspectorLeft();
      auto field = [&](int x, int y, const std::string& text) {
        actions.push_back("click " + std::to_string(left + x) + ' ' + std::to_string(y) + " -");
        actions.push_back("key Ctrl+A");
        actions.push_back("type " + text);
        actions.push_back("key Return");
      };
      switch (pick(3)) {
        case 0: {
          std::string word;
          for (int n = 1 + pick(6); n > 0; --n) word += static_cast<char>('a' + pick(26));
          field(230, w.InspectorText(), word);
          break;
        }
        case 1:
          field(pick(2) ? 170 : 292, w.InspectorPlace(), std::to_string(pick(1000)));
          break;
        default:
          actions.push_back("click " + std::to_string(left + 126 + 59 * pick(3)) + ' ' +
                            std::to_string(w.InspectorStyle()) + " -");
      }
      actions.push_back("settle");
      a << "click " << cx() << ' ' << cy() << " -";
    } else {
      a << "key " << keys[static_cast<size_t>(pick(static_cast<int>(keys.size())))];
    }
    actions.push_back(a.str());
  }
  return actions;
}

// ---- The screen file ------------------------------------------------------------------------

// Counts the times the designer wrote the screen file: it replaces the file
// by renaming a finished copy onto it (or, for a file it cannot replace,
// writes it in place). A changed time or inode alone cannot tell one write
// from two.
class TFileWrites {
 public:
  explicit TFileWrites(const std::string& path)
      : Folder_(QFileInfo(QString::fromStdString(path)).absolutePath().toStdString()),
        Name_(QFileInfo(QString::fromStdString(path)).fileName().toStdString()),
        Fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (Fd_ < 0 || inotify_add_watch(Fd_, Folder_.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0)
      Fail("cannot watch " + Folder_);
  }
  ~TFileWrites() { close(Fd_); }
  TFileWrites(const TFileWrites&) = delete;
  TFileWrites& operator=(const TFileWrites&) = delete;

  // The writes so far.
  size_t Count() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      const ssize_t got = read(Fd_, buffer, sizeof buffer);
      if (got <= 0) return Count_;
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0 && Name_ == event->name) ++Count_;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }

 private:
  std::string Folder_;
  std::string Name_;
  int Fd_;
  size_t Count_ = 0;
};

// ---- One session -----------------------------------------------------------------------------

class TSession {
 public:
  TSession(std::string program, const std::string& screen, const QString& folder)
      : Program_(std::move(program)),
        Folder_(folder.toStdString()),
        Screen_(CopyScreen(screen, Folder_)),
        Writes_(Screen_) {}

  void Run(const std::vector<std::string>* replay, uint32_t seed, int count, const std::string& log) {
    auto program = Start();
    const std::string start = Save(*program);
    const std::vector<std::string> actions = replay ? *replay : MakeActions(seed, count, Window_);
    std::ofstream out(log);
    for (const std::string& action : actions) out << action << '\n';
    out.flush();
    size_t synced = 0;
    for (size_t i = 0; i < actions.size(); ++i) {
      // A save among the actions is awaited as the test's own are, so each
      // bytes read belong to the Ctrl+S that asked for them.
      if (actions[i] == "key Ctrl+S")
        Save(*program);
      else if (actions[i] == "settle")
        Save(*program, /*closeWindows=*/true);
      else
        Perform(X_, Window_, actions[i]);
      if (!program->Alive())
        Fail("the designer died after action " + std::to_string(i + 1) + " (" + actions[i] + ")\n" +
             program->Errors());
      if (i + 1 != actions.size() && (i + 1) % SyncEvery != 0) continue;
      // Not inside an action on the inspector, which settles by itself.
      if (std::find(actions.begin() + std::ptrdiff_t(i) + 1,
                    actions.begin() + std::ptrdiff_t(std::min(i + 5, actions.size())),
                    "settle") != actions.begin() + std::ptrdiff_t(std::min(i + 5, actions.size())))
        continue;
      try {
        Save(*program);
      } catch (const TFailure& f) {
        Fail("within actions " + std::to_string(synced + 1) + " to " + std::to_string(i + 1) + ": " +
             f.what());
      }
      synced = i + 1;
    }
    ++Actions_;
    Actions_ += actions.size() - 1;

    // Back to the drawing area in edit mode, and a new widget: steps undone
    // at the end are no longer there to redo. Then the checks.
    for (const char* line : {"key Esc", "key Esc", "click 3 60 -", "key Ins", "click 30 70 -"})
      Perform(X_, Window_, line);
    const std::string end = Save(*program);
    Repeat(*program, "key Ctrl+Z", 3 * static_cast<int>(actions.size()) + 10);
    if (const std::string undone = Save(*program); undone != start) {
      std::ofstream(Folder_ + "/start.Screen", std::ios::binary) << start;
      std::ofstream(Folder_ + "/undone.Screen", std::ios::binary) << undone;
      Finding("undoing everything does not give the screen of the start (start.Screen, undone.Screen in " +
              Folder_ + ")");
    }
    Repeat(*program, "key Ctrl+Y", 3 * static_cast<int>(actions.size()) + 10);
    const std::string redone = Save(*program);
    if (redone != end) {
      std::ofstream(Folder_ + "/end.Screen", std::ios::binary) << end;
      std::ofstream(Folder_ + "/redone.Screen", std::ios::binary) << redone;
      Finding("redoing everything does not give the screen of the end (end.Screen, redone.Screen in " +
              Folder_ + ")");
    }
    Quit(*program);

    program = Start();
    if (const std::string again = Save(*program); again != redone) {
      std::ofstream(Folder_ + "/saved.Screen", std::ios::binary) << redone;
      std::ofstream(Folder_ + "/saved-again.Screen", std::ios::binary) << again;
      Fail("save, load, save does not give the same bytes (saved.Screen, saved-again.Screen)");
    }
    Quit(*program);
  }

  // Killed after a change, the designer gives the change back when started
  // again, and the file stays as it was until then.
  void CheckCrashRecovery() {
    auto program = Start();
    const std::string before = ReadFile(Screen_);
    for (const char* line : {"key Ctrl+A", "key Right", "key Down"}) Perform(X_, Window_, line);
    const std::string copyPath = WaitForRecoveryCopy();
    program->Kill();
    // The copy as the designer left it: a slow designer may have taken the
    // second nudge after its first copy and written another since.
    const std::string copy = ReadFile(copyPath);
    if (copy == before) Fail("the recovery copy does not hold the change");
    if (ReadFile(Screen_) != before) Fail("the killed designer changed the file");
    program = Start(/*question=*/true);
    PressKey(X_, "Return");  // Restore, the default button
    X_.Flush();
    const auto until = Clock::now() + 60s;
    while (X_.WindowsOf(program->Pid()).size() > 1) {
      if (!program->Alive() || Clock::now() > until) Fail("the restore question did not close");
      std::this_thread::sleep_for(20ms);
    }
    X_.Focus(Window_.Id);
    if (ReadFile(Screen_) != before) Fail("restoring changed the file before saving");
    if (Save(*program) != copy) Fail("the restored screen is not the one the killed designer had");
    Quit(*program);
    if (!QDir(QString::fromStdString(RecoveryFolder())).entryList({"*.json"}, QDir::Files).isEmpty())
      Fail("a recovery copy is left after a clean exit");
  }

  // Whether undoing or redoing a whole session that is not exact fails the
  // run; otherwise the mismatch is reported and the checks go on.
  static inline bool Strict = true;
  void Finding(const std::string& what) {
    if (Strict) Fail(what);
    Findings_ += (Findings_.empty() ? "" : "; ") + what;
  }
  size_t Actions() const { return Actions_; }
  // Windows the designer opened after the inspector's actions, closed.
  size_t Closed() const { return Closed_; }
  const std::string& Findings() const { return Findings_; }

 private:
  std::string RecoveryFolder() const { return Folder_ + "/data/Orvane_VizaduRazadivi/recovery"; }

  // A fresh copy of `screen` in `folder`, made as needed; its path.
  static std::string CopyScreen(const std::string& screen, const std::string& folder) {
    const QString copy = QString::fromStdString(folder + "/screen.Screen");
    QDir().mkpath(QString::fromStdString(folder));
    QFile::remove(copy);
    if (!QFile::copy(QString::fromStdString(screen), copy)) Fail("cannot copy " + screen);
    return copy.toStdString();
  }

  std::unique_ptr<TProgram> Start(bool question = false) {
    auto program = std::make_unique<TProgram>(Program_, Screen_, Folder_);
    Window_.Id = X_.WaitForMainWindow(*program);
    X_.Geometry(Window_.Id, Window_.X, Window_.Y, Window_.Width, Window_.Height);
    if (Window_.Width != TWindow::StartWidth || Window_.Height != TWindow::StartHeight)
      Fail("the designer's window is " + std::to_string(Window_.Width) + " x " +
           std::to_string(Window_.Height) + ", not the " + std::to_string(TWindow::StartWidth) + " x " +
           std::to_string(TWindow::StartHeight) + " its parts were measured in (TWindow)");
    if (question) {
      const Window box = X_.WaitForDialog(*program, "the restore question");
      X_.Focus(box);
    } else {
      X_.Focus(Window_.Id);
    }
    return program;
  }
  // Ctrl+S, then the bytes of the file once the designer wrote it for this
  // Ctrl+S: it took every input before. One Ctrl+S writes the file once. A
  // window the designer opened fails the run, or with `closeWindows` is
  // closed with Escape: it took the keys meanwhile, the Ctrl+S among them,
  // which is pressed again.
  std::string Save(TProgram& program, bool closeWindows = false) {
    Perform(X_, Window_, "key Ctrl+S");
    ++Saves_;
    auto until = Clock::now() + 120s;
    for (;;) {
      if (const size_t written = Writes_.Count(); written >= Saves_) {
        if (written > Saves_)
          Fail("the designer wrote the file " + std::to_string(written) + " times for " +
               std::to_string(Saves_) + " Ctrl+S");
        return ReadFile(Screen_);
      }
      if (!program.Alive()) Fail("the designer died\n" + program.Errors());
      if (const std::vector<Window> windows = X_.WindowsOf(program.Pid()); windows.size() > 1) {
        if (closeWindows) {
          CloseWindow(program, windows.back());
          Perform(X_, Window_, "key Ctrl+S");
          until = Clock::now() + 120s;
          continue;
        }
        Fail("the designer opened a window of its own: \"" + X_.NameOf(windows.back()) + "\"" +
             Evidence(program));
      }
      if (Clock::now() > until)
        Fail("the designer stopped answering: Ctrl+S wrote nothing" + Evidence(program));
      std::this_thread::sleep_for(5ms);
    }
  }
  // What the screen showed when the designer did not do as asked: its
  // windows, and a screenshot kept in the session's folder.
  std::string Evidence(TProgram& program) {
    const std::string shot = Folder_ + "/failure.png";
    X_.Screenshot(shot);
    return "\n" + X_.Describe(program.Pid()) + "  screenshot: " + shot;
  }
  void CloseWindow(TProgram& program, Window window) {
    ++Closed_;
    X_.Focus(window);
    PressKey(X_, "Esc");
    X_.Flush();
    const auto until = Clock::now() + 60s;
    while (X_.WindowsOf(program.Pid()).size() > 1) {
      if (!program.Alive() || Clock::now() > until)
        Fail("Escape did not close \"" + X_.NameOf(window) + "\"" + Evidence(program));
      std::this_thread::sleep_for(5ms);
    }
    X_.Focus(Window_.Id);
  }
  void Repeat(TProgram& program, const char* line, int times) {
    for (int i = 0; i < times; ++i) {
      Perform(X_, Window_, line);
      if (i % 100 == 99) Save(program);
    }
  }
  void Quit(TProgram& program) {
    Perform(X_, Window_, "key Ctrl+Q");
    program.WaitForCleanExit();
    program.CheckSilent();
    if (Writes_.Count() != Saves_) Fail("the designer wrote the file without a Ctrl+S");
  }
  // The path of the recovery copy of the screen, once there is one.
  std::string WaitForRecoveryCopy() {
    const auto until = Clock::now() + 120s;
    for (;;) {
      const QStringList infos =
          QDir(QString::fromStdString(RecoveryFolder())).entryList({"*.json"}, QDir::Files);
      if (!infos.isEmpty()) {
        QString screen = QString::fromStdString(RecoveryFolder()) + "/" + infos[0];
        screen.replace(".json", ".Screen");
        return screen.toStdString();
      }
      if (Clock::now() > until) Fail("no recovery copy within 120 seconds of a change");
      std::this_thread::sleep_for(50ms);
    }
  }

  std::string Program_;
  std::string Folder_;
  std::string Screen_;
  TFileWrites Writes_;
  // The Ctrl+S sent so far.
  size_t Saves_ = 0;
  TDisplay X_;
  TWindow Window_;
  size_t Actions_ = 0;
  size_t Closed_ = 0;
  std::string Findings_;
};

std::vector<std::string> ReadActions(const std::string& path) {
  std::ifstream in(path);
  if (!in) Fail("cannot read " + path);
  std::vector<std::string> actions;
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') actions.push_back(line);
  return actions;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::string program, screen, keep;
  int count = 1000;
  uint32_t seed = 1;
  std::vector<std::string> replays;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--program")
      program = value;
    else if (option == "--screen")
      screen = value;
    else if (option == "--actions")
      count = std::stoi(value);
    else if (option == "--seed")
      seed = static_cast<uint32_t>(std::stoul(value));
    else if (option == "--replay")
      replays.push_back(value);
    else if (option == "--keep")
      keep = value;
    else if (option == "--strict")
      TSession::Strict = value != "0";
    else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return 2;
    }
  }
  if (program.empty() || screen.empty()) {
    std::fprintf(stderr,
                 "usage: %s --program DESIGNER --screen FILE.Screen [--actions N] [--seed S] "
                 "[--replay FILE]... [--keep DIR] [--strict 0|1]\n",
                 argv[0]);
    return 2;
  }
  if (seed == 0) seed = std::random_device{}();
  // The designer runs in the scratch folder.
  program = QFileInfo(QString::fromStdString(program)).absoluteFilePath().toStdString();
  screen = QFileInfo(QString::fromStdString(screen)).absoluteFilePath().toStdString();
  QTemporaryDir scratch;
  const QString folder = keep.empty() ? scratch.path() : QString::fromStdString(keep);
  QDir().mkpath(folder);
  int failures = 0;
  size_t total = 0;
  auto run = [&](const std::string& name, const std::vector<std::string>* replay) {
    const std::string log = folder.toStdString() + "/" + name + ".actions";
    try {
      TSession session(program, screen, folder + "/" + QString::fromStdString(name));
      session.Run(replay, seed, count, log);
      total += session.Actions();
      std::printf("%s: %zu actions (%zu messages or dialogs closed), passed%s%s\n", name.c_str(),
                  session.Actions(), session.Closed(),
                  session.Findings().empty() ? "" : "; found: ", session.Findings().c_str());
    } catch (const std::exception& e) {
      ++failures;
      std::printf("%s: FAILED: %s\n  the actions: %s (keep them in tests/input/cases/)\n", name.c_str(),
                  e.what(), log.c_str());
      if (keep.empty()) {
        const std::string kept = "/tmp/random-input-" + name + ".actions";
        QFile::remove(QString::fromStdString(kept));
        QFile::copy(QString::fromStdString(log), QString::fromStdString(kept));
        std::printf("  copied to %s\n", kept.c_str());
      }
    }
    std::fflush(stdout);
  };
  for (const std::string& path : replays) {
    const std::vector<std::string> actions = ReadActions(path);
    run("replay-" + QFileInfo(QString::fromStdString(path)).baseName().toStdString(), &actions);
  }
  run("seed-" + std::to_string(seed), nullptr);
  try {
    TSession session(program, screen, folder + "/crash-recovery");
    session.CheckCrashRecovery();
    std::printf("crash recovery: passed\n");
  } catch (const std::exception& e) {
    ++failures;
    std::printf("crash recovery: FAILED: %s\n", e.what());
  }
  std::printf("%zu random actions in all, %d failure(s)\n", total, failures);
  return failures == 0 ? 0 : 1;
}
