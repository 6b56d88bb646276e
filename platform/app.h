#pragma once
// The application framework: the message loop with its idle event, the main
// window's key-down and close events, messages posted from any thread to the
// main thread, message boxes and the exception dialog.
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// Virtual key codes (the platform's own numbers where it has them). Menus
// need the cursor keys, Enter, Space, Escape and the pad's A, B, Start,
// Back, D-pad and stick; the pause key stands for itself, the key the
// settings name for pausing is told by its scan code.
constexpr int kVirtualKeyBackspace = 8;
constexpr int kVirtualKeyReturn = 13;
constexpr int kVirtualKeyPause = 19;
constexpr int kVirtualKeyEscape = 27;
constexpr int kVirtualKeySpace = 32;
constexpr int kVirtualKeyLeft = 37;
constexpr int kVirtualKeyUp = 38;
constexpr int kVirtualKeyRight = 39;
constexpr int kVirtualKeyDown = 40;
constexpr int kVirtualKeyPadA = 0xC3;
constexpr int kVirtualKeyPadB = 0xC4;
constexpr int kVirtualKeyPadDpadUp = 0xCB;
constexpr int kVirtualKeyPadDpadDown = 0xCC;
constexpr int kVirtualKeyPadDpadLeft = 0xCD;
constexpr int kVirtualKeyPadDpadRight = 0xCE;
constexpr int kVirtualKeyPadStart = 0xCF;
constexpr int kVirtualKeyPadBack = 0xD0;
// The left stick pushed past half way, and back.
constexpr int kVirtualKeyStickUp = 0xD3;
constexpr int kVirtualKeyStickDown = 0xD4;
constexpr int kVirtualKeyStickRight = 0xD5;
constexpr int kVirtualKeyStickLeft = 0xD6;
// Any other key or pad button (not a repeat).
constexpr int kVirtualKeyOther = 255;
// Alt+Enter, after the main window changed between full screen and a window.
constexpr int kVirtualKeyFullScreen = 256;

// A key or pad button that went down or up.
struct KeyEvent {
  int virtualKey = kVirtualKeyOther;
  // The keyboard key's PC scan code (0 for pad buttons and keys the input
  // service has none for).
  uint8_t scanCode = 0;
  // The pad button (PadButton of platform/pad.h), -1 for keys.
  int padButton = -1;
  // Shift, Ctrl, Alt and the logo keys: half of a combination (Alt+Enter).
  bool modifier = false;
  // A keyboard key-up the system made as the window lost the focus: the
  // player may still be holding the key.
  bool byFocusLoss = false;
};

// A message for a hidden message window (stands in for a window message).
struct Message {
  uint32_t id;
  uintptr_t wparam;
  intptr_t lparam;
  intptr_t result;
};

// A hidden window that receives posted messages on the main thread. Messages
// still queued when it is destroyed are dropped.
class MessageWindow {
 public:
  explicit MessageWindow(std::function<void(Message&)> procedure);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  // Safe from any thread.
  void Post(uint32_t id, uintptr_t wparam, intptr_t lparam);
  // Runs the procedure now, on the calling thread.
  void Send(Message& message) { procedure_(message); }

 private:
  std::function<void(Message&)> procedure_;
};

// Delivers every message posted so far to its window (main thread). The
// message loops call it; tests and the runner may call it directly.
void DispatchPostedMessages();

// The main window of the program. The display device presents into it.
class Window {
 public:
  virtual ~Window() = default;
  virtual void SetTitle(const std::string& cp932Title) = 0;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  // A desktop-sized borderless window (true) or a normal window (false).
  virtual void SetFullScreen(bool fullScreen) = 0;
  virtual bool FullScreen() const = 0;
  virtual void SetClientSize(int width, int height) = 0;
  virtual void ShowCursor(bool show) = 0;
};

class Application {
 public:
  virtual ~Application() = default;

  virtual void SetTitle(const std::string& cp932Title) = 0;
  // Creates the main window (hidden until the display device shows it).
  virtual Window& CreateMainWindow(const std::string& cp932Caption, int width, int height) = 0;
  virtual Window* MainWindow() = 0;

  // Handlers of the main window. The idle handler returns true when idle
  // processing is done (then the loop waits for the next event).
  virtual void OnIdle(std::function<bool()> handler) = 0;
  // Keys and pad buttons going down (never the keyboard's own repeats) and
  // up, the left stick's push past half way counting as a pad button.
  virtual void OnKeyDown(std::function<void(const KeyEvent&)> handler) = 0;
  virtual void OnKeyUp(std::function<void(const KeyEvent&)> handler) = 0;
  virtual void OnCloseRequest(std::function<void()> handler) = 0;
  // The main window lost the keyboard focus (another window took it, or it
  // was minimised), or a game controller was unplugged.
  virtual void OnDeactivate(std::function<void()> handler) = 0;
  // Text typed while text input is on (UTF-8): what the keyboard's layout
  // or an input method makes of keys, or a handheld's own screen keyboard
  // gives. The keys still go down and up as well.
  virtual void OnText(std::function<void(const std::string& utf8)> handler) = 0;
  // Text input on while a text entry is open, off otherwise (an input
  // method or a screen keyboard would take the keys of play).
  virtual void SetTextInput(bool on) = 0;
  // Gives the plain-English line shown below a message or an exception's
  // text: what failed and what the player can do.
  virtual void OnExplain(std::function<std::string(const std::string& cp932Text)> handler) = 0;

  // The player's choice between full screen and a window for the main
  // window: at once, and whenever a display opens full screen in it.
  virtual void SetFullScreen(bool fullScreen) = 0;

  // Runs the message loop until Terminate. An exception that escapes a
  // handler is shown by ShowException and the loop goes on.
  virtual void Run() = 0;
  virtual void Terminate() = 0;
  virtual bool Terminated() const = 0;

  // A message for the player, with its English line, and always the same
  // lines on stderr. Text is CP932. Once ClosingOnSignal, only stderr:
  // nothing waits for the player.
  virtual void ShowMessage(const std::string& cp932Text) = 0;
  // A message of the program's own in plain English, UTF-8, with nothing to
  // explain below it: shown (the same rule) and written on stderr as it is.
  virtual void ShowPlainMessage(const std::string& utf8Text) = 0;
  // The exception dialog: shows the text, the loop continues (the same rule).
  virtual void ShowException(const std::string& cp932Text) = 0;

  // True once SIGTERM, SIGINT or SIGHUP asked the program to close
  // (platform/signals.h). The loops then deliver a close request.
  static bool ClosingOnSignal();
};

// Writes a message's text and its English line (when there is one) on stderr.
void PrintMessage(const std::string& cp932Text, const std::string& english);

// Component palette registration (used by design-time tools only).
void RegisterComponent(const std::string& page, const std::string& className);
bool IsComponentRegistered(const std::string& page, const std::string& className);

}  // namespace platform
